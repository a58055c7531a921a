// Address text validation: the IPv4 rules, IPv6 forms and zones, bad input.
#include "setup/address_validation.h"

#include <string>

#include "platform/framework_init.h"
#include "test_support.h"

TEST(AddressValidation, Table)
{
    ASSERT_EQ(0, Platform::StartSocketLibrary());
    const std::string longV4 = "1.2.3.4" + std::string(10000, '0');
    const std::string longV6 = "::" + std::string(200, '1');
    const struct {
        const char* text;
        int protocol;
        int expected;
    } cases[] = {
        {"192.168.0.10", kProtocolIPv4, kAddressValid},
        {"0.0.0.0", kProtocolIPv4, kAddressValid},
        {"255.255.255.255", kProtocolIPv4, kAddressValid},
        {"192.168.0", kProtocolIPv4, kAddressInvalid},
        {"1.2.3.4.5", kProtocolIPv4, kAddressInvalid},
        {"1.2.3.4:80", kProtocolIPv4, kAddressInvalid},
        {" 1.2.3.4", kProtocolIPv4, kAddressInvalid},
        {"1.2.3.4 ", kProtocolIPv4, kAddressInvalid},
        {"0x0A.0.0.1", kProtocolIPv4, kAddressInvalid},
        {"1.2.3.256", kProtocolIPv4, kAddressInvalid},
        {"1..2.3", kProtocolIPv4, kAddressInvalid},
        {"myscanner", kProtocolIPv4, kAddressInvalid},
        {"fe80::1", kProtocolIPv4, kAddressInvalid},
        {longV4.c_str(), kProtocolIPv4, kAddressInvalid},
        {"fe80::1", kProtocolIPv6, kAddressValid},
        {"fe80::1%3", kProtocolIPv6, kAddressValid},
        {"fe80::1%eth0", kProtocolIPv6, kAddressValid},  // as the unicast check reads it
        {"2001:db8::10", kProtocolIPv6, kAddressValid},
        {"192.168.0.10", kProtocolIPv6, kAddressInvalid},
        {"fe80::1::2", kProtocolIPv6, kAddressInvalid},
        {"12345::1", kProtocolIPv6, kAddressInvalid},
        {longV6.c_str(), kProtocolIPv6, kAddressInvalid},
        {"", kProtocolIPv4, kAddressInvalid},
        {"", kProtocolIPv6, kAddressInvalid},
        {nullptr, kProtocolIPv4, kAddressInvalid},
        {"192.168.0.10", 5, kAddressInvalid},
        {"192.168.0.10", -1, kAddressInvalid},
        // Zero-padded octets would be read as octal by other programs: refused in every octet.
        {"192.168.001.010", kProtocolIPv4, kAddressInvalid},
        {"01.2.3.4", kProtocolIPv4, kAddressInvalid},
        {"1.2.3.00", kProtocolIPv4, kAddressInvalid},
        {"1.2.03.4", kProtocolIPv4, kAddressInvalid},
        {"10.0.100.0", kProtocolIPv4, kAddressValid},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, ValidateAddress(c.text, 128, c.protocol))
            << (c.text ? c.text : "null") << " " << c.protocol;
    Platform::StopSocketLibrary();
}
