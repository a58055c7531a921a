// Start-up services on the native build: nothing to register and no socket library to start;
// SCANLINK_SOCKETS_FAIL=1 makes the socket start fail, for tests of that path.
#include <cstdlib>
#include <cstring>

#include "platform/framework_init.h"

namespace Platform {

void InitCommonControlClasses()
{
}

int StartSocketLibrary()
{
    const char* fail = std::getenv("SCANLINK_SOCKETS_FAIL");
    return fail != nullptr && std::strcmp(fail, "1") == 0 ? -1 : 0;
}

void StopSocketLibrary()
{
}

}  // namespace Platform
