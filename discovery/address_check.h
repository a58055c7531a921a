// The unicast check of one address: the discovery request sent to that address alone, to learn
// whether a scanner of the current product answers there and with which MAC address.
#pragma once
#include <cstddef>
#include <cstdint>

#include "discovery/discovery_transport.h"

// Outcomes of CheckAddress.
constexpr int kCheckProductAnswered = 0;  // a scanner of the current product answered
constexpr int kCheckOtherAnswered = 1;    // something answered the request, but not this product
constexpr int kCheckNoAnswer = 2;         // nothing answered (after the retry)
constexpr int kCheckBadAddress = 3;       // the text is not an address of the protocol; nothing sent
constexpr int kCheckFailed = 4;           // no request could be sent at all (socket, bind or send
                                          // refused through every scope)

// The wait for an answer, and how often the request is sent in all.
constexpr int kCheckWaitMs = 1000;
constexpr int kCheckAttempts = 2;
// Datagrams from other senders read in one wait before it gives up (they are ignored).
constexpr int kCheckMaxForeignDatagrams = 16;

// What a check found. macAddress and adapterName are empty unless the product answered; the
// adapter is the IPv6 adapter whose scope reached the scanner (always empty for IPv4).
struct AddressCheckResult {
    int outcome;
    char macAddress[32];
    char adapterName[260];
};

// Checks one address of protocol (kProtocolIPv4 or kProtocolIPv6). The request is sent from a
// socket bound to any address; an answer counts only when it comes from the address asked and
// decodes; it is this product's when it matches one of the current product's model identifiers.
// Without an answer within kCheckWaitMs the request is sent once more. The text is read by
// ParseAddressText (discovery/address_text.h). An IPv6 address is asked through its numeric zone; else through the adapter named by its
// zone or by adapterName (the adapter of the stored connection; may be null or empty); else, for a
// link-local address, through every adapter in turn until one answers; else with no scope.
// The socket is closed on every path.
void CheckAddress(const char* text, int protocol, const char* adapterName, AddressCheckResult& result,
                  DiscoveryTransport& transport);
void CheckAddress(const char* text, int protocol, const char* adapterName, AddressCheckResult& result);
