// The check of the stored address and the search for the stored scanner, side by side over the
// scripted network and its clock (timing cannot be arranged on real sockets; the LAN benchmark
// measures the real one): when each way of ending comes, and what it leaves for /refresh.
#include <gtest/gtest.h>

#include "discovery/discovery_search.h"
#include "fake_network.h"
#include "setup/stored_follow.h"
#include "test_support.h"

namespace {

const char* kModel0 = "1.3.6.1.4.1.40827.1.1.1.2.1.43.1.1";

Datagram From(std::uint8_t last, const char* mac = "020000000011")
{
    return {ScannerAnswer("s", kModel0, Hex(mac)), UdpAddress{kUdpIPv4, {198, 51, 100, last}, 161, 0}, 5};
}

TEST(FollowStored, EndsAsSoonAsTheAnswersDecide)
{
    ScopedProduct product("R7240");
    StoredConnection stored;
    stored.address = "198.51.100.10";
    stored.macAddress = "02:00:00:00:00:11";
    stored.protocol = 0;
    // The requests in the order they go out: the check, the broadcast (after the check's head start),
    // the broadcast's early second request, the check's second request (1 s).
    struct Case {
        const char* what;
        std::deque<std::vector<Datagram>> bursts;
        std::int64_t endsFrom, endsBy;
        int checkOutcome;
        size_t found;
        int storedVerified = 0;  // stored from a verified SNMPv3 answer
    };
    const std::int64_t searchEnd = kFollowHeadStartMs + kQuietWaitMs + 2 * kSearchStepMs;
    const Case cases[] = {
        {"where it was", {{From(10)}}, 0, kFollowHeadStepMs, kCheckProductAnswered, 0},
        {"moved", {{}, {From(40)}, {From(40)}}, kCheckWaitMs, searchEnd, kCheckNoAnswer, 1},
        {"switched off", {}, 2 * kCheckWaitMs, 2 * kCheckWaitMs + kSearchStepMs, kCheckNoAnswer, 0},
        {"another scanner took its address",
         {{From(10, "0200000000bb")}, {From(40), From(10, "0200000000bb")}},
         kQuietWaitMs,
         searchEnd,
         kCheckProductAnswered,
         2},
        {"it answers the broadcast only", {{}, {From(10)}}, kCheckWaitMs, searchEnd, kCheckNoAnswer, 1},
        {"an SNMPv1 answer where a verified one is stored: the search goes on", {{From(10)}}, kQuietWaitMs, searchEnd,
         kCheckProductAnswered, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeNetwork net;
        net.bursts = c.bursts;
        stored.authenticated = c.storedVerified;
        const std::int64_t start = net.now;
        FollowResult result;
        FollowStored(stored, kCommandLinePasses, kCommandLinePassTiming, result, net);
        EXPECT_GE(net.now - start, c.endsFrom);
        EXPECT_LE(net.now - start, c.endsBy);
        EXPECT_EQ(c.checkOutcome, result.check.outcome);
        EXPECT_EQ(c.found, result.found.Count());
        EXPECT_EQ(0u, net.OpenNow()) << "every socket closed";
        if (c.checkOutcome == kCheckProductAnswered && c.found == 0 && c.storedVerified == 0) {
            EXPECT_EQ(1u, net.sends.size()) << "no search when it answered at once";
        }
    }
}

}  // namespace
