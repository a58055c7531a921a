// A discovery search as a state machine on one thread: started for a protocol and a number of
// passes, advanced by Step whenever its owner gets round to it (a window's timer, or a loop that
// sleeps between steps), cancelled at any time. Rows are merged and sorted as answers arrive.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "discovery/device_list.h"
#include "discovery/discovery_driver.h"
#include "discovery/discovery_pass.h"
#include "discovery/discovery_transport.h"

// What Step reports (bit flags).
constexpr int kSearchRowsChanged = 1;  // Devices() gained rows since the last step
constexpr int kSearchEnded = 2;        // the search is over (Result() is final); reported once

// How often the owner should call Step while the search runs. Answers wait in the sockets'
// buffers between steps; a pass ends at most one step after its quiet second or its cap.
constexpr int kSearchStepMs = 25;

// The search over a transport (the transport must outlive the search).
//
// A search is a series of rounds. IPv4: `passes` rounds with the current product's model
// identifier, and as many again with its second identifier when it has one. A round opens one
// socket per IPv4 source (EnumerateIPv4Sources: one per adapter address, or the single broadcast
// from 0.0.0.0 when the adapters cannot be listed) and sends the broadcast from each. IPv6: the
// adapters are enumerated once at Start; each of `passes` rounds opens one socket per adapter and
// multicasts from all of them at once, every record labelled with its adapter's name. Within a
// round every socket is its own pass: it ends after its quiet wait without any datagram on it
// (PassTiming; one second in the dialog) or five seconds after its request (kPassCapMs), whichever
// comes first, and is
// closed then; the next round starts when every socket of this one has ended. A pass still running
// kResendAfterMs after its request sends the request once more (a host firewall's window for the
// answers to a broadcast is shorter than the cap); answers to both requests merge as below.
//
// An adapter whose socket cannot be opened, set up, bound or sent from is skipped for that round
// (traced with the step and the system's reason, and named once in Skipped()); the others go on.
// A receive error skips that datagram, not the pass.
//
// Every matching answer is merged into Devices() without duplicates as MergePass does (the same
// address, and for IPv6 the same adapter name ignoring case, is one device; the earliest record
// wins) and the list is kept sorted by SortByAddress.
//
// Result(): kRunDiscoveryOk when at least one request went out (or there was no round to run);
// kRunDiscoveryFailed when no adapter at all could be searched: the IPv6 adapters could not be
// listed or none is usable, or every adapter of every round was skipped; kRunDiscoveryBadProtocol
// for a protocol that is neither IPv4 nor IPv6 (nothing runs).
class DiscoverySearch {
public:
    explicit DiscoverySearch(DiscoveryTransport& transport);
    ~DiscoverySearch();  // cancels
    DiscoverySearch(const DiscoverySearch&) = delete;
    DiscoverySearch& operator=(const DiscoverySearch&) = delete;

    // Cancels a running search, empties Devices() and starts a new one: reads the current
    // product's identifiers, binds UDP port 161 once and releases it when the product offers IPv6,
    // and sends the first round's requests. A search with nothing to do
    // (passes 0 or less, a bad protocol, a failure at once) is over when Start returns: Running()
    // is false and the next Step reports kSearchEnded.
    // timing: when each pass sends its request early once more and how long its quiet wait is.
    void Start(int protocol, int passes, const PassTiming& timing = kDialogPassTiming);
    // Takes every datagram waiting on every open socket, merges the matches, ends the passes that
    // are over and starts the next round when the current one is done. Returns the flags above;
    // 0 when nothing changed or no search runs.
    int Step();
    // Ends the search now: every socket closed, the rows found so far kept. Result() is then
    // that of the rounds run so far. No flag is reported for a cancelled search.
    void Cancel();

    bool Running() const { return running_; }
    int Result() const { return result_; }
    const DeviceList& Devices() const { return devices_; }
    // The adapters skipped so far, each once, in the order they were first skipped.
    const std::vector<SkippedAdapter>& Skipped() const { return skipped_; }
    // The sockets open now (those of the round in progress).
    size_t OpenSockets() const;

private:
    struct Round {
        int family;  // kUdpIPv4 or kUdpIPv6
        char matchText[128];
    };
    bool StartRound();
    void Finish(int result);
    void CloseAll();
    void Skip(const char* adapter, const std::string& reason);

    DiscoveryTransport& transport_;
    PassTiming timing_ = kDialogPassTiming;
    std::vector<Round> rounds_;
    size_t nextRound_ = 0;
    std::vector<IPv4Source> sources_;
    std::vector<AdapterRecord> adapters_;
    std::vector<PassSocket> sockets_;
    DeviceList devices_;
    std::vector<SkippedAdapter> skipped_;
    bool sentAny_ = false;  // some request of this search went out
    int round_ = 0;         // index of the round in progress
    int result_ = kRunDiscoveryOk;
    bool running_ = false;
    bool endPending_ = false;
};
