// Address text validation: the IPv4 rules, IPv6 forms and zones, bad input.
#include "setup/address_validation.h"

#include <string>
#include <vector>

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
    // Host names typed instead of an address; a text of digits and dots is a malformed address.
    const std::string label63 = std::string(63, 'a'),
                      name253 = label63 + "." + label63 + "." + label63 + "." + std::string(61, 'b');
    for (const std::string& name :
         std::vector<std::string>{"mfp", "mfp-3.example.test", "MFP3.Example.TEST", "1.2.3.4x", name253})
        EXPECT_TRUE(IsHostName(name.c_str())) << name;
    for (const std::string& bad :
         std::vector<std::string>{name253 + "b", label63 + "a.test", "198.51.100.300", "198.51.100", "-mfp.test",
                                  "mfp-.test", "mfp..test", ".mfp", "mfp.", "mfp_3", "fe80::1", "", "b\xC3\xBCro"})
        EXPECT_FALSE(IsHostName(bad.c_str())) << bad;
    Platform::StopSocketLibrary();
}
