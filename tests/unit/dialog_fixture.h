// Shared set-up of the native dialog and commit-flow tests: both templates on the headless windowing
// layer, a string file, a private registry and data folder, a scripted network with a fake clock
// under the dialog's live search, and recorders standing in for device registration and the
// unicast check (they need the device installer and a network).
#pragma once
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <map>
#include <fstream>

#include "app/startup_request.h"
#include "discovery/address_text.h"
#include "discovery/discovery_search.h"
#include "tests/unit/fake_network.h"
#include "tests/unit/test_support.h"
#include "product/string_table.h"
#include "product/product.h"
#include "control/test_control.h"
#include "platform/message_box.h"
#include "doubles/registry_store.h"
#include "doubles/user_driver.h"
#include "doubles/windowing_headless.h"
#include "platform/system.h"
#include "platform/wait_cursor.h"
#include "setup/connection_services.h"
#include "setup/settings_store.h"
#include "setup/stored_connection.h"

namespace dialog_test {

using Windowing::WindowHandle;
using namespace Headless;

inline const char kStrings[] =
    "STR_OK=Fine\nSTR_BTN_CANCEL=Stop\nSTR_CMB_PROTOCOL_IPV4=IPv4\nSTR_CMB_PROTOCOL_IPV6=IPv6\n"
    "STR_M_IPERR=The address is not valid.\nSTR_RATIO_DLG_SETIP=1\nSTR_RATIO_DLG_SEL_CONNECT=1\n"
    "STR_DEVICE_CONNECT=The %s is ready, %s 100%% %d.\nSTR_M_UNFINISH_NETSETTING=Unfinished.\n"
    "STR_M_REGISTER_FAILED=Not registered.\nSTR_M_SAVE_FAILED=Not saved.\n"
    "STR_S_DEVNAME_7245MF=chromaline 7245MF\nSTR_M_NOT_VERIFIED=Nothing at %s. Store it?\n"
    "STR_S_SEARCHING=Searching\nSTR_S_FOUND=Found %d, 100% %s\nSTR_S_NONE_FOUND=None\nSTR_S_SEARCH_FAILED=Failed\n"
    "STR_S_TARGETS_REFUSED=Refused\nSTR_M_NAME_UNRESOLVED=No address for %s.\n"
    "STR_S_MOVED=Moved from %1 to %2 (%s %d)\nSTR_S_CHECKING=Checking\nSTR_S_IPLST_TIP_SERIAL=Serial %s\n"
    "STR_S_TARGET_LINE=Line %1: %2\nSTR_S_TARGET_BAD_BLOCK=bad block\nSTR_S_TARGET_TOO_MANY=too many\n"
    "STR_M_TARGETS_SAVE_FAILED=Targets not saved.\n";

// The network under the dialog's live search (Services().SearchTransport); fresh for each test.
inline FakeNetwork net;

// What the stand-ins answer and what they saw; reset by DialogTest::Fresh.
struct Recorder {
    // The blocking discovery of the command-line modes: the n-th call finds answers[n] (or the last);
    // "passes protocol waitCursors" of each call.
    std::vector<std::vector<DeviceRecord>> answers{{}};
    std::vector<std::string> discoveries;
    std::vector<SkippedAdapter> skipped;  // what every discovery reports skipped
    int discoveryResult = 0;
    std::vector<int> registrations;  // the wait cursors shown during each call
    std::string saves;               // "address|MAC|adapter|protocol|direct;" for each call, also stored for real
    int finds = 0, findResult = 5, registerResult = 0;
    // The unicast check: what it answers, and "address|protocol|adapter;" for each call.
    int checkOutcome = kCheckProductAnswered;
    std::string checkMac, checkAdapter, checks;
    bool checkVerified = false;                // the check's answer was a verified SNMPv3 one
    std::map<std::string, std::string> names;  // the resolver: the address text of each known name
};
inline Recorder rec;

// An answer of a scanner of the current product from 198.51.100.last (IPv4) or fe80::last (IPv6),
// with the MAC 02:00:00:00:00:last, arriving delayMs after the request.
inline Datagram ScannerAt(std::uint8_t last, int delayMs = 0, int family = kUdpIPv4)
{
    const char* model = Products::Current().modelOid;
    UdpAddress from{family, {198, 51, 100, last}, 161, 0};
    if (family == kUdpIPv6)
        from = UdpAddress{family, {0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, last}, 161, 0};
    return {ScannerAnswer(model, "1.3.6.1.4.1.9", Bytes{2, 0, 0, 0, 0, last}), from, delayMs};
}

inline DeviceRecord Scanner(const char* address, const char* mac, const char* adapter = "", int ipVersion = 4)
{
    DeviceRecord r = EmptyDeviceRecord();
    r.ipVersion = ipVersion;
    CopyField(r.address, sizeof r.address, address);
    CopyField(r.macAddress, sizeof r.macAddress, mac);
    CopyField(r.adapterName, sizeof r.adapterName, adapter);
    return r;
}

// Lets the dialog's search run on: the clock moves by kSearchStepMs and the timers fire, until
// the search's timer has stopped or ms have passed.
inline void RunSearch(int ms = 60000)
{
    for (int t = 0; t < ms && !ActiveTimers().empty(); t += kSearchStepMs) {
        net.Pause(kSearchStepMs);
        FireTimers();
    }
}

inline ConnectionServices TestServices()
{
    ConnectionServices s = RealConnectionServices();
    s.SearchTransport = []() -> DiscoveryTransport& { return net; };
    s.RunDiscovery = [](DeviceList& list, int& selectedIndex, int passes, const PassTiming&, int protocol,
                        std::vector<SkippedAdapter>* skipped, const SearchTargets&) {
        rec.discoveries.push_back(std::to_string(passes) + " " + std::to_string(protocol) + " " +
                                  std::to_string(WaitCursor::Depth()));
        list.Clear();
        for (const auto& r : rec.answers[std::min(rec.discoveries.size(), rec.answers.size()) - 1]) list.Append(r);
        selectedIndex = list.Empty() ? -1 : 0;
        if (skipped != nullptr) *skipped = rec.skipped;
        return rec.discoveryResult;
    };
    s.Save = [](const char* address, const char* mac, const char* adapter, int protocol, int direct) {
        rec.saves += std::string(address) + "|" + mac + "|" + adapter + "|" + std::to_string(protocol) + "|" +
                     std::to_string(direct) + ";";
        return SettingsStore::Save(address, mac, adapter, protocol, direct);
    };
    s.FindScannerDevice = [](const char*) { return ++rec.finds, rec.findResult; };
    s.CheckAddress = [](const char* address, int protocol, const char* adapter, AddressCheckResult& result) {
        rec.checks += std::string(address) + "|" + std::to_string(protocol) + "|" + adapter + ";";
        result = AddressCheckResult{};
        result.outcome = rec.checkOutcome;
        result.authenticated = rec.checkVerified;
        CopyField(result.macAddress, sizeof result.macAddress, rec.checkMac.c_str());
        CopyField(result.adapterName, sizeof result.adapterName, rec.checkAdapter.c_str());
    };
    // The check and then, unless it brought the stored MAC address, the search: the order of events
    // the real side-by-side run gives on a network (stored_follow_test.cpp runs it on a scripted one).
    s.FollowStored = [](const StoredConnection& stored, const SearchTargets& targets, FollowResult& r) {
        Services().CheckAddress(stored.address.c_str(), stored.protocol, stored.adapterName.c_str(), r.check);
        r.found.Clear();
        r.searchResult = kRunDiscoveryOk;
        if (AnsweredAsStored(stored, r.check)) return;
        int selected = -1;
        r.searchResult = Services().RunDiscovery(r.found, selected, kCommandLinePasses, kCommandLinePassTiming,
                                                 stored.protocol, &r.skipped, targets);
    };
    s.ResolveName = [](const char* name, int family, std::vector<UdpAddress>* addresses) {
        UdpAddress a;
        char zone[64];
        const bool known = rec.names.count(name) != 0 &&
                           ParseAddressText(rec.names[name].c_str(), family == kUdpIPv6, a, zone, sizeof zone);
        *addresses = known ? std::vector<UdpAddress>{a} : std::vector<UdpAddress>{};
        return known ? kResolveOk : kResolveNotFound;
    };
    s.RegisterScannerDevice = [](auto, auto) {
        return rec.registrations.push_back(WaitCursor::Depth()), rec.registerResult;
    };
    return s;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Fresh();
        Platform::SetMessageBoxCapture(true);
        std::ofstream(root_ / "s.tbl", std::ios::binary) << kStrings;
        ASSERT_EQ(0, StringTable::Load((root_ / "s.tbl").c_str()));
        Products::SetCurrent(*Products::ByCode("R7245"));  // offers IPv6
        Titles::Load();
    }
    void TearDown() override
    {
        Reset();
        StringTable::Clear();
        // Back to the private registry file the whole suite uses, never the user's own.
        PosixRegistry::SetStoreFile((root_.parent_path() / ("sl-registry-" + std::to_string(::getpid()))).string());
        Platform::ClearTestOverrides();
        Platform::ClearRecordedMessageBoxes();
        std::filesystem::remove_all(root_);
    }
    // Starts over: no registry, no data file, no recorded calls or boxes, the three templates.
    void Fresh()
    {
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "appdata");
        PosixRegistry::SetStoreFile((root_ / "registry").string());
        Platform::SetTestShellFolder(Platform::kFolderCommonAppData, (root_ / "appdata").string().c_str());
        Platform::ClearRecordedMessageBoxes();
        Reset();
        // The templates in pixels, controls in the tab order of the resource module.
        using K = Kind;
        const uint32_t t = Windowing::kWsTabStop, g = Windowing::kWsGroup | t;
        const uint32_t frame = Windowing::kWsCaption | Windowing::kWsSysMenu;
        AddTemplate({3005,
                     "Address",
                     100,
                     100,
                     420,
                     390,
                     frame,
                     {{2153, K::Static, 10, 14, 90, 13, 0, "&Protocol:"},
                      {2152, K::ComboBox, 105, 11, 135, 20, g, ""},
                      {3007, K::Radio, 10, 45, 393, 16, g, "&Select"},
                      {3006, K::Radio, 10, 244, 393, 16, 0, "&Enter"},
                      {3009, K::ListView, 28, 68, 375, 130, g, ""},
                      {3011, K::Static, 28, 206, 210, 36, 0, ""},
                      {3012, K::Progress, 244, 212, 78, 12, 0, ""},
                      {3010, K::Button, 328, 206, 75, 23, t, "Search"},
                      {2154, K::Static, 28, 271, 90, 13, g - t, "&IP:"},
                      {3008, K::Edit, 123, 268, 280, 23, t, ""},
                      {3019, K::Button, 10, 327, 135, 23, g, "Other"},
                      {1, K::Button, 247, 327, 75, 23, g, "OK"},
                      {2, K::Button, 328, 327, 75, 23, t, "Cancel"}}});
        AddTemplate({3020,
                     "Other",
                     120,
                     120,
                     345,
                     290,
                     frame,
                     {{3021, K::Static, 10, 10, 324, 52, 0, ""},
                      {3022, K::Edit, 10, 66, 324, 140, t, ""},
                      {3023, K::Static, 10, 212, 324, 32, 0, ""},
                      {1, K::Button, 178, 250, 75, 23, g, "OK"},
                      {2, K::Button, 259, 250, 75, 23, t, "Cancel"}}});
        AddTemplate({3000,
                     "Connection",
                     100,
                     100,
                     336,
                     200,
                     frame,
                     {{3001, K::Static, 10, 11, 309, 26, 0, "How?"},
                      {3003, K::Radio, 21, 44, 288, 16, g, "&USB"},
                      {3004, K::Radio, 21, 67, 288, 16, 0, "&Network"},
                      {2148, K::CheckBox, 10, 96, 309, 16, g, "&No"},
                      {2151, K::Static, 10, 122, 309, 2, 0, ""},
                      {1, K::Button, 163, 135, 75, 23, g, "OK"},
                      {2, K::Button, 244, 135, 75, 23, t, "Cancel"}}});
        rec = Recorder{};
        net = FakeNetwork{};
        net.adapters = {{kIfTypeEthernet, kOperUp, 2, 2, "eth0"}, {kIfTypeEthernet, kOperUp, 3, 3, "eth1"}};
    }
    static std::string Key() { return SettingsKey(Products::Current()); }
    // A value of the variant's key, "<missing>" when absent; a small DWORD reads as one character ("\2").
    static std::string RegValue(const char* n) { return SettingsStore::ReadRegString(Key().c_str(), n, "<missing>"); }
    static std::string Text(WindowHandle d, int id)
    {
        char text[300] = {};
        Windowing::GetItemText(d, id, text, sizeof text);
        return text;
    }
    static bool Enabled(WindowHandle d, int id) { return Windowing::IsWindowEnabledNow(Windowing::ItemOf(d, id)); }
    // The texts of the message boxes shown (not the string table's own complaints).
    static std::vector<std::string> Boxes()
    {
        std::vector<std::string> texts;
        for (const auto& box : Platform::RecordedMessageBoxes())
            if (!box.framework) texts.push_back(box.text + (box.style == 0x40030 ? " (warning)" : ""));
        return texts;
    }

    // A request of the installer's launch mode and flags, with "ip:" given.
    static StartupRequest Request(int mode, int quiet, int maintenance, const char* given = "192.168.1.20")
    {
        StartupRequest request;
        request.launchMode = static_cast<LaunchMode>(mode);
        request.quiet = quiet != 0;
        request.maintenance = maintenance != 0;
        request.givenAddress = given;
        return request;
    }

    ScopedConnectionServices services_{TestServices()};
    std::filesystem::path root_ = std::filesystem::temp_directory_path() / ("sl-dialog-" + std::to_string(::getpid()));
};

}  // namespace dialog_test
