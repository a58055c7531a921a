// Checks that an address text typed by a person (or given on the command line) is an address of
// the chosen protocol before it is stored.
#pragma once
#include <cstddef>
#include <string>

#include "product/protocol.h"

// Results of ValidateAddress.
constexpr int kAddressValid = 0;
constexpr int kAddressNoMemory = 1;
constexpr int kAddressInvalid = 2;

// text: NUL-terminated, at most 127 characters (a longer text is refused: it could not be stored).
// capacity: the caller's buffer size (both callers pass 128); it does not change the check.
// protocol: kProtocolIPv4 or kProtocolIPv6; valid is what ParseAddressText (discovery/address_text.h)
// reads as an address of that protocol, the same reader the unicast check uses; anything else is
// invalid. kAddressNoMemory is no longer given (nothing is allocated).
int ValidateAddress(const char* text, size_t capacity, int protocol);

// A host name typed instead of an address: letters, digits, hyphens and dots, at most 253
// characters, labels of 1 to 63 characters that neither start nor end with a hyphen, and not made
// of digits and dots only (such a text is a malformed address, never a name).
bool IsHostName(const char* text);

// Resolves a typed host name to one address of protocol (the resolver's first of the family: IPv4
// for kProtocolIPv4, IPv6 for kProtocolIPv6) through Services().ResolveName, written into *address
// in its shortest usual spelling (CompressedAddressText; an IPv6 scope as "%number"). False when
// the name has no such address or the resolver failed. Traced as "host-name" (name, protocol,
// result, address or the system's error code). Blocks for as long as the system's resolver takes.
bool ResolveTypedName(const char* name, int protocol, std::string* address);
