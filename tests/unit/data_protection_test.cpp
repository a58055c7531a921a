// Data protection (natively the stand-in; in the Windows unit suite under Wine the real DPAPI): both
// scopes round-trip, the blob does not hold the data as it was, and a changed blob is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/data_protection.h"

TEST(DataProtection, BothScopesRoundTripHideTheDataAndRefuseAChangedBlob)
{
    const std::string secret = "passphrase-like text 0123456789";
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(secret.data());
    for (const ProtectionScope scope : {ProtectionScope::User, ProtectionScope::Machine}) {
        SCOPED_TRACE(scope == ProtectionScope::User ? "user" : "machine");
        std::vector<std::uint8_t> blob, back;
        ASSERT_EQ(Platform::ProtectData(scope, bytes, secret.size(), &blob), kProtectionOk);
        EXPECT_EQ(std::search(blob.begin(), blob.end(), secret.begin(), secret.begin() + 8), blob.end());
        ASSERT_EQ(Platform::UnprotectData(blob.data(), blob.size(), &back), kProtectionOk);
        EXPECT_EQ(std::string(back.begin(), back.end()), secret);
        for (const size_t at : {blob.size() - 30, blob.size() - 1}) {  // the encrypted data, the signature
            std::vector<std::uint8_t> changed = blob;
            changed[at] ^= 0x40;
            EXPECT_NE(Platform::UnprotectData(changed.data(), changed.size(), &back), kProtectionOk) << at;
        }
    }
    std::vector<std::uint8_t> blob;
    EXPECT_EQ(Platform::ProtectData(ProtectionScope::User, bytes, 0, &blob), kProtectionBadArgument);
    EXPECT_EQ(Platform::UnprotectData(bytes, 3, &blob), kProtectionDamaged);  // not a blob
}
