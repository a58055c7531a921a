// The standard input natively: file descriptor 0.
#include "platform/standard_input.h"

#include <cerrno>
#include <unistd.h>

#include "platform/system_error.h"

namespace Platform {

StdinStatus ReadStandardInput(void* buffer, size_t size, size_t* got)
{
    *got = 0;
    if (buffer == nullptr || size == 0) return kStdinEnd;
    for (;;) {
        const ssize_t read = ::read(STDIN_FILENO, buffer, size);
        if (read < 0 && errno == EINTR) continue;
        if (read < 0) {
            if (errno == EBADF) return kStdinEnd;
            KeepSystemError(static_cast<std::uint32_t>(errno));
            return kStdinFailed;
        }
        *got = static_cast<size_t>(read);
        return read == 0 ? kStdinEnd : kStdinOk;
    }
}

}  // namespace Platform
