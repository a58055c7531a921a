// The one entry into network discovery: runs the passes for the chosen protocol, merges their
// results into the scanner address dialog's list without duplicates, sorts it and selects the first.
#pragma once
#include "discovery/device_list.h"
#include "discovery/discovery_transport.h"

// Results of RunDiscovery.
constexpr int kRunDiscoveryOk = 0;          // the list holds the scanners found, sorted by address
constexpr int kRunDiscoveryFailed = -1;     // a pass or the adapter enumeration failed to run;
                                            // the list holds what earlier passes merged, unsorted
constexpr int kRunDiscoveryBadProtocol = 2; // protocol is neither 0 nor 1; the list is empty

// Replaces the dialog's list with the scanners found. The scanner address dialog passes its own
// members: deviceList (cleared, then filled) and selectedIndex (set to 0 when the list ends
// non-empty, else -1, on every path). passes is the number of passes (0 or less runs none);
// protocol is kProtocolIPv4 or kProtocolIPv6 (anything else gives kRunDiscoveryBadProtocol).
//
// The wait cursor is shown for the whole call. When the variant offers IPv6 (item
// kIpv6Available), UDP port 161 is bound once and released first, whatever the protocol. The
// model identifier (item kModelOid) is the text an answer must match. IPv4 runs `passes` broadcast
// passes; variant 8 (item kHasAltModelOid) then runs as many again with item kAltModelOid. IPv6
// enumerates the adapters once and runs, in each pass, one pass per adapter, every record labelled
// with its adapter's friendly name. Reads the current variant and its items from the variant table.
int RunDiscovery(DeviceList& deviceList, int& selectedIndex, int passes, int protocol);
int RunDiscovery(DeviceList& deviceList, int& selectedIndex, int passes, int protocol,
                 DiscoveryTransport& transport);
