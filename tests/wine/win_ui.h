// Finding and reading the windows of another process from a test program: window search with
// timeouts, window texts, message boxes.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace winui {

// UTF-16 to UTF-8, for printing what the user sees independently of the ANSI code page.
inline std::string Utf8(const std::wstring& w)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), s.data(), n, nullptr, nullptr);
    return s;
}

inline std::wstring ClassOf(HWND hwnd)
{
    wchar_t buf[256] = {};
    GetClassNameW(hwnd, buf, 255);
    return buf;
}

// The window text of a window of another process, with a bounded wait so that a hung target
// cannot hang the caller.
inline bool TextOf(HWND hwnd, std::wstring& out, UINT timeoutMs = 5000)
{
    DWORD_PTR len = 0, got = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &len)) return false;
    std::vector<wchar_t> buf(len + 2, L'\0');
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buf.size(), (LPARAM)buf.data(), SMTO_ABORTIFHUNG, timeoutMs, &got))
        return false;
    out.assign(buf.data());
    return true;
}

// A message box: a top-level dialog window with the static text control 0xFFFF.
inline bool IsMessageBox(HWND hwnd)
{
    return ClassOf(hwnd) == L"#32770" && GetDlgItem(hwnd, 0xFFFF) != nullptr;
}

struct Match {
    std::wstring title;       // exact caption, or empty for any
    bool messageBox = false;  // only message boxes
    HWND found = nullptr;
};

inline BOOL CALLBACK MatchProc(HWND hwnd, LPARAM lp)
{
    Match* m = reinterpret_cast<Match*>(lp);
    if (!IsWindowVisible(hwnd) || (m->messageBox && !IsMessageBox(hwnd))) return TRUE;
    std::wstring t;
    if (!m->title.empty() && (!TextOf(hwnd, t, 1000) || t != m->title)) return TRUE;
    m->found = hwnd;
    return FALSE;
}

// Waits up to timeoutMs for a visible top-level window that matches and answers messages; null
// when none appeared. With mustBeEnabled it must also accept input (no modal window on top).
inline HWND WaitWindow(Match m, DWORD timeoutMs, bool mustBeEnabled)
{
    for (DWORD start = GetTickCount();; Sleep(50)) {
        m.found = nullptr;
        EnumWindows(MatchProc, reinterpret_cast<LPARAM>(&m));
        DWORD_PTR r;
        if (m.found && (!mustBeEnabled || IsWindowEnabled(m.found)) &&
            SendMessageTimeoutW(m.found, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &r))
            return m.found;
        if (GetTickCount() - start >= timeoutMs) return nullptr;
    }
}

// Waits until hwnd no longer exists or is hidden.
inline bool WaitGone(HWND hwnd, DWORD timeoutMs)
{
    for (DWORD start = GetTickCount(); IsWindow(hwnd) && IsWindowVisible(hwnd); Sleep(50))
        if (GetTickCount() - start >= timeoutMs) return false;
    return true;
}

// The message box's caption and text.
inline bool ReadMessageBox(HWND box, std::wstring& caption, std::wstring& text)
{
    return TextOf(box, caption) && TextOf(GetDlgItem(box, 0xFFFF), text);
}

}  // namespace winui
