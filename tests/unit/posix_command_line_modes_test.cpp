// The command-line modes natively: the options beside the old ones, the /refresh and /set decision
// tables with the real settings store (private registry file and data folder), the /list output
// read back by a strict JSON reader, and the JSON writer's escapes. Discovery and the unicast check
// are the fixture's stand-ins (they need a network); the LAN test runs them for real under Wine.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <fstream>
#include <sstream>

#include "app/command_line_modes.h"
#include "app/json_writer.h"
#include "json_check.h"
#include "setup/stored_connection.h"
#include "tests/unit/dialog_fixture.h"

namespace dialog_test {
namespace {

using json_check::Value;

class CommandLineModeTest : public DialogTest {
protected:
    enum Stored { kNone, kNoMac, kV4, kV6, kFileOnly, kV6Typed, kV6LongAdapter, kFolderBlocked, kV4Verified };
    void Store(Stored stored)
    {
        if (stored == kNoMac) SettingsStore::Save("198.51.100.10", "", "", 0, 1);
        if (stored == kV4 || stored == kFileOnly || stored == kV4Verified)
            SettingsStore::Save("198.51.100.10", "02:00:00:00:00:AA", "", 0, 0);
        if (stored == kV4Verified) {
            ASSERT_TRUE(MarkAuthenticated(true));
        }
        if (stored == kV6) SettingsStore::Save("fe80::10", "02:00:00:00:00:AA", "eth0", 1, 0);
        if (stored == kFileOnly) PosixRegistry::SetStoreFile((root_ / "registry-empty").string());
        if (stored == kV6Typed) SettingsStore::Save("2001:db8::30", "02:00:00:00:00:AA", "Ethernet", 1, 1);
        if (stored == kV6LongAdapter) SettingsStore::Save("fe80::10", "02:00:00:00:00:AA", kLongAdapter.c_str(), 1, 0);
        if (stored == kFolderBlocked) {  // saved before; now a file stands where a folder on the way was
            SettingsStore::Save("198.51.100.10", "02:00:00:00:00:AA", "", 0, 0);
            std::string folder = DataFolder(Products::Current());
            std::replace(folder.begin(), folder.end(), '\\', '/');
            folder = std::filesystem::path(folder).parent_path().string();
            std::filesystem::remove_all(folder);
            std::ofstream(folder) << "in the way";
        }
    }
    inline static const std::string kLongAdapter = std::string(259, 'a');
    // The stored connection as "address|MAC|adapter|protocol|direct (where)".
    static std::string StoredNow()
    {
        StoredConnection c;
        const int where = ReadStoredConnection(c);
        if (where == kStoredNone) return "none";
        return c.address + "|" + c.macAddress + "|" + c.adapterName + "|" + std::to_string(c.protocol) + "|" +
               std::to_string(c.ipDirectInput) + (c.authenticated != 0 ? " verified" : "") +
               (c.hostName.empty() ? "" : " name=" + c.hostName) +
               (where == kStoredRegistry ? " (registry)" : " (file)");
    }
    // Saving that fails: the call is recorded, nothing is stored.
    static ConnectionServices FailingSave()
    {
        ConnectionServices s = Services();
        s.Save = [](const char* address, const char* mac, const char* adapter, int protocol, int direct) {
            rec.saves += std::string(address) + "|" + mac + "|" + adapter + "|" + std::to_string(protocol) + "|" +
                         std::to_string(direct) + ";";
            return kSaveFailed;
        };
        return s;
    }
};

TEST_F(CommandLineModeTest, RefreshDecisionTable)
{
    const DeviceRecord movedV4 = Scanner("198.51.100.40", "02:00:00:00:00:aa");
    const std::string longCheck = "fe80::10|1|" + kLongAdapter + ";";
    const std::string longSave = "fe80::40|02:00:00:00:00:AA|" + kLongAdapter + "|1|0;";
    const std::string longAfter = "fe80::40|02:00:00:00:00:AA|" + kLongAdapter + "|1|0 (registry)";
    struct Case {
        const char* what;
        Stored stored;
        int checkOutcome;
        const char* checkMac;
        std::vector<DeviceRecord> found;
        bool saveWorks;
        int exit;
        const char* checks;
        size_t searches;
        const char* saves;
        const char* after;
        bool checkVerified = false;   // the check's answer verified over SNMPv3
        const char* storedName = "";  // HostName stored beside the connection
        const char* defaultScanner = "198.51.100.50";
    };
    DeviceRecord verifiedV4 = movedV4;
    verifiedV4.authenticated = true;
    const Case cases[] = {
        {"no MAC stored", kNoMac, kCheckNoAnswer, "", {movedV4}, true, 3, "", 0, "", "198.51.100.10|||0|1 (registry)"},
        {"answers at its address",
         kV4,
         kCheckProductAnswered,
         "02:00:00:00:00:aa",
         {},
         true,
         0,
         "198.51.100.10|0|;",
         0,
         "",
         "198.51.100.10|02:00:00:00:00:AA||0|0 (registry)"},
        {"moved",
         kV4,
         kCheckNoAnswer,
         "",
         {Scanner("198.51.100.5", "02:00:00:00:00:BB"), movedV4},
         true,
         1,
         "198.51.100.10|0|;",
         1,
         "198.51.100.40|02:00:00:00:00:aa||0|0;",
         "198.51.100.40|02:00:00:00:00:aa||0|0 (registry)"},
        {"another scanner took its address",
         kV4,
         kCheckProductAnswered,
         "02:00:00:00:00:BB",
         {movedV4},
         true,
         1,
         "198.51.100.10|0|;",
         1,
         "198.51.100.40|02:00:00:00:00:aa||0|0;",
         "198.51.100.40|02:00:00:00:00:aa||0|0 (registry)"},
        {"another product at its address, not found",
         kV4,
         kCheckOtherAnswered,
         "",
         {Scanner("198.51.100.5", "02:BB")},
         true,
         2,
         "198.51.100.10|0|;",
         1,
         "",
         "198.51.100.10|02:00:00:00:00:AA||0|0 (registry)"},
        {"switched off",
         kV4,
         kCheckNoAnswer,
         "",
         {},
         true,
         2,
         "198.51.100.10|0|;",
         1,
         "",
         "198.51.100.10|02:00:00:00:00:AA||0|0 (registry)"},
        {"the unicast missed, the search finds it where it was",
         kV4,
         kCheckNoAnswer,
         "",
         {Scanner("198.51.100.10", "02:00:00:00:00:AA")},
         true,
         0,
         "198.51.100.10|0|;",
         1,
         "",
         "198.51.100.10|02:00:00:00:00:AA||0|0 (registry)"},
        {"cannot be stored",
         kV4,
         kCheckNoAnswer,
         "",
         {movedV4},
         false,
         4,
         "198.51.100.10|0|;",
         1,
         "198.51.100.40|02:00:00:00:00:aa||0|0;",
         "198.51.100.10|02:00:00:00:00:AA||0|0 (registry)"},
        {"only the data file holds it",
         kFileOnly,
         kCheckNoAnswer,
         "",
         {movedV4},
         true,
         1,
         "198.51.100.10|0|;",
         1,
         "198.51.100.40|02:00:00:00:00:aa||0|0;",
         "198.51.100.40|02:00:00:00:00:aa||0|0 (registry)"},
        {"IPv6: the stored adapter's record wins",
         kV6,
         kCheckNoAnswer,
         "",
         {Scanner("fe80::40", "02:00:00:00:00:AA", "eth1", 6), Scanner("fe80::40", "02:00:00:00:00:AA", "eth0", 6)},
         true,
         1,
         "fe80::10|1|eth0;",
         1,
         "fe80::40|02:00:00:00:00:AA|eth0|1|0;",
         "fe80::40|02:00:00:00:00:AA|eth0|1|0 (registry)"},
        {"IPv6: found through another adapter only",
         kV6,
         kCheckNoAnswer,
         "",
         {Scanner("fe80::10", "02:00:00:00:00:AA", "eth1", 6)},
         true,
         1,
         "fe80::10|1|eth0;",
         1,
         "fe80::10|02:00:00:00:00:AA|eth1|1|0;",
         "fe80::10|02:00:00:00:00:AA|eth1|1|0 (registry)"},
        // clang-format off
        // Nothing moved: the same address spelt otherwise, the same adapter in other letter case.
        {"IPv6: found at its typed address in eight groups", kV6Typed, kCheckNoAnswer, "",
         {Scanner("2001:0db8:0000:0000:0000:0000:0000:0030", "02:00:00:00:00:AA", "Ethernet", 6)}, true, 0,
         "2001:db8::30|1|Ethernet;", 1, "", "2001:db8::30|02:00:00:00:00:AA|Ethernet|1|1 (registry)"},
        {"IPv6: the adapter renamed in other letter case", kV6Typed, kCheckNoAnswer, "",
         {Scanner("2001:db8::30", "02:00:00:00:00:AA", "ETHERNET", 6)}, true, 0, "2001:db8::30|1|Ethernet;", 1, "",
         "2001:db8::30|02:00:00:00:00:AA|Ethernet|1|1 (registry)"},
        // A save that succeeded is read back where it was written.
        {"moved, stored in a numbered folder beside a file in the way", kFolderBlocked, kCheckNoAnswer, "", {movedV4}, true,
         1, "198.51.100.10|0|;", 1, "198.51.100.40|02:00:00:00:00:aa||0|0;",
         "198.51.100.40|02:00:00:00:00:aa||0|0 (registry)"},
        {"moved, with an adapter name of 259 characters", kV6LongAdapter, kCheckNoAnswer, "",
         {Scanner("fe80::40", "02:00:00:00:00:AA", kLongAdapter.c_str(), 6)}, true, 1,
         longCheck.c_str(), 1, longSave.c_str(), longAfter.c_str()},
        // Nothing could be sent (the search below fails as well when it finds nothing): exit 6.
        {"neither the check nor the search could send", kV4, kCheckFailed, "", {}, true, 6, "198.51.100.10|0|;", 1, "",
         "198.51.100.10|02:00:00:00:00:AA||0|0 (registry)"},
        {"the check could not send, the search found it", kV4, kCheckFailed, "", {movedV4}, true, 1,
         "198.51.100.10|0|;", 1, "198.51.100.40|02:00:00:00:00:aa||0|0;",
         "198.51.100.40|02:00:00:00:00:aa||0|0 (registry)"},
        // Stored from a verified SNMPv3 answer: followed only to verified answers.
        {"verified: unverified answers with its MAC, here and elsewhere, are no answer", kV4Verified,
         kCheckProductAnswered, "02:00:00:00:00:AA", {movedV4}, true, 2, "198.51.100.10|0|;", 1, "",
         "198.51.100.10|02:00:00:00:00:AA||0|0 verified (registry)"},
        {"verified: the verified answer at its address", kV4Verified, kCheckProductAnswered, "02:00:00:00:00:AA", {},
         true, 0, "198.51.100.10|0|;", 0, "", "198.51.100.10|02:00:00:00:00:AA||0|0 verified (registry)", true},
        {"verified: followed to a verified answer elsewhere", kV4Verified, kCheckNoAnswer, "", {verifiedV4}, true, 1,
         "198.51.100.10|0|;", 1, "198.51.100.40|02:00:00:00:00:aa||0|0;",
         "198.51.100.40|02:00:00:00:00:aa||0|0 verified (registry)"},
        {"a verified answer elsewhere marks a connection stored from SNMPv1", kV4, kCheckNoAnswer, "", {verifiedV4},
         true, 1, "198.51.100.10|0|;", 1, "198.51.100.40|02:00:00:00:00:aa||0|0;",
         "198.51.100.40|02:00:00:00:00:aa||0|0 verified (registry)"},
        // A stored host name is resolved first (mfp: 198.51.100.41); its name is kept.
        {"the name moved and the scanner answers there", kV4, kCheckProductAnswered, "02:00:00:00:00:aa", {}, true, 1,
         "198.51.100.41|0|;", 0, "198.51.100.41|02:00:00:00:00:aa||0|0;",
         "198.51.100.41|02:00:00:00:00:aa||0|0 name=mfp (registry)", false, "mfp"},
        {"the name moved, nothing answers there nor anywhere", kV4, kCheckNoAnswer, "", {}, true, 2,
         "198.51.100.41|0|;198.51.100.10|0|;", 1, "", "198.51.100.10|02:00:00:00:00:AA||0|0 name=mfp (registry)",
         false, "mfp"},
        {"the name still names the stored address", kV4, kCheckProductAnswered, "02:00:00:00:00:AA", {}, true, 0,
         "198.51.100.10|0|;", 0, "", "198.51.100.10|02:00:00:00:00:AA||0|0 name=same (registry)", false, "same"},
        {"the name does not resolve: followed by MAC, the name kept", kV4, kCheckNoAnswer, "", {movedV4}, true, 1,
         "198.51.100.10|0|;", 1, "198.51.100.40|02:00:00:00:00:aa||0|0;",
         "198.51.100.40|02:00:00:00:00:aa||0|0 name=gone (registry)", false, "gone"},
        // Nothing stored: DefaultScanner (198.51.100.50 unless given) checked and stored as a listed scanner.
        {"nothing stored, DefaultScanner silent", kNone, kCheckNoAnswer, "", {movedV4}, true, 3, "198.51.100.50|0|;", 0,
         "", "none"},
        {"DefaultScanner answers", kNone, kCheckProductAnswered, "02:00:00:00:00:CC", {}, true, 1, "198.51.100.50|0|;",
         0, "198.51.100.50|02:00:00:00:00:CC||0|0;", "198.51.100.50|02:00:00:00:00:CC||0|0 (registry)"},
        {"DefaultScanner by name answers", kNone, kCheckProductAnswered, "02:00:00:00:00:CC", {}, true, 1,
         "198.51.100.41|0|;", 0, "198.51.100.41|02:00:00:00:00:CC||0|0;",
         "198.51.100.41|02:00:00:00:00:CC||0|0 (registry)", false, "", "mfp"},
        {"DefaultScanner: the name does not resolve", kNone, kCheckProductAnswered, "02:00:00:00:00:CC", {}, true, 3,
         "", 0, "", "none", false, "", "gone"},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        Store(c.stored);
        ASSERT_TRUE(MarkHostName(c.storedName));
        SettingsStore::WriteRegString("Software\\ScanLink", "DefaultScanner", c.defaultScanner);
        rec.names = {{"mfp", "198.51.100.41"}, {"same", "198.51.100.10"}};
        rec.checkOutcome = c.checkOutcome;
        rec.checkMac = c.checkMac;
        rec.checkVerified = c.checkVerified;
        rec.answers = {c.found};
        rec.discoveryResult = c.checkOutcome == kCheckFailed && c.found.empty() ? kRunDiscoveryFailed : kRunDiscoveryOk;
        std::optional<ScopedConnectionServices> failing;
        if (!c.saveWorks) failing.emplace(FailingSave());
        EXPECT_EQ(c.exit, RunRefreshMode(ParseStartupRequest("/refresh")));
        EXPECT_EQ(c.checks, rec.checks);
        EXPECT_EQ(c.searches, rec.discoveries.size());
        if (!rec.discoveries.empty()) {
            EXPECT_EQ(c.stored == kV6 || c.stored == kV6Typed || c.stored == kV6LongAdapter ? "1 1 0" : "1 0 0",
                      rec.discoveries[0]);
        }
        EXPECT_EQ(c.saves, rec.saves);
        EXPECT_EQ(c.after, StoredNow());
        EXPECT_TRUE(Boxes().empty());
    }
}

TEST_F(CommandLineModeTest, SetChecksTheAddressAndStoresItAsTyped)
{
    struct Case {
        const char* product;
        const char* line;
        int checkOutcome;
        const char* checkAdapter;
        bool saveWorks;
        int exit;
        const char* checks;
        const char* saves;
        const char* hostName = "old.example.test";  // HostName afterwards ("" absent); stored before each case
    };
    const std::string tooLong = "/set ip:" + std::string(130, '1');
    const Case cases[] = {
        {"R7245", "/set ip:198.51.100.7", kCheckProductAnswered, "", true, 0, "198.51.100.7|0|;",
         "198.51.100.7|02:AA||0|1;", ""},
        {"R7245", "/set ip:198.51.100.7", kCheckNoAnswer, "", true, 1, "198.51.100.7|0|;", "198.51.100.7|||0|1;", ""},
        // A host name: resolved, its address checked and stored, the name beside it.
        {"R7245", "/set ip:mfp.example.test", kCheckProductAnswered, "", true, 0, "198.51.100.41|0|;",
         "198.51.100.41|02:AA||0|1;", "mfp.example.test"},
        {"R7245", "/set /ipv6 ip:mfp.example.test", kCheckProductAnswered, "", true, 0, "2001:db8::41|1|eth0;",
         "2001:db8::41|02:AA|eth0|1|1;", "mfp.example.test"},
        {"R7245", "/set ip:gone.example.test", kCheckProductAnswered, "", true, 3, "", ""},
        {"R7245", "/set ip:198.51.100.7", kCheckOtherAnswered, "", true, 1, "198.51.100.7|0|;", "198.51.100.7|||0|1;",
         ""},
        {"R7245", "/set ip:198.51.100.7", kCheckProductAnswered, "", false, 4, "198.51.100.7|0|;",
         "198.51.100.7|02:AA||0|1;"},
        {"R7245", "/set ip:198.51.100.300", kCheckProductAnswered, "", true, 3, "", ""},
        {"R7245", "/set ip:198.51.100", kCheckProductAnswered, "", true, 3, "", ""},
        {"R7245", "/set", kCheckProductAnswered, "", true, 3, "", ""},
        {"R7245", tooLong.c_str(), kCheckProductAnswered, "", true, 3, "", ""},
        {"R7245", "/set ip:fe80::7", kCheckProductAnswered, "eth1", true, 0, "fe80::7|1|eth0;",
         "fe80::7|02:AA|eth1|1|1;", ""},
        {"R7245", "/set ip:fe80::7", kCheckNoAnswer, "", true, 1, "fe80::7|1|eth0;", "fe80::7||eth0|1|1;", ""},
        {"R7245", "/set ip:fe80::7::8", kCheckNoAnswer, "", true, 3, "", ""},
        {"R7240", "/set ip:fe80::7", kCheckProductAnswered, "", true, 3, "", ""},  // no IPv6 for this product
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line + std::string(" ") + std::to_string(&c - cases));
        Fresh();
        ScopedProduct product(c.product);
        SettingsStore::Save("fe80::1", "", "eth0", 1, 1);
        ASSERT_TRUE(MarkHostName("old.example.test"));
        rec.names = {{"mfp.example.test", "198.51.100.41"}};
        if (std::string(c.line).find("/ipv6") != std::string::npos) rec.names["mfp.example.test"] = "2001:db8::41";
        rec.checkOutcome = c.checkOutcome;
        rec.checkMac = "02:AA";
        rec.checkAdapter = c.checkAdapter;
        std::optional<ScopedConnectionServices> failing;
        if (!c.saveWorks) failing.emplace(FailingSave());
        EXPECT_EQ(c.exit, RunSetMode(ParseStartupRequest(c.line)));
        EXPECT_EQ(c.checks, rec.checks);
        EXPECT_EQ(c.saves, rec.saves);
        const std::string key = SettingsKey(Products::Current());
        EXPECT_EQ(c.hostName[0] != '\0' ? c.hostName : "absent",
                  SettingsStore::ReadRegString(key.c_str(), "HostName", "absent"));
    }
}

// Runs /list with the standard output on the given file (or /dev/null, which is neither a file
// nor a pipe); returns the exit code.
int ListWithOutput(const char* line, const std::string& standardOutput)
{
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int fd = open(standardOutput.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, STDOUT_FILENO);
    close(fd);
    const int exit = RunListMode(ParseStartupRequest(line));
    dup2(saved, STDOUT_FILENO);
    close(saved);
    return exit;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(CommandLineModeTest, ListWritesOneJsonObjectToTheRedirectedOutputOrTheOutFile)
{
    SettingsStore::Save("fe80::20", "02:00:00:00:00:bb", "eth1", 1, 0);
    rec.answers = {{Scanner("fe80::10", "02:00:00:00:00:AA", "eth0", 6),
                    Scanner("fe80::20", "02:00:00:00:00:BB", "eth0", 6),
                    Scanner("fe80::20", "02:00:00:00:00:BB", "eth1", 6)}};
    const std::string file = (root_ / "out.json").string(), other = (root_ / "other.json").string();

    EXPECT_EQ(0, ListWithOutput("/list /ipv6", file));
    const Value v = json_check::Parse(ReadAll(file));
    EXPECT_EQ("chromaline 7245MF", v["product"].text);
    EXPECT_EQ("R7245", v["code"].text);
    EXPECT_EQ("ipv6", v["protocol"].text);
    ASSERT_EQ(3u, v["scanners"].items.size());
    EXPECT_EQ("fe80::20", v["scanners"].items[2]["address"].text);
    EXPECT_EQ("02:00:00:00:00:BB", v["scanners"].items[2]["mac"].text);
    EXPECT_EQ("eth1", v["scanners"].items[2]["adapter"].text);
    EXPECT_EQ("fe80::20", v["stored"]["address"].text);
    EXPECT_EQ("ipv6", v["stored"]["protocol"].text);
    EXPECT_EQ(2, v["stored_index"].number);     // the stored adapter's record of that MAC
    EXPECT_EQ("1 1 0", rec.discoveries.at(0));  // one pass, IPv6

    // Over IPv4 the IPv6 connection matches no row; /dev/null is no file: the /out file is used.
    rec.answers = {{}};
    EXPECT_EQ(2, ListWithOutput(("/list /out:" + other).c_str(), "/dev/null"));
    const Value none = json_check::Parse(ReadAll(other));
    EXPECT_EQ("ipv4", none["protocol"].text);
    EXPECT_TRUE(none["scanners"].items.empty());
    EXPECT_EQ(Value::Null, none["stored_index"].type);
    EXPECT_EQ("1 0 0", rec.discoveries.at(1));  // one pass, IPv4

    // No adapter could be searched: exit 6, the JSON still written over the previous file, every
    // adapter skipped and the list not complete.
    rec.discoveryResult = kRunDiscoveryFailed;
    rec.skipped = {{"198.51.100.1", "bind failed (system error 99)"},
                   {"203.0.113.1", "send failed (system error 101)"}};
    EXPECT_EQ(6, ListWithOutput(("/list /out:" + other).c_str(), "/dev/null"));
    const Value failed = json_check::Parse(ReadAll(other));
    EXPECT_TRUE(failed["scanners"].items.empty() && !failed["complete"].boolean);
    ASSERT_EQ(2u, failed["skipped"].items.size());
    EXPECT_EQ("send failed (system error 101)", failed["skipped"].items[1]["reason"].text);

    // A failed write: exit 5, the previous file whole (the temporary name is taken by a folder),
    // and nothing left behind in a folder that does not exist.
    std::filesystem::create_directory(other + ".tmp");
    EXPECT_EQ(5, ListWithOutput(("/list /out:" + other).c_str(), "/dev/null"));
    EXPECT_EQ(2u, json_check::Parse(ReadAll(other))["skipped"].items.size());
    const auto before = std::distance(std::filesystem::directory_iterator(root_), {});
    EXPECT_EQ(5, ListWithOutput(("/list /out:" + (root_ / "missing" / "o.json").string()).c_str(), "/dev/null"));
    EXPECT_EQ(before, std::distance(std::filesystem::directory_iterator(root_), {}));

    // Neither a redirected output nor /out: nothing searched, exit 5.
    const size_t searches = rec.discoveries.size();
    EXPECT_EQ(5, ListWithOutput("/list", "/dev/null"));
    EXPECT_EQ(searches, rec.discoveries.size());
    EXPECT_TRUE(Boxes().empty());
}

TEST(ListJson, AdapterNamesWithQuotesBackslashesControlsAndNonAsciiParseBack)
{
    const std::vector<std::string> names = {"LAN \"Büro\" 2",
                                            "C:\\Adapter\\1",
                                            "tab\there\nline\r\x01\x1f\x7f",
                                            "日本語アダプター",
                                            "bad \xFC\xFE byte",
                                            "",
                                            "/slash"};
    DeviceList list;
    for (const std::string& name : names) list.Append(Scanner("fe80::1", "02:00:00:00:00:01", name.c_str(), 6));
    list.At(1).foundBy = kFoundByTarget;
    StoredConnection stored;
    stored.address = "fe80::1";
    stored.macAddress = "02:00:00:00:00:01";
    stored.adapterName = names[0];
    stored.protocol = 1;
    const std::string text =
        ListJson("MR \"DX\" 52\\NF", "DX52F", 1, list, &stored, 0, {{"lan \"0\"", "bind failed (system error 10049)"}});
    const Value v = json_check::Parse(text);
    EXPECT_EQ("MR \"DX\" 52\\NF", v["product"].text);
    ASSERT_EQ(names.size(), v["scanners"].items.size());
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string expected = i == 4 ? "bad \xEF\xBF\xBD\xEF\xBF\xBD byte" : names[i];
        EXPECT_EQ(expected, v["scanners"].items[i]["adapter"].text) << i;
    }
    EXPECT_EQ(names[0], v["stored"]["adapter"].text);
    EXPECT_EQ(0, v["stored_index"].number);
    EXPECT_EQ(std::string::npos, text.find('\t'));  // every control character escaped
    // The reader is strict: what a careless writer would produce is refused.
    for (const char* bad : {"{\"a\":\"x\ty\"}", "{\"a\":\"x\"y\"}", "{\"a\":1,}", "{\"a\":\"\xFC\"}", "{\"a\":\"\\x\"}",
                            "{\"a\":1} x", "{\"a\":\"\\ud800\"}"})
        EXPECT_THROW(json_check::Parse(bad), std::runtime_error) << bad;
    const Value nothing = json_check::Parse(ListJson("p", "c", 0, DeviceList(), nullptr, -1, {}));
    EXPECT_EQ(Value::Null, nothing["stored"].type);
    EXPECT_TRUE(nothing["complete"].boolean && nothing["skipped"].items.empty());
    EXPECT_FALSE(v["complete"].boolean);
    EXPECT_EQ("lan \"0\"", v["skipped"].items.at(0)["adapter"].text);
    // The member names, in order: the format only ever gains members.
    std::string keys;
    for (const auto& m : v.members) keys += m.first + " ";
    EXPECT_EQ("product code protocol scanners stored stored_index complete skipped ", keys);
    EXPECT_EQ("broadcast target",
              v["scanners"].items[0]["found_by"].text + " " + v["scanners"].items[1]["found_by"].text);
}

TEST(StoredConnection, DataFileLinesAndMacComparison)
{
    StoredConnection c;
    EXPECT_TRUE(ParseDataFile("198.51.100.1\r\n02:AA\r\n0\r\n\r\n1\r\n", c));
    EXPECT_EQ("198.51.100.1|02:AA|0||1", c.address + "|" + c.macAddress + "|" + std::to_string(c.protocol) + "|" +
                                             c.adapterName + "|" + std::to_string(c.ipDirectInput));
    EXPECT_TRUE(ParseDataFile("fe80::1\r\n\r\n1\r\neth0\r\n0", c));
    EXPECT_EQ("eth0", c.adapterName);
    for (const char* bad : {"", "198.51.100.1\r\n02:AA\r\n0\r\n", "198.51.100.1\r\n\r\n2\r\n\r\n1\r\n",
                            "\r\n\r\n0\r\n\r\n1\r\n", "198.51.100.1\r\n\r\n0\r\n\r\nx\r\n"})
        EXPECT_FALSE(ParseDataFile(bad, c)) << bad;
    EXPECT_TRUE(SameMacAddress("02:aa:BB", "02:AA:bb"));
    EXPECT_FALSE(SameMacAddress("", ""));
    EXPECT_FALSE(SameMacAddress("02:AA", "02:AA:00"));
}

TEST(StoredConnection, TheStoredScannerIsFoundByItsMacInTheListsOrder)
{
    DeviceList v4, v6;
    for (const char* mac : {"02:00:00:00:00:01", "02:00:00:00:00:aa", "02:00:00:00:00:AA"})
        v4.Append(Scanner("198.51.100.1", mac));
    for (const char* adapter : {"eth0", "eth1", "eth2"}) v6.Append(Scanner("fe80::1", "02:00:00:00:00:AA", adapter, 6));
    const struct {
        const DeviceList* list;
        int listed;
        const char* mac;
        int protocol;
        const char* adapter;
        int index;
    } cases[] = {
        {&v4, 0, "02:00:00:00:00:AA", 0, "", 1},      // the first of equal MACs, letter case ignored
        {&v4, 0, "02:00:00:00:00:02", 0, "", -1},     // not listed
        {&v4, 0, "", 0, "", -1},                      // no MAC stored: nothing to match
        {&v4, 0, "02:00:00:00:00:01", 1, "", -1},     // stored for the other protocol
        {&v6, 1, "02:00:00:00:00:aa", 1, "eth2", 2},  // the stored adapter's record first
        {&v6, 1, "02:00:00:00:00:AA", 1, "wlan", 0},  // else the first
    };
    for (const auto& c : cases) {
        StoredConnection stored;
        stored.macAddress = c.mac;
        stored.protocol = c.protocol;
        stored.adapterName = c.adapter;
        EXPECT_EQ(c.index, StoredIndexIn(*c.list, c.listed, stored)) << (&c - cases);
    }
}

}  // namespace
}  // namespace dialog_test
