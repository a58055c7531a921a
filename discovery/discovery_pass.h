// The pieces of a discovery pass: the adapters a pass sends from (IPv4 addresses, IPv6 adapters),
// one listening socket's set-up and request, and the taking of every datagram waiting on it.
#pragma once
#include <cstdint>
#include <vector>

#include "discovery/device_list.h"
#include "discovery/discovery_transport.h"

// Results of the adapter enumeration and of opening a pass socket.
constexpr int kDiscoveryOk = 0;
constexpr int kDiscoveryFailed = -1;

// Constants of a pass.
constexpr std::uint16_t kSnmpAgentPort = 161;
constexpr int kQuietWaitMs = 1000;  // a pass ends after one second without any datagram
constexpr int kPassCapMs = 5000;    // and never later than five seconds after its request
constexpr size_t kAnswerBufferSize = 1024;
// At most this many datagrams are taken from one socket in one step, so that a burst cannot hold
// the thread (under Wine every wait and receive is a round trip to the wine server); whatever is
// left waits in the socket for the next step, 25 ms later.
constexpr int kMaxDatagramsPerStep = 64;
// The socket's receive buffer holds a burst of at least 500 answers between two steps.
constexpr int kAnswerBurstBufferBytes = 500 * 2048;

// One adapter that IPv6 discovery runs on.
struct AdapterRecord {
    std::uint32_t interfaceIndex;  // the IPv6 interface index (the general one where the system
                                   // gives no IPv6 index); the multicast's scope
    char adapterName[260];         // the friendly name, ANSI code page
};

// Appends to adapters every adapter of the system's IPv6 list, in its order, except loopback,
// PPP, tunnel and ATM adapters and those whose state is down, not present or lower layer down.
// kDiscoveryOk, or kDiscoveryFailed when the system gave no list (adapters unchanged).
int EnumerateIPv6Adapters(std::vector<AdapterRecord>& adapters, DiscoveryTransport& transport);

// One local IPv4 address that an IPv4 pass sends its broadcast from.
struct IPv4Source {
    std::uint8_t octets[4];  // 0.0.0.0: no adapter chosen, the system's route decides
};

// The addresses an IPv4 pass sends from: every IPv4 address of an adapter that is not loopback
// (by type or by 127.0.0.0/8) and whose state is not down, not present or lower layer down, each
// address once, in the system's order. When the system gives no list or no address passes, the
// one source 0.0.0.0 (a single broadcast through the route the system picks).
std::vector<IPv4Source> EnumerateIPv4Sources(DiscoveryTransport& transport);

// A socket of a running pass.
struct PassSocket {
    UdpHandle socket = kUdpInvalidHandle;
    std::int64_t sentAtMs = 0;     // when the request went out
    std::int64_t lastHeardMs = 0;  // the last datagram of any kind (the request's time at first)
    char adapterName[260] = {};    // IPv6: the adapter's friendly name, given to every record
};

// Opens a socket bound to source:0 with broadcasting enabled and the large receive buffer (a
// smaller one still works), and sends the request to 255.255.255.255:161. kDiscoveryOk with the
// socket open (also when the send failed: the socket is then closed and pass.socket is
// kUdpInvalidHandle, so the pass has nothing to read); kDiscoveryFailed when the socket could not
// be opened, set up or bound (nothing stays open).
int OpenIPv4Pass(DiscoveryTransport& transport, const IPv4Source& source, PassSocket& pass);
// As OpenIPv4Pass for IPv6: bound to [::]:0, IPV6_MULTICAST_IF 0, the request sent to
// [ff02::1%adapter.interfaceIndex]:161; the adapter's name is kept in pass.adapterName.
int OpenIPv6Pass(DiscoveryTransport& transport, const AdapterRecord& adapter, PassSocket& pass);

// Takes every datagram waiting on the pass's socket (at most kMaxDatagramsPerStep) and appends to
// found, in order of arrival, each one that decodes and matches matchText (ipVersion kUdpIPv4 or kUdpIPv6 by the
// socket's family, address of the sender as FormatRecordAddress gives it, adapterName from the
// pass). Every datagram, also one too long or undecodable, sets pass.lastHeardMs to nowMs. Returns
// false when the wait or the receive failed (the pass's reading is over), else true.
bool TakeWaitingAnswers(DiscoveryTransport& transport, PassSocket& pass, int ipVersion, const char* matchText,
                        std::int64_t nowMs, DeviceList& found);

// Formats a sender's address the way records hold it (into a 64-octet field, tail zeroed).
void FormatRecordAddress(const UdpAddress& sender, char (&address)[64]);
