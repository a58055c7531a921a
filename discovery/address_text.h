// The one reader of address texts: the addresses a person types, the installer gives, the
// settings store holds and discovery lists are all read here, so that validation, the unicast
// check and the rule "the same address" agree.
#pragma once
#include <cstddef>
#include <string>

#include "platform/udp.h"

// Parses an address text into destination (port 161): IPv4 as plain dotted decimal (four parts
// 0-255, none with a leading zero); IPv6 in the colon forms ("::" once, an IPv4 tail allowed),
// optionally in brackets with a ":port" that is ignored, optionally with a "%zone" after the
// address: a number up to 4294967295 (the scope ID) or an adapter's name. *zone receives the zone
// text (up to zoneSize - 1 characters; empty when none); a numeric zone also becomes
// destination.scopeId. At most 127 characters; false for anything else, and for a protocol that is
// neither kProtocolIPv4 nor kProtocolIPv6.
bool ParseAddressText(const char* text, int protocol, UdpAddress& destination, char* zone, size_t zoneSize);

// "The same address": both texts read as the same address of protocol (octets, scope and zone name,
// letter case ignored), whatever their spelling ("2001:db8::30" and the eight groups discovery
// writes are one address). Texts that are not addresses are the same only when equal.
bool SameAddress(const char* a, const char* b, int protocol);

// The shortest usual spelling of an address text, for showing it: IPv6 in the compressed form of
// RFC 5952 (lower case, no leading zeros, the longest run of two or more zero groups as "::"), with
// its "%zone" kept; IPv4 as it is. A text that is not an address of protocol comes back unchanged.
std::string CompressedAddressText(const char* text, int protocol);
