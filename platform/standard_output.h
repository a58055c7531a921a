// The process's standard output handle, for the command-line modes that print a result: whether
// it leads to a file or a pipe (a program of the window subsystem started from a console has none
// unless its output was redirected), and writing to it.
#pragma once
#include <cstddef>

namespace Platform {
// True when the standard output handle exists and is a file on disk or a pipe (Windows:
// GetFileType FILE_TYPE_DISK or FILE_TYPE_PIPE; natively a regular file, a FIFO or a socket).
bool StandardOutputIsFileOrPipe();
// Writes all size bytes to the standard output handle. True when every byte was written.
bool WriteStandardOutput(const void* data, size_t size);
}  // namespace Platform
