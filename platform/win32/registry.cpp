// The registry over the Win32 registry functions: the current user's hive, and the machine's.
#include <windows.h>

#include "platform/registry.h"
#include "platform/system_error.h"

namespace {

RegStatus Translate(LONG status)
{
    if (status != ERROR_SUCCESS) Platform::KeepSystemError(static_cast<std::uint32_t>(status));
    switch (status) {
    case ERROR_SUCCESS:
        return kRegOk;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return kRegMissing;
    case ERROR_ACCESS_DENIED:
        return kRegDenied;
    case ERROR_MORE_DATA:
        return kRegMoreData;
    default:
        return kRegFailed;
    }
}

}  // namespace

namespace Registry {

RegStatus OpenUserKey(const char* path, RegKeyHandle* key)
{
    if (path == nullptr || key == nullptr) return kRegFailed;
    HKEY opened = nullptr;
    const LONG status = RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ | KEY_WRITE, &opened);
    if (status == ERROR_SUCCESS) *key = opened;
    return Translate(status);
}

RegStatus CreateKeyIn(HKEY root, const char* path, const char* keyClass, RegKeyHandle* key)
{
    if (path == nullptr || key == nullptr) return kRegFailed;
    HKEY created = nullptr;
    DWORD disposition = 0;
    const LONG status = RegCreateKeyExA(root, path, 0, const_cast<char*>(keyClass), REG_OPTION_NON_VOLATILE,
                                        KEY_READ | KEY_WRITE, nullptr, &created, &disposition);
    if (status == ERROR_SUCCESS) *key = created;
    return Translate(status);
}

RegStatus CreateUserKey(const char* path, const char* keyClass, RegKeyHandle* key)
{
    return CreateKeyIn(HKEY_CURRENT_USER, path, keyClass, key);
}

RegStatus CreateMachineKey(const char* path, const char* keyClass, RegKeyHandle* key)
{
    return CreateKeyIn(HKEY_LOCAL_MACHINE, path, keyClass, key);
}

RegStatus DeleteValue(RegKeyHandle key, const char* name)
{
    if (key == nullptr) return kRegFailed;
    return Translate(RegDeleteValueA(static_cast<HKEY>(key), name));
}

RegStatus SetValue(RegKeyHandle key, const char* name, uint32_t type, const void* data, uint32_t size)
{
    if (key == nullptr) return kRegFailed;
    return Translate(RegSetValueExA(static_cast<HKEY>(key), name, 0, type, static_cast<const BYTE*>(data), size));
}

RegStatus QueryValue(RegKeyHandle key, const char* name, uint32_t* type, void* buffer, uint32_t* size)
{
    if (key == nullptr || size == nullptr) return kRegFailed;
    DWORD valueType = 0;
    DWORD length = *size;
    const LONG status =
        RegQueryValueExA(static_cast<HKEY>(key), name, nullptr, &valueType, static_cast<BYTE*>(buffer), &length);
    if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) *size = length;
    if (status == ERROR_SUCCESS && type != nullptr) *type = valueType;
    return Translate(status);
}

RegStatus OpenKeyForReading(RegHive hive, const char* path, RegKeyHandle* key)
{
    if (path == nullptr || key == nullptr) return kRegFailed;
    HKEY root = hive == kRegUserHive ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    // KEY_WOW64_64KEY is ignored on 32-bit Windows and names the 64-bit view on 64-bit Windows.
    const REGSAM view = hive == kRegMachineHive64 ? KEY_WOW64_64KEY : 0;
    HKEY opened = nullptr;
    const LONG status = RegOpenKeyExA(root, path, 0, KEY_READ | view, &opened);
    if (status == ERROR_SUCCESS) *key = opened;
    return Translate(status);
}

void CloseUserKey(RegKeyHandle key)
{
    if (key != nullptr) RegCloseKey(static_cast<HKEY>(key));
}

}  // namespace Registry
