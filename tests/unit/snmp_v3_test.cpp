// Tests of SNMPv3 security and its codec: the platform's crypto against published vectors, the
// RFC 3414 key derivation, the RFC 3826 IV, messages made and read back, every change to a protected
// message refused, every truncated prefix refused, and the Report reasons. Runs natively (OpenSSL)
// and under Wine (CNG). Random input is the fuzz target's (tests/fuzz/snmp_v3_fuzz.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "discovery/ber.h"
#include "discovery/snmp_v3_exchange.h"
#include "discovery/snmp_v3_message.h"
#include "discovery_test_support.h"
#include "platform/crypto.h"

namespace {

std::string HexOf(const std::uint8_t* data, size_t length)
{
    std::string out;
    char pair[3];
    for (size_t i = 0; i < length; ++i) out += (std::snprintf(pair, sizeof pair, "%02x", data[i]), pair);
    return out;
}

const Bytes kEngineId = Hex("000000000000000000000002");  // RFC 3414 A.3's engine ID

UsmUser User(UsmAuth auth, UsmPriv priv, const char* authPass = "maplesyrup", const char* privPass = "privpass12")
{
    UsmCredentials credentials;
    EXPECT_EQ(UsmDeriveCredentials("scan", auth, priv, authPass, privPass, credentials), UsmStatus::Ok);
    UsmUser user;
    EXPECT_EQ(UsmLocalize(credentials, kEngineId.data(), kEngineId.size(), user), UsmStatus::Ok);
    return user;
}

SnmpEngine Engine()
{
    SnmpEngine engine = {};
    std::memcpy(engine.id, kEngineId.data(), kEngineId.size());
    engine.idLength = kEngineId.size();
    engine.boots = 7;
    engine.time = 123456;
    return engine;
}

// An agent's message: a Response with the scanner's three objects, or a Report naming oid.
Bytes AgentMessage(const UsmUser* user, std::uint8_t pduType, const std::string& reportOid = "")
{
    Bytes bindings = pduType == 0xA2 ? Cat({Binding("1.3.6.1.2.1.1.1.0", Str("VEL MORA 7240MF")),
                                            Binding("1.3.6.1.2.1.1.2.0", Oid("1.3.6.1.4.1.40827.1")),
                                            Binding("1.3.6.1.2.1.2.2.1.6.1", Tlv(0x04, Hex("020000000011")))})
                                     : Binding(reportOid, Tlv(0x41, Hex("05")));
    const Bytes salt = Hex("0102030405060708");
    SnmpV3Outgoing message = {42, false, pduType, 9, bindings.data(), bindings.size(), salt.data()};
    std::uint8_t buffer[kSnmpV3RequestCapacity];
    int length = EncodeV3Message(user, Engine(), message, buffer, sizeof buffer);
    EXPECT_GT(length, 0);
    return Bytes(buffer, buffer + (length > 0 ? length : 0));
}

SnmpV3Result Decode(const Bytes& message, const UsmUser* user, SnmpV3Answer* answer = nullptr)
{
    SnmpV3Answer local;
    return DecodeV3Message(message.data(), message.size(), user, answer ? *answer : local);
}

}  // namespace

TEST(PlatformCrypto, PublishedVectors)
{
    std::uint8_t out[64];
    const std::string what = "what do ya want for nothing?";
    // key null: the digest of "abc" (FIPS 180); else the HMAC of RFC 2202's and RFC 4231's case 2.
    const struct {
        CryptoHash hash;
        const char* key;
        const char* expected;
    } cases[] = {
        {CryptoHash::Sha1, nullptr, "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {CryptoHash::Sha256, nullptr, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {CryptoHash::Sha1, "Jefe", "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
        {CryptoHash::Sha256, "Jefe", "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(
            c.key ? CryptoHmac(c.hash, reinterpret_cast<const std::uint8_t*>(c.key), 4, what.data(), what.size(), out)
                  : CryptoDigest(c.hash, "abc", 3, out),
            kCryptoOk);
        EXPECT_EQ(HexOf(out, CryptoDigestLength(c.hash)), c.expected);
    }
    // SP 800-38A F.3.13 (CFB128-AES128), whole blocks, a partial last block, and in place.
    const Bytes aesKey = Hex("2b7e151628aed2a6abf7158809cf4f3c"), iv = Hex("000102030405060708090a0b0c0d0e0f");
    const Bytes plain = Hex("6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51");
    const std::string cipher = "3b3fd92eb72dad20333449f8e83cfb4ac8a64537a0b3a93fcde3cdad9f1ce58b";
    for (size_t length : {size_t(32), size_t(21)}) {
        Bytes data(plain.begin(), plain.begin() + length);
        ASSERT_EQ(CryptoAes128Cfb(CryptoDirection::Encrypt, aesKey.data(), iv.data(), data.data(), length, data.data()),
                  kCryptoOk);
        EXPECT_EQ(HexOf(data.data(), length), cipher.substr(0, length * 2));
        ASSERT_EQ(CryptoAes128Cfb(CryptoDirection::Decrypt, aesKey.data(), iv.data(), data.data(), length, out),
                  kCryptoOk);
        EXPECT_EQ(Bytes(out, out + length), Bytes(plain.begin(), plain.begin() + length));
    }
    std::uint8_t a[32] = {}, b[32] = {};
    ASSERT_EQ(CryptoRandom(a, sizeof a), kCryptoOk);
    ASSERT_EQ(CryptoRandom(b, sizeof b), kCryptoOk);
    EXPECT_NE(HexOf(a, 32), HexOf(b, 32));
}

// RFC 3414 A.3.2 (SHA) and the same derivation with SHA-256; the SHA-256 values were computed
// independently with Python's hashlib (net-snmp's tools here offer no SHA-256 key output).
TEST(UsmKeys, PasswordToKeyAndLocalisationVectors)
{
    const struct {
        UsmAuth auth;
        const char* ku;
        const char* kul;
    } cases[] = {
        {UsmAuth::Sha1, "9fb5cc0381497b3793528939ff788d5d79145211", "6695febc9288e36282235fc7151f128497b38f3f"},
        {UsmAuth::Sha256, "ab51014d1e077f6017df2b12bee5f5aa72993177e9bb569c4dff5a4ca0b4afac",
         "8982e0e549e866db361a6b625d84cccc11162d453ee8ce3a6445c2d6776f0f8b"},
    };
    for (const auto& c : cases) {
        std::uint8_t ku[kUsmMaxKey], kul[kUsmMaxKey];
        ASSERT_EQ(UsmPasswordToKey(c.auth, "maplesyrup", 10, ku), UsmStatus::Ok);
        EXPECT_EQ(HexOf(ku, UsmKeyLength(c.auth)), c.ku);
        ASSERT_EQ(UsmLocalizeKey(c.auth, ku, kEngineId.data(), kEngineId.size(), kul), UsmStatus::Ok);
        EXPECT_EQ(HexOf(kul, UsmKeyLength(c.auth)), c.kul);
        EXPECT_EQ(HexOf(User(c.auth, UsmPriv::None).authKey, UsmKeyLength(c.auth)), c.kul);
        EXPECT_EQ(UsmPasswordToKey(c.auth, "maplesy", 7, ku), UsmStatus::ShortPassphrase);
    }
    UsmCredentials credentials;
    for (const std::string& name : {std::string(), std::string(33, 'u')})
        EXPECT_EQ(UsmDeriveCredentials(name.c_str(), UsmAuth::Sha1, UsmPriv::None, "maplesyrup", nullptr, credentials),
                  UsmStatus::BadUserName);
    EXPECT_EQ(UsmLocalizeKey(UsmAuth::Sha1, credentials.authKey, Bytes(33).data(), 33, credentials.privKey),
              UsmStatus::BadEngineId);
}

// RFC 3826 3.1.2.1: IV = boots (4 octets) || time (4 octets) || salt; the cipher key is the first
// 16 octets of the localised privacy key: what a request carries decrypts with exactly these.
TEST(UsmKeys, AesIvAndKeyRules)
{
    std::uint8_t iv[16];
    const Bytes salt = Hex("a1a2a3a4a5a6a7a8");
    UsmAesIv(0x01020304, 0x8a0b0c0d, salt.data(), iv);
    EXPECT_EQ(HexOf(iv, 16), "010203048a0b0c0da1a2a3a4a5a6a7a8");

    UsmUser user = User(UsmAuth::Sha256, UsmPriv::Aes128);
    std::uint8_t request[kSnmpV3RequestCapacity];
    int length = EncodeV3DiscoveryRequest(user, Engine(), 5, 6, salt.data(), request, sizeof request);
    ASSERT_GT(length, 0);
    Bytes message(request, request + length);
    std::uint8_t tail[4] = {0x04, 0x08};  // the privacy parameters, then the encryptedPDU
    std::memcpy(tail + 2, salt.data(), 2);
    auto at = std::search(message.begin(), message.end(), tail, tail + 4) + 10;
    ASSERT_EQ(*at, 0x04);
    size_t cipherLength = at[1];
    UsmAesIv(7, 123456, salt.data(), iv);
    std::uint8_t plain[256];
    ASSERT_EQ(CryptoAes128Cfb(CryptoDirection::Decrypt, user.privKey, iv, &at[2], cipherLength, plain), kCryptoOk);
    EXPECT_EQ(plain[0], 0x30);  // the scoped PDU: contextEngineID, contextName, the GetRequest
    EXPECT_EQ(HexOf(plain + 2, 16), "040c" + HexOf(kEngineId.data(), 12) + "0400");
    EXPECT_EQ(plain[16 + 2], 0xA0);
}

TEST(SnmpV3Codec, RoundTripsAndRefusesEveryAlteredOrTruncatedMessage)
{
    for (UsmAuth auth : {UsmAuth::Sha1, UsmAuth::Sha256})
        for (UsmPriv priv : {UsmPriv::None, UsmPriv::Aes128}) {
            SCOPED_TRACE(std::string(UsmAuthName(auth)) + "/" + UsmPrivName(priv));
            const UsmUser user = User(auth, priv);
            const Bytes response = AgentMessage(&user, 0xA2);
            SnmpV3Answer answer;
            ASSERT_EQ(Decode(response, &user, &answer), SnmpV3Result::Response);
            EXPECT_STREQ(answer.device.sysDescr, "VEL MORA 7240MF");
            EXPECT_STREQ(answer.device.sysObjectId, "1.3.6.1.4.1.40827.1");
            EXPECT_STREQ(answer.device.macAddress, "02:00:00:00:00:11");
            EXPECT_EQ(HexOf(answer.engine.id, answer.engine.idLength), HexOf(kEngineId.data(), kEngineId.size()));
            EXPECT_EQ(answer.engine.boots, 7);
            EXPECT_EQ(answer.engine.time, 123456);
            EXPECT_EQ(answer.requestId, 9);
            EXPECT_STREQ(answer.userName, "scan");
            EXPECT_TRUE(answer.authenticated);
            EXPECT_EQ(answer.encrypted, priv == UsmPriv::Aes128);

            UsmUser wrong = User(auth, priv, "maplesyrup!");
            EXPECT_EQ(Decode(response, &wrong), SnmpV3Result::WrongDigest);
            EXPECT_EQ(Decode(response, nullptr), SnmpV3Result::WrongDigest);
            if (priv == UsmPriv::Aes128) {
                wrong = User(auth, priv, "maplesyrup", "otherpass");
                EXPECT_EQ(Decode(response, &wrong), SnmpV3Result::DecryptionFailed);
            }
            for (size_t i = 0; i < response.size(); ++i) {
                Bytes altered = response;
                altered[i] ^= 0x01;
                ASSERT_NE(Decode(altered, &user), SnmpV3Result::Response) << "octet " << i;
            }
            for (size_t n = 0; n < response.size(); ++n)
                ASSERT_EQ(Decode(Bytes(response.begin(), response.begin() + n), &user, &answer),
                          SnmpV3Result::Malformed)
                    << "prefix " << n;
            EXPECT_EQ(answer.device.sysDescr[0], '\0');
        }
    // Without authentication a Response is refused and a Report read; a request is no answer.
    EXPECT_EQ(Decode(AgentMessage(nullptr, 0xA2), nullptr), SnmpV3Result::Unauthenticated);
    std::uint8_t request[kSnmpV3RequestCapacity];
    int length = EncodeEngineDiscoveryRequest(1, 2, request, sizeof request);
    ASSERT_GT(length, 0);
    EXPECT_EQ(Decode(Bytes(request, request + length), nullptr), SnmpV3Result::Malformed);
    EXPECT_EQ(EncodeEngineDiscoveryRequest(1, 2, request, static_cast<size_t>(length) - 1), kSnmpV3BufferTooSmall);
}

TEST(SnmpV3Codec, ReportsNameTheirReason)
{
    const struct {
        const char* oid;
        UsmReport report;
        const char* name;
    } cases[] = {
        {"1.3.6.1.6.3.15.1.1.1.0", UsmReport::UnsupportedLevel, "unsupported-level"},
        {"1.3.6.1.6.3.15.1.1.2.0", UsmReport::NotInTimeWindow, "not-in-time-window"},
        {"1.3.6.1.6.3.15.1.1.3.0", UsmReport::UnknownUser, "unknown-user"},
        {"1.3.6.1.6.3.15.1.1.4.0", UsmReport::UnknownEngine, "unknown-engine"},
        {"1.3.6.1.6.3.15.1.1.5.0", UsmReport::WrongDigest, "wrong-digest"},
        {"1.3.6.1.6.3.15.1.1.6.0", UsmReport::DecryptionError, "decryption-error"},
        {"1.3.6.1.6.3.11.2.1.3.0", UsmReport::Other, "other-report"},
    };
    const UsmUser user = User(UsmAuth::Sha256, UsmPriv::Aes128);
    for (const auto& c : cases) {
        SnmpV3Answer answer;
        ASSERT_EQ(Decode(AgentMessage(nullptr, 0xA8, c.oid), nullptr, &answer), SnmpV3Result::Report) << c.oid;
        EXPECT_EQ(answer.report, c.report) << c.oid;
        EXPECT_STREQ(UsmReportName(answer.report), c.name);
        EXPECT_FALSE(answer.authenticated);
        EXPECT_EQ(answer.engine.boots, 7);  // the engine's boots and time, for resynchronising
        ASSERT_EQ(Decode(AgentMessage(&user, 0xA8, c.oid), &user, &answer), SnmpV3Result::Report) << c.oid;
        EXPECT_EQ(answer.report, c.report);
        EXPECT_TRUE(answer.authenticated);
    }
}

// The manager's exchange against a scripted agent of engine kEngineId: each reply answers the
// request just sent (its message ID read back), as the agent's script says. Replies signed with
// another user's keys or not at all never count, and the time window is resynchronised once only.
TEST(SnmpV3Exchange, EngineDiscoveryThenTheSignedRequestAndEveryWayItEnds)
{
    enum Reply { kEngine, kResponse, kForged, kPlain, kUnknownUser, kLate, kSilent };
    const char *kUnknownUserOid = "1.3.6.1.6.3.15.1.1.3.0", *kLateOid = "1.3.6.1.6.3.15.1.1.2.0";
    const struct {
        UsmPriv priv;
        std::vector<Reply> script;
        V3Step end;
        size_t sent;
        bool engineKnown;
    } cases[] = {
        {UsmPriv::None, {kEngine, kResponse}, V3Step::Answered, 2, true},
        {UsmPriv::Aes128, {kEngine, kResponse}, V3Step::Answered, 2, true},
        {UsmPriv::Aes128, {kEngine, kForged, kPlain, kSilent}, V3Step::Ignored, 2, true},
        {UsmPriv::None, {kEngine, kUnknownUser}, V3Step::Rejected, 2, true},
        {UsmPriv::None, {kEngine, kLate, kResponse}, V3Step::Answered, 3, true},
        {UsmPriv::None, {kEngine, kLate, kLate}, V3Step::Rejected, 3, true},
        {UsmPriv::None, {kSilent}, V3Step::Ignored, 1, false},
    };
    for (const auto& c : cases) {
        UsmCredentials credentials;
        ASSERT_EQ(UsmDeriveCredentials("scan", UsmAuth::Sha256, c.priv, "maplesyrup", "privpass12", credentials),
                  UsmStatus::Ok);
        const UsmUser agentUser = User(UsmAuth::Sha256, c.priv), stranger = User(UsmAuth::Sha256, c.priv, "otherpass1");
        SnmpV3Exchange exchange(credentials);
        std::uint8_t request[kSnmpV3RequestCapacity];
        int length = exchange.Start(request, sizeof request);
        size_t sent = 1;
        V3Step step = V3Step::Ignored;
        for (Reply reply : c.script) {
            if (reply == kSilent) break;
            // The message ID of the request, as an agent reads it: the first INTEGER of msgGlobalData.
            Ber::Cursor message{request, request + length}, whole, global;
            std::int32_t version = 0, messageId = 0;
            ASSERT_TRUE(Ber::ReadExpected(message, 0x30, &whole) && Ber::ReadInteger(whole, &version) &&
                        Ber::ReadExpected(whole, 0x30, &global) && Ber::ReadInteger(global, &messageId));
            const Bytes bindings = reply == kResponse || reply == kForged || reply == kPlain
                                       ? Cat({Binding("1.3.6.1.2.1.1.1.0", Str("VEL MORA 7240MF"))})
                                       : Binding(reply == kUnknownUser ? kUnknownUserOid
                                                 : reply == kLate      ? kLateOid
                                                                       : "1.3.6.1.6.3.15.1.1.4.0",
                                                 Tlv(0x41, Hex("05")));
            const UsmUser* signer = reply == kResponse || reply == kLate ? &agentUser
                                    : reply == kForged                   ? &stranger
                                                                         : nullptr;
            const Bytes salt = Hex("0102030405060708");
            SnmpV3Outgoing out = {
                messageId,
                false,
                static_cast<std::uint8_t>(reply == kResponse || reply == kForged || reply == kPlain ? 0xA2 : 0xA8),
                0,
                bindings.data(),
                bindings.size(),
                salt.data()};
            SnmpEngine engine = Engine();
            if (reply == kLate) engine.time += 1000;
            std::uint8_t datagram[kSnmpV3RequestCapacity];
            const int size = EncodeV3Message(signer, engine, out, datagram, sizeof datagram);
            ASSERT_GT(size, 0);
            int next = 0;
            step = exchange.Take(datagram, static_cast<size_t>(size), request, sizeof request, &next);
            if (step == V3Step::Send) length = next, ++sent;
        }
        EXPECT_EQ(c.end, step);
        EXPECT_EQ(c.sent, sent);
        EXPECT_EQ(c.engineKnown, exchange.EngineKnown());
        EXPECT_STREQ(c.end == V3Step::Answered ? "VEL MORA 7240MF" : "", exchange.Device().sysDescr);
        EXPECT_EQ(c.end == V3Step::Rejected, exchange.Report() != UsmReport::None);
    }
}
