// The device installer over the Setup API, with newdev.dll loaded only when a driver is installed.
#include <windows.h>
#include <setupapi.h>

#include <cstring>
#include <new>

#include "platform/device_installer.h"

namespace {

// A device information set and its selected member.
struct DeviceList {
    HDEVINFO set = INVALID_HANDLE_VALUE;
    SP_DEVINFO_DATA device{};
    bool selected = false;
};

DeviceList* AsList(DeviceListHandle handle)
{
    return static_cast<DeviceList*>(handle);
}

GUID ToGuid(const unsigned char (&bytes)[16])
{
    GUID guid;
    static_assert(sizeof guid == 16, "GUID layout");
    std::memcpy(&guid, bytes, sizeof guid);
    return guid;
}

DiStatus Adopt(HDEVINFO set, DeviceListHandle* list)
{
    if (set == INVALID_HANDLE_VALUE) return kDiFailed;
    DeviceList* owned = new (std::nothrow) DeviceList;
    if (owned == nullptr) {
        SetupDiDestroyDeviceInfoList(set);
        return kDiFailed;
    }
    owned->set = set;
    *list = owned;
    return kDiOk;
}

// INSTALLFLAG_FORCE of UpdateDriverForPlugAndPlayDevicesA.
constexpr DWORD kInstallFlagForce = 1;
using UpdateDriverFunction = BOOL(WINAPI*)(HWND, LPCSTR, LPCSTR, DWORD, PBOOL);

}  // namespace

namespace DeviceInstaller {

DiStatus OpenPresentImagingDevices(DeviceListHandle* list)
{
    const GUID imaging = ToGuid(kImagingClassGuid);
    return Adopt(SetupDiGetClassDevsA(&imaging, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE), list);
}

DiStatus SelectDevice(DeviceListHandle handle, uint32_t index)
{
    DeviceList* list = AsList(handle);
    if (list == nullptr) return kDiFailed;
    list->device = SP_DEVINFO_DATA{};
    list->device.cbSize = sizeof list->device;
    list->selected = false;
    if (!SetupDiEnumDeviceInfo(list->set, index, &list->device))
        return GetLastError() == ERROR_NO_MORE_ITEMS ? kDiNoMoreItems : kDiFailed;
    list->selected = true;
    return kDiOk;
}

DiStatus GetDeviceDescription(DeviceListHandle handle, char* buffer, size_t size, size_t* needed)
{
    DeviceList* list = AsList(handle);
    if (list == nullptr || !list->selected || needed == nullptr) return kDiFailed;
    DWORD required = 0;
    const DWORD capacity = size > 0xFFFF ? 0xFFFF : static_cast<DWORD>(size);
    if (SetupDiGetDeviceRegistryPropertyA(list->set, &list->device, SPDRP_DEVICEDESC, nullptr,
                                          reinterpret_cast<BYTE*>(buffer), buffer != nullptr ? capacity : 0,
                                          &required)) {
        // The text may lack its NUL when the stored data has none: terminate within the buffer.
        if (buffer == nullptr || capacity == 0) return kDiFailed;
        buffer[required < capacity ? required : capacity - 1] = '\0';
        *needed = required;
        return kDiOk;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return kDiFailed;
    // One byte more than the platform asks for leaves room for a NUL that the data may lack.
    *needed = static_cast<size_t>(required) + 1;
    return kDiMoreData;
}

DiStatus GetInfClass(const char* infPath, SetupClass* setupClass)
{
    if (setupClass == nullptr) return kDiFailed;
    GUID guid;
    char name[kClassNameSize] = {};
    if (!SetupDiGetINFClassA(infPath, &guid, name, sizeof name, nullptr)) return kDiFailed;
    std::memcpy(setupClass->guid, &guid, sizeof setupClass->guid);
    std::memcpy(setupClass->name, name, sizeof name);
    setupClass->name[sizeof setupClass->name - 1] = '\0';
    return kDiOk;
}

DiStatus CreateDeviceList(const SetupClass& setupClass, DeviceListHandle* list)
{
    const GUID guid = ToGuid(setupClass.guid);
    return Adopt(SetupDiCreateDeviceInfoList(&guid, nullptr), list);
}

DiStatus CreateDevice(DeviceListHandle handle, const SetupClass& setupClass)
{
    DeviceList* list = AsList(handle);
    if (list == nullptr) return kDiFailed;
    const GUID guid = ToGuid(setupClass.guid);
    list->device = SP_DEVINFO_DATA{};
    list->device.cbSize = sizeof list->device;
    list->selected = SetupDiCreateDeviceInfoA(list->set, setupClass.name, &guid, nullptr, nullptr, DICD_GENERATE_ID,
                                              &list->device) != FALSE;
    return list->selected ? kDiOk : kDiFailed;
}

DiStatus SetHardwareIds(DeviceListHandle handle, const char* multiString, size_t size)
{
    DeviceList* list = AsList(handle);
    if (list == nullptr || !list->selected) return kDiFailed;
    return SetupDiSetDeviceRegistryPropertyA(list->set, &list->device, SPDRP_HARDWAREID,
                                             reinterpret_cast<const BYTE*>(multiString), static_cast<DWORD>(size))
               ? kDiOk
               : kDiFailed;
}

DiStatus RegisterDevice(DeviceListHandle handle)
{
    DeviceList* list = AsList(handle);
    if (list == nullptr || !list->selected) return kDiFailed;
    return SetupDiCallClassInstaller(DIF_REGISTERDEVICE, list->set, &list->device) ? kDiOk : kDiFailed;
}

void DestroyDeviceList(DeviceListHandle handle)
{
    DeviceList* list = AsList(handle);
    if (list == nullptr) return;
    SetupDiDestroyDeviceInfoList(list->set);
    delete list;
}

int InstallDriverFromInf(const char* hardwareId, const char* infPath)
{
    HMODULE newdev = LoadLibraryA("newdev.dll");
    if (newdev == nullptr) return kDriverUnavailable;
    auto update = reinterpret_cast<UpdateDriverFunction>(
        reinterpret_cast<void*>(GetProcAddress(newdev, "UpdateDriverForPlugAndPlayDevicesA")));
    if (update == nullptr) {
        FreeLibrary(newdev);
        return kDriverUnavailable;
    }
    BOOL reboot = FALSE;
    update(nullptr, hardwareId, infPath, kInstallFlagForce, &reboot);
    FreeLibrary(newdev);
    return kDriverCalled;
}

}  // namespace DeviceInstaller
