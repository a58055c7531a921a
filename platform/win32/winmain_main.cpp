// Entry point of ScanLink.exe: runs the application object's start-up and exit.
#include <windows.h>

#include "app/scanlink_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    CQuilScanLinkApp& app = TheApp();
    app.InitInstance(commandLine != nullptr ? commandLine : "");
    return app.ExitInstance();
}
