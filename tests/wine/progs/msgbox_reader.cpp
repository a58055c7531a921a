// Test helper: waits for a top-level message box, prints its caption and text, and closes it.
//   msgbox_reader [timeout-ms] [button-id]
// Prints "caption: <caption>" and "text: <text>" (the text's line breaks kept) and presses the
// button (IDOK by default; a box without it is sent WM_CLOSE). Exit code 0 when a box was found
// and closed, 1 when none appeared within the timeout (default 20000 ms), 2 on bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Wine's and Windows' message boxes are dialogs whose text is the static control 0xFFFF.
constexpr int kMessageTextId = 0xFFFF;

HWND g_found = nullptr;

BOOL CALLBACK FindBox(HWND window, LPARAM)
{
    char className[64] = {};
    ::GetClassNameA(window, className, sizeof(className));
    if (std::string(className) != "#32770" || !::IsWindowVisible(window)) return TRUE;
    if (::GetDlgItem(window, kMessageTextId) == nullptr) return TRUE;
    g_found = window;
    return FALSE;
}

std::string WindowText(HWND window)
{
    int length = ::GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    ::GetWindowTextA(window, text.data(), length + 1);
    text.resize(std::strlen(text.c_str()));
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    long timeoutMs = 20000;
    int button = IDOK;
    if (argc > 1) timeoutMs = std::strtol(argv[1], nullptr, 10);
    if (argc > 2) button = static_cast<int>(std::strtol(argv[2], nullptr, 10));
    if (argc > 3 || timeoutMs <= 0 || button <= 0) {
        std::fprintf(stderr, "usage: msgbox_reader [timeout-ms] [button-id]\n");
        return 2;
    }
    DWORD start = ::GetTickCount();
    while (g_found == nullptr) {
        ::EnumWindows(FindBox, 0);
        if (g_found != nullptr) break;
        if (static_cast<long>(::GetTickCount() - start) > timeoutMs) {
            std::printf("no message box\n");
            return 1;
        }
        ::Sleep(100);
    }
    // Give the box a moment to finish laying itself out before reading it.
    ::Sleep(200);
    std::printf("caption: %s\n", WindowText(g_found).c_str());
    std::printf("text: %s\n", WindowText(::GetDlgItem(g_found, kMessageTextId)).c_str());
    std::fflush(stdout);
    HWND control = ::GetDlgItem(g_found, button);
    if (control != nullptr) {
        ::PostMessageA(g_found, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(control));
    } else {
        ::PostMessageA(g_found, WM_CLOSE, 0, 0);
    }
    // Wait until the box has gone, so that the next reader cannot find it again.
    for (int i = 0; i < 100 && ::IsWindow(g_found); ++i) ::Sleep(50);
    return 0;
}
