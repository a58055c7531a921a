// Host names to addresses: the system's resolver (DNS, the hosts file, ...) asked for a DNS name's
// IPv4 and IPv6 addresses. Discovery resolves the host names among its targets at each search, and
// a typed host name before its check.
//
// The resolver blocks for as long as the system's resolver takes (usually milliseconds; a DNS server
// that does not answer can hold it for seconds). The socket library must have been started
// (Platform::StartSocketLibrary) on Windows.
#pragma once
#include <vector>

#include "platform/udp.h"

// Results of ResolveHostName. The system's own code of a failure is kept as
// Platform::LastSystemError (platform/system_error.h).
enum ResolveStatus : int {
    kResolveOk = 0,
    kResolveNotFound = 1,  // no such name, or the name has no address of the asked family. A name
                           // that the resolver could not settle for now (WSATRY_AGAIN/EAI_AGAIN) counts
                           // here too: Wine answers so for an unknown name, and the next search asks again
    kResolveFailed = 2,    // the resolver could not be asked (no memory, no socket library, a bad
                           // argument)
};

namespace Platform {
// Resolves name (a DNS name in the ANSI code page; an address text is also accepted, as the system
// reads it) to its addresses of family: kUdpIPv4, kUdpIPv6, or 0 for both. On kResolveOk
// *addresses holds at least one address, in the resolver's order, without duplicates, port 0 and
// scope 0 (an IPv6 link-local address keeps the scope the resolver gave); on any other result it
// is empty.
ResolveStatus ResolveHostName(const char* name, int family, std::vector<UdpAddress>* addresses);
}  // namespace Platform
