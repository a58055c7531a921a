// Cryptography for SNMPv3 user-based security, taken from the operating system: hashes, HMACs,
// AES-128 in CFB-128 mode and random octets. ScanLink writes none of these algorithms itself: on
// Windows the bodies call CNG (bcrypt.dll, present since Vista), natively OpenSSL's libcrypto.
// Every function is stateless and may be called from any thread.
#pragma once
#include <cstddef>
#include <cstdint>

// The hash functions offered.
enum class CryptoHash : int {
    Sha1,    // 20-octet digest
    Sha256,  // 32-octet digest
};

// Results of the operations below.
enum CryptoStatus : int {
    kCryptoOk = 0,
    kCryptoFailed = -1,      // the system refused the operation (its reason: Platform::LastSystemError)
    kCryptoBadArgument = 1,  // a key or IV of the wrong length, or a null pointer with a length
};

// Digest lengths in octets; the largest is kCryptoMaxDigest.
constexpr size_t kCryptoSha1Length = 20;
constexpr size_t kCryptoSha256Length = 32;
constexpr size_t kCryptoMaxDigest = 32;
// AES-128: key and block (and so IV) length.
constexpr size_t kCryptoAesKeyLength = 16;
constexpr size_t kCryptoAesBlockLength = 16;

// The digest length of the hash function.
size_t CryptoDigestLength(CryptoHash hash);

// Writes the digest of the length octets at data into digest (CryptoDigestLength(hash) octets).
CryptoStatus CryptoDigest(CryptoHash hash, const void* data, size_t length, std::uint8_t* digest);

// Writes HMAC(key, data) with the hash function into mac (CryptoDigestLength(hash) octets, not
// truncated; truncating is the caller's rule). keyLength may be anything from 1 to 64 octets.
CryptoStatus CryptoHmac(CryptoHash hash, const std::uint8_t* key, size_t keyLength, const void* data, size_t length,
                        std::uint8_t* mac);

// AES-128 in CFB mode with 128-bit feedback (the whole block is fed back), no padding: the output
// is as long as the input, the last block may be partial. key and iv are 16 octets each. in and
// out may be the same buffer (in place); otherwise they must not overlap.
enum class CryptoDirection : int { Encrypt, Decrypt };
CryptoStatus CryptoAes128Cfb(CryptoDirection direction, const std::uint8_t* key, const std::uint8_t* iv,
                             const std::uint8_t* in, size_t length, std::uint8_t* out);

// Fills buffer with length octets from the system's cryptographic random generator.
CryptoStatus CryptoRandom(std::uint8_t* buffer, size_t length);

// Overwrites length octets with zeros in a way the compiler does not leave out: for passphrases,
// keys and their copies once they are no longer needed.
void CryptoWipe(void* buffer, size_t length);
