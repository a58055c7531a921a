// Start-up services on Windows: common controls and Windows Sockets.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include "platform/framework_init.h"

namespace Platform {

void InitCommonControlClasses()
{
    INITCOMMONCONTROLSEX controls;
    controls.dwSize = sizeof(controls);
    controls.dwICC = 0xFF;
    ::InitCommonControlsEx(&controls);
}

int StartSocketLibrary()
{
    WSADATA data;
    return ::WSAStartup(MAKEWORD(1, 1), &data) == 0 ? 0 : -1;
}

void StopSocketLibrary()
{
    ::WSACleanup();
}

}  // namespace Platform
