// Entry point of ScanLink.exe: prepares the C library's locale and runs the program.
#include <windows.h>

#include <clocale>

#include "platform/program_entry.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    // The C library starts in the "C" locale; the program's multibyte functions (the address
    // field's double-byte test among them) work in the system's ANSI code page.
    std::setlocale(LC_CTYPE, "");
    return ProgramMain(commandLine != nullptr ? commandLine : "");
}
