// The table of discovery, settings-store and registration calls, defaulting to the real ones.
#include "setup/connection_services.h"

#include <cstdint>

#include "discovery/discovery_driver.h"
#include "platform/registry.h"
#include "setup/device_registration.h"
#include "setup/settings_store.h"

namespace {

int RealRunDiscovery(DeviceList& deviceList, int& selectedIndex, int passes, int protocol)
{
    return RunDiscovery(deviceList, selectedIndex, passes, protocol);
}

const ConnectionServices kReal = {
    RealRunDiscovery,
    SettingsStore::Save,
    SettingsStore::ReadRegString,
    SettingsStore::WriteRegDword,
    ReadUserDword,
    FindScannerDevice,
    RegisterScannerDevice,
};

}  // namespace

int ReadUserDword(const char* keyPath, const char* valueName, int* value)
{
    RegKeyHandle key = nullptr;
    int result = Registry::OpenUserKey(keyPath, &key);
    if (result != kRegOk) {
        return result;
    }
    uint32_t data = 0;
    uint32_t size = sizeof data;
    result = Registry::QueryValue(key, valueName, nullptr, &data, &size);
    Registry::CloseUserKey(key);
    if (result != kRegOk) {
        return result;
    }
    if (size != sizeof data) {
        return kRegFailed;
    }
    *value = static_cast<int>(data);
    return kRegOk;
}

ConnectionServices& Services()
{
    static ConnectionServices current = kReal;
    return current;
}

const ConnectionServices& RealConnectionServices()
{
    return kReal;
}
