// Host name resolution on Windows: getaddrinfo of ws2_32 (exported since Windows XP, so present on
// Vista), which asks DNS and the hosts file for IPv4 and IPv6 addresses.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

#include "platform/name_resolution.h"
#include "platform/system_error.h"

namespace {

// How a non-zero getaddrinfo result reads; the system's code is kept.
ResolveStatus FailureOf(int status)
{
    Platform::KeepSystemError(static_cast<std::uint32_t>(status));
    switch (status) {
    case WSAHOST_NOT_FOUND:  // 11001
    case WSATRY_AGAIN:       // 11002: what Wine answers for an unknown name
    case WSANO_RECOVERY:
    case WSANO_DATA:
        return kResolveNotFound;
    default:
        return kResolveFailed;
    }
}

}  // namespace

#include "platform/name_resolution_list.inc"
