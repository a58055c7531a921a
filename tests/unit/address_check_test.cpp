// Tests of the unicast address check: address parsing, and the request, wait, retry and verdict
// over a scripted network (a stand-in: the answers' timing and foreign senders cannot be arranged
// on real sockets here).
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "discovery/address_check.h"
#include "discovery/address_text.h"
#include "discovery/discovery_pass.h"
#include "discovery_test_support.h"
#include "platform/diagnostics.h"
#include "product/protocol.h"
#include "test_support.h"

namespace {

const char* kModel0 = "1.3.6.1.4.1.40827.1.1.1.2.1.43.1.1";
const char* kAltModel8 = "1.3.6.1.4.1.1907.8.62.1.19.4.29.1.1";

// refusal: 1 an ICMP port-unreachable that the next receive reports (Windows, Linux), 2 one that only
// the socket's pending error shows (Wine).
struct Datagram {
    Bytes bytes;
    UdpAddress sender;
    int atMs = 0;  // after the request
    int refusal = 0;
};

// Each request sent releases the next scripted reply list onto its socket; "log" records the
// requests with their scope and time. The clock moves by Pause only.
struct ScriptedNetwork final : DiscoveryTransport {
    std::deque<std::vector<Datagram>> replies;
    std::map<UdpHandle, std::deque<Datagram>> waiting;
    std::vector<PlatformAdapter> adapters;
    std::string log;
    int opens = 0, closes = 0;
    bool failOpen = false;
    std::int64_t now = 0;
    UdpHandle Open(int) override { return failOpen ? kUdpInvalidHandle : 6 + ++opens; }
    int SetBroadcast(UdpHandle) override { return kUdpOk; }
    int SetMulticastInterface(UdpHandle, std::uint32_t) override { return kUdpOk; }
    int SetReceiveBuffer(UdpHandle, int) override { return kUdpOk; }
    int Bind(UdpHandle, const UdpAddress&) override { return kUdpOk; }
    int SendTo(UdpHandle s, const void*, size_t, const UdpAddress& to) override
    {
        log += "send%" + std::to_string(to.scopeId) + "@" + std::to_string(now) + " ";
        if (!replies.empty()) {
            for (Datagram d : replies.front()) d.atMs += static_cast<int>(now), waiting[s].push_back(d);
            replies.pop_front();
        }
        return kUdpOk;
    }
    bool Due(UdpHandle s, int refusal)
    {
        return !waiting[s].empty() && waiting[s].front().atMs <= now &&
               (waiting[s].front().refusal == 2) == (refusal == 2);
    }
    int WaitReadable(UdpHandle s, int) override { return Due(s, 0) ? kUdpOk : kUdpTimeout; }
    int PendingError(UdpHandle s) override { return Due(s, 2) ? waiting[s].pop_front(), kUdpRefused : kUdpOk; }
    int ReceiveFrom(UdpHandle s, void* buffer, size_t capacity, size_t* length, UdpAddress* sender) override
    {
        Datagram d = waiting[s].front();
        waiting[s].pop_front();
        if (d.refusal) return kUdpRefused;
        *sender = d.sender;
        *length = std::min(capacity, d.bytes.size());
        std::memcpy(buffer, d.bytes.data(), *length);
        return d.bytes.size() > capacity ? kUdpTooLong : kUdpOk;
    }
    void Close(UdpHandle s) override { ++closes, waiting.erase(s); }
    void Pause(int ms) override { now += ms; }
    int ListAdapters(std::vector<PlatformAdapter>& out) override
    {
        out = adapters;
        return kAdaptersOk;
    }
    int ListIPv4Addresses(std::vector<PlatformIPv4Address>&) override { return kAdaptersOk; }
    std::int64_t NowMs() override { return now; }
};

// The outcome= fields of the trace's address-check events, in order.
std::string TracedOutcomes(const std::string& path)
{
    std::ifstream in(path);
    std::string line, out;
    while (std::getline(in, line))
        if (line.find(" address-check ") != std::string::npos) {
            const std::string outcome = line.substr(line.find("outcome=") + 8);
            out += outcome.substr(0, outcome.find(' ')) + " ";
        }
    return out;
}

UdpAddress V4(std::uint8_t last)
{
    return {kUdpIPv4, {198, 51, 100, last}, 161, 0};
}
UdpAddress V6(std::uint8_t last)
{
    return {kUdpIPv6, {0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, last}, 161, 0};
}

std::string Parsed(const char* text, int protocol)
{
    UdpAddress a;
    char zone[16];
    if (!ParseAddressText(text, protocol, a, zone, sizeof zone)) return "refused";
    std::string out;
    char part[8];
    for (int i = 0; i < (a.family == kUdpIPv6 ? 16 : 4); ++i) {
        std::snprintf(part, sizeof part, "%02x", a.octets[i]);
        out += part;
    }
    return out + " %" + std::to_string(a.scopeId) + " " + zone;
}

}  // namespace

TEST(AddressCheck, ParsesTheFormsTypedAddressesTake)
{
    const struct {
        const char* text;
        int protocol;
        std::string parsed;
    } cases[] = {
        {"198.51.100.7", kProtocolIPv4, "c6336407 %0 "},
        {"0.0.0.0", kProtocolIPv4, "00000000 %0 "},
        {"198.51.100.256", kProtocolIPv4, "refused"},
        {"198.51.100", kProtocolIPv4, "refused"},
        {"198.51.100.7.1", kProtocolIPv4, "refused"},
        {"198.51..7", kProtocolIPv4, "refused"},
        {"198.51.100.7 ", kProtocolIPv4, "refused"},
        {"fe80::7", kProtocolIPv4, "refused"},
        {"198.51.100.7", 2, "refused"},
        {"fe80::7", kProtocolIPv6, "fe800000000000000000000000000007 %0 "},
        {"fe80:0000:0000:0000:0000:0000:0000:0007", kProtocolIPv6, "fe800000000000000000000000000007 %0 "},
        {"fe80::7%3", kProtocolIPv6, "fe800000000000000000000000000007 %3 3"},
        {"fe80::7%eth1", kProtocolIPv6, "fe800000000000000000000000000007 %0 eth1"},
        {"[2001:db8::1]:161", kProtocolIPv6, "20010db8000000000000000000000001 %0 "},
        {"::ffff:198.51.100.7", kProtocolIPv6, "00000000000000000000ffffc6336407 %0 "},
        {"::", kProtocolIPv6, "00000000000000000000000000000000 %0 "},
        {"2001:db8::", kProtocolIPv6, "20010db8000000000000000000000000 %0 "},
        {"2001:db8::1::2", kProtocolIPv6, "refused"},
        {"2001:db8:1:2:3:4:5:6:7", kProtocolIPv6, "refused"},
        {"2001:db8:1:2:3:4:5", kProtocolIPv6, "refused"},
        {"2001:db8:", kProtocolIPv6, "refused"},
        {":2001:db8::1", kProtocolIPv6, "refused"},
        {"12345::1", kProtocolIPv6, "refused"},
        {"fe80::7%", kProtocolIPv6, "refused"},
        {"[fe80::7", kProtocolIPv6, "refused"},
        {"198.51.100.7", kProtocolIPv6, "refused"},
        {"198.51.100.07", kProtocolIPv4, "refused"},  // octal to other programs
        {"fe80::7%4294967295", kProtocolIPv6, "fe800000000000000000000000000007 %4294967295 4294967295"},
        {"fe80::7%4294967296", kProtocolIPv6, "refused"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.parsed, Parsed(c.text, c.protocol)) << c.text;
    // "The same address" compares what the texts mean, not how they are spelt.
    EXPECT_TRUE(SameAddress("2001:db8::30", "2001:0db8:0000:0000:0000:0000:0000:0030", kProtocolIPv6));
    EXPECT_TRUE(SameAddress("fe80::7%ETH1", "fe80::7%eth1", kProtocolIPv6));
    EXPECT_FALSE(SameAddress("fe80::7%3", "fe80::7%4", kProtocolIPv6));
    EXPECT_FALSE(SameAddress("198.51.100.7", "198.51.100.70", kProtocolIPv4));
    // The spelling shown in the status line: the compressed form, its zone kept.
    for (auto [text, shown] : {std::pair{"fe80:0000:0000:0000:0000:0000:0000:00a1%eth1", "fe80::a1%eth1"},
                               {"2001:db8:0:0:1:0:0:1", "2001:db8::1:0:0:1"},
                               {"2001:db8:0:1:1:1:1:1", "2001:db8:0:1:1:1:1:1"},
                               {"::", "::"},
                               {"fe80::7x", "fe80::7x"}})
        EXPECT_EQ(shown, CompressedAddressText(text, kProtocolIPv6)) << text;
}

// One deadline per request whatever arrives; the verdicts, the port-unreachable both ways it is
// reported, and each check in the trace.
TEST(AddressCheck, VerdictWaitAndRetry)
{
    const Datagram ours{ScannerAnswer("x", kModel0, Hex("0200000000aa")), V4(7)};
    const Datagram other{ScannerAnswer("x", "1.3.6.1.4.1.9.9"), V4(7)};
    const Datagram foreign{ScannerAnswer("x", kModel0, Hex("0200000000bb")), V4(8)};
    const Datagram garbage{Hex("30 03 02 01"), V4(7)};
    const Datagram oversized{Bytes(1500, 0x30), V4(7)};
    std::vector<Datagram> flood;  // another sender, every 40 ms through both waits
    for (int at = 0; at < 1000; at += 40) flood.push_back({foreign.bytes, foreign.sender, at});
    const struct {
        const char* what;
        const char* product;
        std::vector<std::vector<Datagram>> replies;
        int outcome;
        const char* mac;
        const char* log;
    } cases[] = {
        {"the product answers at once",
         "R7240",
         {{ours}},
         kCheckProductAnswered,
         "02:00:00:00:00:AA",
         "send%0@0 end@25"},
        {"answered on the retry",
         "R7240",
         {{}, {ours}},
         kCheckProductAnswered,
         "02:00:00:00:00:AA",
         "send%0@0 send%0@1000 end@1025"},
        {"nothing after the retry", "R7240", {}, kCheckNoAnswer, "", "send%0@0 send%0@1000 end@2000"},
        {"another product: no retry", "R7240", {{other}}, kCheckOtherAnswered, "", "send%0@0 end@25"},
        {"another sender, broken and oversized answers are skipped",
         "R7240",
         {{foreign, garbage, oversized, ours}},
         kCheckProductAnswered,
         "02:00:00:00:00:AA",
         "send%0@0 end@25"},
        {"another sender all along: the deadlines hold",
         "R7240",
         {flood, flood},
         kCheckNoAnswer,
         "",
         "send%0@0 send%0@1000 end@2000"},
        {"port-unreachable on the receive", "R7240", {{{{}, V4(7), 300, 1}}}, kCheckRefused, "", "send%0@0 end@300"},
        {"port-unreachable as the pending error",
         "R7240",
         {{}, {{{}, V4(7), 10, 2}}},
         kCheckRefused,
         "",
         "send%0@0 send%0@1000 end@1025"},
        {"the second identifier",
         "L835_",
         {{{ScannerAnswer("x", kAltModel8), V4(7)}}},
         kCheckProductAnswered,
         "02:00:00:00:00:11",
         "send%0@0 end@25"},
        {"another product's second identifier does not count",
         "R7240",
         {{{ScannerAnswer("x", kAltModel8), V4(7)}}},
         kCheckOtherAnswered,
         "",
         "send%0@0 end@25"},
    };
    const std::string trace = (std::filesystem::temp_directory_path() / "sl-check-trace.txt").string();
    ASSERT_TRUE(Diagnostics::OpenTrace(trace.c_str()));
    std::string traced;
    for (const auto& c : cases) {
        ScopedProduct product(c.product);
        ScriptedNetwork net;
        net.replies.assign(c.replies.begin(), c.replies.end());
        AddressCheckResult result;
        CheckAddress("198.51.100.7", kProtocolIPv4, nullptr, result, net);
        EXPECT_EQ(c.outcome, result.outcome) << c.what;
        EXPECT_STREQ(c.mac, result.macAddress) << c.what;
        EXPECT_STREQ("", result.adapterName) << c.what;
        EXPECT_EQ(c.log, net.log + "end@" + std::to_string(net.now)) << c.what;
        EXPECT_EQ(net.opens, net.closes) << c.what;
    }
    ScriptedNetwork broken;
    broken.failOpen = true;
    AddressCheckResult result;
    CheckAddress("198.51.100.7", kProtocolIPv4, nullptr, result, broken);
    EXPECT_EQ(kCheckFailed, result.outcome);
    Diagnostics::CloseTrace();
    EXPECT_EQ(
        "answered answered no-answer other-product answered no-answer port-unreachable port-unreachable answered "
        "other-product failed ",
        TracedOutcomes(trace));
    std::filesystem::remove(trace);
}

// A link-local address without a zone or a known adapter is asked through every adapter at once.
TEST(AddressCheck, IPv6GoesThroughTheZoneTheStoredAdapterOrEveryAdapter)
{
    const auto adapter = [](std::uint32_t index, const char* name) {
        PlatformAdapter a{kIfTypeEthernet, kOperUp, 0, index, {}};
        std::strcpy(a.friendlyName, name);
        return a;
    };
    const Datagram ours{ScannerAnswer("x", kModel0, Hex("0200000000aa")), V6(7)};
    const Datagram other{ScannerAnswer("x", "1.3.6.1.4.1.9.9"), V6(7)};
    const struct {
        const char* text;
        const char* stored;
        std::vector<std::vector<Datagram>> replies;
        int outcome;
        const char* adapter;
        const char* log;
    } cases[] = {
        {"fe80::7%3", "", {{ours}}, kCheckProductAnswered, "eth1", "send%3@0 end@25"},
        {"fe80::7%ETH1", "", {{ours}}, kCheckProductAnswered, "eth1", "send%3@0 end@25"},
        {"fe80::7", "eth1", {{ours}}, kCheckProductAnswered, "eth1", "send%3@0 end@25"},
        {"fe80::7", "", {{}, {ours}}, kCheckProductAnswered, "eth1", "send%2@0 send%3@0 end@25"},
        {"fe80::7", "", {{other}, {{{}, V6(7), 0, 1}}}, kCheckOtherAnswered, "", "send%2@0 send%3@0 end@25"},
        {"fe80::7", "gone", {}, kCheckNoAnswer, "", "send%2@0 send%3@0 send%2@1000 send%3@1000 end@2000"},
        {"2001:db8::7", "", {}, kCheckNoAnswer, "", "send%0@0 send%0@1000 end@2000"},
        {"fe80::7x", "", {}, kCheckBadAddress, "", "end@0"},
    };
    ScopedProduct product("R7240");
    for (const auto& c : cases) {
        ScriptedNetwork net;
        net.adapters = {adapter(2, "eth0"), adapter(3, "eth1")};
        net.replies.assign(c.replies.begin(), c.replies.end());
        AddressCheckResult result;
        CheckAddress(c.text, kProtocolIPv6, c.stored, result, net);
        EXPECT_EQ(c.outcome, result.outcome) << c.text;
        EXPECT_STREQ(c.adapter, result.adapterName) << c.text;
        EXPECT_EQ(c.log, net.log + "end@" + std::to_string(net.now)) << c.text;
        EXPECT_EQ(net.opens, net.closes) << c.text;
    }
}
