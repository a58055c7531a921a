// Tests of the socket and adapter seam on the real system, over loopback only (nothing is
// broadcast): long datagrams, time-outs, a burst that must fit the receive buffer, both families,
// and the adapter list with its loopback adapter.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "discovery/discovery_pass.h"
#include "platform/adapters.h"
#include "platform/framework_init.h"
#include "platform/udp.h"

namespace {

UdpAddress Loopback(int family, std::uint16_t port)
{
    UdpAddress a{};
    a.family = family;
    a.port = port;
    if (family == kUdpIPv4) { a.octets[0] = 127; a.octets[3] = 1; }
    else a.octets[15] = 1;
    return a;
}

// Binds a receiver on loopback to the first free port from a fixed range.
UdpHandle OpenReceiver(int family, std::uint16_t* port)
{
    for (std::uint16_t p = 47161; p < 47261; ++p) {
        UdpHandle s = UdpOpen(family);
        if (s == kUdpInvalidHandle) return s;
        if (UdpBind(s, Loopback(family, p)) == kUdpOk) { *port = p; return s; }
        UdpClose(s);
    }
    return kUdpInvalidHandle;
}

class UdpSeam : public ::testing::TestWithParam<int> {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(Platform::StartSocketLibrary(), 0); }
};

}  // namespace

TEST_P(UdpSeam, LongDatagramIsReportedAndTheNextOneStillArrives)
{
    const int family = GetParam();
    std::uint16_t port = 0;
    UdpHandle receiver = OpenReceiver(family, &port);
    ASSERT_NE(receiver, kUdpInvalidHandle);
    UdpHandle sender = UdpOpen(family);
    ASSERT_NE(sender, kUdpInvalidHandle);
    ASSERT_EQ(UdpBind(sender, Loopback(family, 0)), kUdpOk);

    std::vector<std::uint8_t> big(1500, 0xAB), small(100, 0x5A);
    ASSERT_EQ(UdpSendTo(sender, big.data(), big.size(), Loopback(family, port)), kUdpOk);
    ASSERT_EQ(UdpSendTo(sender, small.data(), small.size(), Loopback(family, port)), kUdpOk);

    std::uint8_t buffer[kAnswerBufferSize];
    size_t length = 99;
    UdpAddress from{};
    ASSERT_EQ(UdpWaitReadable(receiver, 1000), kUdpOk);
    EXPECT_EQ(UdpReceiveFrom(receiver, buffer, sizeof buffer, &length, &from), kUdpTooLong);
    ASSERT_EQ(UdpWaitReadable(receiver, 1000), kUdpOk);
    EXPECT_EQ(UdpReceiveFrom(receiver, buffer, sizeof buffer, &length, &from), kUdpOk);
    EXPECT_EQ(length, small.size());
    EXPECT_EQ(std::memcmp(buffer, small.data(), small.size()), 0);
    EXPECT_EQ(from.family, family);
    EXPECT_EQ(std::memcmp(from.octets, Loopback(family, 0).octets, 16), 0);

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(UdpWaitReadable(receiver, 200), kUdpTimeout);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
    UdpClose(sender);
    UdpClose(receiver);
}

TEST_P(UdpSeam, ReceiveBufferHoldsABurstOf500Answers)
{
    const int family = GetParam();
    std::uint16_t port = 0;
    UdpHandle receiver = OpenReceiver(family, &port);
    ASSERT_NE(receiver, kUdpInvalidHandle);
    EXPECT_EQ(UdpSetReceiveBuffer(receiver, kAnswerBurstBufferBytes), kUdpOk);
    UdpHandle sender = UdpOpen(family);
    ASSERT_NE(sender, kUdpInvalidHandle);

    // 500 answers of a typical size, sent before anything is read.
    std::vector<std::uint8_t> answer(160, 0x30);
    for (int i = 0; i < 500; ++i) {
        answer[0] = static_cast<std::uint8_t>(i);
        ASSERT_EQ(UdpSendTo(sender, answer.data(), answer.size(), Loopback(family, port)), kUdpOk);
    }
    int received = 0;
    std::uint8_t buffer[kAnswerBufferSize];
    size_t length;
    UdpAddress from;
    while (UdpWaitReadable(receiver, 300) == kUdpOk &&
           UdpReceiveFrom(receiver, buffer, sizeof buffer, &length, &from) == kUdpOk)
        ++received;
    EXPECT_EQ(received, 500);
    UdpClose(sender);
    UdpClose(receiver);
}

INSTANTIATE_TEST_SUITE_P(BothFamilies, UdpSeam, ::testing::Values(kUdpIPv4, kUdpIPv6),
                         [](const auto& info) { return info.param == kUdpIPv4 ? "IPv4" : "IPv6"; });

TEST(AdapterSeam, ListsTheLoopbackAdapterAndDiscoveryLeavesItOut)
{
    std::vector<PlatformAdapter> adapters;
    ASSERT_EQ(ListIPv6Adapters(adapters), kAdaptersOk);
    bool loopbackSeen = false;
    for (const PlatformAdapter& a : adapters) {
        ASSERT_LT(strnlen(a.friendlyName, sizeof a.friendlyName), sizeof a.friendlyName);
        if (a.ifType == kIfTypeSoftwareLoopback) loopbackSeen = true;
    }
    EXPECT_TRUE(loopbackSeen);

    std::vector<AdapterRecord> kept;
    ASSERT_EQ(EnumerateIPv6Adapters(kept), kDiscoveryOk);
    for (const AdapterRecord& a : kept) EXPECT_STRNE(a.adapterName, "lo");
}

TEST(AdapterSeam, NamesCompareIgnoringCase)
{
    EXPECT_TRUE(AdapterNamesEqual("Local Area Connection", "LOCAL AREA connection"));
    EXPECT_FALSE(AdapterNamesEqual("lan0", "lan1"));
    EXPECT_FALSE(AdapterNamesEqual("lan", "lan0"));
}
