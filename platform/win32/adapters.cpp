// Network adapters on Windows: GetAdaptersAddresses from iphlpapi.dll, loaded on first use.
#include <winsock2.h>
#include <iphlpapi.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/adapters.h"

namespace {

using GetAdaptersAddressesFn = ULONG(WINAPI*)(ULONG, ULONG, PVOID, PIP_ADAPTER_ADDRESSES, PULONG);

GetAdaptersAddressesFn LoadGetAdaptersAddresses()
{
    static GetAdaptersAddressesFn function = nullptr;
    static bool tried = false;
    if (!tried) {
        tried = true;
        HMODULE module = LoadLibraryA("iphlpapi.dll");
        if (module != nullptr)
            function = reinterpret_cast<GetAdaptersAddressesFn>(
                reinterpret_cast<void (*)()>(GetProcAddress(module, "GetAdaptersAddresses")));
    }
    return function;
}

// The system's adapter list for the family into buffer; the first adapter, or nullptr on failure.
PIP_ADAPTER_ADDRESSES QueryAdapters(ULONG family, std::vector<unsigned char>& buffer)
{
    GetAdaptersAddressesFn getAdapters = LoadGetAdaptersAddresses();
    if (getAdapters == nullptr) return nullptr;
    // DNS servers, anycast and multicast addresses are not read; skipping them also keeps the call
    // working where no IPv6 DNS server is configured.
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    ULONG size = 0;
    if (getAdapters(family, flags, nullptr, nullptr, &size) != ERROR_BUFFER_OVERFLOW) return nullptr;
    try {
        buffer.resize(size);
    } catch (...) {
        return nullptr;
    }
    auto* first = reinterpret_cast<PIP_ADAPTER_ADDRESSES>(buffer.data());
    if (getAdapters(family, flags, nullptr, first, &size) != NO_ERROR) return nullptr;
    return first;
}

}  // namespace

AdaptersStatus ListIPv6Adapters(std::vector<PlatformAdapter>& adapters)
{
    std::vector<unsigned char> buffer;
    PIP_ADAPTER_ADDRESSES first = QueryAdapters(AF_INET6, buffer);
    if (first == nullptr) return kAdaptersFailed;

    for (PIP_ADAPTER_ADDRESSES a = first; a != nullptr; a = a->Next) {
        PlatformAdapter adapter;
        std::memset(&adapter, 0, sizeof adapter);
        adapter.ifType = a->IfType;
        adapter.operStatus = static_cast<std::uint32_t>(a->OperStatus);
        adapter.ipv6IfIndex = a->Ipv6IfIndex;
        adapter.ifIndex = a->IfIndex;
        if (a->FriendlyName == nullptr || WideCharToMultiByte(CP_ACP, 0, a->FriendlyName, -1, adapter.friendlyName,
                                                              sizeof adapter.friendlyName, nullptr, nullptr) == 0)
            std::memset(adapter.friendlyName, 0, sizeof adapter.friendlyName);
        adapter.friendlyName[sizeof adapter.friendlyName - 1] = '\0';
        adapters.push_back(adapter);
    }
    return kAdaptersOk;
}

AdaptersStatus ListIPv4Addresses(std::vector<PlatformIPv4Address>& addresses)
{
    std::vector<unsigned char> buffer;
    PIP_ADAPTER_ADDRESSES first = QueryAdapters(AF_INET, buffer);
    if (first == nullptr) return kAdaptersFailed;
    for (PIP_ADAPTER_ADDRESSES a = first; a != nullptr; a = a->Next) {
        for (PIP_ADAPTER_UNICAST_ADDRESS u = a->FirstUnicastAddress; u != nullptr; u = u->Next) {
            const SOCKADDR* sa = u->Address.lpSockaddr;
            if (sa == nullptr || sa->sa_family != AF_INET) continue;
            PlatformIPv4Address address;
            std::memset(&address, 0, sizeof address);
            address.ifType = a->IfType;
            address.operStatus = static_cast<std::uint32_t>(a->OperStatus);
            std::memcpy(address.octets, &reinterpret_cast<const sockaddr_in*>(sa)->sin_addr, 4);
            addresses.push_back(address);
        }
    }
    return kAdaptersOk;
}

bool AdapterNamesEqual(const char* a, const char* b)
{
    return lstrcmpiA(a, b) == 0;
}
