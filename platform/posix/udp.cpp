// UDP sockets natively: BSD sockets, poll for the readability wait, MSG_TRUNC to spot long datagrams.
#include "platform/udp.h"
#include "platform/system_error.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A failure, with the system's reason kept for the trace.
UdpStatus Failed()
{
    Platform::KeepSystemError(static_cast<std::uint32_t>(errno));
    return kUdpFailed;
}

using SockaddrLength = socklen_t;
#include "platform/udp_sockaddr.inc"

int Fd(UdpHandle socket)
{
    return static_cast<int>(socket);
}

}  // namespace

UdpHandle UdpOpen(int family)
{
    int fd = ::socket(family == kUdpIPv6 ? AF_INET6 : AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        Failed();
        return kUdpInvalidHandle;
    }
    if (family == kUdpIPv6) {
        // IPv6 sockets carry IPv6 only, as on Windows: they never take the IPv4 port as well.
        int on = 1;
        setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
    }
    return static_cast<UdpHandle>(fd);
}

UdpStatus UdpIgnorePortUnreachable(UdpHandle)
{
    return kUdpOk;  // an unconnected socket never reports it here
}

UdpStatus UdpSetBroadcast(UdpHandle socket)
{
    int on = 1;
    return setsockopt(Fd(socket), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) == 0 ? kUdpOk : Failed();
}

UdpStatus UdpSetMulticastInterface(UdpHandle socket, std::uint32_t interfaceIndex)
{
    unsigned int index = interfaceIndex;
    return setsockopt(Fd(socket), IPPROTO_IPV6, IPV6_MULTICAST_IF, &index, sizeof index) == 0 ? kUdpOk : Failed();
}

UdpStatus UdpSetReceiveBuffer(UdpHandle socket, int bytes)
{
    // Linux doubles the value set (for its bookkeeping) and reports the doubled value back.
    auto granted = [&]() {
        int size = 0;
        socklen_t length = sizeof size;
        if (getsockopt(Fd(socket), SOL_SOCKET, SO_RCVBUF, &size, &length) != 0) return 0;
        return size / 2;
    };
    setsockopt(Fd(socket), SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
    if (granted() >= bytes) return kUdpOk;
    // Capped by net.core.rmem_max: a privileged process may pass over the cap.
    setsockopt(Fd(socket), SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes);
    return granted() >= bytes ? kUdpOk : Failed();
}

UdpStatus UdpSetNonBlocking(UdpHandle socket)
{
    const int flags = fcntl(Fd(socket), F_GETFL);
    return flags >= 0 && fcntl(Fd(socket), F_SETFL, flags | O_NONBLOCK) == 0 ? kUdpOk : Failed();
}

UdpStatus UdpBind(UdpHandle socket, const UdpAddress& local)
{
    sockaddr_storage storage;
    socklen_t length = ToSockaddr(local, &storage);
    return ::bind(Fd(socket), reinterpret_cast<sockaddr*>(&storage), length) == 0 ? kUdpOk : Failed();
}

UdpStatus UdpSendTo(UdpHandle socket, const void* data, size_t length, const UdpAddress& destination)
{
    sockaddr_storage storage;
    socklen_t addressLength = ToSockaddr(destination, &storage);
    ssize_t sent = ::sendto(Fd(socket), data, length, 0, reinterpret_cast<sockaddr*>(&storage), addressLength);
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return kUdpWouldBlock;
    return sent >= 0 && static_cast<size_t>(sent) == length ? kUdpOk : Failed();
}

UdpStatus UdpWaitReadable(UdpHandle socket, int timeoutMs)
{
    pollfd entry = {Fd(socket), POLLIN, 0};
    int ready = ::poll(&entry, 1, timeoutMs);
    if (ready < 0) return Failed();
    if (ready == 0) return kUdpTimeout;
    // A pending error (a refused datagram on a connected socket) is read by the next receive.
    return (entry.revents & (POLLIN | POLLERR)) ? kUdpOk : Failed();
}

UdpStatus UdpReceiveFrom(UdpHandle socket, void* buffer, size_t capacity, size_t* length, UdpAddress* sender)
{
    sockaddr_storage storage;
    std::memset(&storage, 0, sizeof storage);
    socklen_t addressLength = sizeof storage;
    ssize_t received;
    do {
        // MSG_TRUNC makes the call return the datagram's real length even when it was cut.
        received =
            ::recvfrom(Fd(socket), buffer, capacity, MSG_TRUNC, reinterpret_cast<sockaddr*>(&storage), &addressLength);
    } while (received < 0 && errno == EINTR);
    *length = 0;
    if (received < 0) return errno == ECONNREFUSED ? kUdpRefused : Failed();
    FromSockaddr(storage, sender);
    if (static_cast<size_t>(received) > capacity) return kUdpTooLong;
    *length = static_cast<size_t>(received);
    return kUdpOk;
}

UdpStatus UdpConnect(UdpHandle socket, const UdpAddress& peer)
{
    sockaddr_storage storage;
    socklen_t length = ToSockaddr(peer, &storage);
    return ::connect(Fd(socket), reinterpret_cast<sockaddr*>(&storage), length) == 0 ? kUdpOk : Failed();
}

UdpStatus UdpPendingError(UdpHandle socket)
{
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(Fd(socket), SOL_SOCKET, SO_ERROR, &error, &length) != 0) return kUdpOk;
    return error == ECONNREFUSED ? kUdpRefused : kUdpOk;
}

void UdpClose(UdpHandle socket)
{
    if (socket != kUdpInvalidHandle) ::close(Fd(socket));
}
