// The native bodies of platform/crypto.h over OpenSSL's libcrypto (EVP interface). OpenSSL's
// error queue holds its reasons; the code of the first one is kept as the system's reason.
#include "platform/crypto.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <climits>

#include "platform/system_error.h"

namespace {

const EVP_MD* Digest(CryptoHash hash)
{
    return hash == CryptoHash::Sha256 ? EVP_sha256() : EVP_sha1();
}

CryptoStatus Failed()
{
    Platform::KeepSystemError(static_cast<std::uint32_t>(ERR_get_error()));
    ERR_clear_error();
    return kCryptoFailed;
}

}  // namespace

size_t CryptoDigestLength(CryptoHash hash)
{
    return hash == CryptoHash::Sha256 ? kCryptoSha256Length : kCryptoSha1Length;
}

CryptoStatus CryptoDigest(CryptoHash hash, const void* data, size_t length, std::uint8_t* digest)
{
    if ((data == nullptr && length != 0) || digest == nullptr) return kCryptoBadArgument;
    unsigned int written = 0;
    if (EVP_Digest(data, length, digest, &written, Digest(hash), nullptr) != 1) return Failed();
    return kCryptoOk;
}

CryptoStatus CryptoHmac(CryptoHash hash, const std::uint8_t* key, size_t keyLength, const void* data, size_t length,
                        std::uint8_t* mac)
{
    if (key == nullptr || keyLength == 0 || keyLength > 64 || (data == nullptr && length != 0) || mac == nullptr)
        return kCryptoBadArgument;
    unsigned int written = 0;
    static const std::uint8_t kNothing = 0;
    if (HMAC(Digest(hash), key, static_cast<int>(keyLength),
             data != nullptr ? static_cast<const unsigned char*>(data) : &kNothing, length, mac, &written) == nullptr)
        return Failed();
    return kCryptoOk;
}

CryptoStatus CryptoAes128Cfb(CryptoDirection direction, const std::uint8_t* key, const std::uint8_t* iv,
                             const std::uint8_t* in, size_t length, std::uint8_t* out)
{
    if (key == nullptr || iv == nullptr || ((in == nullptr || out == nullptr) && length != 0) || length > INT_MAX)
        return kCryptoBadArgument;
    if (length == 0) return kCryptoOk;
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    if (context == nullptr) return Failed();
    int encrypt = direction == CryptoDirection::Encrypt ? 1 : 0;
    int written = 0, last = 0;
    bool ok = EVP_CipherInit_ex(context, EVP_aes_128_cfb128(), nullptr, key, iv, encrypt) == 1 &&
              EVP_CipherUpdate(context, out, &written, in, static_cast<int>(length)) == 1 &&
              EVP_CipherFinal_ex(context, out + written, &last) == 1;
    EVP_CIPHER_CTX_free(context);
    return ok ? kCryptoOk : Failed();
}

CryptoStatus CryptoRandom(std::uint8_t* buffer, size_t length)
{
    if (buffer == nullptr && length != 0) return kCryptoBadArgument;
    if (length == 0) return kCryptoOk;
    if (length > INT_MAX || RAND_bytes(buffer, static_cast<int>(length)) != 1) return Failed();
    return kCryptoOk;
}
