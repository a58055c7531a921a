// The platform's address parser: whether a text is an address of a family, as the socket
// library's string-to-address conversion judges it (IPv4: one to four parts in decimal, octal or
// hexadecimal, optionally ":port"; IPv6: the colon forms, an optional "%" zone number, optionally
// in brackets with ":port"). The socket library must have been started.
#pragma once

namespace Platform {

constexpr int kFamilyIpv4 = 4;
constexpr int kFamilyIpv6 = 6;

// Results.
constexpr int kAddressAccepted = 0;
constexpr int kAddressRefused = 1;

int ParseAddressText(const char* text, int family);

}  // namespace Platform
