// Tests of the discovered-device list: merging without duplicates and the octet-wise address order.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "discovery/device_list.h"

namespace {

DeviceRecord Record(const char* address, const char* descr = "d", const char* adapter = "")
{
    DeviceRecord r = EmptyDeviceRecord();
    CopyField(r.address, sizeof r.address, address);
    CopyField(r.sysDescr, sizeof r.sysDescr, descr);
    CopyField(r.adapterName, sizeof r.adapterName, adapter);
    return r;
}

DeviceList ListOf(std::initializer_list<DeviceRecord> records)
{
    DeviceList list;
    for (const DeviceRecord& r : records) list.Append(r);
    return list;
}

std::vector<std::string> Addresses(const DeviceList& list)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < list.Count(); ++i) out.push_back(list.At(i).address);
    return out;
}

}  // namespace

TEST(MergePass, IPv4KeepsTheFirstAnswerOfEachAddress)
{
    DeviceList dialog;
    MergePass(dialog, ListOf({Record("10.0.0.2", "first"), Record("10.0.0.1"),
                              Record("10.0.0.2", "same pass")}),
              kProtocolIPv4, nullptr);
    MergePass(dialog, ListOf({Record("10.0.0.2", "second pass"), Record("10.0.0.3")}),
              kProtocolIPv4, nullptr);
    EXPECT_EQ(Addresses(dialog), (std::vector<std::string>{"10.0.0.2", "10.0.0.1", "10.0.0.3"}));
    EXPECT_STREQ(dialog.At(0).sysDescr, "first");
    EXPECT_STREQ(dialog.At(0).adapterName, "");  // IPv4 records get no adapter name
}

TEST(MergePass, IPv6IsPerAdapterIgnoringCase)
{
    const char* a = "fe80:0000:0000:0000:0000:00ff:fe00:0011";
    DeviceList dialog;
    MergePass(dialog, ListOf({Record(a, "on lan0")}), kProtocolIPv6, "lan0");
    MergePass(dialog, ListOf({Record(a, "on lan1")}), kProtocolIPv6, "lan1");
    MergePass(dialog, ListOf({Record(a, "on LAN0 again")}), kProtocolIPv6, "LAN0");
    ASSERT_EQ(dialog.Count(), 2u);
    EXPECT_STREQ(dialog.At(0).adapterName, "lan0");
    EXPECT_STREQ(dialog.At(0).sysDescr, "on lan0");
    EXPECT_STREQ(dialog.At(1).adapterName, "lan1");
}

TEST(MergePass, IPv6AdapterNameIsBoundedAndReplacesTheRecordsOwn)
{
    std::string longName(400, 'n');
    DeviceList dialog;
    MergePass(dialog, ListOf({Record("fe80::1", "d", "stale")}), kProtocolIPv6, longName.c_str());
    ASSERT_EQ(dialog.Count(), 1u);
    EXPECT_EQ(std::string(dialog.At(0).adapterName), longName.substr(0, 259));
}

TEST(MergePass, EmptyListsStayEmpty)
{
    DeviceList dialog, pass;
    MergePass(dialog, pass, kProtocolIPv4, nullptr);
    MergePass(dialog, pass, kProtocolIPv6, "lan0");
    SortByAddress(dialog);
    EXPECT_TRUE(dialog.Empty());
}

TEST(SortByAddress, ComparesTextOctetWiseNotNumerically)
{
    DeviceList list = ListOf({Record("10.0.0.9"), Record("10.0.0.100"), Record("10.0.0.10"),
                              Record("9.0.0.1"), Record("10.0.0.2")});
    SortByAddress(list);
    EXPECT_EQ(Addresses(list), (std::vector<std::string>{"10.0.0.10", "10.0.0.100", "10.0.0.2",
                                                         "10.0.0.9", "9.0.0.1"}));
    // Octets above 0x7F sort after ASCII (unsigned comparison).
    DeviceList high = ListOf({Record("\xC3\xA9"), Record("z")});
    SortByAddress(high);
    EXPECT_EQ(Addresses(high), (std::vector<std::string>{"z", "\xC3\xA9"}));
}

TEST(CopyField, CutsTerminatesAndZeroesTheTail)
{
    char field[8];
    std::memset(field, 'x', sizeof field);
    CopyField(field, sizeof field, "abcdefghij");
    EXPECT_STREQ(field, "abcdefg");
    CopyField(field, sizeof field, "ab");
    EXPECT_EQ(std::string(field, sizeof field), std::string("ab\0\0\0\0\0\0", 8));
    CopyField(field, sizeof field, nullptr);
    EXPECT_STREQ(field, "");
}
