// The BER pieces shared by the SNMP codecs (discovery/snmp_message.cpp for SNMPv1 answers,
// discovery/snmp_v3_message.cpp for SNMPv3): a writer that encodes backwards into a fixed buffer,
// and a cursor with an end pointer for reading, every length checked before it is read.
#pragma once
#include <cstddef>
#include <cstdint>

namespace Ber {

constexpr std::uint8_t kTagInteger = 0x02;
constexpr std::uint8_t kTagOctetString = 0x04;
constexpr std::uint8_t kTagNull = 0x05;
constexpr std::uint8_t kTagObjectId = 0x06;
constexpr std::uint8_t kTagSequence = 0x30;
constexpr std::uint8_t kTagGetRequest = 0xA0;
constexpr std::uint8_t kTagResponse = 0xA2;
constexpr std::uint8_t kTagReport = 0xA8;

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

void PutOctet(BerWriter& w, std::uint8_t octet);
// Writes length octets in front of what is written (in their order).
void PutOctets(BerWriter& w, const std::uint8_t* data, size_t length);
// The number of octets written so far.
size_t Written(const BerWriter& w);
// Writes a tag and a definite length in front of contents of the given length.
void PutHeader(BerWriter& w, std::uint8_t tag, size_t length);
void PutSmallInteger(BerWriter& w, std::uint8_t value);
// Writes an INTEGER in its shortest two's complement form.
void PutInteger(BerWriter& w, std::int32_t value);
void PutOctetString(BerWriter& w, const std::uint8_t* data, size_t length);
// Writes an object identifier given as dotted text ("1.3.6..."); ok turns false for bad text.
void PutObjectId(BerWriter& w, const char* text);

// ---- Decoding -------------------------------------------------------------------------------

// A window of received octets: reads never go past end.
struct Cursor {
    const std::uint8_t* pos;
    const std::uint8_t* end;
    size_t Left() const { return static_cast<size_t>(end - pos); }
};

// Reads one element: a single-octet tag and a definite length that fits inside the cursor. On
// success *contents is the element's contents and the cursor stands behind the element.
bool ReadElement(Cursor& c, std::uint8_t* tag, Cursor* contents);
bool ReadExpected(Cursor& c, std::uint8_t expectedTag, Cursor* contents);
// Reads an INTEGER of 1 to 4 octets (a 32-bit signed value).
bool ReadInteger(Cursor& c, std::int32_t* value);

enum class OidResult { Ok, Malformed, TextTooLong };

// Turns the contents of an OBJECT IDENTIFIER into dotted text in text (capacity octets, the tail
// zeroed). Malformed: empty, a sub-identifier cut short, starting with a 0x80 octet or over 32
// bits, more than kMaxSubIds sub-identifiers. TextTooLong: well formed, but the text would need
// more than capacity - 1 characters; text is then empty.
OidResult DecodeObjectId(Cursor contents, char* text, size_t capacity);

}  // namespace Ber
