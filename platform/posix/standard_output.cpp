// The standard output natively: file descriptor 1.
#include "platform/standard_output.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

bool StandardOutputIsFileOrPipe()
{
    struct stat info;
    if (fstat(STDOUT_FILENO, &info) != 0) return false;
    return S_ISREG(info.st_mode) || S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode);
}

bool WriteStandardOutput(const void* data, size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = write(STDOUT_FILENO, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace Platform
