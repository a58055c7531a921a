// Shared helpers of the discovery tests: a small BER builder for answers, and a scripted network
// (a fake discovery transport with a virtual clock) that records what discovery does.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "discovery/discovery_transport.h"
#include "platform/wait_cursor.h"

using Bytes = std::vector<std::uint8_t>;

inline Bytes Hex(const char* text)
{
    Bytes out;
    int high = -1;
    for (const char* p = text; *p; ++p) {
        int v = (*p >= '0' && *p <= '9') ? *p - '0'
              : (*p >= 'a' && *p <= 'f') ? *p - 'a' + 10
              : (*p >= 'A' && *p <= 'F') ? *p - 'A' + 10 : -1;
        if (v < 0) continue;
        if (high < 0) high = v;
        else { out.push_back(static_cast<std::uint8_t>(high << 4 | v)); high = -1; }
    }
    return out;
}

inline Bytes Tlv(std::uint8_t tag, const Bytes& contents)
{
    Bytes out{tag};
    size_t n = contents.size();
    if (n < 0x80) out.push_back(static_cast<std::uint8_t>(n));
    else if (n < 0x100) { out.push_back(0x81); out.push_back(static_cast<std::uint8_t>(n)); }
    else { out.push_back(0x82); out.push_back(static_cast<std::uint8_t>(n >> 8)); out.push_back(static_cast<std::uint8_t>(n)); }
    out.insert(out.end(), contents.begin(), contents.end());
    return out;
}

inline Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes Str(const std::string& s) { return Tlv(0x04, Bytes(s.begin(), s.end())); }
inline Bytes Int(std::uint8_t v) { return Tlv(0x02, Bytes{v}); }
inline Bytes Null() { return Tlv(0x05, {}); }

// Encodes dotted text as an OBJECT IDENTIFIER (sub-identifiers up to 64 bits, as given).
inline Bytes Oid(const std::string& dotted)
{
    std::vector<unsigned long long> arcs;
    size_t start = 0;
    while (start <= dotted.size()) {
        size_t dot = dotted.find('.', start);
        if (dot == std::string::npos) dot = dotted.size();
        arcs.push_back(std::stoull(dotted.substr(start, dot - start)));
        start = dot + 1;
    }
    Bytes contents;
    auto put = [&](unsigned long long v) {
        Bytes groups{static_cast<std::uint8_t>(v & 0x7F)};
        for (v >>= 7; v; v >>= 7) groups.insert(groups.begin(), static_cast<std::uint8_t>(0x80 | (v & 0x7F)));
        contents.insert(contents.end(), groups.begin(), groups.end());
    };
    put(arcs[0] * 40 + arcs[1]);
    for (size_t i = 2; i < arcs.size(); ++i) put(arcs[i]);
    return Tlv(0x06, contents);
}

inline Bytes Binding(const std::string& name, const Bytes& value) { return Tlv(0x30, Cat({Oid(name), value})); }

// A whole answer: version (0 = SNMPv1, 1 = SNMPv2c), GetResponse, the given bindings.
inline Bytes Answer(const std::vector<Bytes>& bindings, std::uint8_t version = 0,
                    std::uint8_t errorStatus = 0, std::uint8_t requestId = 1)
{
    Bytes list;
    for (const Bytes& b : bindings) list.insert(list.end(), b.begin(), b.end());
    Bytes pdu = Tlv(0xA2, Cat({Int(requestId), Int(errorStatus), Int(0), Tlv(0x30, list)}));
    return Tlv(0x30, Cat({Int(version), Str("harbor"), pdu}));
}

// The usual answer of a scanner agent.
inline Bytes ScannerAnswer(const std::string& descr, const std::string& objectId,
                           const Bytes& mac = Hex("020000000011"))
{
    return Answer({Binding("1.3.6.1.2.1.1.1.0", Str(descr)),
                   Binding("1.3.6.1.2.1.1.2.0", Oid(objectId)),
                   Binding("1.3.6.1.2.1.2.2.1.6.1", Tlv(0x04, mac))});
}

inline UdpAddress V4(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d)
{
    UdpAddress addr{};
    addr.family = kUdpIPv4;
    addr.octets[0] = a; addr.octets[1] = b; addr.octets[2] = c; addr.octets[3] = d;
    addr.port = 161;
    return addr;
}

// fe80::<last two octets given>, e.g. V6Link(0x00, 0x11).
inline UdpAddress V6Link(std::uint8_t a, std::uint8_t b)
{
    UdpAddress addr{};
    addr.family = kUdpIPv6;
    addr.octets[0] = 0xfe; addr.octets[1] = 0x80; addr.octets[14] = a; addr.octets[15] = b;
    addr.port = 161;
    return addr;
}

// A scripted network. Each request sent starts the next scripted burst of datagrams, timed
// relative to the send on a virtual clock; pauses and waits advance the clock.
class FakeNetwork final : public DiscoveryTransport {
public:
    struct Datagram {
        int atMs;            // arrival, milliseconds after the send
        Bytes bytes;
        UdpAddress sender;
        int receiveResult;   // what ReceiveFrom answers for it (kUdpOk, kUdpTooLong, kUdpFailed)
    };
    using Burst = std::vector<Datagram>;

    std::deque<Burst> bursts;                 // one per request sent, in order
    std::vector<std::string> log;             // what discovery did, in order
    std::vector<PlatformAdapter> adapters;
    int listResult = kAdaptersOk;
    int failOpenCall = 0;                     // the n-th Open fails (1-based; 0 none)
    int failBindCall = 0, failSendCall = 0, failBroadcastCall = 0, failMulticastCall = 0;
    int receiveBufferAsked = 0;
    int waitCursorDepthAtSend = -1;
    long long nowMs = 0;

    static Datagram At(int ms, const Bytes& bytes, const UdpAddress& sender,
                       int result = kUdpOk)
    {
        return Datagram{ms, bytes, sender, result};
    }

    UdpHandle Open(int family) override
    {
        log.push_back(family == kUdpIPv6 ? "open6" : "open4");
        if (++opens_ == failOpenCall) return kUdpInvalidHandle;
        return ++lastHandle_;
    }
    int SetBroadcast(UdpHandle) override
    {
        log.push_back("broadcast");
        return ++broadcasts_ == failBroadcastCall ? kUdpFailed : kUdpOk;
    }
    int SetMulticastInterface(UdpHandle, std::uint32_t index) override
    {
        log.push_back("multicast-if " + std::to_string(index));
        return ++multicasts_ == failMulticastCall ? kUdpFailed : kUdpOk;
    }
    int SetReceiveBuffer(UdpHandle, int bytes) override
    {
        receiveBufferAsked = bytes;
        return kUdpOk;
    }
    int Bind(UdpHandle, const UdpAddress& local) override
    {
        bool zero = true;
        for (std::uint8_t o : local.octets) zero = zero && o == 0;
        log.push_back(std::string("bind") + (local.family == kUdpIPv6 ? "6 " : "4 ") +
                      (zero ? "any:" : "?:") + std::to_string(local.port));
        return ++binds_ == failBindCall ? kUdpFailed : kUdpOk;
    }
    int SendTo(UdpHandle, const void* data, size_t length, const UdpAddress& to) override;
    int WaitReadable(UdpHandle, int timeoutMs) override
    {
        if (!active_.empty() && sendTimeMs_ + active_.front().atMs <= nowMs + timeoutMs) {
            nowMs = std::max(nowMs, sendTimeMs_ + active_.front().atMs);
            return kUdpOk;
        }
        nowMs += timeoutMs;
        return kUdpTimeout;
    }
    int ReceiveFrom(UdpHandle, void* buffer, size_t capacity, size_t* length,
                    UdpAddress* sender) override
    {
        Datagram d = active_.front();
        active_.pop_front();
        *sender = d.sender;
        *length = 0;
        if (d.receiveResult != kUdpOk) return d.receiveResult;
        if (d.bytes.size() > capacity) return kUdpTooLong;
        std::memcpy(buffer, d.bytes.data(), d.bytes.size());
        *length = d.bytes.size();
        return kUdpOk;
    }
    void Close(UdpHandle) override
    {
        log.push_back("close");
        active_.clear();
    }
    void Pause(int ms) override { nowMs += ms; }
    int ListAdapters(std::vector<PlatformAdapter>& out) override
    {
        log.push_back("list-adapters");
        if (listResult == kAdaptersOk) out.insert(out.end(), adapters.begin(), adapters.end());
        return listResult;
    }

    Bytes lastRequest;

private:
    long long sendTimeMs_ = 0;
    std::deque<Datagram> active_;
    int opens_ = 0, binds_ = 0, sends_ = 0, broadcasts_ = 0, multicasts_ = 0;
    UdpHandle lastHandle_ = 100;
};

inline int FakeNetwork::SendTo(UdpHandle, const void* data, size_t length, const UdpAddress& to)
{
    char text[80];
    if (to.family == kUdpIPv6)
        std::snprintf(text, sizeof text, "send6 %02x%02x::%x %%%u:%u", to.octets[0], to.octets[1],
                      to.octets[15], to.scopeId, to.port);
    else
        std::snprintf(text, sizeof text, "send4 %u.%u.%u.%u:%u", to.octets[0], to.octets[1],
                      to.octets[2], to.octets[3], to.port);
    log.push_back(text);
    waitCursorDepthAtSend = WaitCursor::Depth();
    lastRequest.assign(static_cast<const std::uint8_t*>(data),
                       static_cast<const std::uint8_t*>(data) + length);
    if (++sends_ == failSendCall) return kUdpFailed;
    sendTimeMs_ = nowMs;
    active_.clear();
    if (!bursts.empty()) {
        active_.assign(bursts.front().begin(), bursts.front().end());
        bursts.pop_front();
    }
    return kUdpOk;
}

inline PlatformAdapter MakeAdapter(std::uint32_t type, std::uint32_t status, std::uint32_t ipv6Index,
                                   std::uint32_t index, const char* name)
{
    PlatformAdapter a{};
    a.ifType = type;
    a.operStatus = status;
    a.ipv6IfIndex = ipv6Index;
    a.ifIndex = index;
    std::strncpy(a.friendlyName, name, sizeof a.friendlyName - 1);
    return a;
}
