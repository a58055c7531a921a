// Test driver for the end-to-end tests: finds ScanLink's windows from outside, reads what they
// show and clicks, types and selects in them, one command after another.
//
//   ui_driver.exe [--timeout MS] COMMAND ARGS [+ COMMAND ARGS ...]
//
// Window commands (the found window becomes the current one):
//   wait TITLE          a visible top-level window with exactly this caption that accepts input
//   wait-class CLASS    the same, by window class
//   wait-dialog         any visible dialog window that is not a message box
//   wait-gone           the current window disappears (destroyed or hidden)
//   msgbox              a message box appears: prints "msgbox CAPTION<TAB>TEXT"
//   close-msgbox        waits for a message box, prints it like msgbox and presses its OK button
//   none-msgbox MS      checks that no message box appears within MS milliseconds
// Reading (ID 0 is the current window itself):
//   text ID             "text ID TEXT"
//   state ID            "state ID enabled=N visible=N checked=N"
//   control ID          "control ID CLASS style=0xHEX exstyle=0xHEX"
//   rect ID             "rect ID LEFT TOP RIGHT BOTTOM" (ID 0: screen; controls: dialog client)
//   style               "style sysmenu=N"
//   focus               "focus ID" of the control that has the keyboard focus (-1 for none)
//   sel ID              "sel ID START END" of an edit field
//   list ID             "rows N", then "row I SELECTED COL0<TAB>COL1" per row
//   columns ID          "column I WIDTH TEXT" per header column
//   combo ID            "combo ID count=N sel=N", then "item I DATA TEXT" per item
// Acting:
//   click ID            presses a button (radio buttons included); returns once the dialog has
//                       handled it or has opened a modal window
//   type ID TEXT        sends each character of TEXT to the control as WM_CHAR, as typing does
//   settext ID TEXT     replaces the control's text (an edit field reports EN_CHANGE)
//   select-row ID N     selects and focuses list row N; N = -1 clears every row's selection
//   select-combo ID N   selects combo item N and tells the dialog (CBN_SELCHANGE)
//   sleep MS
//
// Texts are printed and taken in UTF-8. Every wait has a timeout (default 10000 ms); the first
// command that fails prints "error ..." and ends the driver with exit code 1.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "wine/win_ui.h"

namespace {

using winui::Utf8;
using winui::OneLine;

DWORD g_timeout = 10000;
HWND g_window = nullptr;

void Out(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

[[noreturn]] void Fail(const std::string& why) {
    Out("error " + why);
    std::exit(1);
}

int ToInt(const std::wstring& s) {
    wchar_t* end = nullptr;
    long v = wcstol(s.c_str(), &end, 10);
    if (s.empty() || *end) Fail("not a number: " + Utf8(s));
    return (int)v;
}

HWND Current() {
    if (!g_window || !IsWindow(g_window)) Fail("no current window (use wait first)");
    return g_window;
}

HWND Control(int id) {
    HWND w = Current();
    if (id == 0) return w;
    HWND c = GetDlgItem(w, id);
    if (!c) Fail("no control " + std::to_string(id));
    return c;
}

// The thread that runs a send for click: the dialog may open a modal message box while it
// handles the click, and the send then returns only when that box is closed.
struct PendingSend {
    HWND hwnd;
    UINT msg;
    WPARAM wp;
    LPARAM lp;
    DWORD timeout;
};

DWORD WINAPI SendThread(void* arg) {
    PendingSend* p = static_cast<PendingSend*>(arg);
    DWORD_PTR r;
    SendMessageTimeoutW(p->hwnd, p->msg, p->wp, p->lp, SMTO_NORMAL, p->timeout, &r);
    return 0;
}

struct ModalSearch {
    DWORD pid;
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindModal(HWND hwnd, LPARAM lp) {
    ModalSearch* s = reinterpret_cast<ModalSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == s->pid && hwnd != s->owner && IsWindowVisible(hwnd) && winui::ClassOf(hwnd) == L"#32770") {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Sends msg to hwnd and waits until it was handled, the current window went away, or another
// dialog window (a message box) of the same process appeared.
void SendAndSettle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    HWND dlg = Current();
    PendingSend p{hwnd, msg, wp, lp, g_timeout * 6};
    HANDLE t = CreateThread(nullptr, 0, SendThread, &p, 0, nullptr);
    if (!t) Fail("cannot start a thread");
    DWORD pid = 0;
    GetWindowThreadProcessId(dlg, &pid);
    DWORD start = winui::Now();
    for (;;) {
        if (WaitForSingleObject(t, 50) == WAIT_OBJECT_0) break;
        ModalSearch s{pid, dlg, nullptr};
        EnumWindows(FindModal, reinterpret_cast<LPARAM>(&s));
        if (s.found || !IsWindow(dlg) || !IsWindowVisible(dlg)) break;
        if (winui::Now() - start >= g_timeout) {
            CloseHandle(t);
            Fail("the window did not handle the message in time");
        }
    }
    // A send still in progress (a modal window is open) finishes by itself later; the thread
    // ends with the driver.
    CloseHandle(t);
}

void CmdWait(winui::Match m, const std::string& what) {
    HWND w = winui::WaitWindow(m, g_timeout, true);
    if (!w) Fail("no window " + what + " within " + std::to_string(g_timeout) + " ms");
    g_window = w;
    std::wstring title;
    winui::TextOf(w, title);
    Out("window " + OneLine(Utf8(title)));
}

void CmdMsgBox(bool close) {
    winui::Match m;
    m.messageBox = true;
    HWND box = winui::WaitWindow(m, g_timeout, true);
    if (!box) Fail("no message box within " + std::to_string(g_timeout) + " ms");
    std::wstring caption, text;
    if (!winui::ReadMessageBox(box, caption, text)) Fail("cannot read the message box");
    Out("msgbox " + OneLine(Utf8(caption)) + "\t" + OneLine(Utf8(text)));
    if (close) {
        if (!winui::CloseMessageBox(box)) Fail("cannot close the message box");
        if (!winui::WaitGone(box, g_timeout)) Fail("the message box did not close");
    } else {
        g_window = box;
    }
}

void CmdNoMsgBox(int ms) {
    winui::Match m;
    m.messageBox = true;
    HWND box = winui::WaitWindow(m, (DWORD)ms, false);
    if (box) {
        std::wstring caption, text;
        winui::ReadMessageBox(box, caption, text);
        Fail("unexpected message box " + OneLine(Utf8(caption)) + "\t" + OneLine(Utf8(text)));
    }
    Out("no-msgbox");
}

void CmdText(int id) {
    std::wstring t;
    if (!winui::TextOf(Control(id), t)) Fail("cannot read the text of " + std::to_string(id));
    Out("text " + std::to_string(id) + " " + OneLine(Utf8(t)));
}

void CmdState(int id) {
    HWND c = Control(id);
    DWORD_PTR checked = 0;
    if (winui::ClassOf(c) == L"Button")
        SendMessageTimeoutW(c, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, g_timeout, &checked);
    Out("state " + std::to_string(id) + " enabled=" + std::to_string(IsWindowEnabled(c) ? 1 : 0) +
        " visible=" + std::to_string(IsWindowVisible(c) ? 1 : 0) + " checked=" + std::to_string((int)checked));
}

void CmdControl(int id) {
    HWND c = Control(id);
    char style[32], exstyle[32];
    std::snprintf(style, sizeof style, "0x%08lX", (unsigned long)GetWindowLongW(c, GWL_STYLE));
    std::snprintf(exstyle, sizeof exstyle, "0x%08lX", (unsigned long)GetWindowLongW(c, GWL_EXSTYLE));
    Out("control " + std::to_string(id) + " " + Utf8(winui::ClassOf(c)) + " style=" + style + " exstyle=" + exstyle);
}

void CmdRect(int id) {
    HWND c = Control(id);
    RECT r;
    GetWindowRect(c, &r);
    if (id != 0) MapWindowPoints(nullptr, Current(), reinterpret_cast<POINT*>(&r), 2);
    Out("rect " + std::to_string(id) + " " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
        std::to_string(r.right) + " " + std::to_string(r.bottom));
}

void CmdStyle() {
    LONG style = GetWindowLongW(Current(), GWL_STYLE);
    Out(std::string("style sysmenu=") + ((style & WS_SYSMENU) ? "1" : "0"));
}

void CmdFocus() {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    DWORD tid = GetWindowThreadProcessId(Current(), nullptr);
    int id = -1;
    if (GetGUIThreadInfo(tid, &info) && info.hwndFocus) id = GetDlgCtrlID(info.hwndFocus);
    Out("focus " + std::to_string(id));
}

void CmdSel(int id) {
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(Control(id), EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, g_timeout, &r))
        Fail("cannot read the selection of " + std::to_string(id));
    Out("sel " + std::to_string(id) + " " + std::to_string(LOWORD(r)) + " " + std::to_string(HIWORD(r)));
}

void CmdList(int id) {
    HWND list = Control(id);
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, g_timeout, &count))
        Fail("cannot count the rows of " + std::to_string(id));
    Out("rows " + std::to_string((int)count));
    for (int i = 0; i < (int)count; i++) {
        std::wstring c0, c1;
        DWORD_PTR state = 0;
        if (!winui::ListCellText(list, i, 0, c0) || !winui::ListCellText(list, i, 1, c1))
            Fail("cannot read row " + std::to_string(i) + " (memory in the target process)");
        SendMessageTimeoutW(list, LVM_GETITEMSTATE, i, LVIS_SELECTED, SMTO_ABORTIFHUNG, g_timeout, &state);
        Out("row " + std::to_string(i) + " " + ((state & LVIS_SELECTED) ? "1" : "0") + " " + OneLine(Utf8(c0)) +
            "\t" + OneLine(Utf8(c1)));
    }
}

void CmdColumns(int id) {
    HWND list = Control(id);
    HWND header = (HWND)SendMessageW(list, LVM_GETHEADER, 0, 0);
    DWORD_PTR count = 0;
    if (!header || !SendMessageTimeoutW(header, HDM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, g_timeout, &count))
        Fail("cannot read the columns of " + std::to_string(id));
    const size_t textChars = 256;
    for (int i = 0; i < (int)count; i++) {
        winui::RemoteBuffer remote(list, sizeof(LVCOLUMNW) + textChars * sizeof(wchar_t));
        if (!remote.Ok()) Fail("no memory in the target process");
        LVCOLUMNW col = {};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.cchTextMax = (int)textChars;
        col.pszText = (LPWSTR)((char*)remote.Address() + sizeof(LVCOLUMNW));
        remote.Write(&col, sizeof col);
        DWORD_PTR ok = 0;
        SendMessageTimeoutW(list, LVM_GETCOLUMNW, i, (LPARAM)remote.Address(), SMTO_ABORTIFHUNG, g_timeout, &ok);
        std::vector<wchar_t> text(textChars + 1, L'\0');
        if (!ok || !remote.Read(&col, sizeof col) || !remote.Read(text.data(), textChars * sizeof(wchar_t), sizeof col))
            Fail("cannot read column " + std::to_string(i));
        Out("column " + std::to_string(i) + " " + std::to_string(col.cx) + " " + OneLine(Utf8(text.data())));
    }
}

void CmdCombo(int id) {
    HWND combo = Control(id);
    DWORD_PTR count = 0, sel = 0;
    if (!SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, g_timeout, &count) ||
        !SendMessageTimeoutW(combo, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, g_timeout, &sel))
        Fail("cannot read combo box " + std::to_string(id));
    Out("combo " + std::to_string(id) + " count=" + std::to_string((int)count) + " sel=" + std::to_string((int)(LRESULT)sel));
    for (int i = 0; i < (int)count; i++) {
        DWORD_PTR len = 0, data = 0;
        SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, i, 0, SMTO_ABORTIFHUNG, g_timeout, &len);
        SendMessageTimeoutW(combo, CB_GETITEMDATA, i, 0, SMTO_ABORTIFHUNG, g_timeout, &data);
        std::vector<wchar_t> text((LRESULT)len > 0 ? len + 1 : 1, L'\0');
        if ((LRESULT)len > 0) {
            DWORD_PTR got = 0;
            SendMessageTimeoutW(combo, CB_GETLBTEXT, i, (LPARAM)text.data(), SMTO_ABORTIFHUNG, g_timeout, &got);
        }
        Out("item " + std::to_string(i) + " " + std::to_string((long long)(LRESULT)data) + " " +
            OneLine(Utf8(text.data())));
    }
}

void CmdClick(int id) {
    HWND b = Control(id);
    if (!IsWindowVisible(b) || !IsWindowEnabled(b)) Fail("control " + std::to_string(id) + " cannot be clicked (hidden or disabled)");
    SendAndSettle(b, BM_CLICK, 0, 0);
}

void CmdType(int id, const std::wstring& text) {
    HWND c = Control(id);
    if (!IsWindowEnabled(c)) Fail("control " + std::to_string(id) + " is disabled");
    for (wchar_t ch : text) {
        DWORD_PTR r;
        if (!SendMessageTimeoutW(c, WM_CHAR, (WPARAM)ch, 1, SMTO_ABORTIFHUNG, g_timeout, &r))
            Fail("the control did not take a character in time");
    }
}

void CmdSetText(int id, const std::wstring& text) {
    DWORD_PTR r;
    if (!SendMessageTimeoutW(Control(id), WM_SETTEXT, 0, (LPARAM)text.c_str(), SMTO_ABORTIFHUNG, g_timeout, &r))
        Fail("cannot set the text of " + std::to_string(id));
}

void CmdSelectRow(int id, int row) {
    HWND list = Control(id);
    UINT both = LVIS_SELECTED | LVIS_FOCUSED;
    bool ok = row < 0 ? winui::ListSetState(list, -1, 0, LVIS_SELECTED, g_timeout)
                      : winui::ListSetState(list, row, both, both, g_timeout);
    if (!ok) Fail("cannot select row " + std::to_string(row));
}

void CmdSelectCombo(int id, int index) {
    HWND combo = Control(id);
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(combo, CB_SETCURSEL, (WPARAM)index, 0, SMTO_ABORTIFHUNG, g_timeout, &r) ||
        (LRESULT)r != index)
        Fail("cannot select item " + std::to_string(index));
    SendAndSettle(Current(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)combo);
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argvW = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args(argvW + 1, argvW + argc);
    size_t i = 0;
    auto next = [&](const char* what) -> std::wstring {
        if (i >= args.size() || args[i] == L"+") Fail(std::string("missing ") + what);
        return args[i++];
    };
    if (i + 1 < args.size() && args[i] == L"--timeout") {
        i++;
        g_timeout = (DWORD)ToInt(args[i++]);
    }
    if (i >= args.size()) Fail("no command (see the head of ui_driver.cpp)");
    while (i < args.size()) {
        std::wstring cmd = args[i++];
        if (cmd == L"+") continue;
        if (cmd == L"wait") {
            winui::Match m;
            m.title = next("title");
            CmdWait(m, "titled " + Utf8(m.title));
        } else if (cmd == L"wait-class") {
            winui::Match m;
            m.className = next("class");
            CmdWait(m, "of class " + Utf8(m.className));
        } else if (cmd == L"wait-dialog") {
            winui::Match m;
            m.className = L"#32770";
            m.notMessageBox = true;
            CmdWait(m, "of class #32770");
        } else if (cmd == L"wait-gone") {
            if (!winui::WaitGone(Current(), g_timeout)) Fail("the window is still there");
            Out("gone");
            g_window = nullptr;
        } else if (cmd == L"msgbox") {
            CmdMsgBox(false);
        } else if (cmd == L"close-msgbox") {
            CmdMsgBox(true);
        } else if (cmd == L"none-msgbox") {
            CmdNoMsgBox(ToInt(next("milliseconds")));
        } else if (cmd == L"text") {
            CmdText(ToInt(next("control ID")));
        } else if (cmd == L"state") {
            CmdState(ToInt(next("control ID")));
        } else if (cmd == L"control") {
            CmdControl(ToInt(next("control ID")));
        } else if (cmd == L"rect") {
            CmdRect(ToInt(next("control ID")));
        } else if (cmd == L"style") {
            CmdStyle();
        } else if (cmd == L"focus") {
            CmdFocus();
        } else if (cmd == L"sel") {
            CmdSel(ToInt(next("control ID")));
        } else if (cmd == L"list") {
            CmdList(ToInt(next("control ID")));
        } else if (cmd == L"columns") {
            CmdColumns(ToInt(next("control ID")));
        } else if (cmd == L"combo") {
            CmdCombo(ToInt(next("control ID")));
        } else if (cmd == L"click") {
            CmdClick(ToInt(next("control ID")));
        } else if (cmd == L"type") {
            int id = ToInt(next("control ID"));
            CmdType(id, next("text"));
        } else if (cmd == L"settext") {
            int id = ToInt(next("control ID"));
            CmdSetText(id, next("text"));
        } else if (cmd == L"select-row") {
            int id = ToInt(next("control ID"));
            CmdSelectRow(id, ToInt(next("row")));
        } else if (cmd == L"select-combo") {
            int id = ToInt(next("control ID"));
            CmdSelectCombo(id, ToInt(next("item")));
        } else if (cmd == L"sleep") {
            Sleep((DWORD)ToInt(next("milliseconds")));
        } else {
            Fail("unknown command " + Utf8(cmd));
        }
    }
    LocalFree(argvW);
    return 0;
}
