// The scanner address dialog: opening, the two modes, discovery, protocol change, confirm, cancel.
#include "ui/set_ip_dialog.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <vector>
#include <string>

#include "product/string_table.h"
#include "product/product.h"
#include "discovery/address_text.h"
#include "setup/address_validation.h"
#include "setup/connection_services.h"
#include "platform/diagnostics.h"
#include "setup/search_settings.h"
#include "setup/settings_model.h"
#include "setup/settings_store.h"
#include "setup/stored_connection.h"
#include "ui/dialog_texts.h"
#include "ui/layout_scaling.h"
#include "ui/other_networks_dialog.h"

using namespace Windowing;
using namespace SetIpIds;

namespace {

// The control-text table, in the order the texts are set; ID 0 is the dialog's caption.
constexpr ControlText kTexts[] = {
    {0, Key::STR_UI_MAIN},
    {kRadioInput, Key::STR_C_RAD_INPUT_IP},
    {kLabelProtocol, Key::STR_C_LABEL_PROTOCOL},
    {kLabelAddress, Key::STR_C_LABEL_IPADDRESS},
    {kRadioList, Key::STR_C_RAD_SEL_IP},
    {kSearchAgain, Key::STR_C_BTN_UPDATE_IP},
    {kOtherNetworks, Key::STR_C_BTN_OTHER_NETWORKS},
    {kIdOk, Key::STR_OK},
    {kIdCancel, Key::STR_BTN_CANCEL},
};

constexpr int kNoProtocol = -1;

// Rows inserted in one timer step at most: a burst of answers is shown over several steps, and the
// window answers between them.
constexpr int kRowsPerStep = 40;

// Passes of the opening discovery and of every later one.
constexpr int kOpeningPasses = 1;
constexpr int kLaterPasses = 2;

// The buffers of a confirmed choice, as the settings store takes them.
constexpr int kAddressCapacity = 128;
constexpr size_t kMacCapacity = 64;
constexpr int kHostNameCapacity = 256;  // a typed host name (at most 253 characters) and a little more
constexpr size_t kAdapterCapacity = 260;

std::string CurrentSettingsKey()
{
    return SettingsKey(Products::Current());
}

// The width of text in the device context, 0 when it cannot be measured.
int TextWidth(DcHandle dc, const char* text)
{
    int width = 0;
    int height = 0;
    return TextExtent(dc, text, &width, &height) ? width : 0;
}

// After a search: the stored scanner's row (its MAC address, for the stored protocol) instead of
// the first, when it is listed; without a stored connection the row at defaultAddress (the
// DefaultScanner setting, resolved), when it is listed.
void SelectStoredScanner(const DeviceList& list, int protocol, const std::string& defaultAddress, int& selectedIndex)
{
    StoredConnection stored;
    if (ReadStoredConnection(stored) == kStoredNone) {
        for (size_t i = 0; !defaultAddress.empty() && i < list.Count(); ++i) {
            if (!SameAddress(defaultAddress.c_str(), list.At(i).address, protocol)) continue;
            selectedIndex = static_cast<int>(i);
            return;
        }
        return;
    }
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

// The key of a row: the same scanner is the same address on the same adapter.
std::string RowKey(const DeviceRecord& record)
{
    return std::string(record.address) + '|' + record.adapterName;
}

}  // namespace

CSetIPDlg::CSetIPDlg() : CDialog(kTemplate), search_(Services().SearchTransport()), check_(Services().SearchTransport())
{
    OnMessage(kWmTimer, [this](uintptr_t id, intptr_t) {
        if (id == kSearchTimerId) OnSearchTimer();
        if (id == kCheckTimerId) OnCheckTimer();
        return intptr_t{0};
    });
    OnNotification(kRadioInput, kBnClicked, [this](const Notification&) { Refresh(); });
    OnNotification(kRadioList, kBnClicked, [this](const Notification&) { Refresh(); });
    OnNotification(kSearchAgain, kBnClicked, [this](const Notification&) { OnSearchAgain(); });
    OnNotification(kOtherNetworks, kBnClicked, [this](const Notification&) { OnOtherNetworks(); });
    OnNotification(kProtocolBox, kCbnSelChange, [this](const Notification&) { OnProtocolChange(); });
    OnNotification(kDeviceList, kLvnItemChanged, [this](const Notification& n) { OnListItemChanged(n); });
    OnNotification(kDeviceList, kLvnColumnClick, [this](const Notification& n) { OnColumnClick(n); });
    OnNotification(kDeviceList, kLvnGetInfoTip, [this](const Notification& n) { OnInfoTip(n); });
    OnNotification(kAddressEdit, kEnChange, [this](const Notification&) { OnAddressEdited(); });
    OnMessage(kDpiChangedMessage, [this](uintptr_t wParam, intptr_t lParam) {
        OnDpiChanged(static_cast<int>(wParam & 0xFFFF), DpiChangedRect(lParam));
        return intptr_t{0};
    });
}

void CSetIPDlg::SetDpiIcon()
{
    // The small icon of the product family in the size of the dialog's DPI; the large icon is not set.
    const int family = Products::Current().iconFamily;
    SetSmallIcon(Handle(), LoadModuleIcon(family == 1 ? kIconFamily1 : kIconFamily0, SmallIconSize(dpi_)));
}

void CSetIPDlg::ScaleProtocolItems(double factor)
{
    WindowHandle box = protocolBox_.Handle();
    for (int index : {-1, 0}) ComboSetItemHeight(box, index, ScaleLength(ComboGetItemHeight(box, index), factor));
}

void CSetIPDlg::OnDpiChanged(int dpi, const Rect& suggested)
{
    if (dpi <= 0 || dpi == dpi_) return;
    const double change = static_cast<double>(dpi) / dpi_;
    dpi_ = dpi;
    // Windows scales the template's controls and fonts; the sizes that the opening set follow here.
    SetWindowPosition(Handle(), suggested.left, suggested.top, suggested.Width(), suggested.Height(), kSwpNoZOrder);
    ScaleProtocolItems(change);
    WindowHandle list = Item(kDeviceList);
    for (int column = 0; column < ListColumnCount(list); ++column) {
        ListSetColumnWidth(list, column, ScaleLength(ListColumnWidth(list, column), change));
    }
    SetDpiIcon();
}

CSetIPDlg::~CSetIPDlg() = default;

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

    dpi_ = WindowDpi(Handle());
    SetDpiIcon();

    SetControlTexts(Handle(), kTexts, std::size(kTexts));
    SetItemText(Handle(), 0, Titles::App().c_str());
    // The template's controls and fonts follow the DPI; the protocol box's item heights come from
    // its font, and the string file's ratio scales them with the rest of the layout.
    const double ratio = ScaleDialogLayout(Handle(), kRatioKeySetIp);
    ScaleProtocolItems(ratio);

    // The protocol box: IPv4 always, IPv6 where the variant offers it. A missing text stages an
    // empty item, which the box draws as a separator.
    char text[kDialogTextCapacity] = {};
    StringTable::Get(Key::STR_CMB_PROTOCOL_IPV4, text, sizeof text);
    CMyComboBox::StageItem(0, text, kProtocolIPv4);
    if (OffersIpv6(Products::Current())) {
        text[0] = '\0';
        StringTable::Get(Key::STR_CMB_PROTOCOL_IPV6, text, sizeof text);
        CMyComboBox::StageItem(1, text, kProtocolIPv6);
    }
    protocolBox_.CommitItems();

    // The stored protocol ("ProtocolType"; 0 when the key or the value is missing); an item that
    // carries it, else the first item.
    int stored = kProtocolIPv4;
    if (Services().ReadRegDword(CurrentSettingsKey().c_str(), ConnectionSchema::kProtocol.name, &stored) != 0) {
        stored = kProtocolIPv4;
    }
    protocolBox_.SelectByData(stored);

    // The filter follows the item the box really selected: a stored protocol that this variant
    // does not offer falls back to the IPv4 item, and the field must then take IPv4 text.
    SetFilter(SelectedProtocol());

    CheckItem(Handle(), kRadioList, true);

    // The address field takes host names too, and shows the one the stored connection was typed as.
    addressEdit_.hostNames = 1;
    StoredConnection storedConnection;
    const bool haveStored = ReadStoredConnection(storedConnection) != kStoredNone;
    if (haveStored && !storedConnection.hostName.empty())
        SetItemText(Handle(), kAddressEdit, storedConnection.hostName.c_str());
    // A user without a stored connection: DefaultScanner's row is preselected (a name is resolved
    // here, once, on this thread, within the resolver's own time).
    const SettingsModel settings = SettingsModel::ReadForCurrentProduct();
    const std::string fleetDefault = settings.Text(SettingId::DefaultScanner);
    targetsByPolicy_ = settings.SetByPolicy(SettingId::DiscoveryTargets);
    if (!haveStored && !fleetDefault.empty()) {
        defaultAddress_ = fleetDefault;
        if (IsHostName(fleetDefault.c_str()) &&
            !ResolveTypedName(fleetDefault.c_str(), SelectedProtocol(), &defaultAddress_))
            defaultAddress_.clear();
        Diagnostics::Event("default-scanner",
                           {{"value", fleetDefault}, {"address", defaultAddress_}, {"verdict", "preselect"}});
    }

    // Columns: the device name column is as wide as the wider of the device name and its header,
    // measured in the dialog's device context (half the list without one); the address, name and
    // location columns share the rest of the list's outer width but 5 pixels (at 96 DPI), the
    // address two fifths of it, wide enough for any IPv4 address.
    WindowHandle list = Item(kDeviceList);
    ListSetExtendedStyle(list, kLvsExFullRowSelect | kLvsExInfoTip);
    const int listWidth = GetWindowRectangle(list).Width();
    char header0[kDialogTextCapacity] = {};
    char header1[kDialogTextCapacity] = {};
    StringTable::Get(Key::STR_S_IPLST_CLMN_DEVNAME, header0, sizeof header0);
    const std::string deviceName = DeviceDisplayName(Products::Current());
    DcHandle dc = GetWindowDc(Handle());
    // Measured in the list's own font when it reports one (the device context's default font does
    // not follow the monitor's DPI, the list's font does), with the cell's padding on both sides.
    FontHandle previousFont = dc && FontOf(list) ? SelectFontInto(dc, FontOf(list)) : nullptr;
    const int padding = previousFont ? ScaleToDpi(12, dpi_) : 0;
    const int width0 =
        dc ? std::max(TextWidth(dc, deviceName.c_str()), TextWidth(dc, header0)) + padding : listWidth / 2;
    const int rest = std::max(0, listWidth - width0 - ScaleToDpi(5, dpi_));
    const int widthAddress = std::min(rest, std::max(rest * 2 / 5, dc ? TextWidth(dc, "255.255.255.255") + padding : 0));
    if (previousFont) SelectFontInto(dc, previousFont);
    ListInsertColumn(list, kColumnDevice, header0, width0, kLvcfmtLeft);
    StringTable::Get(Key::STR_S_IPLST_CLMN_IP, header1, sizeof header1);
    ListInsertColumn(list, kColumnAddress, header1, widthAddress, kLvcfmtLeft);
    StringTable::Get(Key::STR_S_IPLST_CLMN_NAME, header1, sizeof header1);
    ListInsertColumn(list, kColumnName, header1, (rest - widthAddress) / 2, kLvcfmtLeft);
    StringTable::Get(Key::STR_S_IPLST_CLMN_LOCATION, header1, sizeof header1);
    ListInsertColumn(list, kColumnLocation, header1, rest - widthAddress - (rest - widthAddress) / 2, kLvcfmtLeft);

    if (dc) {
        ReleaseWindowDc(Handle(), dc);
    }
    // The opening search runs with the dialog already up; StartSearch fills and enables the rest.
    StartSearch(kOpeningPasses);
    return true;
}

void CSetIPDlg::StartSearch(int passes)
{
    fillingList_ = true;
    ListDeleteAllRows(Item(kDeviceList));
    fillingList_ = false;
    deviceList.Clear();
    shownRows_.clear();
    verifiedRows_ = 0;
    selectedIndex = -1;
    userPicked_ = false;
    // The settings are read again for every search: targets and LocalBroadcast as they are now.
    SearchTargets targets = CurrentSearchTargets();
    targets.askDetails = true;  // name and location fill in as they come
    search_.Start(SelectedProtocol(), passes, kDialogPassTiming, targets);
    AddSearchRows();
    SetWindowTimer(Handle(), kSearchTimerId, kSearchStepMs);
    ShowSearchState();
    Refresh();
}

void CSetIPDlg::StopSearch()
{
    search_.Cancel();
    KillWindowTimer(Handle(), kSearchTimerId);
}

// The timer runs while the search runs and while rows it found wait to be shown; the final state
// is shown once every row is in.
void CSetIPDlg::OnSearchTimer()
{
    const bool running = search_.Running();
    const int flags = running ? search_.Step() : 0;
    const size_t before = deviceList.Count();
    const bool more = AddSearchRows();
    if (flags & kSearchDetailsChanged) TakeDetails(search_.Devices().Records());
    if (!search_.Running() && !more) {
        KillWindowTimer(Handle(), kSearchTimerId);
        ShowSearchState();
        Refresh();
    } else if (deviceList.Count() != before) {
        Refresh();
    }
}

// A row shown before its verified SNMPv3 answer came becomes verified (with the answer's MAC
// address), and the stored scanner is selected again if it is the one. Only when the search has
// more verified records than the list, so this costs nothing without SNMPv3.
void CSetIPDlg::TakeVerifiedRows(const std::vector<DeviceRecord>& found)
{
    size_t verified = 0;
    for (const DeviceRecord& record : found) verified += record.authenticated ? 1 : 0;
    if (verified == verifiedRows_) return;
    verifiedRows_ = verified;
    for (const DeviceRecord& record : found) {
        if (!record.authenticated) continue;
        for (size_t i = 0; i < deviceList.Count(); ++i) {
            DeviceRecord& row = deviceList.At(i);
            if (row.authenticated || RowKey(row) != RowKey(record)) continue;
            row = record;  // details learned over SNMPv1 go with the unverified answer
            ShowDetailCells(static_cast<int>(i));
        }
    }
    if (userPicked_ || deviceList.Empty()) return;
    int wanted = selectedIndex;
    SelectStoredScanner(deviceList, SelectedProtocol(), defaultAddress_, wanted);
    if (wanted == selectedIndex) return;
    selectedIndex = wanted;
    ListSetItemState(Item(kDeviceList), selectedIndex, kLvisSelected | kLvisFocused, kLvisSelected | kLvisFocused);
}

// The name and location cells of a row from deviceList.
void CSetIPDlg::ShowDetailCells(int row)
{
    WindowHandle list = Item(kDeviceList);
    const DeviceRecord& record = deviceList.At(static_cast<size_t>(row));
    ListSetSubItem(list, row, kColumnName, record.name);
    ListSetSubItem(list, row, kColumnLocation, record.location);
}

// Details that arrived for rows shown: written into the row and its cells where it stands.
void CSetIPDlg::TakeDetails(const std::vector<DeviceRecord>& found)
{
    for (const DeviceRecord& record : found) {
        for (size_t i = 0; i < deviceList.Count(); ++i) {
            DeviceRecord& row = deviceList.At(i);
            if (RowKey(row) != RowKey(record) || row.authenticated != record.authenticated) continue;
            if (std::strcmp(row.name, record.name) != 0 || std::strcmp(row.location, record.location) != 0 ||
                std::strcmp(row.serial, record.serial) != 0) {
                CopyDetails(row, record);
                ShowDetailCells(static_cast<int>(i));
            }
            break;
        }
    }
}

namespace {

// Texts compared as the user reads them: letter case ignored (ASCII), then octet by octet.
int CompareText(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        const int x = std::tolower(static_cast<unsigned char>(*a)), y = std::tolower(static_cast<unsigned char>(*b));
        if (x != y) return x - y;
    }
    return static_cast<unsigned char>(*a) - static_cast<unsigned char>(*b);
}

}  // namespace

bool CSetIPDlg::RowBefore(const DeviceRecord& a, const DeviceRecord& b) const
{
    int order = sortColumn_ == kColumnName       ? CompareText(a.name, b.name)
                : sortColumn_ == kColumnLocation ? CompareText(a.location, b.location)
                                                 : 0;
    if (order == 0) order = std::strcmp(a.address, b.address);
    if (order == 0) order = std::strcmp(a.adapterName, b.adapterName);
    return sortDescending_ ? order > 0 : order < 0;
}

// A click on a header sorts by its column (the device name column: by address), a second click on
// the same header reverses the order. The cells are rewritten in place and the selection follows
// its scanner.
void CSetIPDlg::OnColumnClick(const Notification& notification)
{
    if (notification.column < 0) return;
    sortDescending_ = notification.column == sortColumn_ ? !sortDescending_ : false;
    sortColumn_ = notification.column;
    const std::string selected =
        selectedIndex >= 0 ? RowKey(deviceList.At(static_cast<size_t>(selectedIndex))) : std::string();
    std::vector<DeviceRecord>& rows = deviceList.Records();
    std::stable_sort(rows.begin(), rows.end(),
                     [this](const DeviceRecord& a, const DeviceRecord& b) { return RowBefore(a, b); });
    WindowHandle list = Item(kDeviceList);
    fillingList_ = true;
    SetRedraw(list, false);
    for (size_t i = 0; i < rows.size(); ++i) {
        ListSetSubItem(list, static_cast<int>(i), kColumnAddress, rows[i].address);
        ShowDetailCells(static_cast<int>(i));
        if (RowKey(rows[i]) == selected) selectedIndex = static_cast<int>(i);
    }
    if (selectedIndex >= 0)
        ListSetItemState(list, selectedIndex, kLvisSelected | kLvisFocused, kLvisSelected | kLvisFocused);
    SetRedraw(list, true);
    InvalidateWindow(list, true);
    if (selectedIndex >= 0) ListEnsureVisible(list, selectedIndex, false);
    fillingList_ = false;
}

// The row's tip: its serial number, when the scanner gave one.
void CSetIPDlg::OnInfoTip(const Notification& notification)
{
    if (notification.tip == nullptr || notification.item < 0 ||
        static_cast<size_t>(notification.item) >= deviceList.Count())
        return;
    const char* serial = deviceList.At(static_cast<size_t>(notification.item)).serial;
    if (serial[0] == '\0') return;
    char format[kDialogTextCapacity] = {};
    StringTable::Get(Key::STR_S_IPLST_TIP_SERIAL, format, sizeof format);
    *notification.tip = StringTable::FormatWithName(format, serial);
}

// Inserts up to kRowsPerStep rows that the search found and the list does not show yet, each at
// its place in the search's order, without touching the rows shown. Rows inserted above the first
// row in view scroll the list with them, so that the rows the user sees stay where they are; the
// selected row keeps its selection (and selectedIndex follows it), and stays in view when it was.
// Until the user picks a row, the stored scanner's row (else the first) is selected. True while
// rows still wait.
bool CSetIPDlg::AddSearchRows()
{
    const std::vector<DeviceRecord>& found = search_.Devices().Records();
    TakeVerifiedRows(found);
    if (found.size() <= deviceList.Count()) return false;
    WindowHandle list = Item(kDeviceList);
    const std::string deviceName = DeviceDisplayName(Products::Current());
    std::vector<DeviceRecord>& rows = deviceList.Records();
    int top = ListTopIndex(list);
    const bool selectedInView = selectedIndex >= top && selectedIndex < top + ListRowsPerPage(list);
    int above = 0;
    int added = 0;
    fillingList_ = true;
    // One redraw for the batch: the list view would otherwise update its scroll bar and repaint for
    // every row.
    SetRedraw(list, false);
    for (const DeviceRecord& record : found) {
        if (added == kRowsPerStep) break;
        if (!shownRows_.insert(RowKey(record)).second) continue;
        const auto at = std::upper_bound(rows.begin(), rows.end(), record,
                                         [this](const DeviceRecord& a, const DeviceRecord& b) { return RowBefore(a, b); });
        const int row = static_cast<int>(at - rows.begin());
        rows.insert(at, record);
        ListInsertRow(list, row, deviceName.c_str());
        ListSetSubItem(list, row, kColumnAddress, record.address);
        ShowDetailCells(row);
        if (row <= selectedIndex) ++selectedIndex;
        if (row < top || (row == top && top > 0)) ++top, ++above;
        ++added;
    }
    SetRedraw(list, true);
    InvalidateWindow(list, true);
    if (above > 0) ListScrollRows(list, above);
    if (!userPicked_ && !deviceList.Empty()) {
        int wanted = 0;
        SelectStoredScanner(deviceList, SelectedProtocol(), defaultAddress_, wanted);
        if (wanted != selectedIndex) {
            selectedIndex = wanted;
            ListSetItemState(list, selectedIndex, kLvisSelected | kLvisFocused, kLvisSelected | kLvisFocused);
        }
    }
    if (selectedIndex >= 0 && (!userPicked_ || selectedInView)) ListEnsureVisible(list, selectedIndex, false);
    fillingList_ = false;
    return found.size() > deviceList.Count();
}

// When the selected row is the stored scanner (its MAC, for the stored protocol) at another address
// than the stored one: STR_S_MOVED, its "%1" replaced by the stored address and "%2" by the new one
// (replaced here, never a format), each address in its shortest spelling: two IPv6 addresses of
// eight full groups do not fit the status line, their compressed forms do. False, and text
// unchanged, otherwise.
bool CSetIPDlg::MovedScannerText(char* text, size_t capacity) const
{
    StoredConnection stored;
    if (selectedIndex < 0 || ReadStoredConnection(stored) == kStoredNone) return false;
    if (StoredIndexIn(deviceList, SelectedProtocol(), stored) != selectedIndex) return false;
    const char* now = deviceList.At(static_cast<size_t>(selectedIndex)).address;
    if (SameAddress(stored.address.c_str(), now, stored.protocol)) return false;
    char format[kDialogTextCapacity] = {};
    StringTable::Get(Key::STR_S_MOVED, format, sizeof format);
    std::string moved = format;
    const size_t old = moved.find("%1");
    if (old != std::string::npos) moved.replace(old, 2, CompressedAddressText(stored.address.c_str(), stored.protocol));
    const size_t fresh = moved.find("%2");
    if (fresh != std::string::npos) moved.replace(fresh, 2, CompressedAddressText(now, stored.protocol));
    CopyField(text, capacity, moved.c_str());
    return true;
}

void CSetIPDlg::ShowSearchState()
{
    const bool running = search_.Running();
    WindowHandle bar = Item(kSearchProgress);
    ShowWindowTo(bar, running);
    ProgressSetMarquee(bar, running);
    char text[kDialogTextCapacity] = {};
    if (running) {
        StringTable::Get(Key::STR_S_SEARCHING, text, sizeof text);
    } else if (deviceList.Empty() && search_.Result() == kRunDiscoveryFailed) {
        // No adapter could be searched: an empty list says nothing about the network.
        StringTable::Get(Key::STR_S_SEARCH_FAILED, text, sizeof text);
    } else if (search_.Targets().status == kTargetSetTooLarge) {
        // The other networks were left out: the rows are those of the local networks only.
        StringTable::Get(Key::STR_S_TARGETS_REFUSED, text, sizeof text);
    } else if (deviceList.Empty()) {
        StringTable::Get(Key::STR_S_NONE_FOUND, text, sizeof text);
    } else if (!MovedScannerText(text, sizeof text)) {
        // The text's first "%d" stands for the number found (replaced here, never a format).
        StringTable::Get(Key::STR_S_FOUND, text, sizeof text);
        std::string found = text;
        const size_t at = found.find("%d");
        if (at != std::string::npos) found.replace(at, 2, std::to_string(deviceList.Count()));
        CopyField(text, sizeof text, found.c_str());
    }
    SetItemText(Handle(), kSearchStatus, text);
}

void CSetIPDlg::Refresh()
{
    const bool input = InInputMode();
    EnableWindowTo(Item(kLabelAddress), input);
    EnableWindowTo(Item(kAddressEdit), input);
    EnableWindowTo(Item(kDeviceList), !input);
    EnableWindowTo(Item(kSearchAgain), !input && !Searching());
    EnableWindowTo(Item(kOtherNetworks), !targetsByPolicy_);

    if (input) {
        EnableOk(TextLength(Item(kAddressEdit)) > 0);
    } else {
        EnableOk(selectedIndex != -1);
    }
}

void CSetIPDlg::OnSearchAgain()
{
    if (!Searching()) {
        StartSearch(kLaterPasses);
    }
}

void CSetIPDlg::OnOtherNetworks()
{
    COtherNetworksDlg targets;
    if (targets.DoModal(Handle()) != kIdOk) return;
    // The stored targets take effect at once: the running search gives way to one that reads them.
    StartSearch(kLaterPasses);
}

void CSetIPDlg::OnProtocolChange()
{
    const int oldProtocol = ProtocolAt(protocolBox_.lastSelection);
    const int newProtocol = SelectedProtocol();
    if (oldProtocol == newProtocol) {
        return;
    }
    protocolBox_.SelectByData(newProtocol);
    SetFilter(newProtocol);
    // Emptying the field disables OK through the field's change handler; Refresh sets it again.
    SetText(Item(kAddressEdit), "");
    // The running search (of the old protocol) gives way to one for the new protocol.
    StartSearch(kLaterPasses);
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
    // The user's choice: rows arriving later keep it selected.
    userPicked_ = true;
    EnableOk(selectedIndex != -1);
    // The status line says "moved" only while the moved scanner is the row chosen.
    if (!search_.Running()) ShowSearchState();
}

void CSetIPDlg::OnAddressEdited()
{
    EnableOk(TextLength(Item(kAddressEdit)) > 0);
}

void CSetIPDlg::OnOK()
{
    // The Enter key reaches OK while it is disabled: a running check is not started again.
    if (check_.Running()) return;
    const bool input = InInputMode();
    const int protocol = SelectedProtocol();
    char address[kAddressCapacity] = {};
    char macAddress[kMacCapacity] = {};
    char adapterName[kAdapterCapacity] = {};
    bool authenticated = false;

    bool valid = false;
    std::string hostName;
    if (input) {
        // At most 127 characters. A longer text is refused rather than cut: its first 127
        // characters could pass as an address that the user never typed. A host name is resolved
        // here, on this thread, for as long as the system's resolver takes; its address is checked.
        char typed[kHostNameCapacity] = {};
        const int length = GetText(Item(kAddressEdit), typed, kHostNameCapacity);
        valid = length >= 0 && length < kAddressCapacity &&
                ValidateAddress(typed, kAddressCapacity, protocol) == kAddressValid;
        if (valid) CopyField(address, sizeof address, typed);
        if (!valid && length > 0 && length < kHostNameCapacity && IsHostName(typed)) {
            std::string resolved;
            if (!ResolveTypedName(typed, protocol, &resolved)) {
                ShowNameUnresolved(typed);
                return;
            }
            hostName = typed;
            CopyField(address, sizeof address, resolved.c_str());
            valid = true;
        }
        // A typed IPv6 address goes out through the adapter of the previously saved connection.
        if (protocol == kProtocolIPv6) {
            const std::string stored =
                Services().ReadRegString(CurrentSettingsKey().c_str(), ConnectionSchema::kAdapterName.name, "");
            CopyField(adapterName, sizeof adapterName, stored.c_str());
        }
    } else if (selectedIndex >= 0 && static_cast<size_t>(selectedIndex) < deviceList.Count()) {
        const DeviceRecord& record = deviceList.At(static_cast<size_t>(selectedIndex));
        CopyField(address, sizeof address, record.address);
        CopyField(macAddress, sizeof macAddress, record.macAddress);
        authenticated = record.authenticated;
        if (protocol == kProtocolIPv6) {
            CopyField(adapterName, sizeof adapterName, record.adapterName);
        }
        valid = true;
    }

    if (!valid) {
        ShowAddressError();
        return;
    }
    StopSearch();
    if (input) {
        checkName_ = hostName;
        StartCheck(address, protocol, adapterName);
        return;
    }
    Store(address, macAddress, adapterName, protocol, false, authenticated, "");
}

// A choice that could not be stored keeps the dialog open: the user may close what holds the
// settings and confirm again, or cancel.
void CSetIPDlg::Store(const char* address, const char* macAddress, const char* adapterName, int protocol, bool typed,
                      bool authenticated, const std::string& hostName)
{
    if (Services().Save(address, macAddress, adapterName, protocol, typed ? 1 : 0) != kSaveOk ||
        !MarkAuthenticated(authenticated) || !MarkHostName(hostName.c_str())) {
        ShowSaveFailed();
        ShowSearchStopped();
        return;
    }
    CDialog::OnOK();
}

// OK stopped the search and the dialog stays open: the status line, the marquee and "Search
// again" say that no search runs.
void CSetIPDlg::ShowSearchStopped()
{
    ShowSearchState();
    EnableWindowTo(Item(kSearchAgain), !InInputMode() && !Searching());
}

// The unicast check of a typed address runs stepped from the dialog's timer, the window answering
// all along: the status line reads STR_S_CHECKING, the marquee runs, the controls that would change
// the choice are disabled, and Cancel ends the check with the dialog.
void CSetIPDlg::StartCheck(const char* address, int protocol, const char* adapterName)
{
    checkAddress_ = address;
    checkAdapter_ = adapterName;
    checkProtocol_ = protocol;
    check_.Start(address, protocol, adapterName);
    ShowChecking(true);
    SetWindowTimer(Handle(), kCheckTimerId, kCheckStepMs);
}

void CSetIPDlg::ShowChecking(bool checking)
{
    for (int id : {kIdOk, kAddressEdit, kRadioInput, kRadioList, kProtocolBox, kSearchAgain, kOtherNetworks})
        EnableWindowTo(Item(id), !checking);
    if (!checking) {
        ShowSearchState();
        Refresh();
        return;
    }
    WindowHandle bar = Item(kSearchProgress);
    ShowWindowTo(bar, true);
    ProgressSetMarquee(bar, true);
    char text[kDialogTextCapacity] = {};
    StringTable::Get(Key::STR_S_CHECKING, text, sizeof text);
    SetItemText(Handle(), kSearchStatus, text);
}

// When a scanner of this product answered, its MAC address (and over IPv6 the adapter that reached
// it) go with the address; otherwise the user is asked whether to store it all the same, and No
// goes back to the field. The question says what happened: nothing of this product answered
// (STR_M_NOT_VERIFIED), an SNMPv3 agent rejected the credentials (STR_M_V3_REJECTED, with the
// reason it reported), or it named its engine and then stayed silent (STR_M_V3_SILENT); the address
// goes in the text's "%s".
void CSetIPDlg::OnCheckTimer()
{
    if (check_.Step()) return;
    KillWindowTimer(Handle(), kCheckTimerId);
    ShowChecking(false);
    const AddressCheckResult& check = check_.Result();
    const char* address = checkAddress_.c_str();
    std::string adapterName = checkAdapter_;
    if (check.outcome == kCheckProductAnswered) {
        if (checkProtocol_ == kProtocolIPv6 && check.adapterName[0] != '\0') adapterName = check.adapterName;
        Store(address, check.macAddress, adapterName.c_str(), checkProtocol_, true, check.authenticated, checkName_);
        return;
    }
    const bool rejected = check.outcome == kCheckRejected;
    const bool silent = check.outcome == kCheckNoAnswer && check.reason[0] != '\0';
    char format[kDialogTextCapacity] = {};
    StringTable::Get(rejected ? Key::STR_M_V3_REJECTED
                     : silent ? Key::STR_M_V3_SILENT
                              : Key::STR_M_NOT_VERIFIED,
                     format, sizeof format);
    std::string text = StringTable::FormatWithName(format, checkName_.empty() ? address : checkName_.c_str());
    if (rejected) {
        StringTable::Get(Key::STR_M_V3_REASON, format, sizeof format);
        text += "\n\n" + StringTable::FormatWithName(format, check.reason);
    }
    if (ShowMessageBox(Handle(), text.c_str(), Titles::App().c_str(),
                       kMbYesNo | Platform::kMbIconQuestion | kMbTopmost) != kIdYes) {
        SelectAddressText(Item(kAddressEdit));
        return;
    }
    Store(address, "", adapterName.c_str(), checkProtocol_, true, false, checkName_);
}

void CSetIPDlg::ShowNameUnresolved(const char* name)
{
    char format[kDialogTextCapacity] = {};
    StringTable::Get(Key::STR_M_NAME_UNRESOLVED, format, sizeof format);
    ShowMessageBox(Handle(), StringTable::FormatWithName(format, name).c_str(), Titles::App().c_str(),
                   kMbIconWarning | kMbTopmost);
    SelectAddressText(Item(kAddressEdit));
}

void CSetIPDlg::ShowSaveFailed()
{
    char text[kDialogTextCapacity] = {};
    StringTable::Get(Key::STR_M_SAVE_FAILED, text, sizeof text);
    ShowMessageBox(Handle(), text, Titles::App().c_str(), kMbIconError | kMbTopmost);
}

void CSetIPDlg::ShowAddressError()
{
    char text[kDialogTextCapacity] = {};
    StringTable::Get(Key::STR_M_IPERR, text, sizeof text);
    ShowMessageBox(Handle(), text, Titles::App().c_str(), kMbIconWarning | kMbTopmost);
    SelectAddressText(Item(kAddressEdit));
}

void CSetIPDlg::OnCancel()
{
    // The key is created (class "option") when it is missing; when that fails nothing is written
    // and the dialog still closes. A running search ends first.
    StopSearch();
    check_.Cancel();
    KillWindowTimer(Handle(), kCheckTimerId);
    Services().WriteRegDword(CurrentSettingsKey().c_str(), ConnectionSchema::kDialogResult.name, 2);
    CDialog::OnCancel();
}
