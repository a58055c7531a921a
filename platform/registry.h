// The registry: the current user's hive to open, create, read and write one key's values, the
// user's and the machine's hives to read (the settings model, setup/settings_model.h), and the
// machine's hive to write where an administrator stores machine-wide SNMPv3 credentials.
//
// Keys are named by their path below their hive's root ("Software\Maker\Product\ScanLink" below
// HKEY_CURRENT_USER, "SOFTWARE\Policies\ScanLink" below HKEY_LOCAL_MACHINE), narrow text in the ANSI code page, separated by backslashes and compared without regard to
// letter case. A key handle is owned by the caller from a successful open or create until it is
// passed to CloseUserKey (whichever call opened it); it is never shared. "Missing" means that the key or the value does not
// exist; a key that exists but cannot be opened for reading and writing is "denied".
//
// On Windows this is the real registry. The native tests use a small file-backed store with the
// same rules (tests/doubles/).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Results of every registry operation; the platform's own error codes never leave the seam (the
// last one is kept as Platform::LastSystemError, platform/system_error.h).
enum RegStatus : int {
    kRegOk = 0,
    kRegMissing = 1,    // the key or the value does not exist
    kRegDenied = 2,     // the key exists but this access is not allowed
    kRegMoreData = 3,   // the value's data does not fit the caller's buffer
    kRegFailed = 4,     // any other failure (bad name, store unreadable, ...)
    kRegWrongType = 5,  // the typed reads below: the value exists with another type, or a number's
                        // data is not 4 bytes, or a text's data is not terminated text
};

// The hives a key may be opened in for reading.
enum RegHive : int {
    kRegUserHive = 0,       // HKEY_CURRENT_USER
    kRegMachineHive = 1,    // HKEY_LOCAL_MACHINE in the program's own view: a 32-bit program on
                            // 64-bit Windows reads SOFTWARE\WOW6432Node, where a 32-bit package
                            // writes its machine defaults
    kRegMachineHive64 = 2,  // HKEY_LOCAL_MACHINE in the 64-bit view whatever the program's width,
                            // where Group Policy writes policies; the same as kRegMachineHive on
                            // 32-bit Windows
};

// Value types, with the numbers the Windows registry uses.
constexpr uint32_t kRegTypeNone = 0;
constexpr uint32_t kRegTypeSz = 1;
constexpr uint32_t kRegTypeBinary = 3;
constexpr uint32_t kRegTypeDword = 4;
constexpr uint32_t kRegTypeMultiSz = 7;  // texts, each ended by its NUL, and one more NUL at the end

// The longest data the typed reads below accept; longer data is kRegMoreData.
constexpr uint32_t kRegMaxTypedData = 64 * 1024;

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

// Opens an existing key of the hive for reading only (a policy key that the user may read but not
// write opens here). On kRegOk *key holds a new handle, which SetValue refuses with kRegDenied; on
// any other result *key is left unchanged.
RegStatus OpenKeyForReading(RegHive hive, const char* path, RegKeyHandle* key);

// Creates the key of HKEY_LOCAL_MACHINE in the program's own view (kRegMachineHive, where the
// settings model reads machine defaults), or opens it when it exists, for reading and writing, as
// CreateUserKey does in the user's hive. kRegDenied unless the program runs as an administrator.
RegStatus CreateMachineKey(const char* path, const char* keyClass, RegKeyHandle* key);

// Removes one value of a key opened for writing. kRegMissing when it does not exist.
RegStatus DeleteValue(RegKeyHandle key, const char* name);

// Releases a handle from OpenUserKey, CreateUserKey, CreateMachineKey or OpenKeyForReading; a null
// handle is ignored.
void CloseUserKey(RegKeyHandle key);

// Typed reads over QueryValue (the same on every platform). Each gives kRegOk with the value set,
// kRegMissing when the value does not exist, kRegWrongType when it has another type (or a number
// is not 4 bytes), kRegMoreData when its data is longer than kRegMaxTypedData, or QueryValue's
// failure; the output is changed only on kRegOk.
RegStatus QueryDword(RegKeyHandle key, const char* name, uint32_t* value);
// A REG_SZ value: the text up to its first NUL (data without any NUL is taken whole).
RegStatus QueryString(RegKeyHandle key, const char* name, std::string* text);
// A REG_MULTI_SZ value: its texts in order. An empty text inside ends the list (as Windows reads
// such data); a missing final NUL is tolerated.
RegStatus QueryMultiString(RegKeyHandle key, const char* name, std::vector<std::string>* texts);
// Writes texts as one REG_MULTI_SZ value. Empty texts are left out (they would end the list).
RegStatus SetMultiString(RegKeyHandle key, const char* name, const std::vector<std::string>& texts);
}  // namespace Registry
