// The last system error of a platform service.
#include "platform/system_error.h"

namespace {
std::uint32_t g_lastError = 0;
}  // namespace

namespace Platform {

std::uint32_t LastSystemError()
{
    return g_lastError;
}

void KeepSystemError(std::uint32_t code)
{
    g_lastError = code;
}

}  // namespace Platform
