// One discovery pass: the request sent once (IPv4 broadcast, or IPv6 multicast to the all-nodes
// group on one adapter) and every answer read until the network has been quiet for one second;
// and the list of adapters that IPv6 passes run on.
#pragma once
#include <cstdint>
#include <vector>

#include "discovery/device_list.h"
#include "discovery/discovery_transport.h"

// Results of the passes and of the adapter enumeration.
constexpr int kDiscoveryOk = 0;
constexpr int kDiscoveryFailed = -1;

// Constants of a pass.
constexpr std::uint16_t kSnmpAgentPort = 161;
constexpr int kPausePerAnswerMs = 100;    // pause before each wait
constexpr int kQuietWaitMs = 1000;        // a pass ends after one second without an answer
constexpr size_t kAnswerBufferSize = 1024;
// The socket's receive buffer holds a burst of at least 500 answers while they are read one by one
// (each read follows a 100 ms pause).
constexpr int kAnswerBurstBufferBytes = 500 * 2048;

// Runs one IPv4 pass: empties result, sends the request to 255.255.255.255:161 from 0.0.0.0:0 with
// broadcasting enabled, and appends, in order of arrival, every answer that decodes and matches
// matchText (ipVersion 4, address "%i.%i.%i.%i" of the sender). A datagram longer than the buffer,
// one that does not decode and one that does not match are skipped; a time-out, a failed wait or a
// failed receive ends the reading. Results: kDiscoveryOk (also when the send failed: the list is
// then empty), kDiscoveryFailed when the socket could not be opened, set up or bound (list empty).
int DiscoverIPv4(DeviceList& result, const char* matchText, DiscoveryTransport& transport);
int DiscoverIPv4(DeviceList& result, const char* matchText);

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
int EnumerateIPv6Adapters(std::vector<AdapterRecord>& adapters);

// Runs one IPv6 pass on one adapter: as DiscoverIPv4, with a socket of the IPv6 family bound to
// [::]:0, IPV6_MULTICAST_IF 0, the request sent to [ff02::1%interfaceIndex]:161, and each record's
// address the sender's 16 octets as eight groups of four lower-case hex digits (ipVersion 6,
// adapterName left empty for the driver).
int DiscoverIPv6(DeviceList& result, const char* matchText, std::uint32_t interfaceIndex,
                 DiscoveryTransport& transport);
int DiscoverIPv6(DeviceList& result, const char* matchText, std::uint32_t interfaceIndex);

// Formats a sender's address the way records hold it (into a 64-octet field, tail zeroed).
void FormatRecordAddress(const UdpAddress& sender, char (&address)[64]);
