// The "Other networks" dialog (template IDD_OTHER_NETWORKS), opened from the address dialog: the
// user edits their own DiscoveryTargets setting, one entry a line.
//
// Opening: the field shows the entries that apply now, from the user's settings or, when the user
// has none, the machine defaults (so that the user starts from the administrator's list). The
// address dialog does not open it when machine policy sets the value.
//
// OK: every line that holds more than spaces is read with the parser the search uses
// (ParseTargetEntry, discovery/discovery_targets.h); the entries of each family together may count
// at most kMaxTargetAddresses addresses (host names count nothing here: they are resolved at each
// search). The first line that fails keeps the dialog open: the status line says "Line N: why"
// (STR_S_TARGET_LINE), that line is selected in the field, and the trace gets "targets.refused"
// with the line and the reason. When every line passes, the entries (without the spaces around
// them) are stored as the user's REG_MULTI_SZ value where the user's value sits now
// (Settings::UserScopeOf): in the user's key, or in the product's subkey when the user's value came
// from there. No entry at all removes the user's value, so that the machine defaults (or nothing)
// apply again. Entries equal to those shown at the opening are not stored again: an unchanged list
// of machine defaults stays the administrator's. The trace gets "targets.saved" with the number of
// entries, and DoModal returns IDOK. A write that fails, or that policy now refuses, is reported in
// a message box (STR_M_TARGETS_SAVE_FAILED, STR_M_TARGETS_POLICY) and the dialog stays open with the
// text as the user left it.
//
// Cancel stores nothing.
#pragma once
#include <string>
#include <vector>

#include "platform/windowing.h"
#include "res/dialog_ids.h"

// Template and control IDs of the other-networks dialog.
namespace OtherNetworksIds {
constexpr int kTemplate = IDD_OTHER_NETWORKS;
constexpr int kExplanation = IDC_OTHER_NETWORKS_TEXT;
constexpr int kTargetsEdit = IDC_EDIT_TARGETS;  // multi-line, no word wrap
constexpr int kStatus = IDC_OTHER_NETWORKS_STATUS;
}  // namespace OtherNetworksIds

class COtherNetworksDlg : public Windowing::CDialog {
public:
    COtherNetworksDlg();
    bool OnInitDialog() override;
    void OnOK() override;

private:
    // Shows why line (1-based) was refused and selects it in the field.
    void ShowRefusedLine(int line, const std::string& reason);
    std::vector<std::string> shown_;  // the entries the field showed at the opening
};
