// Reading and driving the windows of another process from a test program: window search with
// timeouts, control texts and states, list views through memory in the target, message boxes.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace winui {

// Milliseconds since an arbitrary start, for timeouts.
inline DWORD Now() { return GetTickCount(); }

// UTF-16 to UTF-8, for printing what the user sees independently of the ANSI code page.
inline std::string Utf8(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), s.data(), n, nullptr, nullptr);
    return s;
}

// Escapes line feeds, tabs, carriage returns and backslashes so that one text stays one line.
inline std::string OneLine(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (c == '\r') out += "\\r";
        else if (c == '\\') out += "\\\\";
        else out += c;
    }
    return out;
}

inline std::wstring ClassOf(HWND hwnd) {
    wchar_t buf[256] = {};
    GetClassNameW(hwnd, buf, 255);
    return buf;
}

// The window text of a window of another process (WM_GETTEXT is carried across processes by the
// system), with a bounded wait so that a hung target cannot hang the caller.
inline bool TextOf(HWND hwnd, std::wstring& out, UINT timeoutMs = 5000) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &len)) return false;
    std::vector<wchar_t> buf(len + 2, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, (WPARAM)buf.size(), (LPARAM)buf.data(), SMTO_ABORTIFHUNG,
                             timeoutMs, &got))
        return false;
    out.assign(buf.data());
    return true;
}

// A message box: a top-level dialog window with the static text control 0xFFFF.
inline bool IsMessageBox(HWND hwnd) {
    return ClassOf(hwnd) == L"#32770" && GetDlgItem(hwnd, 0xFFFF) != nullptr;
}

struct Match {
    std::wstring title;        // exact caption, or empty for any
    std::wstring className;    // exact class, or empty for any
    bool messageBox = false;   // only message boxes
    bool notMessageBox = false;
    HWND exclude = nullptr;
    HWND found = nullptr;
};

inline BOOL CALLBACK MatchProc(HWND hwnd, LPARAM lp) {
    Match* m = reinterpret_cast<Match*>(lp);
    if (hwnd == m->exclude || !IsWindowVisible(hwnd)) return TRUE;
    if (!m->className.empty() && ClassOf(hwnd) != m->className) return TRUE;
    if (m->messageBox && !IsMessageBox(hwnd)) return TRUE;
    if (m->notMessageBox && IsMessageBox(hwnd)) return TRUE;
    if (!m->title.empty()) {
        std::wstring t;
        if (!TextOf(hwnd, t, 1000) || t != m->title) return TRUE;
    }
    m->found = hwnd;
    return FALSE;
}

// Waits up to timeoutMs for a visible top-level window that matches; null when none appeared.
// With mustBeEnabled the window must also accept input (no modal window of its own on top).
inline HWND WaitWindow(Match m, DWORD timeoutMs, bool mustBeEnabled) {
    DWORD start = Now();
    for (;;) {
        m.found = nullptr;
        EnumWindows(MatchProc, reinterpret_cast<LPARAM>(&m));
        if (m.found && (!mustBeEnabled || IsWindowEnabled(m.found))) {
            // The window answers messages: its thread has finished what it was doing.
            DWORD_PTR r;
            if (SendMessageTimeoutW(m.found, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &r)) return m.found;
        }
        if (Now() - start >= timeoutMs) return nullptr;
        Sleep(50);
    }
}

// Waits until hwnd no longer exists or is hidden.
inline bool WaitGone(HWND hwnd, DWORD timeoutMs) {
    DWORD start = Now();
    while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
        if (Now() - start >= timeoutMs) return false;
        Sleep(50);
    }
    return true;
}

// The message box's caption and text.
inline bool ReadMessageBox(HWND box, std::wstring& caption, std::wstring& text) {
    return TextOf(box, caption) && TextOf(GetDlgItem(box, 0xFFFF), text);
}

// Presses the message box's OK button (or its only visible button).
inline bool CloseMessageBox(HWND box) {
    int id = 0;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (ClassOf(c) != L"Button" || !IsWindowVisible(c)) continue;
        int cid = GetDlgCtrlID(c);
        if (cid == IDOK || id == 0) id = cid;
    }
    if (id == 0) id = IDOK;
    return PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(box, id)) != 0;
}

// Memory in the target process, for messages whose pointers the system does not carry across
// processes (the list view's): allocated with VirtualAllocEx, freed with the object.
class RemoteBuffer {
public:
    RemoteBuffer(HWND target, size_t size) : size_(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(target, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_) mem_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBuffer() {
        if (mem_) VirtualFreeEx(process_, mem_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    bool Ok() const { return mem_ != nullptr; }
    void* Address() const { return mem_; }
    bool Write(const void* data, size_t n, size_t offset = 0) {
        SIZE_T done = 0;
        return n + offset <= size_ && WriteProcessMemory(process_, (char*)mem_ + offset, data, n, &done) && done == n;
    }
    bool Read(void* data, size_t n, size_t offset = 0) {
        SIZE_T done = 0;
        return n + offset <= size_ && ReadProcessMemory(process_, (char*)mem_ + offset, data, n, &done) && done == n;
    }

private:
    HANDLE process_ = nullptr;
    void* mem_ = nullptr;
    size_t size_;
};

// Text of one list view cell, read through an LVITEMW and a text buffer in the target process.
inline bool ListCellText(HWND list, int row, int column, std::wstring& out) {
    const size_t textChars = 512;
    RemoteBuffer remote(list, sizeof(LVITEMW) + textChars * sizeof(wchar_t));
    if (!remote.Ok()) return false;
    LVITEMW item = {};
    item.iSubItem = column;
    item.cchTextMax = (int)textChars;
    item.pszText = (LPWSTR)((char*)remote.Address() + sizeof(LVITEMW));
    if (!remote.Write(&item, sizeof item)) return false;
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(list, LVM_GETITEMTEXTW, row, (LPARAM)remote.Address(), SMTO_ABORTIFHUNG, 5000, &len))
        return false;
    std::vector<wchar_t> text(textChars + 1, L'\0');
    if (!remote.Read(text.data(), textChars * sizeof(wchar_t), sizeof(LVITEMW))) return false;
    text[textChars] = L'\0';
    out.assign(text.data());
    return true;
}

// Sets the selected and focused states of one list view row (row -1: every row) as a click would.
inline bool ListSetState(HWND list, int row, UINT state, UINT mask, UINT timeoutMs) {
    RemoteBuffer remote(list, sizeof(LVITEMW));
    if (!remote.Ok()) return false;
    LVITEMW item = {};
    item.stateMask = mask;
    item.state = state;
    if (!remote.Write(&item, sizeof item)) return false;
    DWORD_PTR r = 0;
    return SendMessageTimeoutW(list, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)remote.Address(), SMTO_ABORTIFHUNG,
                               timeoutMs, &r) && r;
}

}  // namespace winui
