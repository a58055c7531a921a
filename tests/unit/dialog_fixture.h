// Shared set-up of the native dialog and commit-flow tests: the two templates on the headless
// windowing layer, a string file, a private registry and data folder, and stand-ins for discovery
// and device registration.
//
// Stand-ins: discovery needs a network and registration the device installer, so both are
// replaced through ConnectionServices by recorders that answer what the test prepared. The
// settings store is the real one (natively its registry is the file-backed stand-in of
// platform/posix), wrapped so that every Save call is also recorded.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/scanlink_app.h"
#include "app/string_table.h"
#include "app/variant_table.h"
#include "platform/message_box.h"
#include "platform/posix/registry_store.h"
#include "platform/posix/windowing_headless.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/wait_cursor.h"
#include "platform/windowing.h"
#include "setup/connection_services.h"
#include "setup/settings_store.h"

namespace dialog_test {

using Windowing::WindowHandle;
using namespace Headless;

// Every text the two dialogs and the commit flow look up, in a string file.
inline const char* const kStrings[][2] = {
    {"STR_UI_MAIN", "Key caption"},
    {"STR_C_RAD_INPUT_IP", "Type the address"},
    {"STR_C_LABEL_PROTOCOL", "Protocol:"},
    {"STR_C_LABEL_IPADDRESS", "Address:"},
    {"STR_C_RAD_SEL_IP", "Pick from the list"},
    {"STR_C_BTN_UPDATE_IP", "Search again"},
    {"STR_OK", "Fine"},
    {"STR_BTN_CANCEL", "Stop"},
    {"STR_CMB_PROTOCOL_IPV4", "IPv4"},
    {"STR_CMB_PROTOCOL_IPV6", "IPv6"},
    {"STR_S_IPLST_CLMN_DEVNAME", "Device"},
    {"STR_S_IPLST_CLMN_IP", "IP address"},
    {"STR_M_IPERR", "The address is not valid."},
    {"STR_RATIO_DLG_SETIP", "1"},
    {"STR_RATIO_DLG_SEL_CONNECT", "1"},
    {"STR_TXT_SEL_CONNECT", "How is the scanner connected?"},
    {"STR_RAD_USB", "By USB"},
    {"STR_RAD_NETWRK", "By network"},
    {"STR_C_CHK_NONDISP_SEL_CONNECT_DLG", "Never ask"},
    {"STR_DEVICE_CONNECT", "The %s is ready on USB."},
    {"STR_M_UNFINISH_NETSETTING", "The network setting is unfinished."},
    {"STR_S_DEVNAME_7240MF", "chromaline 7240MF"},
    {"STR_S_DEVNAME_7245MF", "chromaline 7245MF"},
    {"STR_S_DEVNAME_5180MF", "chromaline 5180MF"},
};

// Template 3005 in pixels, in the tab order of the resource module.
inline Headless::DialogLayout SetIpTemplate()
{
    using Headless::Kind;
    const uint32_t tab = Windowing::kWsTabStop, group = Windowing::kWsGroup;
    return {3005, "Scanner address", 100, 100, 420, 390, Windowing::kWsCaption | Windowing::kWsSysMenu,
            {{2153, Kind::Static, 10, 14, 90, 13, 0, "&Protocol:"},
             {2152, Kind::ComboBox, 105, 11, 135, 20, group | tab, ""},
             {3007, Kind::Radio, 10, 45, 393, 16, group | tab, "&Select"},
             {3006, Kind::Radio, 10, 244, 393, 16, 0, "&Enter"},
             {3009, Kind::ListView, 28, 68, 375, 130, group | tab, ""},
             {3010, Kind::Button, 328, 206, 75, 23, tab, "Search a&gain"},
             {2154, Kind::Static, 28, 271, 90, 13, group, "&IP address:"},
             {3008, Kind::Edit, 123, 268, 280, 23, tab, ""},
             {1, Kind::Button, 247, 327, 75, 23, group | tab, "OK"},
             {2, Kind::Button, 328, 327, 75, 23, tab, "Cancel"}}};
}

// Template 3000 in pixels.
inline Headless::DialogLayout SelConnectTemplate()
{
    using Headless::Kind;
    const uint32_t tab = Windowing::kWsTabStop, group = Windowing::kWsGroup;
    return {3000, "Connection", 100, 100, 336, 200, Windowing::kWsCaption | Windowing::kWsSysMenu,
            {{3001, Kind::Static, 10, 11, 309, 26, 0, "How?"},
             {3003, Kind::Radio, 21, 44, 288, 16, group | tab, "&USB"},
             {3004, Kind::Radio, 21, 67, 288, 16, 0, "&Network"},
             {2148, Kind::CheckBox, 10, 96, 309, 16, group | tab, "&Do not show"},
             {2151, Kind::Static, 10, 122, 309, 2, 0, ""},
             {1, Kind::Button, 163, 135, 75, 23, group | tab, "OK"},
             {2, Kind::Button, 244, 135, 75, 23, tab, "Cancel"}}};
}

struct DiscoveryCall {
    int passes;
    int protocol;
    int waitDepth;  // wait cursors shown by the caller during the call
};
struct SaveCall {
    std::string address, macAddress, adapterName;
    int protocol, direct;
};
struct RegisterCall {
    std::string infPath, hardwareId;
    int waitDepth;
};

// What the stand-ins answer and what they saw. One instance, reset by the fixture.
struct Recorder {
    std::vector<std::vector<DeviceRecord>> answers;  // the n-th discovery finds answers[n] (or the last)
    std::vector<DiscoveryCall> discoveries;
    std::vector<SaveCall> saves;
    std::vector<std::string> finds;
    std::vector<RegisterCall> registrations;
    int findResult = 5;
    int registerResult = 0;
};
inline Recorder& Rec()
{
    static Recorder recorder;
    return recorder;
}

inline DeviceRecord Scanner(const char* address, const char* mac = "", const char* adapter = "", int ipVersion = 4)
{
    DeviceRecord r = EmptyDeviceRecord();
    r.ipVersion = ipVersion;
    CopyField(r.address, sizeof r.address, address);
    CopyField(r.macAddress, sizeof r.macAddress, mac);
    CopyField(r.adapterName, sizeof r.adapterName, adapter);
    return r;
}

inline int FakeDiscovery(DeviceList& list, int& selectedIndex, int passes, int protocol)
{
    Recorder& r = Rec();
    r.discoveries.push_back({passes, protocol, WaitCursor::Depth()});
    list.Clear();
    if (!r.answers.empty()) {
        const size_t n = std::min(r.discoveries.size() - 1, r.answers.size() - 1);
        for (const DeviceRecord& record : r.answers[n]) list.Append(record);
    }
    selectedIndex = list.Empty() ? -1 : 0;
    return 0;
}
inline void RecordingSave(const char* address, const char* mac, const char* adapter, int protocol, int direct)
{
    Rec().saves.push_back({address, mac, adapter, protocol, direct});
    SettingsStore::Save(address, mac, adapter, protocol, direct);
}
inline int FakeFind(const char* description)
{
    Rec().finds.push_back(description);
    return Rec().findResult;
}
inline int FakeRegister(const char* infPath, const char* hardwareId)
{
    Rec().registrations.push_back({infPath, hardwareId, WaitCursor::Depth()});
    return Rec().registerResult;
}

inline ConnectionServices TestServices()
{
    ConnectionServices s = RealConnectionServices();
    s.RunDiscovery = FakeDiscovery;
    s.Save = RecordingSave;
    s.FindScannerDevice = FakeFind;
    s.RegisterScannerDevice = FakeRegister;
    return s;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = std::filesystem::temp_directory_path() /
                ("sl-dialog-" + std::to_string(::getpid()) + "-" + std::to_string(++counter_));
        std::filesystem::create_directories(root_ / "appdata");
        PosixRegistry::SetStoreFile((root_ / "registry").string());
        Platform::SetTestShellFolder(Platform::kFolderCommonAppData, (root_ / "appdata").string().c_str());
        Platform::SetMessageBoxCapture(true);
        Platform::ClearRecordedMessageBoxes();
        Headless::Reset();
        Headless::AddTemplate(SetIpTemplate());
        Headless::AddTemplate(SelConnectTemplate());
        Rec() = Recorder{};
        app_.m_nVariant = 1;  // offers IPv6, product family 0
        app_.m_strAppTitle = "App Title";
        app_.m_strDeviceTitle = "VEL MORA chromaline 7245MF";
        LoadStrings();
    }
    void TearDown() override
    {
        Headless::Reset();
        StringTable::Clear();
        PosixRegistry::SetChangesRefused(false);
        // Back to the process's private registry file that the whole suite uses (see
        // posix_settings_registry_test.cpp), never the user's own.
        PosixRegistry::SetStoreFile(
            (std::filesystem::temp_directory_path() / ("sl-registry-" + std::to_string(::getpid()))).string());
        Platform::ClearTestOverrides();
        Platform::ClearRecordedMessageBoxes();
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    // Loads the string file with every key, some of them changed ("" drops a key).
    void LoadStrings(const std::vector<std::pair<std::string, std::string>>& changes = {})
    {
        StringTable::Clear();
        std::ostringstream file;
        for (const auto& entry : kStrings) {
            std::string text = entry[1];
            bool dropped = false;
            for (const auto& [key, changed] : changes) {
                if (key == entry[0]) {
                    dropped = changed.empty();
                    text = changed;
                }
            }
            if (!dropped) file << entry[0] << "=" << text << "\n";
        }
        const auto path = root_ / "strings.tbl";
        std::ofstream(path, std::ios::binary) << file.str();
        ASSERT_EQ(0, StringTable::Load(path.string().c_str()));
    }

    std::string Key() const
    {
        char key[260] = {};
        VariantTable::Get(kSettingsRegistryKey, key, sizeof key);
        return key;
    }
    // A value of the variant's key as text ("<missing>" when it or the key is absent); DWORDs in decimal.
    std::string RegValue(const char* name) const
    {
        RegKeyHandle key = nullptr;
        if (Registry::OpenUserKey(Key().c_str(), &key) != kRegOk) return "<missing>";
        char data[300] = {};
        uint32_t size = sizeof data - 1, type = 0;
        const int result = Registry::QueryValue(key, name, &type, data, &size);
        Registry::CloseUserKey(key);
        if (result != kRegOk) return "<missing>";
        if (type == kRegTypeDword) {
            uint32_t value = 0;
            std::memcpy(&value, data, sizeof value);
            return std::to_string(value);
        }
        return std::string(data);
    }
    // Forgets the registry and every data file written so far.
    void ForgetStored()
    {
        for (const auto& entry : std::filesystem::directory_iterator(root_)) {
            if (entry.path().filename() != "strings.tbl") std::filesystem::remove_all(entry.path());
        }
        std::filesystem::create_directories(root_ / "appdata");
    }
    void SetRegDword(const char* name, int value) { SettingsStore::WriteRegDword(Key().c_str(), name, value); }
    // The data file's bytes, "<missing>" when no ScanLink.dat was written anywhere in the private
    // folder (numbered folder names included).
    std::string DataFile() const
    {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root_)) {
            if (entry.path().filename() == "ScanLink.dat") {
                std::ifstream in(entry.path(), std::ios::binary);
                std::ostringstream text;
                text << in.rdbuf();
                return text.str();
            }
        }
        return "<missing>";
    }

    static std::string Text(WindowHandle dialog, int id)
    {
        char text[300] = {};
        Windowing::GetItemText(dialog, id, text, sizeof text);
        return text;
    }
    static bool Enabled(WindowHandle dialog, int id)
    {
        return Windowing::IsWindowEnabledNow(Windowing::ItemOf(dialog, id));
    }
    // The message boxes with texts of the string file (not the string table's own complaints).
    static std::vector<Platform::RecordedMessageBox> Boxes()
    {
        std::vector<Platform::RecordedMessageBox> boxes;
        for (const auto& box : Platform::RecordedMessageBoxes()) {
            if (!box.framework) boxes.push_back(box);
        }
        return boxes;
    }

    CQuilScanLinkApp app_;
    ScopedConnectionServices services_{TestServices()};
    std::filesystem::path root_;
    static inline int counter_ = 0;
};

}  // namespace dialog_test
