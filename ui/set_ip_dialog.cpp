// The scanner address dialog: opening, the two modes, discovery, protocol change, confirm, cancel.
#include "ui/set_ip_dialog.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "product/string_table.h"
#include "product/variant_table.h"
#include "platform/wait_cursor.h"
#include "setup/address_validation.h"
#include "setup/connection_services.h"
#include "setup/stored_connection.h"
#include "ui/dialog_texts.h"
#include "ui/layout_scaling.h"

using namespace Windowing;
using namespace SetIpIds;

namespace {

// The control-text table, in the order the texts are set; ID 0 is the dialog's caption.
constexpr ControlText kTexts[] = {
    {0, "STR_UI_MAIN"},
    {kRadioInput, "STR_C_RAD_INPUT_IP"},
    {kLabelProtocol, "STR_C_LABEL_PROTOCOL"},
    {kLabelAddress, "STR_C_LABEL_IPADDRESS"},
    {kRadioList, "STR_C_RAD_SEL_IP"},
    {kSearchAgain, "STR_C_BTN_UPDATE_IP"},
    {kIdOk, "STR_OK"},
    {kIdCancel, "STR_BTN_CANCEL"},
};

constexpr int kNoProtocol = -1;

// Passes of the opening discovery and of every later one.
constexpr int kOpeningPasses = 1;
constexpr int kLaterPasses = 2;

// The buffers of a confirmed choice, as the settings store takes them.
constexpr int kAddressCapacity = 128;
constexpr size_t kMacCapacity = 64;
constexpr size_t kAdapterCapacity = 260;
// The device name shown in every row: at most 31 characters.
constexpr size_t kDeviceNameCapacity = 32;
constexpr size_t kKeyCapacity = 260;

std::string SettingsKey()
{
    char key[kKeyCapacity] = {};
    VariantTable::Get(kSettingsRegistryKey, key, sizeof key);
    return key;
}

void DeviceName(char* name)
{
    name[0] = '\0';
    VariantTable::Get(kDeviceDisplayName, name, kDeviceNameCapacity);
}

// The width of text in the device context, 0 when it cannot be measured.
int TextWidth(DcHandle dc, const char* text)
{
    int width = 0;
    int height = 0;
    return TextExtent(dc, text, &width, &height) ? width : 0;
}

// After a search: the stored scanner's row (its MAC address, for the stored protocol) instead of
// the first, when it is listed.
void SelectStoredScanner(const DeviceList& list, int protocol, int& selectedIndex)
{
    StoredConnection stored;
    if (ReadStoredConnection(stored) == kStoredNone) return;
    const int index = StoredIndexIn(list, protocol, stored);
    if (index >= 0) selectedIndex = index;
}

// Back to the address field with its whole text selected.
void SelectAddressText(WindowHandle edit)
{
    EditSetSelection(edit, 0, -1);
    EditScrollCaret(edit);
    SetFocusTo(edit);
}

// The unicast check of a typed address. When a scanner of this product answers, its MAC address
// (and over IPv6 the adapter that reached it) go with the address; otherwise the user is asked
// (STR_M_NOT_VERIFIED, the address in its "%s") whether to store it all the same. False for No.
bool CheckTypedAddress(WindowHandle dialog, const char* address, int protocol, char* macAddress, char* adapterName)
{
    AddressCheckResult check;
    {
        WaitCursor wait;
        Services().CheckAddress(address, protocol, adapterName, check);
    }
    if (check.outcome == kCheckProductAnswered) {
        CopyField(macAddress, kMacCapacity, check.macAddress);
        if (protocol == kProtocolIPv6 && check.adapterName[0] != '\0')
            CopyField(adapterName, kAdapterCapacity, check.adapterName);
        return true;
    }
    char format[kDialogTextCapacity] = {};
    StringTable::Get("STR_M_NOT_VERIFIED", format, sizeof format);
    const std::string text = StringTable::FormatWithName(format, address);
    return ShowMessageBox(dialog, text.c_str(), VariantTable::AppTitle().c_str(),
                          kMbYesNo | Platform::kMbIconQuestion | kMbTopmost) == kIdYes;
}

}  // namespace

CSetIPDlg::CSetIPDlg() : CDialog(kTemplate)
{
    OnNotification(kRadioInput, kBnClicked, [this](const Notification&) { Refresh(); });
    OnNotification(kRadioList, kBnClicked, [this](const Notification&) { Refresh(); });
    OnNotification(kSearchAgain, kBnClicked, [this](const Notification&) { OnSearchAgain(); });
    OnNotification(kProtocolBox, kCbnSelChange, [this](const Notification&) { OnProtocolChange(); });
    OnNotification(kDeviceList, kLvnItemChanged, [this](const Notification& n) { OnListItemChanged(n); });
    OnNotification(kAddressEdit, kEnChange, [this](const Notification&) { OnAddressEdited(); });
}

bool CSetIPDlg::InInputMode() const
{
    return IsItemChecked(Handle(), kRadioInput);
}

int CSetIPDlg::ProtocolAt(int index) const
{
    return index < 0 ? kNoProtocol : static_cast<int>(ComboGetData(protocolBox_.Handle(), index));
}

int CSetIPDlg::SelectedProtocol() const
{
    return ProtocolAt(ComboGetSelection(protocolBox_.Handle()));
}

void CSetIPDlg::SetFilter(int protocol)
{
    addressEdit_.ipv4Filter = protocol == kProtocolIPv4 ? 1 : 0;
    addressEdit_.ipv6Filter = protocol == kProtocolIPv4 ? 0 : 1;
}

void CSetIPDlg::EnableOk(bool enabled)
{
    EnableWindowTo(Item(kIdOk), enabled);
}

bool CSetIPDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The controls with handling of their own, bound in the order list, button, box, field (the
    // list and the button are used through their IDs).
    protocolBox_.SubclassDlgItem(kProtocolBox, Handle());
    addressEdit_.SubclassDlgItem(kAddressEdit, Handle());

    // The small icon of the product family; the large icon is not set.
    const int family = VariantTable::GetInt(kProductFamily);
    SetSmallIcon(Handle(), LoadModuleIcon(family == 1 ? kIconFamily1 : kIconFamily0));

    SetControlTexts(Handle(), kTexts, std::size(kTexts));
    SetItemText(Handle(), 0, VariantTable::AppTitle().c_str());
    ScaleDialogLayout(Handle(), kRatioKeySetIp);

    // The protocol box: IPv4 always, IPv6 where the variant offers it. A missing text stages an
    // empty item, which the box draws as a separator.
    char text[kDialogTextCapacity] = {};
    StringTable::Get("STR_CMB_PROTOCOL_IPV4", text, sizeof text);
    CMyComboBox::StageItem(0, text, kProtocolIPv4);
    if (VariantTable::GetInt(kIpv6Available) == 1) {
        text[0] = '\0';
        StringTable::Get("STR_CMB_PROTOCOL_IPV6", text, sizeof text);
        CMyComboBox::StageItem(1, text, kProtocolIPv6);
    }
    protocolBox_.CommitItems();

    // The stored protocol ("ProtocolType"; 0 when the key or the value is missing); an item that
    // carries it, else the first item.
    int stored = kProtocolIPv4;
    if (Services().ReadRegDword(SettingsKey().c_str(), "ProtocolType", &stored) != 0) {
        stored = kProtocolIPv4;
    }
    protocolBox_.SelectByData(stored);

    // The filter follows the item the box really selected: a stored protocol that this variant
    // does not offer falls back to the IPv4 item, and the field must then take IPv4 text.
    SetFilter(SelectedProtocol());

    CheckItem(Handle(), kRadioList, true);
    // Discovery runs before the dialog is first shown.
    Services().RunDiscovery(deviceList, selectedIndex, kOpeningPasses, SelectedProtocol());
    SelectStoredScanner(deviceList, SelectedProtocol(), selectedIndex);

    // Columns: the device name column is as wide as the wider of the device name and its header,
    // measured in the dialog's device context as it comes (half the list without one); the
    // address column takes the rest of the list's outer width but 5 pixels.
    WindowHandle list = Item(kDeviceList);
    ListSetExtendedStyle(list, kLvsExFullRowSelect);
    const int listWidth = GetWindowRectangle(list).Width();
    char header0[kDialogTextCapacity] = {};
    char header1[kDialogTextCapacity] = {};
    StringTable::Get("STR_S_IPLST_CLMN_DEVNAME", header0, sizeof header0);
    char deviceName[kDeviceNameCapacity];
    DeviceName(deviceName);
    DcHandle dc = GetWindowDc(Handle());
    const int width0 = dc ? std::max(TextWidth(dc, deviceName), TextWidth(dc, header0)) : listWidth / 2;
    ListInsertColumn(list, 0, header0, width0, kLvcfmtLeft);
    StringTable::Get("STR_S_IPLST_CLMN_IP", header1, sizeof header1);
    ListInsertColumn(list, 1, header1, listWidth - width0 - 5, kLvcfmtLeft);

    Refresh();
    if (dc) {
        ReleaseWindowDc(Handle(), dc);
    }
    return true;
}

void CSetIPDlg::Refresh()
{
    const bool input = InInputMode();
    EnableWindowTo(Item(kLabelAddress), input);
    EnableWindowTo(Item(kAddressEdit), input);
    EnableWindowTo(Item(kDeviceList), !input);
    EnableWindowTo(Item(kSearchAgain), !input);

    // Every row shows the variant's device name; the rows differ in their addresses.
    WindowHandle list = Item(kDeviceList);
    char deviceName[kDeviceNameCapacity];
    DeviceName(deviceName);
    fillingList_ = true;
    ListDeleteAllRows(list);
    for (size_t i = 0; i < deviceList.Count(); ++i) {
        const int row = static_cast<int>(i);
        ListInsertRow(list, row, deviceName);
        ListSetSubItem(list, row, 1, deviceList.At(i).address);
    }
    if (!input && selectedIndex != -1) {
        ListSetItemState(list, selectedIndex, kLvisSelected | kLvisFocused, kLvisSelected | kLvisFocused);
        ListEnsureVisible(list, selectedIndex, true);
    }
    fillingList_ = false;

    if (input) {
        EnableOk(TextLength(Item(kAddressEdit)) > 0);
    } else {
        EnableOk(selectedIndex != -1);
    }
}

void CSetIPDlg::OnSearchAgain()
{
    WaitCursor wait;
    Services().RunDiscovery(deviceList, selectedIndex, kLaterPasses, SelectedProtocol());
    SelectStoredScanner(deviceList, SelectedProtocol(), selectedIndex);
    Refresh();
}

void CSetIPDlg::OnProtocolChange()
{
    const int oldProtocol = ProtocolAt(protocolBox_.lastSelection);
    const int newProtocol = SelectedProtocol();
    if (oldProtocol == newProtocol) {
        return;
    }
    WaitCursor wait;
    protocolBox_.SelectByData(newProtocol);
    SetFilter(newProtocol);
    // Emptying the field disables OK through the field's change handler; Refresh sets it again.
    SetText(Item(kAddressEdit), "");
    Services().RunDiscovery(deviceList, selectedIndex, kLaterPasses, SelectedProtocol());
    SelectStoredScanner(deviceList, SelectedProtocol(), selectedIndex);
    Refresh();
}

void CSetIPDlg::OnListItemChanged(const Notification&)
{
    if (fillingList_) {
        return;
    }
    // The row that is really selected now, not merely the row the notification names: a click on
    // an empty part of the list takes the selection away, and then nothing is chosen.
    WindowHandle list = Item(kDeviceList);
    selectedIndex = -1;
    const int rows = ListRowCount(list);
    for (int row = 0; row < rows; ++row) {
        if (ListGetItemState(list, row, kLvisSelected) & kLvisSelected) {
            selectedIndex = row;
            break;
        }
    }
    EnableOk(selectedIndex != -1);
}

void CSetIPDlg::OnAddressEdited()
{
    EnableOk(TextLength(Item(kAddressEdit)) > 0);
}

void CSetIPDlg::OnOK()
{
    const bool input = InInputMode();
    const int protocol = SelectedProtocol();
    char address[kAddressCapacity] = {};
    char macAddress[kMacCapacity] = {};
    char adapterName[kAdapterCapacity] = {};

    bool valid = false;
    if (input) {
        // At most 127 characters. A longer text is refused rather than cut: its first 127
        // characters could pass as an address that the user never typed.
        const int length = GetText(Item(kAddressEdit), address, kAddressCapacity);
        valid = length >= 0 && length < kAddressCapacity &&
                ValidateAddress(address, kAddressCapacity, protocol) == kAddressValid;
        // A typed IPv6 address goes out through the adapter of the previously saved connection.
        if (protocol == kProtocolIPv6) {
            const std::string stored = Services().ReadRegString(SettingsKey().c_str(), "AdapName", "");
            CopyField(adapterName, sizeof adapterName, stored.c_str());
        }
    } else if (selectedIndex >= 0 && static_cast<size_t>(selectedIndex) < deviceList.Count()) {
        const DeviceRecord& record = deviceList.At(static_cast<size_t>(selectedIndex));
        CopyField(address, sizeof address, record.address);
        CopyField(macAddress, sizeof macAddress, record.macAddress);
        if (protocol == kProtocolIPv6) {
            CopyField(adapterName, sizeof adapterName, record.adapterName);
        }
        valid = true;
    }

    if (!valid) {
        ShowAddressError();
        return;
    }
    if (input && !CheckTypedAddress(Handle(), address, protocol, macAddress, adapterName)) {
        SelectAddressText(Item(kAddressEdit));
        return;
    }
    Services().Save(address, macAddress, adapterName, protocol, input ? 1 : 0);
    CDialog::OnOK();
}

void CSetIPDlg::ShowAddressError()
{
    char text[kDialogTextCapacity] = {};
    StringTable::Get("STR_M_IPERR", text, sizeof text);
    ShowMessageBox(Handle(), text, VariantTable::AppTitle().c_str(), kMbIconWarning | kMbTopmost);
    SelectAddressText(Item(kAddressEdit));
}

void CSetIPDlg::OnCancel()
{
    // The key is created (class "option") when it is missing; when that fails nothing is written
    // and the dialog still closes.
    Services().WriteRegDword(SettingsKey().c_str(), "IPDlgRet", 2);
    CDialog::OnCancel();
}
