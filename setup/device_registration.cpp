// Network scanner device registration and search, in the order the device installer needs them.
#include "setup/device_registration.h"

#include <cstring>
#include <new>
#include <string>

#include "platform/device_installer.h"
#include "platform/bounded_text.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "platform/system_error.h"

const unsigned char kImagingClassGuid[16] = {
    // {6BDD1FC6-810F-11D0-BEC7-08002BE2092F}: Data1, Data2 and Data3 little-endian, then Data4.
    0xC6, 0x1F, 0xDD, 0x6B, 0x0F, 0x81, 0xD0, 0x11, 0xBE, 0xC7, 0x08, 0x00, 0x2B, 0xE2, 0x09, 0x2F};

namespace {

// The INF path and the hardware ID are held in zero-filled buffers of this size; the zero fill
// gives the hardware ID's multi-string its closing second NUL.
constexpr size_t kRegistrationBuffer = 260;

// Copies text, cut to leave reserved zero bytes at the end of out: one for a plain text (the INF
// path keeps all of its 259 characters), two for a multi-string (the hardware ID list needs its
// closing second NUL).
void CopyBounded(char (&out)[kRegistrationBuffer], const char* text, size_t reserved)
{
    std::memset(out, 0, sizeof out);
    if (text == nullptr) return;
    for (size_t i = 0; i + reserved < sizeof out && text[i] != '\0'; ++i) out[i] = text[i];
}

}  // namespace

namespace {

int FindUntraced(const char* description)
{
    const char* wanted = description != nullptr ? description : "";
    DeviceListHandle list = nullptr;
    if (DeviceInstaller::OpenPresentImagingDevices(&list) != kDiOk) return kFindNoList;

    bool found = false;
    for (uint32_t index = 0; !found; ++index) {
        const int selected = DeviceInstaller::SelectDevice(list, index);
        if (selected == kDiNoMoreItems) break;
        if (selected != kDiOk) {
            DeviceInstaller::DestroyDeviceList(list);
            return kFindNoList;
        }
        size_t needed = 0;
        if (DeviceInstaller::GetDeviceDescription(list, nullptr, 0, &needed) != kDiMoreData || needed == 0) continue;
        char* text = new (std::nothrow) char[needed];
        if (text == nullptr) {
            DeviceInstaller::DestroyDeviceList(list);
            return kFindNoMemory;
        }
        if (DeviceInstaller::GetDeviceDescription(list, text, needed, &needed) == kDiOk)
            found = AsciiEqualNoCase(text, wanted);
        delete[] text;
    }
    DeviceInstaller::DestroyDeviceList(list);
    return found ? kFindFound : kFindAbsent;
}

int RegisterUntraced(const char* infPath, const char* hardwareId)
{
    char inf[kRegistrationBuffer];
    char ids[kRegistrationBuffer];
    CopyBounded(inf, infPath, 1);
    CopyBounded(ids, hardwareId, 2);

    if (!Files::Exists(inf)) return kRegisterNoInf;

    SetupClass setupClass{};
    if (DeviceInstaller::GetInfClass(inf, &setupClass) != kDiOk) return kRegisterNotCreated;

    DeviceListHandle list = nullptr;
    if (DeviceInstaller::CreateDeviceList(setupClass, &list) != kDiOk) return kRegisterNotCreated;

    const size_t idsSize = std::strlen(ids) + 2;
    if (DeviceInstaller::CreateDevice(list, setupClass) != kDiOk ||
        DeviceInstaller::SetHardwareIds(list, ids, idsSize) != kDiOk ||
        DeviceInstaller::RegisterDevice(list) != kDiOk) {
        DeviceInstaller::DestroyDeviceList(list);
        return kRegisterNotCreated;
    }

    // The driver installer may take long; the INF may have gone meanwhile.
    if (!Files::Exists(inf)) {
        DeviceInstaller::DestroyDeviceList(list);
        return kRegisterNoInf;
    }
    DeviceInstaller::InstallDriverFromInf(ids, inf);
    DeviceInstaller::DestroyDeviceList(list);
    return kRegisterDone;
}

}  // namespace

int FindScannerDevice(const char* description)
{
    const int result = FindUntraced(description);
    Diagnostics::Event("device-find", {{"description", description != nullptr ? description : ""},
                                       {"result", std::to_string(result)},
                                       {"error", std::to_string(Platform::LastSystemError())}});
    return result;
}

int RegisterScannerDevice(const char* infPath, const char* hardwareId)
{
    const int result = RegisterUntraced(infPath, hardwareId);
    Diagnostics::Event("device-register", {{"inf", infPath != nullptr ? infPath : ""},
                                           {"hardware_id", hardwareId != nullptr ? hardwareId : ""},
                                           {"result", std::to_string(result)},
                                           {"error", std::to_string(Platform::LastSystemError())}});
    return result;
}
