// The pieces of a discovery pass over the transport: adapters, a pass socket, taking the answers.
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

bool UsableState(std::uint32_t operStatus)
{
    return operStatus != kOperDown && operStatus != kOperNotPresent && operStatus != kOperLowerLayerDown;
}

// Sends the request on a socket that is bound; closes it when the send fails.
int SendRequest(DiscoveryTransport& transport, const UdpAddress& destination, PassSocket& pass)
{
    std::uint8_t request[kSnmpRequestCapacity];
    int requestLength = EncodeDiscoveryRequest(request, sizeof request);
    transport.SetReceiveBuffer(pass.socket, kAnswerBurstBufferBytes);  // a smaller buffer still works
    pass.sentAtMs = pass.lastHeardMs = transport.NowMs();
    if (requestLength < 0 ||
        transport.SendTo(pass.socket, request, static_cast<size_t>(requestLength), destination) != kUdpOk) {
        transport.Close(pass.socket);
        pass.socket = kUdpInvalidHandle;
    }
    return kDiscoveryOk;
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

int EnumerateIPv6Adapters(std::vector<AdapterRecord>& adapters, DiscoveryTransport& transport)
{
    std::vector<PlatformAdapter> reported;
    if (transport.ListAdapters(reported) != kAdaptersOk) return kDiscoveryFailed;
    for (const PlatformAdapter& a : reported) {
        if (a.ifType == kIfTypePpp || a.ifType == kIfTypeSoftwareLoopback || a.ifType == kIfTypeAtm ||
            a.ifType == kIfTypeTunnel)
            continue;
        if (!UsableState(a.operStatus)) continue;
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
            if (a.ifType == kIfTypeSoftwareLoopback || a.octets[0] == 127 || !UsableState(a.operStatus)) continue;
            if (a.octets[0] == 0 && a.octets[1] == 0 && a.octets[2] == 0 && a.octets[3] == 0) continue;
            bool listed = false;
            for (const IPv4Source& s : sources) listed = listed || std::memcmp(s.octets, a.octets, 4) == 0;
            if (listed) continue;
            IPv4Source source;
            std::memcpy(source.octets, a.octets, 4);
            sources.push_back(source);
        }
    }
    if (sources.empty()) sources.push_back(IPv4Source{{0, 0, 0, 0}});
    return sources;
}

int OpenIPv4Pass(DiscoveryTransport& transport, const IPv4Source& source, PassSocket& pass)
{
    pass = PassSocket{};
    UdpHandle socket = transport.Open(kUdpIPv4);
    if (socket == kUdpInvalidHandle) return kDiscoveryFailed;
    UdpAddress local = MakeAddress(kUdpIPv4, 0, 0);
    std::memcpy(local.octets, source.octets, 4);
    if (transport.SetBroadcast(socket) != kUdpOk || transport.Bind(socket, local) != kUdpOk) {
        transport.Close(socket);
        return kDiscoveryFailed;
    }
    pass.socket = socket;
    UdpAddress broadcast = MakeAddress(kUdpIPv4, kSnmpAgentPort, 0);
    std::memset(broadcast.octets, 0xFF, 4);
    return SendRequest(transport, broadcast, pass);
}

int OpenIPv6Pass(DiscoveryTransport& transport, const AdapterRecord& adapter, PassSocket& pass)
{
    pass = PassSocket{};
    UdpHandle socket = transport.Open(kUdpIPv6);
    if (socket == kUdpInvalidHandle) return kDiscoveryFailed;
    if (transport.SetMulticastInterface(socket, 0) != kUdpOk ||
        transport.Bind(socket, MakeAddress(kUdpIPv6, 0, 0)) != kUdpOk) {
        transport.Close(socket);
        return kDiscoveryFailed;
    }
    pass.socket = socket;
    CopyField(pass.adapterName, sizeof pass.adapterName, adapter.adapterName);
    UdpAddress allNodes = MakeAddress(kUdpIPv6, kSnmpAgentPort, adapter.interfaceIndex);
    allNodes.octets[0] = 0xFF;
    allNodes.octets[1] = 0x02;
    allNodes.octets[15] = 0x01;
    return SendRequest(transport, allNodes, pass);
}

bool TakeWaitingAnswers(DiscoveryTransport& transport, PassSocket& pass, int ipVersion, const char* matchText,
                        std::int64_t nowMs, DeviceList& found)
{
    std::uint8_t buffer[kAnswerBufferSize];
    for (int taken = 0; taken < kMaxDatagramsPerStep; ++taken) {
        int ready = transport.WaitReadable(pass.socket, 0);
        if (ready == kUdpTimeout) return true;
        if (ready != kUdpOk) return false;
        size_t length = 0;
        UdpAddress sender;
        std::memset(&sender, 0, sizeof sender);
        int received = transport.ReceiveFrom(pass.socket, buffer, sizeof buffer, &length, &sender);
        if (received != kUdpOk && received != kUdpTooLong) return false;
        pass.lastHeardMs = nowMs;
        if (received == kUdpTooLong) continue;  // an oversized datagram is lost, not the pass
        DeviceRecord candidate;
        if (!DecodeDiscoveryAnswer(buffer, length, candidate)) continue;
        candidate.ipVersion = ipVersion;
        FormatRecordAddress(sender, candidate.address);
        if (ipVersion == kUdpIPv6) CopyField(candidate.adapterName, sizeof candidate.adapterName, pass.adapterName);
        if (MatchesModel(candidate, matchText)) found.Append(candidate);
    }
    return true;
}
