// The settings model: ScanLink's own settings (setup/settings.def), each read from the highest of
// four levels that sets it, with where it came from, so that the interface can show a value and
// refuse to change one that policy sets.
//
// Levels, highest first; each is a registry key with an optional subkey named after the product's
// code (for example ...\ScanLink\R7240), and a value in the subkey overrides the same value in the
// key itself for that product:
//   1. machine policy    HKLM\SOFTWARE\Policies\ScanLink   (the 64-bit view, where Group Policy writes)
//   2. user settings     HKCU\Software\ScanLink
//   3. machine defaults  HKLM\SOFTWARE\ScanLink            (the program's own view; the installer's)
//   4. built-in defaults (settings.def)
// A value is taken from a level when it exists there with its table type (a Number of 4 bytes);
// a value of another type, longer than 64 KiB, a text that fails its row's check (SettingCheck), or
// in a key that cannot be read is passed over, and
// the trace says why. A key or value that does not exist is simply not set at that level. Every
// value read goes to the trace ("setting": name, level, whether from the product's subkey, and the
// value unless the table marks it secret).
//
// The stored connection (setup/connection_schema.h) is not a setting: it keeps its own key.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum class SettingId : int {
#define SETTING(id, name, type, number, text, secret, check) id,
#include "setup/settings.def"
#undef SETTING
    Count
};
constexpr int kSettingCount = static_cast<int>(SettingId::Count);

enum class SettingType : int { Number, Text, Texts };

// The rule a Text value must meet to count at a level (settings.def's Check column).
enum class SettingCheck : int {
    Any,
    UsmUserName,      // 1 to 32 octets (an SNMPv3 user name)
    UsmAuthName,      // "SHA" or "SHA-256" (discovery/usm.h)
    UsmPrivName,      // "AES" or "none"
    SnmpVersionName,  // "v1", "v1+v3" or "v3" (setup/snmp_credentials.h)
};

// Where a value came from, lowest first.
enum class SettingLevel : int { BuiltIn, MachineDefault, User, Policy };

// One row of settings.def.
struct SettingDefinition {
    SettingId id;
    const char* name;
    SettingType type;
    uint32_t numberDefault;
    const char* textDefault;
    bool secret;
    SettingCheck check;
};

// A value and its origin. Only the member of the definition's type is meaningful.
struct SettingValue {
    uint32_t number = 0;
    std::string text;
    std::vector<std::string> texts;
    SettingLevel level = SettingLevel::BuiltIn;
    bool fromProductKey = false;  // from the level's subkey named after the product
};

// The keys of the three registry levels (below their hives). Tests give their own.
struct SettingsKeys {
    const char* policy;   // below HKEY_LOCAL_MACHINE, 64-bit view
    const char* user;     // below HKEY_CURRENT_USER
    const char* machine;  // below HKEY_LOCAL_MACHINE, the program's view
};
extern const SettingsKeys kSettingsKeys;  // SOFTWARE\Policies\ScanLink, Software\ScanLink, SOFTWARE\ScanLink

// Results of WriteUserSetting.
enum SettingWriteStatus : int {
    kSettingWritten = 0,
    kSettingSetByPolicy = 1,  // policy sets the value for this product: nothing written
    kSettingWriteFailed = 2,  // the user's key could not be created or the value not written
    kSettingInvalid = 3,      // a text that fails its row's check: nothing written
};

// Where WriteUserSetting writes: the user's key itself (every product) or the product's subkey.
enum class SettingScope : int { AllProducts, ThisProduct };

namespace Settings {
// The table's row of a value.
const SettingDefinition& Definition(SettingId id);
// The level's name as the trace and the documentation write it: "builtin", "machine", "user", "policy".
const char* LevelName(SettingLevel level);
// True when the text meets the rule (exact, case-sensitive, as the protocols' names are written).
bool TextPasses(SettingCheck check, const std::string& text);
}  // namespace Settings

// Every value of settings.def for one product, read once (the values do not follow later changes of
// the registry: read again for a new search or dialog).
class SettingsModel {
public:
    // Reads every value for the product with that code (its subkeys) from the keys given.
    static SettingsModel Read(const char* productCode, const SettingsKeys& keys = kSettingsKeys);
    // Reads every value for the current product (product/product.h) from the real keys.
    static SettingsModel ReadForCurrentProduct();

    const SettingValue& Get(SettingId id) const { return values_[static_cast<int>(id)]; }
    uint32_t Number(SettingId id) const { return Get(id).number; }
    const std::string& Text(SettingId id) const { return Get(id).text; }
    const std::vector<std::string>& Texts(SettingId id) const { return Get(id).texts; }
    // True when machine policy sets the value: the interface shows it and does not let it change.
    bool SetByPolicy(SettingId id) const { return Get(id).level == SettingLevel::Policy; }

private:
    SettingValue values_[kSettingCount];
};

namespace Settings {
// Writes the user's value (the member of the definition's type) into the user's key or the product's
// subkey of it, after checking that policy does not set the value for the product; the trace gets
// "setting.write" with the name, the scope, the value stored there before and the new one (neither
// for a secret value) and the result.
SettingWriteStatus WriteUserSetting(const char* productCode, SettingScope scope, SettingId id,
                                    const SettingValue& value, const SettingsKeys& keys = kSettingsKeys);
// Removes the user's value from the user's key or the product's subkey of it, so that the lower
// levels decide again; policy is checked as for a write. A value (or key) that is not there counts
// as removed (kSettingWritten). The trace gets "setting.write" as above, with the new value
// "(removed)".
SettingWriteStatus RemoveUserSetting(const char* productCode, SettingScope scope, SettingId id,
                                     const SettingsKeys& keys = kSettingsKeys);
// The scope where the user's own value of id sits now: the product's subkey when the model took it
// from there, else the user's key itself. A write there replaces what the user sees.
SettingScope UserScopeOf(const SettingsModel& settings, SettingId id);
}  // namespace Settings
