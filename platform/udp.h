// UDP datagram sockets for discovery: open, options, bind, send, wait, receive and close, over
// IPv4 and IPv6, with the operating system's error codes translated into the results below.
#pragma once
#include <cstddef>
#include <cstdint>

// The socket library must have been started (Platform::StartSocketLibrary, at program start-up).

// A socket handle. kUdpInvalidHandle is "no socket". The caller owns an open handle and closes it
// with UdpClose exactly once.
using UdpHandle = std::intptr_t;
constexpr UdpHandle kUdpInvalidHandle = -1;

// Address families.
constexpr int kUdpIPv4 = 4;
constexpr int kUdpIPv6 = 6;

// Results of the operations below.
enum UdpStatus : int {
    kUdpOk = 0,       // done; for UdpWaitReadable: a datagram is waiting
    kUdpFailed = -1,  // the system refused the operation (its reason: Platform::LastSystemError)
    kUdpTimeout = 1,  // UdpWaitReadable: nothing arrived within the time-out
    kUdpTooLong = 2,  // UdpReceiveFrom: the datagram was longer than the buffer; it has been taken
                      // off the socket and is lost
    kUdpRefused = 3,  // a connected socket learnt that its peer refused a datagram (ICMP
                      // port-unreachable): UdpReceiveFrom or UdpPendingError
    kUdpWouldBlock = 4,  // UdpSendTo on a non-blocking socket: the system could not take the
                         // datagram now (the socket's send buffer is full); nothing was sent
};

// A socket address. For kUdpIPv4 the first 4 octets hold the address, for kUdpIPv6 all 16;
// octets are in network order, port in host order. scopeId is the IPv6 scope (interface index).
struct UdpAddress {
    int family;
    std::uint8_t octets[16];
    std::uint16_t port;
    std::uint32_t scopeId;
};

// Opens an unbound UDP socket of the family (kUdpIPv4 or kUdpIPv6); kUdpInvalidHandle on failure
// (its reason: Platform::LastSystemError). An IPv6 socket carries IPv6 only (on every system), so
// it never holds the IPv4 port too.
UdpHandle UdpOpen(int family);
// Makes the socket ignore ICMP port-unreachable messages for its earlier sends. On Windows they
// otherwise make the next receive fail with WSAECONNRESET (SIO_UDP_CONNRESET turned off here);
// natively an unconnected socket never reports them, so this does nothing. The discovery passes
// use it; the unicast check, which wants to learn of them, does not. kUdpOk or kUdpFailed.
UdpStatus UdpIgnorePortUnreachable(UdpHandle socket);
// Enables sending to broadcast addresses (SO_BROADCAST). kUdpOk or kUdpFailed.
UdpStatus UdpSetBroadcast(UdpHandle socket);
// Sets the outgoing interface of IPv6 multicasts (IPV6_MULTICAST_IF); 0 lets the system choose
// (the destination's scope then selects the link). kUdpOk or kUdpFailed.
UdpStatus UdpSetMulticastInterface(UdpHandle socket, std::uint32_t interfaceIndex);
// Asks for a receive buffer of at least bytes octets, so that a burst of answers waits in the
// socket while they are read one by one. Linux caps the request at net.core.rmem_max; when the
// process may, the cap is passed over. kUdpOk when the buffer now holds at least bytes, else
// kUdpFailed (the socket stays usable with the buffer it has).
UdpStatus UdpSetReceiveBuffer(UdpHandle socket, int bytes);
// Makes sends on the socket return kUdpWouldBlock instead of waiting for room in its send buffer
// (FIONBIO on Windows, O_NONBLOCK natively). A target sweep needs it: on Linux (and so under Wine)
// every datagram to an on-link address whose neighbour is still being resolved holds its share of
// the send buffer for up to three seconds. Receives are unchanged for callers that wait with
// UdpWaitReadable first. kUdpOk or kUdpFailed.
UdpStatus UdpSetNonBlocking(UdpHandle socket);
// Binds to the local address (all-zero octets: any address; port 0: the system chooses).
UdpStatus UdpBind(UdpHandle socket, const UdpAddress& local);
// Sends one datagram to the destination. kUdpOk when the whole datagram was handed to the system;
// kUdpWouldBlock (non-blocking sockets only) when it could not be taken now.
UdpStatus UdpSendTo(UdpHandle socket, const void* data, size_t length, const UdpAddress& destination);
// Waits up to timeoutMs milliseconds until a datagram can be read: kUdpOk, kUdpTimeout, or
// kUdpFailed when the wait itself failed.
UdpStatus UdpWaitReadable(UdpHandle socket, int timeoutMs);
// Takes the next datagram into buffer (capacity octets), its length into *length and its sender
// into *sender. kUdpOk; kUdpTooLong when it did not fit (nothing usable is left in buffer);
// kUdpRefused when a connected socket's peer refused an earlier datagram; kUdpFailed on any other
// error.
UdpStatus UdpReceiveFrom(UdpHandle socket, void* buffer, size_t capacity, size_t* length, UdpAddress* sender);
// Connects the socket to one peer: it then receives from that peer only, and an ICMP
// port-unreachable for what it sent is reported to it. kUdpOk or kUdpFailed.
UdpStatus UdpConnect(UdpHandle socket, const UdpAddress& peer);
// Takes the socket's pending error (SO_ERROR): kUdpRefused when the peer refused a datagram
// (Windows: WSAECONNRESET on the next receive, but Wine only sets the pending error, 10061; Linux:
// ECONNREFUSED), kUdpOk when there is none or another one.
UdpStatus UdpPendingError(UdpHandle socket);
// Closes the socket. kUdpInvalidHandle is ignored.
void UdpClose(UdpHandle socket);
