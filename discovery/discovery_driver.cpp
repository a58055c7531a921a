// The blocking discovery call: one search (discovery/discovery_search.h) stepped until it ends, with
// the thread sleeping between steps, for callers that have no window to keep answering.
#include "discovery/discovery_driver.h"

#include "discovery/discovery_search.h"
#include "platform/wait_cursor.h"

int RunDiscovery(DeviceList& deviceList, int& selectedIndex, int passes, const PassTiming& timing, int protocol,
                 std::vector<SkippedAdapter>* skipped, DiscoveryTransport& transport, const SearchTargets& targets)
{
    WaitCursor waitCursor;
    DiscoverySearch search(transport);
    search.Start(protocol, passes, timing, targets);
    while (search.Running()) {
        transport.Pause(kSearchStepMs);
        search.Step();
    }
    deviceList = search.Devices();
    selectedIndex = deviceList.Empty() ? -1 : 0;
    if (skipped != nullptr) *skipped = search.Skipped();
    return search.Result();
}

int RunDiscovery(DeviceList& deviceList, int& selectedIndex, int passes, const PassTiming& timing, int protocol,
                 std::vector<SkippedAdapter>* skipped, DiscoveryTransport& transport)
{
    return RunDiscovery(deviceList, selectedIndex, passes, timing, protocol, skipped, transport, SearchTargets{});
}

int RunDiscovery(DeviceList& deviceList, int& selectedIndex, int passes, const PassTiming& timing, int protocol,
                 std::vector<SkippedAdapter>* skipped, const SearchTargets& targets)
{
    return RunDiscovery(deviceList, selectedIndex, passes, timing, protocol, skipped, SystemDiscoveryTransport(),
                        targets);
}

int RunDiscovery(DeviceList& deviceList, int& selectedIndex, int passes, const PassTiming& timing, int protocol,
                 std::vector<SkippedAdapter>* skipped)
{
    return RunDiscovery(deviceList, selectedIndex, passes, timing, protocol, skipped, SearchTargets{});
}
