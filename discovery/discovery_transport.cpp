// The real discovery transport: the platform's UDP sockets and adapter lists, the steady clock and a
// sleeping pause.
#include "discovery/discovery_transport.h"

#include <chrono>
#include <thread>

namespace {

class SystemTransport final : public DiscoveryTransport {
public:
    UdpHandle Open(int family) override { return UdpOpen(family); }
    int SetBroadcast(UdpHandle socket) override { return UdpSetBroadcast(socket); }
    int IgnorePortUnreachable(UdpHandle socket) override { return UdpIgnorePortUnreachable(socket); }
    int SetMulticastInterface(UdpHandle socket, std::uint32_t interfaceIndex) override
    {
        return UdpSetMulticastInterface(socket, interfaceIndex);
    }
    int SetReceiveBuffer(UdpHandle socket, int bytes) override { return UdpSetReceiveBuffer(socket, bytes); }
    int SetNonBlocking(UdpHandle socket) override { return UdpSetNonBlocking(socket); }
    int Bind(UdpHandle socket, const UdpAddress& local) override { return UdpBind(socket, local); }
    int SendTo(UdpHandle socket, const void* data, size_t length, const UdpAddress& destination) override
    {
        return UdpSendTo(socket, data, length, destination);
    }
    int WaitReadable(UdpHandle socket, int timeoutMs) override { return UdpWaitReadable(socket, timeoutMs); }
    int ReceiveFrom(UdpHandle socket, void* buffer, size_t capacity, size_t* length, UdpAddress* sender) override
    {
        return UdpReceiveFrom(socket, buffer, capacity, length, sender);
    }
    void Close(UdpHandle socket) override { UdpClose(socket); }
    int Connect(UdpHandle socket, const UdpAddress& peer) override { return UdpConnect(socket, peer); }
    int PendingError(UdpHandle socket) override { return UdpPendingError(socket); }
    void Pause(int milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
    int ListAdapters(std::vector<PlatformAdapter>& adapters) override { return ListIPv6Adapters(adapters); }
    int ListIPv4Addresses(std::vector<PlatformIPv4Address>& addresses) override
    {
        return ::ListIPv4Addresses(addresses);
    }
    std::int64_t NowMs() override
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

}  // namespace

DiscoveryTransport& SystemDiscoveryTransport()
{
    static SystemTransport transport;
    return transport;
}
