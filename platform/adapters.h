// Network adapters for discovery: the system's adapters that carry IPv6 (with the type, state,
// indices and friendly name that discovery filters on), the IPv4 addresses of the adapters (which
// IPv4 discovery sends from), and the name comparison used for adapter names.
#pragma once
#include <cstdint>
#include <vector>

// Interface types, as IP Helper numbers them (IANA ifType).
constexpr std::uint32_t kIfTypeOther = 1;
constexpr std::uint32_t kIfTypeEthernet = 6;
constexpr std::uint32_t kIfTypePpp = 23;
constexpr std::uint32_t kIfTypeSoftwareLoopback = 24;
constexpr std::uint32_t kIfTypeAtm = 37;
constexpr std::uint32_t kIfTypeIeee80211 = 71;
constexpr std::uint32_t kIfTypeTunnel = 131;

// Operational states, as IP Helper numbers them (RFC 2863 ifOperStatus).
constexpr std::uint32_t kOperUp = 1;
constexpr std::uint32_t kOperDown = 2;
constexpr std::uint32_t kOperTesting = 3;
constexpr std::uint32_t kOperUnknown = 4;
constexpr std::uint32_t kOperDormant = 5;
constexpr std::uint32_t kOperNotPresent = 6;
constexpr std::uint32_t kOperLowerLayerDown = 7;

// One adapter as the system reports it. ipv6IfIndex is the adapter's IPv6 interface index, 0 when
// the system does not give one (Wine never does); ifIndex is its general interface index.
struct PlatformAdapter {
    std::uint32_t ifType;
    std::uint32_t operStatus;
    std::uint32_t ipv6IfIndex;
    std::uint32_t ifIndex;
    char friendlyName[260];  // ANSI code page, terminated; empty when the name could not be
                             // converted or does not fit
};

// Results of ListIPv6Adapters.
enum AdaptersStatus : int {
    kAdaptersOk = 0,
    kAdaptersFailed = -1,  // the size query did not ask for a buffer (no adapter at all for IPv6),
                           // the buffer could not be had, or the list query failed (its reason:
                           // Platform::LastSystemError)
};

// Appends every adapter that carries IPv6, unfiltered, in the order the system reports them.
// Windows: GetAdaptersAddresses (iphlpapi.dll, loaded on first use) for AF_INET6, skipping DNS
// servers, anycast and multicast addresses, which nothing here reads. Linux: the interfaces of
// getifaddrs that hold an IPv6 address, in interface index order, with the type and operational
// state the kernel reports, the interface name as friendly name.
AdaptersStatus ListIPv6Adapters(std::vector<PlatformAdapter>& adapters);

// One IPv4 address of an adapter, with the adapter's type and state for the filter.
struct PlatformIPv4Address {
    std::uint32_t ifType;      // as PlatformAdapter
    std::uint32_t operStatus;  // as PlatformAdapter
    std::uint8_t octets[4];    // the unicast address, network order
};

// Appends every IPv4 unicast address of every adapter, unfiltered (loopback and adapters that are
// down included), in the order the system reports them. kAdaptersOk, or kAdaptersFailed when the
// system gave no list (addresses unchanged). Windows: GetAdaptersAddresses for AF_INET with the
// same flags as ListIPv6Adapters. Linux: the AF_INET entries of getifaddrs, typed and stated as
// ListIPv6Adapters types them.
AdaptersStatus ListIPv4Addresses(std::vector<PlatformIPv4Address>& addresses);

// True when two adapter names are equal ignoring letter case, as the system compares names
// (Windows: lstrcmpiA; elsewhere ASCII letters only).
bool AdapterNamesEqual(const char* a, const char* b);
