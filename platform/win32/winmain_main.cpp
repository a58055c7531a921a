// Entry point of ScanLink.exe: runs the application object's start-up and exit.
#include <windows.h>

#include <clocale>

#include "app/scanlink_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    // The C library starts in the "C" locale; the program's multibyte functions (the address
    // field's double-byte test among them) work in the system's ANSI code page.
    std::setlocale(LC_CTYPE, "");
    CQuilScanLinkApp& app = TheApp();
    app.InitInstance(commandLine != nullptr ? commandLine : "");
    return app.ExitInstance();
}
