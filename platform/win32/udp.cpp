// UDP sockets on Windows: Windows Sockets 2, select for the readability wait, WSAEMSGSIZE for long
// datagrams.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

#include "platform/system_error.h"
#include "platform/udp.h"

namespace {

// A failure, with the system's reason kept for the trace.
UdpStatus Failed()
{
    Platform::KeepSystemError(static_cast<std::uint32_t>(WSAGetLastError()));
    return kUdpFailed;
}

using SockaddrLength = int;
#include "platform/udp_sockaddr.inc"

SOCKET Sock(UdpHandle socket)
{
    return static_cast<SOCKET>(socket);
}

}  // namespace

#ifndef SIO_UDP_CONNRESET
#define SIO_UDP_CONNRESET _WSAIOW(IOC_VENDOR, 12)
#endif

UdpHandle UdpOpen(int family)
{
    SOCKET s = ::socket(family == kUdpIPv6 ? AF_INET6 : AF_INET, SOCK_DGRAM, 0);
    if (s == INVALID_SOCKET) {
        Failed();
        return kUdpInvalidHandle;
    }
    return static_cast<UdpHandle>(s);
}

UdpStatus UdpIgnorePortUnreachable(UdpHandle socket)
{
    BOOL report = FALSE;
    DWORD returned = 0;
    return WSAIoctl(Sock(socket), SIO_UDP_CONNRESET, &report, sizeof report, nullptr, 0, &returned, nullptr, nullptr) ==
                   0
               ? kUdpOk
               : Failed();
}

UdpStatus UdpSetBroadcast(UdpHandle socket)
{
    BOOL on = TRUE;
    return setsockopt(Sock(socket), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on) == 0
               ? kUdpOk
               : Failed();
}

UdpStatus UdpSetMulticastInterface(UdpHandle socket, std::uint32_t interfaceIndex)
{
    DWORD index = interfaceIndex;
    return setsockopt(Sock(socket), IPPROTO_IPV6, IPV6_MULTICAST_IF, reinterpret_cast<const char*>(&index),
                      sizeof index) == 0
               ? kUdpOk
               : Failed();
}

UdpStatus UdpSetReceiveBuffer(UdpHandle socket, int bytes)
{
    if (setsockopt(Sock(socket), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes), sizeof bytes) != 0)
        return Failed();
    int size = 0;
    int length = sizeof size;
    if (getsockopt(Sock(socket), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&size), &length) != 0) return Failed();
    return size >= bytes ? kUdpOk : Failed();
}

UdpStatus UdpSetNonBlocking(UdpHandle socket)
{
    u_long on = 1;
    return ioctlsocket(Sock(socket), FIONBIO, &on) == 0 ? kUdpOk : Failed();
}

UdpStatus UdpBind(UdpHandle socket, const UdpAddress& local)
{
    sockaddr_storage storage;
    int length = ToSockaddr(local, &storage);
    return ::bind(Sock(socket), reinterpret_cast<sockaddr*>(&storage), length) == 0 ? kUdpOk : Failed();
}

UdpStatus UdpSendTo(UdpHandle socket, const void* data, size_t length, const UdpAddress& destination)
{
    sockaddr_storage storage;
    int addressLength = ToSockaddr(destination, &storage);
    int sent = ::sendto(Sock(socket), static_cast<const char*>(data), static_cast<int>(length), 0,
                        reinterpret_cast<sockaddr*>(&storage), addressLength);
    if (sent == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) return kUdpWouldBlock;
    return sent != SOCKET_ERROR && static_cast<size_t>(sent) == length ? kUdpOk : Failed();
}

UdpStatus UdpWaitReadable(UdpHandle socket, int timeoutMs)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(Sock(socket), &readable);
    timeval timeout = {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    int ready = ::select(0, &readable, nullptr, nullptr, &timeout);
    if (ready == SOCKET_ERROR) return Failed();
    if (ready == 0) return kUdpTimeout;
    return FD_ISSET(Sock(socket), &readable) ? kUdpOk : Failed();
}

UdpStatus UdpReceiveFrom(UdpHandle socket, void* buffer, size_t capacity, size_t* length, UdpAddress* sender)
{
    sockaddr_storage storage;
    std::memset(&storage, 0, sizeof storage);
    int addressLength = sizeof storage;
    int received = ::recvfrom(Sock(socket), static_cast<char*>(buffer), static_cast<int>(capacity), 0,
                              reinterpret_cast<sockaddr*>(&storage), &addressLength);
    *length = 0;
    if (received == SOCKET_ERROR) {
        const int error = WSAGetLastError();
        // An ICMP port-unreachable for an earlier datagram (SIO_UDP_CONNRESET is on by default).
        if (error == WSAECONNRESET || error == WSAECONNREFUSED) return kUdpRefused;
        if (error != WSAEMSGSIZE) return Failed();
        // The datagram did not fit; Windows has discarded the rest of it.
        FromSockaddr(storage, sender);
        return kUdpTooLong;
    }
    FromSockaddr(storage, sender);
    *length = static_cast<size_t>(received);
    return kUdpOk;
}

UdpStatus UdpConnect(UdpHandle socket, const UdpAddress& peer)
{
    sockaddr_storage storage;
    int length = ToSockaddr(peer, &storage);
    return ::connect(Sock(socket), reinterpret_cast<sockaddr*>(&storage), length) == 0 ? kUdpOk : Failed();
}

UdpStatus UdpPendingError(UdpHandle socket)
{
    int error = 0;
    int length = sizeof error;
    if (getsockopt(Sock(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0) return kUdpOk;
    return error == WSAECONNREFUSED || error == WSAECONNRESET ? kUdpRefused : kUdpOk;
}

void UdpClose(UdpHandle socket)
{
    if (socket != kUdpInvalidHandle) ::closesocket(Sock(socket));
}
