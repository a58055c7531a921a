// The native device installer stand-in: INF classes read from the file, devices kept in memory.
#include "platform/device_installer.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <new>

#include "doubles/device_store.h"

namespace {

struct State {
    std::vector<PosixDevices::Device> devices;
    std::vector<std::string> calls;
    bool listingFails = false;
    int walkFailsAt = -1;
    bool driverInstallerAvailable = true;
    std::function<void()> afterRegister;
};

State& TheState()
{
    static State state;
    return state;
}

// A list: either a snapshot of present imaging devices, or one device being made.
struct DeviceList {
    std::vector<PosixDevices::Device> members;
    int selected = -1;
    bool creating = false;
};

DeviceList* AsList(DeviceListHandle handle)
{
    return static_cast<DeviceList*>(handle);
}

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    const size_t last = text.find_last_not_of(" \t\r\n");
    std::string trimmed = text.substr(first, last - first + 1);
    if (trimmed.size() >= 2 && trimmed.front() == '"' && trimmed.back() == '"')
        trimmed = trimmed.substr(1, trimmed.size() - 2);
    return trimmed;
}

// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" into the Windows GUID byte layout.
bool ParseGuid(const std::string& text, unsigned char (&guid)[16])
{
    unsigned long d1 = 0;
    unsigned d2 = 0, d3 = 0, b[8] = {};
    char close = 0;
    if (text.size() != 38 ||
        std::sscanf(text.c_str(), "{%8lx-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x%c", &d1, &d2, &d3, &b[0], &b[1], &b[2],
                    &b[3], &b[4], &b[5], &b[6], &b[7], &close) != 12 ||
        close != '}')
        return false;
    for (int i = 0; i < 4; ++i) guid[i] = static_cast<unsigned char>(d1 >> (8 * i));
    guid[4] = static_cast<unsigned char>(d2);
    guid[5] = static_cast<unsigned char>(d2 >> 8);
    guid[6] = static_cast<unsigned char>(d3);
    guid[7] = static_cast<unsigned char>(d3 >> 8);
    for (int i = 0; i < 8; ++i) guid[8 + i] = static_cast<unsigned char>(b[i]);
    return true;
}

std::string FirstId(const std::string& multiString)
{
    return std::string(multiString.c_str());
}

}  // namespace

namespace PosixDevices {

void Reset()
{
    TheState() = State();
}

}  // namespace PosixDevices

namespace DeviceInstaller {

DiStatus OpenPresentImagingDevices(DeviceListHandle* list)
{
    State& state = TheState();
    state.calls.push_back("OpenPresentImagingDevices");
    if (state.listingFails || list == nullptr) return kDiFailed;
    DeviceList* made = new (std::nothrow) DeviceList;
    if (made == nullptr) return kDiFailed;
    for (const PosixDevices::Device& device : state.devices)
        if (device.imagingInterface) made->members.push_back(device);
    *list = made;
    return kDiOk;
}

DiStatus SelectDevice(DeviceListHandle handle, uint32_t index)
{
    DeviceList* list = AsList(handle);
    if (list == nullptr) return kDiFailed;
    list->selected = -1;
    if (TheState().walkFailsAt >= 0 && index == static_cast<uint32_t>(TheState().walkFailsAt)) return kDiFailed;
    if (index >= list->members.size()) return kDiNoMoreItems;
    list->selected = static_cast<int>(index);
    return kDiOk;
}

DiStatus GetDeviceDescription(DeviceListHandle handle, char* buffer, size_t size, size_t* needed)
{
    DeviceList* list = AsList(handle);
    if (list == nullptr || list->selected < 0 || needed == nullptr) return kDiFailed;
    const std::string& text = list->members[static_cast<size_t>(list->selected)].description;
    if (text.empty()) return kDiFailed;
    *needed = text.size() + 1;
    if (buffer == nullptr || size < text.size() + 1) return kDiMoreData;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return kDiOk;
}

DiStatus GetInfClass(const char* infPath, SetupClass* setupClass)
{
    TheState().calls.push_back("GetInfClass");
    if (infPath == nullptr || setupClass == nullptr) return kDiFailed;
    std::ifstream in(infPath, std::ios::binary);
    if (!in) return kDiFailed;
    std::string line, section, className, classGuid;
    while (std::getline(in, line)) {
        const std::string text = Trim(line.substr(0, line.find(';')));
        if (text.empty()) continue;
        if (text.front() == '[') {
            section = Upper(text);
            continue;
        }
        if (section != "[VERSION]") continue;
        const size_t equals = text.find('=');
        if (equals == std::string::npos) continue;
        const std::string name = Upper(Trim(text.substr(0, equals)));
        if (name == "CLASS") className = Trim(text.substr(equals + 1));
        if (name == "CLASSGUID") classGuid = Trim(text.substr(equals + 1));
    }
    SetupClass parsed{};
    if (className.empty() || className.size() >= kClassNameSize || !ParseGuid(classGuid, parsed.guid)) return kDiFailed;
    std::memcpy(parsed.name, className.c_str(), className.size() + 1);
    *setupClass = parsed;
    return kDiOk;
}

DiStatus CreateDeviceList(const SetupClass& setupClass, DeviceListHandle* list)
{
    TheState().calls.push_back("CreateDeviceList");
    if (list == nullptr) return kDiFailed;
    DeviceList* made = new (std::nothrow) DeviceList;
    if (made == nullptr) return kDiFailed;
    made->creating = true;
    *list = made;
    return kDiOk;
}

DiStatus CreateDevice(DeviceListHandle handle, const SetupClass& setupClass)
{
    TheState().calls.push_back("CreateDevice");
    DeviceList* list = AsList(handle);
    if (list == nullptr || !list->creating || setupClass.name[0] == '\0') return kDiFailed;
    // A generated instance ID: the first free number below ROOT\<CLASS>.
    const std::string stem = "ROOT\\" + Upper(setupClass.name) + "\\";
    for (unsigned number = 0; number < 10000; ++number) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%04u", number);
        const std::string id = stem + digits;
        bool taken = false;
        for (const PosixDevices::Device& device : TheState().devices) taken = taken || device.instanceId == id;
        for (const PosixDevices::Device& device : list->members) taken = taken || device.instanceId == id;
        if (taken) continue;
        PosixDevices::Device device;
        device.instanceId = id;
        device.className = setupClass.name;
        std::memcpy(device.classGuid, setupClass.guid, sizeof device.classGuid);
        list->members.push_back(device);
        list->selected = static_cast<int>(list->members.size() - 1);
        return kDiOk;
    }
    return kDiFailed;
}

DiStatus SetHardwareIds(DeviceListHandle handle, const char* multiString, size_t size)
{
    TheState().calls.push_back("SetHardwareIds");
    DeviceList* list = AsList(handle);
    if (list == nullptr || list->selected < 0 || multiString == nullptr) return kDiFailed;
    list->members[static_cast<size_t>(list->selected)].hardwareIds.assign(multiString, size);
    return kDiOk;
}

DiStatus RegisterDevice(DeviceListHandle handle)
{
    TheState().calls.push_back("RegisterDevice");
    DeviceList* list = AsList(handle);
    if (list == nullptr || list->selected < 0) return kDiFailed;
    TheState().devices.push_back(list->members[static_cast<size_t>(list->selected)]);
    if (TheState().afterRegister) TheState().afterRegister();
    return kDiOk;
}

void DestroyDeviceList(DeviceListHandle handle)
{
    TheState().calls.push_back("DestroyDeviceList");
    delete AsList(handle);
}

int InstallDriverFromInf(const char* hardwareId, const char* infPath)
{
    State& state = TheState();
    const std::string id = hardwareId != nullptr ? hardwareId : "";
    const std::string inf = infPath != nullptr ? infPath : "";
    state.calls.push_back("InstallDriverFromInf " + id + "|" + inf);
    if (!state.driverInstallerAvailable) return kDriverUnavailable;
    for (PosixDevices::Device& device : state.devices)
        if (Upper(FirstId(device.hardwareIds)) == Upper(id)) device.driverInf = inf;
    return kDriverCalled;
}

}  // namespace DeviceInstaller
