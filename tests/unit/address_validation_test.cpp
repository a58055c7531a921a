// Address text validation: the IPv4 rules, IPv6 through the platform parser, bad input.
#include "setup/address_validation.h"

#include <string>

#include "platform/address_parser.h"
#include "platform/framework_init.h"
#include "test_support.h"

namespace {

class AddressValidationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(0, Platform::StartSocketLibrary()); }
    static void TearDownTestSuite() { Platform::StopSocketLibrary(); }
    static int V4(const char* text) { return ValidateAddress(text, 128, kProtocolIpv4); }
    static int V6(const char* text) { return ValidateAddress(text, 128, kProtocolIpv6); }
};

TEST_F(AddressValidationTest, Ipv4AcceptsOnlyPlainDottedDecimal)
{
    EXPECT_EQ(kAddressValid, V4("192.168.0.10"));
    EXPECT_EQ(kAddressValid, V4("0.0.0.0"));
    EXPECT_EQ(kAddressValid, V4("255.255.255.255"));
    EXPECT_EQ(kAddressInvalid, V4("192.168.0"));
    EXPECT_EQ(kAddressInvalid, V4("192.168.0.10.5"));
    EXPECT_EQ(kAddressInvalid, V4("192.168.0.10:80"));
    EXPECT_EQ(kAddressInvalid, V4(" 192.168.0.10"));
    EXPECT_EQ(kAddressInvalid, V4("192.168.0.10 "));
    EXPECT_EQ(kAddressInvalid, V4("0x0A.0.0.1"));
    EXPECT_EQ(kAddressInvalid, V4("300.1.1.1"));
    EXPECT_EQ(kAddressInvalid, V4("1.2.3.256"));
    EXPECT_EQ(kAddressInvalid, V4("1..2.3"));
    EXPECT_EQ(kAddressInvalid, V4("..."));
    EXPECT_EQ(kAddressInvalid, V4("myscanner"));
    EXPECT_EQ(kAddressInvalid, V4("fe80::1"));
}

TEST_F(AddressValidationTest, Ipv6UsesTheParserAlone)
{
    EXPECT_EQ(kAddressValid, V6("fe80::1"));
    EXPECT_EQ(kAddressValid, V6("::1"));
    EXPECT_EQ(kAddressValid, V6("2001:db8::10"));
    EXPECT_EQ(kAddressValid, V6("fe80::1%3"));
    EXPECT_EQ(kAddressInvalid, V6("192.168.0.10"));
    EXPECT_EQ(kAddressInvalid, V6("fe80::1::2"));
    EXPECT_EQ(kAddressInvalid, V6("fe80::g"));
    EXPECT_EQ(kAddressInvalid, V6("12345::1"));
}

TEST_F(AddressValidationTest, EmptyNullLongAndOtherProtocols)
{
    EXPECT_EQ(kAddressInvalid, V4(""));
    EXPECT_EQ(kAddressInvalid, V6(""));
    EXPECT_EQ(kAddressInvalid, V4(nullptr));
    EXPECT_EQ(kAddressInvalid, ValidateAddress("192.168.0.10", 128, 5));
    EXPECT_EQ(kAddressInvalid, ValidateAddress("192.168.0.10", 128, -1));
    // The capacity does not change the check.
    EXPECT_EQ(kAddressValid, ValidateAddress("192.168.0.10", 0, kProtocolIpv4));
    std::string longText = "1.2.3.4" + std::string(10000, '0');
    EXPECT_EQ(kAddressInvalid, V4(longText.c_str()));
    EXPECT_EQ(kAddressInvalid, V6(("::" + std::string(200, '1')).c_str()));
}

TEST_F(AddressValidationTest, PlatformParserForms)
{
    using Platform::kAddressAccepted;
    using Platform::kFamilyIpv4;
    using Platform::kFamilyIpv6;
    EXPECT_EQ(kAddressAccepted, Platform::ParseAddressText("192.168.0.10:80", kFamilyIpv4));
    EXPECT_EQ(kAddressAccepted, Platform::ParseAddressText("[fe80::1%2]:80", kFamilyIpv6));
    EXPECT_NE(kAddressAccepted, Platform::ParseAddressText("192.168.0.10:99999", kFamilyIpv4));
    EXPECT_NE(kAddressAccepted, Platform::ParseAddressText("fe80::1%", kFamilyIpv6));
    EXPECT_NE(kAddressAccepted, Platform::ParseAddressText("1.2.3.4", 99));
}

}  // namespace
