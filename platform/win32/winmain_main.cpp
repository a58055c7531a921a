// Entry point of ScanLink.exe: runs the application object's start-up and exit.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return 0;
}
