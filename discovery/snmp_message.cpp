// Our BER codec for the discovery message: the request encoded backwards into a fixed buffer, and
// answers decoded with a cursor and an end pointer, every length checked before it is read.
#include "discovery/snmp_message.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr std::uint8_t kTagInteger = 0x02;
constexpr std::uint8_t kTagOctetString = 0x04;
constexpr std::uint8_t kTagNull = 0x05;
constexpr std::uint8_t kTagObjectId = 0x06;
constexpr std::uint8_t kTagSequence = 0x30;
constexpr std::uint8_t kTagGetRequest = 0xA0;
constexpr std::uint8_t kTagGetResponse = 0xA2;

// The most sub-identifiers an object identifier may have (the first octet counts as two).
constexpr size_t kMaxSubIds = 128;

// ---- Encoding -------------------------------------------------------------------------------

// Writes backwards from the end of a fixed buffer; ok turns false when the buffer is too small.
struct BerWriter {
    std::uint8_t* begin;
    std::uint8_t* end;
    std::uint8_t* pos;
    bool ok;
};

void PutOctet(BerWriter& w, std::uint8_t octet)
{
    if (w.pos == w.begin) {
        w.ok = false;
        return;
    }
    *--w.pos = octet;
}

size_t Written(const BerWriter& w)
{
    return static_cast<size_t>(w.end - w.pos);
}

// Writes a tag and a definite length in front of contents of the given length.
void PutHeader(BerWriter& w, std::uint8_t tag, size_t length)
{
    if (length < 0x80) {
        PutOctet(w, static_cast<std::uint8_t>(length));
    } else {
        std::uint8_t count = 0;
        for (size_t rest = length; rest != 0; rest >>= 8, ++count) PutOctet(w, static_cast<std::uint8_t>(rest & 0xFF));
        PutOctet(w, static_cast<std::uint8_t>(0x80 | count));
    }
    PutOctet(w, tag);
}

void PutSmallInteger(BerWriter& w, std::uint8_t value)
{
    PutOctet(w, value);
    PutHeader(w, kTagInteger, 1);
}

// Writes the sub-identifier in base 128, most significant group first.
void PutSubId(BerWriter& w, std::uint32_t value)
{
    PutOctet(w, static_cast<std::uint8_t>(value & 0x7F));
    for (value >>= 7; value != 0; value >>= 7) PutOctet(w, static_cast<std::uint8_t>(0x80 | (value & 0x7F)));
}

// Writes an object identifier given as dotted text ("1.3.6..."); ok turns false for bad text.
void PutObjectId(BerWriter& w, const char* text)
{
    std::uint32_t arcs[kMaxSubIds];
    size_t count = 0;
    for (const char* p = text; *p != '\0';) {
        std::uint64_t value = 0;
        const char* start = p;
        while (*p >= '0' && *p <= '9' && value <= 0xFFFFFFFFu) value = value * 10 + (*p++ - '0');
        if (p == start || value > 0xFFFFFFFFu || count == kMaxSubIds) {
            w.ok = false;
            return;
        }
        arcs[count++] = static_cast<std::uint32_t>(value);
        if (*p == '.') ++p;
    }
    if (count < 2 || arcs[0] > 2 || (arcs[0] < 2 && arcs[1] >= 40)) {
        w.ok = false;
        return;
    }
    size_t mark = Written(w);
    for (size_t i = count; i-- > 2;) PutSubId(w, arcs[i]);
    PutSubId(w, arcs[0] * 40 + arcs[1]);
    PutHeader(w, kTagObjectId, Written(w) - mark);
}

// ---- Decoding -------------------------------------------------------------------------------

// A window of received octets: reads never go past end.
struct Cursor {
    const std::uint8_t* pos;
    const std::uint8_t* end;
    size_t Left() const { return static_cast<size_t>(end - pos); }
};

// Reads one element: a single-octet tag and a definite length that fits inside the cursor. On
// success *contents is the element's contents and the cursor stands behind the element.
bool ReadElement(Cursor& c, std::uint8_t* tag, Cursor* contents)
{
    if (c.Left() < 2) return false;
    std::uint8_t t = c.pos[0];
    if ((t & 0x1F) == 0x1F) return false;  // a tag number in further octets
    std::uint8_t first = c.pos[1];
    c.pos += 2;
    size_t length = first;
    if (first == 0x80) return false;  // indefinite length
    if (first > 0x80) {
        size_t count = first & 0x7F;
        if (count > 4 || c.Left() < count) return false;
        length = 0;
        for (size_t i = 0; i < count; ++i) length = (length << 8) | *c.pos++;
    }
    if (length > c.Left()) return false;
    *tag = t;
    contents->pos = c.pos;
    contents->end = c.pos + length;
    c.pos += length;
    return true;
}

bool ReadExpected(Cursor& c, std::uint8_t expectedTag, Cursor* contents)
{
    std::uint8_t tag;
    return ReadElement(c, &tag, contents) && tag == expectedTag;
}

// Reads an INTEGER of 1 to 4 octets (a 32-bit signed value).
bool ReadInteger(Cursor& c, std::int32_t* value)
{
    Cursor contents;
    if (!ReadExpected(c, kTagInteger, &contents)) return false;
    size_t length = contents.Left();
    if (length < 1 || length > 4) return false;
    std::uint32_t bits = (contents.pos[0] & 0x80) ? 0xFFFFFFFFu : 0;
    for (size_t i = 0; i < length; ++i) bits = (bits << 8) | contents.pos[i];
    *value = static_cast<std::int32_t>(bits);
    return true;
}

enum class OidResult { Ok, Malformed, TextTooLong };

// Turns the contents of an OBJECT IDENTIFIER into dotted text in text (capacity octets, the tail
// zeroed). Malformed: empty, a sub-identifier cut short, starting with a 0x80 octet or over 32
// bits, more than kMaxSubIds sub-identifiers. TextTooLong: well formed, but the text would need
// more than capacity - 1 characters; text is then empty.
OidResult DecodeObjectId(Cursor contents, char* text, size_t capacity)
{
    std::uint32_t arcs[kMaxSubIds];
    size_t count = 0;
    if (contents.Left() == 0) return OidResult::Malformed;
    while (contents.Left() != 0) {
        if (*contents.pos == 0x80) return OidResult::Malformed;  // not the shortest form
        std::uint32_t value = 0;
        bool done = false;
        while (!done) {
            if (contents.Left() == 0) return OidResult::Malformed;  // last octet has bit 8 set
            std::uint8_t octet = *contents.pos++;
            if (value > (0xFFFFFFFFu >> 7)) return OidResult::Malformed;
            value = (value << 7) | (octet & 0x7F);
            done = (octet & 0x80) == 0;
        }
        if (count == 0) {
            // The first sub-identifier carries the first two arcs.
            std::uint32_t top = value < 40 ? 0 : value < 80 ? 1 : 2;
            arcs[count++] = top;
            arcs[count++] = value - top * 40;
        } else {
            if (count == kMaxSubIds) return OidResult::Malformed;
            arcs[count++] = value;
        }
    }
    std::memset(text, 0, capacity);
    size_t used = 0;
    for (size_t i = 0; i < count; ++i) {
        char arc[12];
        int n = std::snprintf(arc, sizeof arc, i == 0 ? "%lu" : ".%lu", static_cast<unsigned long>(arcs[i]));
        if (used + static_cast<size_t>(n) >= capacity) {
            std::memset(text, 0, capacity);
            return OidResult::TextTooLong;
        }
        std::memcpy(text + used, arc, static_cast<size_t>(n));
        used += static_cast<size_t>(n);
    }
    return OidResult::Ok;
}

void StoreDescription(DeviceRecord& candidate, Cursor value)
{
    size_t length = value.Left();
    if (length > sizeof candidate.sysDescr - 1) length = sizeof candidate.sysDescr - 1;
    const void* nul = std::memchr(value.pos, 0, length);
    if (nul != nullptr) length = static_cast<size_t>(static_cast<const std::uint8_t*>(nul) - value.pos);
    std::memset(candidate.sysDescr, 0, sizeof candidate.sysDescr);
    std::memcpy(candidate.sysDescr, value.pos, length);
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
        if (valueTag == kTagOctetString) StoreDescription(candidate, value);
    } else if (std::strcmp(nameText, kOidSysObjectId) == 0) {
        if (valueTag == kTagObjectId &&
            DecodeObjectId(value, candidate.sysObjectId, sizeof candidate.sysObjectId) == OidResult::Malformed)
            return false;
    } else if (std::strcmp(nameText, kOidIfPhysAddress1) == 0) {
        if (valueTag == kTagOctetString) StorePhysicalAddress(candidate, value);
    }
    return true;
}

}  // namespace

int EncodeDiscoveryRequest(std::uint8_t* buffer, size_t capacity)
{
    BerWriter w = {buffer, buffer + capacity, buffer + capacity, true};
    const char* names[] = {kOidSysDescr, kOidSysObjectId, kOidIfPhysAddress1};

    size_t listMark = Written(w);
    for (size_t i = 3; i-- > 0;) {
        size_t bindingMark = Written(w);
        PutHeader(w, kTagNull, 0);
        PutObjectId(w, names[i]);
        PutHeader(w, kTagSequence, Written(w) - bindingMark);
    }
    PutHeader(w, kTagSequence, Written(w) - listMark);
    PutSmallInteger(w, 0);  // error-index
    PutSmallInteger(w, 0);  // error-status
    PutSmallInteger(w, 1);  // request-id
    PutHeader(w, kTagGetRequest, Written(w) - listMark);

    size_t communityLength = std::strlen(kDiscoveryCommunity);
    for (size_t i = communityLength; i-- > 0;) PutOctet(w, static_cast<std::uint8_t>(kDiscoveryCommunity[i]));
    PutHeader(w, kTagOctetString, communityLength);
    PutSmallInteger(w, 0);  // version: SNMPv1
    PutHeader(w, kTagSequence, Written(w));
    if (!w.ok) return kSnmpEncodeFailed;

    size_t length = Written(w);
    std::memmove(buffer, w.pos, length);
    return static_cast<int>(length);
}

AnswerKind DecodeDiscoveryReply(const std::uint8_t* data, size_t length, DeviceRecord& candidate)
{
    constexpr AnswerKind kMalformed = AnswerKind::Undecodable;
    candidate = EmptyDeviceRecord();
    if (data == nullptr) return kMalformed;
    Cursor datagram = {data, data + length};
    Cursor message, community, pdu, list;
    std::int32_t version, ignored, errorStatus;
    std::uint8_t pduTag;

    if (!ReadExpected(datagram, kTagSequence, &message) || datagram.Left() != 0) return kMalformed;
    if (!ReadInteger(message, &version) || (version != 0 && version != 1)) return kMalformed;
    if (!ReadExpected(message, kTagOctetString, &community)) return kMalformed;
    if (!ReadElement(message, &pduTag, &pdu) || message.Left() != 0) return kMalformed;
    if ((pduTag & 0xE0) != 0xA0) return kMalformed;  // a PDU is context-specific and constructed
    if (!ReadInteger(pdu, &ignored) || !ReadInteger(pdu, &errorStatus) || !ReadInteger(pdu, &ignored))
        return kMalformed;
    if (!ReadExpected(pdu, kTagSequence, &list) || pdu.Left() != 0) return kMalformed;

    DeviceRecord decoded = EmptyDeviceRecord();
    while (list.Left() != 0) {
        Cursor binding;
        if (!ReadExpected(list, kTagSequence, &binding)) return kMalformed;
        if (!DecodeBinding(binding, decoded)) return kMalformed;
    }
    candidate = decoded;
    return pduTag == kTagGetResponse && errorStatus == 0 ? AnswerKind::Reply : AnswerKind::NotAReply;
}

bool DecodeDiscoveryAnswer(const std::uint8_t* data, size_t length, DeviceRecord& candidate)
{
    return DecodeDiscoveryReply(data, length, candidate) != AnswerKind::Undecodable;
}

bool MatchesModel(const DeviceRecord& candidate, const char* matchText)
{
    return std::strcmp(candidate.sysDescr, matchText) == 0 || std::strcmp(candidate.sysObjectId, matchText) == 0;
}
