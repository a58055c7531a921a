// The SNMPv3 side of discovery (RFC 3412 message, RFC 3414 user-based security, RFC 3826 AES,
// RFC 7860 HMAC-SHA-256): the two requests ScanLink sends, engine discovery and the discovery
// GetRequest with a user's keys, and the decoding of what agents send back. Encoding writes
// backwards into a fixed buffer; decoding reads with a cursor and an end pointer, every length
// checked before it is read (discovery/ber.h, shared with discovery/snmp_message.cpp).
#pragma once
#include <cstddef>
#include <cstdint>

#include "discovery/device_list.h"
#include "discovery/usm.h"

// An agent's (authoritative) engine as its messages name it.
struct SnmpEngine {
    std::uint8_t id[kUsmMaxEngineId];
    size_t idLength;
    std::int32_t boots;  // 0 .. 2^31-1
    std::int32_t time;   // seconds since the engine's last boot, 0 .. 2^31-1
};

// The largest message ScanLink accepts (msgMaxSize of its requests). The receive buffer of a
// discovery pass (kAnswerBufferSize) must be at least this long.
constexpr std::int32_t kSnmpV3MaxMessageSize = 1024;
// A buffer of this size holds either encoded request.
constexpr size_t kSnmpV3RequestCapacity = 512;
// Results of the encoders besides a length: the buffer is too small, or the platform's crypto failed.
constexpr int kSnmpV3BufferTooSmall = -1;
constexpr int kSnmpV3CryptoFailed = -2;

// One message to encode: its PDU (type, request-id, error-status and error-index 0) with the binding
// list's contents already encoded, in a scoped PDU with the engine's ID as context engine ID and an
// empty context name.
struct SnmpV3Outgoing {
    std::int32_t messageId;
    bool reportable;
    std::uint8_t pduType;  // 0xA0 GetRequest, 0xA2 Response, 0xA8 Report
    std::int32_t requestId;
    const std::uint8_t* bindings;  // the contents of the binding list (may be null when empty)
    size_t bindingsLength;
    const std::uint8_t* salt;  // 8 octets, for privacy; the caller never repeats one with a key
};

// Encodes a message for the engine: noAuthNoPriv without a user; with one authNoPriv, or authPriv
// for UsmPriv::Aes128 (the scoped PDU encrypted with AES-128-CFB, IV from the engine's boots and
// time and the salt, RFC 3826), the MAC (HMAC-SHA-96 or HMAC-SHA-256-192) over the whole message
// with its field zeroed, then written into it. Returns the length, kSnmpV3BufferTooSmall or
// kSnmpV3CryptoFailed. The requests below are made with it.
int EncodeV3Message(const UsmUser* user, const SnmpEngine& engine, const SnmpV3Outgoing& message, std::uint8_t* buffer,
                    size_t capacity);

// Encodes the engine discovery request: noAuthNoPriv and reportable, an empty engine ID and user
// name, zero boots and time, an empty context and a GetRequest without bindings. The agent answers
// with a Report (usmStatsUnknownEngineIDs) that names its engine, boots and time. Returns the
// number of octets written, or kSnmpV3BufferTooSmall.
int EncodeEngineDiscoveryRequest(std::int32_t messageId, std::int32_t requestId, std::uint8_t* buffer, size_t capacity);

// Encodes the discovery GetRequest (sysDescr.0, sysObjectID.0, ifPhysAddress.1, each with a NULL
// value) for the engine with the user's keys localised for it: authNoPriv or, with UsmPriv::Aes128,
// authPriv (the scoped PDU encrypted with AES-128-CFB, IV from the engine's boots and time and the
// salt), reportable, the engine's ID as context engine ID and an empty context name. salt is the
// message's 8-octet privacy parameter (unused without privacy); the caller never sends the same salt
// twice with one key. Returns the length, kSnmpV3BufferTooSmall or kSnmpV3CryptoFailed.
int EncodeV3DiscoveryRequest(const UsmUser& user, const SnmpEngine& engine, std::int32_t messageId,
                             std::int32_t requestId, const std::uint8_t* salt, std::uint8_t* buffer, size_t capacity);
// The same request for other names (at most 3, each with a NULL value): the details request.
int EncodeV3GetRequest(const UsmUser& user, const SnmpEngine& engine, std::int32_t messageId, std::int32_t requestId,
                       const char* const* names, size_t count, const std::uint8_t* salt, std::uint8_t* buffer,
                       size_t capacity);

// The reason a Report gives, from the usmStats counter in its first binding.
enum class UsmReport : int {
    None,              // not a Report
    UnknownUser,       // usmStatsUnknownUserNames
    WrongDigest,       // usmStatsWrongDigests
    DecryptionError,   // usmStatsDecryptionErrors
    UnsupportedLevel,  // usmStatsUnsupportedSecLevels
    NotInTimeWindow,   // usmStatsNotInTimeWindows
    UnknownEngine,     // usmStatsUnknownEngineIDs (the answer to engine discovery)
    Other,             // a Report with another counter or none
};
// The reason's name for the trace: "unknown-user", "wrong-digest", "decryption-error",
// "unsupported-level", "not-in-time-window", "unknown-engine", "other-report"; "" for None.
const char* UsmReportName(UsmReport report);

// What a decoded message says.
enum class SnmpV3Result : int {
    Malformed,         // not a well-formed SNMPv3 message with user-based security: ignore it
    Unauthenticated,   // a Response without authentication: refused, ignore it
    WrongDigest,       // marked authenticated, but no user was given or its MAC does not verify: ignore it
    DecryptionFailed,  // the MAC verified but the encrypted part did not decrypt to a scoped PDU
    Report,            // a Report: answer.report holds the reason, answer.authenticated whether it was verified
    Response,          // a Response whose MAC verified (then decrypted if encrypted): answer.device holds the objects
};

struct SnmpV3Answer {
    std::int32_t messageId;
    SnmpEngine engine;  // from the security parameters
    char userName[kUsmMaxUserName + 1];
    bool authenticated;  // the MAC verified with the user's key
    bool encrypted;
    std::uint8_t pduType;  // 0xA2 Response or 0xA8 Report
    std::int32_t requestId;
    std::int32_t errorStatus;
    std::int32_t errorIndex;
    UsmReport report;     // None for a Response
    DeviceRecord device;  // a Response's bindings, decoded by DecodeDiscoveryBindings' rules
};

// Decodes one datagram. user, when given, holds the keys localised for the engine the request went
// to: an authenticated message is accepted only when its MAC, computed with user's key over the
// message with the MAC field zeroed, equals the MAC field (HMAC-SHA-96: 12 octets, HMAC-SHA-256: 24),
// and only then is an encrypted scoped PDU decrypted (the user must have UsmPriv::Aes128). Without
// authentication only a Report is taken (engine discovery, unknown user, unsupported level); a
// Response then gives Unauthenticated. Malformed for: truncation, lengths past the end, indefinite
// lengths, multi-octet tags, unexpected tags, trailing octets, a version other than 3, a security
// model other than 3 (USM), msgFlags not one octet or privacy without authentication, a maximum
// size under 484, an engine ID or user name over 32 octets, negative boots or time, privacy
// parameters that are not 8 octets when encrypted, a PDU other than Response or Report, malformed
// bindings. answer is filled for Report and Response and left empty (zeroed) otherwise.
SnmpV3Result DecodeV3Message(const std::uint8_t* data, size_t length, const UsmUser* user, SnmpV3Answer& answer);

// The scoped-PDU part of DecodeV3Message (plaintext, or decrypted): fills answer's pduType,
// requestId, errorStatus, report and device. Report or Response, else Malformed.
SnmpV3Result DecodeV3ScopedPdu(const std::uint8_t* data, size_t length, SnmpV3Answer& answer);
