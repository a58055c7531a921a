// The program's entry, as the platform's start code calls it: the Windows entry point (WinMain in
// platform/win32/winmain_main.cpp) sets the C library's character type to the system's ANSI code
// page and hands over the command line (the text after the program name, never null). The program
// (app/) implements ProgramMain; its result is the process's exit code.
#pragma once

int ProgramMain(const char* commandLine);
