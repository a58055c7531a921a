// Tests of the discovery passes and the driver over a scripted network: socket set-up and its
// failures, the receive loop's timing and skips, adapter filtering, merging, sorting, variant 8's
// second series, result codes and selectedIndex on every path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/scanlink_app.h"
#include "discovery/discovery_driver.h"
#include "discovery/discovery_pass.h"
#include "discovery/snmp_message.h"
#include "discovery_test_support.h"
#include "platform/wait_cursor.h"

namespace {

const char* kModel0 = "1.3.6.1.4.1.40827.1.1.1.2.1.43.1.1";   // variants 0 and 6
const char* kModel8 = "1.3.6.1.4.1.1907.8.62.1.19.4.29.2.1";
const char* kAltModel8 = "1.3.6.1.4.1.1907.8.62.1.19.4.29.1.1";
const char* kOther = "1.3.6.1.4.1.40827.1.1.1.2.1.43.3.1";     // variant 2

using Datagram = FakeNetwork::Datagram;

std::vector<std::string> Addresses(const DeviceList& list)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < list.Count(); ++i) out.push_back(list.At(i).address);
    return out;
}

size_t CountOf(const std::vector<std::string>& log, const std::string& prefix)
{
    size_t n = 0;
    for (const std::string& s : log) n += s.rfind(prefix, 0) == 0;
    return n;
}

class Discovery : public ::testing::Test {
protected:
    void SetUp() override { saved_ = TheApp().m_nVariant; TheApp().m_nVariant = 0; }
    void TearDown() override { TheApp().m_nVariant = saved_; }

    int Run(int passes, int protocol)
    {
        list.Append(EmptyDeviceRecord());  // whatever was listed before is replaced
        selected = 5;
        return RunDiscovery(list, selected, passes, protocol, net);
    }

    FakeNetwork net;
    DeviceList list;
    int selected = 5;
    VariantId saved_;
};

}  // namespace

TEST_F(Discovery, IPv4PassSetsUpSendsOnceAndTakesMatchingAnswersInOrder)
{
    net.bursts.push_back({
        Datagram{5, ScannerAnswer("descr A", kModel0), V4(10, 0, 0, 9), kUdpOk},
        Datagram{6, ScannerAnswer("other model", kOther), V4(10, 0, 0, 7), kUdpOk},
        Datagram{7, ScannerAnswer(kModel0, "1.3.6.1.4.1.9"), V4(192, 168, 100, 200), kUdpOk},
    });
    DeviceList result;
    result.Append(EmptyDeviceRecord());
    EXPECT_EQ(DiscoverIPv4(result, kModel0, net), kDiscoveryOk);
    EXPECT_EQ(net.log, (std::vector<std::string>{"open4", "broadcast", "bind4 any:0",
                                                 "send4 255.255.255.255:161", "close"}));
    EXPECT_GE(net.receiveBufferAsked, 500 * 1024);
    std::uint8_t request[kSnmpRequestCapacity];
    int length = EncodeDiscoveryRequest(request, sizeof request);
    EXPECT_EQ(net.lastRequest, Bytes(request, request + length));  // the one request, whole
    ASSERT_EQ(Addresses(result), (std::vector<std::string>{"10.0.0.9", "192.168.100.200"}));
    EXPECT_EQ(result.At(0).ipVersion, 4);
    EXPECT_STREQ(result.At(0).sysDescr, "descr A");
    EXPECT_STREQ(result.At(0).macAddress, "02:00:00:00:00:11");
    // Three answers at 100 ms each, then one second of quiet after the last pause.
    EXPECT_EQ(net.nowMs, 3 * 100 + 100 + 1000);
}

TEST_F(Discovery, ReceiveLoopSkipsBadDatagramsAndEndsOnQuietOrError)
{
    Bytes good = ScannerAnswer("d", kModel0);
    net.bursts.push_back({
        Datagram{0, Bytes(1500, 0x30), V4(10, 0, 0, 1), kUdpOk},      // longer than the buffer
        Datagram{0, Hex("30 03 02 01"), V4(10, 0, 0, 2), kUdpOk},    // truncated
        Datagram{0, good, V4(10, 0, 0, 3), kUdpOk},
        Datagram{0, good, V4(10, 0, 0, 3), kUdpOk},                  // twice in one pass: kept
        Datagram{1300, good, V4(10, 0, 0, 4), kUdpOk},               // 0.9 s after the last read
        Datagram{2800, good, V4(10, 0, 0, 5), kUdpOk},               // 1.1 s of quiet before it
    });
    DeviceList result;
    EXPECT_EQ(DiscoverIPv4(result, kModel0, net), kDiscoveryOk);
    EXPECT_EQ(Addresses(result), (std::vector<std::string>{"10.0.0.3", "10.0.0.3", "10.0.0.4"}));

    net.bursts.push_back({Datagram{0, good, V4(10, 0, 0, 6), kUdpOk},
                          Datagram{0, good, V4(10, 0, 0, 7), kUdpFailed},  // a receive error
                          Datagram{0, good, V4(10, 0, 0, 8), kUdpOk}});
    EXPECT_EQ(DiscoverIPv4(result, kModel0, net), kDiscoveryOk);
    EXPECT_EQ(Addresses(result), (std::vector<std::string>{"10.0.0.6"}));
}

TEST_F(Discovery, IPv4SetUpFailuresAndAFailedSend)
{
    DeviceList result;
    net.failOpenCall = 1;
    EXPECT_EQ(DiscoverIPv4(result, kModel0, net), kDiscoveryFailed);
    EXPECT_EQ(CountOf(net.log, "close"), 0u);

    net = FakeNetwork();
    net.failBroadcastCall = 1;
    EXPECT_EQ(DiscoverIPv4(result, kModel0, net), kDiscoveryFailed);
    EXPECT_EQ(net.log.back(), "close");
    EXPECT_EQ(CountOf(net.log, "send"), 0u);

    net = FakeNetwork();
    net.failBindCall = 1;
    EXPECT_EQ(DiscoverIPv4(result, kModel0, net), kDiscoveryFailed);
    EXPECT_EQ(net.log.back(), "close");

    net = FakeNetwork();
    net.failSendCall = 1;
    net.bursts.push_back({Datagram{0, ScannerAnswer("d", kModel0), V4(10, 0, 0, 1), kUdpOk}});
    result.Append(EmptyDeviceRecord());
    EXPECT_EQ(DiscoverIPv4(result, kModel0, net), kDiscoveryOk);  // not a failure to run
    EXPECT_TRUE(result.Empty());
    EXPECT_EQ(net.log.back(), "close");
    EXPECT_EQ(net.nowMs, 0);  // nothing was waited for
}

TEST_F(Discovery, IPv6PassSendsToAllNodesOnTheAdapterAndFormatsAddresses)
{
    UdpAddress sender = V6Link(0x00, 0x11);
    sender.octets[8] = 0x02; sender.octets[9] = 0x11; sender.octets[10] = 0x22;
    sender.octets[11] = 0xff; sender.octets[12] = 0xfe; sender.octets[13] = 0x33;
    sender.octets[14] = 0x44; sender.octets[15] = 0x55;
    sender.scopeId = 7;
    net.bursts.push_back({Datagram{0, ScannerAnswer("d", kModel0), sender, kUdpOk}});
    DeviceList result;
    EXPECT_EQ(DiscoverIPv6(result, kModel0, 7, net), kDiscoveryOk);
    EXPECT_EQ(net.log, (std::vector<std::string>{"open6", "multicast-if 0", "bind6 any:0",
                                                 "send6 ff02::1 %7:161", "close"}));
    ASSERT_EQ(result.Count(), 1u);
    EXPECT_STREQ(result.At(0).address, "fe80:0000:0000:0000:0211:22ff:fe33:4455");
    EXPECT_EQ(result.At(0).ipVersion, 6);
    EXPECT_STREQ(result.At(0).adapterName, "");

    net = FakeNetwork();
    net.failMulticastCall = 1;
    EXPECT_EQ(DiscoverIPv6(result, kModel0, 7, net), kDiscoveryFailed);
    EXPECT_EQ(net.log.back(), "close");
}

TEST_F(Discovery, AdapterEnumerationFiltersTypeAndState)
{
    net.adapters = {
        MakeAdapter(kIfTypeSoftwareLoopback, kOperUp, 1, 1, "lo"),
        MakeAdapter(kIfTypeEthernet, kOperUp, 2, 2, "lan0"),
        MakeAdapter(kIfTypeTunnel, kOperUp, 3, 3, "tun0"),
        MakeAdapter(kIfTypePpp, kOperUp, 4, 4, "ppp0"),
        MakeAdapter(kIfTypeAtm, kOperUp, 5, 5, "atm0"),
        MakeAdapter(kIfTypeEthernet, kOperDown, 6, 6, "down"),
        MakeAdapter(kIfTypeEthernet, kOperNotPresent, 7, 7, "absent"),
        MakeAdapter(kIfTypeEthernet, kOperLowerLayerDown, 8, 8, "unplugged"),
        MakeAdapter(kIfTypeIeee80211, kOperDormant, 9, 9, "wlan0"),
        MakeAdapter(kIfTypeOther, kOperUnknown, 0, 12, "wine-style"),  // no IPv6 index given
        MakeAdapter(kIfTypeEthernet, kOperTesting, 11, 11, "testing"),
    };
    std::vector<AdapterRecord> kept;
    ASSERT_EQ(EnumerateIPv6Adapters(kept, net), kDiscoveryOk);
    std::vector<std::string> names;
    std::vector<std::uint32_t> indices;
    for (const AdapterRecord& a : kept) { names.push_back(a.adapterName); indices.push_back(a.interfaceIndex); }
    EXPECT_EQ(names, (std::vector<std::string>{"lan0", "wlan0", "wine-style", "testing"}));
    EXPECT_EQ(indices, (std::vector<std::uint32_t>{2, 9, 12, 11}));

    net.listResult = kAdaptersFailed;
    kept.clear();
    EXPECT_EQ(EnumerateIPv6Adapters(kept, net), kDiscoveryFailed);
    EXPECT_TRUE(kept.empty());
}

TEST_F(Discovery, ProtocolOtherThanIPv4OrIPv6GivesTwoAndSendsNothing)
{
    for (int protocol : {-1, 2, 7}) {
        EXPECT_EQ(Run(1, protocol), kRunDiscoveryBadProtocol);
        EXPECT_TRUE(list.Empty());
        EXPECT_EQ(selected, -1);
    }
    EXPECT_TRUE(net.log.empty());  // variant 0 offers no IPv6: not even the port is bound
}

TEST_F(Discovery, PortIsPreBoundOnceWhenTheVariantOffersIPv6)
{
    TheApp().m_nVariant = 2;
    EXPECT_EQ(Run(1, -1), kRunDiscoveryBadProtocol);
    EXPECT_EQ(net.log, (std::vector<std::string>{"open4", "broadcast", "bind4 any:161", "close"}));

    net = FakeNetwork();
    net.failBindCall = 1;  // the pre-binding fails: ignored, the pass runs
    net.bursts.push_back({Datagram{0, ScannerAnswer("d", kOther), V4(10, 0, 0, 1), kUdpOk}});
    EXPECT_EQ(Run(1, kProtocolIPv4), kRunDiscoveryOk);
    EXPECT_EQ(net.log[2], "bind4 any:161");
    EXPECT_EQ(Addresses(list), (std::vector<std::string>{"10.0.0.1"}));
}

TEST_F(Discovery, IPv4RunMergesPassesSortsAndSelectsTheFirst)
{
    net.bursts.push_back({
        Datagram{0, ScannerAnswer("first answer", kModel0), V4(10, 0, 0, 9), kUdpOk},
        Datagram{0, ScannerAnswer("x", kModel0), V4(10, 0, 0, 100), kUdpOk},
    });
    net.bursts.push_back({
        Datagram{0, ScannerAnswer("second answer", kModel0), V4(10, 0, 0, 9), kUdpOk},
        Datagram{0, ScannerAnswer("x", kModel0), V4(10, 0, 0, 10), kUdpOk},
    });
    EXPECT_EQ(Run(2, kProtocolIPv4), kRunDiscoveryOk);
    EXPECT_EQ(Addresses(list), (std::vector<std::string>{"10.0.0.10", "10.0.0.100", "10.0.0.9"}));
    EXPECT_STREQ(list.At(2).sysDescr, "first answer");
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(CountOf(net.log, "send4"), 2u);
    EXPECT_EQ(net.waitCursorDepthAtSend, 1);  // shown while discovering
    EXPECT_EQ(WaitCursor::Depth(), 0);        // restored afterwards
}

TEST_F(Discovery, NothingFoundOrNoPassesLeavesNoSelection)
{
    EXPECT_EQ(Run(1, kProtocolIPv4), kRunDiscoveryOk);
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(selected, -1);

    net = FakeNetwork();
    EXPECT_EQ(Run(0, kProtocolIPv4), kRunDiscoveryOk);
    EXPECT_TRUE(net.log.empty());
    EXPECT_EQ(selected, -1);
}

TEST_F(Discovery, AFailedLaterPassKeepsEarlierRecordsUnsorted)
{
    net.bursts.push_back({
        Datagram{0, ScannerAnswer("x", kModel0), V4(10, 0, 0, 9), kUdpOk},
        Datagram{0, ScannerAnswer("x", kModel0), V4(10, 0, 0, 10), kUdpOk},
    });
    net.failOpenCall = 2;
    EXPECT_EQ(Run(2, kProtocolIPv4), kRunDiscoveryFailed);
    EXPECT_EQ(Addresses(list), (std::vector<std::string>{"10.0.0.9", "10.0.0.10"}));  // merge order
    EXPECT_EQ(selected, 0);

    net = FakeNetwork();
    net.failOpenCall = 1;
    EXPECT_EQ(Run(2, kProtocolIPv4), kRunDiscoveryFailed);
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(selected, -1);
    EXPECT_EQ(WaitCursor::Depth(), 0);
}

TEST_F(Discovery, Variant8RunsASecondSeriesWithItsOtherIdentifier)
{
    TheApp().m_nVariant = 8;
    // First series (main identifier), two passes; then the second series, two passes.
    auto both = [&] {
        return FakeNetwork::Burst{
            Datagram{0, ScannerAnswer("main", kModel8), V4(10, 0, 0, 4), kUdpOk},
            Datagram{0, ScannerAnswer("alt", kAltModel8), V4(10, 0, 0, 30), kUdpOk},
        };
    };
    for (int i = 0; i < 4; ++i) net.bursts.push_back(both());
    EXPECT_EQ(Run(2, kProtocolIPv4), kRunDiscoveryOk);
    EXPECT_EQ(CountOf(net.log, "send4"), 4u);
    EXPECT_EQ(Addresses(list), (std::vector<std::string>{"10.0.0.30", "10.0.0.4"}));
    EXPECT_STREQ(list.At(0).sysDescr, "alt");
    EXPECT_EQ(selected, 0);

    // A failure in the first series runs no second series and leaves the list unsorted.
    net = FakeNetwork();
    net.bursts.push_back(both());
    net.failOpenCall = 2;
    EXPECT_EQ(Run(2, kProtocolIPv4), kRunDiscoveryFailed);
    EXPECT_EQ(CountOf(net.log, "open4"), 2u);
    EXPECT_EQ(Addresses(list), (std::vector<std::string>{"10.0.0.4"}));

    // A failure in the second series keeps what was merged, unsorted.
    net = FakeNetwork();
    net.bursts.push_back(both());
    net.bursts.push_back(both());
    net.failOpenCall = 2;  // the second series' first pass
    EXPECT_EQ(Run(1, kProtocolIPv4), kRunDiscoveryFailed);
    EXPECT_EQ(Addresses(list), (std::vector<std::string>{"10.0.0.4"}));
    EXPECT_EQ(selected, 0);

    // Other variants have no second series.
    TheApp().m_nVariant = 0;
    net = FakeNetwork();
    EXPECT_EQ(Run(2, kProtocolIPv4), kRunDiscoveryOk);
    EXPECT_EQ(CountOf(net.log, "send4"), 2u);
}

TEST_F(Discovery, IPv6RunPassesEachAdapterAndLabelsRecords)
{
    net.adapters = {MakeAdapter(kIfTypeSoftwareLoopback, kOperUp, 1, 1, "lo"),
                    MakeAdapter(kIfTypeEthernet, kOperUp, 3, 3, "lan0"),
                    MakeAdapter(kIfTypeEthernet, kOperUp, 4, 4, "lan1"),
                    MakeAdapter(kIfTypeEthernet, kOperUp, 5, 5, "LAN0")};
    Bytes a = ScannerAnswer("a", kModel0), b = ScannerAnswer("b", kModel0);
    // Pass 1: lan0, lan1, LAN0; pass 2: the same again.
    net.bursts.push_back({Datagram{0, a, V6Link(0, 0x11), kUdpOk}, Datagram{0, b, V6Link(0, 0x0a), kUdpOk}});
    net.bursts.push_back({Datagram{0, a, V6Link(0, 0x11), kUdpOk}});
    net.bursts.push_back({Datagram{0, a, V6Link(0, 0x11), kUdpOk}});  // same name ignoring case
    net.bursts.push_back({Datagram{0, b, V6Link(0, 0x0a), kUdpOk}});
    EXPECT_EQ(Run(2, kProtocolIPv6), kRunDiscoveryOk);
    EXPECT_EQ(CountOf(net.log, "send6"), 6u);
    EXPECT_EQ(CountOf(net.log, "list-adapters"), 1u);
    EXPECT_EQ(CountOf(net.log, "send6 ff02::1 %3:161"), 2u);
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_STREQ(list.At(0).address, "fe80:0000:0000:0000:0000:0000:0000:000a");
    EXPECT_STREQ(list.At(0).adapterName, "lan0");
    // The same address through two adapters: two records, one per adapter.
    EXPECT_STREQ(list.At(1).address, "fe80:0000:0000:0000:0000:0000:0000:0011");
    EXPECT_STREQ(list.At(2).address, "fe80:0000:0000:0000:0000:0000:0000:0011");
    std::string names = std::string(list.At(1).adapterName) + "," + list.At(2).adapterName;
    EXPECT_TRUE(names == "lan0,lan1" || names == "lan1,lan0") << names;
    EXPECT_EQ(selected, 0);
}

TEST_F(Discovery, IPv6EnumerationAndPassFailures)
{
    net.listResult = kAdaptersFailed;
    EXPECT_EQ(Run(1, kProtocolIPv6), kRunDiscoveryFailed);
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(selected, -1);

    net = FakeNetwork();
    net.listResult = kAdaptersFailed;
    EXPECT_EQ(Run(0, kProtocolIPv6), kRunDiscoveryFailed);  // enumerated even without passes

    // No adapter kept: nothing to do, result 0.
    net = FakeNetwork();
    net.adapters = {MakeAdapter(kIfTypeSoftwareLoopback, kOperUp, 1, 1, "lo")};
    EXPECT_EQ(Run(2, kProtocolIPv6), kRunDiscoveryOk);
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(selected, -1);

    // The second adapter's pass fails: the first adapter's records stay, unsorted.
    net = FakeNetwork();
    net.adapters = {MakeAdapter(kIfTypeEthernet, kOperUp, 3, 3, "lan0"),
                    MakeAdapter(kIfTypeEthernet, kOperUp, 4, 4, "lan1")};
    net.bursts.push_back({Datagram{0, ScannerAnswer("x", kModel0), V6Link(0, 0x11), kUdpOk},
                          Datagram{0, ScannerAnswer("x", kModel0), V6Link(0, 0x0a), kUdpOk}});
    net.failBindCall = 2;
    EXPECT_EQ(Run(1, kProtocolIPv6), kRunDiscoveryFailed);
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_STREQ(list.At(0).address, "fe80:0000:0000:0000:0000:0000:0000:0011");
    EXPECT_EQ(selected, 0);
}
