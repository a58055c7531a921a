// The native stand-in of data protection: Linux has no DPAPI, so this file plays it and says so
// (DataProtectionIsStandIn). A blob is "SLSTANDIN" and the scope, a random IV, the data encrypted
// with AES-128-CFB under a key fixed in this file, and an HMAC-SHA-256 over all of it: the data is
// not readable as it was, and a changed or foreign blob is refused as damaged, as DPAPI refuses
// one; but anyone with this file can read it, which is why it is only ever a test stand-in.
#include "platform/data_protection.h"

#include <cstring>

#include "platform/crypto.h"

namespace {

const char kMagic[] = "SLSTANDIN";
constexpr size_t kMagicLength = sizeof kMagic - 1;
constexpr size_t kHeader = kMagicLength + 1 + kCryptoAesBlockLength;
const std::uint8_t kCipherKey[kCryptoAesKeyLength] = {'s', 't', 'a', 'n', 'd', '-', 'i', 'n',
                                                      ' ', 'c', 'i', 'p', 'h', 'e', 'r', '!'};
const std::uint8_t kMacKey[] = "stand-in integrity key";

bool Mac(const std::uint8_t* data, size_t length, std::uint8_t* mac)
{
    return CryptoHmac(CryptoHash::Sha256, kMacKey, sizeof kMacKey - 1, data, length, mac) == kCryptoOk;
}

}  // namespace

namespace Platform {

ProtectionStatus ProtectData(ProtectionScope scope, const std::uint8_t* data, size_t length,
                             std::vector<std::uint8_t>* blob)
{
    if (data == nullptr || length == 0 || length > 65536 || blob == nullptr) return kProtectionBadArgument;
    std::vector<std::uint8_t> out(kHeader + length + kCryptoSha256Length);
    std::memcpy(out.data(), kMagic, kMagicLength);
    out[kMagicLength] = scope == ProtectionScope::Machine ? 'M' : 'U';
    std::uint8_t* iv = out.data() + kMagicLength + 1;
    if (CryptoRandom(iv, kCryptoAesBlockLength) != kCryptoOk ||
        CryptoAes128Cfb(CryptoDirection::Encrypt, kCipherKey, iv, data, length, out.data() + kHeader) != kCryptoOk ||
        !Mac(out.data(), kHeader + length, out.data() + kHeader + length))
        return kProtectionFailed;
    *blob = std::move(out);
    return kProtectionOk;
}

ProtectionStatus UnprotectData(const std::uint8_t* blob, size_t length, std::vector<std::uint8_t>* data)
{
    if (blob == nullptr || length == 0 || data == nullptr) return kProtectionBadArgument;
    if (length <= kHeader + kCryptoSha256Length || std::memcmp(blob, kMagic, kMagicLength) != 0)
        return kProtectionDamaged;
    const size_t dataLength = length - kHeader - kCryptoSha256Length;
    std::uint8_t mac[kCryptoSha256Length];
    if (!Mac(blob, kHeader + dataLength, mac)) return kProtectionFailed;
    if (std::memcmp(mac, blob + kHeader + dataLength, sizeof mac) != 0) return kProtectionDamaged;
    std::vector<std::uint8_t> out(dataLength);
    if (CryptoAes128Cfb(CryptoDirection::Decrypt, kCipherKey, blob + kMagicLength + 1, blob + kHeader, dataLength,
                        out.data()) != kCryptoOk)
        return kProtectionFailed;
    *data = std::move(out);
    return kProtectionOk;
}

bool DataProtectionIsStandIn()
{
    return true;
}

}  // namespace Platform
