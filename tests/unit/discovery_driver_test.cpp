// Tests of the discovery driver over a scripted network (merging, order, variant 8, IPv6 adapters,
// result and selection on every path), and of real loopback sockets holding a burst of 500 answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "discovery/discovery_driver.h"
#include "discovery/discovery_pass.h"
#include "discovery_test_support.h"
#include "fake_network.h"
#include "platform/framework_init.h"
#include "test_support.h"

namespace {

const char* kModel0 = "1.3.6.1.4.1.40827.1.1.1.2.1.43.1.1";  // variant 0
const char* kModel8 = "1.3.6.1.4.1.1907.8.62.1.19.4.29.2.1";
const char* kAltModel8 = "1.3.6.1.4.1.1907.8.62.1.19.4.29.1.1";

// An answer from 198.51.100.last (IPv4) or fe80::last (IPv6).
Datagram From(int family, std::uint8_t last, const char* descr, const char* oid = kModel0)
{
    const UdpAddress v4{kUdpIPv4, {198, 51, 100, last}, 161, 0};
    const UdpAddress v6{kUdpIPv6, {0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, last}, 161, 0};
    return {ScannerAnswer(descr, oid), family == kUdpIPv4 ? v4 : v6, 0};
}

// Runs discovery as the given product into a list holding a stale record, with selectedIndex 5;
// returns the result code and the records as "address|sysDescr|adapterName" in list order.
int Discover(FakeNetwork& net, const char* product, int passes, int protocol, int& selected,
             std::vector<std::string>& listed)
{
    ScopedProduct current(product);
    DeviceList list;
    list.Append(EmptyDeviceRecord());
    selected = 5;
    int result = RunDiscovery(list, selected, passes, kDialogPassTiming, protocol, nullptr, net);
    for (size_t i = 0; i < list.Count(); ++i)
        listed.push_back(std::string(list.At(i).address) + "|" + list.At(i).sysDescr + "|" + list.At(i).adapterName);
    return result;
}

}  // namespace

TEST(DiscoveryDriver, ResultListAndSelectionOnEveryPath)
{
    struct Case {
        const char* what;
        const char* product;
        int passes, protocol, failOpen, result, selected;
        std::vector<std::string> listed;
    };
    const Case cases[] = {
        {"no duplicates, the first answer kept, text order",
         "R7240",
         2,
         kProtocolIPv4,
         0,
         kRunDiscoveryOk,
         0,
         {"198.51.100.10|b|", "198.51.100.9|a|"}},
        {"the second identifier's series",
         "L835_",
         2,
         kProtocolIPv4,
         0,
         kRunDiscoveryOk,
         0,
         {"198.51.100.30|alt|", "198.51.100.4|main|"}},
        {"the second pass cannot open: skipped, what the first found, sorted",
         "R7240",
         2,
         kProtocolIPv4,
         2,
         kRunDiscoveryOk,
         0,
         {"198.51.100.10|b|", "198.51.100.9|a|"}},
        {"the second identifier's series cannot open", "L835_", 1, kProtocolIPv4, 2, kRunDiscoveryOk, 0, {"198.51.100.4|main|"}},
        {"no adapter list", "R7240", 1, kProtocolIPv6, 0, kRunDiscoveryFailed, -1, {}},
        {"protocol -1", "R7240", 1, -1, 0, kRunDiscoveryBadProtocol, -1, {}},
    };
    for (const Case& c : cases) {
        FakeNetwork net;
        net.failOpen = c.failOpen;
        net.listResult = kAdaptersFailed;
        const Datagram oversized{Bytes(1500, 0x30), From(kUdpIPv4, 1, "").sender, 0};
        for (const char* descr : {"a", "again", "again", "again"})
            net.bursts.push_back({oversized, From(kUdpIPv4, 9, descr), From(kUdpIPv4, 10, "b"),
                                  From(kUdpIPv4, 4, "main", kModel8), From(kUdpIPv4, 30, "alt", kAltModel8)});
        int selected;
        std::vector<std::string> listed;
        EXPECT_EQ(Discover(net, c.product, c.passes, c.protocol, selected, listed), c.result) << c.what;
        EXPECT_EQ(selected, c.selected) << c.what;
        EXPECT_EQ(listed, c.listed) << c.what;
    }
}

TEST(DiscoveryDriver, IPv6RunsOnEveryUsableAdapterAndMergesPerAdapterNameInAnyCase)
{
    FakeNetwork net;
    // Kept: lan0, lan1 (dormant) and LAN0 (no IPv6 index, so its general one; lan0's name in other case).
    net.adapters = {{kIfTypeSoftwareLoopback, kOperUp, 1, 1, ""},
                    {kIfTypePpp, kOperUp, 1, 1, ""},
                    {kIfTypeTunnel, kOperUp, 1, 1, ""},
                    {kIfTypeAtm, kOperUp, 1, 1, ""},
                    {kIfTypeEthernet, kOperDown, 1, 1, ""},
                    {kIfTypeEthernet, kOperNotPresent, 1, 1, ""},
                    {kIfTypeEthernet, kOperLowerLayerDown, 1, 1, ""},
                    {kIfTypeEthernet, kOperUp, 2, 2, "lan0"},
                    {kIfTypeIeee80211, kOperDormant, 3, 3, "lan1"},
                    {kIfTypeOther, kOperUnknown, 0, 12, "LAN0"}};
    net.bursts = {{From(kUdpIPv6, 0x11, "a"), From(kUdpIPv6, 0x0a, "b")},
                  {From(kUdpIPv6, 0x11, "a")},
                  {From(kUdpIPv6, 0x11, "again")}};
    int selected;
    std::vector<std::string> listed;
    EXPECT_EQ(Discover(net, "R7240", 1, kProtocolIPv6, selected, listed), kRunDiscoveryOk);
    EXPECT_EQ(net.scopes, "2 3 12 ");
    EXPECT_EQ(selected, 0);
    const std::string link = "fe80:0000:0000:0000:0000:0000:0000:00";
    std::sort(listed.begin(), listed.end());  // equal addresses may come in either order
    EXPECT_EQ(listed, (std::vector<std::string>{link + "0a|b|lan0", link + "11|a|lan0", link + "11|a|lan1"}));
}

TEST(UdpSeam, ReceiveBufferHoldsABurstOf500Answers)
{
    ASSERT_EQ(Platform::StartSocketLibrary(), 0);
    for (int family : {kUdpIPv4, kUdpIPv6}) {
        UdpAddress to{family, {}, 0, 0};
        if (family == kUdpIPv4) {
            to.octets[0] = 127;
            to.octets[3] = 1;
        } else {
            to.octets[15] = 1;
        }
        UdpHandle receiver = UdpOpen(family), sender = UdpOpen(family);
        for (to.port = 47161; UdpBind(receiver, to) != kUdpOk; ++to.port) ASSERT_LT(to.port, 47261);
        EXPECT_EQ(UdpSetReceiveBuffer(receiver, kAnswerBurstBufferBytes), kUdpOk);
        std::vector<std::uint8_t> answer(160, 0x30);  // a typical answer's size
        for (int i = 0; i < 500; ++i) ASSERT_EQ(UdpSendTo(sender, answer.data(), answer.size(), to), kUdpOk);
        int received = 0;
        std::uint8_t buffer[kAnswerBufferSize];
        size_t length;
        UdpAddress from;
        while (UdpWaitReadable(receiver, 300) == kUdpOk &&
               UdpReceiveFrom(receiver, buffer, sizeof buffer, &length, &from) == kUdpOk)
            ++received;
        EXPECT_EQ(received, 500) << "IPv" << family;
        UdpClose(sender);
        UdpClose(receiver);
    }
}
