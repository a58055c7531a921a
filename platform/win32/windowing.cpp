// The windowing layer on Windows: a thin framework over USER32, GDI32 and common controls 6 (modal
// dialogs from templates with our own message loop, subclassed controls, owner drawing).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "platform/message_box.h"
#include "platform/resource_module.h"
#include "platform/windowing.h"

using namespace Windowing;

namespace {

// The property that links a subclassed control's window to its CWnd object.
const char kCWndProperty[] = "ScanLink.CWnd";
const char kOriginalProcProperty[] = "ScanLink.WndProc";

HWND H(WindowHandle window)
{
    return static_cast<HWND>(window);
}

HDC Hdc(DcHandle dc)
{
    return static_cast<HDC>(dc);
}

HINSTANCE ResourceInstance()
{
    void* module = Platform::ResourceModule();
    return module ? static_cast<HINSTANCE>(module) : GetModuleHandleA(nullptr);
}

CWnd* CWndOf(HWND hwnd)
{
    return hwnd ? static_cast<CWnd*>(GetPropA(hwnd, kCWndProperty)) : nullptr;
}

int CopyOut(const char* from, int length, char* text, int capacity)
{
    if (text && capacity > 0) {
        int n = std::min(length, capacity - 1);
        std::memcpy(text, from, static_cast<size_t>(n));
        text[n] = '\0';
    }
    return length;
}

// The window procedure of a subclassed control: an ANSI procedure (SetWindowLongPtrA), so that
// characters arrive as bytes of the ANSI code page, a double-byte character as two WM_CHAR.
LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* control = CWndOf(hwnd);
    WNDPROC original = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kOriginalProcProperty));
    if (!control) return original ? CallWindowProcA(original, hwnd, message, wParam, lParam) : 0;
    if (message == WM_NCDESTROY) {
        control->Detach();
        return CallWindowProcA(original, hwnd, message, wParam, lParam);
    }
    return control->WindowProc(message, wParam, lParam);
}

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        dialog->SetHandle(hwnd);
        return dialog->OnInitDialog() ? TRUE : FALSE;
    }
    if (!dialog) return FALSE;
    switch (message) {
    case WM_COMMAND: {
        HWND from = reinterpret_cast<HWND>(lParam);
        int code = HIWORD(wParam);
        if (CWnd* control = CWndOf(from); control && control->OnReflectedCommand(code)) return TRUE;
        dialog->Dispatch(Notification{LOWORD(wParam), code, -1});
        return TRUE;
    }
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        const int from = static_cast<int>(header->idFrom);
        if (header->code == static_cast<UINT>(LVN_COLUMNCLICK)) {
            Notification clicked{from, kLvnColumnClick, -1};
            clicked.column = reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem;
            dialog->Dispatch(clicked);
            SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        if (header->code == static_cast<UINT>(LVN_GETINFOTIPA) || header->code == static_cast<UINT>(LVN_GETINFOTIPW)) {
            // The list view asks in the character set the dialog's window answered WM_NOTIFYFORMAT
            // with; both are taken, the tip converted from the ANSI code page for the wide one.
            const bool wide = header->code == static_cast<UINT>(LVN_GETINFOTIPW);
            const int row = wide ? reinterpret_cast<const NMLVGETINFOTIPW*>(lParam)->iItem
                                 : reinterpret_cast<const NMLVGETINFOTIPA*>(lParam)->iItem;
            std::string tip;
            Notification asked{from, kLvnGetInfoTip, row};
            asked.tip = &tip;
            dialog->Dispatch(asked);
            if (!tip.empty() && wide) {
                NMLVGETINFOTIPW* info = reinterpret_cast<NMLVGETINFOTIPW*>(lParam);
                if (info->pszText != nullptr && info->cchTextMax > 0 &&
                    MultiByteToWideChar(CP_ACP, 0, tip.c_str(), -1, info->pszText, info->cchTextMax) == 0)
                    info->pszText[info->cchTextMax - 1] = L'\0';
            } else if (!tip.empty()) {
                NMLVGETINFOTIPA* info = reinterpret_cast<NMLVGETINFOTIPA*>(lParam);
                if (info->pszText != nullptr && info->cchTextMax > 0) lstrcpynA(info->pszText, tip.c_str(), info->cchTextMax);
            }
            SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        if (header->code != static_cast<UINT>(LVN_ITEMCHANGED)) return FALSE;
        const NMLISTVIEW* item = reinterpret_cast<const NMLISTVIEW*>(lParam);
        dialog->Dispatch(Notification{static_cast<int>(header->idFrom), kLvnItemChanged, item->iItem});
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, 0);
        return TRUE;
    }
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        CWnd* control = CWndOf(draw->hwndItem);
        if (!control) return FALSE;
        DrawItemRecord record;
        record.itemId = static_cast<int>(draw->itemID);
        record.itemState = draw->itemState;
        record.dc = draw->hDC;
        record.rect = Rect{draw->rcItem.left, draw->rcItem.top, draw->rcItem.right, draw->rcItem.bottom};
        record.native = lParam;
        control->DrawItem(record);
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    default: {
        intptr_t result = 0;
        if (!dialog->RouteMessage(message, wParam, lParam, &result)) return FALSE;
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    }
}

// EnumChildWindows' callback (a named CALLBACK function: 32-bit Windows calls it as stdcall).
BOOL CALLBACK VisitChild(HWND child, LPARAM data)
{
    (*reinterpret_cast<const std::function<void(WindowHandle)>*>(data))(child);
    return TRUE;
}

// Key messages go first to the subclassed controls on the way from the target up to the dialog.
bool PreTranslate(HWND dialog, const MSG& msg)
{
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    for (HWND w = msg.hwnd; w && w != dialog; w = GetParent(w)) {
        CWnd* control = CWndOf(w);
        if (control && control->PreTranslateMessage(msg.message, msg.wParam, msg.lParam)) return true;
    }
    return false;
}

}  // namespace

namespace Windowing {

WindowHandle ItemOf(WindowHandle dialog, int id)
{
    if (!dialog) return nullptr;
    return id == 0 ? dialog : GetDlgItem(H(dialog), id);
}

bool SetText(WindowHandle window, const char* text)
{
    return window && SetWindowTextA(H(window), text ? text : "");
}

int GetText(WindowHandle window, char* text, int capacity)
{
    if (!window) return CopyOut("", 0, text, capacity), -1;
    int length = GetWindowTextLengthA(H(window));
    char* all = new char[static_cast<size_t>(length) + 1];
    int got = GetWindowTextA(H(window), all, length + 1);
    int result = CopyOut(all, got, text, capacity);
    delete[] all;
    return result;
}

int TextLength(WindowHandle window)
{
    return window ? GetWindowTextLengthA(H(window)) : -1;
}

bool SetItemText(WindowHandle dialog, int id, const char* text)
{
    return SetText(ItemOf(dialog, id), text);
}

int GetItemText(WindowHandle dialog, int id, char* text, int capacity)
{
    return GetText(ItemOf(dialog, id), text, capacity);
}

void CheckItem(WindowHandle dialog, int id, bool checked)
{
    if (dialog) CheckDlgButton(H(dialog), id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool IsItemChecked(WindowHandle dialog, int id)
{
    return dialog && IsDlgButtonChecked(H(dialog), id) == BST_CHECKED;
}

void EnableWindowTo(WindowHandle window, bool enabled)
{
    if (window) EnableWindow(H(window), enabled ? TRUE : FALSE);
}

bool IsWindowEnabledNow(WindowHandle window)
{
    return window && IsWindowEnabled(H(window));
}

void ShowWindowTo(WindowHandle window, bool visible)
{
    if (window) ShowWindow(H(window), visible ? SW_SHOW : SW_HIDE);
}

bool IsWindowShown(WindowHandle window)
{
    return window && (GetWindowLongPtrA(H(window), GWL_STYLE) & WS_VISIBLE);
}

uint32_t GetStyle(WindowHandle window)
{
    return window ? static_cast<uint32_t>(GetWindowLongPtrA(H(window), GWL_STYLE)) : 0;
}

void SetStyle(WindowHandle window, uint32_t style)
{
    if (window) SetWindowLongPtrA(H(window), GWL_STYLE, static_cast<LONG_PTR>(style));
}

void SetFocusTo(WindowHandle window)
{
    if (window) SetFocus(H(window));
}

WindowHandle FocusedWindow()
{
    return GetFocus();
}

Rect GetWindowRectangle(WindowHandle window)
{
    RECT r{};
    if (!window || !GetWindowRect(H(window), &r)) return {};
    return Rect{r.left, r.top, r.right, r.bottom};
}

Point ScreenToClientPoint(WindowHandle window, Point screen)
{
    POINT p{screen.x, screen.y};
    if (window) ScreenToClient(H(window), &p);
    return Point{p.x, p.y};
}

WindowHandle ParentOf(WindowHandle window)
{
    // A top-level window has no parent here (GetParent would answer its owner).
    if (!window || !(GetWindowLongPtrA(H(window), GWL_STYLE) & WS_CHILD)) return nullptr;
    return GetParent(H(window));
}

WindowHandle OwnerOf(WindowHandle window)
{
    return window ? GetWindow(H(window), GW_OWNER) : nullptr;
}

void EnumDescendants(WindowHandle window, const std::function<void(WindowHandle)>& visit)
{
    if (!window) return;
    EnumChildWindows(H(window), VisitChild, reinterpret_cast<LPARAM>(&visit));
}

bool SetWindowPosition(WindowHandle window, int x, int y, int width, int height, unsigned flags)
{
    return window && SetWindowPos(H(window), nullptr, x, y, width, height, flags);
}

bool MoveWindowTo(WindowHandle window, int x, int y, int width, int height, bool repaint)
{
    return window && MoveWindow(H(window), x, y, width, height, repaint ? TRUE : FALSE);
}

void InvalidateWindow(WindowHandle window, bool erase)
{
    if (window) InvalidateRect(H(window), nullptr, erase ? TRUE : FALSE);
}

bool PostToWindow(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    return window && PostMessageA(H(window), message, wParam, lParam);
}

intptr_t SendToWindow(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    return window ? SendMessageA(H(window), message, wParam, lParam) : 0;
}

bool IsShiftHeld()
{
    return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
}

bool SetWindowTimer(WindowHandle window, uintptr_t id, unsigned intervalMs)
{
    return window && SetTimer(H(window), id, intervalMs, nullptr) != 0;
}

void KillWindowTimer(WindowHandle window, uintptr_t id)
{
    if (window) KillTimer(H(window), id);
}

void ProgressSetMarquee(WindowHandle bar, bool on)
{
    // 30 ms between the animation's steps, the common controls' usual pace.
    if (bar) SendMessageA(H(bar), PBM_SETMARQUEE, on ? TRUE : FALSE, 30);
}

int ComboCount(WindowHandle combo)
{
    return combo ? static_cast<int>(SendMessageA(H(combo), CB_GETCOUNT, 0, 0)) : -1;
}

int ComboInsert(WindowHandle combo, int index, const char* text)
{
    if (!combo) return -1;
    LRESULT r =
        SendMessageA(H(combo), CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text ? text : ""));
    return r < 0 ? -1 : static_cast<int>(r);
}

bool ComboSetData(WindowHandle combo, int index, intptr_t data)
{
    return combo && SendMessageA(H(combo), CB_SETITEMDATA, static_cast<WPARAM>(index), data) != CB_ERR;
}

intptr_t ComboGetData(WindowHandle combo, int index)
{
    return combo ? SendMessageA(H(combo), CB_GETITEMDATA, static_cast<WPARAM>(index), 0) : -1;
}

int ComboTextLength(WindowHandle combo, int index)
{
    if (!combo) return -1;
    LRESULT r = SendMessageA(H(combo), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    return r < 0 ? -1 : static_cast<int>(r);
}

int ComboGetText(WindowHandle combo, int index, char* text, int capacity)
{
    int length = ComboTextLength(combo, index);
    if (length < 0) return CopyOut("", 0, text, capacity), -1;
    char* all = new char[static_cast<size_t>(length) + 1]();
    LRESULT got = SendMessageA(H(combo), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(all));
    int result = got < 0 ? (CopyOut("", 0, text, capacity), -1) : CopyOut(all, static_cast<int>(got), text, capacity);
    delete[] all;
    return result;
}

int ComboGetSelection(WindowHandle combo)
{
    return combo ? static_cast<int>(SendMessageA(H(combo), CB_GETCURSEL, 0, 0)) : -1;
}

int ComboSetSelection(WindowHandle combo, int index)
{
    return combo ? static_cast<int>(SendMessageA(H(combo), CB_SETCURSEL, static_cast<WPARAM>(index), 0)) : -1;
}

void ComboReset(WindowHandle combo)
{
    if (combo) SendMessageA(H(combo), CB_RESETCONTENT, 0, 0);
}

void ComboSetDroppedWidth(WindowHandle combo, int width)
{
    if (combo) SendMessageA(H(combo), CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width), 0);
}

int ComboGetDroppedWidth(WindowHandle combo)
{
    return combo ? static_cast<int>(SendMessageA(H(combo), CB_GETDROPPEDWIDTH, 0, 0)) : -1;
}

int ComboGetItemHeight(WindowHandle combo, int index)
{
    if (!combo) return -1;
    LRESULT height = SendMessageA(H(combo), CB_GETITEMHEIGHT, static_cast<WPARAM>(index), 0);
    return height == CB_ERR ? -1 : static_cast<int>(height);
}

void ComboSetItemHeight(WindowHandle combo, int index, int height)
{
    if (combo && height > 0) SendMessageA(H(combo), CB_SETITEMHEIGHT, static_cast<WPARAM>(index), height);
}

void ListSetExtendedStyle(WindowHandle list, uint32_t style)
{
    if (list) SendMessageA(H(list), LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style);
}

int ListInsertColumn(WindowHandle list, int index, const char* header, int width, int format)
{
    if (!list) return -1;
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<char*>(header ? header : "");
    column.iSubItem = index;
    return static_cast<int>(
        SendMessageA(H(list), LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)));
}

void ListSetColumnWidth(WindowHandle list, int index, int width)
{
    if (list) SendMessageA(H(list), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index), MAKELPARAM(width, 0));
}

int ListColumnCount(WindowHandle list)
{
    if (!list) return -1;
    HWND header = reinterpret_cast<HWND>(SendMessageA(H(list), LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : -1;
}

int ListColumnWidth(WindowHandle list, int index)
{
    if (!list || index < 0 || index >= ListColumnCount(list)) return -1;
    return static_cast<int>(SendMessageA(H(list), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(index), 0));
}

void ListDeleteAllRows(WindowHandle list)
{
    if (list) SendMessageA(H(list), LVM_DELETEALLITEMS, 0, 0);
}

int ListInsertRow(WindowHandle list, int index, const char* text)
{
    if (!list) return -1;
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<char*>(text ? text : "");
    return static_cast<int>(SendMessageA(H(list), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

bool ListSetSubItem(WindowHandle list, int row, int column, const char* text)
{
    if (!list) return false;
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text ? text : "");
    return SendMessageA(H(list), LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)) != 0;
}

int ListRowCount(WindowHandle list)
{
    return list ? static_cast<int>(SendMessageA(H(list), LVM_GETITEMCOUNT, 0, 0)) : -1;
}

bool ListSetItemState(WindowHandle list, int row, unsigned state, unsigned mask)
{
    if (!list) return false;
    LVITEMA item{};
    item.stateMask = mask;
    item.state = state;
    return SendMessageA(H(list), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)) != 0;
}

unsigned ListGetItemState(WindowHandle list, int row, unsigned mask)
{
    return list ? static_cast<unsigned>(SendMessageA(H(list), LVM_GETITEMSTATE, static_cast<WPARAM>(row), mask)) : 0;
}

bool ListEnsureVisible(WindowHandle list, int row, bool partialOk)
{
    return list && SendMessageA(H(list), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), partialOk ? TRUE : FALSE);
}

void SetRedraw(WindowHandle window, bool on)
{
    if (window) SendMessageA(H(window), WM_SETREDRAW, on ? TRUE : FALSE, 0);
}

int ListTopIndex(WindowHandle list)
{
    return list ? static_cast<int>(SendMessageA(H(list), LVM_GETTOPINDEX, 0, 0)) : 0;
}

int ListRowsPerPage(WindowHandle list)
{
    return list ? static_cast<int>(SendMessageA(H(list), LVM_GETCOUNTPERPAGE, 0, 0)) : 0;
}

void ListScrollRows(WindowHandle list, int rows)
{
    // In report view LVM_SCROLL takes pixels; a row is as high as the first row's bounds.
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    if (!list || rows == 0 || !SendMessageA(H(list), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&bounds))) return;
    SendMessageA(H(list), LVM_SCROLL, 0, rows * (bounds.bottom - bounds.top));
}

void EditSetSelection(WindowHandle edit, int start, int end)
{
    if (edit) SendMessageA(H(edit), EM_SETSEL, static_cast<WPARAM>(start), end);
}

void EditScrollCaret(WindowHandle edit)
{
    if (edit) SendMessageA(H(edit), EM_SCROLLCARET, 0, 0);
}

bool EditSelectLine(WindowHandle edit, int line)
{
    if (!edit || line < 0) return false;
    const LRESULT start = SendMessageA(H(edit), EM_LINEINDEX, static_cast<WPARAM>(line), 0);
    if (start < 0) return false;
    const LRESULT length = SendMessageA(H(edit), EM_LINELENGTH, static_cast<WPARAM>(start), 0);
    SendMessageA(H(edit), EM_SETSEL, static_cast<WPARAM>(start), start + length);
    SendMessageA(H(edit), EM_SCROLLCARET, 0, 0);
    return true;
}

DcHandle GetWindowDc(WindowHandle window)
{
    return window ? GetDC(H(window)) : nullptr;
}

void ReleaseWindowDc(WindowHandle window, DcHandle dc)
{
    if (window && dc) ReleaseDC(H(window), Hdc(dc));
}

FontHandle FontOf(WindowHandle window)
{
    return window ? reinterpret_cast<FontHandle>(SendMessageA(H(window), WM_GETFONT, 0, 0)) : nullptr;
}

FontHandle SelectFontInto(DcHandle dc, FontHandle font)
{
    if (!dc) return nullptr;
    HGDIOBJ object = font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT);
    return SelectObject(Hdc(dc), object);
}

bool TextExtent(DcHandle dc, const char* text, int* width, int* height)
{
    SIZE size{};
    if (!dc || !text || !GetTextExtentPoint32A(Hdc(dc), text, static_cast<int>(std::strlen(text)), &size)) return false;
    if (width) *width = size.cx;
    if (height) *height = size.cy;
    return true;
}

Color SystemColor(int index)
{
    return GetSysColor(index);
}

int VerticalScrollBarWidth()
{
    return GetSystemMetrics(SM_CXVSCROLL);
}

void FillSolid(DcHandle dc, const Rect& rect, Color color)
{
    if (!dc) return;
    HBRUSH brush = CreateSolidBrush(color);
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    FillRect(Hdc(dc), &r, brush);
    DeleteObject(brush);
}

void DrawLine(DcHandle dc, int x0, int y0, int x1, int y1, Color color)
{
    if (!dc) return;
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ previous = SelectObject(Hdc(dc), pen);
    MoveToEx(Hdc(dc), x0, y0, nullptr);
    LineTo(Hdc(dc), x1, y1);
    SelectObject(Hdc(dc), previous);
    DeleteObject(pen);
}

Color SetDcTextColor(DcHandle dc, Color color)
{
    return dc ? SetTextColor(Hdc(dc), color) : 0;
}

Color SetDcBackColor(DcHandle dc, Color color)
{
    return dc ? SetBkColor(Hdc(dc), color) : 0;
}

int SetDcBackMode(DcHandle dc, int mode)
{
    return dc ? SetBkMode(Hdc(dc), mode) : 0;
}

void DrawTextIn(DcHandle dc, const char* text, const Rect& rect, unsigned flags)
{
    if (!dc || !text) return;
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    DrawTextA(Hdc(dc), text, -1, &r, flags);
}

void DrawFocusRectangle(DcHandle dc, const Rect& rect)
{
    if (!dc) return;
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    DrawFocusRect(Hdc(dc), &r);
}

IconHandle LoadModuleIcon(int id, int size)
{
    return LoadImageA(ResourceInstance(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR);
}

void SetSmallIcon(WindowHandle window, IconHandle icon)
{
    if (!window) return;
    HICON previous =
        reinterpret_cast<HICON>(SendMessageA(H(window), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
    if (previous && previous != static_cast<HICON>(icon)) DestroyIcon(previous);
}

// The DPI functions of Windows 10 1607 and later, looked up once (null on older Windows).
template <typename Function>
Function User32Function(const char* name)
{
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

int WindowDpi(WindowHandle window)
{
    static const auto getDpiForWindow = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (window && getDpiForWindow) {
        if (UINT dpi = getDpiForWindow(H(window)); dpi > 0) return static_cast<int>(dpi);
    }
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDefaultDpi;
}

Rect DpiChangedRect(intptr_t lParam)
{
    const RECT* r = reinterpret_cast<const RECT*>(lParam);
    return r ? Rect{r->left, r->top, r->right, r->bottom} : Rect{};
}

int SmallIconSize(int dpi)
{
    static const auto metricsForDpi = User32Function<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
    if (metricsForDpi) return metricsForDpi(SM_CXSMICON, static_cast<UINT>(dpi));
    return MulDiv(GetSystemMetrics(SM_CXSMICON), dpi, WindowDpi(nullptr));
}

CWnd::~CWnd()
{
    Detach();
}

bool CWnd::SubclassDlgItem(int id, WindowHandle dialog)
{
    HWND control = dialog ? GetDlgItem(H(dialog), id) : nullptr;
    if (!control || handle_ || CWndOf(control)) return false;
    LONG_PTR original = GetWindowLongPtrA(control, GWLP_WNDPROC);
    if (!original) return false;
    SetPropA(control, kCWndProperty, this);
    SetPropA(control, kOriginalProcProperty, reinterpret_cast<HANDLE>(original));
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc));
    handle_ = control;
    return true;
}

void CWnd::Detach()
{
    if (!handle_) return;
    HWND control = H(handle_);
    LONG_PTR original = reinterpret_cast<LONG_PTR>(GetPropA(control, kOriginalProcProperty));
    if (GetWindowLongPtrA(control, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(SubclassProc))
        SetWindowLongPtrA(control, GWLP_WNDPROC, original);
    RemovePropA(control, kCWndProperty);
    RemovePropA(control, kOriginalProcProperty);
    handle_ = nullptr;
}

intptr_t CWnd::Default(unsigned message, uintptr_t wParam, intptr_t lParam)
{
    if (!handle_) return 0;
    WNDPROC original = reinterpret_cast<WNDPROC>(GetPropA(H(handle_), kOriginalProcProperty));
    return original ? CallWindowProcA(original, H(handle_), message, wParam, lParam) : 0;
}

int CDialog::DoModal(WindowHandle owner)
{
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof controls,
                                      ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)registered;
    Restart();
    HWND hwnd = CreateDialogParamA(ResourceInstance(), MAKEINTRESOURCEA(TemplateId()), H(owner), DialogProc,
                                   reinterpret_cast<LPARAM>(this));
    if (!hwnd) {
        SetHandle(nullptr);
        return kDialogFailed;
    }
    // The owner takes no input while this dialog runs, as under DialogBox.
    const bool ownerWasEnabled = owner && EnableWindow(H(owner), FALSE) == 0;
    if (!Ended()) ShowWindow(hwnd, SW_SHOW);
    MSG msg;
    while (!Ended()) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        // WM_QUIT (handed on to the loop outside) or a failed read ends the dialog as Cancel
        // does, through its handler, so that it does what it does on every cancel; a handler
        // that refuses to end it cannot keep a dialog without a message loop open.
        if (got == 0 || got == -1) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            OnCancel();
            if (!Ended()) EndDialog(kIdCancel);
            break;
        }
        if (PreTranslate(hwnd, msg)) continue;
        if (IsDialogMessageA(hwnd, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // The owner is enabled before this window goes, so that the activation returns to it.
    if (ownerWasEnabled) EnableWindow(H(owner), TRUE);
    DestroyWindow(hwnd);
    SetHandle(nullptr);
    return Result();
}

}  // namespace Windowing
