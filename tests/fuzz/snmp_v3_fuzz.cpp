// libFuzzer target: the SNMPv3 decoder on arbitrary datagrams. The first octet chooses how the rest
// is used: as a whole message (decoded without a user and with a SHA-256/AES user), as a scoped
// PDU, or as the bindings of a Response that we sign and encrypt ourselves and then decode (so the
// paths behind the MAC check are reached). Any crash, sanitizer report or broken invariant (a text
// not terminated in its field, an answer left filled after a refusal, a message of our own that does
// not verify) stops the run.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "discovery/snmp_v3_message.h"

namespace {

void CheckField(const char* field, size_t width)
{
    size_t length = strnlen(field, width);
    if (length == width) std::abort();
    for (size_t i = length; i < width; ++i)
        if (field[i] != 0) std::abort();
}

void CheckAnswer(SnmpV3Result result, const SnmpV3Answer& answer)
{
    CheckField(answer.device.sysDescr, sizeof answer.device.sysDescr);
    CheckField(answer.device.sysObjectId, sizeof answer.device.sysObjectId);
    CheckField(answer.device.macAddress, sizeof answer.device.macAddress);
    if (answer.userName[kUsmMaxUserName] != 0 || answer.engine.idLength > kUsmMaxEngineId) std::abort();
    bool taken = result == SnmpV3Result::Report || result == SnmpV3Result::Response;
    if (!taken && (answer.device.sysDescr[0] || answer.engine.idLength || answer.pduType)) std::abort();
    if (result == SnmpV3Result::Report && answer.report == UsmReport::None) std::abort();
    if (result == SnmpV3Result::Response && answer.report != UsmReport::None) std::abort();
}

const UsmUser& User()
{
    static UsmUser user = [] {
        UsmCredentials credentials;
        UsmUser localized;
        const std::uint8_t engine[] = {0x80, 0x00, 0x1f, 0x88, 0x04, 0x66, 0x75, 0x7a, 0x7a};
        if (UsmDeriveCredentials("fuzz", UsmAuth::Sha256, UsmPriv::Aes128, "fuzzpass1", "fuzzpass2", credentials) !=
                UsmStatus::Ok ||
            UsmLocalize(credentials, engine, sizeof engine, localized) != UsmStatus::Ok)
            std::abort();
        return localized;
    }();
    return user;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const std::uint8_t mode = data[0] % 3;
    ++data;
    --size;
    SnmpV3Answer answer;
    if (mode == 0) {
        CheckAnswer(DecodeV3Message(data, size, nullptr, answer), answer);
        CheckAnswer(DecodeV3Message(data, size, &User(), answer), answer);
    } else if (mode == 1) {
        std::memset(&answer, 0, sizeof answer);
        SnmpV3Result result = DecodeV3ScopedPdu(data, size, answer);
        if (result == SnmpV3Result::Response || result == SnmpV3Result::Report) CheckAnswer(result, answer);
    } else {
        SnmpEngine engine = {{0x80, 0x00, 0x1f, 0x88, 0x04, 0x66, 0x75, 0x7a, 0x7a}, 9, 3, 4000};
        const std::uint8_t salt[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        SnmpV3Outgoing message = {1, false, 0xA2, 2, data, size, salt};
        std::uint8_t buffer[4096];
        int length = EncodeV3Message(&User(), engine, message, buffer, sizeof buffer);
        if (length < 0) return 0;
        SnmpV3Result result = DecodeV3Message(buffer, static_cast<size_t>(length), &User(), answer);
        if (result != SnmpV3Result::Response && result != SnmpV3Result::DecryptionFailed) std::abort();
        CheckAnswer(result, answer);
    }
    return 0;
}
