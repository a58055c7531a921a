// A discovery search as a state machine on one thread: started for a protocol and a number of
// passes, advanced by Step whenever its owner gets round to it (a window's timer, or a loop that
// sleeps between steps), cancelled at any time. Rows are merged and sorted as answers arrive.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "discovery/device_list.h"
#include "discovery/discovery_driver.h"
#include "discovery/discovery_pass.h"
#include "discovery/discovery_targets.h"
#include "discovery/discovery_transport.h"
#include "discovery/scanner_details.h"

// What Step reports (bit flags).
constexpr int kSearchRowsChanged = 1;  // Devices() gained rows, or a row became verified, since the last step
constexpr int kSearchEnded = 2;        // the search is over (Result() is final); reported once
constexpr int kSearchDetailsChanged = 4;  // a row's name, location or serial arrived since the last step

// How often the owner should call Step while the search runs. Answers wait in the sockets'
// buffers between steps; a pass ends at most one step after its quiet second or its cap.
constexpr int kSearchStepMs = 25;

// What a search asks besides, or instead of, the PC's own networks. Discovery reads no setting: the
// layer that reads them (setup/search_settings.h) fills this from LocalBroadcast and
// DiscoveryTargets, or from "/targets:".
struct SearchTargets {
    bool localBroadcast = true;         // false: no broadcast and no multicast at all, only the targets
    std::vector<std::string> entries;   // DiscoveryTargets entries, expanded at each Start for its family
    std::optional<TargetSet> expanded;  // set: used instead of entries (the caller expanded them for
                                        // this search's family, for example to refuse a set before it)
    TargetResolver resolve;             // empty: the system's resolver (Platform::ResolveHostName)
    bool askDetails = false;            // ask every row listed for its name, location and serial
                                        // (discovery/scanner_details.h): the dialog and /list do
};

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
// Targets (SearchTargets): at Start the entries are expanded for the search's family
// (ExpandTargets: IPv4 addresses, blocks, ranges and names resolved to IPv4 for an IPv4 search;
// IPv6 addresses and names resolved to IPv6 for an IPv6 search; host names resolved at each Start).
// A set that ExpandTargets refuses is not used at all (Targets() says why) and the search runs
// without it. Every round with targets also opens one target socket (OpenTargetPass) that sends the
// unchanged request by unicast to every target address in order, paced by TakeTargetSends at Start
// and at each Step (bursts of at most kTargetBurst, kTargetsPerSecond on average). Its answers are
// matched and merged exactly as the broadcast's. The target socket stays open until its last send
// plus the pass's whole quiet wait (earlyResendMs + quietWaitMs: the time a single request's answers
// get) without any datagram, or kPassCapMs after its last send; it sends no request again. With
// localBroadcast false no broadcast and no multicast go out (the adapters are not even listed) and
// only the target sockets run; without targets such a search has nothing to do and ends at once.
//
// An adapter whose socket cannot be opened, set up, bound or sent from is skipped for that round
// (traced with the step and the system's reason, and named once in Skipped()); the others go on.
// A receive error skips that datagram, not the pass.
//
// Every matching answer is merged into Devices() without duplicates as MergePass does (the same
// address, and for IPv6 the same adapter name ignoring case, is one device; the earliest record
// wins) and the list is kept sorted by SortByAddress.
//
// Details (SearchTargets::askDetails): every row listed, and every row that becomes verified, is
// asked for its name, location and serial by ScannerDetails over the search's transport, stepped
// with the search; a row is reported at once, its details when they come (kSearchDetailsChanged).
// When the last round is over, the search keeps running only while details requests are still
// out, and at most kDetailsEndWaitMs longer; then it ends and what did not come stays empty.
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
    // targets: what is asked besides the local networks (see above); the default asks the local
    // networks only.
    void Start(int protocol, int passes, const PassTiming& timing = kDialogPassTiming,
               const SearchTargets& targets = SearchTargets{});
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
    // The sockets open now (those of the round in progress, the target socket included).
    size_t OpenSockets() const;
    // The targets of this search as Start expanded them: status kTargetSetTooLarge with its reason
    // when the set was refused (then no target is asked).
    const TargetSet& Targets() const { return targets_; }

private:
    struct Round {
        int family;  // kUdpIPv4 or kUdpIPv6
        char matchText[128];
    };
    bool StartRound();
    void Finish(int result);
    void CloseAll();
    void Skip(const char* adapter, const std::string& reason);
    void OpenTargets(int family);
    void SendTargets();
    bool StepTargets(const Round& round, std::int64_t now);
    void Merge(const PassSocket& pass, const std::vector<PassAnswer>& found, int ipVersion);
    int StepDetails();

    DiscoveryTransport& transport_;
    PassTiming timing_ = kDialogPassTiming;
    std::vector<Round> rounds_;
    size_t nextRound_ = 0;
    std::vector<IPv4Source> sources_;
    std::vector<AdapterRecord> adapters_;
    std::vector<PassSocket> sockets_;
    TargetSet targets_;
    PassSocket targetPass_;  // the round's target socket (socket invalid when none is open)
    size_t nextTarget_ = 0;  // the next target address the round's sweep sends to
    size_t nextDatagram_ = 0;       // and the first of its request's datagrams not yet sent
    std::int64_t waitingSince_ = -1;  // the sweep's socket had no room since then (-1: it had)
    TargetPacing pacing_;
    DeviceList devices_;
    std::vector<SkippedAdapter> skipped_;
    bool sentAny_ = false;  // some request of this search went out
    int round_ = 0;         // index of the round in progress
    int result_ = kRunDiscoveryOk;
    bool running_ = false;
    bool endPending_ = false;
    bool rowsVerified_ = false;  // a listed row became verified since the last report
    bool askDetails_ = false;
    ScannerDetails details_;
    bool detailsOnly_ = false;        // the rounds are over; the details still asked are awaited
    std::int64_t detailsUntil_ = 0;   // until then at most
    int roundsResult_ = kRunDiscoveryOk;  // the result once the rounds are over
};
