// Test helper for the single-instance guard.
//   mutex_tool probe NAME    exit 0 when a mutex of that name exists, 1 when not
//   mutex_tool create NAME   creates it through the program's own call and prints "existed 1" when
//                            it existed already (held by another process), "existed 0" when not
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "platform/mutex.h"

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "create") == 0) {
        bool existed = false;
        void* mutex = Platform::CreateOpenToAllMutex(argv[2], &existed);
        if (mutex == nullptr) return 1;
        std::printf("existed %d\n", existed ? 1 : 0);
        Platform::ReleaseAndCloseMutex(mutex);
        return 0;
    }
    if (argc != 3 || std::strcmp(argv[1], "probe") != 0) return 2;
    HANDLE mutex = ::OpenMutexA(SYNCHRONIZE, FALSE, argv[2]);
    if (mutex == nullptr) return 1;
    ::CloseHandle(mutex);
    return 0;
}
