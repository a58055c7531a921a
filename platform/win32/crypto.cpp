// The Windows bodies of platform/crypto.h over CNG (bcrypt.dll). Only what Windows Vista already
// has is used: providers opened per call (the pseudo-handles of Windows 10 are not), hash and key
// objects in buffers of the size the provider names (Vista does not allocate them itself), and the
// random generator opened as a provider. CNG's CFB mode feeds back 8 bits unless told otherwise on
// newer systems only, so CFB-128 is built here over AES in ECB mode, one block at a time.
#include <windows.h>
#include <bcrypt.h>

#include <cstring>
#include <vector>

#include "platform/crypto.h"
#include "platform/system_error.h"

namespace {

bool Succeeded(NTSTATUS status)
{
    return status >= 0;
}

CryptoStatus Failed(NTSTATUS status)
{
    Platform::KeepSystemError(static_cast<std::uint32_t>(status));
    return kCryptoFailed;
}

// An open algorithm provider, closed with the object.
struct Provider {
    BCRYPT_ALG_HANDLE handle = nullptr;
    NTSTATUS status = 0;
    Provider(LPCWSTR algorithm, ULONG flags)
    {
        status = BCryptOpenAlgorithmProvider(&handle, algorithm, nullptr, flags);
    }
    ~Provider()
    {
        if (handle != nullptr) BCryptCloseAlgorithmProvider(handle, 0);
    }
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;
    // The size of the object buffer (hash or key object) the provider needs; 0 on failure.
    ULONG ObjectLength()
    {
        DWORD value = 0;
        ULONG got = 0;
        status =
            BCryptGetProperty(handle, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&value), sizeof value, &got, 0);
        return Succeeded(status) ? value : 0;
    }
};

LPCWSTR HashName(CryptoHash hash)
{
    return hash == CryptoHash::Sha256 ? BCRYPT_SHA256_ALGORITHM : BCRYPT_SHA1_ALGORITHM;
}

// A digest or, with a key, an HMAC.
CryptoStatus Hash(CryptoHash hash, const std::uint8_t* key, size_t keyLength, const void* data, size_t length,
                  std::uint8_t* out)
{
    Provider provider(HashName(hash), key != nullptr ? BCRYPT_ALG_HANDLE_HMAC_FLAG : 0);
    if (!Succeeded(provider.status)) return Failed(provider.status);
    ULONG objectLength = provider.ObjectLength();
    if (objectLength == 0) return Failed(provider.status);
    std::vector<UCHAR> object(objectLength);
    BCRYPT_HASH_HANDLE handle = nullptr;
    NTSTATUS status = BCryptCreateHash(provider.handle, &handle, object.data(), objectLength, const_cast<PUCHAR>(key),
                                       static_cast<ULONG>(keyLength), 0);
    if (!Succeeded(status)) return Failed(status);
    const UCHAR* pos = static_cast<const UCHAR*>(data);
    // BCryptHashData takes a ULONG length: long inputs go in pieces.
    for (size_t left = length; Succeeded(status) && left != 0;) {
        ULONG piece = left > 0x40000000u ? 0x40000000u : static_cast<ULONG>(left);
        status = BCryptHashData(handle, const_cast<PUCHAR>(pos), piece, 0);
        pos += piece;
        left -= piece;
    }
    if (Succeeded(status)) status = BCryptFinishHash(handle, out, static_cast<ULONG>(CryptoDigestLength(hash)), 0);
    BCryptDestroyHash(handle);
    return Succeeded(status) ? kCryptoOk : Failed(status);
}

}  // namespace

size_t CryptoDigestLength(CryptoHash hash)
{
    return hash == CryptoHash::Sha256 ? kCryptoSha256Length : kCryptoSha1Length;
}

CryptoStatus CryptoDigest(CryptoHash hash, const void* data, size_t length, std::uint8_t* digest)
{
    if ((data == nullptr && length != 0) || digest == nullptr) return kCryptoBadArgument;
    return Hash(hash, nullptr, 0, data, length, digest);
}

CryptoStatus CryptoHmac(CryptoHash hash, const std::uint8_t* key, size_t keyLength, const void* data, size_t length,
                        std::uint8_t* mac)
{
    if (key == nullptr || keyLength == 0 || keyLength > 64 || (data == nullptr && length != 0) || mac == nullptr)
        return kCryptoBadArgument;
    return Hash(hash, key, keyLength, data, length, mac);
}

CryptoStatus CryptoAes128Cfb(CryptoDirection direction, const std::uint8_t* key, const std::uint8_t* iv,
                             const std::uint8_t* in, size_t length, std::uint8_t* out)
{
    if (key == nullptr || iv == nullptr || ((in == nullptr || out == nullptr) && length != 0))
        return kCryptoBadArgument;
    if (length == 0) return kCryptoOk;
    Provider provider(BCRYPT_AES_ALGORITHM, 0);
    if (!Succeeded(provider.status)) return Failed(provider.status);
    NTSTATUS status = BCryptSetProperty(provider.handle, BCRYPT_CHAINING_MODE,
                                        reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_ECB)),
                                        sizeof BCRYPT_CHAIN_MODE_ECB, 0);
    if (!Succeeded(status)) return Failed(status);
    ULONG objectLength = provider.ObjectLength();
    if (objectLength == 0) return Failed(provider.status);
    std::vector<UCHAR> object(objectLength);
    BCRYPT_KEY_HANDLE handle = nullptr;
    status = BCryptGenerateSymmetricKey(provider.handle, &handle, object.data(), objectLength, const_cast<PUCHAR>(key),
                                        static_cast<ULONG>(kCryptoAesKeyLength), 0);
    if (!Succeeded(status)) return Failed(status);

    // The feedback register starts as the IV and then holds the last ciphertext block; each block of
    // output is the input XOR the encrypted register.
    UCHAR shift[kCryptoAesBlockLength];
    UCHAR stream[kCryptoAesBlockLength];
    std::memcpy(shift, iv, sizeof shift);
    for (size_t done = 0; done < length && Succeeded(status);) {
        ULONG got = 0;
        status = BCryptEncrypt(handle, shift, sizeof shift, nullptr, nullptr, 0, stream, sizeof stream, &got, 0);
        if (!Succeeded(status) || got != sizeof stream) break;
        size_t block = length - done < sizeof stream ? length - done : sizeof stream;
        for (size_t i = 0; i < block; ++i) {
            std::uint8_t input = in[done + i];  // read before writing: in and out may be one buffer
            std::uint8_t output = static_cast<std::uint8_t>(input ^ stream[i]);
            out[done + i] = output;
            shift[i] = direction == CryptoDirection::Encrypt ? output : input;
        }
        done += block;
    }
    BCryptDestroyKey(handle);
    SecureZeroMemory(stream, sizeof stream);
    return Succeeded(status) ? kCryptoOk : Failed(status);
}

CryptoStatus CryptoRandom(std::uint8_t* buffer, size_t length)
{
    if (buffer == nullptr && length != 0) return kCryptoBadArgument;
    if (length == 0) return kCryptoOk;
    Provider provider(BCRYPT_RNG_ALGORITHM, 0);
    if (!Succeeded(provider.status)) return Failed(provider.status);
    for (size_t done = 0; done < length;) {
        ULONG piece = length - done > 0x40000000u ? 0x40000000u : static_cast<ULONG>(length - done);
        NTSTATUS status = BCryptGenRandom(provider.handle, buffer + done, piece, 0);
        if (!Succeeded(status)) return Failed(status);
        done += piece;
    }
    return kCryptoOk;
}
