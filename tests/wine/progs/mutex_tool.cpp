// Test helper for the single-instance guard.
//   mutex_tool probe NAME          exit 0 when a mutex of that name exists, 1 when not
//   mutex_tool hold NAME FLAGFILE  creates the mutex and keeps it while FLAGFILE exists (at most
//                                  60 s); prints "holding" once it holds it; exit 0, or 1 when the
//                                  mutex could not be created
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "probe") == 0) {
        HANDLE mutex = ::OpenMutexA(SYNCHRONIZE, FALSE, argv[2]);
        if (mutex == nullptr) return 1;
        ::CloseHandle(mutex);
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "hold") == 0) {
        HANDLE mutex = ::CreateMutexA(nullptr, FALSE, argv[2]);
        if (mutex == nullptr) return 1;
        std::printf("holding\n");
        std::fflush(stdout);
        for (int i = 0; i < 600 && ::GetFileAttributesA(argv[3]) != INVALID_FILE_ATTRIBUTES; ++i) ::Sleep(100);
        ::CloseHandle(mutex);
        return 0;
    }
    std::fprintf(stderr, "usage: mutex_tool probe NAME | mutex_tool hold NAME FLAGFILE\n");
    return 2;
}
