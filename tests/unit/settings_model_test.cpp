// The settings model over the registry (natively the stand-in; under Wine the real HKLM and HKCU):
// the precedence of every pair of levels and subkeys, the value types, and user writes under policy.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>

#include "control/test_control.h"
#include "platform/diagnostics.h"
#include "platform/registry.h"
#include "setup/settings_model.h"
#include "setup/snmp_credentials.h"
#include "test_support.h"

namespace {

// The three level keys of one test, below private roots.
struct TestKeys {
    std::string base = "SOFTWARE\\ScanLink Unit Tests\\Settings " +
                       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    std::string policy = base + "\\Policies", user = base + "\\User", machine = base + "\\Machine";
    SettingsKeys Keys() const { return {policy.c_str(), user.c_str(), machine.c_str()}; }
};

// Where a test puts a value: a level's key or its product subkey.
struct Place {
    const char* name;
    SettingLevel level;
    bool productKey;
};
const Place kPlaces[] = {  // highest first
    {"policy R7240", SettingLevel::Policy, true},          {"policy", SettingLevel::Policy, false},
    {"user R7240", SettingLevel::User, true},              {"user", SettingLevel::User, false},
    {"machine R7240", SettingLevel::MachineDefault, true}, {"machine", SettingLevel::MachineDefault, false},
};

RegKeyHandle Create(const TestKeys& keys, const Place& place)
{
    const std::string& root = place.level == SettingLevel::Policy ? keys.policy
                              : place.level == SettingLevel::User ? keys.user
                                                                  : keys.machine;
    const std::string path = place.productKey ? root + "\\R7240" : root;
    RegKeyHandle key = nullptr;
    const RegStatus status = place.level == SettingLevel::User
                                 ? Registry::CreateUserKey(path.c_str(), "", &key)
                                 : Platform::CreateTestMachineKey(path.c_str(), &key);
    EXPECT_EQ(status, kRegOk) << path;
    return key;
}

void SetText(const TestKeys& keys, const Place& place, const char* name, const std::string& text)
{
    RegKeyHandle key = Create(keys, place);
    EXPECT_EQ(Registry::SetValue(key, name, kRegTypeSz, text.c_str(), static_cast<uint32_t>(text.size() + 1)), kRegOk);
    Registry::CloseUserKey(key);
}

}  // namespace

TEST(SettingsModel, EveryPairOfPlacesGivesTheHigherOneAndEachAloneIsTaken)
{
    for (size_t high = 0; high < std::size(kPlaces); ++high) {
        for (size_t low = high; low < std::size(kPlaces); ++low) {
            SCOPED_TRACE(std::string(kPlaces[high].name) + " over " + kPlaces[low].name);
            TestKeys keys;
            SetText(keys, kPlaces[low], "DefaultScanner", "low");  // high == low: the place alone
            SetText(keys, kPlaces[high], "DefaultScanner", "high");
            // Another product's subkey is never read for R7240.
            SetText(keys, {"", kPlaces[high].level, false}, "Unrelated", "");
            const SettingsModel model = SettingsModel::Read("R7240", keys.Keys());
            const SettingValue& value = model.Get(SettingId::DefaultScanner);
            EXPECT_EQ(value.text, "high");
            EXPECT_EQ(value.level, kPlaces[high].level);
            EXPECT_EQ(value.fromProductKey, kPlaces[high].productKey);
            EXPECT_EQ(model.SetByPolicy(SettingId::DefaultScanner), kPlaces[high].level == SettingLevel::Policy);
            EXPECT_EQ(SettingsModel::Read("R6020", keys.Keys()).Get(SettingId::DefaultScanner).text,
                      !kPlaces[high].productKey ? "high" : !kPlaces[low].productKey ? "low" : "");
        }
    }
}

TEST(SettingsModel, TypesAreReadAsTheTableSaysAndAWrongTypeFallsToTheNextPlace)
{
    TestKeys keys;
    EXPECT_EQ(SettingsModel::Read("R7240", keys.Keys()).Number(SettingId::LocalBroadcast), 1u);  // built in
    EXPECT_TRUE(SettingsModel::Read("R7240", keys.Keys()).Texts(SettingId::DiscoveryTargets).empty());
    RegKeyHandle machine = Create(keys, kPlaces[5]);
    const uint32_t zero = 0;
    EXPECT_EQ(Registry::SetValue(machine, "LocalBroadcast", kRegTypeDword, &zero, 4), kRegOk);
    EXPECT_EQ(Registry::SetMultiString(machine, "DiscoveryTargets", {"203.0.113.0/28", "", "scan-1.example"}), kRegOk);
    Registry::CloseUserKey(machine);
    RegKeyHandle policy = Create(keys, kPlaces[0]);  // wrong types: a text for a number, a number for texts
    EXPECT_EQ(Registry::SetValue(policy, "LocalBroadcast", kRegTypeSz, "1", 2), kRegOk);
    EXPECT_EQ(Registry::SetValue(policy, "DiscoveryTargets", kRegTypeDword, &zero, 4), kRegOk);
    Registry::CloseUserKey(policy);
    const SettingsModel model = SettingsModel::Read("R7240", keys.Keys());
    EXPECT_EQ(model.Number(SettingId::LocalBroadcast), 0u);
    EXPECT_EQ(model.Get(SettingId::LocalBroadcast).level, SettingLevel::MachineDefault);
    EXPECT_EQ(model.Texts(SettingId::DiscoveryTargets), (std::vector<std::string>{"203.0.113.0/28", "scan-1.example"}));
    // A key opened for reading refuses writes.
    RegKeyHandle readOnly = nullptr;
    ASSERT_EQ(Registry::OpenKeyForReading(kRegMachineHive, keys.machine.c_str(), &readOnly), kRegOk);
    EXPECT_EQ(Registry::SetValue(readOnly, "LocalBroadcast", kRegTypeDword, &zero, 4), kRegDenied);
    std::string text;
    EXPECT_EQ(Registry::QueryString(readOnly, "LocalBroadcast", &text), kRegWrongType);
    Registry::CloseUserKey(readOnly);
}

TEST(SettingsModel, AUserWriteIsRefusedWhereThePolicySetsTheValueAndTracedWithOldAndNew)
{
    TestKeys keys;
    TempFolder folder;
    const std::string trace = folder.Path() + "/trace.txt";
    ASSERT_TRUE(Diagnostics::OpenTrace(trace.c_str()));
    SettingValue targets;
    targets.texts = {"198.51.100.7"};
    EXPECT_EQ(Settings::WriteUserSetting("R7240", SettingScope::ThisProduct, SettingId::DiscoveryTargets, targets,
                                         keys.Keys()),
              kSettingWritten);
    targets.texts = {"198.51.100.8", "scan-2.example"};
    EXPECT_EQ(Settings::WriteUserSetting("R7240", SettingScope::ThisProduct, SettingId::DiscoveryTargets, targets,
                                         keys.Keys()),
              kSettingWritten);
    const SettingValue read = SettingsModel::Read("R7240", keys.Keys()).Get(SettingId::DiscoveryTargets);
    EXPECT_EQ(read.texts, targets.texts);
    EXPECT_EQ(read.level, SettingLevel::User);
    EXPECT_TRUE(read.fromProductKey);
    SetText(keys, kPlaces[0], "DefaultScanner", "scan-9.example");  // policy for R7240 only
    SettingValue scanner;
    scanner.text = "198.51.100.9";
    EXPECT_EQ(Settings::WriteUserSetting("R7240", SettingScope::AllProducts, SettingId::DefaultScanner, scanner,
                                         keys.Keys()),
              kSettingSetByPolicy);
    EXPECT_EQ(Settings::WriteUserSetting("R6020", SettingScope::AllProducts, SettingId::DefaultScanner, scanner,
                                         keys.Keys()),
              kSettingWritten);
    EXPECT_EQ(SettingsModel::Read("R7240", keys.Keys()).Text(SettingId::DefaultScanner), "scan-9.example");
    Diagnostics::CloseTrace();
    std::ifstream in(trace, std::ios::binary);
    const std::string lines{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(lines.find("setting.write name=DiscoveryTargets scope=product old=198.51.100.7 "
                         "new=198.51.100.8,scan-2.example result=ok"),
              std::string::npos)
        << lines;
    EXPECT_NE(lines.find("setting.write name=DefaultScanner scope=common result=policy"), std::string::npos);
    EXPECT_NE(lines.find("setting name=DefaultScanner level=policy key=product value=scan-9.example"),
              std::string::npos);
}

TEST(SettingsModel, ATextThatFailsItsCheckFallsToTheNextPlaceAndIsNotWritten)
{
    const std::string tooLong(33, 'u'), longest(32, 'u');
    const struct {
        SettingId id;
        const char* policy;  // set in the policy key: taken only when it passes the check
        const char* machine;
        bool policyTaken;
    } kCases[] = {
        {SettingId::SnmpV3Auth, "SHA", "SHA-256", true},      {SettingId::SnmpV3Auth, "sha", "SHA", false},
        {SettingId::SnmpV3Auth, "MD5", "SHA", false},         {SettingId::SnmpV3Priv, "none", "AES", true},
        {SettingId::SnmpV3Priv, "DES", "none", false},        {SettingId::SnmpVersion, "v1+v3", "v3", true},
        {SettingId::SnmpVersion, "v2c", "v3", false},         {SettingId::SnmpVersion, "V3", "v1", false},
        {SettingId::SnmpV3User, "scanuser", "other", true},   {SettingId::SnmpV3User, "", "other", false},
        {SettingId::SnmpV3User, tooLong.c_str(), "other", false},
        {SettingId::SnmpV3User, longest.c_str(), "other", true},
    };
    for (const auto& c : kCases) {
        const char* name = Settings::Definition(c.id).name;
        SCOPED_TRACE(std::string(name) + "=" + c.policy);
        TestKeys keys;
        SetText(keys, kPlaces[1], name, c.policy);
        SetText(keys, kPlaces[5], name, c.machine);
        const SettingValue value = SettingsModel::Read("R7240", keys.Keys()).Get(c.id);
        EXPECT_EQ(value.text, c.policyTaken ? c.policy : c.machine);
        SettingValue written;
        written.text = c.policy;
        EXPECT_EQ(Settings::WriteUserSetting("R6020", SettingScope::ThisProduct, c.id, written,
                                             {"", keys.user.c_str(), keys.machine.c_str()}),
                  c.policyTaken ? kSettingWritten : kSettingInvalid);
    }
    // The built-in defaults, and SnmpVersion's reading with and without stored credentials.
    TestKeys keys;
    const SettingsModel model = SettingsModel::Read("R7240", keys.Keys());
    EXPECT_EQ(model.Text(SettingId::SnmpV3Auth) + model.Text(SettingId::SnmpV3Priv), "SHA-256AES");
    EXPECT_EQ(EffectiveSnmpVersions(model, false), SnmpVersions::V1);
    EXPECT_EQ(EffectiveSnmpVersions(model, true), SnmpVersions::V1AndV3);
    SetText(keys, kPlaces[3], "SnmpVersion", "v1");
    EXPECT_EQ(EffectiveSnmpVersions(SettingsModel::Read("R7240", keys.Keys()), true), SnmpVersions::V1);
}
