// Test driver for the end-to-end tests: finds ScanLink's windows from outside, reads what they
// show and clicks, types and selects in them, one command after another.
//
//   ui_driver.exe [--timeout MS] COMMAND ARGS [+ COMMAND ARGS ...]
//
//   wait TITLE          "window TITLE": a visible window with this caption accepts input (current)
//   wait-gone           the current window disappears (destroyed or hidden): "gone"
//   wait-enabled ID     the control becomes enabled: "enabled ID"
//   probe MS LIST BTN   for MS milliseconds (or until the window goes), every 50 ms: sends the
//                       window WM_NULL and times the answer, reads the list's row count and whether
//                       the button is enabled. Prints "probe samples=N max_ms=M slow=K" (K: answers
//                       over 100 ms), "probe rows=A,B,..." (each change of the row count and the
//                       button's state, in order: the count followed by "s" while the button is
//                       disabled, "i" while enabled), "probe disabled=D" (samples with the
//                       button disabled) and "probe last_row_ms=T" (when the row count last
//                       changed, in milliseconds from the probe's start)
//   close-msgbox        waits for a message box, prints "msgbox CAPTION<TAB>TEXT", presses OK
//   answer-msgbox A     the same, pressing Yes (A = yes) or No (A = no)
//   none-msgbox MS      no message box appears within MS milliseconds: "no-msgbox"
//   text ID             "text ID TEXT" (ID 0 is the current window itself, also below)
//   state ID            "state ID enabled=N visible=N checked=N"
//   rect ID             "rect ID LEFT TOP RIGHT BOTTOM" (ID 0: screen; controls: dialog client)
//   layout              "client W H" of the current window, then "control ID LEFT TOP RIGHT BOTTOM"
//                       (client coordinates) for each of its visible child windows
//   sel ID              "sel ID START END focus=N" of an edit field (N: it has the keyboard focus)
//   list ID             "rows N", then "row I SELECTED COL0<TAB>COL1" per row
//   columns ID          "column I TEXT" per header column
//   combo ID            "combo ID count=N sel=N", then "item I TEXT" per item
//   click ID            presses a button; returns once handled, or the window went, or a box or
//                       another dialog opened over it (the window is then disabled)
//   type ID TEXT        sends each character of TEXT to the control as WM_CHAR, as typing does
//   select-row ID N     selects and focuses list row N; N = -1 clears every row's selection
//   select-combo ID N   selects combo item N and tells the dialog (CBN_SELCHANGE)
//
// Texts are printed and taken in UTF-8, line breaks and tabs in them as \n and \t. Every wait has
// a timeout (default 10000 ms); the first command that fails prints "error ..." and exits 1.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "wine/win_ui.h"

namespace {

DWORD g_timeout = 10000;
HWND g_window = nullptr;

void Out(const std::string& line)
{
    std::printf("%s\n", line.c_str()), std::fflush(stdout);
}
[[noreturn]] void Fail(const std::string& why)
{
    Out("error " + why), std::exit(1);
}

// A text of the target as one printable line.
std::string Line(const std::wstring& w)
{
    std::string out;
    for (char c : winui::Utf8(w)) out += c == '\n' ? "\\n" : c == '\t' ? "\\t" : c == '\r' ? "" : std::string(1, c);
    return out;
}

int ToInt(const std::wstring& s)
{
    wchar_t* end = nullptr;
    long v = wcstol(s.c_str(), &end, 10);
    if (s.empty() || *end) Fail("not a number: " + winui::Utf8(s));
    return (int)v;
}

HWND Control(int id)
{
    if (!g_window || !IsWindow(g_window)) Fail("no current window (use wait first)");
    HWND c = id == 0 ? g_window : GetDlgItem(g_window, id);
    if (!c) Fail("no control " + std::to_string(id));
    return c;
}

DWORD_PTR Send(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(w, msg, wp, lp, SMTO_ABORTIFHUNG, g_timeout, &r)) Fail("a control did not answer");
    return r;
}

// Sends a list view message whose LPARAM points at a structure of size bytes followed by room for
// 256 characters, copied into the target process (the system does not carry these pointers
// across processes); copies both back. textField (if any) is pointed at the room.
DWORD_PTR SendRemote(HWND w, UINT msg, WPARAM wp, void* data, size_t size, LPWSTR* textField, std::wstring* text)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    wchar_t buf[256] = {};
    char* mem =
        process ? (char*)VirtualAllocEx(process, nullptr, size + sizeof buf, MEM_COMMIT, PAGE_READWRITE) : nullptr;
    if (!mem) Fail("no memory in the target process");
    if (textField) *textField = (LPWSTR)(mem + size);
    if (!WriteProcessMemory(process, mem, data, size, nullptr)) Fail("cannot write to the target process");
    DWORD_PTR r = Send(w, msg, wp, (LPARAM)mem);
    if (!ReadProcessMemory(process, mem, data, size, nullptr) ||
        !ReadProcessMemory(process, mem + size, buf, sizeof buf, nullptr))
        Fail("cannot read from the target process");
    buf[255] = L'\0';
    if (text) *text = buf;
    VirtualFreeEx(process, mem, 0, MEM_RELEASE);
    CloseHandle(process);
    return r;
}

DWORD WINAPI SendThread(void* arg)
{
    MSG* m = static_cast<MSG*>(arg);
    DWORD_PTR r;
    SendMessageTimeoutW(m->hwnd, m->message, m->wParam, m->lParam, SMTO_NORMAL, g_timeout * 6, &r);
    return 0;
}

// Sends the message from a thread and returns once it was handled, the current window went
// away, a message box appeared, or the window was disabled by a dialog opened over it (the send
// then finishes by itself when that box or dialog is closed).
void SendAndSettle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    static MSG m;
    m = MSG{hwnd, msg, wp, lp, 0, {}};
    HANDLE t = CreateThread(nullptr, 0, SendThread, &m, 0, nullptr);
    if (!t) Fail("cannot start a thread");
    for (DWORD start = GetTickCount(); WaitForSingleObject(t, 50) != WAIT_OBJECT_0;) {
        winui::Match box{L"", true};
        EnumWindows(winui::MatchProc, reinterpret_cast<LPARAM>(&box));
        if (box.found || !IsWindow(g_window) || !IsWindowVisible(g_window) || !IsWindowEnabled(g_window)) break;
        if (GetTickCount() - start >= g_timeout) Fail("the window did not handle the message in time");
    }
    CloseHandle(t);
}

HWND WaitMessageBox(DWORD timeout)
{
    return winui::WaitWindow(winui::Match{L"", true}, timeout, true);
}

}  // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args(argv + 1, argv + argc);
    size_t i = 0;
    auto next = [&](const char* what) {
        if (i >= args.size() || args[i] == L"+") Fail(std::string("missing ") + what);
        return args[i++];
    };
    auto nextId = [&] { return ToInt(next("control ID")); };
    if (args.size() > 1 && args[0] == L"--timeout") g_timeout = (DWORD)ToInt(args[1]), i = 2;
    if (i >= args.size()) Fail("no command (see the head of ui_driver.cpp)");
    while (i < args.size()) {
        std::wstring cmd = args[i++];
        if (cmd == L"+") continue;
        if (cmd == L"wait") {
            winui::Match m{next("title")};
            if (!(g_window = winui::WaitWindow(m, g_timeout, true))) Fail("no window titled " + winui::Utf8(m.title));
            Out("window " + Line(m.title));
        } else if (cmd == L"wait-gone") {
            if (!g_window || !winui::WaitGone(g_window, g_timeout)) Fail("no window, or it is still there");
            Out("gone");
            g_window = nullptr;
        } else if (cmd == L"wait-enabled") {
            int id = nextId();
            HWND c = Control(id);
            DWORD start = GetTickCount();
            while (!IsWindowEnabled(c)) {
                if (GetTickCount() - start >= g_timeout) Fail("control " + std::to_string(id) + " stayed disabled");
                Sleep(10);
            }
            Out("enabled " + std::to_string(id));
        } else if (cmd == L"probe") {
            int ms = ToInt(next("milliseconds"));
            HWND list = Control(nextId());
            HWND button = Control(nextId());
            LARGE_INTEGER frequency, begin, a, b;
            QueryPerformanceFrequency(&frequency);
            QueryPerformanceCounter(&begin);
            int samples = 0, slow = 0, disabled = 0;
            std::string last;
            double worst = 0;
            double lastRowMs = 0;  // when the row count last changed, from the probe's start
            std::string rowsSeen;
            for (;;) {
                QueryPerformanceCounter(&a);
                if ((a.QuadPart - begin.QuadPart) * 1000.0 / frequency.QuadPart >= ms || !IsWindow(g_window)) break;
                DWORD_PTR r = 0;
                if (!SendMessageTimeoutW(g_window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &r)) break;
                QueryPerformanceCounter(&b);
                double answer = (b.QuadPart - a.QuadPart) * 1000.0 / frequency.QuadPart;
                worst = answer > worst ? answer : worst;
                slow += answer > 100 ? 1 : 0;
                ++samples;
                const bool searching = !IsWindowEnabled(button);
                std::string now = std::to_string((int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
                now += searching ? "s" : "i";
                if (now != last) {
                    if (now.substr(0, now.size() - 1) != last.substr(0, last.size() ? last.size() - 1 : 0))
                        lastRowMs = (b.QuadPart - begin.QuadPart) * 1000.0 / frequency.QuadPart;
                    if (!rowsSeen.empty()) rowsSeen += ",";
                    rowsSeen += now;
                    last = now;
                }
                disabled += searching ? 1 : 0;
                Sleep(50);
            }
            Out("probe samples=" + std::to_string(samples) + " max_ms=" + std::to_string((int)(worst + 0.5)) +
                " slow=" + std::to_string(slow));
            Out("probe rows=" + rowsSeen);
            Out("probe disabled=" + std::to_string(disabled));
            Out("probe last_row_ms=" + std::to_string((int)(lastRowMs + 0.5)));
        } else if (cmd == L"close-msgbox" || cmd == L"answer-msgbox") {
            int button = IDOK;
            if (cmd == L"answer-msgbox") {
                const std::wstring answer = next("yes or no");
                if (answer != L"yes" && answer != L"no") Fail("answer-msgbox takes yes or no");
                button = answer == L"yes" ? IDYES : IDNO;
            }
            HWND box = WaitMessageBox(g_timeout);
            std::wstring caption, text;
            if (!box || !winui::ReadMessageBox(box, caption, text)) Fail("no message box");
            Out("msgbox " + Line(caption) + "\t" + Line(text));
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(box, button));
            if (!winui::WaitGone(box, g_timeout)) Fail("the message box did not close");
        } else if (cmd == L"none-msgbox") {
            HWND box = WaitMessageBox((DWORD)ToInt(next("milliseconds")));
            std::wstring caption, text;
            if (box && winui::ReadMessageBox(box, caption, text)) Fail("unexpected message box " + Line(text));
            Out("no-msgbox");
        } else if (cmd == L"text") {
            int id = nextId();
            std::wstring t;
            if (!winui::TextOf(Control(id), t)) Fail("cannot read the text of " + std::to_string(id));
            Out("text " + std::to_string(id) + " " + Line(t));
        } else if (cmd == L"state") {
            int id = nextId();
            HWND c = Control(id);
            int checked = winui::ClassOf(c) == L"Button" ? (int)Send(c, BM_GETCHECK, 0, 0) : 0;
            Out("state " + std::to_string(id) + " enabled=" + std::to_string(IsWindowEnabled(c) ? 1 : 0) +
                " visible=" + std::to_string(IsWindowVisible(c) ? 1 : 0) + " checked=" + std::to_string(checked));
        } else if (cmd == L"rect") {
            int id = nextId();
            RECT r;
            GetWindowRect(Control(id), &r);
            if (id != 0) MapWindowPoints(nullptr, g_window, reinterpret_cast<POINT*>(&r), 2);
            Out("rect " + std::to_string(id) + " " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                std::to_string(r.right) + " " + std::to_string(r.bottom));
        } else if (cmd == L"layout") {
            RECT c;
            GetClientRect(g_window, &c);
            Out("client " + std::to_string(c.right) + " " + std::to_string(c.bottom));
            for (HWND w = GetWindow(g_window, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
                if (!IsWindowVisible(w)) continue;
                RECT r;
                GetWindowRect(w, &r);
                MapWindowPoints(nullptr, g_window, reinterpret_cast<POINT*>(&r), 2);
                Out("control " + std::to_string(GetDlgCtrlID(w)) + " " + std::to_string(r.left) + " " +
                    std::to_string(r.top) + " " + std::to_string(r.right) + " " + std::to_string(r.bottom));
            }
        } else if (cmd == L"sel") {
            int id = nextId();
            DWORD_PTR r = Send(Control(id), EM_GETSEL, 0, 0);
            GUITHREADINFO info = {};
            info.cbSize = sizeof info;
            bool focus =
                GetGUIThreadInfo(GetWindowThreadProcessId(g_window, nullptr), &info) && info.hwndFocus == Control(id);
            Out("sel " + std::to_string(id) + " " + std::to_string(LOWORD(r)) + " " + std::to_string(HIWORD(r)) +
                " focus=" + std::to_string(focus ? 1 : 0));
        } else if (cmd == L"list") {
            HWND list = Control(nextId());
            int rows = (int)Send(list, LVM_GETITEMCOUNT, 0, 0);
            Out("rows " + std::to_string(rows));
            for (int row = 0; row < rows; row++) {
                std::wstring cell[2];
                for (int col = 0; col < 2; col++) {
                    LVITEMW item = {};
                    item.iSubItem = col;
                    item.cchTextMax = 256;
                    SendRemote(list, LVM_GETITEMTEXTW, row, &item, sizeof item, &item.pszText, &cell[col]);
                }
                bool selected = Send(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED;
                Out("row " + std::to_string(row) + (selected ? " 1 " : " 0 ") + Line(cell[0]) + "\t" + Line(cell[1]));
            }
        } else if (cmd == L"columns") {
            HWND list = Control(nextId());
            int count = (int)Send((HWND)Send(list, LVM_GETHEADER, 0, 0), HDM_GETITEMCOUNT, 0, 0);
            for (int col = 0; col < count; col++) {
                LVCOLUMNW column = {};
                column.mask = LVCF_TEXT;
                column.cchTextMax = 256;
                std::wstring text;
                if (!SendRemote(list, LVM_GETCOLUMNW, col, &column, sizeof column, &column.pszText, &text))
                    Fail("cannot read column " + std::to_string(col));
                Out("column " + std::to_string(col) + " " + Line(text));
            }
        } else if (cmd == L"combo") {
            int id = nextId();
            HWND combo = Control(id);
            int count = (int)Send(combo, CB_GETCOUNT, 0, 0);
            Out("combo " + std::to_string(id) + " count=" + std::to_string(count) +
                " sel=" + std::to_string((int)(LRESULT)Send(combo, CB_GETCURSEL, 0, 0)));
            for (int item = 0; item < count; item++) {
                std::vector<wchar_t> text(Send(combo, CB_GETLBTEXTLEN, item, 0) + 1, L'\0');
                Send(combo, CB_GETLBTEXT, item, (LPARAM)text.data());
                Out("item " + std::to_string(item) + " " + Line(text.data()));
            }
        } else if (cmd == L"click") {
            int id = nextId();
            HWND b = Control(id);
            if (!IsWindowVisible(b) || !IsWindowEnabled(b))
                Fail("control " + std::to_string(id) + " is hidden or disabled");
            SendAndSettle(b, BM_CLICK, 0, 0);
        } else if (cmd == L"type") {
            HWND c = Control(nextId());
            for (wchar_t ch : next("text")) Send(c, WM_CHAR, ch, 1);
        } else if (cmd == L"select-row") {
            HWND list = Control(nextId());
            int row = ToInt(next("row"));
            LVITEMW item = {};
            item.stateMask = row < 0 ? LVIS_SELECTED : LVIS_SELECTED | LVIS_FOCUSED;
            item.state = row < 0 ? 0 : item.stateMask;
            if (!SendRemote(list, LVM_SETITEMSTATE, row, &item, sizeof item, nullptr, nullptr))
                Fail("cannot select the row");
        } else if (cmd == L"select-combo") {
            int id = nextId();
            int index = ToInt(next("item"));
            if ((int)(LRESULT)Send(Control(id), CB_SETCURSEL, index, 0) != index) Fail("cannot select the item");
            SendAndSettle(g_window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)Control(id));
        } else {
            Fail("unknown command " + winui::Utf8(cmd));
        }
    }
    LocalFree(argv);
    return 0;
}
