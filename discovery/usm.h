// SNMPv3 user-based security (RFC 3414, with RFC 7860's HMAC-SHA-256 and RFC 3826's AES): the
// keys of a user, derived from passphrases and localised for one engine, the MAC lengths and the
// AES initialisation vector. The hashes and the cipher come from platform/crypto.h.
#pragma once
#include <cstddef>
#include <cstdint>

// The authentication protocols offered: HMAC-SHA-96 ("SHA") and HMAC-SHA-256 with its 192-bit MAC
// ("SHA-256"). Keys of a user are derived and localised with the protocol's hash.
enum class UsmAuth : int { Sha1, Sha256 };
// The privacy protocols: none, or AES-128 in CFB-128 mode ("AES").
enum class UsmPriv : int { None, Aes128 };

// Results of the derivations below.
enum class UsmStatus : int {
    Ok,
    ShortPassphrase,  // a passphrase of fewer than kUsmMinPassphrase octets
    BadEngineId,      // an engine ID of more than kUsmMaxEngineId octets
    BadUserName,      // an empty user name or one of more than kUsmMaxUserName octets
    CryptoFailed,     // the platform's hash failed (its reason: Platform::LastSystemError)
};

constexpr size_t kUsmMaxKey = 32;        // the longest key (SHA-256)
constexpr size_t kUsmMaxEngineId = 32;   // RFC 3411: an engine ID has at most 32 octets
constexpr size_t kUsmMaxUserName = 32;   // RFC 3414: a user name has at most 32 octets
constexpr size_t kUsmMinPassphrase = 8;  // RFC 3414: passphrases of at least 8 octets
constexpr size_t kUsmSaltLength = 8;     // RFC 3826: the privacy parameters, a 64-bit salt

// The key length of the protocol (its digest: 20 or 32 octets).
size_t UsmKeyLength(UsmAuth auth);
// The MAC length carried in a message: 12 octets for HMAC-SHA-96, 24 for HMAC-SHA-256.
size_t UsmMacLength(UsmAuth auth);
// The protocol names of the settings ("SHA", "SHA-256"; "none", "AES") and back. The parsers
// return false, leaving *out alone, for any other text (exact, case-sensitive).
const char* UsmAuthName(UsmAuth auth);
const char* UsmPrivName(UsmPriv priv);
bool ParseUsmAuth(const char* text, UsmAuth* out);
bool ParseUsmPriv(const char* text, UsmPriv* out);

// RFC 3414 A.2 password-to-key: the digest of 1 048 576 octets of the passphrase repeated. key
// receives UsmKeyLength(auth) octets.
UsmStatus UsmPasswordToKey(UsmAuth auth, const char* passphrase, size_t length, std::uint8_t* key);
// Key localisation: digest(key || engineId || key), UsmKeyLength(auth) octets into localized.
UsmStatus UsmLocalizeKey(UsmAuth auth, const std::uint8_t* key, const std::uint8_t* engineId, size_t engineIdLength,
                         std::uint8_t* localized);
// RFC 3826 IV: the engine's boots and time (4 octets each, most significant first) followed by the
// 8-octet salt of the message.
void UsmAesIv(std::uint32_t engineBoots, std::uint32_t engineTime, const std::uint8_t* salt, std::uint8_t* iv);

// A user's keys before localisation: what /credentials derives from the passphrases and stores.
struct UsmCredentials {
    char userName[kUsmMaxUserName + 1];  // NUL-terminated
    UsmAuth auth;
    UsmPriv priv;
    std::uint8_t authKey[kUsmMaxKey];  // UsmKeyLength(auth) octets used
    std::uint8_t privKey[kUsmMaxKey];  // derived with the auth protocol's hash; unused for UsmPriv::None
};

// A user's keys localised for one engine: what a request to that engine is signed and encrypted
// with. For AES the first 16 octets of privKey are the cipher key (RFC 3826 3.1.2.1).
struct UsmUser {
    char userName[kUsmMaxUserName + 1];
    UsmAuth auth;
    UsmPriv priv;
    std::uint8_t authKey[kUsmMaxKey];
    std::uint8_t privKey[kUsmMaxKey];
};

// Derives both keys from the passphrases (NUL-terminated; privPassphrase is ignored, and may be
// null, for UsmPriv::None). BadUserName for an empty name or one over kUsmMaxUserName octets.
UsmStatus UsmDeriveCredentials(const char* userName, UsmAuth auth, UsmPriv priv, const char* authPassphrase,
                               const char* privPassphrase, UsmCredentials& out);
// Localises both keys of the credentials for the engine.
UsmStatus UsmLocalize(const UsmCredentials& credentials, const std::uint8_t* engineId, size_t engineIdLength,
                      UsmUser& out);
