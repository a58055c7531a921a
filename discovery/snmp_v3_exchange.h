// One SNMPv3 exchange with one agent, the manager's side of the discovery request: engine discovery
// (RFC 3414 4), the GetRequest of the discovery objects signed with the user's keys localised for
// that engine (and encrypted with AES when the user has privacy), and one resynchronisation when the
// agent reports the request outside its time window. No sockets here: the owner sends what Start,
// Take and Again write, and feeds back every datagram that came from the agent.
#pragma once
#include <cstddef>
#include <cstdint>

#include "discovery/device_list.h"
#include "discovery/snmp_v3_message.h"
#include "discovery/usm.h"

// What a datagram did to the exchange.
enum class V3Step : int {
    Ignored,   // not for this exchange: malformed, another message, unauthenticated or failing its MAC
    Send,      // the next request is in the buffer: the signed GetRequest after engine discovery, or
               // the same once more after the agent reported the time window
    Answered,  // a Response whose MAC verified (and which decrypted): Device() holds its objects
    Rejected,  // the agent refused the credentials: Report() names why
    Failed,    // the platform's crypto failed; nothing more can be sent
};

// The reason for the trace and the user when a verified exchange got no answer after engine
// discovery: an agent drops what it cannot decrypt, so a wrong privacy passphrase usually shows so.
inline constexpr const char* kV3NoAnswerReason = "no-answer";

class SnmpV3Exchange {
public:
    explicit SnmpV3Exchange(const UsmCredentials& credentials);
    // An exchange whose signed request asks for names (at most 3) instead of the discovery objects:
    // the details request (discovery/scanner_details.h). names must outlive the exchange.
    SnmpV3Exchange(const UsmCredentials& credentials, const char* const* names, size_t count);

    // Writes the engine discovery request. Its length, or kSnmpV3BufferTooSmall.
    int Start(std::uint8_t* buffer, size_t capacity);
    // Starts with an engine already known (the agent's Report to a broadcast engine discovery): the
    // keys are localised for it and the signed request is written. Its length, or a negative
    // kSnmpV3... result.
    int StartKnown(const SnmpEngine& engine, std::uint8_t* buffer, size_t capacity);
    // Takes one datagram from the agent. For V3Step::Send, *written holds the next request's length
    // in buffer. Once the exchange is Answered, Rejected or Failed, everything is Ignored.
    V3Step Take(const std::uint8_t* data, size_t length, std::uint8_t* buffer, size_t capacity, int* written);
    // The current request once more (when the owner's wait ran out), with a new message ID and, for
    // the signed request, a new salt. Its length, or a negative kSnmpV3... result.
    int Again(std::uint8_t* buffer, size_t capacity);

    // True once the agent has named its engine: silence after that points at the credentials.
    bool EngineKnown() const { return engineKnown_; }
    bool Over() const { return over_; }
    const SnmpEngine& Engine() const { return engine_; }
    UsmReport Report() const { return report_; }
    const DeviceRecord& Device() const { return device_; }
    // The Response's error-status and error-index (0 for a discovery answer that had none).
    std::int32_t ErrorStatus() const { return errorStatus_; }
    std::int32_t ErrorIndex() const { return errorIndex_; }

private:
    UsmCredentials credentials_;
    UsmUser user_ = {};
    SnmpEngine engine_ = {};
    bool engineKnown_ = false;
    bool resynchronised_ = false;
    bool over_ = false;
    std::int32_t messageId_ = 0;
    UsmReport report_ = UsmReport::None;
    DeviceRecord device_ = EmptyDeviceRecord();
    const char* const* names_ = nullptr;  // null: the discovery objects
    size_t nameCount_ = 0;
    std::int32_t errorStatus_ = 0;
    std::int32_t errorIndex_ = 0;
};

// An engine discovery request of its own (a fresh message ID), for a search to broadcast: every
// agent with SNMPv3 answers it with a Report naming its engine. Its length, or kSnmpV3BufferTooSmall.
int EncodeSearchEngineDiscovery(std::uint8_t* buffer, size_t capacity);

// The users localised so far, by engine ID and user name (at most 64; the oldest goes first), so
// that a search asking many agents of one engine, or asking again, localises each key once. False
// when the platform's hash failed.
bool LocalisedUser(const UsmCredentials& credentials, const SnmpEngine& engine, UsmUser& user);
