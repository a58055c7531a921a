// The table of discovery, settings-store and registration calls, defaulting to the real ones.
#include "setup/connection_services.h"

#include "discovery/discovery_driver.h"
#include "setup/device_registration.h"
#include "setup/settings_store.h"

namespace {

int RealRunDiscovery(DeviceList& deviceList, int& selectedIndex, int passes, const PassTiming& timing, int protocol,
                     std::vector<SkippedAdapter>* skipped, const SearchTargets& targets)
{
    return RunDiscovery(deviceList, selectedIndex, passes, timing, protocol, skipped, targets);
}

void RealCheckAddress(const char* address, int protocol, const char* adapterName, AddressCheckResult& result)
{
    CheckAddress(address, protocol, adapterName, result);
}

void RealFollowStored(const StoredConnection& stored, const SearchTargets& targets, FollowResult& result)
{
    FollowStored(stored, kCommandLinePasses, kCommandLinePassTiming, result, SystemDiscoveryTransport(), targets);
}

const ConnectionServices kReal = {
    RealRunDiscovery,
    SystemDiscoveryTransport,
    SettingsStore::Save,
    SettingsStore::ReadRegString,
    SettingsStore::WriteRegDword,
    SettingsStore::ReadRegDword,
    FindScannerDevice,
    RegisterScannerDevice,
    RealCheckAddress,
    RealFollowStored,
    Platform::ResolveHostName,
};

}  // namespace

ConnectionServices& Services()
{
    static ConnectionServices current = kReal;
    return current;
}

const ConnectionServices& RealConnectionServices()
{
    return kReal;
}
