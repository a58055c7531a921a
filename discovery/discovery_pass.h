// The pieces of a discovery pass: the adapters a pass sends from (IPv4 addresses, IPv6 adapters),
// one listening socket's set-up and request, and the taking of every datagram waiting on it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "discovery/device_list.h"
#include "discovery/discovery_transport.h"
#include "discovery/snmp_v3_exchange.h"

// Results of the adapter enumeration.
constexpr int kDiscoveryOk = 0;
constexpr int kDiscoveryFailed = -1;

// Results of opening a pass: kPassSent, or the step at which the adapter could not be used.
enum PassOpenStatus : int {
    kPassSent = 0,
    kPassOpenFailed = 1,   // no socket could be had
    kPassSetupFailed = 2,  // broadcasting or the multicast interface could not be set
    kPassBindFailed = 3,   // the adapter's address could not be bound (tentative, duplicate, gone)
    kPassSendFailed = 4,   // the request could not be sent
};
// The step's name for the trace and for /list's "skipped": "open", "set-up", "bind", "send".
const char* PassStepName(PassOpenStatus status);

// Constants of a pass.
constexpr std::uint16_t kSnmpAgentPort = 161;
constexpr int kQuietWaitMs = 1000;  // a pass ends after one second without any datagram
constexpr int kPassCapMs = 5000;    // and never later than five seconds after its request
// A pass still running this long after its request sends it once more: a host firewall that lets
// unicast answers to a broadcast or multicast in for three seconds after the send (Windows
// Firewall) then admits answers up to the cap.
constexpr int kResendAfterMs = 2000;

// When a pass sends its request again early and when it ends. The scanner address dialog runs
// passes that end after a quiet second. The command-line modes run a single pass whose request goes
// out once more kCommandLineResendMs after the first, the second chance that a lost request or
// answer had from a second pass; its quiet wait then counts from that second request, so the first
// request still has its full second, and a LAN whose scanners answer at once is searched in about
// one second instead of two.
struct PassTiming {
    int earlyResendMs;  // 0: no early request; else the request goes out again this long after the first
    int quietWaitMs;    // the pass ends this long after its last datagram or its early request
};
constexpr int kCommandLineResendMs = 300;
constexpr int kCommandLinePasses = 1;
constexpr PassTiming kDialogPassTiming{0, kQuietWaitMs};
constexpr PassTiming kCommandLinePassTiming{kCommandLineResendMs, kQuietWaitMs - kCommandLineResendMs};
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

// An adapter that a search could not use, and why: adapter is the IPv4 source address or the IPv6
// adapter's name ("all" when the adapters could not be listed); reason names the step that failed
// and the system's code, as "bind failed (system error 10049)".
struct SkippedAdapter {
    std::string adapter;
    std::string reason;
};

// An agent that named its engine to a pass, and the exchange that asks it with the credentials.
struct V3Peer {
    UdpAddress agent;
    SnmpV3Exchange exchange;
};
constexpr size_t kMaxV3PeersPerPass = 1024;

// A socket of a running pass.
struct PassSocket {
    UdpHandle socket = kUdpInvalidHandle;
    std::int64_t sentAtMs = 0;        // when the request first went out
    std::int64_t lastHeardMs = 0;     // the last datagram of any kind (the request's time at first)
    bool resent = false;              // the request has gone out again for the firewall (kResendAfterMs)
    bool resentEarly = false;         // the request has gone out again early (PassTiming)
    int requests = 1;                 // how often the request has gone out (the trace's "attempt")
    UdpAddress destination = {};      // where the request goes
    char adapterName[260] = {};       // IPv6: the adapter's friendly name, given to every record
    char source[260] = {};            // the adapter as the trace and "skipped" name it: the IPv4
                                      // source address, the IPv6 adapter's name, or "targets"
    int foundBy = kFoundByBroadcast;  // given to every record it finds (FoundBy)
    // SNMPv3: one exchange per agent that answered the pass's engine discovery (at most
    // kMaxV3PeersPerPass), asked by unicast from this socket.
    std::vector<V3Peer> v3Peers;
};

// Opens a socket bound to source:0 with broadcasting enabled and the large receive buffer (a
// smaller one still works), and sends the request to 255.255.255.255:161. kPassSent with the
// socket open; otherwise the step that failed, with nothing left open (pass.socket is
// kUdpInvalidHandle and the system's reason is Platform::LastSystemError). pass.source names the
// adapter on every path.
PassOpenStatus OpenIPv4Pass(DiscoveryTransport& transport, const IPv4Source& source, PassSocket& pass);
// As OpenIPv4Pass for IPv6: bound to [::]:0, IPV6_MULTICAST_IF 0, the request sent to
// [ff02::1%adapter.interfaceIndex]:161; the adapter's name is kept in pass.adapterName.
PassOpenStatus OpenIPv6Pass(DiscoveryTransport& transport, const AdapterRecord& adapter, PassSocket& pass);
// Opens the socket of a target sweep: bound to the family's any-address, port 0, non-blocking, with
// the large receive buffer, neither broadcasting nor a multicast interface set; nothing is sent.
// kPassSent with the socket open (pass.source "targets", records found by kFoundByTarget);
// otherwise the step that failed, with nothing left open.
PassOpenStatus OpenTargetPass(DiscoveryTransport& transport, int family, PassSocket& pass);
// How sending a request ended.
enum SendResult : int {
    kSendDone = 0,    // every datagram of it went out
    kSendFailed = 1,  // a send failed (traced); the rest were not tried
    kSendLater = 2,   // the non-blocking socket had no room: *next says where to go on
};
// Sends the request by unicast to one target from the sweep's socket (traced as every request),
// from its datagram *next on (one per community, and the engine discovery: a request may be more
// than one datagram). kSendLater leaves *next at the first datagram not sent, for the next call;
// any other result sets it to 0. Sets pass.destination and, when done, pass.sentAtMs and
// pass.lastHeardMs to now.
SendResult SendTargetRequest(DiscoveryTransport& transport, PassSocket& pass, const UdpAddress& target, size_t* next);
// Sends the pass's request once more to its destination; a failed send is traced and the pass goes
// on with what its first request brings. The caller marks which resend it was.
void ResendRequest(DiscoveryTransport& transport, PassSocket& pass);

// One datagram that decoded as a reply and matched: the record and the datagram's size.
struct PassAnswer {
    DeviceRecord record;
    size_t size;
    UdpAddress sender;  // where it came from
};

// Takes every datagram waiting on the pass's socket (at most kMaxDatagramsPerStep) and appends to
// found, in order of arrival, each reply that matches matchText (ipVersion kUdpIPv4 or kUdpIPv6 by
// the socket's family, address of the sender as FormatRecordAddress gives it, adapterName from the
// pass). Every datagram, also one too long or undecodable, sets pass.lastHeardMs to nowMs; each one
// not appended is traced with its verdict (oversized, undecodable, wrong-request, other-product);
// the caller traces the appended ones (listed or duplicate). A receive that fails (on Windows an
// ICMP port-unreachable shows so) is traced and skipped, and reading goes on. Returns false when
// the wait for a datagram failed (the pass's reading is over), else true.
bool TakeWaitingAnswers(DiscoveryTransport& transport, PassSocket& pass, int ipVersion, const char* matchText,
                        std::int64_t nowMs, std::vector<PassAnswer>& found);
// Traces one datagram: its source, size (">1024" for one too long to be read), adapter and verdict.
void TraceDatagram(const PassSocket& pass, const char* source, const std::string& size, const char* verdict);

// Formats a sender's address the way records hold it (into a 64-octet field, tail zeroed).
void FormatRecordAddress(const UdpAddress& sender, char (&address)[64]);
