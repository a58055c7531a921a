// The connection-type dialog (template 3000): USB or network, with OK alone in Cancel's place.
#pragma once

#include "platform/windowing.h"

// Template and control IDs of the connection-type dialog.
namespace SelConnectIds {
constexpr int kTemplate = 3000;
constexpr int kQuestion = 3001;
constexpr int kRadioUsb = 3003;
constexpr int kRadioNetwork = 3004;
constexpr int kCheckDontShow = 2148;  // hidden and disabled
constexpr int kUnused = 2151;         // hidden and disabled
}  // namespace SelConnectIds

// Asks whether the scanner is attached by USB or by network. When the user confirms, DoModal
// returns IDOK and the choice is in the application object's m_nConnection (0 USB, 1 network).
// The dialog has no cancel handler of its own and holds no state.
class CSelConnectDlg : public Windowing::CDialog {
public:
    CSelConnectDlg();

    bool OnInitDialog() override;
    void OnOK() override;
};
