// Our BER codec for the discovery message: the request encoded backwards into a fixed buffer, and
// answers decoded with a cursor and an end pointer, every length checked before it is read (the
// pieces are in discovery/ber.h, shared with the SNMPv3 codec).
#include "discovery/snmp_message.h"

#include <cstring>

#include "discovery/ber.h"

namespace {

using namespace Ber;

// Stores an OCTET STRING's text into a fixed field: cut at its first NUL and to capacity - 1.
void StoreText(char* field, size_t capacity, Cursor value)
{
    size_t length = value.Left();
    if (length > capacity - 1) length = capacity - 1;
    const void* nul = std::memchr(value.pos, 0, length);
    if (nul != nullptr) length = static_cast<size_t>(static_cast<const std::uint8_t*>(nul) - value.pos);
    std::memset(field, 0, capacity);
    std::memcpy(field, value.pos, length);
}

void StorePhysicalAddress(DeviceRecord& candidate, Cursor value)
{
    static const char kHex[] = "0123456789ABCDEF";
    constexpr size_t kMaxOctets = (sizeof candidate.macAddress - 1) / 3;  // 10 octets
    size_t count = value.Left() < kMaxOctets ? value.Left() : kMaxOctets;
    std::memset(candidate.macAddress, 0, sizeof candidate.macAddress);
    char* out = candidate.macAddress;
    for (size_t i = 0; i < count; ++i) {
        if (i != 0) *out++ = ':';
        *out++ = kHex[value.pos[i] >> 4];
        *out++ = kHex[value.pos[i] & 0x0F];
    }
}

// Decodes one binding; false when it is malformed.
bool DecodeBinding(Cursor binding, DeviceRecord& candidate)
{
    Cursor name, value;
    std::uint8_t valueTag;
    if (!ReadExpected(binding, kTagObjectId, &name)) return false;
    if (!ReadElement(binding, &valueTag, &value)) return false;
    if (binding.Left() != 0) return false;

    char nameText[128];
    OidResult nameResult = DecodeObjectId(name, nameText, sizeof nameText);
    if (nameResult == OidResult::Malformed) return false;
    if (nameResult == OidResult::TextTooLong) return true;  // not one of ours

    if (std::strcmp(nameText, kOidSysDescr) == 0) {
        if (valueTag == kTagOctetString) StoreText(candidate.sysDescr, sizeof candidate.sysDescr, value);
    } else if (std::strcmp(nameText, kOidSysName) == 0) {
        if (valueTag == kTagOctetString) StoreText(candidate.name, sizeof candidate.name, value);
    } else if (std::strcmp(nameText, kOidSysLocation) == 0) {
        if (valueTag == kTagOctetString) StoreText(candidate.location, sizeof candidate.location, value);
    } else if (std::strcmp(nameText, kOidPrtGeneralSerialNumber1) == 0) {
        if (valueTag == kTagOctetString) StoreText(candidate.serial, sizeof candidate.serial, value);
    } else if (std::strcmp(nameText, kOidSysObjectId) == 0) {
        if (valueTag == kTagObjectId &&
            DecodeObjectId(value, candidate.sysObjectId, sizeof candidate.sysObjectId) == OidResult::Malformed)
            return false;
    } else if (std::strcmp(nameText, kOidIfPhysAddress1) == 0) {
        if (valueTag == kTagOctetString) StorePhysicalAddress(candidate, value);
    }
    return true;
}

// An SNMPv1 GetRequest of the names (each with a NULL value) with the community and request-id.
int EncodeGetRequest(std::uint8_t* buffer, size_t capacity, const char* community, std::int32_t requestId,
                     const char* const* names, size_t count)
{
    BerWriter w = {buffer, buffer + capacity, buffer + capacity, true};
    size_t listMark = Written(w);
    for (size_t i = count; i-- > 0;) {
        size_t bindingMark = Written(w);
        PutHeader(w, kTagNull, 0);
        PutObjectId(w, names[i]);
        PutHeader(w, kTagSequence, Written(w) - bindingMark);
    }
    PutHeader(w, kTagSequence, Written(w) - listMark);
    PutSmallInteger(w, 0);  // error-index
    PutSmallInteger(w, 0);  // error-status
    PutInteger(w, requestId);
    PutHeader(w, kTagGetRequest, Written(w) - listMark);

    size_t communityLength = std::strlen(community);
    for (size_t i = communityLength; i-- > 0;) PutOctet(w, static_cast<std::uint8_t>(community[i]));
    PutHeader(w, kTagOctetString, communityLength);
    PutSmallInteger(w, 0);  // version: SNMPv1
    PutHeader(w, kTagSequence, Written(w));
    if (!w.ok) return kSnmpEncodeFailed;

    size_t length = Written(w);
    std::memmove(buffer, w.pos, length);
    return static_cast<int>(length);
}

}  // namespace

int EncodeDiscoveryRequest(std::uint8_t* buffer, size_t capacity, const char* community)
{
    const char* names[] = {kOidSysDescr, kOidSysObjectId, kOidIfPhysAddress1};
    return EncodeGetRequest(buffer, capacity, community, 1, names, 3);
}

bool IsDetailsRequestId(std::int32_t requestId)
{
    return (requestId & ~std::int32_t{0xFFFF}) == kDetailsRequestIdBase;
}

size_t DetailsNames(unsigned objects, const char* names[3])
{
    size_t count = 0;
    for (size_t i = 0; i < 3; ++i)
        if (objects & (1u << i)) names[count++] = kDetailsOids[i];
    return count;
}

int EncodeDetailsRequest(std::uint8_t* buffer, size_t capacity, const char* community, std::int32_t requestId,
                         unsigned objects)
{
    const char* names[3];
    return EncodeGetRequest(buffer, capacity, community, requestId, names, DetailsNames(objects, names));
}

AnswerKind DecodeDiscoveryReply(const std::uint8_t* data, size_t length, DeviceRecord& candidate)
{
    return DecodeSnmpReply(data, length, candidate, nullptr);
}

AnswerKind DecodeSnmpReply(const std::uint8_t* data, size_t length, DeviceRecord& candidate, SnmpPduHeader* header)
{
    constexpr AnswerKind kMalformed = AnswerKind::Undecodable;
    constexpr std::uint8_t kTagGetResponse = 0xA2;
    candidate = EmptyDeviceRecord();
    if (header != nullptr) *header = SnmpPduHeader{};
    if (data == nullptr) return kMalformed;
    Cursor datagram = {data, data + length};
    Cursor message, community, pdu, list;
    std::int32_t version, requestId, errorStatus, errorIndex;
    std::uint8_t pduTag;

    if (!ReadExpected(datagram, kTagSequence, &message) || datagram.Left() != 0) return kMalformed;
    if (!ReadInteger(message, &version) || (version != 0 && version != 1)) return kMalformed;
    if (!ReadExpected(message, kTagOctetString, &community)) return kMalformed;
    if (!ReadElement(message, &pduTag, &pdu) || message.Left() != 0) return kMalformed;
    if ((pduTag & 0xE0) != 0xA0) return kMalformed;  // a PDU is context-specific and constructed
    if (!ReadInteger(pdu, &requestId) || !ReadInteger(pdu, &errorStatus) || !ReadInteger(pdu, &errorIndex))
        return kMalformed;
    if (!ReadExpected(pdu, kTagSequence, &list) || pdu.Left() != 0) return kMalformed;

    if (!DecodeDiscoveryBindings(list.pos, list.Left(), candidate)) return kMalformed;
    if (header != nullptr) *header = SnmpPduHeader{pduTag, requestId, errorStatus, errorIndex};
    return pduTag == kTagGetResponse && errorStatus == 0 ? AnswerKind::Reply : AnswerKind::NotAReply;
}

bool DecodeDiscoveryAnswer(const std::uint8_t* data, size_t length, DeviceRecord& candidate)
{
    return DecodeDiscoveryReply(data, length, candidate) != AnswerKind::Undecodable;
}

bool DecodeDiscoveryBindings(const std::uint8_t* data, size_t length, DeviceRecord& candidate)
{
    candidate = EmptyDeviceRecord();
    if (data == nullptr && length != 0) return false;
    Cursor list = {data, data + length};
    DeviceRecord decoded = EmptyDeviceRecord();
    while (list.Left() != 0) {
        Cursor binding;
        if (!ReadExpected(list, kTagSequence, &binding)) return false;
        if (!DecodeBinding(binding, decoded)) return false;
    }
    candidate = decoded;
    return true;
}

bool MatchesModel(const DeviceRecord& candidate, const char* matchText)
{
    return std::strcmp(candidate.sysDescr, matchText) == 0 || std::strcmp(candidate.sysObjectId, matchText) == 0;
}
