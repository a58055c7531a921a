// The settings store: the chosen scanner connection written to the data file "ScanLink.dat" and
// to registry values below the variant's key, and the folder operations that the data file needs.
#pragma once
#include <cstddef>
#include <string>

#include "setup/connection_schema.h"

// Longest data file path (folder, separator and "ScanLink.dat"), without its NUL.
constexpr size_t kMaxDataFilePath = 259;
// Longest folder path that EnsureFolder accepts, without its NUL.
constexpr size_t kMaxFolderPath = 519;
// EnsureFolder tries at most this many numbered names ("_0" to "_99") for one folder ...
constexpr int kMaxNumberedNames = 100;
// ... nests at most this deep, counting every folder it works on below the requested one ...
constexpr int kMaxFolderDepth = 64;
// ... and asks the file system about at most this many folders in one call.
constexpr int kMaxFolderAttempts = 20000;

// Results of EnsureFolder.
constexpr int kFolderOk = 0;
constexpr int kFolderFailed = -1;

// The class of a key the store creates.
extern const char kKeyClass[];  // "option"

// Results of Save and SaveTo.
constexpr int kSaveOk = 0;
constexpr int kSaveFailed = 1;  // the data file or at least one registry value was not written

namespace SettingsStore {
// Writes the connection to the data file in the current product's data folder and to the six
// values below its settings key in the current user's hive, as setup/connection_schema.h describes
// them. A failure skips
// only its own step and shows nothing; what was written stays written. The data file is replaced
// by renaming a new file over it, retried for about half a second while the rename is refused (the
// file held open without delete sharing), then rewritten in place. kSaveFailed when the data file
// (no usable folder, a path over 259 characters, not writable at all) or any value could not be
// written; without a data folder none is written and that is no failure. Texts longer than their
// widths (127, 63, 259 characters) are cut to fit. The data file written (which may be in a
// numbered stand-in of the data folder, see EnsureFolder) is remembered as LastDataFile().
int Save(const char* address, const char* macAddress, const char* adapterName, int protocolType, int ipDirectInput);

// The same with the data folder and the key path given (null: none): what Save does after its two
// lookups. A null key path writes no value and fails.
int SaveTo(const char* dataFolder, const char* keyPath, const char* address, const char* macAddress,
           const char* adapterName, int protocolType, int ipDirectInput);

// The data file's lines (setup/connection_schema.h), each ended by CR LF: address, MAC address,
// protocol, adapter name, direct-input flag.
std::string FormatDataFile(const StoredConnection& connection);

// The full path of the data file that the last Save or SaveTo of this process wrote (also when it
// failed part-way); empty when none wrote one.
const std::string& LastDataFile();

// Reads one string value below HKEY_CURRENT_USER; the default text when the key cannot be opened
// for reading and writing, the value is missing, or its data is longer than 1024 bytes (far more
// than any stored text). Empty data gives the empty text.
std::string ReadRegString(const char* keyPath, const char* valueName, const char* defaultText);

// Reads one 4-byte value below HKEY_CURRENT_USER, the key opened for reading and writing and never
// created. 0 with *value set; the registry's non-zero result (and *value unchanged) when the key or
// the value is missing or cannot be read, kRegFailed when its data is not 4 bytes.
int ReadRegDword(const char* keyPath, const char* valueName, int* value);

// Writes one REG_SZ value (the text and its NUL) with the open-or-create procedure.
void WriteRegString(const char* keyPath, const char* valueName, const char* text);

// Writes one REG_DWORD value with the open-or-create procedure.
void WriteRegDword(const char* keyPath, const char* valueName, int value);

// Removes one value below HKEY_CURRENT_USER. True when it is gone afterwards (also when the value or
// the key did not exist).
bool DeleteRegValue(const char* keyPath, const char* valueName);
}  // namespace SettingsStore

// Makes sure that the folder exists and can be written, creating missing folders; a folder on
// the way that is a file or cannot be written is replaced by its first usable numbered sibling
// ("Name_0", "Name_1", ...). On kFolderOk writes the folder used, with a trailing separator, to
// usablePath (when it is not null and the text fits its size bytes). kFolderFailed when no usable
// folder was found within the bounds above, the requested folder is a file or cannot be written,
// the path is longer than kMaxFolderPath, or the result does not fit usablePath; usablePath is
// then untouched.
int EnsureFolder(const char* path, char* usablePath, size_t usableSize);

// True when a file can be created, written, read back and deleted in the folder. The temporary
// "~SG" file is always removed once created.
bool IsFolderWritable(const char* folder);
