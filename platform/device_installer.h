// The operating system's device installer, in the narrow steps that network scanner device
// registration and search are made of.
//
// On Windows these are the Setup API and newdev.dll (loaded at run time). The native tests use a
// stand-in (tests/doubles/) that keeps the registered devices in memory.
//
// A DeviceListHandle is owned by the caller from a successful OpenPresentImagingDevices or
// CreateDeviceList until DestroyDeviceList. The results are the small codes below; platform
// error codes never leave the seam.
#pragma once
#include <cstddef>
#include <cstdint>

enum DiStatus : int {
    kDiOk = 0,
    kDiNoMoreItems = 1,  // the member index is past the end of the list
    kDiMoreData = 2,     // the caller's buffer is too small
    kDiFailed = 3,       // any other failure (its reason: Platform::LastSystemError)
};

// Outcome of InstallDriverFromInf.
constexpr int kDriverCalled = 0;       // the installer ran (its own result is not known here)
constexpr int kDriverUnavailable = 1;  // the installer library or its function is missing

// The longest setup class name, with its NUL.
constexpr size_t kClassNameSize = 32;

// A setup class: its GUID (16 bytes in the platform's layout) and its name.
struct SetupClass {
    unsigned char guid[16];
    char name[kClassNameSize];
};

// The imaging device class {6BDD1FC6-810F-11D0-BEC7-08002BE2092F} in the platform's layout.
extern const unsigned char kImagingClassGuid[16];

using DeviceListHandle = void*;

namespace DeviceInstaller {
// Lists the present imaging devices that expose the imaging device interface
// (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE). kDiOk or kDiFailed (no list).
DiStatus OpenPresentImagingDevices(DeviceListHandle* list);

// Selects member index of the list: kDiOk, kDiNoMoreItems past the end, kDiFailed otherwise.
DiStatus SelectDevice(DeviceListHandle list, uint32_t index);

// Reads the selected device's description. With buffer null (size 0) it only sets *needed to the
// bytes the text needs with its NUL and returns kDiMoreData (or kDiFailed when the device has
// none). With a buffer of size bytes it writes the terminated text: kDiOk, kDiMoreData when it
// does not fit, kDiFailed when it cannot be read.
DiStatus GetDeviceDescription(DeviceListHandle list, char* buffer, size_t size, size_t* needed);

// Reads the setup class that an INF file names (SetupDiGetINFClassA): kDiOk or kDiFailed.
DiStatus GetInfClass(const char* infPath, SetupClass* setupClass);

// Makes an empty device list for one setup class: kDiOk or kDiFailed.
DiStatus CreateDeviceList(const SetupClass& setupClass, DeviceListHandle* list);

// Adds a new device of the class to the list, named by the class name, with an instance ID that
// the platform generates (so every call makes a new device). It becomes the selected device.
DiStatus CreateDevice(DeviceListHandle list, const SetupClass& setupClass);

// Sets the selected device's hardware IDs: a multi-string of size bytes (IDs, NULs, final NUL).
DiStatus SetHardwareIds(DeviceListHandle list, const char* multiString, size_t size);

// Registers the selected device as a device node (DIF_REGISTERDEVICE): kDiOk or kDiFailed.
DiStatus RegisterDevice(DeviceListHandle list);

// Releases the list; a device registered from it stays registered. A null list is ignored.
void DestroyDeviceList(DeviceListHandle list);

// Installs the driver from the INF on every device with that hardware ID, forcing it
// (UpdateDriverForPlugAndPlayDevicesA with INSTALLFLAG_FORCE, no window). The installer's own
// result and its reboot flag are not used: kDriverCalled, or kDriverUnavailable when the library
// or the function cannot be loaded.
int InstallDriverFromInf(const char* hardwareId, const char* infPath);
}  // namespace DeviceInstaller
