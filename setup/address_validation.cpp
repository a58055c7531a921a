// Address text validation: the one address reader of discovery/address_text.h.
#include "setup/address_validation.h"

#include <cstring>
#include <vector>

#include "discovery/address_text.h"
#include "discovery/discovery_pass.h"
#include "platform/diagnostics.h"
#include "platform/name_resolution.h"
#include "platform/system_error.h"
#include "setup/connection_services.h"

int ValidateAddress(const char* text, size_t capacity, int protocol)
{
    (void)capacity;
    if (protocol != kProtocolIPv4 && protocol != kProtocolIPv6) return kAddressInvalid;
    UdpAddress parsed;
    char zone[260];
    return ParseAddressText(text, protocol, parsed, zone, sizeof zone) ? kAddressValid : kAddressInvalid;
}

bool IsHostName(const char* text)
{
    if (text == nullptr) return false;
    const size_t length = std::strlen(text);
    if (length == 0 || length > 253) return false;
    bool onlyDigitsAndDots = true;
    size_t labelStart = 0;
    for (size_t i = 0; i <= length; ++i) {
        const char c = text[i];
        if (c == '.' || c == '\0') {
            const size_t labelLength = i - labelStart;
            if (labelLength == 0 || labelLength > 63 || text[labelStart] == '-' || text[i - 1] == '-') return false;
            labelStart = i + 1;
            continue;
        }
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !digit && c != '-') return false;
        if (!digit) onlyDigitsAndDots = false;
    }
    return !onlyDigitsAndDots;
}

bool ResolveTypedName(const char* name, int protocol, std::string* address)
{
    address->clear();
    std::vector<UdpAddress> found;
    const int family = protocol == kProtocolIPv6 ? kUdpIPv6 : kUdpIPv4;
    const ResolveStatus status = Services().ResolveName(name, family, &found);
    const char* protocolName = protocol == kProtocolIPv6 ? "ipv6" : "ipv4";
    if (status != kResolveOk || found.empty()) {
        Diagnostics::Event("host-name", {{"name", name},
                                         {"protocol", protocolName},
                                         {"result", status == kResolveNotFound ? "not-found" : "failed"},
                                         {"error", std::to_string(Platform::LastSystemError())}});
        return false;
    }
    char text[64];
    FormatRecordAddress(found[0], text);
    std::string written = text;
    if (found[0].family == kUdpIPv6 && found[0].scopeId != 0)
        written.append("%").append(std::to_string(found[0].scopeId));
    *address = CompressedAddressText(written.c_str(), protocol);
    Diagnostics::Event("host-name", {{"name", name},
                                     {"protocol", protocolName},
                                     {"result", "resolved"},
                                     {"address", *address},
                                     {"addresses", std::to_string(found.size())}});
    return true;
}
