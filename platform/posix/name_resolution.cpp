// Host name resolution natively: getaddrinfo (the hosts file, DNS, ... as the system is set up).
#include "platform/name_resolution.h"
#include "platform/system_error.h"

#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {
#include "platform/name_resolution_list.inc"
}  // namespace

namespace Platform {

ResolveStatus ResolveHostName(const char* name, int family, std::vector<UdpAddress>* addresses)
{
    if (addresses == nullptr) return kResolveFailed;
    addresses->clear();
    if (name == nullptr || *name == '\0' || (family != 0 && family != kUdpIPv4 && family != kUdpIPv6))
        return kResolveFailed;
    const addrinfo hints = LookupHints<addrinfo>(family);
    addrinfo* list = nullptr;
    const int status = getaddrinfo(name, nullptr, &hints, &list);
    if (status != 0) {
        KeepSystemError(static_cast<std::uint32_t>(-status));  // EAI_ codes are negative on glibc
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
    CollectAddresses(list, addresses);
    freeaddrinfo(list);
    return addresses->empty() ? kResolveNotFound : kResolveOk;
}

}  // namespace Platform
