// The commit flow: device registration, then the connection completed by launch mode.
#include "app/commit_flow.h"

#include <string>

#include "app/handoff.h"
#include "product/protocol.h"
#include "product/string_table.h"
#include "product/product.h"
#include "platform/bounded_text.h"
#include "platform/wait_cursor.h"
#include "platform/windowing.h"
#include "setup/connection_services.h"
#include "setup/device_registration.h"
#include "setup/settings_store.h"
#include "setup/stored_connection.h"
#include "ui/sel_connect_dialog.h"
#include "ui/set_ip_dialog.h"

namespace {

// Room for a message text from the string file and for the formatted closing message.
constexpr size_t kMessageCapacity = 1040;

void ShowUsbClosingMessage()
{
    char format[kMessageCapacity] = {};
    StringTable::Get(Key::STR_DEVICE_CONNECT, format, sizeof format);
    // The name is held in a 32-byte field, as every name of the product.
    std::string productName = ProductDisplayName(Products::Current());
    if (productName.size() > 31) productName.resize(31);
    char text[kMessageCapacity + 32] = {};
    FormatProductMessage(format, productName.c_str(), text, sizeof text);
    Windowing::ShowMessageBox(nullptr, text, Titles::Device().c_str(),
                              Windowing::kMbTopmost | Windowing::kMbIconInformation);
}

// Takes the closing message's place when the device could not be registered: the scanner is not
// ready, whatever the connection.
void ShowRegisterFailedMessage()
{
    char text[kMessageCapacity] = {};
    StringTable::Get(Key::STR_M_REGISTER_FAILED, text, sizeof text);
    Windowing::ShowMessageBox(nullptr, text, Titles::Device().c_str(), Windowing::kMbTopmost | Windowing::kMbIconError);
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
        StringTable::Get(Key::STR_M_UNFINISH_NETSETTING, text, sizeof text);
        Windowing::ShowMessageBox(nullptr, text, Titles::Device().c_str(),
                                  Windowing::kMbTopmost | Windowing::kMbIconWarning);
    }
    return 0;
}

int CommitConnection(const StartupRequest& request)
{
    const ConnectionServices& services = Services();
    if (!HandoffProceeds("commit", request.launchMode)) return 0;

    const Product& product = Products::Current();
    const std::string infPath = InfPath(product);

    // In maintenance mode a device that is already present (or a failed search) skips the
    // registration, and the search's result becomes the flow's result.
    int result = 0;
    bool registerDevice = true;
    if (request.maintenance) {
        result = services.FindScannerDevice(product.deviceDescription);
        registerDevice = (result == kFindAbsent);
    }
    bool registrationFailed = false;
    if (registerDevice) {
        WaitCursor wait;
        result = services.RegisterScannerDevice(infPath.c_str(), product.hardwareId);
        registrationFailed = result == kRegisterNoInf || result == kRegisterNotCreated;
        // The flow's result keeps its two registration codes: a node that could not be made is 0.
        if (result == kRegisterNotCreated) result = kRegisterDone;
    }

    // The USB branch ends with the closing message that the scanner is ready, or, when the
    // registration failed, with the failure instead (shown in maintenance mode too, not under quiet).
    const bool closingMessage = !request.quiet && !request.maintenance;
    auto finishUsb = [&] {
        if (registrationFailed) {
            if (!request.quiet) ShowRegisterFailedMessage();
        } else if (closingMessage) {
            ShowUsbClosingMessage();
        }
    };
    switch (request.launchMode) {
    case AskPort: {
        // USB is the choice offered first.
        CSelConnectDlg dialog(kConnectionUsb);
        if (dialog.DoModal() == Windowing::kIdOk) {
            if (dialog.Connection() == kConnectionNetwork) {
                RunAddressDialog();
            } else if (dialog.Connection() == kConnectionUsb) {
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
        const char* address = request.givenAddress.c_str();
        AddressCheckResult check;
        services.CheckAddress(address, kProtocolIPv4, "", check);
        const bool answered = check.outcome == kCheckProductAnswered;
        const char* mac = answered ? check.macAddress : "";
        // A given address is no host name: a HostName stored before is removed with it.
        const bool saved = services.Save(address, mac, "", 0, 1) == kSaveOk &&
                           MarkAuthenticated(answered && check.authenticated) && MarkHostName("");
        if (!saved && !request.quiet) {
            char text[kMessageCapacity] = {};
            StringTable::Get(Key::STR_M_SAVE_FAILED, text, sizeof text);
            Windowing::ShowMessageBox(nullptr, text, Titles::Device().c_str(),
                                      Windowing::kMbTopmost | Windowing::kMbIconError);
        }
        break;
    }
    default:
        break;
    }
    return result;
}
