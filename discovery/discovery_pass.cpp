// The pieces of a discovery pass over the transport: adapters, a pass socket, taking the answers.
#include "discovery/discovery_pass.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "discovery/request_security.h"
#include "discovery/snmp_message.h"
#include "platform/diagnostics.h"
#include "platform/system_error.h"

namespace {

UdpAddress MakeAddress(int family, std::uint16_t port, std::uint32_t scopeId)
{
    UdpAddress address;
    std::memset(&address, 0, sizeof address);
    address.family = family;
    address.port = port;
    address.scopeId = scopeId;
    return address;
}

bool UsableState(std::uint32_t operStatus)
{
    return operStatus != kOperDown && operStatus != kOperNotPresent && operStatus != kOperLowerLayerDown;
}

std::string ErrorText()
{
    return std::to_string(Platform::LastSystemError());
}

std::string DestinationText(const UdpAddress& destination)
{
    char address[64];
    FormatRecordAddress(destination, address);
    char text[96];
    if (destination.family != kUdpIPv6)
        std::snprintf(text, sizeof text, "%s:%u", address, static_cast<unsigned>(destination.port));
    else if (destination.scopeId != 0)
        std::snprintf(text, sizeof text, "[%s%%%lu]:%u", address, static_cast<unsigned long>(destination.scopeId),
                      static_cast<unsigned>(destination.port));
    else
        std::snprintf(text, sizeof text, "[%s]:%u", address, static_cast<unsigned>(destination.port));
    return text;
}

// Sends the request from the pass's socket as request_security.h says: with SNMPv3 credentials an
// engine discovery request, then SNMPv1 once per community (traced with the community's position
// only), from the datagram *next on (0: all of them). kSendDone when all went out; kSendFailed when
// a send failed (traced; the rest are not tried); kSendLater when a non-blocking socket could not
// take one now: *next is then that datagram, to be sent first next time (nothing traced).
SendResult SendOnce(DiscoveryTransport& transport, const PassSocket& pass, int attempt, size_t* next = nullptr)
{
    const bool v3 = RequestSnmpV3Credentials() != nullptr;
    const std::vector<std::string>& communities = RequestCommunities();
    const size_t datagrams = (v3 ? 1 : 0) + (RequestsSnmpV1() ? communities.size() : 0);
    for (size_t d = next != nullptr ? *next : 0; d < datagrams; ++d) {
        const size_t community = v3 ? d - 1 : d;  // meaningful for the SNMPv1 datagrams only
        std::uint8_t request[kSnmpV3RequestCapacity > kSnmpRequestCapacity ? kSnmpV3RequestCapacity
                                                                           : kSnmpRequestCapacity];
        const int requestLength = v3 && d == 0
                                      ? EncodeSearchEngineDiscovery(request, sizeof request)
                                      : EncodeDiscoveryRequest(request, sizeof request, communities[community].c_str());
        const int status = requestLength < 0 ? kUdpFailed
                                             : transport.SendTo(pass.socket, request,
                                                                static_cast<size_t>(requestLength), pass.destination);
        if (status == kUdpWouldBlock && next != nullptr) {
            *next = d;
            return kSendLater;
        }
        const bool sent = status == kUdpOk;
        if (Diagnostics::Tracing())
            Diagnostics::Event("request", {{"protocol", pass.destination.family == kUdpIPv6 ? "ipv6" : "ipv4"},
                                           {"destination", DestinationText(pass.destination)},
                                           {"adapter", pass.source},
                                           {"size", std::to_string(requestLength)},
                                           {"attempt", std::to_string(attempt)},
                                           v3 && d == 0 ? Diagnostics::Field{"security", "v3-engine-discovery"}
                                                        : Diagnostics::Field{"community", std::to_string(community + 1)},
                                           {"sent", sent ? "yes" : "no"}});
        if (!sent) {
            Diagnostics::Event("send-failed", {{"adapter", pass.source},
                                               {"error", status == kUdpWouldBlock ? "would-block" : ErrorText()}});
            return kSendFailed;
        }
    }
    if (next != nullptr) *next = 0;
    return kSendDone;
}

// Sends the request on a socket that is bound; closes it when the send fails.
PassOpenStatus SendRequest(DiscoveryTransport& transport, const UdpAddress& destination, PassSocket& pass)
{
    transport.SetReceiveBuffer(pass.socket, kAnswerBurstBufferBytes);  // a smaller buffer still works
    pass.destination = destination;
    pass.sentAtMs = pass.lastHeardMs = transport.NowMs();
    if (SendOnce(transport, pass, 1) != kSendDone) {
        transport.Close(pass.socket);
        pass.socket = kUdpInvalidHandle;
        return kPassSendFailed;
    }
    return kPassSent;
}

// Opens, sets up and binds a pass's socket; kPassSent when it is ready to send.
// A target sweep's socket (setUp false) neither broadcasts nor chooses a multicast interface.
PassOpenStatus OpenBound(DiscoveryTransport& transport, int family, const UdpAddress& local, std::uint32_t multicastIf,
                         PassSocket& pass, bool setUp = true)
{
    UdpHandle socket = transport.Open(family);
    if (socket == kUdpInvalidHandle) return kPassOpenFailed;
    transport.IgnorePortUnreachable(socket);  // a socket that still reports it works as well
    PassOpenStatus status = kPassSent;
    if (setUp && (family == kUdpIPv4 ? transport.SetBroadcast(socket)
                                     : transport.SetMulticastInterface(socket, multicastIf)) != kUdpOk)
        status = kPassSetupFailed;
    else if (transport.Bind(socket, local) != kUdpOk)
        status = kPassBindFailed;
    if (status != kPassSent) {
        // The reason is read before the close, which may set its own.
        const std::uint32_t reason = Platform::LastSystemError();
        transport.Close(socket);
        Platform::KeepSystemError(reason);
        return status;
    }
    pass.socket = socket;
    return kPassSent;
}

}  // namespace

void FormatRecordAddress(const UdpAddress& sender, char (&address)[64])
{
    std::memset(address, 0, sizeof address);
    const std::uint8_t* o = sender.octets;
    if (sender.family == kUdpIPv6) {
        std::snprintf(address, sizeof address,
                      "%02x%02x:%02x%02x:%02x%02x:%02x%02x:%02x%02x:%02x%02x:%02x%02x:%02x%02x", o[0], o[1], o[2], o[3],
                      o[4], o[5], o[6], o[7], o[8], o[9], o[10], o[11], o[12], o[13], o[14], o[15]);
    } else {
        std::snprintf(address, sizeof address, "%i.%i.%i.%i", o[0], o[1], o[2], o[3]);
    }
}

namespace {

// Traces one adapter or address as the enumeration saw it, and whether discovery uses it.
void TraceAdapter(const char* family, const char* name, std::uint32_t ifType, std::uint32_t operStatus,
                  const char* unusedReason)
{
    Diagnostics::Event("adapter", {{"family", family},
                                   {family[3] == '4' ? "address" : "name", name},
                                   {"type", std::to_string(ifType)},
                                   {"state", std::to_string(operStatus)},
                                   {"used", unusedReason == nullptr ? "yes" : "no"},
                                   {"reason", unusedReason == nullptr ? "" : unusedReason}});
}

}  // namespace

int EnumerateIPv6Adapters(std::vector<AdapterRecord>& adapters, DiscoveryTransport& transport)
{
    std::vector<PlatformAdapter> reported;
    if (transport.ListAdapters(reported) != kAdaptersOk) {
        Diagnostics::Event("adapters-failed", {{"family", "ipv6"}, {"error", ErrorText()}});
        return kDiscoveryFailed;
    }
    for (const PlatformAdapter& a : reported) {
        const char* unused = nullptr;
        if (a.ifType == kIfTypePpp || a.ifType == kIfTypeSoftwareLoopback || a.ifType == kIfTypeAtm ||
            a.ifType == kIfTypeTunnel)
            unused = "type";
        else if (!UsableState(a.operStatus))
            unused = "down";
        TraceAdapter("ipv6", a.friendlyName, a.ifType, a.operStatus, unused);
        if (unused != nullptr) continue;
        AdapterRecord record;
        // Some systems give no IPv6 index (Wine reports 0); the general index is the same link.
        record.interfaceIndex = a.ipv6IfIndex != 0 ? a.ipv6IfIndex : a.ifIndex;
        CopyField(record.adapterName, sizeof record.adapterName, a.friendlyName);
        adapters.push_back(record);
    }
    return kDiscoveryOk;
}

std::vector<IPv4Source> EnumerateIPv4Sources(DiscoveryTransport& transport)
{
    std::vector<IPv4Source> sources;
    std::vector<PlatformIPv4Address> reported;
    if (transport.ListIPv4Addresses(reported) == kAdaptersOk) {
        for (const PlatformIPv4Address& a : reported) {
            const char* unused = nullptr;
            bool listed = false;
            for (const IPv4Source& s : sources) listed = listed || std::memcmp(s.octets, a.octets, 4) == 0;
            if (a.ifType == kIfTypeSoftwareLoopback || a.octets[0] == 127)
                unused = "loopback";
            else if (!UsableState(a.operStatus))
                unused = "down";
            else if (a.octets[0] == 0 && a.octets[1] == 0 && a.octets[2] == 0 && a.octets[3] == 0)
                unused = "unassigned";
            else if (listed)
                unused = "repeated";
            if (Diagnostics::Tracing()) {
                char text[64];
                UdpAddress address = MakeAddress(kUdpIPv4, 0, 0);
                std::memcpy(address.octets, a.octets, 4);
                FormatRecordAddress(address, text);
                TraceAdapter("ipv4", text, a.ifType, a.operStatus, unused);
            }
            if (unused != nullptr) continue;
            IPv4Source source;
            std::memcpy(source.octets, a.octets, 4);
            sources.push_back(source);
        }
    } else {
        Diagnostics::Event("adapters-failed", {{"family", "ipv4"}, {"error", ErrorText()}});
    }
    if (sources.empty()) {
        Diagnostics::Event("adapter", {{"family", "ipv4"},
                                       {"address", "0.0.0.0"},
                                       {"used", "yes"},
                                       {"reason", "no usable address: the system's route decides"}});
        sources.push_back(IPv4Source{{0, 0, 0, 0}});
    }
    return sources;
}

const char* PassStepName(PassOpenStatus status)
{
    switch (status) {
    case kPassOpenFailed:
        return "open";
    case kPassSetupFailed:
        return "set-up";
    case kPassBindFailed:
        return "bind";
    case kPassSendFailed:
        return "send";
    default:
        return "none";
    }
}

PassOpenStatus OpenIPv4Pass(DiscoveryTransport& transport, const IPv4Source& source, PassSocket& pass)
{
    pass = PassSocket{};
    UdpAddress local = MakeAddress(kUdpIPv4, 0, 0);
    std::memcpy(local.octets, source.octets, 4);
    char name[64];
    FormatRecordAddress(local, name);
    CopyField(pass.source, sizeof pass.source, name);
    const PassOpenStatus opened = OpenBound(transport, kUdpIPv4, local, 0, pass);
    if (opened != kPassSent) return opened;
    UdpAddress broadcast = MakeAddress(kUdpIPv4, kSnmpAgentPort, 0);
    std::memset(broadcast.octets, 0xFF, 4);
    return SendRequest(transport, broadcast, pass);
}

PassOpenStatus OpenIPv6Pass(DiscoveryTransport& transport, const AdapterRecord& adapter, PassSocket& pass)
{
    pass = PassSocket{};
    CopyField(pass.source, sizeof pass.source, adapter.adapterName);
    const PassOpenStatus opened = OpenBound(transport, kUdpIPv6, MakeAddress(kUdpIPv6, 0, 0), 0, pass);
    if (opened != kPassSent) return opened;
    CopyField(pass.adapterName, sizeof pass.adapterName, adapter.adapterName);
    pass.foundBy = kFoundByMulticast;
    UdpAddress allNodes = MakeAddress(kUdpIPv6, kSnmpAgentPort, adapter.interfaceIndex);
    allNodes.octets[0] = 0xFF;
    allNodes.octets[1] = 0x02;
    allNodes.octets[15] = 0x01;
    return SendRequest(transport, allNodes, pass);
}

PassOpenStatus OpenTargetPass(DiscoveryTransport& transport, int family, PassSocket& pass)
{
    pass = PassSocket{};
    CopyField(pass.source, sizeof pass.source, "targets");
    pass.foundBy = kFoundByTarget;
    const PassOpenStatus opened = OpenBound(transport, family, MakeAddress(family, 0, 0), 0, pass, false);
    if (opened != kPassSent) return opened;
    if (transport.SetNonBlocking(pass.socket) != kUdpOk) {
        transport.Close(pass.socket);
        pass.socket = kUdpInvalidHandle;
        return kPassSetupFailed;
    }
    transport.SetReceiveBuffer(pass.socket, kAnswerBurstBufferBytes);  // a smaller buffer still works
    pass.sentAtMs = pass.lastHeardMs = transport.NowMs();
    return kPassSent;
}

SendResult SendTargetRequest(DiscoveryTransport& transport, PassSocket& pass, const UdpAddress& target, size_t* next)
{
    pass.destination = target;
    const SendResult result = SendOnce(transport, pass, 1, next);
    if (result == kSendDone) pass.sentAtMs = pass.lastHeardMs = transport.NowMs();
    return result;
}

void ResendRequest(DiscoveryTransport& transport, PassSocket& pass)
{
    SendOnce(transport, pass, ++pass.requests);
}

void TraceDatagram(const PassSocket& pass, const char* source, const std::string& size, const char* verdict)
{
    Diagnostics::Event("datagram",
                       {{"source", source}, {"size", size}, {"adapter", pass.source}, {"verdict", verdict}});
}

namespace {

bool SameAgent(const UdpAddress& a, const UdpAddress& b)
{
    return a.family == b.family && std::memcmp(a.octets, b.octets, a.family == kUdpIPv6 ? 16 : 4) == 0;
}

// An SNMPv3 datagram of a pass: an agent's Report to the engine discovery starts an exchange with
// it (the signed request goes to it at once); an exchange's datagram moves it on. Returns the
// datagram's verdict when it was SNMPv3 and gave no record ("v3-engine", "v3-rejected",
// "v3-failed"), or null: then candidate holds a verified answer (candidate.authenticated), or the
// datagram was no SNMPv3 message of ours (candidate untouched).
const char* TakeV3Datagram(DiscoveryTransport& transport, PassSocket& pass, const UdpAddress& sender,
                           const std::uint8_t* data, size_t length, DeviceRecord& candidate)
{
    std::uint8_t next[kSnmpV3RequestCapacity];
    int written = -1;
    V3Peer* peer = nullptr;
    for (V3Peer& p : pass.v3Peers)
        if (SameAgent(p.agent, sender)) peer = &p;
    SnmpV3Answer plain;
    const bool engineReport = DecodeV3Message(data, length, nullptr, plain) == SnmpV3Result::Report &&
                              plain.report == UsmReport::UnknownEngine && plain.engine.idLength > 0;
    if (peer == nullptr) {
        if (!engineReport) return nullptr;
        if (pass.v3Peers.size() >= kMaxV3PeersPerPass) return "v3-too-many";
        pass.v3Peers.push_back(V3Peer{sender, SnmpV3Exchange(*RequestSnmpV3Credentials())});
        peer = &pass.v3Peers.back();
        written = peer->exchange.StartKnown(plain.engine, next, sizeof next);
    } else {
        const V3Step step = peer->exchange.Take(data, length, next, sizeof next, &written);
        if (step == V3Step::Answered) {
            candidate = peer->exchange.Device();
            return nullptr;
        }
        if (step == V3Step::Rejected || step == V3Step::Failed) {
            char agent[64];
            FormatRecordAddress(sender, agent);
            Diagnostics::Event("snmp-v3", {{"agent", agent},
                                           {"step", step == V3Step::Rejected ? "rejected" : "failed"},
                                           {"reason", UsmReportName(peer->exchange.Report())}});
            return step == V3Step::Rejected ? "v3-rejected" : "v3-failed";
        }
        // A later engine discovery (the pass's second request) reached it again: ask once more.
        if (step == V3Step::Ignored && engineReport && !peer->exchange.Over())
            written = peer->exchange.Again(next, sizeof next);
        else if (step == V3Step::Ignored)
            return nullptr;
    }
    const int sent = written >= 0 ? transport.SendTo(pass.socket, next, static_cast<size_t>(written), sender) : kUdpOk;
    if (sent != kUdpOk)  // the exchange waits for an answer that will not come; say why
        Diagnostics::Event("send-failed",
                           {{"adapter", pass.source}, {"error", sent == kUdpWouldBlock ? "would-block" : ErrorText()}});
    return "v3-engine";
}

}  // namespace

bool TakeWaitingAnswers(DiscoveryTransport& transport, PassSocket& pass, int ipVersion, const char* matchText,
                        std::int64_t nowMs, std::vector<PassAnswer>& found)
{
    // Receive errors in a row within one step before the rest is left for the next step, so that
    // a socket whose every receive fails cannot hold the thread.
    constexpr int kMaxReceiveErrorsPerStep = 4;
    int errors = 0;
    std::uint8_t buffer[kAnswerBufferSize];
    for (int taken = 0; taken < kMaxDatagramsPerStep; ++taken) {
        int ready = transport.WaitReadable(pass.socket, 0);
        if (ready == kUdpTimeout) return true;
        if (ready != kUdpOk) return false;
        size_t length = 0;
        UdpAddress sender;
        std::memset(&sender, 0, sizeof sender);
        int received = transport.ReceiveFrom(pass.socket, buffer, sizeof buffer, &length, &sender);
        if (received != kUdpOk && received != kUdpTooLong) {
            // Not a datagram: the system reports an earlier event (WSAECONNRESET after an ICMP
            // port-unreachable on Windows). The answers queued behind it are still read.
            Diagnostics::Event("receive-failed", {{"adapter", pass.source}, {"error", ErrorText()}});
            if (++errors >= kMaxReceiveErrorsPerStep) return true;
            continue;
        }
        errors = 0;
        pass.lastHeardMs = nowMs;
        char from[64];
        FormatRecordAddress(sender, from);
        if (received == kUdpTooLong) {  // an oversized datagram is lost, not the pass
            if (Diagnostics::Tracing())
                TraceDatagram(pass, from, std::string(">").append(std::to_string(sizeof buffer)), "oversized");
            continue;
        }
        DeviceRecord candidate;
        AnswerKind kind = DecodeDiscoveryReply(buffer, length, candidate);
        if (kind == AnswerKind::Undecodable && RequestSnmpV3Credentials() != nullptr) {
            const char* verdict = TakeV3Datagram(transport, pass, sender, buffer, length, candidate);
            if (verdict != nullptr) {
                if (Diagnostics::Tracing()) TraceDatagram(pass, from, std::to_string(length), verdict);
                continue;
            }
            if (candidate.authenticated) kind = AnswerKind::Reply;
        }
        if (kind != AnswerKind::Reply) {
            if (Diagnostics::Tracing())
                TraceDatagram(pass, from, std::to_string(length),
                              kind == AnswerKind::NotAReply ? "wrong-request" : "undecodable");
            continue;
        }
        if (!MatchesModel(candidate, matchText)) {
            if (Diagnostics::Tracing()) TraceDatagram(pass, from, std::to_string(length), "other-product");
            continue;
        }
        candidate.ipVersion = ipVersion;
        candidate.foundBy = pass.foundBy;
        std::memcpy(candidate.address, from, sizeof from);
        if (ipVersion == kUdpIPv6) CopyField(candidate.adapterName, sizeof candidate.adapterName, pass.adapterName);
        found.push_back(PassAnswer{candidate, length, sender});
    }
    return true;
}
