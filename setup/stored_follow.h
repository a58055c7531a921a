// What /refresh learns about the stored scanner: the unicast check of its stored address and a
// search of its protocol, run side by side so that a scanner that moved is found in about the time
// the check alone takes.
#pragma once
#include <vector>

#include "discovery/address_check.h"
#include "discovery/device_list.h"
#include "discovery/discovery_pass.h"
#include "discovery/discovery_search.h"
#include "discovery/discovery_transport.h"
#include "setup/connection_schema.h"

struct FollowResult {
    AddressCheckResult check;  // the check of the stored address; kCheckNoAnswer when it was ended
                               // because the search had found the scanner elsewhere
    DeviceList found;          // the search's rows (empty when the check answered first)
    int searchResult;          // RunDiscovery's result codes; kRunDiscoveryOk when it was not needed
    std::vector<SkippedAdapter> skipped;
};

// The check runs alone for its first kFollowHeadStartMs, stepped every kFollowHeadStepMs: a scanner
// that did not move answers within a few milliseconds, and then no search is started at all (its
// adapters listed, its sockets opened). Then the search starts beside the check.
constexpr int kFollowHeadStartMs = 50;
constexpr int kFollowHeadStepMs = 5;

// Starts the check of stored.address (stored.adapterName for IPv6), after the head start a search of
// stored.protocol (passes passes of timing), and steps both every kSearchStepMs until one of these
// ends it:
// - the check found the scanner at its address (AnsweredAsStored): the search is cancelled
//   (what a scanner that did not move costs: one round trip);
// - the search ended holding the stored scanner (StoredIndexIn) and the stored address has had its
//   first full wait (kCheckWaitMs) without that answer: the check is cancelled (traced as event
//   "follow", decision=found-elsewhere);
// - both ended.
// targets: what the search asks besides the local networks (SearchTargets).
void FollowStored(const StoredConnection& stored, int passes, const PassTiming& timing, FollowResult& result,
                  DiscoveryTransport& transport, const SearchTargets& targets = SearchTargets{});
