// The unicast check of one address: the discovery request sent to that address alone, to learn
// whether a scanner of the current product answers there and with which MAC address.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "discovery/discovery_transport.h"
#include "discovery/snmp_v3_exchange.h"

// Outcomes of CheckAddress.
constexpr int kCheckProductAnswered = 0;  // a scanner of the current product answered
constexpr int kCheckOtherAnswered = 1;    // something answered the request, but not this product
constexpr int kCheckNoAnswer = 2;         // nothing answered (after the retry)
constexpr int kCheckBadAddress = 3;       // the text is not an address of the protocol; nothing sent
constexpr int kCheckRefused = 4;          // the host is up but answered with ICMP port-unreachable:
                                          // no SNMP agent listens there
constexpr int kCheckFailed = 5;           // no request could be sent (no socket, bind or send)
constexpr int kCheckRejected = 6;         // an SNMPv3 agent answered but refused the credentials
                                          // (result.reason names why)

// The wait for an answer, and how often the request is sent in all.
constexpr int kCheckWaitMs = 1000;
constexpr int kCheckAttempts = 2;
// How often the owner steps a running AddressCheck (the dialog's timer; the blocking form sleeps
// this long between steps).
constexpr int kCheckStepMs = 25;
// Datagrams read from one socket in one step at most; the rest wait for the next step.
constexpr int kCheckReadsPerStep = 32;

// What a check found. macAddress and adapterName are empty unless the product answered; the
// adapter is the IPv6 adapter whose scope reached the scanner (always empty for IPv4).
struct AddressCheckResult {
    int outcome;
    char macAddress[32];
    char adapterName[260];
    bool authenticated;  // the product's answer was an SNMPv3 Response whose MAC verified
    char reason[24];     // kCheckRejected: the Report's reason (UsmReportName); kCheckNoAnswer after
                         // the agent named its engine: "no-answer" (the credentials are the likely
                         // cause); else empty
};

// The check as a state machine on one thread, stepped by its owner (a window's timer, or the
// blocking CheckAddress below, which sleeps between steps) and cancelled at any time.
//
// The text is read by ParseAddressText (discovery/address_text.h). An IPv6 address is asked through
// its numeric zone; else through the adapter named by its zone or by adapterName (the adapter of
// the stored connection; may be null or empty); else, for a link-local address, through every
// adapter at once (one socket each); else with no scope. Each socket is bound to any address and
// connected to the address asked, so that an ICMP port-unreachable reaches it.
//
// Every request has one deadline, kCheckWaitMs after it was sent, whatever arrives meanwhile;
// without an answer by then it is sent once more (kCheckAttempts in all). An answer counts only
// when it comes from the address asked and decodes; it is this product's when it matches one of
// the current product's model identifiers, and then the check ends at once. Another product's
// answer or a port-unreachable ends that socket's asking. When every socket is done the outcome is
// the best one seen: kCheckOtherAnswered, then kCheckRejected, then kCheckRefused, then
// kCheckNoAnswer, then kCheckFailed.
//
// The requests go out as request_security.h says: the SNMPv1 request once per community, and with
// SNMPv3 credentials an SnmpV3Exchange beside it on the same socket (engine discovery, then the
// signed request at once; a resend at the deadline repeats the exchange's current request). A
// verified SNMPv3 answer ends the check at once. Under "v1+v3" an SNMPv1 answer waits for the
// exchange: it decides when the exchange was rejected, or when the first wait ran out without the
// agent naming its engine (an agent without SNMPv3), or at the last deadline.
//
// Each socket's end is written to the trace (event "address-check": address, adapter, outcome=
// answered, other-product, rejected, no-answer, port-unreachable or failed, security=v1 or v3, and
// reason= for rejected or an engine that went silent); each step of an exchange as event "snmp-v3".
// Every socket is closed on every path, Cancel and the destructor included.
class AddressCheck {
public:
    explicit AddressCheck(DiscoveryTransport& transport);
    ~AddressCheck();
    AddressCheck(const AddressCheck&) = delete;
    AddressCheck& operator=(const AddressCheck&) = delete;

    // Cancels a running check and starts one: parses, opens the sockets and sends the first
    // requests. A bad address (kCheckBadAddress) or a check where nothing could be sent
    // (kCheckFailed) is over when Start returns.
    void Start(const char* text, int protocol, const char* adapterName);
    // Reads what has arrived (at most kCheckReadsPerStep datagrams per socket), resends or gives up
    // at the deadlines. True while the check still runs.
    bool Step();
    // Ends a running check now (nothing written but the cancellation); Result() is then no answer.
    void Cancel();
    bool Running() const { return running_; }
    // macAddress and adapterName are empty unless the product answered; the adapter is the IPv6
    // adapter whose scope reached the scanner (always empty for IPv4).
    const AddressCheckResult& Result() const { return result_; }

private:
    struct Probe {
        std::uint32_t scopeId;
        char adapterName[260];
        UdpHandle socket;
        int attempt;
        std::int64_t deadline;
        int outcome;  // kCheckNoAnswer while asking
        bool sent;    // a request went out
        bool done;
        // SNMPv3 (request_security.h): the exchange, and an SNMPv1 answer that waits for its end.
        std::optional<SnmpV3Exchange> v3;
        int v1Outcome;  // kCheckNoAnswer until an SNMPv1 answer came
        char v1Mac[32];
    };
    void SendRequest(Probe& probe);
    void EndProbe(Probe& probe, int outcome);
    // Takes one SNMPv3 datagram into the probe's exchange; true when it ended the whole check.
    bool TakeV3(Probe& probe, const std::uint8_t* data, size_t length);
    // Ends the probe when its SNMPv3 exchange and its attempts leave nothing to wait for.
    void EndAfterWaiting(Probe& probe);
    // The product answered through the probe: the check ends at once.
    void Answered(Probe& probe, const char* macAddress, bool authenticated);
    void Finish();

    DiscoveryTransport& transport_;
    AddressCheckResult result_{};
    std::vector<Probe> probes_;
    UdpAddress destination_{};
    char text_[128] = {};
    bool running_ = false;
};

// The blocking check: an AddressCheck stepped every stepMs until it ends, for callers without a
// window (the command-line modes and the installer's given-address start). Over the system's
// transport it steps every kBlockingCheckStepMs: nothing else waits on the thread, and an SNMPv3
// check's two round trips then cost milliseconds, not two steps.
constexpr int kBlockingCheckStepMs = 5;
void CheckAddress(const char* text, int protocol, const char* adapterName, AddressCheckResult& result,
                  DiscoveryTransport& transport, int stepMs = kCheckStepMs);
void CheckAddress(const char* text, int protocol, const char* adapterName, AddressCheckResult& result);
