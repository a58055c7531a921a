// The address parser on the native build: the same forms that the Windows socket library accepts,
// built on inet_pton with the Windows extras (classic IPv4 parts, ":port", IPv6 zone numbers and
// brackets).
#include <arpa/inet.h>
#include <netinet/in.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/address_parser.h"

namespace {

// A port after ":" in decimal, 0 to 65535.
bool IsPort(const std::string& text)
{
    if (text.empty() || text.size() > 5) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return std::strtoul(text.c_str(), nullptr, 10) <= 65535;
}

// One classic IPv4 part: decimal, octal with a leading 0, or hexadecimal with 0x.
bool ParsePart(const std::string& part, unsigned long* value)
{
    if (part.empty()) return false;
    int base = 10;
    size_t start = 0;
    if (part.size() > 1 && part[0] == '0' && (part[1] == 'x' || part[1] == 'X')) {
        base = 16;
        start = 2;
        if (part.size() == 2) return false;
    } else if (part.size() > 1 && part[0] == '0') {
        base = 8;
        start = 1;
    }
    unsigned long long v = 0;
    for (size_t i = start; i < part.size(); ++i) {
        int digit;
        char c = part[i];
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && std::isxdigit(static_cast<unsigned char>(c)))
            digit = std::tolower(c) - 'a' + 10;
        else
            return false;
        if (digit >= base) return false;
        v = v * base + digit;
        if (v > 0xFFFFFFFFull) return false;
    }
    *value = static_cast<unsigned long>(v);
    return true;
}

bool ParseIpv4(const std::string& text)
{
    std::string address = text;
    size_t colon = address.find(':');
    if (colon != std::string::npos) {
        if (!IsPort(address.substr(colon + 1))) return false;
        address.resize(colon);
    }
    unsigned long parts[4];
    size_t count = 0;
    size_t start = 0;
    while (true) {
        size_t dot = address.find('.', start);
        std::string part = address.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        if (count == 4 || !ParsePart(part, &parts[count])) return false;
        ++count;
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    // The last part fills the remaining bytes: a.b.c.d, a.b.c (16 bits), a.b (24 bits), a (32 bits).
    for (size_t i = 0; i + 1 < count; ++i) {
        if (parts[i] > 0xFF) return false;
    }
    const unsigned long limits[] = {0xFFFFFFFFul, 0xFFFFFFul, 0xFFFFul, 0xFFul};
    return parts[count - 1] <= limits[count - 1];
}

bool ParseIpv6(const std::string& text)
{
    std::string address = text;
    if (!address.empty() && address[0] == '[') {
        size_t close = address.find(']');
        if (close == std::string::npos) return false;
        std::string rest = address.substr(close + 1);
        if (!rest.empty() && (rest[0] != ':' || !IsPort(rest.substr(1)))) return false;
        address = address.substr(1, close - 1);
    }
    size_t percent = address.find('%');
    if (percent != std::string::npos) {
        std::string zone = address.substr(percent + 1);
        if (zone.empty() || zone.size() > 10) return false;
        for (char c : zone) {
            if (c < '0' || c > '9') return false;
        }
        if (std::strtoull(zone.c_str(), nullptr, 10) > 0xFFFFFFFFull) return false;
        address.resize(percent);
    }
    in6_addr result;
    return ::inet_pton(AF_INET6, address.c_str(), &result) == 1;
}

}  // namespace

namespace Platform {

int ParseAddressText(const char* text, int family)
{
    if (text == nullptr || text[0] == '\0') return kAddressRefused;
    if (family == kFamilyIpv4) return ParseIpv4(text) ? kAddressAccepted : kAddressRefused;
    if (family == kFamilyIpv6) return ParseIpv6(text) ? kAddressAccepted : kAddressRefused;
    return kAddressRefused;
}

}  // namespace Platform
