// Host name resolution natively: getaddrinfo (the hosts file, DNS, ... as the system is set up).
#include "platform/name_resolution.h"
#include "platform/system_error.h"

#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

// How a non-zero getaddrinfo result reads; the system's code is kept.
ResolveStatus FailureOf(int status)
{
    Platform::KeepSystemError(static_cast<std::uint32_t>(-status));  // EAI_ codes are negative on glibc
    switch (status) {
    case EAI_NONAME:
    case EAI_AGAIN:
    case EAI_FAIL:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
#endif
        return kResolveNotFound;
    default:
        return kResolveFailed;
    }
}

}  // namespace

#include "platform/name_resolution_list.inc"
