// The discovery driver: port pre-binding, the IPv4 series (and variant 8's second series), the IPv6
// passes per adapter, merging, sorting and the selection.
#include "discovery/discovery_driver.h"

#include <cstring>
#include <vector>

#include "product/variant_table.h"
#include "discovery/discovery_pass.h"
#include "platform/wait_cursor.h"

namespace {

constexpr VariantId kVariantWithAltModel = 8;

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

// Runs `passes` IPv4 passes with matchText, merging each into the dialog's list.
int RunIPv4Series(DeviceList& deviceList, DeviceList& passList, int passes, const char* matchText,
                  DiscoveryTransport& transport)
{
    for (int pass = 0; pass < passes; ++pass) {
        int result = DiscoverIPv4(passList, matchText, transport);
        if (result != kDiscoveryOk) return result;
        MergePass(deviceList, passList, kProtocolIPv4, nullptr);
    }
    return kDiscoveryOk;
}

int RunIPv6(DeviceList& deviceList, DeviceList& passList, int passes, const char* matchText,
            DiscoveryTransport& transport)
{
    std::vector<AdapterRecord> adapters;
    int result = EnumerateIPv6Adapters(adapters, transport);
    if (result != kDiscoveryOk) return result;
    for (int pass = 0; pass < passes; ++pass) {
        for (const AdapterRecord& adapter : adapters) {
            result = DiscoverIPv6(passList, matchText, adapter.interfaceIndex, transport);
            if (result != kDiscoveryOk) return result;
            MergePass(deviceList, passList, kProtocolIPv6, adapter.adapterName);
        }
    }
    return kDiscoveryOk;
}

}  // namespace

int RunDiscovery(DeviceList& deviceList, int& selectedIndex, int passes, int protocol,
                 DiscoveryTransport& transport)
{
    WaitCursor waitCursor;
    DeviceList passList;

    if (VariantTable::GetInt(kIpv6Available) != 0) PreBindAgentPort(transport);

    char matchText[128] = {};
    VariantTable::Get(kModelOid, matchText, sizeof matchText);

    int result = kRunDiscoveryOk;
    deviceList.Clear();
    bool sortable = false;
    if (protocol == kProtocolIPv4) {
        result = RunIPv4Series(deviceList, passList, passes, matchText, transport);
        if (VariantTable::GetInt(kHasAltModelOid) != 0 && VariantTable::Current() == kVariantWithAltModel) {
            passList.Clear();
            VariantTable::Get(kAltModelOid, matchText, sizeof matchText);
            if (result == kDiscoveryOk)
                result = RunIPv4Series(deviceList, passList, passes, matchText, transport);
        }
        sortable = result == kDiscoveryOk;
    } else if (protocol == kProtocolIPv6) {
        result = RunIPv6(deviceList, passList, passes, matchText, transport);
        sortable = result == kDiscoveryOk;
    } else {
        result = kRunDiscoveryBadProtocol;
    }
    if (sortable) SortByAddress(deviceList);
    selectedIndex = deviceList.Empty() ? -1 : 0;
    return result;
}

int RunDiscovery(DeviceList& deviceList, int& selectedIndex, int passes, int protocol)
{
    return RunDiscovery(deviceList, selectedIndex, passes, protocol, SystemDiscoveryTransport());
}
