// Checks that an address text typed by a person (or given on the command line) is an address of
// the chosen protocol before it is stored.
#pragma once
#include <cstddef>

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
