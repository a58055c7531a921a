// The discovery search: rounds of side-by-side passes, stepped by the owner, merged as they answer.
#include "discovery/discovery_search.h"

#include <cstring>

#include "product/product.h"

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

DiscoverySearch::DiscoverySearch(DiscoveryTransport& transport) : transport_(transport)
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
    return open;
}

void DiscoverySearch::CloseAll()
{
    for (PassSocket& s : sockets_) {
        if (s.socket != kUdpInvalidHandle) transport_.Close(s.socket);
        s.socket = kUdpInvalidHandle;
    }
    sockets_.clear();
}

void DiscoverySearch::Cancel()
{
    CloseAll();
    running_ = false;
    endPending_ = false;
}

void DiscoverySearch::Finish(int result)
{
    CloseAll();
    result_ = result;
    running_ = false;
    endPending_ = true;
}

void DiscoverySearch::Start(int protocol, int passes)
{
    Cancel();
    devices_.Clear();
    rounds_.clear();
    sources_.clear();
    adapters_.clear();
    nextRound_ = 0;
    result_ = kRunDiscoveryOk;
    running_ = true;

    const Product& product = Products::Current();
    if (OffersIpv6(product)) PreBindAgentPort(transport_);

    Round round{FamilyOfProtocol(protocol), {}};
    CopyField(round.matchText, sizeof round.matchText, product.modelOid);
    if (protocol == kProtocolIPv4) {
        for (const char* identifier : ModelIdentifiers(product)) {
            CopyField(round.matchText, sizeof round.matchText, identifier);
            for (int pass = 0; pass < passes; ++pass) rounds_.push_back(round);
        }
        sources_ = EnumerateIPv4Sources(transport_);
    } else if (protocol == kProtocolIPv6) {
        if (EnumerateIPv6Adapters(adapters_, transport_) != kDiscoveryOk) return Finish(kRunDiscoveryFailed);
        for (int pass = 0; pass < passes; ++pass) rounds_.push_back(round);
    } else {
        return Finish(kRunDiscoveryBadProtocol);
    }
    StartRound();
}

// Opens the next round's sockets and sends its requests; false when the search is over (no round
// left, or a socket failed).
bool DiscoverySearch::StartRound()
{
    CloseAll();
    if (nextRound_ >= rounds_.size()) {
        Finish(result_);
        return false;
    }
    round_ = static_cast<int>(nextRound_++);
    const Round& round = rounds_[static_cast<size_t>(round_)];
    const size_t count = round.family == kUdpIPv4 ? sources_.size() : adapters_.size();
    for (size_t i = 0; i < count; ++i) {
        PassSocket pass;
        int opened = round.family == kUdpIPv4 ? OpenIPv4Pass(transport_, sources_[i], pass)
                                              : OpenIPv6Pass(transport_, adapters_[i], pass);
        if (opened != kDiscoveryOk) {
            Finish(kRunDiscoveryFailed);
            return false;
        }
        sockets_.push_back(pass);
    }
    return true;
}

int DiscoverySearch::Step()
{
    if (!running_) {
        const bool ended = endPending_;
        endPending_ = false;
        return ended ? kSearchEnded : 0;
    }
    int flags = 0;
    // A round whose sockets all end at once (no adapter, every send failed) is followed by the
    // next one in the same step; each round opens sockets or ends the search, so this ends.
    for (;;) {
        const Round& round = rounds_[static_cast<size_t>(round_)];
        const int ipVersion = round.family;
        const std::int64_t now = transport_.NowMs();
        DeviceList found;
        bool open = false;
        for (PassSocket& pass : sockets_) {
            if (pass.socket == kUdpInvalidHandle) continue;
            bool reading = TakeWaitingAnswers(transport_, pass, ipVersion, round.matchText, now, found);
            if (!reading || now - pass.lastHeardMs >= kQuietWaitMs || now - pass.sentAtMs >= kPassCapMs) {
                transport_.Close(pass.socket);
                pass.socket = kUdpInvalidHandle;
            } else {
                open = true;
            }
        }
        const size_t before = devices_.Count();
        for (size_t i = 0; i < found.Count(); ++i) {
            DeviceList one;
            one.Append(found.At(i));
            MergePass(devices_, one, ProtocolOfFamily(ipVersion), found.At(i).adapterName);
        }
        if (devices_.Count() != before) {
            SortByAddress(devices_);
            flags |= kSearchRowsChanged;
        }
        if (open) return flags;
        if (!StartRound()) {
            endPending_ = false;
            return flags | kSearchEnded;
        }
        if (OpenSockets() > 0) return flags;
    }
}
