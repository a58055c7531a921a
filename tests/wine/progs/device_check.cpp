// Windows test program of device registration: registers and finds devices through the code
// under test, and lists devices and stands in for a driver through the Setup API itself.
//   device_check register INF HARDWAREID     prints the result
//   device_check find DESCRIPTION            prints the result
//   device_check list                        prints "INSTANCE|HARDWAREIDS|CLASS|DESCRIPTION|DRIVER" per ROOT\IMAGE device
//   device_check link INSTANCE               gives the device an enabled imaging interface
#include <windows.h>
#include <setupapi.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/device_installer.h"
#include "setup/device_registration.h"

namespace {

std::string Property(HDEVINFO set, SP_DEVINFO_DATA* device, DWORD property)
{
    char buffer[1024] = {};
    DWORD size = 0;
    if (!SetupDiGetDeviceRegistryPropertyA(set, device, property, nullptr, reinterpret_cast<BYTE*>(buffer),
                                           sizeof buffer - 2, &size))
        return "-";
    std::string text(buffer, size);
    for (char& c : text)
        if (c == '\0') c = ';';  // multi-strings made visible
    return text;
}

int List()
{
    HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE) return 1;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
        char id[512] = {};
        SetupDiGetDeviceInstanceIdA(set, &device, id, sizeof id, nullptr);
        if (std::strncmp(id, "ROOT\\IMAGE\\", 11) != 0) continue;
        std::printf("%s|%s|%s|%s|%s\n", id, Property(set, &device, SPDRP_HARDWAREID).c_str(),
                    Property(set, &device, SPDRP_CLASS).c_str(), Property(set, &device, SPDRP_DEVICEDESC).c_str(),
                    Property(set, &device, SPDRP_DRIVER).c_str());
    }
    SetupDiDestroyDeviceInfoList(set);
    return 0;
}

// What a started driver would do: create the imaging interface and mark it linked (enabled).
int Link(const char* instance)
{
    GUID imaging;
    std::memcpy(&imaging, kImagingClassGuid, sizeof imaging);
    HDEVINFO set = SetupDiCreateDeviceInfoList(nullptr, nullptr);
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    if (!SetupDiOpenDeviceInfoA(set, instance, nullptr, 0, &device)) {
        std::printf("no device\n");
        return 1;
    }
    SP_DEVICE_INTERFACE_DATA iface{};
    iface.cbSize = sizeof iface;
    if (!SetupDiCreateDeviceInterfaceA(set, &device, &imaging, nullptr, 0, &iface)) {
        std::printf("no interface (error %lu)\n", GetLastError());
        return 1;
    }
    SetupDiDestroyDeviceInfoList(set);

    const char classes[] =
        "System\\CurrentControlSet\\Control\\DeviceClasses\\{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}";
    HKEY classKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, classes, 0, KEY_READ, &classKey) != ERROR_SUCCESS) return 1;
    int linked = 0;
    char name[512];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(classKey, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY ifaceKey = nullptr;
        if (RegOpenKeyExA(classKey, name, 0, KEY_READ | KEY_WRITE, &ifaceKey) != ERROR_SUCCESS) continue;
        char owner[512] = {};
        DWORD size = sizeof owner - 1;
        if (RegQueryValueExA(ifaceKey, "DeviceInstance", nullptr, nullptr, reinterpret_cast<BYTE*>(owner), &size) ==
                ERROR_SUCCESS &&
            lstrcmpiA(owner, instance) == 0) {
            HKEY control = nullptr;
            const DWORD one = 1;
            if (RegCreateKeyExA(ifaceKey, "#\\Control", 0, nullptr, 0, KEY_WRITE, nullptr, &control, nullptr) ==
                ERROR_SUCCESS) {
                linked += RegSetValueExA(control, "Linked", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                                         sizeof one) == ERROR_SUCCESS;
                RegCloseKey(control);
            }
        }
        RegCloseKey(ifaceKey);
    }
    RegCloseKey(classKey);
    std::printf("linked %d\n", linked);
    return linked > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "register" && argc == 4) {
        std::printf("%d\n", RegisterScannerDevice(argv[2], argv[3]));
        return 0;
    }
    if (command == "find" && argc == 3) {
        std::printf("%d\n", FindScannerDevice(argv[2]));
        return 0;
    }
    if (command == "list") return List();
    if (command == "link" && argc == 3) return Link(argv[2]);
    std::fprintf(stderr, "device_check: unknown command or wrong arguments\n");
    return 2;
}
