// The connection-type dialog (template 3000): USB or network, with OK alone in Cancel's place.
#pragma once

#include "platform/windowing.h"
#include "res/dialog_ids.h"

// Template and control IDs of the connection-type dialog.
namespace SelConnectIds {
constexpr int kTemplate = IDD_SEL_CONNECT;
constexpr int kQuestion = IDC_SEL_CONNECT_TEXT;
constexpr int kRadioUsb = IDC_RAD_USB;
constexpr int kRadioNetwork = IDC_RAD_NETWORK;
constexpr int kCheckDontShow = IDC_CHK_NONDISP;  // hidden and disabled
constexpr int kUnused = IDC_SEL_CONNECT_LINE;    // hidden and disabled
}  // namespace SelConnectIds

// The connection choices.
constexpr int kConnectionUsb = 0;
constexpr int kConnectionNetwork = 1;

// Asks whether the scanner is attached by USB or by network. The dialog opens with USB checked when
// the choice so far (given to the constructor) is USB. When the user confirms, DoModal returns IDOK
// and Connection() gives the choice. The dialog has no cancel handler of its own.
class CSelConnectDlg : public Windowing::CDialog {
public:
    explicit CSelConnectDlg(int connection);

    bool OnInitDialog() override;
    void OnOK() override;

    // The choice so far: the constructor's, then the user's after OK.
    int Connection() const { return connection_; }

private:
    int connection_;
};
