// Data protection on Windows: DPAPI (crypt32.dll, present since Windows 2000). No prompt is ever
// shown (CRYPTPROTECT_UI_FORBIDDEN); the machine scope is CRYPTPROTECT_LOCAL_MACHINE. A fixed
// entropy text binds the blobs to ScanLink: another program that calls CryptUnprotectData on them
// without it gets nothing.
#include <windows.h>
#include <wincrypt.h>

#include <cstring>

#include "platform/data_protection.h"
#include "platform/system_error.h"

namespace {

const char kEntropy[] = "ScanLink SNMPv3 keys";

DATA_BLOB Entropy()
{
    DATA_BLOB entropy;
    entropy.cbData = sizeof kEntropy - 1;
    entropy.pbData = reinterpret_cast<BYTE*>(const_cast<char*>(kEntropy));
    return entropy;
}

// Copies the system's output and releases it, wiping the system's copy first.
void TakeOutput(DATA_BLOB& out, std::vector<std::uint8_t>* target)
{
    target->assign(out.pbData, out.pbData + out.cbData);
    SecureZeroMemory(out.pbData, out.cbData);
    LocalFree(out.pbData);
}

ProtectionStatus Failed(bool unprotecting)
{
    const DWORD error = GetLastError();
    Platform::KeepSystemError(error);
    // A blob that is not one, was changed, or was made by another user or PC.
    if (unprotecting && (error == ERROR_INVALID_DATA || error == static_cast<DWORD>(NTE_BAD_DATA) ||
                         error == static_cast<DWORD>(NTE_BAD_KEY_STATE)))
        return kProtectionDamaged;
    return kProtectionFailed;
}

}  // namespace

namespace Platform {

ProtectionStatus ProtectData(ProtectionScope scope, const std::uint8_t* data, size_t length,
                             std::vector<std::uint8_t>* blob)
{
    if (data == nullptr || length == 0 || length > 65536 || blob == nullptr) return kProtectionBadArgument;
    DATA_BLOB in;
    in.cbData = static_cast<DWORD>(length);
    in.pbData = const_cast<BYTE*>(data);
    DATA_BLOB entropy = Entropy();
    DATA_BLOB out = {};
    DWORD flags = CRYPTPROTECT_UI_FORBIDDEN;
    if (scope == ProtectionScope::Machine) flags |= CRYPTPROTECT_LOCAL_MACHINE;
    if (!CryptProtectData(&in, L"ScanLink", &entropy, nullptr, nullptr, flags, &out)) return Failed(false);
    TakeOutput(out, blob);
    return kProtectionOk;
}

ProtectionStatus UnprotectData(const std::uint8_t* blob, size_t length, std::vector<std::uint8_t>* data)
{
    if (blob == nullptr || length == 0 || length > 65536 || data == nullptr) return kProtectionBadArgument;
    DATA_BLOB in;
    in.cbData = static_cast<DWORD>(length);
    in.pbData = const_cast<BYTE*>(blob);
    DATA_BLOB entropy = Entropy();
    DATA_BLOB out = {};
    if (!CryptUnprotectData(&in, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
        return Failed(true);
    TakeOutput(out, data);
    return kProtectionOk;
}

bool DataProtectionIsStandIn()
{
    return false;
}

}  // namespace Platform
