// Checks that an address text typed by a person (or given on the command line) is an address of
// the chosen protocol before it is stored.
#pragma once
#include <cstddef>

#include "product/protocol.h"

// Results of ValidateAddress.
constexpr int kAddressValid = 0;
constexpr int kAddressNoMemory = 1;
constexpr int kAddressInvalid = 2;

// text: NUL-terminated, checked as its first 127 characters (a longer text is refused: it could
// not be stored). capacity: the caller's buffer size (both callers pass 128); it does not change
// the check. protocol: kProtocolIPv4 (the platform parser accepts it, exactly three "." and only
// digits and ".", no octet with a leading zero such as "010", which other programs read as
// octal), kProtocolIPv6 (the platform parser accepts it), anything else is invalid. The socket
// library must have been started.
int ValidateAddress(const char* text, size_t capacity, int protocol);
