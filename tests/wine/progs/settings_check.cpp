// Windows test program of the settings store: runs one store operation, or reads back what it
// left (registry values and key class, a file's access list) with the Windows API itself.
//   settings_check save FOLDER KEY ADDRESS MAC ADAPTER PROTOCOL DIRECT
//   settings_check save-variant VARIANT ADDRESS MAC ADAPTER PROTOCOL DIRECT
//   settings_check read KEY VALUE DEFAULT        prints [text]
//   settings_check write KEY VALUE TEXT | write-repeat KEY VALUE CHAR COUNT
//   settings_check value KEY VALUE               prints "type N size N hex ..." and "class ..."
//   settings_check ensure PATH                   prints "result N usable [path] ms N"
//   settings_check writable FOLDER               prints 1 or 0
//   settings_check null-dacl FILE                gives the file a null access list (for comparison)
//   settings_check acl FILE                      prints one line per entry: "SID mask" and "protected N"
#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/scanlink_app.h"
#include "setup/settings_store.h"

namespace {

int Value(const char* key, const char* name)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        std::printf("no key\n");
        return 1;
    }
    char keyClass[64] = {};
    DWORD classLength = sizeof keyClass;
    RegQueryInfoKeyA(handle, keyClass, &classLength, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr);
    BYTE data[1024] = {};
    DWORD type = 0, size = sizeof data;
    if (RegQueryValueExA(handle, name, nullptr, &type, data, &size) != ERROR_SUCCESS) {
        std::printf("no value\nclass %s\n", keyClass);
        RegCloseKey(handle);
        return 1;
    }
    std::printf("type %lu size %lu hex ", static_cast<unsigned long>(type), static_cast<unsigned long>(size));
    for (DWORD i = 0; i < size; ++i) std::printf("%02x", data[i]);
    std::printf("\nclass %s\n", keyClass);
    RegCloseKey(handle);
    return 0;
}

int Acl(const char* file)
{
    DWORD needed = 0;
    GetFileSecurityA(file, DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    if (needed == 0) {
        std::printf("no descriptor (error %lu)\n", GetLastError());
        return 1;
    }
    auto* descriptor = static_cast<PSECURITY_DESCRIPTOR>(std::malloc(needed));
    if (!GetFileSecurityA(file, DACL_SECURITY_INFORMATION, descriptor, needed, &needed)) {
        std::printf("no descriptor (error %lu)\n", GetLastError());
        std::free(descriptor);
        return 1;
    }
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted);
    if (!present || acl == nullptr) {
        std::printf("null dacl\n");
    } else {
        for (DWORD i = 0; i < acl->AceCount; ++i) {
            void* ace = nullptr;
            if (!GetAce(acl, i, &ace)) continue;
            auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
            char* sid = nullptr;
            ConvertSidToStringSidA(reinterpret_cast<PSID>(&allowed->SidStart), &sid);
            std::printf("%s %s 0x%08lx\n", allowed->Header.AceType == ACCESS_ALLOWED_ACE_TYPE ? "allow" : "other",
                        sid != nullptr ? sid : "?", static_cast<unsigned long>(allowed->Mask));
            LocalFree(sid);
        }
    }
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    std::printf("protected %d\n", (control & SE_DACL_PROTECTED) != 0 ? 1 : 0);
    std::free(descriptor);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "save" && argc == 9) {
        SettingsStore::SaveTo(argv[2], argv[3], argv[4], argv[5], argv[6], std::atoi(argv[7]), std::atoi(argv[8]));
        return 0;
    }
    if (command == "save-variant" && argc == 8) {
        TheApp().m_nVariant = std::atoi(argv[2]);
        SettingsStore::Save(argv[3], argv[4], argv[5], std::atoi(argv[6]), std::atoi(argv[7]));
        return 0;
    }
    if (command == "read" && argc == 5) {
        std::printf("[%s]\n", SettingsStore::ReadRegString(argv[2], argv[3], argv[4]).c_str());
        return 0;
    }
    if (command == "write" && argc == 5) {
        SettingsStore::WriteRegString(argv[2], argv[3], argv[4]);
        return 0;
    }
    if (command == "write-repeat" && argc == 6) {
        SettingsStore::WriteRegString(argv[2], argv[3], std::string(std::atoi(argv[5]), argv[4][0]).c_str());
        return 0;
    }
    if (command == "value" && argc == 4) return Value(argv[2], argv[3]);
    if (command == "ensure" && argc == 3) {
        char usable[600] = "-";
        const DWORD start = GetTickCount();
        const int result = EnsureFolder(argv[2], usable, sizeof usable);
        std::printf("result %d usable [%s] ms %lu\n", result, usable, static_cast<unsigned long>(GetTickCount() - start));
        return 0;
    }
    if (command == "writable" && argc == 3) {
        std::printf("%d\n", IsFolderWritable(argv[2]) ? 1 : 0);
        return 0;
    }
    if (command == "acl" && argc == 3) return Acl(argv[2]);
    if (command == "null-dacl" && argc == 3) {
        SECURITY_DESCRIPTOR descriptor;
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        std::printf("%d\n", SetFileSecurityA(argv[2], DACL_SECURITY_INFORMATION, &descriptor) ? 1 : 0);
        return 0;
    }
    std::fprintf(stderr, "settings_check: unknown command or wrong arguments\n");
    return 2;
}
