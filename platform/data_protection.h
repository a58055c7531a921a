// Data protection: bytes made unreadable to anyone but the current user, or to anyone but the
// programs of this PC, by the operating system, so that secrets (the SNMPv3 keys of
// setup/snmp_credentials.h) can be kept in the registry. On Windows this is DPAPI
// (CryptProtectData, crypt32.dll): the system keeps the protection key, bound to the user's logon or
// to the machine. Natively there is no such service: the native build has a stand-in
// (tests/doubles/data_protection.cpp) that says it is one and protects nothing for real.
//
// A protected blob carries its own scope; UnprotectData needs no scope. Every function is stateless
// and may be called from any thread.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Who may unprotect: the user who protected (on this PC), or every user and program of this PC.
enum class ProtectionScope : int { User, Machine };

// Results of the operations below.
enum ProtectionStatus : int {
    kProtectionOk = 0,
    kProtectionFailed = 1,       // the system refused (its reason: Platform::LastSystemError)
    kProtectionDamaged = 2,      // UnprotectData: not a blob, changed, or another user's or PC's
    kProtectionBadArgument = 3,  // a null pointer with a length, or nothing to protect
};

namespace Platform {
// Protects length bytes at data into *blob (replaced). The data is never shown to the user: no
// prompt may appear.
ProtectionStatus ProtectData(ProtectionScope scope, const std::uint8_t* data, size_t length,
                             std::vector<std::uint8_t>* blob);
// Unprotects a blob of ProtectData into *data (replaced; the caller wipes it after use).
ProtectionStatus UnprotectData(const std::uint8_t* blob, size_t length, std::vector<std::uint8_t>* data);
// True in the native build, whose protection is a stand-in.
bool DataProtectionIsStandIn();
}  // namespace Platform
