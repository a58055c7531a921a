// The details request of a listed scanner: queued, sent under a bound, resent once, narrowed when
// an SNMPv1 agent lacks an object, and written into the row that asked.
#include "discovery/scanner_details.h"

#include <cstring>
#include <string>

#include "discovery/discovery_pass.h"
#include "discovery/request_security.h"
#include "discovery/snmp_message.h"
#include "platform/adapters.h"
#include "platform/diagnostics.h"

namespace {

bool SameAgent(const UdpAddress& a, const UdpAddress& b)
{
    return a.family == b.family && std::memcmp(a.octets, b.octets, a.family == kUdpIPv6 ? 16 : 4) == 0;
}

int SocketIndex(int family)
{
    return family == kUdpIPv6 ? 1 : 0;
}

// "name,location,serial" for the details of a mask.
std::string ObjectsText(unsigned objects)
{
    static const char* const kNames[] = {"name", "location", "serial"};
    std::string text;
    for (unsigned i = 0; i < 3; ++i) {
        if (!(objects & (1u << i))) continue;
        if (!text.empty()) text += ',';
        text += kNames[i];
    }
    return text;
}

}  // namespace

ScannerDetails::ScannerDetails(DiscoveryTransport& transport) : transport_(transport)
{
}

ScannerDetails::~ScannerDetails()
{
    Cancel();
}

void ScannerDetails::Cancel()
{
    queued_.clear();
    inFlight_.clear();
    for (UdpHandle& socket : sockets_) {
        if (socket != kUdpInvalidHandle) transport_.Close(socket);
        socket = kUdpInvalidHandle;
    }
}

void ScannerDetails::Ask(const DeviceRecord& row, const UdpAddress& agent)
{
    // A row asked again (it became verified) replaces its earlier request that is still queued.
    queued_.remove_if([&](const Request& r) {
        return std::strcmp(r.address, row.address) == 0 && AdapterNamesEqual(r.adapterName, row.adapterName);
    });
    Request request;
    request.agent = agent;
    request.agent.port = kSnmpAgentPort;
    CopyField(request.address, sizeof request.address, row.address);
    CopyField(request.adapterName, sizeof request.adapterName, row.adapterName);
    request.verified = row.authenticated;
    request.objects = kDetailsAll;
    queued_.push_back(std::move(request));
}

bool ScannerDetails::Transmit(Request& request, const std::uint8_t* data, size_t length)
{
    UdpHandle& socket = sockets_[SocketIndex(request.agent.family)];
    if (socket == kUdpInvalidHandle) {
        socket = transport_.Open(request.agent.family);
        if (socket == kUdpInvalidHandle) return false;
        UdpAddress local;
        std::memset(&local, 0, sizeof local);
        local.family = request.agent.family;
        transport_.IgnorePortUnreachable(socket);
        if (transport_.Bind(socket, local) != kUdpOk) {
            transport_.Close(socket);
            socket = kUdpInvalidHandle;
            return false;
        }
    }
    return transport_.SendTo(socket, data, length, request.agent) == kUdpOk;
}

// Sends the request's current message: a new one (new request-id, or the next SNMPv3 exchange) when
// it has not gone out yet, else the same once more. False when nothing could be sent.
bool ScannerDetails::Send(Request& request)
{
    const size_t count = DetailsNames(request.objects, request.names);
    ++request.attempt;
    bool sent = false;
    if (request.verified) {
        const UsmCredentials* credentials = RequestSnmpV3Credentials();
        std::uint8_t message[kSnmpV3RequestCapacity];
        int length = -1;
        if (credentials != nullptr && request.attempt == 1) {
            request.exchange = std::make_unique<SnmpV3Exchange>(*credentials, request.names, count);
            length = request.exchange->Start(message, sizeof message);
        } else if (request.exchange != nullptr && !request.exchange->Over()) {
            length = request.exchange->Again(message, sizeof message);
        }
        sent = length >= 0 && Transmit(request, message, static_cast<size_t>(length));
    } else {
        if (request.attempt == 1) request.requestId = kDetailsRequestIdBase | static_cast<std::int32_t>(nextId_++);
        const std::vector<std::string>& communities = RequestCommunities();
        for (size_t i = 0; RequestsSnmpV1() && i < communities.size(); ++i) {
            std::uint8_t message[kSnmpRequestCapacity];
            const int length = EncodeDetailsRequest(message, sizeof message, communities[i].c_str(), request.requestId,
                                                    request.objects);
            if (length >= 0 && Transmit(request, message, static_cast<size_t>(length))) sent = true;
        }
    }
    if (Diagnostics::Tracing())
        Diagnostics::Event("details-request", {{"agent", request.address},
                                               {"objects", ObjectsText(request.objects)},
                                               {"security", request.verified ? "v3" : "v1"},
                                               {"attempt", std::to_string(request.attempt)},
                                               {"sent", sent ? "yes" : "no"}});
    request.sentAtMs = transport_.NowMs();
    return sent;
}

// Ends a request: traces its outcome and writes what came into its row.
void ScannerDetails::Finish(const Request& request, const char* outcome, const DeviceRecord* answer, DeviceList& rows,
                            bool& changed)
{
    std::string found = "";
    if (answer != nullptr) {
        found =
            ObjectsText((answer->name[0] ? 1u : 0u) | (answer->location[0] ? 2u : 0u) | (answer->serial[0] ? 4u : 0u));
        for (DeviceRecord& row : rows.Records()) {
            if (std::strcmp(row.address, request.address) != 0 ||
                !AdapterNamesEqual(row.adapterName, request.adapterName) || row.authenticated != request.verified)
                continue;
            DeviceRecord before = row;
            CopyDetails(row, *answer);
            changed = changed || std::memcmp(&before, &row, sizeof row) != 0;
        }
    }
    Diagnostics::Event("details", {{"agent", request.address}, {"outcome", outcome}, {"found", found}});
}

// Takes a Response to the request: its details, or (noSuchName naming one of the objects) the same
// request again without that object. True when the request is over.
bool ScannerDetails::TakeAnswer(Request& request, std::int32_t errorStatus, std::int32_t errorIndex,
                                const DeviceRecord& answer, DeviceList& rows, bool& changed)
{
    if (errorStatus == 0) {
        Finish(request, "answered", &answer, rows, changed);
        return true;
    }
    const size_t count = DetailsNames(request.objects, request.names);
    if (errorStatus != kSnmpNoSuchName || errorIndex < 1 || static_cast<size_t>(errorIndex) > count) {
        Finish(request, ("error-" + std::to_string(errorStatus)).c_str(), nullptr, rows, changed);
        return true;
    }
    // The error-index-th object asked is the one the agent lacks.
    unsigned seen = 0;
    for (unsigned bit = 0; bit < 3; ++bit) {
        if (!(request.objects & (1u << bit)) || ++seen != static_cast<unsigned>(errorIndex)) continue;
        request.objects &= ~(1u << bit);
        Diagnostics::Event(
            "details", {{"agent", request.address}, {"outcome", "no-such-name"}, {"object", ObjectsText(1u << bit)}});
        break;
    }
    if (request.objects == 0) {
        Finish(request, "none", &answer, rows, changed);
        return true;
    }
    request.attempt = 0;
    request.resent = false;
    if (request.verified && request.exchange != nullptr) {
        // A new exchange with the engine already known.
        const SnmpEngine engine = request.exchange->Engine();
        const size_t left = DetailsNames(request.objects, request.names);
        request.exchange = std::make_unique<SnmpV3Exchange>(*RequestSnmpV3Credentials(), request.names, left);
        std::uint8_t message[kSnmpV3RequestCapacity];
        const int length = request.exchange->StartKnown(engine, message, sizeof message);
        request.attempt = 1;
        request.sentAtMs = transport_.NowMs();
        if (length < 0 || !Transmit(request, message, static_cast<size_t>(length))) {
            Finish(request, "send-failed", nullptr, rows, changed);
            return true;
        }
        return false;
    }
    if (!Send(request)) {
        Finish(request, "send-failed", nullptr, rows, changed);
        return true;
    }
    return false;
}

void ScannerDetails::Read(int family, DeviceList& rows, bool& changed)
{
    const UdpHandle socket = sockets_[SocketIndex(family)];
    if (socket == kUdpInvalidHandle) return;
    std::uint8_t buffer[kAnswerBufferSize];
    for (int taken = 0; taken < kMaxDatagramsPerStep; ++taken) {
        if (transport_.WaitReadable(socket, 0) != kUdpOk) return;
        size_t length = 0;
        UdpAddress sender;
        std::memset(&sender, 0, sizeof sender);
        if (transport_.ReceiveFrom(socket, buffer, sizeof buffer, &length, &sender) != kUdpOk) continue;
        DeviceRecord answer;
        SnmpPduHeader header;
        const AnswerKind kind = DecodeSnmpReply(buffer, length, answer, &header);
        for (auto it = inFlight_.begin(); it != inFlight_.end(); ++it) {
            Request& request = *it;
            if (!SameAgent(request.agent, sender)) continue;
            bool over = false;
            if (!request.verified) {
                if (kind == AnswerKind::Undecodable || header.pduType != 0xA2 || header.requestId != request.requestId)
                    continue;
                over = TakeAnswer(request, header.errorStatus, header.errorIndex, answer, rows, changed);
            } else if (kind == AnswerKind::Undecodable && request.exchange != nullptr) {
                std::uint8_t next[kSnmpV3RequestCapacity];
                int written = -1;
                const V3Step step = request.exchange->Take(buffer, length, next, sizeof next, &written);
                if (step == V3Step::Ignored) continue;
                if (step == V3Step::Send) {
                    request.sentAtMs = transport_.NowMs();
                    request.resent = false;
                    if (!Transmit(request, next, static_cast<size_t>(written))) {
                        Finish(request, "send-failed", nullptr, rows, changed);
                        over = true;
                    }
                } else if (step == V3Step::Answered) {
                    over = TakeAnswer(request, request.exchange->ErrorStatus(), request.exchange->ErrorIndex(),
                                      request.exchange->Device(), rows, changed);
                } else {
                    Finish(request, step == V3Step::Rejected ? "v3-rejected" : "v3-failed", nullptr, rows, changed);
                    over = true;
                }
            } else {
                continue;
            }
            if (over) inFlight_.erase(it);
            break;
        }
    }
}

bool ScannerDetails::Step(DeviceList& rows)
{
    bool changed = false;
    Read(kUdpIPv4, rows, changed);
    Read(kUdpIPv6, rows, changed);
    const std::int64_t now = transport_.NowMs();
    for (auto it = inFlight_.begin(); it != inFlight_.end();) {
        Request& request = *it;
        if (now - request.sentAtMs >= kDetailsGiveUpMs) {
            Finish(request, "no-answer", nullptr, rows, changed);
            it = inFlight_.erase(it);
            continue;
        }
        if (!request.resent && now - request.sentAtMs >= kDetailsResendMs) {
            request.resent = true;
            const std::int64_t first = request.sentAtMs;
            Send(request);
            request.sentAtMs = first;  // the give-up time counts from the first send
        }
        ++it;
    }
    while (inFlight_.size() < kMaxDetailsInFlight && !queued_.empty()) {
        inFlight_.splice(inFlight_.end(), queued_, queued_.begin());
        Request& request = inFlight_.back();
        if (!Send(request)) {
            Finish(request, "send-failed", nullptr, rows, changed);
            inFlight_.pop_back();
        }
    }
    return changed;
}
