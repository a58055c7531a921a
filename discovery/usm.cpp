// User-based security keys: password-to-key, localisation and the AES IV, over platform/crypto.h.
#include "discovery/usm.h"

#include <cstring>
#include <vector>

#include "platform/crypto.h"

namespace {

// The number of passphrase octets hashed by password-to-key (RFC 3414 A.2: one megabyte).
constexpr size_t kPasswordToKeyOctets = 1048576;

CryptoHash HashOf(UsmAuth auth)
{
    return auth == UsmAuth::Sha256 ? CryptoHash::Sha256 : CryptoHash::Sha1;
}

void PutBigEndian32(std::uint8_t* out, std::uint32_t value)
{
    out[0] = static_cast<std::uint8_t>(value >> 24);
    out[1] = static_cast<std::uint8_t>(value >> 16);
    out[2] = static_cast<std::uint8_t>(value >> 8);
    out[3] = static_cast<std::uint8_t>(value);
}

// Overwrites a buffer that held key material, in a way the compiler keeps.
void Wipe(void* data, size_t length)
{
    volatile std::uint8_t* p = static_cast<volatile std::uint8_t*>(data);
    for (size_t i = 0; i < length; ++i) p[i] = 0;
}

}  // namespace

size_t UsmKeyLength(UsmAuth auth)
{
    return CryptoDigestLength(HashOf(auth));
}

size_t UsmMacLength(UsmAuth auth)
{
    return auth == UsmAuth::Sha256 ? 24 : 12;
}

const char* UsmAuthName(UsmAuth auth)
{
    return auth == UsmAuth::Sha256 ? "SHA-256" : "SHA";
}

const char* UsmPrivName(UsmPriv priv)
{
    return priv == UsmPriv::Aes128 ? "AES" : "none";
}

bool ParseUsmAuth(const char* text, UsmAuth* out)
{
    if (text == nullptr) return false;
    if (std::strcmp(text, "SHA") == 0)
        *out = UsmAuth::Sha1;
    else if (std::strcmp(text, "SHA-256") == 0)
        *out = UsmAuth::Sha256;
    else
        return false;
    return true;
}

bool ParseUsmPriv(const char* text, UsmPriv* out)
{
    if (text == nullptr) return false;
    if (std::strcmp(text, "none") == 0)
        *out = UsmPriv::None;
    else if (std::strcmp(text, "AES") == 0)
        *out = UsmPriv::Aes128;
    else
        return false;
    return true;
}

UsmStatus UsmPasswordToKey(UsmAuth auth, const char* passphrase, size_t length, std::uint8_t* key)
{
    if (passphrase == nullptr || length < kUsmMinPassphrase) return UsmStatus::ShortPassphrase;
    std::vector<std::uint8_t> stream(kPasswordToKeyOctets);
    for (size_t i = 0; i < stream.size(); ++i) stream[i] = static_cast<std::uint8_t>(passphrase[i % length]);
    CryptoStatus status = CryptoDigest(HashOf(auth), stream.data(), stream.size(), key);
    Wipe(stream.data(), stream.size());
    return status == kCryptoOk ? UsmStatus::Ok : UsmStatus::CryptoFailed;
}

UsmStatus UsmLocalizeKey(UsmAuth auth, const std::uint8_t* key, const std::uint8_t* engineId, size_t engineIdLength,
                         std::uint8_t* localized)
{
    if (engineIdLength > kUsmMaxEngineId || (engineId == nullptr && engineIdLength != 0)) return UsmStatus::BadEngineId;
    size_t keyLength = UsmKeyLength(auth);
    std::uint8_t input[kUsmMaxKey * 2 + kUsmMaxEngineId];
    std::memcpy(input, key, keyLength);
    if (engineIdLength != 0) std::memcpy(input + keyLength, engineId, engineIdLength);
    std::memcpy(input + keyLength + engineIdLength, key, keyLength);
    CryptoStatus status = CryptoDigest(HashOf(auth), input, keyLength * 2 + engineIdLength, localized);
    Wipe(input, sizeof input);
    return status == kCryptoOk ? UsmStatus::Ok : UsmStatus::CryptoFailed;
}

void UsmAesIv(std::uint32_t engineBoots, std::uint32_t engineTime, const std::uint8_t* salt, std::uint8_t* iv)
{
    PutBigEndian32(iv, engineBoots);
    PutBigEndian32(iv + 4, engineTime);
    std::memcpy(iv + 8, salt, kUsmSaltLength);
}

UsmStatus UsmDeriveCredentials(const char* userName, UsmAuth auth, UsmPriv priv, const char* authPassphrase,
                               const char* privPassphrase, UsmCredentials& out)
{
    std::memset(&out, 0, sizeof out);
    size_t nameLength = userName != nullptr ? std::strlen(userName) : 0;
    if (nameLength == 0 || nameLength > kUsmMaxUserName) return UsmStatus::BadUserName;
    std::memcpy(out.userName, userName, nameLength);
    out.auth = auth;
    out.priv = priv;
    UsmStatus status =
        UsmPasswordToKey(auth, authPassphrase, authPassphrase ? std::strlen(authPassphrase) : 0, out.authKey);
    if (status == UsmStatus::Ok && priv != UsmPriv::None)
        status = UsmPasswordToKey(auth, privPassphrase, privPassphrase ? std::strlen(privPassphrase) : 0, out.privKey);
    if (status != UsmStatus::Ok) Wipe(&out, sizeof out);
    return status;
}

UsmStatus UsmLocalize(const UsmCredentials& credentials, const std::uint8_t* engineId, size_t engineIdLength,
                      UsmUser& out)
{
    std::memset(&out, 0, sizeof out);
    std::memcpy(out.userName, credentials.userName, sizeof out.userName);
    out.userName[kUsmMaxUserName] = '\0';
    out.auth = credentials.auth;
    out.priv = credentials.priv;
    UsmStatus status = UsmLocalizeKey(credentials.auth, credentials.authKey, engineId, engineIdLength, out.authKey);
    if (status == UsmStatus::Ok && credentials.priv != UsmPriv::None)
        status = UsmLocalizeKey(credentials.auth, credentials.privKey, engineId, engineIdLength, out.privKey);
    if (status != UsmStatus::Ok) Wipe(&out, sizeof out);
    return status;
}
