// Blocking network discovery: runs a whole search (discovery/discovery_search.h) for the chosen
// protocol, for callers without a window; the list comes back sorted with its first row selected.
#pragma once
#include <vector>

#include "discovery/device_list.h"
#include "discovery/discovery_pass.h"
#include "discovery/discovery_transport.h"

// Results of RunDiscovery.
constexpr int kRunDiscoveryOk = 0;           // the list holds the scanners found, sorted by address
constexpr int kRunDiscoveryFailed = -1;      // no adapter at all could be searched (the list is
                                             // empty; skipped names every adapter)
constexpr int kRunDiscoveryBadProtocol = 2;  // protocol is neither 0 nor 1; the list is empty

// Replaces the dialog's list with the scanners found. The scanner address dialog passes its own
// members: deviceList (cleared, then filled) and selectedIndex (set to 0 when the list ends
// non-empty, else -1, on every path). passes is the number of passes (0 or less runs none), timing
// their early request and quiet wait (kCommandLinePassTiming for the command-line modes);
// protocol is kProtocolIPv4 or kProtocolIPv6 (anything else gives kRunDiscoveryBadProtocol).
//
// The wait cursor is shown for the whole call, which steps a DiscoverySearch every kSearchStepMs
// (sleeping through transport.Pause) until it ends; what the search does (rounds, sockets per
// adapter, the quiet second and the five-second cap, the adapters skipped) is described in
// discovery_search.h. skipped (may be null) receives the search's Skipped(). targets: what the search
// asks besides (or, LocalBroadcast off, instead of) the local networks (SearchTargets).
struct SearchTargets;
int RunDiscovery(DeviceList& deviceList, int& selectedIndex, int passes, const PassTiming& timing, int protocol,
                 std::vector<SkippedAdapter>* skipped);
int RunDiscovery(DeviceList& deviceList, int& selectedIndex, int passes, const PassTiming& timing, int protocol,
                 std::vector<SkippedAdapter>* skipped, const SearchTargets& targets);
int RunDiscovery(DeviceList& deviceList, int& selectedIndex, int passes, const PassTiming& timing, int protocol,
                 std::vector<SkippedAdapter>* skipped, DiscoveryTransport& transport);
int RunDiscovery(DeviceList& deviceList, int& selectedIndex, int passes, const PassTiming& timing, int protocol,
                 std::vector<SkippedAdapter>* skipped, DiscoveryTransport& transport, const SearchTargets& targets);
