// The unicast check of one address: parsing, the request with one retry, and the answer's verdict.
#include "discovery/address_check.h"

#include <cstring>
#include <string>
#include <vector>

#include "discovery/discovery_pass.h"
#include "discovery/snmp_message.h"
#include "product/protocol.h"
#include "product/product.h"

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Four decimal parts 0-255 separated by dots, nothing else.
bool ParseIPv4(const std::string& text, std::uint8_t* octets)
{
    int part = 0;
    int value = -1;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            value = (value < 0 ? 0 : value * 10) + (c - '0');
            if (value > 255) return false;
        } else if (c == '.' && value >= 0 && part < 3) {
            octets[part++] = static_cast<std::uint8_t>(value);
            value = -1;
        } else {
            return false;
        }
    }
    if (part != 3 || value < 0) return false;
    octets[3] = static_cast<std::uint8_t>(value);
    return true;
}

// The colon forms of an IPv6 address (no zone, no brackets).
bool ParseIPv6(const std::string& text, std::uint8_t* octets)
{
    std::vector<std::uint16_t> head, tail;
    bool compressed = false;
    size_t i = 0;
    if (text.compare(0, 2, "::") == 0) {
        compressed = true;
        i = 2;
    } else if (!text.empty() && text[0] == ':') {
        return false;
    }
    bool ipv4Tail = false;
    std::uint8_t v4[4] = {};
    while (i < text.size()) {
        std::vector<std::uint16_t>& groups = compressed ? tail : head;
        size_t end = text.find(':', i);
        std::string group = text.substr(i, end == std::string::npos ? std::string::npos : end - i);
        if (end == std::string::npos && group.find('.') != std::string::npos) {
            if (!ParseIPv4(group, v4)) return false;
            ipv4Tail = true;
            i = text.size();
            break;
        }
        if (group.empty() || group.size() > 4) return false;
        unsigned value = 0;
        for (char c : group) {
            const int digit = HexValue(c);
            if (digit < 0) return false;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        groups.push_back(static_cast<std::uint16_t>(value));
        if (end == std::string::npos) {
            i = text.size();
        } else if (text.compare(end, 2, "::") == 0) {
            if (compressed) return false;
            compressed = true;
            i = end + 2;
        } else {
            i = end + 1;
            if (i == text.size()) return false;  // a single trailing colon
        }
    }
    const size_t used = head.size() + tail.size() + (ipv4Tail ? 2 : 0);
    if (compressed ? used > 7 : used != 8) return false;
    std::memset(octets, 0, 16);
    size_t at = 0;
    for (std::uint16_t g : head) {
        octets[at++] = static_cast<std::uint8_t>(g >> 8);
        octets[at++] = static_cast<std::uint8_t>(g & 0xFF);
    }
    at = 16 - tail.size() * 2 - (ipv4Tail ? 4 : 0);
    for (std::uint16_t g : tail) {
        octets[at++] = static_cast<std::uint8_t>(g >> 8);
        octets[at++] = static_cast<std::uint8_t>(g & 0xFF);
    }
    if (ipv4Tail) std::memcpy(octets + 12, v4, 4);
    return true;
}

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
    if (requestLength < 0) return kCheckNoAnswer;
    UdpHandle socket = transport.Open(destination.family);
    if (socket == kUdpInvalidHandle) return kCheckNoAnswer;
    UdpAddress local;
    std::memset(&local, 0, sizeof local);
    local.family = destination.family;
    int outcome = kCheckNoAnswer;
    if (transport.Bind(socket, local) == kUdpOk) {
        std::uint8_t buffer[kAnswerBufferSize];
        for (int attempt = 0; attempt < kCheckAttempts && outcome == kCheckNoAnswer; ++attempt) {
            if (transport.SendTo(socket, request, static_cast<size_t>(requestLength), destination) != kUdpOk) continue;
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
    return outcome;
}

bool IsLinkLocal(const UdpAddress& address)
{
    return address.octets[0] == 0xFE && (address.octets[1] & 0xC0) == 0x80;
}

bool IsNumber(const char* text)
{
    if (*text == '\0') return false;
    for (; *text != '\0'; ++text)
        if (*text < '0' || *text > '9') return false;
    return true;
}

}  // namespace

bool ParseCheckAddress(const char* text, int protocol, UdpAddress& destination, char* zone, size_t zoneSize)
{
    if (zone != nullptr && zoneSize > 0) zone[0] = '\0';
    std::memset(&destination, 0, sizeof destination);
    destination.port = kSnmpAgentPort;
    if (text == nullptr) return false;
    std::string address = text;
    if (address.size() > 127) return false;
    if (protocol == kProtocolIPv4) {
        destination.family = kUdpIPv4;
        return ParseIPv4(address, destination.octets);
    }
    if (protocol != kProtocolIPv6) return false;
    destination.family = kUdpIPv6;
    if (!address.empty() && address[0] == '[') {
        const size_t close = address.find(']');
        if (close == std::string::npos) return false;
        const std::string rest = address.substr(close + 1);
        if (!rest.empty() && (rest[0] != ':' || rest.size() == 1 || !IsNumber(rest.c_str() + 1))) return false;
        address = address.substr(1, close - 1);
    }
    std::string zoneText;
    const size_t percent = address.find('%');
    if (percent != std::string::npos) {
        zoneText = address.substr(percent + 1);
        address.resize(percent);
        if (zoneText.empty()) return false;
    }
    if (!ParseIPv6(address, destination.octets)) return false;
    if (IsNumber(zoneText.c_str())) {
        if (zoneText.size() > 9) return false;
        destination.scopeId = static_cast<std::uint32_t>(std::stoul(zoneText));
    }
    if (zone != nullptr && zoneSize > 0) CopyField(zone, zoneSize, zoneText.c_str());
    return true;
}

void CheckAddress(const char* text, int protocol, const char* adapterName, AddressCheckResult& result,
                  DiscoveryTransport& transport)
{
    std::memset(&result, 0, sizeof result);
    result.outcome = kCheckBadAddress;
    UdpAddress destination;
    char zone[260] = {};
    if (!ParseCheckAddress(text, protocol, destination, zone, sizeof zone)) return;

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

    result.outcome = kCheckNoAnswer;
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
        if (outcome == kCheckOtherAnswered) result.outcome = outcome;
    }
}

void CheckAddress(const char* text, int protocol, const char* adapterName, AddressCheckResult& result)
{
    CheckAddress(text, protocol, adapterName, result, SystemDiscoveryTransport());
}
