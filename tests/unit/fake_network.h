// A scripted network with a fake clock for the discovery and dialog tests: each request sent takes
// the next scripted burst, whose datagrams arrive on that socket after their delays.
#pragma once
#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "discovery/discovery_transport.h"
#include "discovery/snmp_message.h"
#include "discovery_test_support.h"

struct Datagram {
    Bytes bytes;
    UdpAddress sender;
    int delayMs = 0;  // after the request
    bool receiveFails = false;  // taking it fails as a reported ICMP error does (nothing is read)
};

// Sockets are numbered from 3 on; Pause moves the clock on. The failOpen-th Open fails (counted
// from 1; 0 for none); binding fails for every socket from the failBindFrom-th on and for the
// address failBindAt; sending fails from the address failSendAt. Without a scripted burst a
// request draws no answer. A details request (its request-id says so) never draws a burst: the
// n-th one to a destination draws detailsTo's n-th answers (the last ones again after that), each
// answer's request-id (built as DetailsAnswer does) set to the request's; it goes to detailSends.
// With sendRoom > 0 a socket set non-blocking holds each datagram it sends for holdMs (a
// neighbour being resolved) and takes no more than sendRoom at once (kUdpWouldBlock).
struct FakeNetwork final : DiscoveryTransport {
    std::deque<std::vector<Datagram>> bursts;
    std::map<std::string, std::vector<Datagram>> answersTo;  // by destination (Text): drawn instead of a burst
    std::vector<PlatformAdapter> adapters;
    std::vector<PlatformIPv4Address> ipv4;
    int listResult = kAdaptersOk, ipv4Result = kAdaptersFailed, failOpen = 0, failBindFrom = 0, opens = 0;
    std::int64_t now = 1000;
    std::string scopes;              // the IPv6 scope of each request sent
    std::vector<std::string> sends;  // "bound-address>destination@time" of each request
    std::map<std::string, std::vector<std::vector<Datagram>>> detailsTo;
    std::vector<std::string> detailSends;  // "destination@time"
    std::map<UdpHandle, std::string> bound;
    std::map<UdpHandle, std::deque<Datagram>> queues;  // open sockets and what is on its way to them
    int closes = 0;
    std::string failBindAt, failSendAt;
    size_t sendRoom = 0;
    int holdMs = 0;
    std::map<UdpHandle, std::deque<std::int64_t>> held;  // non-blocking sockets: when each datagram leaves

    UdpHandle Open(int) override
    {
        if (++opens == failOpen) return kUdpInvalidHandle;
        const UdpHandle h = 2 + opens;
        queues[h];
        return h;
    }
    int SetBroadcast(UdpHandle) override { return kUdpOk; }
    int SetMulticastInterface(UdpHandle, std::uint32_t) override { return kUdpOk; }
    int SetReceiveBuffer(UdpHandle, int) override { return kUdpOk; }
    int SetNonBlocking(UdpHandle s) override { return held[s], kUdpOk; }
    int Bind(UdpHandle s, const UdpAddress& local) override
    {
        bound[s] = Text(local);
        return (failBindFrom != 0 && opens >= failBindFrom) || bound[s] == failBindAt ? kUdpFailed : kUdpOk;
    }
    int SendTo(UdpHandle s, const void* data, size_t length, const UdpAddress& to) override
    {
        scopes += std::to_string(to.scopeId) + " ";
        if (bound[s] == failSendAt) return kUdpFailed;
        if (auto h = held.find(s); h != held.end() && sendRoom > 0) {
            while (!h->second.empty() && h->second.front() <= now) h->second.pop_front();
            if (h->second.size() >= sendRoom) return kUdpWouldBlock;
            h->second.push_back(now + holdMs);
        }
        DeviceRecord ignored;
        SnmpPduHeader request;
        DecodeSnmpReply(static_cast<const std::uint8_t*>(data), length, ignored, &request);
        if (IsDetailsRequestId(request.requestId)) {
            const auto& script = detailsTo[Text(to)];
            const size_t n = std::count_if(detailSends.begin(), detailSends.end(),
                                           [&](const std::string& d) { return d.rfind(Text(to) + "@", 0) == 0; });
            detailSends.push_back(Text(to) + "@" + std::to_string(now));
            for (Datagram d : script.empty() ? std::vector<Datagram>{} : script[std::min(n, script.size() - 1)]) {
                for (size_t i = 0; i + 3 < d.bytes.size(); ++i)
                    if (d.bytes[i] == 0x02 && d.bytes[i + 1] == 0x04 && d.bytes[i + 2] == 0x53 && d.bytes[i + 3] == 0x44)
                        d.bytes[i + 4] = std::uint8_t(request.requestId >> 8), d.bytes[i + 5] = std::uint8_t(request.requestId);
                d.sender = to;
                d.delayMs += static_cast<int>(now);  // queued in order of arrival
                auto& q = queues[s];
                q.insert(std::upper_bound(q.begin(), q.end(), d.delayMs,
                                          [](int at, const Datagram& x) { return at < x.delayMs; }),
                         d);
            }
            return kUdpOk;
        }
        sends.push_back(bound[s] + ">" + Text(to) + "@" + std::to_string(now));
        std::vector<Datagram> burst;
        if (const auto to_ = answersTo.find(Text(to)); to_ != answersTo.end())
            burst = to_->second;
        else if (!bursts.empty())
            burst = bursts.front(), bursts.pop_front();
        for (Datagram d : burst) {
            d.delayMs += static_cast<int>(now);  // from here on the arrival time
            queues[s].push_back(d);
        }
        return kUdpOk;
    }
    int WaitReadable(UdpHandle s, int) override
    {
        auto& q = queues[s];
        return !q.empty() && q.front().delayMs <= now ? kUdpOk : kUdpTimeout;
    }
    int ReceiveFrom(UdpHandle s, void* buffer, size_t capacity, size_t* length, UdpAddress* sender) override
    {
        Datagram d = queues[s].front();
        queues[s].pop_front();
        *sender = d.sender;
        if (d.receiveFails) return kUdpFailed;
        if (d.bytes.size() > capacity) return kUdpTooLong;
        *length = d.bytes.size();
        std::memcpy(buffer, d.bytes.data(), *length);
        return kUdpOk;
    }
    void Close(UdpHandle s) override { queues.erase(s), ++closes; }
    void Pause(int ms) override { now += ms; }
    int ListAdapters(std::vector<PlatformAdapter>& out) override
    {
        out.insert(out.end(), adapters.begin(), adapters.end());
        return listResult;
    }
    int ListIPv4Addresses(std::vector<PlatformIPv4Address>& out) override
    {
        out.insert(out.end(), ipv4.begin(), ipv4.end());
        return ipv4Result;
    }
    std::int64_t NowMs() override { return now; }
    // Sockets opened and not closed.
    size_t OpenNow() const { return queues.size(); }

    static std::string Text(const UdpAddress& a)
    {
        if (a.family == kUdpIPv6 && a.octets[0] == 0xfe)
            return "fe80::" + std::to_string(a.octets[15]) + "%" + std::to_string(a.scopeId);
        if (a.family == kUdpIPv6) return a.octets[0] == 0xff ? "ff02::1%" + std::to_string(a.scopeId) : "::";
        char text[32];
        std::snprintf(text, sizeof text, "%d.%d.%d.%d", a.octets[0], a.octets[1], a.octets[2], a.octets[3]);
        return text;
    }
};
