// The SNMPv3 codec: requests encoded backwards into a fixed buffer, signed (and encrypted) in
// place; answers decoded with bounded cursors, verified before anything protected is read.
#include "discovery/snmp_v3_message.h"

#include <cstring>
#include <vector>

#include "discovery/ber.h"
#include "discovery/snmp_message.h"
#include "platform/crypto.h"

using namespace Ber;

namespace {

constexpr std::int32_t kVersion3 = 3;
constexpr std::int32_t kSecurityModelUsm = 3;
constexpr std::int32_t kMinMessageSize = 484;  // RFC 3412: msgMaxSize is at least 484
constexpr std::uint8_t kFlagAuth = 0x01;
constexpr std::uint8_t kFlagPriv = 0x02;
constexpr std::uint8_t kFlagReportable = 0x04;
// The longest authentication or privacy parameters read (the longest MAC is 24 octets).
constexpr size_t kMaxSecurityField = 64;

// The usmStats counters (usmStats, 1.3.6.1.6.3.15.1.1) a Report may name, and their reasons.
struct ReportCounter {
    const char* oid;
    UsmReport report;
};
constexpr ReportCounter kReportCounters[] = {
    {"1.3.6.1.6.3.15.1.1.1.0", UsmReport::UnsupportedLevel}, {"1.3.6.1.6.3.15.1.1.2.0", UsmReport::NotInTimeWindow},
    {"1.3.6.1.6.3.15.1.1.3.0", UsmReport::UnknownUser},      {"1.3.6.1.6.3.15.1.1.4.0", UsmReport::UnknownEngine},
    {"1.3.6.1.6.3.15.1.1.5.0", UsmReport::WrongDigest},      {"1.3.6.1.6.3.15.1.1.6.0", UsmReport::DecryptionError},
};

CryptoHash HashOf(UsmAuth auth)
{
    return auth == UsmAuth::Sha256 ? CryptoHash::Sha256 : CryptoHash::Sha1;
}

SnmpV3Answer EmptyAnswer()
{
    SnmpV3Answer answer;
    std::memset(&answer, 0, sizeof answer);
    answer.device = EmptyDeviceRecord();
    return answer;
}

// Writes everything in front of msgData: the security parameters (their authentication field is
// macLength zero octets; *authFromEnd receives the distance from that field to the buffer's end),
// the global data and the version, and wraps the message.
void PutHeaderAndWrap(BerWriter& w, std::int32_t messageId, std::uint8_t flags, const SnmpEngine& engine,
                      const char* userName, size_t macLength, const std::uint8_t* salt, size_t* authFromEnd)
{
    size_t securityMark = Written(w);
    PutOctetString(w, salt, salt != nullptr ? kUsmSaltLength : 0);
    static const std::uint8_t kZeros[kMaxSecurityField] = {};
    PutOctets(w, kZeros, macLength);
    *authFromEnd = Written(w);
    PutHeader(w, kTagOctetString, macLength);
    size_t nameLength = 0;  // at most 32 octets, even from a name without its NUL
    while (nameLength < kUsmMaxUserName && userName[nameLength] != '\0') ++nameLength;
    PutOctetString(w, reinterpret_cast<const std::uint8_t*>(userName), nameLength);
    PutInteger(w, engine.time);
    PutInteger(w, engine.boots);
    PutOctetString(w, engine.id, engine.idLength);
    PutHeader(w, kTagSequence, Written(w) - securityMark);
    PutHeader(w, kTagOctetString, Written(w) - securityMark);

    size_t globalMark = Written(w);
    PutInteger(w, kSecurityModelUsm);
    PutOctetString(w, &flags, 1);
    PutInteger(w, kSnmpV3MaxMessageSize);
    PutInteger(w, messageId);
    PutHeader(w, kTagSequence, Written(w) - globalMark);
    PutInteger(w, kVersion3);
    PutHeader(w, kTagSequence, Written(w));
}

int Finish(BerWriter& w, std::uint8_t* buffer)
{
    if (!w.ok) return kSnmpV3BufferTooSmall;
    size_t length = Written(w);
    std::memmove(buffer, w.pos, length);
    return static_cast<int>(length);
}

// True when a and b hold the same length octets; the time taken does not depend on where they differ.
bool SameOctets(const std::uint8_t* a, const std::uint8_t* b, size_t length)
{
    std::uint8_t difference = 0;
    for (size_t i = 0; i < length; ++i) difference |= static_cast<std::uint8_t>(a[i] ^ b[i]);
    return difference == 0;
}

bool ReadOctets(Cursor& c, size_t maxLength, Cursor* contents)
{
    return ReadExpected(c, kTagOctetString, contents) && contents->Left() <= maxLength;
}

bool ReadNonNegative(Cursor& c, std::int32_t* value)
{
    return ReadInteger(c, value) && *value >= 0;
}

// The reason named by a Report's binding list: its first binding's name; Other without one.
bool DecodeReportBindings(Cursor list, UsmReport* report)
{
    *report = UsmReport::Other;
    for (bool first = true; list.Left() != 0; first = false) {
        Cursor binding, name, value;
        std::uint8_t valueTag;
        if (!ReadExpected(list, kTagSequence, &binding) || !ReadExpected(binding, kTagObjectId, &name) ||
            !ReadElement(binding, &valueTag, &value) || binding.Left() != 0)
            return false;
        char text[128];
        OidResult result = DecodeObjectId(name, text, sizeof text);
        if (result == OidResult::Malformed) return false;
        if (!first || result != OidResult::Ok) continue;
        for (const ReportCounter& counter : kReportCounters)
            if (std::strcmp(text, counter.oid) == 0) *report = counter.report;
    }
    return true;
}

}  // namespace

int EncodeV3Message(const UsmUser* user, const SnmpEngine& engine, const SnmpV3Outgoing& message, std::uint8_t* buffer,
                    size_t capacity)
{
    bool privacy = user != nullptr && user->priv == UsmPriv::Aes128;
    if (buffer == nullptr || engine.idLength > kUsmMaxEngineId || (privacy && message.salt == nullptr) ||
        (message.bindings == nullptr && message.bindingsLength != 0))
        return kSnmpV3BufferTooSmall;
    BerWriter w = {buffer, buffer + capacity, buffer + capacity, true};
    size_t scopedMark = Written(w);
    PutOctets(w, message.bindings, message.bindingsLength);
    PutHeader(w, kTagSequence, message.bindingsLength);
    PutSmallInteger(w, 0);  // error-index
    PutSmallInteger(w, 0);  // error-status
    PutInteger(w, message.requestId);
    PutHeader(w, message.pduType, Written(w) - scopedMark);
    PutOctetString(w, nullptr, 0);                  // contextName
    PutOctetString(w, engine.id, engine.idLength);  // contextEngineID
    PutHeader(w, kTagSequence, Written(w) - scopedMark);
    if (privacy && w.ok) {
        // The scoped PDU is encrypted where it stands and becomes the encryptedPDU's contents.
        std::uint8_t iv[kCryptoAesBlockLength];
        UsmAesIv(static_cast<std::uint32_t>(engine.boots), static_cast<std::uint32_t>(engine.time), message.salt, iv);
        size_t length = Written(w) - scopedMark;
        if (CryptoAes128Cfb(CryptoDirection::Encrypt, user->privKey, iv, w.pos, length, w.pos) != kCryptoOk)
            return kSnmpV3CryptoFailed;
        PutHeader(w, kTagOctetString, length);
    }
    std::uint8_t flags = static_cast<std::uint8_t>((message.reportable ? kFlagReportable : 0) |
                                                   (user != nullptr ? kFlagAuth : 0) | (privacy ? kFlagPriv : 0));
    size_t macLength = user != nullptr ? UsmMacLength(user->auth) : 0;
    size_t authFromEnd = 0;
    PutHeaderAndWrap(w, message.messageId, flags, engine, user != nullptr ? user->userName : "", macLength,
                     privacy ? message.salt : nullptr, &authFromEnd);
    int length = Finish(w, buffer);
    if (length < 0 || user == nullptr) return length;

    std::uint8_t mac[kCryptoMaxDigest];
    if (CryptoHmac(HashOf(user->auth), user->authKey, UsmKeyLength(user->auth), buffer, static_cast<size_t>(length),
                   mac) != kCryptoOk)
        return kSnmpV3CryptoFailed;
    std::memcpy(buffer + (static_cast<size_t>(length) - authFromEnd), mac, macLength);
    return length;
}

int EncodeEngineDiscoveryRequest(std::int32_t messageId, std::int32_t requestId, std::uint8_t* buffer, size_t capacity)
{
    SnmpEngine unknown = {};
    SnmpV3Outgoing message = {messageId, true, kTagGetRequest, requestId, nullptr, 0, nullptr};
    return EncodeV3Message(nullptr, unknown, message, buffer, capacity);
}

int EncodeV3DiscoveryRequest(const UsmUser& user, const SnmpEngine& engine, std::int32_t messageId,
                             std::int32_t requestId, const std::uint8_t* salt, std::uint8_t* buffer, size_t capacity)
{
    const char* names[] = {kOidSysDescr, kOidSysObjectId, kOidIfPhysAddress1};
    return EncodeV3GetRequest(user, engine, messageId, requestId, names, 3, salt, buffer, capacity);
}

int EncodeV3GetRequest(const UsmUser& user, const SnmpEngine& engine, std::int32_t messageId, std::int32_t requestId,
                       const char* const* names, size_t count, const std::uint8_t* salt, std::uint8_t* buffer,
                       size_t capacity)
{
    // The bindings, each name with a NULL value.
    std::uint8_t bindings[128];
    BerWriter w = {bindings, bindings + sizeof bindings, bindings + sizeof bindings, true};
    if (count > 3) return kSnmpV3BufferTooSmall;
    for (size_t i = count; i-- > 0;) {
        size_t bindingMark = Written(w);
        PutHeader(w, kTagNull, 0);
        PutObjectId(w, names[i]);
        PutHeader(w, kTagSequence, Written(w) - bindingMark);
    }
    if (!w.ok) return kSnmpV3BufferTooSmall;
    SnmpV3Outgoing message = {messageId, true, kTagGetRequest, requestId, w.pos, Written(w), salt};
    return EncodeV3Message(&user, engine, message, buffer, capacity);
}

const char* UsmReportName(UsmReport report)
{
    switch (report) {
    case UsmReport::None:
        return "";
    case UsmReport::UnknownUser:
        return "unknown-user";
    case UsmReport::WrongDigest:
        return "wrong-digest";
    case UsmReport::DecryptionError:
        return "decryption-error";
    case UsmReport::UnsupportedLevel:
        return "unsupported-level";
    case UsmReport::NotInTimeWindow:
        return "not-in-time-window";
    case UsmReport::UnknownEngine:
        return "unknown-engine";
    case UsmReport::Other:
        break;
    }
    return "other-report";
}

SnmpV3Result DecodeV3ScopedPdu(const std::uint8_t* data, size_t length, SnmpV3Answer& answer)
{
    if (data == nullptr) return SnmpV3Result::Malformed;
    Cursor c = {data, data + length};
    Cursor scoped, contextEngine, contextName, pdu, list;
    std::uint8_t pduTag;
    std::int32_t requestId, errorStatus, errorIndex;
    if (!ReadExpected(c, kTagSequence, &scoped) || c.Left() != 0) return SnmpV3Result::Malformed;
    if (!ReadOctets(scoped, kUsmMaxEngineId, &contextEngine) || !ReadExpected(scoped, kTagOctetString, &contextName))
        return SnmpV3Result::Malformed;
    if (!ReadElement(scoped, &pduTag, &pdu) || scoped.Left() != 0) return SnmpV3Result::Malformed;
    if (pduTag != kTagResponse && pduTag != kTagReport) return SnmpV3Result::Malformed;
    if (!ReadInteger(pdu, &requestId) || !ReadInteger(pdu, &errorStatus) || !ReadInteger(pdu, &errorIndex))
        return SnmpV3Result::Malformed;
    if (!ReadExpected(pdu, kTagSequence, &list) || pdu.Left() != 0) return SnmpV3Result::Malformed;

    DeviceRecord device = EmptyDeviceRecord();
    UsmReport report = UsmReport::None;
    if (pduTag == kTagResponse ? !DecodeDiscoveryBindings(list.pos, list.Left(), device)
                               : !DecodeReportBindings(list, &report))
        return SnmpV3Result::Malformed;
    answer.pduType = pduTag;
    answer.requestId = requestId;
    answer.errorStatus = errorStatus;
    answer.errorIndex = errorIndex;
    answer.report = report;
    answer.device = device;
    return pduTag == kTagResponse ? SnmpV3Result::Response : SnmpV3Result::Report;
}

SnmpV3Result DecodeV3Message(const std::uint8_t* data, size_t length, const UsmUser* user, SnmpV3Answer& answer)
{
    answer = EmptyAnswer();
    if (data == nullptr) return SnmpV3Result::Malformed;
    Cursor datagram = {data, data + length};
    Cursor message, global, flagsField, securityField, security, engineId, userName, authField, privField, msgData;
    std::int32_t version, messageId, maxSize, model, boots, time;
    std::uint8_t dataTag;

    if (!ReadExpected(datagram, kTagSequence, &message) || datagram.Left() != 0) return SnmpV3Result::Malformed;
    if (!ReadInteger(message, &version) || version != kVersion3) return SnmpV3Result::Malformed;
    if (!ReadExpected(message, kTagSequence, &global) || !ReadNonNegative(global, &messageId) ||
        !ReadInteger(global, &maxSize) || maxSize < kMinMessageSize || !ReadOctets(global, 1, &flagsField) ||
        flagsField.Left() != 1 || !ReadInteger(global, &model) || model != kSecurityModelUsm || global.Left() != 0)
        return SnmpV3Result::Malformed;
    std::uint8_t flags = flagsField.pos[0];
    bool authenticated = (flags & kFlagAuth) != 0;
    bool encrypted = (flags & kFlagPriv) != 0;
    if (encrypted && !authenticated) return SnmpV3Result::Malformed;

    if (!ReadExpected(message, kTagOctetString, &securityField) ||
        !ReadExpected(securityField, kTagSequence, &security) || securityField.Left() != 0)
        return SnmpV3Result::Malformed;
    if (!ReadOctets(security, kUsmMaxEngineId, &engineId) || !ReadNonNegative(security, &boots) ||
        !ReadNonNegative(security, &time) || !ReadOctets(security, kUsmMaxUserName, &userName) ||
        !ReadOctets(security, kMaxSecurityField, &authField) || !ReadOctets(security, kMaxSecurityField, &privField) ||
        security.Left() != 0)
        return SnmpV3Result::Malformed;
    const std::uint8_t* dataStart = message.pos;
    if (!ReadElement(message, &dataTag, &msgData) || message.Left() != 0) return SnmpV3Result::Malformed;
    if (dataTag != (encrypted ? kTagOctetString : kTagSequence)) return SnmpV3Result::Malformed;
    if (encrypted && privField.Left() != kUsmSaltLength) return SnmpV3Result::Malformed;

    SnmpV3Answer decoded = EmptyAnswer();
    decoded.messageId = messageId;
    std::memcpy(decoded.engine.id, engineId.pos, engineId.Left());
    decoded.engine.idLength = engineId.Left();
    decoded.engine.boots = boots;
    decoded.engine.time = time;
    std::memcpy(decoded.userName, userName.pos, userName.Left());
    decoded.authenticated = authenticated;
    decoded.encrypted = encrypted;

    if (!authenticated) {
        SnmpV3Result result = DecodeV3ScopedPdu(dataStart, static_cast<size_t>(msgData.end - dataStart), decoded);
        if (result == SnmpV3Result::Response) return SnmpV3Result::Unauthenticated;
        if (result == SnmpV3Result::Report) answer = decoded;
        return result;
    }

    // The MAC: computed over the whole message with the MAC field zeroed.
    if (user == nullptr || authField.Left() != UsmMacLength(user->auth)) return SnmpV3Result::WrongDigest;
    std::vector<std::uint8_t> copy(data, data + length);
    size_t macOffset = static_cast<size_t>(authField.pos - data);
    std::memset(copy.data() + macOffset, 0, authField.Left());
    std::uint8_t mac[kCryptoMaxDigest];
    if (CryptoHmac(HashOf(user->auth), user->authKey, UsmKeyLength(user->auth), copy.data(), copy.size(), mac) !=
            kCryptoOk ||
        !SameOctets(mac, authField.pos, authField.Left()))
        return SnmpV3Result::WrongDigest;

    SnmpV3Result result;
    if (encrypted) {
        if (user->priv != UsmPriv::Aes128) return SnmpV3Result::DecryptionFailed;
        std::uint8_t iv[kCryptoAesBlockLength];
        UsmAesIv(static_cast<std::uint32_t>(boots), static_cast<std::uint32_t>(time), privField.pos, iv);
        std::vector<std::uint8_t> plain(msgData.Left() != 0 ? msgData.Left() : 1);
        if (CryptoAes128Cfb(CryptoDirection::Decrypt, user->privKey, iv, msgData.pos, msgData.Left(), plain.data()) !=
            kCryptoOk)
            return SnmpV3Result::DecryptionFailed;
        result = DecodeV3ScopedPdu(plain.data(), msgData.Left(), decoded);
        if (result == SnmpV3Result::Malformed) return SnmpV3Result::DecryptionFailed;
    } else {
        result = DecodeV3ScopedPdu(dataStart, static_cast<size_t>(msgData.end - dataStart), decoded);
        if (result == SnmpV3Result::Malformed) return result;
    }
    answer = decoded;
    return result;
}
