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

int List()
{
    HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE) return 1;
    SP_DEVINFO_DATA device{sizeof device};
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
        char id[512] = {};
        SetupDiGetDeviceInstanceIdA(set, &device, id, sizeof id, nullptr);
        if (std::strncmp(id, "ROOT\\IMAGE\\", 11) != 0) continue;
        std::string line = id;
        // Each property as text ("-" when missing), the NULs of multi-strings shown as ';'.
        for (DWORD property : {SPDRP_HARDWAREID, SPDRP_CLASS, SPDRP_DEVICEDESC, SPDRP_DRIVER}) {
            BYTE data[1024];
            DWORD size = 0;
            line += '|';
            if (!SetupDiGetDeviceRegistryPropertyA(set, &device, property, nullptr, data, sizeof data, &size)) {
                line += '-';
                continue;
            }
            for (DWORD k = 0; k < size; ++k) line += data[k] != 0 ? static_cast<char>(data[k]) : ';';
        }
        std::printf("%s\n", line.c_str());
    }
    SetupDiDestroyDeviceInfoList(set);
    return 0;
}

// What a started driver would do: create the imaging interface and mark it linked (enabled). The
// interface's key is named after its path, "\\?\" written as "##?#"; its "#" subkey holds the state.
int Link(const char* instance)
{
    GUID imaging;
    std::memcpy(&imaging, kImagingClassGuid, sizeof imaging);
    HDEVINFO set = SetupDiCreateDeviceInfoList(nullptr, nullptr);
    SP_DEVINFO_DATA device{sizeof device};
    SP_DEVICE_INTERFACE_DATA iface{sizeof iface};
    union {
        SP_DEVICE_INTERFACE_DETAIL_DATA_A detail;
        char space[1024];
    } path{};
    path.detail.cbSize = sizeof path.detail;
    std::string key = "System\\CurrentControlSet\\Control\\DeviceClasses\\{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}\\##?#";
    const DWORD one = 1;
    const bool linked = SetupDiOpenDeviceInfoA(set, instance, nullptr, 0, &device) &&
                        SetupDiCreateDeviceInterfaceA(set, &device, &imaging, nullptr, 0, &iface) &&
                        SetupDiGetDeviceInterfaceDetailA(set, &iface, &path.detail, sizeof path, nullptr, nullptr) &&
                        RegGetValueA(HKEY_LOCAL_MACHINE, (key += path.detail.DevicePath + 4).c_str(), "DeviceInstance",
                                     RRF_RT_REG_SZ, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                        RegSetKeyValueA(HKEY_LOCAL_MACHINE, (key + "\\#\\Control").c_str(), "Linked", REG_DWORD, &one,
                                        sizeof one) == ERROR_SUCCESS;
    SetupDiDestroyDeviceInfoList(set);
    std::printf(linked ? "linked 1\n" : "no interface\n");
    return linked ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "register" && argc == 4) return std::printf("%d\n", RegisterScannerDevice(argv[2], argv[3])) < 0;
    if (command == "find" && argc == 3) return std::printf("%d\n", FindScannerDevice(argv[2])) < 0;
    if (command == "list") return List();
    if (command == "link" && argc == 3) return Link(argv[2]);
    std::fprintf(stderr, "device_check: unknown command or wrong arguments\n");
    return 2;
}
