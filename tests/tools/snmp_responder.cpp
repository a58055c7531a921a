// A small SNMP responder for the virtual LAN (not an agent): answers every request on port 161
// either with a burst of answers from many local addresses (for the benchmark), or with malformed
// and oversized datagrams followed by one good answer (for the discovery tests).
//
//   snmp_responder many FIRST_IPV4 COUNT OID   answers each IPv4 request once from each of COUNT
//                                              consecutive addresses from FIRST_IPV4 (which must
//                                              be assigned to this namespace), all at once
//   snmp_responder junk DESCR OID MAC_HEX      answers each IPv4 or IPv6 request with a datagram
//                                              of 1100 octets, a truncated answer, random bytes
//                                              and a GetResponse with error-status 2, then
//                                              300 ms later with a good answer
//   snmp_responder chatter INTERVAL_MS SECONDS  after an IPv4 request sends 40 random octets to
//                                              its requester about every INTERVAL_MS for SECONDS
//                                              (a host that never goes quiet); a new request
//                                              takes over at once
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/framework_init.h"
#include "platform/udp.h"
#include "tools/test_namespace.h"
#include "unit/discovery_test_support.h"

namespace {

UdpHandle Listen(int family)
{
    UdpHandle s = UdpOpen(family);
    UdpAddress any{};
    any.family = family;
    any.port = 161;
    if (s == kUdpInvalidHandle || UdpBind(s, any) != kUdpOk) {
        std::fprintf(stderr, "snmp_responder: cannot bind port 161 (IPv%d)\n", family);
        std::exit(1);
    }
    return s;
}

bool ParseIPv4(const char* text, std::uint32_t* value)
{
    unsigned a, b, c, d;
    if (std::sscanf(text, "%u.%u.%u.%u", &a, &b, &c, &d) != 4 || a > 255 || b > 255 || c > 255 || d > 255) return false;
    *value = a << 24 | b << 16 | c << 8 | d;
    return true;
}

// Waits for the next request on either socket; returns the socket and fills the sender.
UdpHandle NextRequest(const std::vector<UdpHandle>& sockets, UdpAddress* sender)
{
    std::uint8_t buffer[2048];
    for (;;) {
        for (UdpHandle s : sockets) {
            if (UdpWaitReadable(s, 20) != kUdpOk) continue;
            size_t length = 0;
            if (UdpReceiveFrom(s, buffer, sizeof buffer, &length, sender) == kUdpOk) return s;
        }
    }
}

int RunMany(const char* first, int count, const char* oid)
{
    std::uint32_t base;
    if (!ParseIPv4(first, &base) || count < 1) return 2;
    std::vector<UdpHandle> senders;
    std::vector<Bytes> answers;
    for (int i = 0; i < count; ++i) {
        std::uint32_t address = base + static_cast<std::uint32_t>(i);
        UdpAddress local{};
        local.family = kUdpIPv4;
        for (int k = 0; k < 4; ++k) local.octets[k] = static_cast<std::uint8_t>(address >> (24 - 8 * k));
        UdpHandle s = UdpOpen(kUdpIPv4);
        if (s == kUdpInvalidHandle || UdpBind(s, local) != kUdpOk) {
            std::fprintf(stderr, "snmp_responder: cannot bind source address %d\n", i);
            return 1;
        }
        senders.push_back(s);
        Bytes mac = {0x02, 0x00, 0x00, 0x01, static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i)};
        answers.push_back(ScannerAnswer("Simulated scanner " + std::to_string(i + 1), oid, mac));
    }
    std::vector<UdpHandle> listeners = {Listen(kUdpIPv4)};
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
        UdpAddress requester{};
        NextRequest(listeners, &requester);
        for (int i = 0; i < count; ++i) UdpSendTo(senders[i], answers[i].data(), answers[i].size(), requester);
    }
}

int RunJunk(const char* descr, const char* oid, const char* macHex)
{
    Bytes good = ScannerAnswer(descr, oid, Hex(macHex));
    Bytes truncated(good.begin(), good.begin() + good.size() / 2);
    Bytes oversized = Cat({Tlv(0x30, Cat({Int(0), Str("harbor"), Tlv(0xA2, Bytes(1080, 0x00))}))});
    Bytes failed = Tlv(0x30, Cat({Int(0), Str("harbor"), Tlv(0xA2, Cat({Int(1), Int(2), Int(0), Tlv(0x30, {})}))}));
    std::mt19937 random(7);
    std::vector<UdpHandle> listeners = {Listen(kUdpIPv4), Listen(kUdpIPv6)};
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
        UdpAddress requester{};
        UdpHandle s = NextRequest(listeners, &requester);
        Bytes noise(40);
        for (auto& octet : noise) octet = static_cast<std::uint8_t>(random());
        UdpSendTo(s, oversized.data(), oversized.size(), requester);
        UdpSendTo(s, truncated.data(), truncated.size(), requester);
        UdpSendTo(s, noise.data(), noise.size(), requester);
        UdpSendTo(s, failed.data(), failed.size(), requester);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        UdpSendTo(s, good.data(), good.size(), requester);
    }
}

int RunChatter(int intervalMs, int seconds)
{
    if (intervalMs < 10 || seconds < 1) return 2;
    std::mt19937 random(11);
    UdpHandle listener = Listen(kUdpIPv4);
    std::printf("ready\n");
    std::fflush(stdout);
    // The latest requester gets the junk; a new request replaces the old one at once.
    UdpAddress requester{};
    auto until = std::chrono::steady_clock::now();
    for (;;) {
        std::uint8_t buffer[2048];
        size_t length = 0;
        UdpAddress sender{};
        if (UdpWaitReadable(listener, intervalMs) == kUdpOk &&
            UdpReceiveFrom(listener, buffer, sizeof buffer, &length, &sender) == kUdpOk) {
            requester = sender;
            until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        }
        if (requester.family != 0 && std::chrono::steady_clock::now() < until) {
            Bytes noise(40);
            for (auto& octet : noise) octet = static_cast<std::uint8_t>(random());
            UdpSendTo(listener, noise.data(), noise.size(), requester);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (!InTestNamespace()) {
        std::fprintf(stderr,
                     "snmp_responder: refusing to send outside a network namespace of the test scripts "
                     "(ip netns exec sl-...)\n");
        return 125;
    }
    Platform::StartSocketLibrary();
    if (argc == 5 && std::strcmp(argv[1], "many") == 0) return RunMany(argv[2], std::atoi(argv[3]), argv[4]);
    if (argc == 5 && std::strcmp(argv[1], "junk") == 0) return RunJunk(argv[2], argv[3], argv[4]);
    if (argc == 4 && std::strcmp(argv[1], "chatter") == 0) return RunChatter(std::atoi(argv[2]), std::atoi(argv[3]));
    std::fprintf(stderr,
                 "usage: snmp_responder many FIRST_IPV4 COUNT OID | junk DESCR OID MAC_HEX | "
                 "chatter INTERVAL_MS SECONDS\n");
    return 2;
}
