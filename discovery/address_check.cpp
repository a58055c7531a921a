// The unicast check of one address: parsing, the request with one retry, and the answer's verdict.
#include "discovery/address_check.h"

#include <cstring>
#include <string>
#include <vector>

#include "discovery/address_text.h"
#include "discovery/discovery_pass.h"
#include "discovery/snmp_message.h"
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

// One destination: the request, the wait and the retry. Returns the outcome; *candidate holds the
// product's answer.
int AskOnce(DiscoveryTransport& transport, const UdpAddress& destination, DeviceRecord& answer)
{
    std::uint8_t request[kSnmpRequestCapacity];
    const int requestLength = EncodeDiscoveryRequest(request, sizeof request);
    if (requestLength < 0) return kCheckFailed;
    UdpHandle socket = transport.Open(destination.family);
    if (socket == kUdpInvalidHandle) return kCheckFailed;
    UdpAddress local;
    std::memset(&local, 0, sizeof local);
    local.family = destination.family;
    int outcome = kCheckNoAnswer;
    bool sent = false;
    if (transport.Bind(socket, local) == kUdpOk) {
        std::uint8_t buffer[kAnswerBufferSize];
        for (int attempt = 0; attempt < kCheckAttempts && outcome == kCheckNoAnswer; ++attempt) {
            if (transport.SendTo(socket, request, static_cast<size_t>(requestLength), destination) != kUdpOk) continue;
            sent = true;
            for (int read = 0; read < kCheckMaxForeignDatagrams && outcome == kCheckNoAnswer; ++read) {
                if (transport.WaitReadable(socket, kCheckWaitMs) != kUdpOk) break;
                size_t length = 0;
                UdpAddress sender;
                std::memset(&sender, 0, sizeof sender);
                const int received = transport.ReceiveFrom(socket, buffer, sizeof buffer, &length, &sender);
                if (received == kUdpTooLong) continue;
                if (received != kUdpOk) break;
                if (!SameSender(sender, destination)) continue;
                DeviceRecord candidate;
                if (!DecodeDiscoveryAnswer(buffer, length, candidate)) continue;
                if (MatchesProduct(candidate)) {
                    answer = candidate;
                    outcome = kCheckProductAnswered;
                } else {
                    outcome = kCheckOtherAnswered;
                }
            }
        }
    }
    transport.Close(socket);
    return sent ? outcome : kCheckFailed;
}

bool IsLinkLocal(const UdpAddress& address)
{
    return address.octets[0] == 0xFE && (address.octets[1] & 0xC0) == 0x80;
}

}  // namespace

void CheckAddress(const char* text, int protocol, const char* adapterName, AddressCheckResult& result,
                  DiscoveryTransport& transport)
{
    std::memset(&result, 0, sizeof result);
    result.outcome = kCheckBadAddress;
    UdpAddress destination;
    char zone[260] = {};
    if (!ParseAddressText(text, protocol, destination, zone, sizeof zone)) return;

    // The scopes to ask through, each with the adapter it stands for.
    std::vector<AdapterRecord> scopes;
    if (protocol == kProtocolIPv6 && destination.scopeId == 0) {
        const char* wanted = zone[0] != '\0' ? zone : adapterName;
        std::vector<AdapterRecord> adapters;
        if (EnumerateIPv6Adapters(adapters, transport) == kDiscoveryOk) {
            for (const AdapterRecord& a : adapters)
                if (wanted != nullptr && wanted[0] != '\0' && AdapterNamesEqual(a.adapterName, wanted))
                    scopes.push_back(a);
            if (scopes.empty() && IsLinkLocal(destination)) scopes = adapters;
        }
    }
    if (scopes.empty()) {
        AdapterRecord none;
        none.interfaceIndex = destination.scopeId;
        none.adapterName[0] = '\0';
        if (protocol == kProtocolIPv6 && destination.scopeId != 0) {
            std::vector<AdapterRecord> adapters;
            if (EnumerateIPv6Adapters(adapters, transport) == kDiscoveryOk)
                for (const AdapterRecord& a : adapters)
                    if (a.interfaceIndex == destination.scopeId)
                        CopyField(none.adapterName, sizeof none.adapterName, a.adapterName);
        }
        scopes.push_back(none);
    }

    result.outcome = kCheckFailed;
    for (const AdapterRecord& scope : scopes) {
        destination.scopeId = scope.interfaceIndex;
        DeviceRecord answer = EmptyDeviceRecord();
        const int outcome = AskOnce(transport, destination, answer);
        if (outcome == kCheckProductAnswered) {
            result.outcome = outcome;
            CopyField(result.macAddress, sizeof result.macAddress, answer.macAddress);
            if (protocol == kProtocolIPv6) CopyField(result.adapterName, sizeof result.adapterName, scope.adapterName);
            return;
        }
        if (outcome == kCheckOtherAnswered || (outcome == kCheckNoAnswer && result.outcome == kCheckFailed))
            result.outcome = outcome;
    }
}

void CheckAddress(const char* text, int protocol, const char* adapterName, AddressCheckResult& result)
{
    CheckAddress(text, protocol, adapterName, result, SystemDiscoveryTransport());
}
