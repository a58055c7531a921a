// The one reader of address texts: typed, given, stored and found addresses alike.
#include "discovery/address_text.h"

#include <cstdio>

#include <cstring>
#include <string>
#include <vector>

#include "discovery/device_list.h"
#include "discovery/discovery_pass.h"
#include "platform/bounded_text.h"
#include "product/protocol.h"

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Four decimal parts 0-255 separated by dots, none with a leading zero ("010" is octal to other
// programs, so it would reach them as another address than it shows), nothing else.
bool ParseIPv4(const std::string& text, std::uint8_t* octets)
{
    int part = 0;
    int value = -1;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            if (value == 0) return false;
            value = (value < 0 ? 0 : value * 10) + (c - '0');
            if (value > 255) return false;
        } else if (c == '.' && value >= 0 && part < 3) {
            octets[part++] = static_cast<std::uint8_t>(value);
            value = -1;
        } else {
            return false;
        }
    }
    if (part != 3 || value < 0) return false;
    octets[3] = static_cast<std::uint8_t>(value);
    return true;
}

// The colon forms of an IPv6 address (no zone, no brackets).
bool ParseIPv6(const std::string& text, std::uint8_t* octets)
{
    std::vector<std::uint16_t> head, tail;
    bool compressed = false;
    size_t i = 0;
    if (text.compare(0, 2, "::") == 0) {
        compressed = true;
        i = 2;
    } else if (!text.empty() && text[0] == ':') {
        return false;
    }
    bool ipv4Tail = false;
    std::uint8_t v4[4] = {};
    while (i < text.size()) {
        std::vector<std::uint16_t>& groups = compressed ? tail : head;
        size_t end = text.find(':', i);
        std::string group = text.substr(i, end == std::string::npos ? std::string::npos : end - i);
        if (end == std::string::npos && group.find('.') != std::string::npos) {
            if (!ParseIPv4(group, v4)) return false;
            ipv4Tail = true;
            i = text.size();
            break;
        }
        if (group.empty() || group.size() > 4) return false;
        unsigned value = 0;
        for (char c : group) {
            const int digit = HexValue(c);
            if (digit < 0) return false;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        groups.push_back(static_cast<std::uint16_t>(value));
        if (end == std::string::npos) {
            i = text.size();
        } else if (text.compare(end, 2, "::") == 0) {
            if (compressed) return false;
            compressed = true;
            i = end + 2;
        } else {
            i = end + 1;
            if (i == text.size()) return false;  // a single trailing colon
        }
    }
    const size_t used = head.size() + tail.size() + (ipv4Tail ? 2 : 0);
    if (compressed ? used > 7 : used != 8) return false;
    std::memset(octets, 0, 16);
    size_t at = 0;
    for (std::uint16_t g : head) {
        octets[at++] = static_cast<std::uint8_t>(g >> 8);
        octets[at++] = static_cast<std::uint8_t>(g & 0xFF);
    }
    at = 16 - tail.size() * 2 - (ipv4Tail ? 4 : 0);
    for (std::uint16_t g : tail) {
        octets[at++] = static_cast<std::uint8_t>(g >> 8);
        octets[at++] = static_cast<std::uint8_t>(g & 0xFF);
    }
    if (ipv4Tail) std::memcpy(octets + 12, v4, 4);
    return true;
}

bool IsNumber(const char* text)
{
    if (*text == '\0') return false;
    for (; *text != '\0'; ++text)
        if (*text < '0' || *text > '9') return false;
    return true;
}

}  // namespace

bool ParseAddressText(const char* text, int protocol, UdpAddress& destination, char* zone, size_t zoneSize)
{
    if (zone != nullptr && zoneSize > 0) zone[0] = '\0';
    std::memset(&destination, 0, sizeof destination);
    destination.port = kSnmpAgentPort;
    if (text == nullptr) return false;
    std::string address = text;
    if (address.size() > 127) return false;
    if (protocol == kProtocolIPv4) {
        destination.family = kUdpIPv4;
        return ParseIPv4(address, destination.octets);
    }
    if (protocol != kProtocolIPv6) return false;
    destination.family = kUdpIPv6;
    if (!address.empty() && address[0] == '[') {
        const size_t close = address.find(']');
        if (close == std::string::npos) return false;
        const std::string rest = address.substr(close + 1);
        if (!rest.empty() && (rest[0] != ':' || rest.size() == 1 || !IsNumber(rest.c_str() + 1))) return false;
        address = address.substr(1, close - 1);
    }
    std::string zoneText;
    const size_t percent = address.find('%');
    if (percent != std::string::npos) {
        zoneText = address.substr(percent + 1);
        address.resize(percent);
        if (zoneText.empty()) return false;
    }
    if (!ParseIPv6(address, destination.octets)) return false;
    if (IsNumber(zoneText.c_str())) {
        // A scope ID is 32 bits wide: "4294967295" is the largest.
        if (zoneText.size() > 10 || std::stoull(zoneText) > 0xFFFFFFFFull) return false;
        destination.scopeId = static_cast<std::uint32_t>(std::stoull(zoneText));
    }
    if (zone != nullptr && zoneSize > 0) CopyField(zone, zoneSize, zoneText.c_str());
    return true;
}

bool SameAddress(const char* a, const char* b, int protocol)
{
    UdpAddress first, second;
    char zoneA[260] = {}, zoneB[260] = {};
    if (!ParseAddressText(a, protocol, first, zoneA, sizeof zoneA) ||
        !ParseAddressText(b, protocol, second, zoneB, sizeof zoneB))
        return a != nullptr && b != nullptr && std::strcmp(a, b) == 0;
    const size_t length = first.family == kUdpIPv6 ? 16 : 4;
    return std::memcmp(first.octets, second.octets, length) == 0 && first.scopeId == second.scopeId &&
           AsciiEqualNoCase(zoneA, zoneB);
}

std::string CompressedAddressText(const char* text, int protocol)
{
    UdpAddress address;
    char zone[128] = {};
    if (text == nullptr) return "";
    if (protocol != kProtocolIPv6 || !ParseAddressText(text, protocol, address, zone, sizeof zone)) return text;
    unsigned groups[8];
    for (int i = 0; i < 8; ++i) groups[i] = (address.octets[2 * i] << 8) | address.octets[2 * i + 1];
    // The longest run of zero groups (the first of equal ones), when it is two groups or more.
    int runStart = -1, runLength = 1;
    for (int i = 0; i < 8;) {
        int j = i;
        while (j < 8 && groups[j] == 0) ++j;
        if (j - i > runLength) runStart = i, runLength = j - i;
        i = j > i ? j : i + 1;
    }
    std::string out;
    char part[8];
    for (int i = 0; i < 8; ++i) {
        if (i == runStart) {
            out += "::";
            i += runLength - 1;
            continue;
        }
        if (!out.empty() && out.back() != ':') out += ':';
        std::snprintf(part, sizeof part, "%x", groups[i]);
        out += part;
    }
    if (zone[0] != '\0') out += std::string("%") + zone;
    return out;
}
