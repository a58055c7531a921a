// The registry below the current user's hive: open, create, read and write one key's values.
//
// Keys are named by their path below HKEY_CURRENT_USER ("Software\Maker\Product\ScanLink"),
// narrow text in the ANSI code page, separated by backslashes and compared without regard to
// letter case. A key handle is owned by the caller from a successful open or create until it is
// passed to CloseUserKey; it is never shared. "Missing" means that the key or the value does not
// exist; a key that exists but cannot be opened for reading and writing is "denied".
//
// On Windows this is the real registry. The native tests use a small file-backed store with the
// same rules (tests/doubles/).
#pragma once
#include <cstddef>
#include <cstdint>

// Results of every registry operation; the platform's own error codes never leave the seam (the
// last one is kept as Platform::LastSystemError, platform/system_error.h).
enum RegStatus : int {
    kRegOk = 0,
    kRegMissing = 1,   // the key or the value does not exist
    kRegDenied = 2,    // the key exists but this access is not allowed
    kRegMoreData = 3,  // the value's data does not fit the caller's buffer
    kRegFailed = 4,    // any other failure (bad name, store unreadable, ...)
};

// Value types, with the numbers the Windows registry uses.
constexpr uint32_t kRegTypeNone = 0;
constexpr uint32_t kRegTypeSz = 1;
constexpr uint32_t kRegTypeDword = 4;

using RegKeyHandle = void*;

namespace Registry {
// Opens an existing key for reading and writing. On kRegOk *key holds a new handle; on any other
// result *key is left unchanged.
RegStatus OpenUserKey(const char* path, RegKeyHandle* key);

// Creates the key (and any missing keys above it) as a non-volatile key with the given class
// text, or opens it when it exists, for reading and writing, with default security. The class is
// recorded only on a key this call creates. On kRegOk *key holds a new handle.
RegStatus CreateUserKey(const char* path, const char* keyClass, RegKeyHandle* key);

// Sets one value of an open key: type and size bytes of data (REG_SZ data includes its NUL).
RegStatus SetValue(RegKeyHandle key, const char* name, uint32_t type, const void* data, uint32_t size);

// Reads one value of an open key into buffer, whose capacity *size gives. On kRegOk *size is the
// data's length and *type (when type is not null) its type. kRegMoreData when the data is longer
// than the buffer: the buffer's content is then undefined and *size is the length needed.
RegStatus QueryValue(RegKeyHandle key, const char* name, uint32_t* type, void* buffer, uint32_t* size);

// Releases a handle from OpenUserKey or CreateUserKey; a null handle is ignored.
void CloseUserKey(RegKeyHandle key);
}  // namespace Registry
