// The connection-type dialog: opening (texts, layout, hidden controls, OK moved) and confirm.
#include "ui/sel_connect_dialog.h"

#include <iterator>

#include "product/product.h"
#include "ui/dialog_texts.h"
#include "ui/layout_scaling.h"

using namespace Windowing;
using namespace SelConnectIds;

namespace {

// The control-text table, in the order the texts are set; ID 0 is the dialog's caption.
constexpr ControlText kTexts[] = {
    {0, Key::STR_UI_MAIN},
    {kQuestion, Key::STR_TXT_SEL_CONNECT},
    {kRadioUsb, Key::STR_RAD_USB},
    {kRadioNetwork, Key::STR_RAD_NETWRK},
    {kCheckDontShow, Key::STR_C_CHK_NONDISP_SEL_CONNECT_DLG},
    {kIdOk, Key::STR_OK},
    {kIdCancel, Key::STR_BTN_CANCEL},
};

// A control's window rectangle in the client coordinates of the dialog.
Rect RectInDialog(WindowHandle dialog, WindowHandle control)
{
    const Rect screen = GetWindowRectangle(control);
    const Point topLeft = ScreenToClientPoint(dialog, Point{screen.left, screen.top});
    return Rect{topLeft.x, topLeft.y, topLeft.x + screen.Width(), topLeft.y + screen.Height()};
}

void HideAndDisable(WindowHandle control)
{
    ShowWindowTo(control, false);
    EnableWindowTo(control, false);
}

}  // namespace

CSelConnectDlg::CSelConnectDlg(int connection) : CDialog(kTemplate), connection_(connection)
{
}

bool CSelConnectDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    WindowHandle dialog = Handle();

    SetControlTexts(dialog, kTexts, std::size(kTexts));
    SetItemText(dialog, 0, Titles::Device().c_str());
    // USB is checked when the choice so far is USB; the network radio is left as the template has it.
    CheckItem(dialog, kRadioUsb, connection_ == kConnectionUsb);
    ScaleDialogLayout(dialog, kRatioKeySelConnect);

    // No system menu, so no close button; the frame is not recalculated.
    SetStyle(dialog, GetStyle(dialog) & ~kWsSysMenu);

    HideAndDisable(ItemOf(dialog, kCheckDontShow));
    HideAndDisable(ItemOf(dialog, kUnused));

    // OK takes Cancel's place (the scaled rectangles), keeping its own size.
    WindowHandle cancel = ItemOf(dialog, kIdCancel);
    const Rect cancelRect = RectInDialog(dialog, cancel);
    HideAndDisable(cancel);
    WindowHandle ok = ItemOf(dialog, kIdOk);
    const Rect okRect = RectInDialog(dialog, ok);
    MoveWindowTo(ok, cancelRect.left, cancelRect.top, okRect.Width(), okRect.Height(), true);
    return true;
}

void CSelConnectDlg::OnOK()
{
    // Network unless the USB radio is checked (also when neither is).
    const bool usb = IsItemChecked(Handle(), kRadioUsb);
    CDialog::OnOK();
    connection_ = usb ? kConnectionUsb : kConnectionNetwork;
}
