// Test helper: waits for a top-level message box, prints its caption and text, and closes it.
//   msgbox_reader [timeout-ms] [button-id]
// Prints "caption: <caption>" and "text: <text>" (the text's line breaks kept) and presses the
// button (IDOK by default; a box without it is sent WM_CLOSE). Exit code 0 when a box was found
// and closed, 1 when none appeared within the timeout (default 20000 ms), 2 on bad arguments.
// Finding and reading the box is shared with the end-to-end driver (wine/win_ui.h).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "wine/win_ui.h"

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
    winui::Match match;
    match.messageBox = true;
    HWND box = winui::WaitWindow(match, static_cast<DWORD>(timeoutMs), false);
    if (box == nullptr) {
        std::printf("no message box\n");
        return 1;
    }
    std::wstring caption, text;
    winui::ReadMessageBox(box, caption, text);
    std::printf("caption: %s\n", winui::Utf8(caption).c_str());
    std::printf("text: %s\n", winui::Utf8(text).c_str());
    std::fflush(stdout);
    HWND control = ::GetDlgItem(box, button);
    if (control != nullptr) {
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(control));
    } else {
        ::PostMessageW(box, WM_CLOSE, 0, 0);
    }
    // Wait until the box has gone, so that the next reader cannot find it again.
    winui::WaitGone(box, 5000);
    return 0;
}
