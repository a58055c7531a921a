// Discovery targets: which entries parse and what they count, the 4096-address limit, host names
// through a resolver, and the pacing of the sweep.
#include <gtest/gtest.h>

#include "discovery/discovery_targets.h"
#include "platform/framework_init.h"

namespace {

std::string Text(const UdpAddress& a)
{
    return std::to_string(a.octets[0]) + "." + std::to_string(a.octets[1]) + "." + std::to_string(a.octets[2]) + "." +
           std::to_string(a.octets[3]);
}

// A resolver that knows two names: scan-1.example (one IPv4 and one IPv6 address) and big.example (5).
ResolveStatus FakeResolve(const char* name, int family, std::vector<UdpAddress>* out)
{
    const std::string n = name;
    if (n == "scan-1.example") {
        UdpAddress v4{kUdpIPv4, {198, 51, 100, 20}, 0, 0}, v6{kUdpIPv6, {0x20, 0x01, 0x0d, 0xb8}, 0, 0};
        *out = {v4, v6};
    } else if (n == "big.example") {
        for (uint8_t i = 1; i <= 5; ++i) out->push_back(UdpAddress{kUdpIPv4, {203, 0, 113, i}, 0, 0});
    } else {
        return n == "broken.example" ? kResolveFailed : kResolveNotFound;
    }
    return kResolveOk;
}

}  // namespace

TEST(TargetEntries, EachFormParsesWithItsCountAndEachMistakeHasItsReason)
{
    const std::string longest = std::string(63, 'a') + "." + std::string(63, 'b') + "." + std::string(63, 'c') + ".d";
    const std::string name253 = longest + std::string(60, 'd'), name254 = longest + std::string(61, 'd');
    const struct {
        const char* text;
        TargetParseStatus status;
        TargetKind kind;
        uint64_t count;
        const char* first;
    } cases[] = {
        {" 203.0.113.7 ", kTargetOk, TargetKind::Address, 1, "203.0.113.7"},
        {"2001:db8::7", kTargetOk, TargetKind::Address, 1, nullptr},
        {"203.0.113.0/28", kTargetOk, TargetKind::Block, 16, "203.0.113.0"},
        {"203.0.113.77/28", kTargetOk, TargetKind::Block, 16, "203.0.113.64"},  // host bits ignored
        {"198.18.0.0/20", kTargetOk, TargetKind::Block, 4096, "198.18.0.0"},
        {"0.0.0.0/0", kTargetOk, TargetKind::Block, uint64_t{1} << 32, "0.0.0.0"},
        {"203.0.113.10-203.0.113.40", kTargetOk, TargetKind::Range, 31, "203.0.113.10"},
        {"203.0.113.9-203.0.113.9", kTargetOk, TargetKind::Range, 1, "203.0.113.9"},
        {"scan-3.Example.com.", kTargetOk, TargetKind::HostName, 0, nullptr},
        {"10-printer", kTargetOk, TargetKind::HostName, 0, nullptr},
        {"   ", kTargetEmpty, {}, 0, nullptr},
        {"203.0.113.256", kTargetBadAddress, {}, 0, nullptr},
        {"203.0.113", kTargetBadAddress, {}, 0, nullptr},
        {"2001:db8:::7", kTargetBadAddress, {}, 0, nullptr},
        {"203.0.113.0/33", kTargetBadBlock, {}, 0, nullptr},
        {"203.0.113.0/", kTargetBadBlock, {}, 0, nullptr},
        {"2001:db8::/64", kTargetBadBlock, {}, 0, nullptr},
        {"203.0.113.40-203.0.113.10", kTargetBadRange, {}, 0, nullptr},
        {"203.0.113.1-203.0.113.300", kTargetBadRange, {}, 0, nullptr},
        {"scan_3.example", kTargetBadName, {}, 0, nullptr},
        {"-scan.example", kTargetBadName, {}, 0, nullptr},
        {"scan..example", kTargetBadName, {}, 0, nullptr},
        {"printer.10", kTargetBadName, {}, 0, nullptr},
        {name253.c_str(), kTargetOk, TargetKind::HostName, 0, nullptr},
        {name254.c_str(), kTargetNameTooLong, {}, 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TargetEntry entry;
        EXPECT_EQ(ParseTargetEntry(c.text, &entry), c.status) << TargetParseReason(ParseTargetEntry(c.text, &entry));
        if (c.status != kTargetOk) continue;
        EXPECT_EQ(entry.kind, c.kind);
        EXPECT_EQ(entry.count, c.count);
        if (c.first != nullptr) {
            EXPECT_EQ(Text(entry.first), c.first);
        }
    }
}

TEST(TargetSets, BlocksCountAllTheirAddressesAndALargerSetIsRefusedWhole)
{
    // A /20 is exactly the limit; the sweep skips its network and broadcast addresses.
    TargetSet set = ExpandTargets({"198.18.0.0/20"}, kUdpIPv4, FakeResolve);
    ASSERT_EQ(set.status, kTargetSetOk);
    EXPECT_EQ(set.counted, 4096u);
    ASSERT_EQ(set.addresses.size(), 4094u);
    EXPECT_EQ(Text(set.addresses.front()), "198.18.0.1");
    EXPECT_EQ(Text(set.addresses.back()), "198.18.15.254");
    EXPECT_EQ(set.addresses.front().port, 161);
    // One more address, even one inside the block, is refused with the reason and no address.
    set = ExpandTargets({"198.18.0.0/20", "198.18.0.5"}, kUdpIPv4, FakeResolve);
    EXPECT_EQ(set.status, kTargetSetTooLarge);
    EXPECT_EQ(set.counted, 4097u);
    EXPECT_TRUE(set.addresses.empty());
    EXPECT_NE(set.reason.find("4097"), std::string::npos);
    // Names count the addresses they resolve to, checked again after resolving.
    set = ExpandTargets({"198.18.0.0/20", "203.0.113.0/31"}, kUdpIPv4, FakeResolve);
    EXPECT_EQ(set.status, kTargetSetTooLarge);
    set = ExpandTargets({"198.18.0.0/21", "198.18.8.0/22", "198.18.12.0/23", "198.18.14.0/24", "198.18.15.0/25",
                         "198.18.15.128/26", "198.18.15.192/27", "198.18.15.224/28", "198.18.15.240/29", "198.18.15.248/30", "big.example"},
                        kUdpIPv4, FakeResolve);
    EXPECT_EQ(set.status, kTargetSetTooLarge);
    EXPECT_EQ(set.counted, 4097u);  // 4092 within the limit, then 5 from the name
}

TEST(TargetSets, EachAddressOnceInOrderOfTheSearchesFamilyWithProblemsListed)
{
    const std::vector<std::string> entries = {"203.0.113.6-203.0.113.7", "203.0.113.4/30", "scan-1.example",
                                              "2001:db8::9", "nowhere.example", "broken.example", "bad_name",
                                              "203.0.113.6/31", "203.0.113.7"};
    TargetSet set = ExpandTargets(entries, kUdpIPv4, FakeResolve);
    ASSERT_EQ(set.status, kTargetSetOk);
    std::vector<std::string> texts;
    for (const UdpAddress& a : set.addresses) texts.push_back(Text(a));
    EXPECT_EQ(texts, (std::vector<std::string>{"203.0.113.6", "203.0.113.7", "203.0.113.5", "198.51.100.20"}));
    EXPECT_EQ(set.counted, 2u + 4 + 1 + 2 + 1);
    ASSERT_EQ(set.rejected.size(), 1u);
    EXPECT_EQ(set.rejected[0].entry, "bad_name");
    ASSERT_EQ(set.unresolved.size(), 2u);
    EXPECT_EQ(set.unresolved[1].reason, "the resolver failed");
    set = ExpandTargets(entries, kUdpIPv6, FakeResolve);
    EXPECT_EQ(set.addresses.size(), 2u);  // 2001:db8::9 and the name's IPv6 address
    EXPECT_EQ(set.counted, 2u);
}

TEST(TargetPacing, BurstsNeverExceedTheBucketAndTheRateHoldsOverASecond)
{
    TargetPacing pacing;
    EXPECT_EQ(TakeTargetSends(pacing, 1000, 4094), kTargetBurst);  // the first burst at once
    EXPECT_EQ(TakeTargetSends(pacing, 1000, 4094), 0u);
    EXPECT_EQ(TakeTargetSends(pacing, 1025, 4094), 8u);  // 25 ms: 8 sends
    EXPECT_EQ(TakeTargetSends(pacing, 1035, 4094), 3u);  // 10 ms: 3.2 sends, the rest kept
    size_t sent = kTargetBurst + 11;
    for (uint64_t now = 1050; now <= 2000; now += 25) sent += TakeTargetSends(pacing, now, 4094);
    EXPECT_EQ(sent, kTargetBurst + kTargetsPerSecond);
    EXPECT_EQ(TakeTargetSends(pacing, 60000, 4094), kTargetBurst);  // after a stall: one burst, no catching up
    EXPECT_EQ(TakeTargetSends(pacing, 70000, 3), 3u);
}

// The system's resolver (the unit tests run in a namespace with loopback only): the hosts file's
// name, and an unknown name, which Wine answers with "try again", both as named results.
TEST(NameResolution, TheHostsFileNameResolvesAndAnUnknownNameIsNotFound)
{
    ASSERT_EQ(Platform::StartSocketLibrary(), 0);  // Windows asks for it before any resolution
    std::vector<UdpAddress> addresses;
    ASSERT_EQ(Platform::ResolveHostName("localhost", kUdpIPv4, &addresses), kResolveOk);
    EXPECT_EQ(Text(addresses.at(0)), "127.0.0.1");
    EXPECT_EQ(Platform::ResolveHostName("nowhere.invalid", 0, &addresses), kResolveNotFound);
    EXPECT_TRUE(addresses.empty());
}
