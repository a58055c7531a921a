// The address parser on Windows: WSAStringToAddressA.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstring>

#include "platform/address_parser.h"

namespace Platform {

int ParseAddressText(const char* text, int family)
{
    if (text == nullptr) return kAddressRefused;
    // The function takes a writable text; work on a bounded copy.
    char copy[128] = {};
    size_t length = std::strlen(text);
    if (length >= sizeof(copy)) return kAddressRefused;
    std::memcpy(copy, text, length);
    int result = SOCKET_ERROR;
    if (family == kFamilyIpv4) {
        sockaddr_in address = {};
        int size = sizeof(address);
        result = ::WSAStringToAddressA(copy, AF_INET, nullptr, reinterpret_cast<sockaddr*>(&address), &size);
    } else if (family == kFamilyIpv6) {
        sockaddr_in6 address = {};
        int size = sizeof(address);
        result = ::WSAStringToAddressA(copy, AF_INET6, nullptr, reinterpret_cast<sockaddr*>(&address), &size);
    }
    if (result != 0) {
        ::WSAGetLastError();  // read and not used: callers only need accepted or refused
        return kAddressRefused;
    }
    return kAddressAccepted;
}

}  // namespace Platform
