// Tests of the discovery message: the request's exact octets, decoding by every rule, malformed
// datagrams of every kind, and the model match.
#include <gtest/gtest.h>

#include <string>

#include "discovery/snmp_message.h"
#include "discovery_test_support.h"

namespace {

const char* kModel = "1.3.6.1.4.1.40827.1.1.1.2.1.43.1.1";

// The request: SNMPv1, community "harbor", GetRequest id 1, the three names with NULL values.
const char* kRequestHex =
    "30 44 02 01 00 04 06 68 61 72 62 6f 72 a0 37 02 01 01 02 01 00 02 01 00 30 2c"
    " 30 0c 06 08 2b 06 01 02 01 01 01 00 05 00"
    " 30 0c 06 08 2b 06 01 02 01 01 02 00 05 00"
    " 30 0e 06 0a 2b 06 01 02 01 02 02 01 06 01 05 00";

// An SNMPv1 answer of a real agent (net-snmp snmpd) to a GetRequest for the three names.
const char* kRealAnswerV1 =
    "30 77 02 01 00 04 06 68 61 72 62 6F 72 A2 6A 02 04 3A 0C 5F 32 02 01 00 02 01 00 30 5C 30 26 06"
    "08 2B 06 01 02 01 01 01 00 04 1A 56 45 4C 20 4D 4F 52 41 20 63 68 72 6F 6D 61 6C 69 6E 65 20 37"
    "32 34 30 4D 46 30 1C 06 08 2B 06 01 02 01 01 02 00 06 10 2B 06 01 04 01 82 BE 7B 01 01 01 02 01"
    "2B 01 01 30 14 06 0A 2B 06 01 02 01 02 02 01 06 01 04 06 02 00 00 00 00 11";
// The same agent answering SNMPv2c (version 1).
const char* kRealAnswerV2c =
    "30 77 02 01 01 04 06 68 61 72 62 6F 72 A2 6A 02 04 5D A3 FC 99 02 01 00 02 01 00 30 5C 30 26 06"
    "08 2B 06 01 02 01 01 01 00 04 1A 56 45 4C 20 4D 4F 52 41 20 63 68 72 6F 6D 61 6C 69 6E 65 20 37"
    "32 34 30 4D 46 30 1C 06 08 2B 06 01 02 01 01 02 00 06 10 2B 06 01 04 01 82 BE 7B 01 01 01 02 01"
    "2B 01 01 30 14 06 0A 2B 06 01 02 01 02 02 01 06 01 04 06 02 00 00 00 00 11";

bool Decode(const Bytes& bytes, DeviceRecord& record)
{
    return DecodeDiscoveryAnswer(bytes.data(), bytes.size(), record);
}

DeviceRecord Decoded(const Bytes& bytes)
{
    DeviceRecord record;
    EXPECT_TRUE(Decode(bytes, record));
    return record;
}

bool TailIsZero(const char* field, size_t size)
{
    size_t n = strnlen(field, size);
    if (n == size) return false;
    for (size_t i = n; i < size; ++i)
        if (field[i] != 0) return false;
    return true;
}

}  // namespace

TEST(SnmpRequest, EncodesTheExactOctets)
{
    std::uint8_t buffer[kSnmpRequestCapacity];
    int length = EncodeDiscoveryRequest(buffer, sizeof buffer);
    EXPECT_EQ(Bytes(buffer, buffer + length), Hex(kRequestHex));
}

TEST(SnmpRequest, RefusesEveryBufferTooSmallAndFitsExactly)
{
    const size_t needed = Hex(kRequestHex).size();
    std::uint8_t buffer[kSnmpRequestCapacity + 8];
    for (size_t capacity = 0; capacity < needed; ++capacity) {
        std::memset(buffer, 0xEE, sizeof buffer);
        EXPECT_EQ(EncodeDiscoveryRequest(buffer + 4, capacity), kSnmpEncodeFailed) << capacity;
        for (size_t i = 0; i < 4; ++i) EXPECT_EQ(buffer[i], 0xEE);  // nothing written in front
        for (size_t i = 4 + capacity; i < sizeof buffer; ++i) ASSERT_EQ(buffer[i], 0xEE);
    }
    EXPECT_EQ(EncodeDiscoveryRequest(buffer, needed), static_cast<int>(needed));
}

TEST(SnmpRequest, DecodesAsAMessageWithEmptyFields)
{
    // The request itself is well formed: it decodes, and carries no values.
    DeviceRecord r = Decoded(Hex(kRequestHex));
    EXPECT_STREQ(r.sysDescr, "");
    EXPECT_STREQ(r.sysObjectId, "");
    EXPECT_STREQ(r.macAddress, "");
}

TEST(SnmpAnswer, DecodesRealAgentAnswersOfBothVersions)
{
    for (const char* hex : {kRealAnswerV1, kRealAnswerV2c}) {
        DeviceRecord r = Decoded(Hex(hex));
        EXPECT_STREQ(r.sysDescr, "VEL MORA chromaline 7240MF");
        EXPECT_STREQ(r.sysObjectId, kModel);
        EXPECT_STREQ(r.macAddress, "02:00:00:00:00:11");
        EXPECT_STREQ(r.address, "");
        EXPECT_STREQ(r.adapterName, "");
        EXPECT_EQ(r.ipVersion, 0);
        EXPECT_TRUE(TailIsZero(r.sysDescr, sizeof r.sysDescr));
        EXPECT_TRUE(TailIsZero(r.sysObjectId, sizeof r.sysObjectId));
        EXPECT_TRUE(TailIsZero(r.macAddress, sizeof r.macAddress));
    }
}

TEST(SnmpAnswer, RejectsEveryTruncatedPrefixOfARealAnswer)
{
    const Bytes whole = Hex(kRealAnswerV1);
    for (size_t n = 0; n < whole.size(); ++n) {
        DeviceRecord r;
        std::memset(&r, 'x', sizeof r);
        // A copy of exactly n octets, so that the sanitizer sees any read past the end.
        std::vector<std::uint8_t> prefix(whole.begin(), whole.begin() + n);
        EXPECT_FALSE(DecodeDiscoveryAnswer(prefix.data(), prefix.size(), r)) << "prefix " << n;
        EXPECT_STREQ(r.sysDescr, "") << "prefix " << n;  // the candidate is left empty
    }
}

TEST(SnmpAnswer, SysDescrIsCutAt259OctetsAndAtTheFirstNul)
{
    std::string longText(300, 'd');
    longText[258] = 'E';
    DeviceRecord r = Decoded(Answer({Binding(kOidSysDescr, Str(longText))}));
    EXPECT_EQ(std::string(r.sysDescr), longText.substr(0, 259));
    EXPECT_EQ(r.sysDescr[258], 'E');

    std::string withNul("ABC\0DEF", 7);
    r = Decoded(Answer({Binding(kOidSysDescr, Str(withNul))}));
    EXPECT_STREQ(r.sysDescr, "ABC");
    EXPECT_TRUE(TailIsZero(r.sysDescr, sizeof r.sysDescr));  // "DEF" is not kept behind the NUL
}

TEST(SnmpAnswer, PhysicalAddressText)
{
    EXPECT_STREQ(Decoded(ScannerAnswer("x", kModel, Hex("001A2B3C4D5E"))).macAddress,
                 "00:1A:2B:3C:4D:5E");
    EXPECT_STREQ(Decoded(ScannerAnswer("x", kModel, Bytes{})).macAddress, "");
    EXPECT_STREQ(Decoded(ScannerAnswer("x", kModel, Hex("ab"))).macAddress, "AB");
    // Longer than 10 octets: the first 10 are kept, the field never overflows.
    DeviceRecord r = Decoded(ScannerAnswer("x", kModel, Hex("00112233445566778899AABBCCDDEEFF")));
    EXPECT_STREQ(r.macAddress, "00:11:22:33:44:55:66:77:88:99");
    EXPECT_TRUE(TailIsZero(r.macAddress, sizeof r.macAddress));
}

TEST(SnmpAnswer, ValuesAreTakenByNameWhateverTheOrderAndExtras)
{
    Bytes answer = Answer({Binding("1.3.6.1.2.1.1.5.0", Str("name")),
                           Binding(kOidIfPhysAddress1, Tlv(0x04, Hex("010203040506"))),
                           Binding(kOidSysObjectId, Oid(kModel)),
                           Binding("1.3.6.1.2.1.1.1.0.1", Str("not sysDescr.0")),
                           Binding(kOidSysDescr, Str("descr"))});
    DeviceRecord r = Decoded(answer);
    EXPECT_STREQ(r.sysDescr, "descr");
    EXPECT_STREQ(r.sysObjectId, kModel);
    EXPECT_STREQ(r.macAddress, "01:02:03:04:05:06");
}

TEST(SnmpAnswer, ASecondOccurrenceOverwritesAndOtherSyntaxesAreSkipped)
{
    Bytes answer = Answer({Binding(kOidSysDescr, Str("first")),
                           Binding(kOidSysDescr, Str("second")),
                           Binding(kOidSysObjectId, Oid("1.3.6.1.4.1.9")),
                           Binding(kOidSysObjectId, Null()),          // another syntax: skipped
                           Binding(kOidIfPhysAddress1, Tlv(0x04, Hex("0102"))),
                           Binding(kOidIfPhysAddress1, Tlv(0x04, {}))});  // empties it again
    DeviceRecord r = Decoded(answer);
    EXPECT_STREQ(r.sysDescr, "second");
    EXPECT_STREQ(r.sysObjectId, "1.3.6.1.4.1.9");
    EXPECT_STREQ(r.macAddress, "");

    // sysDescr as an OID and sysObjectID as a string are skipped; v2c exceptions too.
    r = Decoded(Answer({Binding(kOidSysDescr, Oid(kModel)), Binding(kOidSysObjectId, Str(kModel)),
                        Binding(kOidIfPhysAddress1, Tlv(0x81, {}))}, 1));
    EXPECT_STREQ(r.sysDescr, "");
    EXPECT_STREQ(r.sysObjectId, "");
    EXPECT_STREQ(r.macAddress, "");
}

TEST(SnmpAnswer, HeaderFieldsAreNotExamined)
{
    // An SNMPv1 error answer (error-status 2, sysObjectID NULL), another request-id, another
    // community and another PDU type still decode; the values decide.
    Bytes answer = Answer({Binding(kOidSysDescr, Str(kModel)), Binding(kOidSysObjectId, Null())},
                          0, 2, 77);
    DeviceRecord r = Decoded(answer);
    EXPECT_STREQ(r.sysDescr, kModel);
    EXPECT_STREQ(r.sysObjectId, "");
    EXPECT_TRUE(MatchesModel(r, kModel));

    Bytes otherCommunity = Tlv(0x30, Cat({Int(1), Str("public"),
        Tlv(0xA8, Cat({Int(9), Int(0), Int(0), Tlv(0x30, Binding(kOidSysObjectId, Oid(kModel)))}))}));
    EXPECT_STREQ(Decoded(otherCommunity).sysObjectId, kModel);
}

TEST(SnmpAnswer, ObjectIdentifierLimits)
{
    // 2.999.4294967295: a first octet in several groups and a 32-bit maximum sub-identifier.
    EXPECT_STREQ(Decoded(Answer({Binding(kOidSysObjectId, Oid("2.999.4294967295"))})).sysObjectId,
                 "2.999.4294967295");
    // One over 32 bits: the whole datagram is ignored.
    DeviceRecord r;
    EXPECT_FALSE(Decode(Answer({Binding(kOidSysDescr, Str(kModel)),
                                Binding(kOidSysObjectId, Oid("1.3.4294967296"))}), r));
    // 128 sub-identifiers are well formed (though too long as text); 129 are not.
    std::string oid128 = "1.3";
    for (int i = 0; i < 126; ++i) oid128 += ".1";
    EXPECT_TRUE(Decode(Answer({Binding(kOidSysDescr, Str("d")), Binding(kOidSysObjectId, Oid(oid128))}), r));
    EXPECT_STREQ(r.sysDescr, "d");
    EXPECT_FALSE(Decode(Answer({Binding(kOidSysDescr, Str("d")),
                                Binding(kOidSysObjectId, Oid(oid128 + ".1"))}), r));
    // Well formed but longer than 127 characters as text: the field stays empty, nothing spills.
    std::string wide = "1.3";
    for (int i = 0; i < 12; ++i) wide += ".4000000000";
    r = Decoded(Answer({Binding(kOidSysDescr, Str("d")), Binding(kOidSysObjectId, Oid(wide))}));
    EXPECT_STREQ(r.sysObjectId, "");
    EXPECT_STREQ(r.sysDescr, "d");
    // A name too long as text is not one of ours: skipped, the rest is read.
    r = Decoded(Answer({Binding(wide, Str("x")), Binding(kOidSysDescr, Str("d"))}));
    EXPECT_STREQ(r.sysDescr, "d");
}

TEST(SnmpAnswer, MalformedDatagramsAreIgnored)
{
    const Bytes good = ScannerAnswer("d", kModel);
    auto patched = [&](size_t at, std::uint8_t value) { Bytes b = good; b[at] = value; return b; };
    const Bytes cases[] = {
        Bytes{},                                        // empty
        Hex("ff"),
        Hex("0102030405060708090a"),                    // random bytes
        patched(0, 0x31),                               // outer tag not a SEQUENCE
        patched(1, 0x80),                               // indefinite length
        patched(1, static_cast<std::uint8_t>(good[1] + 1)),  // length past the end
        patched(0, 0x3F),                               // multi-octet tag
        patched(2, 0x04),                               // version not an INTEGER
        Cat({good, Hex("00")}),                         // trailing octet
        Answer({Binding(kOidSysDescr, Str("d"))}, 3),   // SNMPv3 version number
        Tlv(0x30, Cat({Int(0), Str("harbor"), Tlv(0x30, {})})),            // PDU not a PDU tag
        Tlv(0x30, Cat({Int(0), Str("harbor"), Tlv(0xA2, Cat({Int(1), Int(0), Int(0)}))})),  // no list
        Tlv(0x30, Cat({Int(0), Str("harbor"),
                       Tlv(0xA2, Cat({Tlv(0x02, {}), Int(0), Int(0), Tlv(0x30, {})}))})),  // empty int
        Tlv(0x30, Cat({Int(0), Str("harbor"),
                       Tlv(0xA2, Cat({Tlv(0x02, Hex("0102030405")), Int(0), Int(0), Tlv(0x30, {})}))})),
        Answer({Tlv(0x30, Oid(kOidSysDescr))}),         // binding without a value
        Answer({Tlv(0x30, Cat({Oid(kOidSysDescr), Str("a"), Str("b")}))}),  // three elements
        Answer({Tlv(0x31, Cat({Oid(kOidSysDescr), Str("a")}))}),            // binding not a SEQUENCE
        Answer({Tlv(0x30, Cat({Str("name"), Str("a")}))}),                  // name not an OID
        Answer({Tlv(0x30, Cat({Tlv(0x06, {}), Str("a")}))}),                // empty OID
        Answer({Tlv(0x30, Cat({Tlv(0x06, Hex("2b 86")), Str("a")}))}),      // sub-identifier cut
        Answer({Tlv(0x30, Cat({Tlv(0x06, Hex("2b 80 01")), Str("a")}))}),   // not shortest form
        Hex("30 85 00 00 00 00 05 02 01 00"),           // five length octets
        Hex("30 84 ff ff ff ff 02 01 00"),              // a huge length
    };
    int index = 0;
    for (const Bytes& bytes : cases) {
        DeviceRecord r;
        EXPECT_FALSE(Decode(bytes, r)) << "case " << index;
        EXPECT_STREQ(r.sysDescr, "") << "case " << index;
        ++index;
    }
    DeviceRecord r;
    EXPECT_FALSE(DecodeDiscoveryAnswer(nullptr, 0, r));
    EXPECT_TRUE(Decode(good, r));  // the unpatched answer is fine
}

TEST(SnmpAnswer, LongFormLengthsAreRead)
{
    // A 300-octet community needs two length octets; 0x81 form for short contents is accepted.
    Bytes answer = Tlv(0x30, Cat({Int(0), Str(std::string(300, 'c')),
                                  Tlv(0xA2, Cat({Int(1), Int(0), Int(0),
                                                 Tlv(0x30, Binding(kOidSysDescr, Str("d")))}))}));
    EXPECT_STREQ(Decoded(answer).sysDescr, "d");
    EXPECT_STREQ(Decoded(Hex("30 81 13 02 01 00 04 00 a2 81 0b 02 01 01 02 01 00 02 01 00 30 00")).sysDescr, "");
}

TEST(SnmpMatch, EqualsDescriptionOrObjectIdExactly)
{
    DeviceRecord r = EmptyDeviceRecord();
    CopyField(r.sysObjectId, sizeof r.sysObjectId, kModel);
    EXPECT_TRUE(MatchesModel(r, kModel));
    EXPECT_FALSE(MatchesModel(r, "1.3.6.1.4.1.40827.1.1.1.2.1.43.1"));   // a prefix
    EXPECT_FALSE(MatchesModel(r, "1.3.6.1.4.1.40827.1.1.1.2.1.43.1.10"));
    r = EmptyDeviceRecord();
    CopyField(r.sysDescr, sizeof r.sysDescr, "Model X");
    EXPECT_TRUE(MatchesModel(r, "Model X"));
    EXPECT_FALSE(MatchesModel(r, "model x"));  // case counts
    EXPECT_FALSE(MatchesModel(r, kModel));
}
