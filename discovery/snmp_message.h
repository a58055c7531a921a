// The SNMP side of a discovery pass: the one GetRequest that every pass sends, the decoding of an
// answer into a DeviceRecord candidate, and the test that accepts a candidate as one of the
// product's scanners. Our own BER codec: no allocation, bounds checked before every read.
#pragma once
#include <cstddef>
#include <cstdint>

#include "discovery/device_list.h"

// The names asked for, in the order of the request's bindings.
inline constexpr const char* kOidSysDescr = "1.3.6.1.2.1.1.1.0";
inline constexpr const char* kOidSysObjectId = "1.3.6.1.2.1.1.2.0";
inline constexpr const char* kOidIfPhysAddress1 = "1.3.6.1.2.1.2.2.1.6.1";
// The details a listed scanner is asked for (discovery/scanner_details.h), in the order of that
// request's bindings: bit i of a details mask asks for kDetailsOids[i].
inline constexpr const char* kOidSysName = "1.3.6.1.2.1.1.5.0";
inline constexpr const char* kOidSysLocation = "1.3.6.1.2.1.1.6.0";
inline constexpr const char* kOidPrtGeneralSerialNumber1 = "1.3.6.1.2.1.43.5.1.1.17.1";
inline constexpr const char* kDetailsOids[] = {kOidSysName, kOidSysLocation, kOidPrtGeneralSerialNumber1};
constexpr unsigned kDetailsAll = 7;
// The request-ids of details requests lie in this 16-bit block, so that their answers are told
// from the discovery request's (request-id 1) and a scripted network can tell the requests apart.
constexpr std::int32_t kDetailsRequestIdBase = 0x53440000;
bool IsDetailsRequestId(std::int32_t requestId);
// The names of a details mask in request order (at most 3 written to names); their count.
size_t DetailsNames(unsigned objects, const char* names[3]);
// An SNMPv1 agent's error-status for a request naming an object it does not have.
constexpr std::int32_t kSnmpNoSuchName = 2;

// The built-in community of the request (the settings may give others: request_security.h).
inline constexpr const char* kDiscoveryCommunity = "harbor";

// A buffer of this size holds the encoded request with a community of up to 64 octets.
constexpr size_t kSnmpRequestCapacity = 192;
// Result of EncodeDiscoveryRequest when the buffer is too small.
constexpr int kSnmpEncodeFailed = -1;

// Encodes the discovery request into buffer: an SNMPv1 message (version 0), the community given,
// a GetRequest with request-id 1, error-status 0, error-index 0 and the three bindings above, each
// with a NULL value. Returns the number of octets written, or kSnmpEncodeFailed when capacity is
// too small (nothing usable is then in buffer).
int EncodeDiscoveryRequest(std::uint8_t* buffer, size_t capacity, const char* community = kDiscoveryCommunity);

// Encodes an SNMPv1 GetRequest like the discovery request, with the request-id given and the
// bindings of the details in objects (a details mask, each name with a NULL value; none when the
// mask is empty). Returns the length or kSnmpEncodeFailed.
int EncodeDetailsRequest(std::uint8_t* buffer, size_t capacity, const char* community, std::int32_t requestId,
                         unsigned objects);

// Decodes one received datagram (SNMPv1 or SNMPv2c message) into candidate. Returns true when it
// is a well-formed message whose PDU carries a list of bindings; candidate then starts empty and
// holds what the bindings give: sysDescr.0 as an OCTET STRING (its first 259 octets, cut at the
// first NUL), sysObjectID.0 as an OBJECT IDENTIFIER (dotted text; left empty when it needs more
// than 127 characters), ifPhysAddress.1 as an OCTET STRING ("%02X:" pairs without the last colon,
// at most the first 10 octets). A binding with another syntax or name is skipped; a name that comes
// twice overwrites. The PDU type, request-id, error-status, error-index and community are not
// examined. Returns false, and the datagram is to be ignored, for anything malformed: truncation,
// lengths past the end, indefinite lengths, multi-octet tags, unexpected tags, an object
// identifier that is empty, longer than 128 sub-identifiers or has one over 32 bits, trailing
// octets, a version other than 0 or 1. address, ipVersion and adapterName are left empty for the
// transport and the driver.
bool DecodeDiscoveryAnswer(const std::uint8_t* data, size_t length, DeviceRecord& candidate);
// The bindings part of DecodeDiscoveryAnswer, shared with the SNMPv3 codec: decodes the contents of
// a PDU's binding list (data, length octets) into candidate by the same rules. False for anything
// malformed; candidate is then empty.
bool DecodeDiscoveryBindings(const std::uint8_t* data, size_t length, DeviceRecord& candidate);

// What a received datagram is to a search.
enum class AnswerKind {
    Reply,        // a GetResponse with error-status 0: an answer to the request
    NotAReply,    // a well-formed message, but another PDU type or a non-zero error-status
    Undecodable,  // anything DecodeDiscoveryAnswer refuses
};
// DecodeDiscoveryAnswer that also tells a reply from any other well-formed message (candidate is
// filled for both). The request-id is still not examined.
AnswerKind DecodeDiscoveryReply(const std::uint8_t* data, size_t length, DeviceRecord& candidate);
// The PDU's header fields, for answers whose request-id and error matter (the details requests).
struct SnmpPduHeader {
    std::uint8_t pduType;
    std::int32_t requestId;
    std::int32_t errorStatus;
    std::int32_t errorIndex;  // 1 for the first binding; 0 when the error names none
};
// DecodeDiscoveryReply that also gives the header (when header is not null; zeroed when undecodable).
AnswerKind DecodeSnmpReply(const std::uint8_t* data, size_t length, DeviceRecord& candidate, SnmpPduHeader* header);

// True when the candidate's sysDescr or its sysObjectId equals matchText exactly (byte-wise,
// case-sensitive).
bool MatchesModel(const DeviceRecord& candidate, const char* matchText);
