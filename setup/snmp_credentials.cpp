// SNMPv3 credentials: the version choice and the stored keys.
#include "setup/snmp_credentials.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/crypto.h"
#include "platform/data_protection.h"
#include "platform/diagnostics.h"
#include "platform/registry.h"
#include "platform/system_error.h"
#include "setup/settings_store.h"

namespace {

constexpr char kKeysValue[] = "SnmpV3Keys";
// The protected data: version, auth, priv, key length, the authentication key, the privacy key
// (AES only).
constexpr std::uint8_t kLayoutVersion = 1;
constexpr size_t kLayoutHeader = 4;
constexpr uint32_t kMaxBlob = 4096;

const char* Name(SettingId id)
{
    return Settings::Definition(id).name;
}

// Wipes a vector that held key material and empties it.
void Wipe(std::vector<std::uint8_t>& bytes)
{
    if (!bytes.empty()) CryptoWipe(bytes.data(), bytes.size());
    bytes.clear();
}

std::string ProductPath(const char* path, const char* productCode)
{
    return std::string(path) + "\\" + productCode;
}

// The scope's key paths, the product's subkey first (when a product is named).
std::vector<std::string> Paths(CredentialsScope scope, const char* productCode, const SettingsKeys& keys)
{
    const char* root = scope == CredentialsScope::User ? keys.user : keys.machine;
    std::vector<std::string> paths;
    if (root == nullptr || *root == '\0') return paths;
    if (productCode != nullptr && *productCode != '\0') paths.push_back(ProductPath(root, productCode));
    paths.push_back(root);
    return paths;
}

RegHive Hive(CredentialsScope scope)
{
    return scope == CredentialsScope::User ? kRegUserHive : kRegMachineHive;
}

RegStatus OpenForWriting(CredentialsScope scope, const std::string& path, RegKeyHandle* key)
{
    return scope == CredentialsScope::User ? Registry::CreateUserKey(path.c_str(), kKeyClass, key)
                                           : Registry::CreateMachineKey(path.c_str(), kKeyClass, key);
}

RegStatus SetText(RegKeyHandle key, SettingId id, const char* text)
{
    return Registry::SetValue(key, Name(id), kRegTypeSz, text, static_cast<uint32_t>(std::strlen(text) + 1));
}

// Reads the protected keys of one key: kRegOk with the blob, kRegMissing, or a failure.
RegStatus ReadBlob(CredentialsScope scope, const std::string& path, std::vector<std::uint8_t>& blob)
{
    RegKeyHandle key = nullptr;
    RegStatus status = Registry::OpenKeyForReading(Hive(scope), path.c_str(), &key);
    if (status != kRegOk) return status;
    blob.assign(kMaxBlob, 0);
    uint32_t size = kMaxBlob, type = 0;
    status = Registry::QueryValue(key, kKeysValue, &type, blob.data(), &size);
    Registry::CloseUserKey(key);
    if (status == kRegOk && type != kRegTypeBinary) status = kRegWrongType;
    blob.resize(status == kRegOk ? size : 0);
    return status;
}

// Reads the layout of unprotected data into out's protocols and keys.
bool ParseLayout(const std::vector<std::uint8_t>& data, UsmCredentials& out)
{
    if (data.size() < kLayoutHeader || data[0] != kLayoutVersion || data[1] > 1 || data[2] > 1) return false;
    out.auth = data[1] == 0 ? UsmAuth::Sha1 : UsmAuth::Sha256;
    out.priv = data[2] == 0 ? UsmPriv::None : UsmPriv::Aes128;
    const size_t length = data[3];
    const size_t keys = out.priv == UsmPriv::None ? 1 : 2;
    if (length != UsmKeyLength(out.auth) || data.size() != kLayoutHeader + keys * length) return false;
    std::memcpy(out.authKey, data.data() + kLayoutHeader, length);
    if (keys == 2) std::memcpy(out.privKey, data.data() + kLayoutHeader + length, length);
    return true;
}

}  // namespace

SnmpVersions EffectiveSnmpVersions(const SettingsModel& model, bool credentialsStored)
{
    const SettingValue& value = model.Get(SettingId::SnmpVersion);
    SnmpVersions versions = SnmpVersions::V1;
    ParseSnmpVersions(value.text.c_str(), &versions);
    if (value.level == SettingLevel::BuiltIn && credentialsStored) return SnmpVersions::V1AndV3;
    return versions;
}

const char* CredentialsScopeName(CredentialsScope scope)
{
    return scope == CredentialsScope::User ? "user" : "machine";
}

CredentialsStatus StoreCredentials(CredentialsScope scope, const UsmCredentials& credentials, const SettingsKeys& keys)
{
    const size_t length = UsmKeyLength(credentials.auth);
    std::vector<std::uint8_t> data = {
        kLayoutVersion, static_cast<std::uint8_t>(credentials.auth == UsmAuth::Sha1 ? 0 : 1),
        static_cast<std::uint8_t>(credentials.priv == UsmPriv::None ? 0 : 1), static_cast<std::uint8_t>(length)};
    data.insert(data.end(), credentials.authKey, credentials.authKey + length);
    if (credentials.priv != UsmPriv::None) data.insert(data.end(), credentials.privKey, credentials.privKey + length);
    std::vector<std::uint8_t> blob;
    const ProtectionScope protection =
        scope == CredentialsScope::User ? ProtectionScope::User : ProtectionScope::Machine;
    const ProtectionStatus protectedStatus = Platform::ProtectData(protection, data.data(), data.size(), &blob);
    Wipe(data);

    const char* root = scope == CredentialsScope::User ? keys.user : keys.machine;
    RegStatus status = kRegFailed;
    if (protectedStatus == kProtectionOk) {
        RegKeyHandle key = nullptr;
        status = OpenForWriting(scope, root, &key);
        if (status == kRegOk) {
            // The old keys go first, the new ones come last: a reader never finds keys beside the
            // protocols of another set.
            const RegStatus removed = Registry::DeleteValue(key, kKeysValue);
            status = removed == kRegMissing ? kRegOk : removed;
            if (status == kRegOk) status = SetText(key, SettingId::SnmpV3User, credentials.userName);
            if (status == kRegOk) status = SetText(key, SettingId::SnmpV3Auth, UsmAuthName(credentials.auth));
            if (status == kRegOk) status = SetText(key, SettingId::SnmpV3Priv, UsmPrivName(credentials.priv));
            if (status == kRegOk)
                status = Registry::SetValue(key, kKeysValue, kRegTypeBinary, blob.data(),
                                            static_cast<uint32_t>(blob.size()));
            Registry::CloseUserKey(key);
        }
    }
    const bool stored = protectedStatus == kProtectionOk && status == kRegOk;
    Diagnostics::Event("credentials.store", {{"scope", CredentialsScopeName(scope)},
                                             {"user", credentials.userName},
                                             {"auth", UsmAuthName(credentials.auth)},
                                             {"priv", UsmPrivName(credentials.priv)},
                                             {"result", stored                             ? "ok"
                                                        : protectedStatus != kProtectionOk ? "protection-failed"
                                                        : status == kRegDenied             ? "denied"
                                                                                           : "failed"},
                                             {"error", stored ? "0" : std::to_string(Platform::LastSystemError())}});
    return stored ? kCredentialsOk : kCredentialsFailed;
}

CredentialsStatus ClearCredentials(CredentialsScope scope, const char* productCode, const SettingsKeys& keys)
{
    bool found = false, failed = false;
    for (const std::string& path : Paths(scope, productCode, keys)) {
        std::vector<std::uint8_t> blob;
        const RegStatus read = ReadBlob(scope, path, blob);
        if (read == kRegMissing) continue;
        found = true;
        RegKeyHandle key = nullptr;
        RegStatus status = OpenForWriting(scope, path, &key);
        if (status == kRegOk) {
            for (const char* name :
                 {kKeysValue, Name(SettingId::SnmpV3User), Name(SettingId::SnmpV3Auth), Name(SettingId::SnmpV3Priv)}) {
                const RegStatus removed = Registry::DeleteValue(key, name);
                if (removed != kRegOk && removed != kRegMissing) status = removed;
            }
            Registry::CloseUserKey(key);
        }
        failed = failed || status != kRegOk;
    }
    Diagnostics::Event("credentials.clear", {{"scope", CredentialsScopeName(scope)},
                                             {"result", failed  ? "failed"
                                                        : found ? "ok"
                                                                : "none"}});
    return failed ? kCredentialsFailed : found ? kCredentialsOk : kCredentialsNone;
}

CredentialsStatus ReadCredentials(const char* productCode, UsmCredentials& out, CredentialsScope* scope,
                                  const SettingsKeys& keys)
{
    std::vector<std::uint8_t> blob;
    CredentialsScope from = CredentialsScope::User;
    bool found = false, fromProduct = false;
    for (const CredentialsScope candidate : {CredentialsScope::User, CredentialsScope::Machine}) {
        const std::vector<std::string> paths = Paths(candidate, productCode, keys);
        for (size_t i = 0; i < paths.size() && !found; ++i) {
            if (ReadBlob(candidate, paths[i], blob) != kRegOk) continue;
            found = true;
            from = candidate;
            fromProduct = i + 1 < paths.size();
        }
        if (found) break;
    }
    CredentialsStatus result = kCredentialsNone;
    UsmCredentials read = {};
    if (found) {
        std::vector<std::uint8_t> data;
        result = Platform::UnprotectData(blob.data(), blob.size(), &data) == kProtectionOk && ParseLayout(data, read)
                     ? kCredentialsOk
                     : kCredentialsDamaged;
        Wipe(data);
    }
    if (result == kCredentialsOk) {
        // The user name and the protocols in force are the settings model's; the keys must fit them.
        const SettingsModel model = SettingsModel::Read(productCode, keys);
        const std::string& user = model.Text(SettingId::SnmpV3User);
        UsmAuth auth = read.auth;
        UsmPriv priv = read.priv;
        const bool fits = ParseUsmAuth(model.Text(SettingId::SnmpV3Auth).c_str(), &auth) && auth == read.auth &&
                          ParseUsmPriv(model.Text(SettingId::SnmpV3Priv).c_str(), &priv) &&
                          (priv == UsmPriv::None || read.priv == UsmPriv::Aes128) && !user.empty() &&
                          user.size() <= kUsmMaxUserName;
        if (fits) {
            std::memcpy(read.userName, user.c_str(), user.size() + 1);
            read.priv = priv;
            out = read;
        } else {
            result = kCredentialsMismatch;
        }
    }
    CryptoWipe(&read, sizeof read);
    if (scope != nullptr && result == kCredentialsOk) *scope = from;
    Diagnostics::Event("credentials.read", {{"scope", found ? CredentialsScopeName(from) : "none"},
                                            {"key", fromProduct ? "product" : "common"},
                                            {"result", result == kCredentialsOk        ? "ok"
                                                       : result == kCredentialsNone    ? "none"
                                                       : result == kCredentialsDamaged ? "damaged"
                                                                                       : "mismatch"}});
    return result;
}
