// The manager's side of one SNMPv3 exchange: engine discovery, the signed request, one resync.
#include "discovery/snmp_v3_exchange.h"

#include <cstring>
#include <deque>
#include <string>

#include "platform/crypto.h"

namespace {

constexpr size_t kLocalisedUsers = 64;

// Message and request IDs count on from a random start; the salt is a 64-bit counter from a random
// start (RFC 3826 3.1.2.1), so that no salt repeats with a key within the process.
std::int32_t NextId()
{
    static std::uint32_t next = [] {
        std::uint32_t seed = 0;
        if (CryptoRandom(reinterpret_cast<std::uint8_t*>(&seed), sizeof seed) != kCryptoOk) seed = 1;
        return seed & 0x3fffffff;
    }();
    next = (next + 1) & 0x7fffffff;
    return static_cast<std::int32_t>(next);
}

void NextSalt(std::uint8_t* salt)
{
    static std::uint64_t counter = [] {
        std::uint64_t seed = 0;
        if (CryptoRandom(reinterpret_cast<std::uint8_t*>(&seed), sizeof seed) != kCryptoOk) seed = 1;
        return seed;
    }();
    ++counter;
    for (size_t i = 0; i < kUsmSaltLength; ++i) salt[i] = static_cast<std::uint8_t>(counter >> (56 - 8 * i));
}

struct CachedUser {
    std::string engineId;
    UsmCredentials credentials;
    UsmUser user;
};

bool SameCredentials(const UsmCredentials& a, const UsmCredentials& b)
{
    return std::strcmp(a.userName, b.userName) == 0 && a.auth == b.auth && a.priv == b.priv &&
           std::memcmp(a.authKey, b.authKey, sizeof a.authKey) == 0 &&
           std::memcmp(a.privKey, b.privKey, sizeof a.privKey) == 0;
}

}  // namespace

bool LocalisedUser(const UsmCredentials& credentials, const SnmpEngine& engine, UsmUser& user)
{
    static std::deque<CachedUser> cache;
    const std::string id(reinterpret_cast<const char*>(engine.id), engine.idLength);
    for (const CachedUser& c : cache) {
        if (c.engineId != id || !SameCredentials(c.credentials, credentials)) continue;
        user = c.user;
        return true;
    }
    if (UsmLocalize(credentials, engine.id, engine.idLength, user) != UsmStatus::Ok) return false;
    if (cache.size() == kLocalisedUsers) cache.pop_front();
    cache.push_back(CachedUser{id, credentials, user});
    return true;
}

SnmpV3Exchange::SnmpV3Exchange(const UsmCredentials& credentials) : credentials_(credentials)
{
}

SnmpV3Exchange::SnmpV3Exchange(const UsmCredentials& credentials, const char* const* names, size_t count)
    : credentials_(credentials), names_(names), nameCount_(count)
{
}

int SnmpV3Exchange::Start(std::uint8_t* buffer, size_t capacity)
{
    engineKnown_ = resynchronised_ = over_ = false;
    report_ = UsmReport::None;
    device_ = EmptyDeviceRecord();
    return Again(buffer, capacity);
}

int SnmpV3Exchange::StartKnown(const SnmpEngine& engine, std::uint8_t* buffer, size_t capacity)
{
    resynchronised_ = over_ = false;
    report_ = UsmReport::None;
    device_ = EmptyDeviceRecord();
    engine_ = engine;
    engineKnown_ = true;
    if (!LocalisedUser(credentials_, engine_, user_)) {
        over_ = true;
        return kSnmpV3CryptoFailed;
    }
    return Again(buffer, capacity);
}

int EncodeSearchEngineDiscovery(std::uint8_t* buffer, size_t capacity)
{
    const std::int32_t messageId = NextId();
    return EncodeEngineDiscoveryRequest(messageId, NextId(), buffer, capacity);
}

int SnmpV3Exchange::Again(std::uint8_t* buffer, size_t capacity)
{
    messageId_ = NextId();
    const std::int32_t requestId = NextId();
    if (!engineKnown_) return EncodeEngineDiscoveryRequest(messageId_, requestId, buffer, capacity);
    std::uint8_t salt[kUsmSaltLength];
    NextSalt(salt);
    if (names_ != nullptr)
        return EncodeV3GetRequest(user_, engine_, messageId_, requestId, names_, nameCount_, salt, buffer, capacity);
    return EncodeV3DiscoveryRequest(user_, engine_, messageId_, requestId, salt, buffer, capacity);
}

V3Step SnmpV3Exchange::Take(const std::uint8_t* data, size_t length, std::uint8_t* buffer, size_t capacity,
                            int* written)
{
    if (over_) return V3Step::Ignored;
    SnmpV3Answer answer;
    const SnmpV3Result result = DecodeV3Message(data, length, engineKnown_ ? &user_ : nullptr, answer);
    if ((result != SnmpV3Result::Report && result != SnmpV3Result::Response) || answer.messageId != messageId_)
        return V3Step::Ignored;

    if (!engineKnown_) {
        // Engine discovery: the agent's Report names its engine, boots and time.
        if (result != SnmpV3Result::Report || answer.report != UsmReport::UnknownEngine || answer.engine.idLength == 0)
            return V3Step::Ignored;
        engine_ = answer.engine;
        engineKnown_ = true;
        if (!LocalisedUser(credentials_, engine_, user_)) return over_ = true, V3Step::Failed;
    } else if (result == SnmpV3Result::Response) {
        // The message ID ties the Response to the request (RFC 3412 7.2); only a verified one counts.
        if (!answer.authenticated) return V3Step::Ignored;
        device_ = answer.device;
        device_.authenticated = true;
        errorStatus_ = answer.errorStatus;
        errorIndex_ = answer.errorIndex;
        over_ = true;
        return V3Step::Answered;
    } else if (answer.report == UsmReport::NotInTimeWindow && answer.authenticated && !resynchronised_) {
        // The agent's clock as its signed Report gives it; the request goes once more.
        engine_.boots = answer.engine.boots;
        engine_.time = answer.engine.time;
        resynchronised_ = true;
    } else {
        report_ = answer.report;
        over_ = true;
        return V3Step::Rejected;
    }
    const int next = Again(buffer, capacity);
    if (next < 0) return over_ = true, V3Step::Failed;
    *written = next;
    return V3Step::Send;
}
