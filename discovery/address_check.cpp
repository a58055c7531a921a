// The unicast check of one address: parsing, the request with one retry, and the answer's verdict.
#include "discovery/address_check.h"

#include <cstring>
#include <string>
#include <vector>

#include "discovery/address_text.h"
#include "discovery/discovery_pass.h"
#include "discovery/request_security.h"
#include "discovery/snmp_message.h"
#include "platform/diagnostics.h"
#include "product/protocol.h"
#include "product/product.h"

namespace {

bool SameSender(const UdpAddress& a, const UdpAddress& b)
{
    if (a.family != b.family) return false;
    return std::memcmp(a.octets, b.octets, a.family == kUdpIPv6 ? 16 : 4) == 0;
}

bool MatchesProduct(const DeviceRecord& candidate)
{
    for (const char* identifier : ModelIdentifiers(Products::Current()))
        if (MatchesModel(candidate, identifier)) return true;
    return false;
}

bool IsLinkLocal(const UdpAddress& address)
{
    return address.octets[0] == 0xFE && (address.octets[1] & 0xC0) == 0x80;
}

const char* OutcomeName(int outcome)
{
    switch (outcome) {
    case kCheckProductAnswered:
        return "answered";
    case kCheckOtherAnswered:
        return "other-product";
    case kCheckRefused:
        return "port-unreachable";
    case kCheckFailed:
        return "failed";
    case kCheckRejected:
        return "rejected";
    default:
        return "no-answer";
    }
}

// The order in which the outcomes of several scopes give the check's outcome.
int Rank(int outcome)
{
    switch (outcome) {
    case kCheckOtherAnswered:
        return 4;
    case kCheckRejected:
        return 3;
    case kCheckRefused:
        return 2;
    case kCheckNoAnswer:
        return 1;
    default:
        return 0;
    }
}

}  // namespace

AddressCheck::AddressCheck(DiscoveryTransport& transport) : transport_(transport)
{
}

AddressCheck::~AddressCheck()
{
    Cancel();
}

void AddressCheck::Start(const char* text, int protocol, const char* adapterName)
{
    Cancel();
    probes_.clear();
    std::memset(&result_, 0, sizeof result_);
    result_.outcome = kCheckBadAddress;
    CopyField(text_, sizeof text_, text != nullptr ? text : "");
    char zone[260] = {};
    if (text == nullptr || !ParseAddressText(text, protocol, destination_, zone, sizeof zone)) {
        Diagnostics::Event("address-check", {{"address", text_}, {"outcome", "bad-address"}});
        return;
    }

    // The scopes to ask through, each with the adapter it stands for.
    std::vector<AdapterRecord> scopes;
    if (protocol == kProtocolIPv6 && destination_.scopeId == 0) {
        const char* wanted = zone[0] != '\0' ? zone : adapterName;
        std::vector<AdapterRecord> adapters;
        if (EnumerateIPv6Adapters(adapters, transport_) == kDiscoveryOk) {
            for (const AdapterRecord& a : adapters)
                if (wanted != nullptr && wanted[0] != '\0' && AdapterNamesEqual(a.adapterName, wanted))
                    scopes.push_back(a);
            if (scopes.empty() && IsLinkLocal(destination_)) scopes = adapters;
        }
    }
    if (scopes.empty()) {
        AdapterRecord none;
        none.interfaceIndex = destination_.scopeId;
        none.adapterName[0] = '\0';
        if (protocol == kProtocolIPv6 && destination_.scopeId != 0) {
            std::vector<AdapterRecord> adapters;
            if (EnumerateIPv6Adapters(adapters, transport_) == kDiscoveryOk)
                for (const AdapterRecord& a : adapters)
                    if (a.interfaceIndex == destination_.scopeId)
                        CopyField(none.adapterName, sizeof none.adapterName, a.adapterName);
        }
        scopes.push_back(none);
    }

    result_.outcome = kCheckNoAnswer;
    running_ = true;
    for (const AdapterRecord& scope : scopes) {
        Probe probe{};
        probe.scopeId = scope.interfaceIndex;
        CopyField(probe.adapterName, sizeof probe.adapterName, scope.adapterName);
        probe.outcome = kCheckNoAnswer;
        probe.v1Outcome = kCheckNoAnswer;
        if (const UsmCredentials* credentials = RequestSnmpV3Credentials()) probe.v3.emplace(*credentials);
        probe.socket = transport_.Open(destination_.family);
        probes_.push_back(probe);
    }
    for (Probe& probe : probes_) {
        if (probe.socket == kUdpInvalidHandle) {
            EndProbe(probe, kCheckFailed);
            continue;
        }
        UdpAddress local;
        std::memset(&local, 0, sizeof local);
        local.family = destination_.family;
        UdpAddress peer = destination_;
        peer.scopeId = probe.scopeId;
        if (transport_.Bind(probe.socket, local) != kUdpOk || transport_.Connect(probe.socket, peer) != kUdpOk) {
            EndProbe(probe, kCheckFailed);
            continue;
        }
        SendRequest(probe);
    }
    Finish();
}

void AddressCheck::SendRequest(Probe& probe)
{
    UdpAddress peer = destination_;
    peer.scopeId = probe.scopeId;
    ++probe.attempt;
    probe.deadline = transport_.NowMs() + kCheckWaitMs;
    // SNMPv1 once per community (request_security.h), in order, until it answered; SNMPv3 the
    // exchange's current request. A failed send ends this attempt.
    bool sent = true;
    if (RequestsSnmpV1() && probe.v1Outcome == kCheckNoAnswer) {
        for (const std::string& community : RequestCommunities()) {
            std::uint8_t request[kSnmpRequestCapacity];
            const int length = EncodeDiscoveryRequest(request, sizeof request, community.c_str());
            sent = length >= 0 && transport_.SendTo(probe.socket, request, static_cast<size_t>(length), peer) == kUdpOk;
            if (!sent) break;
        }
    }
    if (sent && probe.v3 && !probe.v3->Over()) {
        std::uint8_t request[kSnmpV3RequestCapacity];
        const int length =
            probe.attempt == 1 ? probe.v3->Start(request, sizeof request) : probe.v3->Again(request, sizeof request);
        sent = length >= 0 && transport_.SendTo(probe.socket, request, static_cast<size_t>(length), peer) == kUdpOk;
    }
    if (!sent) {
        // A request that could not be sent is tried again at once while attempts remain; a scope
        // that never sent one failed.
        if (probe.attempt >= kCheckAttempts)
            EndProbe(probe, probe.sent ? kCheckNoAnswer : kCheckFailed);
        else
            SendRequest(probe);
        return;
    }
    probe.sent = true;
}

void AddressCheck::EndProbe(Probe& probe, int outcome)
{
    probe.done = true;
    probe.outcome = outcome;
    transport_.Close(probe.socket);
    probe.socket = kUdpInvalidHandle;
    const char* security = result_.authenticated ? "v3" : "v1";
    if (result_.reason[0] == '\0')
        Diagnostics::Event("address-check", {{"address", text_},
                                             {"adapter", probe.adapterName},
                                             {"outcome", OutcomeName(outcome)},
                                             {"security", security}});
    else
        Diagnostics::Event("address-check", {{"address", text_},
                                             {"adapter", probe.adapterName},
                                             {"outcome", OutcomeName(outcome)},
                                             {"security", security},
                                             {"reason", result_.reason}});
}

void AddressCheck::Answered(Probe& probe, const char* macAddress, bool authenticated)
{
    CopyField(result_.macAddress, sizeof result_.macAddress, macAddress);
    if (destination_.family == kUdpIPv6) CopyField(result_.adapterName, sizeof result_.adapterName, probe.adapterName);
    result_.authenticated = authenticated;
    result_.reason[0] = '\0';
    EndProbe(probe, kCheckProductAnswered);
    result_.outcome = kCheckProductAnswered;
    Cancel();
}

void AddressCheck::EndAfterWaiting(Probe& probe)
{
    if (probe.v1Outcome == kCheckProductAnswered) return Answered(probe, probe.v1Mac, false);
    if (probe.v1Outcome != kCheckNoAnswer) return EndProbe(probe, probe.v1Outcome);
    if (probe.v3 && probe.v3->Over()) {
        if (probe.v3->Report() != UsmReport::None)
            CopyField(result_.reason, sizeof result_.reason, UsmReportName(probe.v3->Report()));
        return EndProbe(probe, probe.v3->Report() != UsmReport::None ? kCheckRejected : kCheckFailed);
    }
    if (probe.v3 && probe.v3->EngineKnown()) CopyField(result_.reason, sizeof result_.reason, kV3NoAnswerReason);
    EndProbe(probe, kCheckNoAnswer);
}

bool AddressCheck::TakeV3(Probe& probe, const std::uint8_t* data, size_t length)
{
    std::uint8_t next[kSnmpV3RequestCapacity];
    int written = 0;
    const bool engineKnown = probe.v3->EngineKnown();
    const V3Step step = probe.v3->Take(data, length, next, sizeof next, &written);
    if (step == V3Step::Ignored) {
        Diagnostics::Event("snmp-v3", {{"address", text_}, {"step", "ignored"}});
        return false;
    }
    if (!engineKnown && probe.v3->EngineKnown()) {
        static const char kHex[] = "0123456789abcdef";
        std::string id;
        for (size_t i = 0; i < probe.v3->Engine().idLength; ++i)
            id += kHex[probe.v3->Engine().id[i] >> 4], id += kHex[probe.v3->Engine().id[i] & 15];
        Diagnostics::Event("snmp-v3", {{"address", text_},
                                       {"step", "engine"},
                                       {"engine", id},
                                       {"boots", std::to_string(probe.v3->Engine().boots)}});
    }
    if (step == V3Step::Send) {
        UdpAddress peer = destination_;
        peer.scopeId = probe.scopeId;
        probe.deadline = transport_.NowMs() + kCheckWaitMs;
        if (transport_.SendTo(probe.socket, next, static_cast<size_t>(written), peer) != kUdpOk)
            Diagnostics::Event("snmp-v3", {{"address", text_}, {"step", "send-failed"}});
        return false;
    }
    if (step != V3Step::Answered) {
        Diagnostics::Event("snmp-v3", {{"address", text_},
                                       {"step", step == V3Step::Rejected ? "rejected" : "failed"},
                                       {"reason", UsmReportName(probe.v3->Report())}});
        // An SNMPv1 answer already there decides now; without SNMPv1 nothing more can come.
        if (probe.v1Outcome != kCheckNoAnswer || !RequestsSnmpV1()) EndAfterWaiting(probe);
        return false;
    }
    Diagnostics::Event("snmp-v3", {{"address", text_}, {"step", "answered"}});
    if (!MatchesProduct(probe.v3->Device())) {
        EndProbe(probe, kCheckOtherAnswered);
        return false;
    }
    Answered(probe, probe.v3->Device().macAddress, true);
    return true;
}

bool AddressCheck::Step()
{
    if (!running_) return false;
    std::uint8_t buffer[kAnswerBufferSize];
    for (Probe& probe : probes_) {
        if (probe.done) continue;
        for (int read = 0; read < kCheckReadsPerStep && !probe.done; ++read) {
            const int ready = transport_.WaitReadable(probe.socket, 0);
            if (ready != kUdpOk) {
                // Wine keeps a port-unreachable as the pending error only: no datagram to read.
                if (ready == kUdpTimeout && transport_.PendingError(probe.socket) == kUdpRefused)
                    EndProbe(probe, kCheckRefused);
                break;
            }
            size_t length = 0;
            UdpAddress sender;
            std::memset(&sender, 0, sizeof sender);
            const int received = transport_.ReceiveFrom(probe.socket, buffer, sizeof buffer, &length, &sender);
            if (received == kUdpRefused) {
                EndProbe(probe, kCheckRefused);
                break;
            }
            if (received != kUdpOk || !SameSender(sender, destination_)) continue;
            DeviceRecord candidate;
            if (!DecodeDiscoveryAnswer(buffer, length, candidate)) {
                if (probe.v3 && TakeV3(probe, buffer, length)) return false;
                continue;
            }
            if (!RequestsSnmpV1() || probe.v1Outcome != kCheckNoAnswer) continue;
            probe.v1Outcome = MatchesProduct(candidate) ? kCheckProductAnswered : kCheckOtherAnswered;
            CopyField(probe.v1Mac, sizeof probe.v1Mac, candidate.macAddress);
            // Under "v1+v3" the SNMPv1 answer waits while the exchange may still verify the scanner.
            if (probe.v3 && !probe.v3->Over()) continue;
            EndAfterWaiting(probe);
            if (!running_) return false;
        }
        if (!probe.done && transport_.NowMs() >= probe.deadline) {
            const bool v1Waits = probe.v1Outcome != kCheckNoAnswer && probe.v3 && !probe.v3->EngineKnown();
            if (probe.attempt < kCheckAttempts && !v1Waits)
                SendRequest(probe);
            else
                EndAfterWaiting(probe);
            if (!running_) return false;
        }
    }
    Finish();
    return running_;
}

void AddressCheck::Finish()
{
    int best = -1;
    for (const Probe& probe : probes_) {
        if (!probe.done) return;
        if (best < 0 || Rank(probe.outcome) > Rank(best)) best = probe.outcome;
    }
    running_ = false;
    if (best >= 0) result_.outcome = best;
}

void AddressCheck::Cancel()
{
    if (!running_) return;
    running_ = false;
    bool cancelled = false;
    for (Probe& probe : probes_) {
        if (probe.done) continue;
        transport_.Close(probe.socket);
        probe.socket = kUdpInvalidHandle;
        probe.done = true;
        cancelled = true;
    }
    if (cancelled && result_.outcome != kCheckProductAnswered)
        Diagnostics::Event("address-check-cancelled", {{"address", text_}});
}

void CheckAddress(const char* text, int protocol, const char* adapterName, AddressCheckResult& result,
                  DiscoveryTransport& transport, int stepMs)
{
    AddressCheck check(transport);
    check.Start(text, protocol, adapterName);
    while (check.Running()) {
        transport.Pause(stepMs);
        check.Step();
    }
    result = check.Result();
}
void CheckAddress(const char* text, int protocol, const char* adapterName, AddressCheckResult& result)
{
    CheckAddress(text, protocol, adapterName, result, SystemDiscoveryTransport(), kBlockingCheckStepMs);
}
