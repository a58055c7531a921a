// Test helper for the single-instance guard.
//   mutex_tool probe NAME    exit 0 when a mutex of that name exists, 1 when not
#include <windows.h>

#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 3 || std::strcmp(argv[1], "probe") != 0) return 2;
    HANDLE mutex = ::OpenMutexA(SYNCHRONIZE, FALSE, argv[2]);
    if (mutex == nullptr) return 1;
    ::CloseHandle(mutex);
    return 0;
}
