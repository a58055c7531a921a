// The BER pieces shared by the SNMP codecs (see discovery/ber.h).
#include "discovery/ber.h"

#include <cstdio>
#include <cstring>

namespace Ber {

namespace {

// Writes the sub-identifier in base 128, most significant group first.
void PutSubId(BerWriter& w, std::uint32_t value)
{
    PutOctet(w, static_cast<std::uint8_t>(value & 0x7F));
    for (value >>= 7; value != 0; value >>= 7) PutOctet(w, static_cast<std::uint8_t>(0x80 | (value & 0x7F)));
}

}  // namespace

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

void PutOctets(BerWriter& w, const std::uint8_t* data, size_t length)
{
    for (size_t i = length; i-- > 0;) PutOctet(w, data[i]);
}

void PutInteger(BerWriter& w, std::int32_t value)
{
    size_t mark = Written(w);
    std::uint32_t bits = static_cast<std::uint32_t>(value);
    // Octets from the least significant up, until the rest is only the sign's extension.
    for (;;) {
        std::uint8_t octet = static_cast<std::uint8_t>(bits & 0xFF);
        PutOctet(w, octet);
        std::int32_t rest = static_cast<std::int32_t>(bits) >> 8;
        bits = static_cast<std::uint32_t>(rest);
        if ((rest == 0 && !(octet & 0x80)) || (rest == -1 && (octet & 0x80))) break;
    }
    PutHeader(w, kTagInteger, Written(w) - mark);
}

void PutOctetString(BerWriter& w, const std::uint8_t* data, size_t length)
{
    PutOctets(w, data, length);
    PutHeader(w, kTagOctetString, length);
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

}  // namespace Ber
