// The standard input on Windows: ReadFile on the STD_INPUT_HANDLE that a redirection or a pipe
// gives. A pipe whose writer has closed reports ERROR_BROKEN_PIPE, which is the input's end.
#include <windows.h>

#include "platform/standard_input.h"
#include "platform/system_error.h"

namespace Platform {

StdinStatus ReadStandardInput(void* buffer, size_t size, size_t* got)
{
    *got = 0;
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    if (in == nullptr || in == INVALID_HANDLE_VALUE || buffer == nullptr || size == 0) return kStdinEnd;
    DWORD read = 0;
    const DWORD chunk = size > 65536 ? 65536 : static_cast<DWORD>(size);
    if (!ReadFile(in, buffer, chunk, &read, nullptr)) {
        const DWORD error = GetLastError();
        if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return kStdinEnd;
        KeepSystemError(error);
        return kStdinFailed;
    }
    *got = read;
    return read == 0 ? kStdinEnd : kStdinOk;
}

}  // namespace Platform
