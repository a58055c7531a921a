// Network adapters natively: getifaddrs for the interfaces and their IPv4 and IPv6 addresses, the kernel's
// hardware type and operational state for the filter, the interface name as friendly name.
#include "platform/adapters.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <netpacket/packet.h>
#include <string>
#include <sys/socket.h>

#include "platform/bounded_text.h"

namespace {

// Kernel values that the C library headers do not carry.
constexpr unsigned short kHardwareIp6Gre = 823;  // ARPHRD_IP6GRE
constexpr unsigned int kFlagLowerUp = 1u << 16;  // IFF_LOWER_UP
constexpr unsigned int kFlagDormant = 1u << 17;  // IFF_DORMANT

// Maps the kernel's hardware type (ARPHRD_*) to the interface type that IP Helper reports.
std::uint32_t IfTypeOf(unsigned short hardwareType)
{
    switch (hardwareType) {
    case ARPHRD_ETHER:
        return kIfTypeEthernet;
    case ARPHRD_IEEE80211:
        return kIfTypeIeee80211;
    case ARPHRD_LOOPBACK:
        return kIfTypeSoftwareLoopback;
    case ARPHRD_PPP:
        return kIfTypePpp;
    case ARPHRD_ATM:
        return kIfTypeAtm;
    case ARPHRD_TUNNEL:
    case ARPHRD_TUNNEL6:
    case ARPHRD_SIT:
    case ARPHRD_IPGRE:
    case kHardwareIp6Gre:
    case ARPHRD_NONE:  // tun devices, WireGuard
        return kIfTypeTunnel;
    default:
        return kIfTypeOther;
    }
}

// Reads one line of /sys/class/net/<name>/<file>; empty when it cannot be read.
std::string ReadSysNet(const char* name, const char* file)
{
    std::string path = std::string("/sys/class/net/") + name + "/" + file;
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (f == nullptr) return {};
    char line[64] = {};
    if (std::fgets(line, sizeof line, f) == nullptr) line[0] = '\0';
    std::fclose(f);
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

// The operational state the kernel reports (RFC 2863 names in sysfs). The sysfs of another network
// namespace may be mounted, so its answer counts only when its interface index is this one's;
// otherwise the interface flags decide.
std::uint32_t OperStatusOf(const char* name, unsigned int ifIndex, unsigned int flags)
{
    if (ReadSysNet(name, "ifindex") == std::to_string(ifIndex)) {
        std::string state = ReadSysNet(name, "operstate");
        if (state == "up") return kOperUp;
        if (state == "down") return kOperDown;
        if (state == "testing") return kOperTesting;
        if (state == "unknown") return kOperUnknown;
        if (state == "dormant") return kOperDormant;
        if (state == "notpresent") return kOperNotPresent;
        if (state == "lowerlayerdown") return kOperLowerLayerDown;
    }
    if (!(flags & IFF_UP)) return kOperDown;
    if (!(flags & kFlagLowerUp)) return kOperLowerLayerDown;
    if (flags & kFlagDormant) return kOperDormant;
    return kOperUp;
}

}  // namespace

AdaptersStatus ListIPv6Adapters(std::vector<PlatformAdapter>& adapters)
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return kAdaptersFailed;

    std::vector<PlatformAdapter> found;
    for (ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_PACKET) continue;
        const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
        bool hasIPv6 = false;
        for (ifaddrs* other = list; other != nullptr && !hasIPv6; other = other->ifa_next)
            hasIPv6 = other->ifa_addr != nullptr && other->ifa_addr->sa_family == AF_INET6 &&
                      std::strcmp(other->ifa_name, entry->ifa_name) == 0;
        if (!hasIPv6) continue;

        PlatformAdapter adapter;
        std::memset(&adapter, 0, sizeof adapter);
        adapter.ifType = IfTypeOf(link->sll_hatype);
        adapter.ifIndex = static_cast<std::uint32_t>(link->sll_ifindex);
        adapter.ipv6IfIndex = adapter.ifIndex;
        adapter.operStatus = OperStatusOf(entry->ifa_name, adapter.ifIndex, entry->ifa_flags);
        if (std::strlen(entry->ifa_name) < sizeof adapter.friendlyName)
            std::strcpy(adapter.friendlyName, entry->ifa_name);
        found.push_back(adapter);
    }
    freeifaddrs(list);

    if (found.empty()) return kAdaptersFailed;
    std::stable_sort(found.begin(), found.end(),
                     [](const PlatformAdapter& a, const PlatformAdapter& b) { return a.ifIndex < b.ifIndex; });
    adapters.insert(adapters.end(), found.begin(), found.end());
    return kAdaptersOk;
}

AdaptersStatus ListIPv4Addresses(std::vector<PlatformIPv4Address>& addresses)
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return kAdaptersFailed;
    std::vector<PlatformIPv4Address> found;
    for (ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        PlatformIPv4Address address;
        std::memset(&address, 0, sizeof address);
        std::memcpy(address.octets, &reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr, 4);
        // The interface's link entry gives its hardware type and index.
        unsigned short hardwareType = ARPHRD_NONE;
        unsigned int ifIndex = 0;
        for (ifaddrs* link = list; link != nullptr; link = link->ifa_next) {
            if (link->ifa_addr != nullptr && link->ifa_addr->sa_family == AF_PACKET &&
                std::strcmp(link->ifa_name, entry->ifa_name) == 0) {
                const auto* ll = reinterpret_cast<const sockaddr_ll*>(link->ifa_addr);
                hardwareType = ll->sll_hatype;
                ifIndex = static_cast<unsigned int>(ll->sll_ifindex);
                break;
            }
        }
        address.ifType = (entry->ifa_flags & IFF_LOOPBACK) ? kIfTypeSoftwareLoopback : IfTypeOf(hardwareType);
        address.operStatus = OperStatusOf(entry->ifa_name, ifIndex, entry->ifa_flags);
        found.push_back(address);
    }
    freeifaddrs(list);
    addresses.insert(addresses.end(), found.begin(), found.end());
    return kAdaptersOk;
}

bool AdapterNamesEqual(const char* a, const char* b)
{
    return AsciiEqualNoCase(a, b);
}
