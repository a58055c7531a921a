// Tests of the discovery message: the request's octets, decoding a real agent's answer, how values
// are cut and repeated, malformed datagrams, and the model match. Random input is the fuzz target's.
#include <gtest/gtest.h>

#include "discovery/snmp_message.h"
#include "discovery_test_support.h"

namespace {

const char* kModel = "1.3.6.1.4.1.40827.1.1.1.2.1.43.1.1";

// SNMPv1, community "harbor", GetRequest id 1, the three names with NULL values.
const char* kRequestHex =
    "30 44 02 01 00 04 06 68 61 72 62 6f 72 a0 37 02 01 01 02 01 00 02 01 00 30 2c"
    " 30 0c 06 08 2b 06 01 02 01 01 01 00 05 00 30 0c 06 08 2b 06 01 02 01 01 02 00 05 00"
    " 30 0e 06 0a 2b 06 01 02 01 02 02 01 06 01 05 00";

// A real agent's (net-snmp snmpd) SNMPv1 answer to that request; octet 4 is the version.
const char* kRealAnswer =
    "30 77 02 01 00 04 06 68 61 72 62 6F 72 A2 6A 02 04 3A 0C 5F 32 02 01 00 02 01 00 30 5C 30 26 06"
    "08 2B 06 01 02 01 01 01 00 04 1A 56 45 4C 20 4D 4F 52 41 20 63 68 72 6F 6D 61 6C 69 6E 65 20 37"
    "32 34 30 4D 46 30 1C 06 08 2B 06 01 02 01 01 02 00 06 10 2B 06 01 04 01 82 BE 7B 01 01 01 02 01"
    "2B 01 01 30 14 06 0A 2B 06 01 02 01 02 02 01 06 01 04 06 02 00 00 00 00 11";

DeviceRecord Decoded(const Bytes& bytes)
{
    DeviceRecord record;
    EXPECT_TRUE(DecodeDiscoveryAnswer(bytes.data(), bytes.size(), record));
    return record;
}

}  // namespace

TEST(SnmpRequest, EncodesTheExactOctetsAndRefusesAShortBuffer)
{
    const Bytes expected = Hex(kRequestHex);
    std::uint8_t buffer[kSnmpRequestCapacity];
    ASSERT_EQ(EncodeDiscoveryRequest(buffer, sizeof buffer), static_cast<int>(expected.size()));
    EXPECT_EQ(Bytes(buffer, buffer + expected.size()), expected);
    EXPECT_EQ(EncodeDiscoveryRequest(buffer, expected.size() - 1), kSnmpEncodeFailed);
    const std::string longest(64, 'c');  // the longest community the settings may give still fits
    ASSERT_EQ(EncodeDiscoveryRequest(buffer, sizeof buffer, longest.c_str()), static_cast<int>(expected.size()) + 58);
    EXPECT_EQ(longest, std::string(reinterpret_cast<const char*>(buffer) + 7, 64));
}

TEST(SnmpAnswer, DecodesARealAgentsAnswerAsSnmpV1AndV2cAndMatchesItExactly)
{
    for (std::uint8_t version : {0, 1}) {
        Bytes answer = Hex(kRealAnswer);
        answer[4] = version;
        DeviceRecord r = Decoded(answer);
        EXPECT_STREQ(r.sysDescr, "VEL MORA chromaline 7240MF") << int(version);
        EXPECT_STREQ(r.sysObjectId, kModel);
        EXPECT_STREQ(r.macAddress, "02:00:00:00:00:11");
        for (const char* text : {kModel, "VEL MORA chromaline 7240MF"}) EXPECT_TRUE(MatchesModel(r, text));
        for (const char* text : {"vel mora chromaline 7240MF", "1.3.6.1.4.1.40827.1.1.1.2.1.43.1"})
            EXPECT_FALSE(MatchesModel(r, text)) << text;
    }
}

// A reply is a GetResponse with error-status 0; another PDU type or an error status is a
// well-formed message that answers nothing (the request-id is not examined); junk is undecodable.
TEST(SnmpAnswer, TellsARepliesFromOtherMessagesAndJunk)
{
    const Bytes good = ScannerAnswer("d", kModel);  // PDU tag at octet 13, error-status at 20
    auto patched = [&](size_t at, std::uint8_t value) {
        Bytes b = good;
        b[at] = value;
        return b;
    };
    const std::pair<Bytes, AnswerKind> cases[] = {
        {good, AnswerKind::Reply},
        {patched(17, 9), AnswerKind::Reply},  // another request-id
        {patched(13, 0xA0), AnswerKind::NotAReply},
        {patched(13, 0xA7), AnswerKind::NotAReply},
        {patched(20, 2), AnswerKind::NotAReply},
        {Hex("30 03 02 01"), AnswerKind::Undecodable},
    };
    for (const auto& [bytes, kind] : cases) {
        DeviceRecord r;
        EXPECT_EQ(kind, DecodeDiscoveryReply(bytes.data(), bytes.size(), r)) << testing::PrintToString(bytes);
    }
}

TEST(SnmpAnswer, CutsLongValuesAndKeepsTheLastOccurrence)
{
    std::string longText(300, 'd');
    longText[258] = 'E';
    EXPECT_EQ(Decoded(Answer({Binding(kOidSysDescr, Str(longText))})).sysDescr, longText.substr(0, 259));
    EXPECT_STREQ(Decoded(Answer({Binding(kOidSysDescr, Str(std::string("ABC\0DEF", 7)))})).sysDescr, "ABC");
    EXPECT_STREQ(Decoded(ScannerAnswer("x", kModel, Hex("0a1b2c3d4e5f60718293a4b5"))).macAddress,
                 "0A:1B:2C:3D:4E:5F:60:71:82:93");
    // A name given again overwrites, with an empty value too.
    DeviceRecord r = Decoded(
        Answer({Binding(kOidSysDescr, Str("the first, longer")), Binding(kOidSysDescr, Str("second")),
                Binding(kOidIfPhysAddress1, Tlv(0x04, Hex("0102"))), Binding(kOidIfPhysAddress1, Tlv(0x04, {}))}));
    EXPECT_STREQ(r.sysDescr, "second");
    EXPECT_STREQ(r.macAddress, "");
}

TEST(SnmpAnswer, RejectsMalformedDatagramsAndEveryTruncatedPrefixOfARealAnswerLeavingItEmpty)
{
    const Bytes real = Hex(kRealAnswer), good = ScannerAnswer("d", kModel);
    auto patched = [&](size_t at, std::uint8_t value) {
        Bytes b = good;
        b[at] = value;
        return b;
    };
    std::vector<Bytes> cases = {
        patched(1, 0x80),                                    // indefinite length
        patched(0, 0x3F),                                    // multi-octet tag
        patched(1, static_cast<std::uint8_t>(good[1] + 1)),  // length past the end
        Hex("30 84 ff ff ff ff 02 01 00"),                   // a huge length
        Answer({Binding(kOidSysDescr, Str("d"))}, 3),        // SNMPv3
        Answer({Binding(kOidSysDescr, Str("d")), Binding(kOidSysObjectId, Oid("1.3.4294967296"))}),  // > 32 bits
    };
    // Each prefix a copy of exactly its octets, so that the sanitizer sees any read past the end.
    for (size_t n = 0; n < real.size(); ++n) cases.emplace_back(real.begin(), real.begin() + n);
    for (const Bytes& bytes : cases) {
        DeviceRecord r;
        EXPECT_TRUE(!DecodeDiscoveryAnswer(bytes.data(), bytes.size(), r) && !r.sysDescr[0])
            << testing::PrintToString(bytes);
    }
}

// The details request asks for the objects of its mask under its own request-id; a Response gives
// name, location and serial (cut to their fields, an SNMPv2 exception value leaving one empty), or
// noSuchName with the error-index of the object the agent lacks.
TEST(SnmpDetails, EncodesTheRequestAndDecodesAnswersWithTheirErrorIndex)
{
    std::uint8_t buffer[kSnmpRequestCapacity];
    const int length = EncodeDetailsRequest(buffer, sizeof buffer, "harbor", kDetailsRequestIdBase | 7, 5);
    const Bytes request(buffer, buffer + length), serial = Oid(kOidPrtGeneralSerialNumber1);
    EXPECT_EQ(Cat({Hex("30 3a 02 01 00 04 06 68 61 72 62 6f 72 a0 2d 02 04 53 44 00 07 02 01 00 02 01 00 30 1f"),
                   Binding(kOidSysName, Tlv(5, {})), Binding(kOidPrtGeneralSerialNumber1, Tlv(5, {}))}),
              request);
    const std::string longName(200, 'n');
    struct Case {
        Bytes answer;
        AnswerKind kind;
        std::int32_t errorStatus, errorIndex;
        std::string name, location, serial;
    } const cases[] = {
        {DetailsAnswer(0, 0, {Binding(kOidSysName, Str(longName)), Binding(kOidSysLocation, Str("Room 301")),
                              Binding(kOidPrtGeneralSerialNumber1, Str("CL-0042"))}),
         AnswerKind::Reply, 0, 0, longName.substr(0, 127), "Room 301", "CL-0042"},
        {DetailsAnswer(2, 3, {Binding(kOidSysName, Tlv(5, {})), Binding(kOidPrtGeneralSerialNumber1, Tlv(5, {}))}),
         AnswerKind::NotAReply, 2, 3, "", "", ""},
        {DetailsAnswer(0, 0, {Binding(kOidSysName, Str("n")), Binding(kOidPrtGeneralSerialNumber1, Tlv(0x80, {}))}, 1),
         AnswerKind::Reply, 0, 0, "n", "", ""},
    };
    for (const Case& c : cases) {
        DeviceRecord r;
        SnmpPduHeader h;
        EXPECT_EQ(c.kind, DecodeSnmpReply(c.answer.data(), c.answer.size(), r, &h));
        EXPECT_TRUE(IsDetailsRequestId(h.requestId) && !IsDetailsRequestId(1));
        EXPECT_EQ(std::make_pair(c.errorStatus, c.errorIndex), std::make_pair(h.errorStatus, h.errorIndex));
        EXPECT_EQ(c.name + "|" + c.location + "|" + c.serial, std::string(r.name) + "|" + r.location + "|" + r.serial);
    }
}
