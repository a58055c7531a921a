// The test builds' way to write the machine hive, which the product only reads: tests set machine
// defaults and policies with it. Windows: the real HKEY_LOCAL_MACHINE (Wine lets any process write
// it); natively: the machine hive of the registry stand-in.
#include "control/test_control.h"

#ifdef _WIN32
#include <windows.h>

namespace Platform {
RegStatus CreateTestMachineKey(const char* path, RegKeyHandle* key)
{
    HKEY created = nullptr;
    const LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_READ | KEY_WRITE, nullptr, &created, nullptr);
    if (status != ERROR_SUCCESS) return status == ERROR_ACCESS_DENIED ? kRegDenied : kRegFailed;
    *key = created;
    return kRegOk;
}
}  // namespace Platform
#else
#include "doubles/registry_store.h"

namespace Platform {
RegStatus CreateTestMachineKey(const char* path, RegKeyHandle* key)
{
    return PosixRegistry::CreateMachineKey(path, key);
}
}  // namespace Platform
#endif
