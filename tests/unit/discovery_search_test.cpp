// Tests of the discovery search as a state machine over a scripted network and a fake clock: rows
// sorted as they arrive, every waiting datagram taken, the quiet second and the five-second cap,
// cancel and restart, adapters side by side, and the single broadcast when adapters cannot be listed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <map>
#include <string>
#include <vector>

#include "discovery/address_check.h"
#include "discovery/discovery_search.h"
#include "discovery/request_security.h"
#include "discovery/snmp_message.h"
#include "platform/diagnostics.h"
#include "fake_network.h"
#include "test_support.h"

namespace {

const char* kModel0 = "1.3.6.1.4.1.40827.1.1.1.2.1.43.1.1";  // variant 0

Datagram At(int delayMs, std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d, const char* oid = kModel0)
{
    return {ScannerAnswer("s", oid), UdpAddress{kUdpIPv4, {a, b, c, d}, 161, 0}, delayMs};
}
Datagram Junk(int delayMs)
{
    return {Hex("30 03 02 01"), UdpAddress{kUdpIPv4, {203, 0, 113, 66}, 161, 0}, delayMs};
}
Datagram V6(int delayMs, std::uint8_t last)
{
    return {ScannerAnswer("s", kModel0),
            UdpAddress{kUdpIPv6, {0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, last}, 161, 0}, delayMs};
}

std::string Rows(const DeviceList& list)
{
    std::string text;
    for (const DeviceRecord& r : list.Records())
        text += std::string(r.address) + (r.adapterName[0] ? "%" : "") + r.adapterName + " ";
    return text;
}

// Steps the search as its owner would until it ends; returns the rows after each change and sets
// elapsed to the time from Start to the end.
std::vector<std::string> StepToEnd(DiscoverySearch& search, FakeNetwork& net, std::int64_t& elapsed)
{
    const std::int64_t start = net.now;
    std::vector<std::string> seen;
    for (int guard = 0; guard < 10000; ++guard) {
        net.Pause(kSearchStepMs);
        const int flags = search.Step();
        if (flags & kSearchRowsChanged) seen.push_back(Rows(search.Devices()));
        if (flags & kSearchEnded) break;
    }
    elapsed = net.now - start;
    EXPECT_FALSE(search.Running());
    EXPECT_EQ(0u, net.OpenNow()) << "every socket closed at the end";
    return seen;
}

class DiscoverySearchTest : public ::testing::Test {
protected:
    ScopedProduct product_{"R7240"};
};

// Rows come in sort order as answers arrive; junk, other models and repeats add none but keep the
// pass alive, and a failed receive is skipped; the pass ends one quiet second after the last
// datagram of any kind.
TEST_F(DiscoverySearchTest, RowsAppearSortedAsAnswersArriveAndThePassEndsAfterAQuietSecond)
{
    FakeNetwork net;
    Datagram reset = Junk(250);
    reset.receiveFails = true;  // a receive error skips that datagram, not the pass
    net.bursts = {{At(100, 198, 51, 100, 9), Junk(150), reset, At(300, 198, 51, 100, 10),
                   At(400, 198, 51, 100, 5, "1.3.6.1.4.1.9"), At(600, 198, 51, 100, 4), At(700, 198, 51, 100, 9),
                   Junk(1200)}};
    DiscoverySearch search(net);
    search.Start(kProtocolIPv4, 1);
    EXPECT_TRUE(search.Running());
    std::int64_t elapsed = 0;
    EXPECT_EQ((std::vector<std::string>{"198.51.100.9 ", "198.51.100.10 198.51.100.9 ",
                                        "198.51.100.10 198.51.100.4 198.51.100.9 "}),
              StepToEnd(search, net, elapsed));
    EXPECT_GE(elapsed, 1200 + kQuietWaitMs);
    EXPECT_LT(elapsed, 1200 + kQuietWaitMs + kSearchStepMs);
    EXPECT_EQ(kRunDiscoveryOk, search.Result());
}

// A burst of 500 answers is taken over several steps of at most kMaxDatagramsPerStep each, every
// answer kept; a host that never goes quiet (junk every 0.5 s, or every 0.9 s) cannot hold a pass
// past five seconds. A pass still running two seconds after its request sends it again, and the
// answers to both merge. The command line's single pass sends its second request at 0.3 s and ends
// a quiet 0.7 s after it, so that its first request keeps a whole second.
TEST_F(DiscoverySearchTest, EveryWaitingDatagramIsTakenAndNoPassOutlivesItsCap)
{
    struct Case {
        const char* what;
        PassTiming timing;
        int junkEveryMs, answers;
        std::int64_t endAfter;
        size_t sends;
        const char* secondSend;
    };
    const Case cases[] = {
        {"500 answers at once", kDialogPassTiming, 0, 500, kQuietWaitMs, 1, ""},
        {"junk every 0.5 s", kDialogPassTiming, 500, 3, kPassCapMs, 2, "0.0.0.0>255.255.255.255@3000"},
        {"junk every 0.9 s", kDialogPassTiming, 900, 3, kPassCapMs, 2, "0.0.0.0>255.255.255.255@3000"},
        {"the command line's pass", kCommandLinePassTiming, 0, 3, kQuietWaitMs, 2, "0.0.0.0>255.255.255.255@1300"},
        {"the command line's pass, junk every 0.5 s", kCommandLinePassTiming, 500, 3, kPassCapMs, 3,
         "0.0.0.0>255.255.255.255@1300"},
    };
    for (const Case& c : cases) {
        FakeNetwork net;
        std::vector<Datagram> burst;
        for (int i = 0; i < c.answers; ++i)
            burst.push_back(At(0, 198, 18, static_cast<std::uint8_t>(i / 250), static_cast<std::uint8_t>(i % 250)));
        for (int t = c.junkEveryMs; c.junkEveryMs > 0 && t < 60000; t += c.junkEveryMs) burst.push_back(Junk(t));
        net.bursts = {burst, std::vector<Datagram>(burst.begin(), burst.begin() + c.answers)};
        DiscoverySearch search(net);
        search.Start(kProtocolIPv4, 1, c.timing);
        std::int64_t elapsed = 0;
        auto seen = StepToEnd(search, net, elapsed);
        const int steps = (c.answers + kMaxDatagramsPerStep - 1) / kMaxDatagramsPerStep;
        ASSERT_EQ(static_cast<size_t>(steps), seen.size()) << c.what << ": a bounded number of answers per step";
        ASSERT_EQ(c.sends, net.sends.size()) << c.what;
        if (c.sends >= 2) {
            EXPECT_EQ(c.secondSend, net.sends[1]) << c.what;
        }
        EXPECT_EQ(static_cast<size_t>(c.answers), search.Devices().Count()) << c.what;
        EXPECT_GE(elapsed, c.endAfter) << c.what;
        EXPECT_LE(elapsed, c.endAfter + steps * kSearchStepMs) << c.what;  // the last are heard steps later
    }
}

// IPv4 sends one broadcast from every usable adapter address at once (loopback, a down adapter and
// a repeated address left out), and both networks' scanners are listed; one round lasts about as
// long as over one adapter. IPv6 runs its adapters side by side in the same way. Without an
// adapter list, or with nothing usable in it, one broadcast goes from 0.0.0.0.
TEST_F(DiscoverySearchTest, AdaptersRunSideBySideAndTheSingleBroadcastIsTheFallBack)
{
    const PlatformIPv4Address lo{kIfTypeSoftwareLoopback, kOperUp, {127, 0, 0, 1}};
    const PlatformIPv4Address lan0{kIfTypeEthernet, kOperUp, {198, 51, 100, 1}};
    const PlatformIPv4Address lan1{kIfTypeIeee80211, kOperUp, {203, 0, 113, 1}};
    const PlatformIPv4Address down{kIfTypeEthernet, kOperDown, {192, 0, 2, 1}};
    struct Case {
        const char* what;
        int protocol, ipv4Result;
        std::vector<PlatformIPv4Address> ipv4;
        std::vector<std::string> sends;
        std::string rows;
    };
    const std::string b = ">255.255.255.255@1000";
    const Case cases[] = {
        {"IPv4, two adapters",
         kProtocolIPv4,
         kAdaptersOk,
         {lo, lan0, down, lan1, lan0},
         {"198.51.100.1" + b, "203.0.113.1" + b},
         "198.51.100.9 203.0.113.9 "},
        {"IPv4, no adapter list", kProtocolIPv4, kAdaptersFailed, {lan0}, {"0.0.0.0" + b}, "198.51.100.9 "},
        {"IPv4, only loopback", kProtocolIPv4, kAdaptersOk, {lo}, {"0.0.0.0" + b}, "198.51.100.9 "},
        {"IPv6, three adapters",
         kProtocolIPv6,
         kAdaptersOk,
         {},
         {"::>ff02::1%2@1000", "::>ff02::1%3@1000", "::>ff02::1%4@1000"},
         "fe80:0000:0000:0000:0000:0000:0000:0011%eth0 "
         "fe80:0000:0000:0000:0000:0000:0000:0011%eth1 fe80:0000:0000:0000:0000:0000:0000:0012%wlan0 "},
    };
    for (const Case& c : cases) {
        FakeNetwork net;
        net.ipv4Result = c.ipv4Result;
        net.ipv4 = c.ipv4;
        net.adapters = {{kIfTypeEthernet, kOperUp, 2, 2, "eth0"},
                        {kIfTypeEthernet, kOperUp, 3, 3, "eth1"},
                        {kIfTypeIeee80211, kOperUp, 4, 4, "wlan0"}};
        if (c.protocol == kProtocolIPv4)
            net.bursts = {{At(400, 198, 51, 100, 9)}, {At(800, 203, 0, 113, 9)}};
        else
            net.bursts = {{V6(300, 0x11)}, {V6(500, 0x11)}, {V6(800, 0x12)}};
        DiscoverySearch search(net);
        search.Start(c.protocol, 1);
        EXPECT_EQ(c.sends.size(), search.OpenSockets()) << c.what;
        std::int64_t elapsed = 0;
        StepToEnd(search, net, elapsed);
        EXPECT_EQ(c.sends, net.sends) << c.what;
        EXPECT_EQ(c.rows, Rows(search.Devices())) << c.what;
        EXPECT_LT(elapsed, 800 + kQuietWaitMs + kSearchStepMs) << c.what << ": side by side, not one after another";
    }
}

// Cancel closes every socket at once and keeps the rows; a new Start while running replaces the
// search (a protocol change) and opens only its own sockets.
TEST_F(DiscoverySearchTest, CancelAndRestartMidPass)
{
    FakeNetwork net;
    net.ipv4Result = kAdaptersOk;
    net.ipv4 = {{kIfTypeEthernet, kOperUp, {198, 51, 100, 1}}, {kIfTypeEthernet, kOperUp, {203, 0, 113, 1}}};
    net.bursts = {{At(100, 198, 51, 100, 9), At(3000, 198, 51, 100, 10)}};
    DiscoverySearch search(net);
    search.Start(kProtocolIPv4, 2);
    net.Pause(200);
    EXPECT_EQ(kSearchRowsChanged, search.Step());
    EXPECT_EQ(2u, net.OpenNow());
    search.Cancel();
    EXPECT_EQ(0u, net.OpenNow());
    EXPECT_FALSE(search.Running());
    EXPECT_EQ(0, search.Step()) << "a cancelled search reports nothing";
    EXPECT_EQ("198.51.100.9 ", Rows(search.Devices()));

    search.Start(kProtocolIPv4, 1);
    net.Pause(200);
    search.Step();
    search.Start(kProtocolIPv6, 1);  // no IPv6 adapter in the list: over at once
    EXPECT_EQ(0u, net.OpenNow());
    EXPECT_EQ("", Rows(search.Devices()));
    EXPECT_EQ(kSearchEnded, search.Step());
}

// An adapter whose socket cannot be opened, bound or sent from is skipped, named once with the
// failing step, and the others go on; the search fails only when no adapter at all was searched.
// A bad protocol runs nothing.
TEST_F(DiscoverySearchTest, UnusableAdaptersAreSkippedAndOnlyASearchOfNoneFails)
{
    const PlatformIPv4Address lan0{kIfTypeEthernet, kOperUp, {198, 51, 100, 1}};
    const PlatformIPv4Address lan1{kIfTypeEthernet, kOperUp, {203, 0, 113, 1}};
    struct Case {
        const char* what;
        int protocol, failOpen, failBindFrom;
        const char *failBindAt, *failSendAt;
        int listResult, result;
        std::string rows, skipped;
    };
    const Case cases[] = {
        {"second round's socket", kProtocolIPv4, 3, 0, "", "", kAdaptersOk, kRunDiscoveryOk,
         "198.51.100.10 198.51.100.9 203.0.113.9 ", "198.51.100.1:open "},
        {"second round's bind", kProtocolIPv4, 0, 3, "", "", kAdaptersOk, kRunDiscoveryOk, "198.51.100.9 203.0.113.9 ",
         "198.51.100.1:bind 203.0.113.1:bind "},
        {"one adapter cannot bind", kProtocolIPv4, 0, 0, "198.51.100.1", "", kAdaptersOk, kRunDiscoveryOk,
         "198.51.100.9 203.0.113.9 ", "198.51.100.1:bind "},
        {"one adapter cannot send", kProtocolIPv4, 0, 0, "", "203.0.113.1", kAdaptersOk, kRunDiscoveryOk,
         "198.51.100.9 203.0.113.9 ", "203.0.113.1:send "},
        {"no adapter can bind", kProtocolIPv4, 0, 1, "", "", kAdaptersOk, kRunDiscoveryFailed, "",
         "198.51.100.1:bind 203.0.113.1:bind "},
        {"no IPv6 adapter list", kProtocolIPv6, 0, 0, "", "", kAdaptersFailed, kRunDiscoveryFailed, "", "all:the "},
        {"bad protocol", 7, 0, 0, "", "", kAdaptersOk, kRunDiscoveryBadProtocol, "", ""},
    };
    for (const Case& c : cases) {
        FakeNetwork net;
        net.failOpen = c.failOpen;
        net.failBindFrom = c.failBindFrom;
        net.failBindAt = c.failBindAt;
        net.failSendAt = c.failSendAt;
        net.listResult = c.listResult;
        net.ipv4Result = kAdaptersOk;
        net.ipv4 = {lan0, lan1};
        // Each request that goes out draws the next burst: the rows count the requests sent.
        net.bursts = {{At(100, 198, 51, 100, 9)}, {At(100, 203, 0, 113, 9)}, {At(100, 198, 51, 100, 10)}};
        DiscoverySearch search(net);
        search.Start(c.protocol, 2);
        std::int64_t elapsed = 0;
        StepToEnd(search, net, elapsed);
        EXPECT_EQ(c.result, search.Result()) << c.what;
        EXPECT_EQ(c.rows, Rows(search.Devices())) << c.what;
        std::string skipped;
        for (const SkippedAdapter& a : search.Skipped())
            skipped += a.adapter + ":" + a.reason.substr(0, a.reason.find(' ')) + " ";
        EXPECT_EQ(c.skipped, skipped) << c.what;
    }
}

// Targets: the request goes by unicast to every target of the search's family (names resolved at
// Start), at most kTargetBurst at once and kTargetsPerSecond, from a socket open a quiet second past
// its last send; answers merge with the broadcast's, a row keeping how its first answer came.
// LocalBroadcast 0 asks the targets only; a refused set none. With details asked, each row listed is
// asked once by unicast: an agent without the Printer MIB (noSuchName on the serial) still gives its
// name and location, an SNMPv2 exception value leaves its detail empty, a silent agent leaves all
// empty, and neither the rows nor the search's end wait for them.
// A socket without room (on-link neighbours being resolved) holds the rest back, none lost, and
// the search waits for them.
TEST_F(DiscoverySearchTest, TargetsArePacedAndMergedAndLocalBroadcastZeroAsksOnlyThem)
{
    // clang-format off
    struct Case {
        int protocol; bool local; std::vector<std::string> entries;
        std::string sends, rows;  // "broadcasts targets lastTargetSendAt refused", "address/found-by ..."
        std::int64_t endAfter;
        bool details = false;
        size_t room = 0;  // datagrams the sweep's socket holds for a second each
    } const cases[] = {  // 62 + 1022 targets: 32 at once, then 8 a step
        {kProtocolIPv4, true, {"203.0.113.0/26", " 198.18.0.0/22"}, "1 1084 4300 0",
         "198.51.100.9/broadcast 203.0.113.20/target 203.0.113.30/broadcast ", 4300},
        {kProtocolIPv4, false, {"203.0.113.20-203.0.113.40", "2001:db8::7"}, "0 21 1000 0",
         "203.0.113.20/target 203.0.113.30/target ", 1050},
        {kProtocolIPv4, true, {"198.18.0.0/20", "203.0.113.20"}, "1 0 0 1",
         "198.51.100.9/broadcast 203.0.113.20/broadcast 203.0.113.30/broadcast ", 1900},
        {kProtocolIPv6, true, {"2001:db8::7", "203.0.113.20", "scan.example"}, "1 2 1000 0",
         "fe80:0000:0000:0000:0000:0000:0000:0011%eth0/multicast ", 1100},
        {kProtocolIPv4, false, {}, "0 0 0 0", "", kSearchStepMs},
        {kProtocolIPv4, true, {"203.0.113.20"}, "1 1 1000 0", "198.51.100.9/broadcast[Floor 3|Room 301|] "
         "203.0.113.20/target[||] 203.0.113.30/broadcast[MFP-30||CL-0042] ", 1900, true},
        {kProtocolIPv4, false, {"203.0.113.0/26"}, "0 62 4000 0", "203.0.113.20/target 203.0.113.30/target ", 4000, false, 20},
    };
    for (const Case& c : cases) {
        FakeNetwork net;
        net.sendRoom = c.room, net.holdMs = 1000;
        net.ipv4Result = kAdaptersOk;
        net.ipv4 = {{kIfTypeEthernet, kOperUp, {198, 51, 100, 1}}};
        net.adapters = {{kIfTypeEthernet, kOperUp, 2, 2, "eth0"}};
        net.answersTo = {{"255.255.255.255", {At(10, 203, 0, 113, 30), At(100, 198, 51, 100, 9), At(900, 203, 0, 113, 20)}},
            {"203.0.113.20", {At(50, 203, 0, 113, 20)}}, {"203.0.113.30", {At(50, 203, 0, 113, 30)}}, {"ff02::1%2", {V6(100, 0x11)}}};
        const Bytes name = Binding(kOidSysName, Str("Floor 3")), location = Binding(kOidSysLocation, Str("Room 301"));
        net.detailsTo = {{"198.51.100.9", {{{DetailsAnswer(2, 3, {name, location, Binding(kOidPrtGeneralSerialNumber1, Tlv(5, {}))}), {}, 20}},
                                           {{DetailsAnswer(0, 0, {name, location}), {}, 20}}}},
            {"203.0.113.30", {{{DetailsAnswer(0, 0, {Binding(kOidSysName, Str("MFP-30")), Binding(kOidSysLocation, Tlv(0x81, {})),
                                                     Binding(kOidPrtGeneralSerialNumber1, Str("CL-0042"))}, 1), {}, 400}}}}};
        // clang-format on
        DiscoverySearch search(net);
        search.Start(c.protocol, 1, kDialogPassTiming,
                     {c.local, c.entries, {}, [](const char*, int family, std::vector<UdpAddress>* found) {
                          return found->push_back({family, {0x20, 1, 0x0d, 0xb8}, 0, 0}), kResolveOk;
                      }, c.details});
        std::int64_t elapsed = 0, broadcasts = 0, targetSends = 0, at = 0;
        const std::vector<std::string> seen = StepToEnd(search, net, elapsed);
        if (c.details) {  // each row at once (before its details), each asked once more at most
            EXPECT_EQ("203.0.113.30 ", seen.at(0));
            EXPECT_EQ((std::vector<std::string>{"203.0.113.30@1025", "203.0.113.20@1050", "198.51.100.9@1100",
                                                "198.51.100.9@1125", "203.0.113.30@1325", "203.0.113.20@1350"}),
                      net.detailSends);
        }
        std::map<std::int64_t, size_t> burst;
        for (const std::string& send : net.sends) {
            const bool local = send.find(">255.") != std::string::npos || send.find(">ff02") != std::string::npos;
            (local ? broadcasts : targetSends)++;
            EXPECT_LE(local ? 0 : ++burst[at = std::stoll(send.substr(send.find('@') + 1))], kTargetBurst) << send;
        }
        std::string rows;
        for (const DeviceRecord& r : search.Devices().Records())
            rows += std::string(r.address) + (r.adapterName[0] ? "%eth0/" : "/") + FoundByName(r.foundBy) +
                    (c.details ? std::string("[") + r.name + "|" + r.location + "|" + r.serial + "]" : "") + " ";
        EXPECT_EQ(c.sends + " " + c.rows,
                  std::to_string(broadcasts) + " " + std::to_string(targetSends) + " " + std::to_string(at) + " " +
                      std::to_string(search.Targets().status == kTargetSetTooLarge) + " " + rows);
        EXPECT_TRUE(elapsed >= c.endAfter && elapsed < c.endAfter + kSearchStepMs) << elapsed;
    }
}

}  // namespace

// The settings' communities: empty, too long and fifth entries are left out; every search request and
// every check request goes out once per community left, and the trace never holds a community's text.
TEST_F(DiscoverySearchTest, EveryRequestGoesOutOncePerCommunityAndNoCommunityIsTraced)
{
    const std::string trace = (std::filesystem::temp_directory_path() / "sl-community-trace.txt").string();
    ASSERT_TRUE(Diagnostics::OpenTrace(trace.c_str()));
    SetRequestCommunities({"c0mm-one", "", "c0mm-two", std::string(65, 'x'), "c0mm-three", "c0mm-four", "c0mm-five"});
    EXPECT_EQ((std::vector<std::string>{"c0mm-one", "c0mm-two", "c0mm-three", "c0mm-four"}), RequestCommunities());
    FakeNetwork net;
    net.bursts = {{At(5, 198, 51, 100, 9)}, {At(5, 198, 51, 100, 9)}};
    DiscoverySearch search(net);
    search.Start(kProtocolIPv4, 1);
    std::int64_t elapsed = 0;
    StepToEnd(search, net, elapsed);
    EXPECT_EQ(4u, net.sends.size());
    EXPECT_EQ(1u, search.Devices().Count()) << "answers to each community merge";
    AddressCheckResult result;
    CheckAddress("198.51.100.7", kProtocolIPv4, nullptr, result, net);
    EXPECT_EQ(4u + 2 * 4, net.sends.size()) << "two attempts of four";
    SetRequestCommunities({});
    EXPECT_EQ((std::vector<std::string>{kDiscoveryCommunity}), RequestCommunities());
    Diagnostics::CloseTrace();
    std::stringstream text;
    text << std::ifstream(trace).rdbuf();
    std::filesystem::remove(trace);
    EXPECT_EQ(std::string::npos, text.str().find("c0mm")) << text.str();
    EXPECT_NE(std::string::npos, text.str().find("community-ignored")) << text.str();
}
