// Address text validation: the one address reader of discovery/address_text.h.
#include "setup/address_validation.h"

#include "discovery/address_text.h"

int ValidateAddress(const char* text, size_t capacity, int protocol)
{
    (void)capacity;
    if (protocol != kProtocolIPv4 && protocol != kProtocolIPv6) return kAddressInvalid;
    UdpAddress parsed;
    char zone[260];
    return ParseAddressText(text, protocol, parsed, zone, sizeof zone) ? kAddressValid : kAddressInvalid;
}
