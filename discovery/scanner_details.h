// The details of a listed scanner: once a search lists a row, one unicast GetRequest asks that
// scanner for sysName.0, sysLocation.0 and prtGeneralSerialNumber.1 (the discovery request itself
// stays as it is). Rows never wait for it: the details fill in as the answers come.
#pragma once
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>

#include "discovery/device_list.h"
#include "discovery/discovery_transport.h"
#include "discovery/snmp_v3_exchange.h"

// An unanswered details request goes once more after kDetailsResendMs and is given up
// kDetailsGiveUpMs after it went out (counted again from each new request of a fallback or of an
// SNMPv3 exchange's next step). At most kMaxDetailsInFlight requests wait for answers at a time;
// the others queue in the order their rows were listed.
constexpr int kDetailsResendMs = 300;
constexpr int kDetailsGiveUpMs = 700;
constexpr size_t kMaxDetailsInFlight = 8;
// A search whose rounds are over waits at most this long for the details still asked; what has not
// come by then stays empty (discovery/discovery_search.h).
constexpr int kDetailsEndWaitMs = 1000;

// The requests of one search, over its transport. Security: a verified SNMPv3 row is asked through
// an SNMPv3 exchange with the same credentials (engine discovery, then the signed request); any other
// row over SNMPv1, once per community in order (request_security.h), all with one request-id. An
// SNMPv1 agent that lacks one of the objects answers the whole request with noSuchName and the
// object's error-index: the request goes again without that object, until the rest answer or none
// is left. An SNMPv2-style noSuchObject, noSuchInstance or endOfMibView value leaves its detail
// empty. Each request and its outcome is traced ("details-request", "details"), never a community.
class ScannerDetails {
public:
    explicit ScannerDetails(DiscoveryTransport& transport);
    ~ScannerDetails();  // closes its sockets
    ScannerDetails(const ScannerDetails&) = delete;
    ScannerDetails& operator=(const ScannerDetails&) = delete;

    // Queues the details request for row (its address, adapter and verification name the row that
    // the answer fills); agent is where the row's answer came from (the request goes to its port 161).
    void Ask(const DeviceRecord& row, const UdpAddress& agent);
    // Sends what the in-flight bound allows, takes every answer waiting, resends and gives up as
    // above, and writes the details that came into the matching row of rows (the same address and
    // adapter, and the same verification: a row that became verified meanwhile takes no detail
    // learned over SNMPv1). True when a row's details changed.
    bool Step(DeviceList& rows);
    // True while requests are queued or wait for answers.
    bool Pending() const { return !queued_.empty() || !inFlight_.empty(); }
    // Drops every request and closes the sockets.
    void Cancel();

private:
    struct Request {
        UdpAddress agent = {};
        char address[64] = {};
        char adapterName[260] = {};
        bool verified = false;
        unsigned objects = 0;      // details mask (snmp_message.h) still asked
        std::int32_t requestId = 0;
        std::int64_t sentAtMs = 0;
        bool resent = false;
        int attempt = 0;
        const char* names[3] = {};
        std::unique_ptr<SnmpV3Exchange> exchange;  // verified rows
    };
    bool Send(Request& request);
    bool Transmit(Request& request, const std::uint8_t* data, size_t length);
    void Finish(const Request& request, const char* outcome, const DeviceRecord* answer, DeviceList& rows,
                bool& changed);
    bool TakeAnswer(Request& request, std::int32_t errorStatus, std::int32_t errorIndex, const DeviceRecord& answer,
                    DeviceList& rows, bool& changed);
    void Read(int family, DeviceList& rows, bool& changed);

    DiscoveryTransport& transport_;
    UdpHandle sockets_[2] = {kUdpInvalidHandle, kUdpInvalidHandle};  // IPv4, IPv6; opened when first needed
    std::list<Request> queued_;
    std::list<Request> inFlight_;
    std::uint16_t nextId_ = 0;
};
