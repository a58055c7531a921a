// Entry point of ScanLink.exe: runs the application object's start-up and exit.
#include <windows.h>

#include <clocale>

#include "app/scanlink_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    // Multibyte text (upper-casing, substring searches, the address field's double-byte test)
    // follows the system's ANSI code page, not the C library's default "C" locale.
    std::setlocale(LC_CTYPE, "");
    CQuilScanLinkApp& app = TheApp();
    app.InitInstance(commandLine != nullptr ? commandLine : "");
    return app.ExitInstance();
}
