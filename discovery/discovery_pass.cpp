// One IPv4 or IPv6 discovery pass over the transport, and the enumeration of the IPv6 adapters.
#include "discovery/discovery_pass.h"

#include <cstdio>
#include <cstring>

#include "discovery/snmp_message.h"

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

// Reads answers until the network has been quiet for a second; appends the matching ones.
void ReceiveAnswers(DiscoveryTransport& transport, UdpHandle socket, int ipVersion,
                    const char* matchText, DeviceList& result)
{
    std::uint8_t buffer[kAnswerBufferSize];
    for (;;) {
        transport.Pause(kPausePerAnswerMs);
        if (transport.WaitReadable(socket, kQuietWaitMs) != kUdpOk) break;
        size_t length = 0;
        UdpAddress sender;
        std::memset(&sender, 0, sizeof sender);
        int received = transport.ReceiveFrom(socket, buffer, sizeof buffer, &length, &sender);
        if (received == kUdpTooLong) continue;  // an oversized datagram is lost, not the pass
        if (received != kUdpOk) break;
        DeviceRecord candidate;
        if (!DecodeDiscoveryAnswer(buffer, length, candidate)) continue;
        candidate.ipVersion = ipVersion;
        FormatRecordAddress(sender, candidate.address);
        if (MatchesModel(candidate, matchText)) result.Append(candidate);
    }
}

// Sends the request and reads the answers on a socket that is set up; always kDiscoveryOk.
int SendAndReceive(DiscoveryTransport& transport, UdpHandle socket, const std::uint8_t* request,
                   size_t requestLength, const UdpAddress& destination, int ipVersion,
                   const char* matchText, DeviceList& result)
{
    transport.SetReceiveBuffer(socket, kAnswerBurstBufferBytes);  // a smaller buffer still works
    if (transport.SendTo(socket, request, requestLength, destination) == kUdpOk)
        ReceiveAnswers(transport, socket, ipVersion, matchText, result);
    transport.Close(socket);
    return kDiscoveryOk;
}

}  // namespace

void FormatRecordAddress(const UdpAddress& sender, char (&address)[64])
{
    std::memset(address, 0, sizeof address);
    const std::uint8_t* o = sender.octets;
    if (sender.family == kUdpIPv6) {
        std::snprintf(address, sizeof address,
                      "%02x%02x:%02x%02x:%02x%02x:%02x%02x:%02x%02x:%02x%02x:%02x%02x:%02x%02x",
                      o[0], o[1], o[2], o[3], o[4], o[5], o[6], o[7], o[8], o[9], o[10], o[11],
                      o[12], o[13], o[14], o[15]);
    } else {
        std::snprintf(address, sizeof address, "%i.%i.%i.%i", o[0], o[1], o[2], o[3]);
    }
}

int DiscoverIPv4(DeviceList& result, const char* matchText, DiscoveryTransport& transport)
{
    result.Clear();
    std::uint8_t request[kSnmpRequestCapacity];
    int requestLength = EncodeDiscoveryRequest(request, sizeof request);
    if (requestLength < 0) return kDiscoveryFailed;

    UdpHandle socket = transport.Open(kUdpIPv4);
    if (socket == kUdpInvalidHandle) return kDiscoveryFailed;
    if (transport.SetBroadcast(socket) != kUdpOk ||
        transport.Bind(socket, MakeAddress(kUdpIPv4, 0, 0)) != kUdpOk) {
        transport.Close(socket);
        return kDiscoveryFailed;
    }
    UdpAddress broadcast = MakeAddress(kUdpIPv4, kSnmpAgentPort, 0);
    std::memset(broadcast.octets, 0xFF, 4);
    return SendAndReceive(transport, socket, request, static_cast<size_t>(requestLength),
                          broadcast, 4, matchText, result);
}

int DiscoverIPv4(DeviceList& result, const char* matchText)
{
    return DiscoverIPv4(result, matchText, SystemDiscoveryTransport());
}

int EnumerateIPv6Adapters(std::vector<AdapterRecord>& adapters, DiscoveryTransport& transport)
{
    std::vector<PlatformAdapter> reported;
    if (transport.ListAdapters(reported) != kAdaptersOk) return kDiscoveryFailed;
    for (const PlatformAdapter& a : reported) {
        if (a.ifType == kIfTypePpp || a.ifType == kIfTypeSoftwareLoopback ||
            a.ifType == kIfTypeAtm || a.ifType == kIfTypeTunnel)
            continue;
        if (a.operStatus == kOperDown || a.operStatus == kOperNotPresent ||
            a.operStatus == kOperLowerLayerDown)
            continue;
        AdapterRecord record;
        // Some systems give no IPv6 index (Wine reports 0); the general index is the same link.
        record.interfaceIndex = a.ipv6IfIndex != 0 ? a.ipv6IfIndex : a.ifIndex;
        CopyField(record.adapterName, sizeof record.adapterName, a.friendlyName);
        adapters.push_back(record);
    }
    return kDiscoveryOk;
}

int EnumerateIPv6Adapters(std::vector<AdapterRecord>& adapters)
{
    return EnumerateIPv6Adapters(adapters, SystemDiscoveryTransport());
}

int DiscoverIPv6(DeviceList& result, const char* matchText, std::uint32_t interfaceIndex,
                 DiscoveryTransport& transport)
{
    result.Clear();
    std::uint8_t request[kSnmpRequestCapacity];
    int requestLength = EncodeDiscoveryRequest(request, sizeof request);
    if (requestLength < 0) return kDiscoveryFailed;

    UdpHandle socket = transport.Open(kUdpIPv6);
    if (socket == kUdpInvalidHandle) return kDiscoveryFailed;
    if (transport.SetMulticastInterface(socket, 0) != kUdpOk ||
        transport.Bind(socket, MakeAddress(kUdpIPv6, 0, 0)) != kUdpOk) {
        transport.Close(socket);
        return kDiscoveryFailed;
    }
    UdpAddress allNodes = MakeAddress(kUdpIPv6, kSnmpAgentPort, interfaceIndex);
    allNodes.octets[0] = 0xFF;
    allNodes.octets[1] = 0x02;
    allNodes.octets[15] = 0x01;
    return SendAndReceive(transport, socket, request, static_cast<size_t>(requestLength), allNodes,
                          6, matchText, result);
}

int DiscoverIPv6(DeviceList& result, const char* matchText, std::uint32_t interfaceIndex)
{
    return DiscoverIPv6(result, matchText, interfaceIndex, SystemDiscoveryTransport());
}
