// The scanner address dialog (template 3005): pick a discovered scanner or type an address,
// choose the protocol, store the choice on OK or mark the cancellation.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "discovery/address_check.h"
#include "discovery/device_list.h"
#include "discovery/discovery_search.h"
#include "platform/windowing.h"
#include "res/dialog_ids.h"
#include "ui/my_combo_box.h"
#include "ui/my_edit.h"

// Template and control IDs of the scanner address dialog, and its two icons.
namespace SetIpIds {
constexpr int kTemplate = IDD_SET_IP;
constexpr int kRadioInput = IDC_RAD_INPUT_IP;  // input mode
constexpr int kRadioList = IDC_RAD_SEL_IP;     // list mode
constexpr int kLabelProtocol = IDC_LABEL_PROTOCOL;
constexpr int kProtocolBox = IDC_CMB_PROTOCOL;  // CMyComboBox
constexpr int kLabelAddress = IDC_LABEL_IPADDRESS;
constexpr int kAddressEdit = IDC_EDIT_IPADDRESS;  // CMyEdit
constexpr int kDeviceList = IDC_LIST_SCANNERS;    // list view, report style, single selection
// The list's columns: the device name, the address, the scanner's sysName and sysLocation.
constexpr int kColumnDevice = 0;
constexpr int kColumnAddress = 1;
constexpr int kColumnName = 2;
constexpr int kColumnLocation = 3;
constexpr int kSearchAgain = IDC_BTN_UPDATE_IP;
constexpr int kSearchStatus = IDC_STATIC_SEARCH_STATUS;  // the search's state, under the list
constexpr int kSearchProgress = IDC_PROGRESS_SEARCH;     // marquee bar, shown while searching
constexpr int kOtherNetworks = IDC_BTN_OTHER_NETWORKS;   // opens COtherNetworksDlg
constexpr unsigned kSearchTimerId = 1;                   // the dialog's timer that steps the search
constexpr unsigned kCheckTimerId = 2;                    // the timer that steps a typed address's check
constexpr int kIconFamily0 = IDI_FAMILY_0;               // ProductFamily 0
constexpr int kIconFamily1 = IDI_FAMILY_1;               // ProductFamily 1
}  // namespace SetIpIds

// DoModal returns IDOK after the choice was stored (SettingsStore::Save), IDCANCEL after
// "IPDlgRet" = 2 was written. The dialog is in input mode exactly when radio 3006 is checked.
//
// Discovery runs while the dialog is up: OnInitDialog starts the opening search and returns, and a
// window timer steps the search (DiscoverySearch over Services().SearchTransport()) every
// kSearchStepMs on the one thread. Rows are inserted in place as answers arrive, in sorted order and
// at most a few dozen per step, never rebuilt; the first row (or the stored scanner's) is selected
// until the user picks one, and from then on the picked scanner stays selected. A typed address is
// checked (AddressCheck) stepped from a second timer, with STR_S_CHECKING on the status line. While a
// search runs the status line reads STR_S_SEARCHING, the marquee bar runs and "Search again" is
// disabled; afterwards the status reads STR_S_FOUND (its "%d" replaced by the number of rows) or
// STR_S_NONE_FOUND. Cancel and OK end the search at once (sockets closed, timer killed); a protocol
// change starts a new one.
//
// The list's columns are the device name, the address, and the scanner's name and location, which
// the search asks each row for (discovery/scanner_details.h) and which fill in, cell by cell, as
// they arrive; the row's tip shows the scanner's serial number. A click on a column's header sorts
// the rows by that column (ties by address), a second click on it reverses the order; the rows'
// cells are rewritten in place, and the selection stays with its scanner. Rows arriving later go to
// their place in the current order, by default the address order. deviceList always holds the
// rows in the list view's order.
//
// The address field also takes a host name (shown there when the stored connection has one): OK
// resolves it on this thread, for as long as the system's resolver takes, checks its address as a
// typed one and stores the name as "HostName" (STR_M_NAME_UNRESOLVED when it has no address). For a
// user without a stored connection the row at the DefaultScanner setting is selected instead of the
// first.
//
// "Other networks..." opens COtherNetworksDlg (ui/other_networks_dialog.h) over the dialog; after
// its OK a new search starts with the targets stored there. The button is disabled when machine
// policy sets DiscoveryTargets (read at the opening) and while a typed address is checked.
class CSetIPDlg : public Windowing::CDialog {
public:
    CSetIPDlg();

    // The scanners of the last discovery and the index of the chosen one (-1 for none).
    // Discovery replaces both; the list's selection changes move selectedIndex to the row that is
    // really selected.
    DeviceList deviceList;
    int selectedIndex = -1;

    ~CSetIPDlg() override;
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    // The handlers of the dialog's controls (public for the tests of single handlers).
    void Refresh();
    void OnSearchAgain();
    void OnOtherNetworks();
    void OnProtocolChange();
    void OnListItemChanged(const Windowing::Notification& notification);
    void OnColumnClick(const Windowing::Notification& notification);
    void OnInfoTip(const Windowing::Notification& notification);
    void OnAddressEdited();
    // WM_DPICHANGED: the dialog takes the suggested rectangle, and its item heights, column widths
    // and icon follow the new DPI.
    void OnDpiChanged(int dpi, const Windowing::Rect& suggested);
    void OnSearchTimer();
    void OnCheckTimer();
    bool Searching() const { return search_.Running(); }

    CMyComboBox& ProtocolBox() { return protocolBox_; }
    CMyEdit& AddressEdit() { return addressEdit_; }

private:
    Windowing::WindowHandle Item(int id) const { return Windowing::ItemOf(Handle(), id); }
    bool InInputMode() const;
    int SelectedProtocol() const;
    int ProtocolAt(int index) const;
    void SetFilter(int protocol);
    void SetDpiIcon();
    void ScaleProtocolItems(double factor);
    void EnableOk(bool enabled);
    void ShowAddressError();
    void ShowSearchStopped();
    void ShowSaveFailed();
    void StartSearch(int passes);
    void StopSearch();
    void ShowSearchState();
    bool MovedScannerText(char* text, size_t capacity) const;
    bool AddSearchRows();
    void StartCheck(const char* address, int protocol, const char* adapterName);
    void ShowChecking(bool checking);
    // Saves the connection and marks whether it came from a verified SNMPv3 answer (MarkAuthenticated).
    // hostName: the name typed for the address (kept as "HostName"), or empty.
    void Store(const char* address, const char* macAddress, const char* adapterName, int protocol, bool typed,
               bool authenticated, const std::string& hostName);
    void ShowNameUnresolved(const char* name);

    CMyComboBox protocolBox_;
    int dpi_ = Windowing::kDefaultDpi;
    CMyEdit addressEdit_;
    // Set while the dialog rebuilds the list view itself: the selection changes this causes are
    // the dialog's own and must not move selectedIndex.
    bool fillingList_ = false;
    DiscoverySearch search_;
    // The user picked a row of the current search; it stays selected as rows arrive.
    bool userPicked_ = false;
    // The keys (address and adapter) of the rows shown.
    std::set<std::string> shownRows_;
    size_t verifiedRows_ = 0;  // verified records of the search already taken into the list
    void TakeVerifiedRows(const std::vector<DeviceRecord>& found);
    void TakeDetails(const std::vector<DeviceRecord>& found);
    // Whether a comes before b in the list's current order.
    bool RowBefore(const DeviceRecord& a, const DeviceRecord& b) const;
    void ShowDetailCells(int row);
    int sortColumn_ = SetIpIds::kColumnAddress;
    bool sortDescending_ = false;
    // The typed address being checked, with the protocol and the adapter it goes out through.
    AddressCheck check_;
    std::string checkAddress_;
    std::string checkAdapter_;
    int checkProtocol_ = 0;
    std::string checkName_;  // the host name the checked address was resolved from, or empty
    // The DefaultScanner setting's address (a name resolved once at the opening) for a user with no
    // stored connection: its row is preselected. Empty otherwise.
    std::string defaultAddress_;
    bool targetsByPolicy_ = false;  // machine policy sets DiscoveryTargets: "Other networks..." stays disabled
};
