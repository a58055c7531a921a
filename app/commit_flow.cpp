// The commit flow: device registration, then the connection completed by launch mode.
#include "app/commit_flow.h"

#include <string>

#include "app/handoff.h"
#include "app/scanlink_app.h"
#include "product/protocol.h"
#include "product/string_table.h"
#include "product/variant_table.h"
#include "platform/bounded_text.h"
#include "platform/wait_cursor.h"
#include "platform/windowing.h"
#include "setup/connection_services.h"
#include "setup/device_registration.h"
#include "setup/settings_store.h"
#include "ui/sel_connect_dialog.h"
#include "ui/set_ip_dialog.h"

namespace {

// Room for a message text from the string file and for the formatted closing message.
constexpr size_t kMessageCapacity = 1040;

void ShowUsbClosingMessage()
{
    char format[kMessageCapacity] = {};
    StringTable::Get("STR_DEVICE_CONNECT", format, sizeof format);
    char productName[32] = {};
    VariantTable::Get(kProductDisplayName, productName, sizeof productName);
    char text[kMessageCapacity + 32] = {};
    FormatProductMessage(format, productName, text, sizeof text);
    Windowing::ShowMessageBox(nullptr, text, VariantTable::DeviceTitle().c_str(),
                              Windowing::kMbTopmost | Windowing::kMbIconInformation);
}

// Takes the closing message's place when the device could not be registered: the scanner is not
// ready, whatever the connection.
void ShowRegisterFailedMessage()
{
    char text[kMessageCapacity] = {};
    StringTable::Get("STR_M_REGISTER_FAILED", text, sizeof text);
    Windowing::ShowMessageBox(nullptr, text, VariantTable::DeviceTitle().c_str(),
                              Windowing::kMbTopmost | Windowing::kMbIconError);
}

}  // namespace

void FormatProductMessage(const char* format, const char* productName, char* text, size_t capacity)
{
    BoundedCopy(text, capacity, StringTable::FormatWithName(format, productName).c_str());
}

int RunAddressDialog()
{
    CSetIPDlg dialog;
    if (dialog.DoModal() == Windowing::kIdCancel) {
        char text[kMessageCapacity] = {};
        StringTable::Get("STR_M_UNFINISH_NETSETTING", text, sizeof text);
        Windowing::ShowMessageBox(nullptr, text, VariantTable::DeviceTitle().c_str(),
                                  Windowing::kMbTopmost | Windowing::kMbIconWarning);
    }
    return 0;
}

int CommitConnection()
{
    CQuilScanLinkApp& app = TheApp();
    const ConnectionServices& services = Services();
    TraceHandoff(("hand-off: commit mode " + std::to_string(app.m_nLaunchMode)).c_str());
    if (HandoffStopRequested()) {
        return 0;
    }

    char hardwareId[64] = {};
    char infPath[260] = {};
    VariantTable::Get(kHardwareId, hardwareId, sizeof hardwareId);
    VariantTable::Get(kInfPath, infPath, sizeof infPath);

    // In maintenance mode a device that is already present (or a failed search) skips the
    // registration, and the search's result becomes the flow's result.
    int result = 0;
    bool registerDevice = true;
    if (app.m_bMaintenance) {
        char description[64] = {};
        VariantTable::Get(kDeviceDescription, description, sizeof description);
        result = services.FindScannerDevice(description);
        registerDevice = (result == kFindAbsent);
    }
    bool registrationFailed = false;
    if (registerDevice) {
        WaitCursor wait;
        result = services.RegisterScannerDevice(infPath, hardwareId);
        registrationFailed = result == kRegisterNoInf || result == kRegisterNotCreated;
        // The flow's result keeps its two registration codes: a node that could not be made is 0.
        if (result == kRegisterNotCreated) result = kRegisterDone;
    }

    // The USB branch ends with the closing message that the scanner is ready, or, when the
    // registration failed, with the failure instead (shown in maintenance mode too, not under quiet).
    const bool closingMessage = !app.m_bQuiet && !app.m_bMaintenance;
    auto finishUsb = [&] {
        if (registrationFailed) {
            if (!app.m_bQuiet) ShowRegisterFailedMessage();
        } else if (closingMessage) {
            ShowUsbClosingMessage();
        }
    };
    switch (app.m_nLaunchMode) {
    case AskPort: {
        CSelConnectDlg dialog(app.m_nConnection);
        if (dialog.DoModal() == Windowing::kIdOk) {
            app.m_nConnection = dialog.Connection();
            if (app.m_nConnection == kConnectionNetwork) {
                RunAddressDialog();
            } else if (app.m_nConnection == kConnectionUsb) {
                finishUsb();
            }
        }
        break;
    }
    case UsbPort:
        finishUsb();
        break;
    case NetworkPort:
        RunAddressDialog();
        break;
    case GivenAddress: {
        // The address is checked as a typed one, but nothing is asked: it is stored in any case,
        // with the MAC address when a scanner of this product answered. No dialog to keep open: a
        // save that failed is only reported (not under quiet).
        AddressCheckResult check;
        services.CheckAddress(app.m_szGivenAddress, kProtocolIPv4, "", check);
        const char* mac = check.outcome == kCheckProductAnswered ? check.macAddress : "";
        if (services.Save(app.m_szGivenAddress, mac, "", 0, 1) != kSaveOk && !app.m_bQuiet) {
            char text[kMessageCapacity] = {};
            StringTable::Get("STR_M_SAVE_FAILED", text, sizeof text);
            Windowing::ShowMessageBox(nullptr, text, VariantTable::DeviceTitle().c_str(),
                                      Windowing::kMbTopmost | Windowing::kMbIconError);
        }
        break;
    }
    default:
        break;
    }
    return result;
}
