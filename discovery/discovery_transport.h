// What a discovery pass needs from the system: UDP sockets, a clock and a pause, and the adapters. The
// passes and the driver take it as an interface so that tests can stand in a scripted network;
// SystemDiscoveryTransport() is the real one over platform/udp.h and platform/adapters.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/adapters.h"
#include "platform/udp.h"

// Every operation has the meaning and the results of its namesake in platform/udp.h and
// platform/adapters.h; Pause blocks the thread for the given milliseconds; NowMs reads a monotonic
// clock in milliseconds (its zero is arbitrary).
class DiscoveryTransport {
public:
    virtual ~DiscoveryTransport() = default;
    virtual UdpHandle Open(int family) = 0;
    virtual int SetBroadcast(UdpHandle socket) = 0;
    // The scripted networks of the tests never report port-unreachable, so they need not stand in.
    virtual int IgnorePortUnreachable(UdpHandle) { return kUdpOk; }
    virtual int SetMulticastInterface(UdpHandle socket, std::uint32_t interfaceIndex) = 0;
    virtual int SetReceiveBuffer(UdpHandle socket, int bytes) = 0;
    // A scripted network that never runs out of send buffer keeps this.
    virtual int SetNonBlocking(UdpHandle) { return kUdpOk; }
    virtual int Bind(UdpHandle socket, const UdpAddress& local) = 0;
    virtual int SendTo(UdpHandle socket, const void* data, size_t length, const UdpAddress& destination) = 0;
    virtual int WaitReadable(UdpHandle socket, int timeoutMs) = 0;
    virtual int ReceiveFrom(UdpHandle socket, void* buffer, size_t capacity, size_t* length, UdpAddress* sender) = 0;
    virtual void Close(UdpHandle socket) = 0;
    // UdpConnect and UdpPendingError; a stand-in network that models neither keeps these.
    virtual int Connect(UdpHandle, const UdpAddress&) { return kUdpOk; }
    virtual int PendingError(UdpHandle) { return kUdpOk; }
    virtual void Pause(int milliseconds) = 0;
    virtual int ListAdapters(std::vector<PlatformAdapter>& adapters) = 0;
    virtual int ListIPv4Addresses(std::vector<PlatformIPv4Address>& addresses) = 0;
    virtual std::int64_t NowMs() = 0;
};

// The process's real transport (a static object; never null).
DiscoveryTransport& SystemDiscoveryTransport();
