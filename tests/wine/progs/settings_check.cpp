// Windows test program of the settings store: runs one store operation, or reads back a registry
// value and its key's class with the Windows API itself.
//   settings_check save-product CODE ADDRESS MAC ADAPTER PROTOCOL DIRECT   prints "save RESULT"
//   settings_check save-held CODE rw|r ADDRESS DIRECT    saves while holding the data file open
//   settings_check value KEY VALUE               prints "type N size N hex ... class ..."
//   settings_check ensure PATH                   prints "result N usable [path] ms N"
//   settings_check credentials CODE              prints "credentials STATUS SCOPE USER AUTH PRIV KEYS"
//   settings_check derive USER AUTH PRIV AUTHPASS [PRIVPASS]   prints "derived USER AUTH PRIV KEYS"
// (KEYS: the authentication key and, for AES, the privacy key, in hex: a test program may show them)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "product/product.h"
#include "setup/settings_store.h"
#include "setup/snmp_credentials.h"

namespace {
void PrintCredentials(const char* what, const UsmCredentials& c)
{
    std::printf("%s %s %s %s ", what, c.userName, UsmAuthName(c.auth), UsmPrivName(c.priv));
    for (size_t i = 0; i < UsmKeyLength(c.auth); ++i) std::printf("%02x", c.authKey[i]);
    for (size_t i = 0; c.priv != UsmPriv::None && i < UsmKeyLength(c.auth); ++i) std::printf("%02x", c.privKey[i]);
    std::printf("\n");
}
}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    const Product* product = argc > 2 ? Products::ByCode(argv[2]) : nullptr;
    if (product != nullptr) Products::SetCurrent(*product);
    if (command == "save-product" && argc == 8 && product != nullptr) {
        std::printf("save %d\n",
                    SettingsStore::Save(argv[3], argv[4], argv[5], std::atoi(argv[6]), std::atoi(argv[7])));
        return 0;
    }
    if (command == "save-held" && argc == 6 && product != nullptr) {
        // Another holder of the data file (same rules for any process): opened for reading with the
        // sharing given ("rw" read and write, "r" read only), never delete sharing, during the save.
        const std::string path = DataFolder(*product) + "\\ScanLink.dat";
        const DWORD share = std::string(argv[3]) == "rw" ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ;
        HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
        if (held == INVALID_HANDLE_VALUE) return std::printf("cannot hold %s\n", path.c_str()), 1;
        std::printf("save %d\n", SettingsStore::Save(argv[4], "", "", 0, std::atoi(argv[5])));
        CloseHandle(held);
        return 0;
    }
    if (command == "value" && argc == 4) {
        HKEY key = nullptr;
        char keyClass[64] = {};
        BYTE data[1024] = {};
        DWORD classLength = sizeof keyClass, type = 0, size = sizeof data;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, argv[2], 0, KEY_READ, &key) != ERROR_SUCCESS ||
            RegQueryInfoKeyA(key, keyClass, &classLength, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr) != ERROR_SUCCESS ||
            RegQueryValueExA(key, argv[3], nullptr, &type, data, &size) != ERROR_SUCCESS) {
            std::printf("no value\n");
            return 1;
        }
        std::printf("type %lu size %lu hex ", type, size);
        for (DWORD i = 0; i < size; ++i) std::printf("%02x", data[i]);
        std::printf(" class %s\n", keyClass);
        return 0;
    }
    if (command == "ensure" && argc == 3) {
        char usable[600] = "-";
        const DWORD start = GetTickCount();
        const int result = EnsureFolder(argv[2], usable, sizeof usable);
        std::printf("result %d usable [%s] ms %lu\n", result, usable, GetTickCount() - start);
        return 0;
    }
    UsmAuth auth;
    UsmPriv priv;
    UsmCredentials c = {};
    CredentialsScope scope = CredentialsScope::User;
    if (command == "credentials" && argc == 3 && product != nullptr) {
        const CredentialsStatus status = ReadCredentials(product->code, c, &scope);
        const std::string what = "credentials " + std::to_string(status) + " " + CredentialsScopeName(scope);
        return PrintCredentials(what.c_str(), c), 0;
    }
    if (command == "derive" && argc >= 6 && ParseUsmAuth(argv[3], &auth) && ParseUsmPriv(argv[4], &priv) &&
        UsmDeriveCredentials(argv[2], auth, priv, argv[5], argc > 6 ? argv[6] : nullptr, c) == UsmStatus::Ok)
        return PrintCredentials("derived", c), 0;
    std::fprintf(stderr, "settings_check: unknown command or wrong arguments\n");
    return 2;
}
