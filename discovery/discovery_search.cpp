// The discovery search: rounds of side-by-side passes, stepped by the owner, merged as they answer.
#include "discovery/discovery_search.h"

#include <cstring>

#include "platform/diagnostics.h"
#include "platform/system_error.h"
#include "product/product.h"
#include "product/protocol.h"

namespace {

// Binds the SNMP agent port once and releases it at once; every outcome is ignored.
void PreBindAgentPort(DiscoveryTransport& transport)
{
    UdpHandle socket = transport.Open(kUdpIPv4);
    if (socket == kUdpInvalidHandle) return;
    if (transport.SetBroadcast(socket) == kUdpOk) {
        UdpAddress local;
        std::memset(&local, 0, sizeof local);
        local.family = kUdpIPv4;
        local.port = kSnmpAgentPort;
        transport.Bind(socket, local);
    }
    transport.Close(socket);
}

}  // namespace

DiscoverySearch::DiscoverySearch(DiscoveryTransport& transport) : transport_(transport), details_(transport)
{
}

DiscoverySearch::~DiscoverySearch()
{
    CloseAll();
}

size_t DiscoverySearch::OpenSockets() const
{
    size_t open = 0;
    for (const PassSocket& s : sockets_) open += s.socket != kUdpInvalidHandle ? 1 : 0;
    return open + (targetPass_.socket != kUdpInvalidHandle ? 1 : 0);
}

void DiscoverySearch::CloseAll()
{
    for (PassSocket& s : sockets_) {
        if (s.socket != kUdpInvalidHandle) transport_.Close(s.socket);
        s.socket = kUdpInvalidHandle;
    }
    sockets_.clear();
    if (targetPass_.socket != kUdpInvalidHandle) transport_.Close(targetPass_.socket);
    targetPass_.socket = kUdpInvalidHandle;
}

void DiscoverySearch::Cancel()
{
    CloseAll();
    details_.Cancel();
    detailsOnly_ = false;
    running_ = false;
    endPending_ = false;
}

void DiscoverySearch::Skip(const char* adapter, const std::string& reason)
{
    Diagnostics::Event("adapter-skipped", {{"adapter", adapter}, {"reason", reason}});
    for (const SkippedAdapter& s : skipped_)
        if (s.adapter == adapter) return;
    skipped_.push_back(SkippedAdapter{adapter, reason});
}

void DiscoverySearch::Finish(int result)
{
    CloseAll();
    details_.Cancel();
    detailsOnly_ = false;
    result_ = result;
    running_ = false;
    endPending_ = true;
}

void DiscoverySearch::Start(int protocol, int passes, const PassTiming& timing, const SearchTargets& targets)
{
    Cancel();
    timing_ = timing;
    devices_.Clear();
    skipped_.clear();
    sentAny_ = false;
    rounds_.clear();
    sources_.clear();
    adapters_.clear();
    nextRound_ = 0;
    result_ = kRunDiscoveryOk;
    running_ = true;
    targets_ = TargetSet{};
    askDetails_ = targets.askDetails;
    const bool local = targets.localBroadcast;
    if (protocol == kProtocolIPv4 || protocol == kProtocolIPv6) {
        const int family = FamilyOfProtocol(protocol);
        if (targets.expanded.has_value())
            targets_ = *targets.expanded;
        else if (!targets.entries.empty())
            targets_ = targets.resolve ? ExpandTargets(targets.entries, family, targets.resolve)
                                       : ExpandTargets(targets.entries, family);
        // Only the search's own family is asked (an expanded set given for the other one asks nothing).
        std::vector<UdpAddress> own;
        for (const UdpAddress& address : targets_.addresses)
            if (address.family == family) own.push_back(address);
        targets_.addresses = std::move(own);
        if (!local)
            Diagnostics::Event("local-broadcast",
                               {{"enabled", "no"}, {"targets", std::to_string(targets_.addresses.size())}});
    }
    const bool anyTarget = !targets_.addresses.empty();

    const Product& product = Products::Current();
    if (OffersIpv6(product)) PreBindAgentPort(transport_);

    Round round{FamilyOfProtocol(protocol), {}};
    CopyField(round.matchText, sizeof round.matchText, product.modelOid);
    if (protocol == kProtocolIPv4) {
        for (const char* identifier : ModelIdentifiers(product)) {
            CopyField(round.matchText, sizeof round.matchText, identifier);
            for (int pass = 0; pass < passes; ++pass) rounds_.push_back(round);
        }
        if (local) sources_ = EnumerateIPv4Sources(transport_);
    } else if (protocol == kProtocolIPv6) {
        if (local && EnumerateIPv6Adapters(adapters_, transport_) != kDiscoveryOk) {
            Skip("all",
                 "the adapters could not be listed (system error " + std::to_string(Platform::LastSystemError()) + ")");
            if (!anyTarget) return Finish(kRunDiscoveryFailed);
        }
        if (passes > 0 && local && adapters_.empty() && !anyTarget) return Finish(kRunDiscoveryFailed);
        for (int pass = 0; pass < passes; ++pass) rounds_.push_back(round);
    } else {
        return Finish(kRunDiscoveryBadProtocol);
    }
    if (!local && !anyTarget) rounds_.clear();  // nothing may be asked: over at once, nothing found
    StartRound();
}

// Opens the next round's sockets and sends its requests, skipping the adapters that cannot be
// used; false when the search is over (no round left).
bool DiscoverySearch::StartRound()
{
    CloseAll();
    if (nextRound_ >= rounds_.size()) {
        const int result = sentAny_ || rounds_.empty() ? result_ : kRunDiscoveryFailed;
        if (!details_.Pending()) {
            Finish(result);
            return false;
        }
        // The rows are all in; the details still asked get a bounded wait.
        roundsResult_ = result;
        detailsOnly_ = true;
        detailsUntil_ = transport_.NowMs() + kDetailsEndWaitMs;
        return false;
    }
    round_ = static_cast<int>(nextRound_++);
    const Round& round = rounds_[static_cast<size_t>(round_)];
    const size_t count = round.family == kUdpIPv4 ? sources_.size() : adapters_.size();
    for (size_t i = 0; i < count; ++i) {
        PassSocket pass;
        const PassOpenStatus opened = round.family == kUdpIPv4 ? OpenIPv4Pass(transport_, sources_[i], pass)
                                                               : OpenIPv6Pass(transport_, adapters_[i], pass);
        if (opened != kPassSent) {
            Skip(pass.source, std::string(PassStepName(opened)) + " failed (system error " +
                                  std::to_string(Platform::LastSystemError()) + ")");
            continue;
        }
        sentAny_ = true;
        sockets_.push_back(pass);
    }
    if (!targets_.addresses.empty()) OpenTargets(round.family);
    return true;
}

void DiscoverySearch::OpenTargets(int family)
{
    const PassOpenStatus opened = OpenTargetPass(transport_, family, targetPass_);
    if (opened != kPassSent) {
        Skip(targetPass_.source, std::string(PassStepName(opened)) + " failed (system error " +
                                     std::to_string(Platform::LastSystemError()) + ")");
        return;
    }
    nextTarget_ = nextDatagram_ = 0;
    waitingSince_ = -1;
    pacing_ = TargetPacing{};
    SendTargets();
}

// Sends as many of the sweep's waiting requests as the pacing allows now. When the socket has no
// room (on-link targets whose neighbours are still being resolved hold the send buffer), the rest
// wait for the next step: the thread never blocks and no target is left out. The wait is traced
// when it starts and when it ends.
void DiscoverySearch::SendTargets()
{
    const size_t waiting = targets_.addresses.size() - nextTarget_;
    if (waiting == 0) return;
    const std::int64_t now = transport_.NowMs();
    const size_t sends = TakeTargetSends(pacing_, static_cast<uint64_t>(now < 0 ? 0 : now), waiting);
    for (size_t i = 0; i < sends; ++i) {
        const SendResult result =
            SendTargetRequest(transport_, targetPass_, targets_.addresses[nextTarget_], &nextDatagram_);
        if (result == kSendLater) {
            if (waitingSince_ < 0) {
                Diagnostics::Event("target-sweep", {{"state", "no-room"}, {"sent", std::to_string(nextTarget_)}});
                waitingSince_ = now;
            }
            return;
        }
        if (waitingSince_ >= 0)
            Diagnostics::Event("target-sweep",
                               {{"state", "room"}, {"waited-ms", std::to_string(now - waitingSince_)}});
        waitingSince_ = -1;
        ++nextTarget_;
        if (result == kSendDone) sentAny_ = true;
    }
}

void DiscoverySearch::Merge(const PassSocket& pass, const std::vector<PassAnswer>& found, int ipVersion)
{
    for (const PassAnswer& answer : found) {
        DeviceList one;
        one.Append(answer.record);
        const size_t had = devices_.Count();
        const bool changed = MergePass(devices_, one, ProtocolOfFamily(ipVersion), answer.record.adapterName) > 0;
        const bool verified = changed && devices_.Count() == had;  // a listed row became verified
        rowsVerified_ = rowsVerified_ || verified;
        if (changed && askDetails_) {
            UdpAddress agent = answer.sender;
            if (agent.family == kUdpIPv6 && agent.scopeId == 0) agent.scopeId = pass.destination.scopeId;
            details_.Ask(answer.record, agent);
        }
        if (Diagnostics::Tracing())
            TraceDatagram(pass, answer.record.address, std::to_string(answer.size),
                          devices_.Count() != had ? "listed"
                          : verified              ? "verified"
                                                  : "duplicate");
    }
}

// Takes the target socket's answers, sends the next paced requests and ends the sweep when it is
// over; true while the target socket stays open.
bool DiscoverySearch::StepTargets(const Round& round, std::int64_t now)
{
    if (targetPass_.socket == kUdpInvalidHandle) return false;
    std::vector<PassAnswer> found;
    const bool reading = TakeWaitingAnswers(transport_, targetPass_, round.family, round.matchText, now, found);
    Merge(targetPass_, found, round.family);
    SendTargets();
    const bool sweeping = nextTarget_ < targets_.addresses.size();
    const int quietWaitMs = timing_.earlyResendMs + timing_.quietWaitMs;
    if (reading &&
        (sweeping || (now - targetPass_.lastHeardMs < quietWaitMs && now - targetPass_.sentAtMs < kPassCapMs)))
        return true;
    transport_.Close(targetPass_.socket);
    targetPass_.socket = kUdpInvalidHandle;
    return false;
}

int DiscoverySearch::StepDetails()
{
    return askDetails_ && details_.Step(devices_) ? kSearchDetailsChanged : 0;
}

int DiscoverySearch::Step()
{
    if (!running_) {
        const bool ended = endPending_;
        endPending_ = false;
        return ended ? kSearchEnded : 0;
    }
    if (detailsOnly_) {
        const int flags = StepDetails();
        if (details_.Pending() && transport_.NowMs() < detailsUntil_) return flags;
        Finish(roundsResult_);
        endPending_ = false;
        return flags | kSearchEnded;
    }
    int flags = 0;
    // A round whose sockets all end at once (every adapter skipped) is followed by the next one
    // in the same step; each round opens sockets or ends the search, so this ends.
    for (;;) {
        const Round& round = rounds_[static_cast<size_t>(round_)];
        const int ipVersion = round.family;
        const std::int64_t now = transport_.NowMs();
        const size_t before = devices_.Count();
        bool open = false;
        for (PassSocket& pass : sockets_) {
            if (pass.socket == kUdpInvalidHandle) continue;
            std::vector<PassAnswer> found;
            bool reading = TakeWaitingAnswers(transport_, pass, ipVersion, round.matchText, now, found);
            Merge(pass, found, ipVersion);
            if (!reading || now - pass.lastHeardMs >= timing_.quietWaitMs || now - pass.sentAtMs >= kPassCapMs) {
                transport_.Close(pass.socket);
                pass.socket = kUdpInvalidHandle;
                continue;
            }
            if (timing_.earlyResendMs > 0 && !pass.resentEarly && now - pass.sentAtMs >= timing_.earlyResendMs) {
                pass.resentEarly = true;
                pass.lastHeardMs = now;  // the quiet wait starts again from the second request
                ResendRequest(transport_, pass);
            }
            if (!pass.resent && now - pass.sentAtMs >= kResendAfterMs) {
                pass.resent = true;
                ResendRequest(transport_, pass);
            }
            open = true;
        }
        if (StepTargets(round, now)) open = true;
        flags |= StepDetails();
        if (devices_.Count() != before || rowsVerified_) {
            SortByAddress(devices_);
            flags |= kSearchRowsChanged;
            rowsVerified_ = false;
        }
        if (open) return flags;
        if (!StartRound()) {
            if (running_) return flags;  // the details still asked are awaited
            endPending_ = false;
            return flags | kSearchEnded;
        }
        if (OpenSockets() > 0) return flags;
    }
}
