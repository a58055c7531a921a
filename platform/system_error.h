// The system's own reason for the last failure of a platform service, kept beside the service's
// named result: each implementation records the system's error code (GetLastError or
// WSAGetLastError on Windows, errno natively) where it translates a failure into its result, so
// that the trace can name it. Portable code only reads it.
#pragma once
#include <cstdint>

namespace Platform {
// The code recorded by the last failing platform operation (0 when none failed yet).
std::uint32_t LastSystemError();
// Records a failure's code (platform implementations only).
void KeepSystemError(std::uint32_t code);
}  // namespace Platform
