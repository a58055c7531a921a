// The windowing operations of the user interface: modal dialogs with a handler table, subclassed
// controls, control state, geometry, combo box, list view and edit operations, drawing, icons and
// message boxes, behind one interface.
//
// Windows (platform/win32/windowing.cpp) is the product: a thin framework over USER32, GDI32 and
// common controls 6. In the native tests a stand-in (tests/doubles/) keeps the same windows in
// memory, so that the controls and the dialogs run and are tested without a screen.
//
// Conventions of every operation below:
// - A WindowHandle names one window (a dialog or a control); nullptr is "no window". Every
//   operation accepts nullptr and then does nothing and returns its failure value.
// - Texts are NUL-terminated narrow strings in the ANSI code page (UTF-8 natively). An operation
//   that copies a text into a caller's buffer copies at most capacity - 1 characters, always
//   terminates (when capacity > 0) and returns the full length of the text, or -1 on failure.
// - Numbers of messages, styles, notification codes, colour indexes and flags are the Windows
//   values (listed below), in both builds.
// - Geometry is in device pixels. A window rectangle is in screen coordinates; a position given
//   to SetWindowPosition / MoveWindowTo is in the client coordinates of the window's parent
//   (screen coordinates for a dialog). Moving a window carries its descendants.
// - Everything runs on the one user-interface thread.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace Windowing {

using WindowHandle = void*;  // a window (HWND on Windows)
using DcHandle = void*;      // a device context (HDC on Windows)
using FontHandle = void*;    // a font (HFONT on Windows); nullptr is the system font
using IconHandle = void*;    // an icon (HICON on Windows)
using Color = uint32_t;      // 0x00BBGGRR

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};
struct Point {
    int x = 0, y = 0;
};

// Results of a modal dialog and of a message box, and the message box styles: the one set of
// values in platform/message_box.h.
using Platform::kIdCancel;
using Platform::kIdNo;
using Platform::kIdOk;
using Platform::kIdYes;
using Platform::kMbIconError;
using Platform::kMbIconInformation;
using Platform::kMbIconWarning;
using Platform::kMbOk;
using Platform::kMbTopmost;
using Platform::kMbYesNo;
// DoModal's result when the dialog could not be created (no such template).
constexpr int kDialogFailed = -1;

// Messages.
constexpr unsigned kWmSetFocus = 0x0007;
constexpr unsigned kWmKillFocus = 0x0008;
constexpr unsigned kWmNextDlgCtl = 0x0028;
constexpr unsigned kWmGetDlgCode = 0x0087;
constexpr unsigned kWmKeyDown = 0x0100;
constexpr unsigned kWmChar = 0x0102;
constexpr unsigned kWmTimer = 0x0113;
constexpr unsigned kWmUser = 0x0400;
constexpr unsigned kWmApp = 0x8000;

// Virtual keys.
constexpr unsigned kVkTab = 0x09;
constexpr unsigned kVkReturn = 0x0D;
constexpr unsigned kVkShift = 0x10;
constexpr unsigned kVkEscape = 0x1B;
constexpr unsigned kVkLeft = 0x25;
constexpr unsigned kVkUp = 0x26;
constexpr unsigned kVkRight = 0x27;
constexpr unsigned kVkDown = 0x28;
constexpr unsigned kVkDelete = 0x2E;

// WM_GETDLGCODE results.
constexpr intptr_t kDlgcWantArrows = 0x0001;
constexpr intptr_t kDlgcWantTab = 0x0002;
constexpr intptr_t kDlgcWantAllKeys = 0x0004;
constexpr intptr_t kDlgcHasSetSel = 0x0008;
constexpr intptr_t kDlgcWantChars = 0x0080;

// Window styles.
constexpr uint32_t kWsTabStop = 0x00010000;
constexpr uint32_t kWsGroup = 0x00020000;
constexpr uint32_t kWsSysMenu = 0x00080000;
constexpr uint32_t kWsDisabled = 0x08000000;
constexpr uint32_t kWsVisible = 0x10000000;
constexpr uint32_t kWsCaption = 0x00C00000;

// Notification codes (command notifications of WM_COMMAND and the list view's WM_NOTIFY).
constexpr int kBnClicked = 0;
constexpr int kCbnSelChange = 1;
constexpr int kCbnSelEndOk = 9;
constexpr int kCbnSelEndCancel = 10;
constexpr int kEnChange = 0x0300;
constexpr int kLvnItemChanged = -101;
constexpr int kLvnColumnClick = -108;  // a click on a column's header: Notification::column
constexpr int kLvnGetInfoTip = -157;   // the tip of a row (LVS_EX_INFOTIP): the handler writes Notification::tip

// Owner-draw item states.
constexpr unsigned kOdsSelected = 0x0001;
constexpr unsigned kOdsGrayed = 0x0002;
constexpr unsigned kOdsDisabled = 0x0004;
constexpr unsigned kOdsFocus = 0x0010;

// System colour indexes (GetSysColor).
constexpr int kColorWindow = 5;
constexpr int kColorWindowText = 8;
constexpr int kColorHighlight = 13;
constexpr int kColorHighlightText = 14;
constexpr int kColorBtnFace = 15;
constexpr int kColorGrayText = 17;

// DrawText flags and background modes.
constexpr unsigned kDtVCenter = 0x0004;
constexpr unsigned kDtSingleLine = 0x0020;
constexpr unsigned kDtNoClip = 0x0100;
constexpr unsigned kDtNoPrefix = 0x0800;
constexpr unsigned kDtEndEllipsis = 0x8000;
constexpr int kBkTransparent = 1;
constexpr int kBkOpaque = 2;

// List view: extended style, item states, column format.
constexpr uint32_t kLvsExFullRowSelect = 0x00000020;
constexpr uint32_t kLvsExInfoTip = 0x00000400;
constexpr unsigned kLvisFocused = 0x0001;
constexpr unsigned kLvisSelected = 0x0002;
constexpr int kLvcfmtLeft = 0;

// SetWindowPosition flags.
constexpr unsigned kSwpNoZOrder = 0x0004;

// ---------------------------------------------------------------------------------------------
// Control state. ItemOf answers the dialog's control with that ID; ID 0 answers the dialog itself
// (so every "by ID" operation below treats ID 0 as the dialog's caption / window).
WindowHandle ItemOf(WindowHandle dialog, int id);

// Window text (a dialog's caption, a control's text). SetText on an edit control sends EN_CHANGE
// to its dialog, as typing does. SetText returns false when there is no window.
bool SetText(WindowHandle window, const char* text);
int GetText(WindowHandle window, char* text, int capacity);  // length, or -1
int TextLength(WindowHandle window);                         // length, or -1
bool SetItemText(WindowHandle dialog, int id, const char* text);
int GetItemText(WindowHandle dialog, int id, char* text, int capacity);

// Check state of a check box or radio button (the program's own checking sends no notification).
void CheckItem(WindowHandle dialog, int id, bool checked);
bool IsItemChecked(WindowHandle dialog, int id);

// Enabling and showing take effect at once.
void EnableWindowTo(WindowHandle window, bool enabled);
bool IsWindowEnabledNow(WindowHandle window);
void ShowWindowTo(WindowHandle window, bool visible);
bool IsWindowShown(WindowHandle window);  // its own visible style

// Window styles (WS_*): read, and replace (SetStyle requests no frame recalculation).
uint32_t GetStyle(WindowHandle window);
void SetStyle(WindowHandle window, uint32_t style);

// Focus.
void SetFocusTo(WindowHandle window);
WindowHandle FocusedWindow();  // nullptr when no window of ours has the focus

// ---------------------------------------------------------------------------------------------
// Geometry.
Rect GetWindowRectangle(WindowHandle window);  // screen coordinates; all 0 when there is none
Point ScreenToClientPoint(WindowHandle window, Point screen);
WindowHandle ParentOf(WindowHandle window);  // nullptr for a dialog without parent
WindowHandle OwnerOf(WindowHandle window);   // the registered owner, nullptr when none
// Visits every descendant window (children of children included), parents before their
// children, in the platform's order. The visit is never stopped early.
void EnumDescendants(WindowHandle window, const std::function<void(WindowHandle)>& visit);
// Position (parent client coordinates, screen for a dialog) and size; flags are SWP_* values.
bool SetWindowPosition(WindowHandle window, int x, int y, int width, int height, unsigned flags);
bool MoveWindowTo(WindowHandle window, int x, int y, int width, int height, bool repaint);
// Turns a window's drawing off and on (WM_SETREDRAW), around a batch of changes; after turning it
// on, invalidate the window to show the changes.
void SetRedraw(WindowHandle window, bool on);
// Invalidates the whole client area (erase = erase the background first).
void InvalidateWindow(WindowHandle window, bool erase);

// ---------------------------------------------------------------------------------------------
// Messages. Posted messages run after the current handler returns, in posting order. Sending runs
// the window's handling at once and returns its result.
bool PostToWindow(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam);
intptr_t SendToWindow(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam);
// Whether the Shift key is held now (GetAsyncKeyState, most significant bit).
bool IsShiftHeld();
// Timers of a window (SetTimer / KillTimer): every intervalMs the window gets WM_TIMER with the
// timer's ID as wParam, through its message queue (so never while a handler of it runs); setting
// an ID again replaces its interval. False when there is no window or the system refused.
bool SetWindowTimer(WindowHandle window, uintptr_t id, unsigned intervalMs);
void KillWindowTimer(WindowHandle window, uintptr_t id);

// ---------------------------------------------------------------------------------------------
// Combo box (CB_* messages). Indexes are 0-based; -1 (CB_ERR) means none / failure.
int ComboCount(WindowHandle combo);
int ComboInsert(WindowHandle combo, int index, const char* text);  // the index, or -1
bool ComboSetData(WindowHandle combo, int index, intptr_t data);
intptr_t ComboGetData(WindowHandle combo, int index);                       // -1 for a bad index
int ComboGetText(WindowHandle combo, int index, char* text, int capacity);  // length, or -1
int ComboTextLength(WindowHandle combo, int index);                         // length, or -1
int ComboGetSelection(WindowHandle combo);
// Selects an item (-1 clears the selection) without notifying the owner; the new selection, or -1
// when the index is out of range (the selection is then cleared, as CB_SETCURSEL does).
int ComboSetSelection(WindowHandle combo, int index);
void ComboReset(WindowHandle combo);
void ComboSetDroppedWidth(WindowHandle combo, int width);
int ComboGetDroppedWidth(WindowHandle combo);
// The item height of an owner-drawn fixed combo box: index -1 the selection field, 0 the list's
// items (CB_GETITEMHEIGHT / CB_SETITEMHEIGHT); -1 when it cannot be read.
int ComboGetItemHeight(WindowHandle combo, int index);
void ComboSetItemHeight(WindowHandle combo, int index, int height);

// ---------------------------------------------------------------------------------------------
// List view in report style (LVM_* messages).
void ListSetExtendedStyle(WindowHandle list, uint32_t style);  // replaces all extended styles
int ListInsertColumn(WindowHandle list, int index, const char* header, int width, int format);
int ListColumnCount(WindowHandle list);
int ListColumnWidth(WindowHandle list, int index);  // -1 for a bad index
void ListSetColumnWidth(WindowHandle list, int index, int width);
void ListDeleteAllRows(WindowHandle list);
int ListInsertRow(WindowHandle list, int index, const char* text);  // the row, or -1
bool ListSetSubItem(WindowHandle list, int row, int column, const char* text);
int ListRowCount(WindowHandle list);
// Sets the states under mask (LVIS_*) of a row, -1 meaning every row. Every change notifies the
// dialog with LVN_ITEMCHANGED naming the row: a row that becomes focused (or selected, in a
// single-selection list) first takes the selection and then the focus from the other rows, each
// loss notified on its own, and then is notified once itself. ListDeleteAllRows notifies the
// deselection of every selected row before the rows go; inserting rows notifies nothing.
bool ListSetItemState(WindowHandle list, int row, unsigned state, unsigned mask);
unsigned ListGetItemState(WindowHandle list, int row, unsigned mask);
bool ListEnsureVisible(WindowHandle list, int row, bool partialOk);
// The first row shown (LVM_GETTOPINDEX), the rows that fit in the view (LVM_GETCOUNTPERPAGE), and a
// scroll by whole rows, down for a positive count (LVM_SCROLL). Inserting a row keeps the top
// index: the rows shown then move down by one unless the list is scrolled to follow.
int ListTopIndex(WindowHandle list);
int ListRowsPerPage(WindowHandle list);
void ListScrollRows(WindowHandle list, int rows);

// ---------------------------------------------------------------------------------------------
// Progress bar of style PBS_MARQUEE: the marquee animation on or off (PBM_SETMARQUEE).
void ProgressSetMarquee(WindowHandle bar, bool on);

// ---------------------------------------------------------------------------------------------
// Edit control.
void EditSetSelection(WindowHandle edit, int start, int end);  // EM_SETSEL (0, -1 = all)
void EditScrollCaret(WindowHandle edit);                       // EM_SCROLLCARET
// Selects line (0-based) of a multi-line edit without its line break and scrolls it into view
// (EM_LINEINDEX, EM_LINELENGTH, EM_SETSEL, EM_SCROLLCARET). Lines are those the control shows: with
// ES_AUTOHSCROLL (no word wrap) the text's own lines, which end in CR LF. False when there is no
// such line.
bool EditSelectLine(WindowHandle edit, int line);

// ---------------------------------------------------------------------------------------------
// Drawing and measuring. A device context from GetWindowDc must go back through ReleaseWindowDc.
DcHandle GetWindowDc(WindowHandle window);  // nullptr when none could be obtained
void ReleaseWindowDc(WindowHandle window, DcHandle dc);
FontHandle FontOf(WindowHandle window);                   // the font the window reports (WM_GETFONT)
FontHandle SelectFontInto(DcHandle dc, FontHandle font);  // the previous font
bool TextExtent(DcHandle dc, const char* text, int* width, int* height);
Color SystemColor(int index);
int VerticalScrollBarWidth();  // GetSystemMetrics(SM_CXVSCROLL)
// Fills the rectangle with a solid brush of the colour, made for this fill and deleted after it.
void FillSolid(DcHandle dc, const Rect& rect, Color color);
// A 1-pixel line in the colour from (x0, y0) to (x1, y1), end point excluded (MoveToEx, LineTo);
// the pen is made for this line, and the previous pen is restored before it is deleted.
void DrawLine(DcHandle dc, int x0, int y0, int x1, int y1, Color color);
Color SetDcTextColor(DcHandle dc, Color color);  // the previous colour
Color SetDcBackColor(DcHandle dc, Color color);  // the previous colour
int SetDcBackMode(DcHandle dc, int mode);        // the previous mode
void DrawTextIn(DcHandle dc, const char* text, const Rect& rect, unsigned flags);
void DrawFocusRectangle(DcHandle dc, const Rect& rect);

// ---------------------------------------------------------------------------------------------
// Icons: from the current resource module (Platform::ResourceModule, platform/resource_module.h)
// by ID in the image nearest to size x size pixels, nullptr when missing; set as the small icon of
// a window (the window owns the icon from then on and destroys the one it replaces).
IconHandle LoadModuleIcon(int id, int size);
void SetSmallIcon(WindowHandle window, IconHandle icon);

// ---------------------------------------------------------------------------------------------
// DPI. WindowDpi: the dots per inch the window is drawn at: its monitor's under per-monitor
// awareness (Windows 10 1607 and later), else the system's; kDefaultDpi (96) is 100 % scaling. A
// top-level window that moves to a monitor of another DPI gets kDpiChangedMessage (WM_DPICHANGED):
// the new DPI in wParam's low word, the suggested outer rectangle in DpiChangedRect(lParam).
constexpr int kDefaultDpi = 96;
constexpr unsigned kDpiChangedMessage = 0x02E0;
int WindowDpi(WindowHandle window);
Rect DpiChangedRect(intptr_t lParam);
// The side of a small icon in pixels at a DPI (SM_CXSMICON there: 16 at 96, 24 at 144).
int SmallIconSize(int dpi);

// ---------------------------------------------------------------------------------------------
// A modal message box owned by a window (nullptr: no owner): Platform::ShowMessageBox
// (platform/message_box.h), recorded there, and answered without being shown while capture is on.
using Platform::ShowMessageBox;

// ---------------------------------------------------------------------------------------------
// The record of an owner-drawn item (WM_DRAWITEM).
struct DrawItemRecord {
    int itemId = -1;         // item index, -1 for the selection field with no item
    unsigned itemState = 0;  // ODS_* flags
    DcHandle dc = nullptr;
    Rect rect;            // item rectangle in the control's client coordinates
    intptr_t native = 0;  // the platform's own record (its address), for passing on
};

// A subclassed control: a control of a dialog template with handling of its own. The object is
// attached to the control while the dialog opens (SubclassDlgItem) and detached when the dialog
// closes; it must live as long as the dialog.
class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Attaches this object to the control with the ID in the dialog. False when there is no such
    // control or it is already attached.
    bool SubclassDlgItem(int id, WindowHandle dialog);
    WindowHandle Handle() const { return handle_; }

    // Every message sent or posted to the control comes here first. The default passes it to the
    // control's own handling (Default). Override to handle a message, calling Default for the
    // rest.
    virtual intptr_t WindowProc(unsigned message, uintptr_t wParam, intptr_t lParam);
    // The control's own handling of a message (an edit inserts characters, and so on).
    intptr_t Default(unsigned message, uintptr_t wParam, intptr_t lParam);

    // Key and character messages addressed to the control, before the dialog's keyboard handling
    // and the control see them. True = the message is consumed and goes no further.
    virtual bool PreTranslateMessage(unsigned message, uintptr_t wParam, intptr_t lParam);
    // A command notification of this control (CBN_*, EN_*, BN_*), reflected to it before its
    // dialog sees it. True = handled here; the dialog's handlers do not receive it.
    virtual bool OnReflectedCommand(int code);
    // Owner drawing of one item of this control.
    virtual void DrawItem(const DrawItemRecord& record);

    // Framework use: called when the control goes away.
    void Detach();

private:
    WindowHandle handle_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// A notification or command from a control to its dialog.
struct Notification {
    int controlId = 0;
    int code = 0;   // BN_CLICKED, CBN_SELCHANGE, EN_CHANGE, LVN_ITEMCHANGED ...
    int item = -1;  // LVN_ITEMCHANGED, LVN_GETINFOTIP: the row it names (-1 for none)
    int column = -1;  // LVN_COLUMNCLICK: the column whose header was clicked
    // LVN_GETINFOTIP: the handler writes the row's tip here (ANSI code page); left empty, the list
    // view shows what it would without a handler.
    std::string* tip = nullptr;
};
using Handler = std::function<void(const Notification&)>;

// A modal dialog from a template of the current resource module, with no parent window.
class CDialog {
public:
    explicit CDialog(int templateId);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Creates the dialog and its controls, runs OnInitDialog, shows the dialog and handles its
    // messages until EndDialog. Returns the value given to EndDialog (IDOK after OnOK, IDCANCEL
    // after OnCancel), or kDialogFailed when the template cannot be loaded. With an owner (a
    // running dialog that opens this one) the dialog is owned by it and centred on it, and the
    // owner is disabled until this dialog ends; the owner's timers keep running.
    int DoModal(WindowHandle owner = nullptr);

    // Opening: the controls exist with their IDs. True = the dialog manager puts the focus on the
    // first tab stop. The default does nothing and returns true.
    virtual bool OnInitDialog();
    // The IDOK command (the OK button or the Enter key): the default ends the dialog with IDOK.
    virtual void OnOK();
    // The IDCANCEL command (the Cancel button, the Escape key, the close box): the default ends
    // the dialog with IDCANCEL.
    virtual void OnCancel();
    // Ends the dialog with the result after the current handler returns.
    void EndDialog(int result);

    // The handler table: the handler for (control ID, notification code). Commands IDOK and
    // IDCANCEL with code BN_CLICKED go to OnOK / OnCancel unless the table has an entry for them.
    // A later entry for the same pair replaces the earlier one.
    void OnNotification(int controlId, int code, Handler handler);
    // A handler for a message to the dialog window itself (for example a WM_APP message posted by
    // the program). Its result is the message's result.
    void OnMessage(unsigned message, std::function<intptr_t(uintptr_t wParam, intptr_t lParam)> handler);

    WindowHandle Handle() const { return handle_; }
    int TemplateId() const { return templateId_; }

    // Framework use: routes one notification through the table; true when a handler ran.
    bool Dispatch(const Notification& notification);
    // Framework use: routes a message to an OnMessage handler; true when one ran.
    bool RouteMessage(unsigned message, uintptr_t wParam, intptr_t lParam, intptr_t* result);
    // Framework use: the window of the running dialog, set during creation, cleared after it.
    void SetHandle(WindowHandle handle) { handle_ = handle; }
    bool Ended() const { return ended_; }
    int Result() const { return result_; }
    void Restart()
    {
        ended_ = false;
        result_ = kDialogFailed;
    }

private:
    struct Entry {
        int controlId;
        int code;
        Handler handler;
    };
    struct MessageEntry {
        unsigned message;
        std::function<intptr_t(uintptr_t, intptr_t)> handler;
    };
    int templateId_;
    WindowHandle handle_ = nullptr;
    bool ended_ = false;
    int result_ = kDialogFailed;
    std::vector<Entry> entries_;
    std::vector<MessageEntry> messages_;
};

}  // namespace Windowing
