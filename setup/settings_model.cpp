// The settings model: each value of settings.def from the highest level that sets it.
#include "setup/settings_model.h"

#include "platform/diagnostics.h"
#include "platform/registry.h"
#include "platform/system_error.h"
#include "discovery/usm.h"
#include "product/product.h"
#include "setup/snmp_credentials.h"
#include "setup/settings_store.h"

namespace {

constexpr SettingType Number = SettingType::Number;
constexpr SettingType Text = SettingType::Text;
constexpr SettingType Texts = SettingType::Texts;
constexpr bool Yes = true;
constexpr bool No = false;
constexpr SettingCheck Any = SettingCheck::Any;
constexpr SettingCheck UsmUserName = SettingCheck::UsmUserName;
constexpr SettingCheck UsmAuthName = SettingCheck::UsmAuthName;
constexpr SettingCheck UsmPrivName = SettingCheck::UsmPrivName;
constexpr SettingCheck SnmpVersionName = SettingCheck::SnmpVersionName;

const SettingDefinition kDefinitions[kSettingCount] = {
#define SETTING(id, name, type, number, text, secret, check) {SettingId::id, name, type, number, text, secret, check},
#include "setup/settings.def"
#undef SETTING
};

// One registry level: its hive, its key and the level it stands for.
struct LevelKey {
    SettingLevel level;
    RegHive hive;
    const char* path;
};

std::string Join(const std::vector<std::string>& texts)
{
    std::string joined;
    for (const std::string& text : texts) joined += (joined.empty() ? "" : ",") + text;
    return joined;
}

// The value's data as the trace writes it (never a secret's).
std::string Shown(const SettingDefinition& definition, const SettingValue& value)
{
    if (definition.secret) return "(secret)";
    switch (definition.type) {
    case SettingType::Number:
        return std::to_string(value.number);
    case SettingType::Text:
        return value.text;
    case SettingType::Texts:
        return Join(value.texts);
    }
    return "";
}

// A text that fails its row's check: passed over like a value of the wrong type.
constexpr RegStatus kRegInvalidText = static_cast<RegStatus>(-100);

const char* RegResultName(RegStatus status)
{
    if (status == kRegInvalidText) return "invalid";
    switch (status) {
    case kRegOk:
        return "ok";
    case kRegMissing:
        return "missing";
    case kRegDenied:
        return "denied";
    case kRegMoreData:
        return "too-long";
    case kRegWrongType:
        return "wrong-type";
    default:
        return "failed";
    }
}

// Reads the definition's value from an open key into value (only on kRegOk).
RegStatus ReadValue(RegKeyHandle key, const SettingDefinition& definition, SettingValue& value)
{
    switch (definition.type) {
    case SettingType::Number:
        return Registry::QueryDword(key, definition.name, &value.number);
    case SettingType::Text: {
        std::string text;
        const RegStatus status = Registry::QueryString(key, definition.name, &text);
        if (status != kRegOk) return status;
        if (!Settings::TextPasses(definition.check, text)) return kRegInvalidText;
        value.text = std::move(text);
        return kRegOk;
    }
    case SettingType::Texts:
        return Registry::QueryMultiString(key, definition.name, &value.texts);
    }
    return kRegFailed;
}

std::string SubkeyPath(const char* path, const char* productCode)
{
    return std::string(path) + "\\" + productCode;
}

// True when the policy key or its product subkey holds the value with its type.
bool PolicySets(const char* productCode, const char* policyPath, const SettingDefinition& definition)
{
    if (policyPath == nullptr || *policyPath == '\0') return false;
    std::vector<std::string> paths = {policyPath};
    if (productCode != nullptr && *productCode != '\0') paths.push_back(SubkeyPath(policyPath, productCode));
    for (const std::string& path : paths) {
        RegKeyHandle key = nullptr;
        if (Registry::OpenKeyForReading(kRegMachineHive64, path.c_str(), &key) != kRegOk) continue;
        SettingValue ignored;
        const bool set = ReadValue(key, definition, ignored) == kRegOk;
        Registry::CloseUserKey(key);
        if (set) return true;
    }
    return false;
}

}  // namespace

// scripts/settings.sh reads this line for the packages and the Group Policy templates: keep it one line.
const SettingsKeys kSettingsKeys = {"SOFTWARE\\Policies\\ScanLink", "Software\\ScanLink", "SOFTWARE\\ScanLink"};

namespace Settings {

const SettingDefinition& Definition(SettingId id)
{
    return kDefinitions[static_cast<int>(id)];
}

const char* LevelName(SettingLevel level)
{
    switch (level) {
    case SettingLevel::BuiltIn:
        return "builtin";
    case SettingLevel::MachineDefault:
        return "machine";
    case SettingLevel::User:
        return "user";
    case SettingLevel::Policy:
        return "policy";
    }
    return "";
}

bool TextPasses(SettingCheck check, const std::string& text)
{
    UsmAuth auth;
    UsmPriv priv;
    SnmpVersions versions;
    switch (check) {
    case SettingCheck::Any:
        return true;
    case SettingCheck::UsmUserName:
        return !text.empty() && text.size() <= kUsmMaxUserName && text.find('\0') == std::string::npos;
    case SettingCheck::UsmAuthName:
        return ParseUsmAuth(text.c_str(), &auth);
    case SettingCheck::UsmPrivName:
        return ParseUsmPriv(text.c_str(), &priv);
    case SettingCheck::SnmpVersionName:
        return ParseSnmpVersions(text.c_str(), &versions);
    }
    return false;
}

}  // namespace Settings

SettingsModel SettingsModel::Read(const char* productCode, const SettingsKeys& keys)
{
    SettingsModel model;
    bool found[kSettingCount] = {};
    const LevelKey levels[] = {{SettingLevel::Policy, kRegMachineHive64, keys.policy},
                               {SettingLevel::User, kRegUserHive, keys.user},
                               {SettingLevel::MachineDefault, kRegMachineHive, keys.machine}};
    for (const LevelKey& level : levels) {
        // The product's subkey first: its values override the key's own for this product.
        for (const bool productKey : {true, false}) {
            if (level.path == nullptr || *level.path == '\0') continue;
            if (productKey && (productCode == nullptr || *productCode == '\0')) continue;
            const std::string path = productKey ? SubkeyPath(level.path, productCode) : level.path;
            RegKeyHandle key = nullptr;
            const RegStatus opened = Registry::OpenKeyForReading(level.hive, path.c_str(), &key);
            if (opened != kRegOk) {
                if (opened != kRegMissing)
                    Diagnostics::Event("setting.key", {{"level", Settings::LevelName(level.level)},
                                                       {"key", path},
                                                       {"result", RegResultName(opened)},
                                                       {"error", std::to_string(Platform::LastSystemError())}});
                continue;
            }
            for (int i = 0; i < kSettingCount; ++i) {
                if (found[i]) continue;
                SettingValue value;
                const RegStatus read = ReadValue(key, kDefinitions[i], value);
                if (read == kRegMissing) continue;
                if (read != kRegOk) {
                    Diagnostics::Event("setting.ignored", {{"name", kDefinitions[i].name},
                                                           {"level", Settings::LevelName(level.level)},
                                                           {"key", path},
                                                           {"reason", RegResultName(read)}});
                    continue;
                }
                value.level = level.level;
                value.fromProductKey = productKey;
                model.values_[i] = std::move(value);
                found[i] = true;
            }
            Registry::CloseUserKey(key);
        }
    }
    for (int i = 0; i < kSettingCount; ++i) {
        SettingValue& value = model.values_[i];
        if (!found[i]) {
            value = SettingValue{};
            value.number = kDefinitions[i].numberDefault;
            value.text = kDefinitions[i].textDefault;
        }
        Diagnostics::Event("setting", {{"name", kDefinitions[i].name},
                                       {"level", Settings::LevelName(value.level)},
                                       {"key", value.fromProductKey ? "product" : "common"},
                                       {"value", Shown(kDefinitions[i], value)}});
    }
    return model;
}

SettingsModel SettingsModel::ReadForCurrentProduct()
{
    return Read(Products::Current().code);
}

namespace Settings {

// Writes value, or removes the user's value when value is null (RemoveUserSetting).
static SettingWriteStatus WriteOrRemove(const char* productCode, SettingScope scope, SettingId id,
                                        const SettingValue* value, const SettingsKeys& keys)
{
    const SettingDefinition& definition = Definition(id);
    const bool productKey = scope == SettingScope::ThisProduct && productCode != nullptr && *productCode != '\0';
    const std::string path = productKey ? SubkeyPath(keys.user, productCode) : keys.user;
    const char* scopeName = productKey ? "product" : "common";
    if (value != nullptr && definition.type == SettingType::Text && !TextPasses(definition.check, value->text)) {
        Diagnostics::Event("setting.write", {{"name", definition.name}, {"scope", scopeName}, {"result", "invalid"}});
        return kSettingInvalid;
    }
    // Policy is read at the moment of writing: the interface may have been open for a while.
    if (PolicySets(productCode, keys.policy, definition)) {
        Diagnostics::Event("setting.write", {{"name", definition.name}, {"scope", scopeName}, {"result", "policy"}});
        return kSettingSetByPolicy;
    }
    SettingValue old;
    bool hadOld = false;
    RegKeyHandle key = nullptr;
    if (Registry::OpenKeyForReading(kRegUserHive, path.c_str(), &key) == kRegOk) {
        hadOld = ReadValue(key, definition, old) == kRegOk;
        Registry::CloseUserKey(key);
        key = nullptr;
    }
    RegStatus status = kRegOk;
    if (value == nullptr) {
        // Removing: a missing key or value is already what is asked for.
        status = Registry::OpenUserKey(path.c_str(), &key);
        if (status == kRegOk) {
            status = Registry::DeleteValue(key, definition.name);
            Registry::CloseUserKey(key);
        }
        if (status == kRegMissing) status = kRegOk;
    } else if ((status = Registry::CreateUserKey(path.c_str(), kKeyClass, &key)) == kRegOk) {
        switch (definition.type) {
        case SettingType::Number:
            status = Registry::SetValue(key, definition.name, kRegTypeDword, &value->number, 4);
            break;
        case SettingType::Text:
            status = Registry::SetValue(key, definition.name, kRegTypeSz, value->text.c_str(),
                                        static_cast<uint32_t>(value->text.size() + 1));
            break;
        case SettingType::Texts:
            status = Registry::SetMultiString(key, definition.name, value->texts);
            break;
        }
        Registry::CloseUserKey(key);
    }
    Diagnostics::Event("setting.write", {{"name", definition.name},
                                         {"scope", scopeName},
                                         {"old", hadOld ? Shown(definition, old) : "(none)"},
                                         {"new", value != nullptr ? Shown(definition, *value) : "(removed)"},
                                         {"result", RegResultName(status)}});
    return status == kRegOk ? kSettingWritten : kSettingWriteFailed;
}

SettingWriteStatus WriteUserSetting(const char* productCode, SettingScope scope, SettingId id,
                                    const SettingValue& value, const SettingsKeys& keys)
{
    return WriteOrRemove(productCode, scope, id, &value, keys);
}

SettingWriteStatus RemoveUserSetting(const char* productCode, SettingScope scope, SettingId id,
                                     const SettingsKeys& keys)
{
    return WriteOrRemove(productCode, scope, id, nullptr, keys);
}

SettingScope UserScopeOf(const SettingsModel& settings, SettingId id)
{
    const SettingValue& value = settings.Get(id);
    return value.level == SettingLevel::User && value.fromProductKey ? SettingScope::ThisProduct
                                                                     : SettingScope::AllProducts;
}

}  // namespace Settings
