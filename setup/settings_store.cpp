// The settings store: the data file, the registry values, and the folder checks the file needs.
#include "setup/settings_store.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <thread>
#include <vector>

#include "product/product.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/system_error.h"

const char kKeyClass[] = "option";

namespace {

// The new data file is written under this name beside the data file and then renamed over it.
// It has the data file's length, so that a data file path that fits leaves room for it too.
const char kDataFileTempName[] = "ScanLink.new";

// A rename over the data file fails while another process holds it open without delete sharing
// (a reader of the settings, a virus scanner): it is tried this often, this far apart, before the
// file is rewritten in place.
constexpr int kReplaceAttempts = 5;
constexpr auto kReplaceRetryPause = std::chrono::milliseconds(100);

// The registry read buffer; longer data makes ReadRegString fall back to its default.
constexpr uint32_t kRegReadBuffer = 1024;

std::string g_lastDataFile;

// Windows paths have drive letters and ignore letter case; native paths have neither.
constexpr bool kWindowsPaths = kPathSeparator == '\\';

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

std::string Bounded(const char* text, size_t maxLength)
{
    if (text == nullptr) return std::string();
    size_t n = 0;
    while (n < maxLength && text[n] != '\0') ++n;
    return std::string(text, n);
}

// Removes one trailing separator unless the path is a drive root ("C:\", "/").
void RemoveTrailingSeparator(std::string& path)
{
    if (!path.empty() && IsSeparator(path.back()) && !Files::IsDriveRoot(path.c_str())) path.pop_back();
}

void AddTrailingSeparator(std::string& path)
{
    if (path.empty() || !IsSeparator(path.back())) path.push_back(kPathSeparator);
}

// Splits a path into its parent (drive and folders, with the trailing separator) and its name.
void SplitPath(const std::string& path, std::string& parent, std::string& name)
{
    size_t cut = 0;
    if (kWindowsPaths && path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':')
        cut = 2;
    for (size_t i = cut; i < path.size(); ++i)
        if (IsSeparator(path[i])) cut = i + 1;
    parent = path.substr(0, cut);
    name = path.substr(cut);
}

std::string FoldCase(const std::string& path)
{
    std::string folded = path;
    if (kWindowsPaths)
        for (char& c : folded) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return folded;
}

// The state of one EnsureFolder call: the bounds, the folders being worked on (a request for one
// of them again is a cycle and fails), and the folders already known to fail in this call.
struct FolderSearch {
    int attempts = 0;
    int depth = 0;
    std::vector<std::string> active;
    std::set<std::string> failed;
    std::map<std::string, std::string> usableParents;  // parents already made usable, and where

    bool IsActive(const std::string& key) const
    {
        for (const std::string& a : active)
            if (a == key) return true;
        return false;
    }
};

bool EnsureParentOrSibling(const std::string& parent, FolderSearch& search, std::string& usableParent);

// One folder: parentReady says that its parent has just been made usable, so a folder that still
// cannot be created fails here instead of climbing to the parent again (which would only come
// back to this same folder).
bool EnsureOne(const std::string& requested, bool parentReady, FolderSearch& search, std::string& usable)
{
    if (++search.attempts > kMaxFolderAttempts || search.depth >= kMaxFolderDepth) return false;
    if (requested.empty() || requested.size() > kMaxFolderPath) return false;
    std::string path = requested;
    RemoveTrailingSeparator(path);
    const std::string key = 'F' + FoldCase(path);
    // A folder already being worked on further up is a cycle; one that failed before fails again.
    // (A folder whose parent is ready never climbs, so it may repeat the folder that asked.)
    if (!parentReady && (search.IsActive(key) || search.failed.count(key) != 0)) return false;

    bool ok = false;
    if (Files::IsDriveRoot(path.c_str()) && !Files::IsVolumeAvailable(path.c_str())) {
        ok = false;
    } else {
        const int kind = Files::GetPathKind(path.c_str());
        if (kind == kPathFolder || kind == kPathDenied) {
            ok = IsFolderWritable(path.c_str());
        } else if (kind == kPathFile) {
            ok = false;
        } else if (Files::MakeFolder(path.c_str())) {
            ok = true;
        } else if (!parentReady) {
            std::string parent, name, usableParent;
            SplitPath(path, parent, name);
            if (!parent.empty() && !name.empty() && FoldCase(parent) != FoldCase(path)) {
                search.active.push_back(key);
                ++search.depth;
                if (EnsureParentOrSibling(parent, search, usableParent)) {
                    std::string found;
                    ok = EnsureOne(usableParent + name, true, search, found);
                    for (int i = 0; !ok && i < kMaxNumberedNames; ++i)
                        ok = EnsureOne(usableParent + name + "_" + std::to_string(i), true, search, found);
                    if (ok) path = found;
                }
                --search.depth;
                search.active.pop_back();
            }
        }
    }
    if (!ok) {
        if (!parentReady) search.failed.insert(key);
        return false;
    }
    AddTrailingSeparator(path);
    usable = path;
    return true;
}

// The parent folder, or else its first usable numbered sibling ("Parent_0", "Parent_1", ...).
bool EnsureParentOrSibling(const std::string& parent, FolderSearch& search, std::string& usableParent)
{
    std::string base = parent;
    RemoveTrailingSeparator(base);
    const std::string key = 'P' + FoldCase(base);
    if (search.IsActive(key) || search.failed.count(key) != 0) return false;
    if (auto known = search.usableParents.find(key); known != search.usableParents.end()) {
        usableParent = known->second;
        return true;
    }
    search.active.push_back(key);
    bool ok = EnsureOne(parent, false, search, usableParent);
    for (int i = 0; !ok && i < kMaxNumberedNames; ++i) {
        std::string sibling = base + "_" + std::to_string(i);
        if (sibling.size() + 1 > kMaxFolderPath) break;
        sibling.push_back(kPathSeparator);
        ok = EnsureOne(sibling, false, search, usableParent);
    }
    search.active.pop_back();
    if (ok)
        search.usableParents[key] = usableParent;
    else
        search.failed.insert(key);
    return ok;
}

// Open-or-create: opens the key for reading and writing, creating it with the class "option"
// when it cannot be opened. False when neither works.
bool OpenOrCreateKey(const char* keyPath, RegKeyHandle* key)
{
    if (Registry::OpenUserKey(keyPath, key) == kRegOk) return true;
    RegKeyHandle created = nullptr;
    if (Registry::CreateUserKey(keyPath, kKeyClass, &created) != kRegOk) return false;
    Registry::CloseUserKey(created);
    return Registry::OpenUserKey(keyPath, key) == kRegOk;
}

// A value as the trace shows it: its text, or a DWORD's number; "(none)" when it is missing.
std::string TracedValue(RegKeyHandle key, const char* valueName)
{
    char buffer[kRegReadBuffer + 1] = {};
    uint32_t type = 0;
    uint32_t size = kRegReadBuffer;
    if (key == nullptr || Registry::QueryValue(key, valueName, &type, buffer, &size) != kRegOk) return "(none)";
    if (type == kRegTypeDword && size == sizeof(int32_t)) {
        int32_t number = 0;
        std::memcpy(&number, buffer, sizeof number);
        return std::to_string(number);
    }
    return std::string(buffer, strnlen(buffer, size < kRegReadBuffer ? size : kRegReadBuffer));
}

// A value read for the trace: its name, whether it was there and what it held (the settings hold
// no secret); a missing value is read as its default by the caller.
void TraceRead(const char* keyPath, const char* valueName, bool found, const std::string& data)
{
    if (!Diagnostics::Tracing()) return;
    Diagnostics::Event("setting-read",
                       {{"key", keyPath}, {"value", valueName}, {"found", found ? "yes" : "no"}, {"data", data}});
}

// True when the value was set. The trace gets the value's name, its old and its new content (the
// settings hold no secret).
bool WriteValue(const char* keyPath, const char* valueName, uint32_t type, const void* data, uint32_t size)
{
    if (keyPath == nullptr || valueName == nullptr) return false;
    RegKeyHandle key = nullptr;
    const bool opened = OpenOrCreateKey(keyPath, &key);
    const std::string old = Diagnostics::Tracing() && opened ? TracedValue(key, valueName) : "";
    const bool written = opened && Registry::SetValue(key, valueName, type, data, size) == kRegOk;
    if (Diagnostics::Tracing()) {
        Diagnostics::Event("setting-written", {{"key", keyPath},
                                               {"value", valueName},
                                               {"old", old},
                                               {"new", opened ? TracedValue(key, valueName) : ""},
                                               {"written", written ? "yes" : "no"},
                                               {"error", written ? "0" : std::to_string(Platform::LastSystemError())}});
    }
    if (opened) Registry::CloseUserKey(key);
    return written;
}

bool WriteString(const char* keyPath, const char* valueName, const char* text)
{
    const char* data = text != nullptr ? text : "";
    return WriteValue(keyPath, valueName, kRegTypeSz, data, static_cast<uint32_t>(std::strlen(data) + 1));
}

bool WriteDword(const char* keyPath, const char* valueName, int value)
{
    const int32_t data = value;
    return WriteValue(keyPath, valueName, kRegTypeDword, &data, sizeof data);
}

// Replaces the data file by renaming a new file over it, retried while the rename is refused;
// when it stays refused the file is rewritten in place, so that it never keeps an older
// connection than the registry. When the new file cannot even be written, the old file stays
// whole and the save fails.
bool WriteDataFile(const std::string& dataFile, const std::string& tempFile, const std::string& text)
{
    for (int attempt = 1;; ++attempt) {
        const int result = Files::ReplaceFileContents(dataFile.c_str(), tempFile.c_str(), text.data(), text.size());
        if (result == kFileOk) return true;
        if (result != kFileReplaceFailed) return false;
        if (attempt == kReplaceAttempts) break;
        std::this_thread::sleep_for(kReplaceRetryPause);
    }
    return Files::RewriteFileInPlace(dataFile.c_str(), text.data(), text.size()) == kFileOk;
}

bool WriteDataFileTraced(const std::string& dataFile, const std::string& tempFile, const std::string& text)
{
    const bool written = WriteDataFile(dataFile, tempFile, text);
    Diagnostics::Event("data-file-written", {{"path", dataFile},
                                             {"written", written ? "yes" : "no"},
                                             {"error", written ? "0" : std::to_string(Platform::LastSystemError())}});
    return written;
}

}  // namespace

int EnsureFolder(const char* path, char* usablePath, size_t usableSize)
{
    if (path == nullptr) return kFolderFailed;
    const std::string requested = Bounded(path, kMaxFolderPath + 1);
    if (requested.size() > kMaxFolderPath) return kFolderFailed;
    FolderSearch search;
    std::string usable;
    if (!EnsureOne(requested, false, search, usable)) return kFolderFailed;
    if (usablePath != nullptr) {
        if (usable.size() + 1 > usableSize) return kFolderFailed;
        std::memcpy(usablePath, usable.c_str(), usable.size() + 1);
    }
    return kFolderOk;
}

bool IsFolderWritable(const char* folder)
{
    if (folder == nullptr) return false;
    std::string path = Bounded(folder, kMaxFolderPath + 1);
    if (path.size() > kMaxFolderPath) return false;
    RemoveTrailingSeparator(path);
    if (Files::GetPathKind(path.c_str()) != kPathFolder) return false;

    char tempName[kMaxFolderPath + 16] = {};
    if (!Files::MakeTempFile(path.c_str(), "~SG", tempName, sizeof tempName)) return false;

    // One record: "DummyData" and 23 zero bytes.
    char record[32] = "DummyData";
    bool ok = false;
    if (FILE* out = std::fopen(tempName, "wb")) {
        std::fwrite(record, sizeof record, 1, out);
        std::fclose(out);
        if (FILE* in = std::fopen(tempName, "rb")) {
            char readBack[sizeof record + 1] = {};
            if (std::fread(readBack, 1, sizeof record, in) > 0) ok = std::strcmp(readBack, "DummyData") == 0;
            std::fclose(in);
        }
    }
    std::remove(tempName);
    return ok;
}

namespace SettingsStore {

std::string FormatDataFile(const StoredConnection& connection)
{
    const StoredConnection stored = ConnectionSchema::AsStored(connection);
    std::string lines[ConnectionSchema::kDataFileLines];
    for (const StoredValue* value : ConnectionSchema::kConnectionValues) {
        lines[value->dataFileLine] =
            value->text != nullptr ? stored.*(value->text) : std::to_string(stored.*(value->number));
    }
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

const std::string& LastDataFile()
{
    return g_lastDataFile;
}

int SaveTo(const char* dataFolder, const char* keyPath, const char* address, const char* macAddress,
           const char* adapterName, int protocolType, int ipDirectInput)
{
    StoredConnection connection;
    connection.address = Bounded(address, ConnectionSchema::kAddress.width);
    connection.macAddress = Bounded(macAddress, ConnectionSchema::kMacAddress.width);
    connection.adapterName = Bounded(adapterName, ConnectionSchema::kAdapterName.width);
    connection.protocol = protocolType;
    connection.ipDirectInput = ipDirectInput;

    g_lastDataFile.clear();
    // The data file: not written when no usable folder is found or the path is too long. Each
    // step still runs when an earlier one failed; what was written stays written.
    bool fileWritten = dataFolder == nullptr;
    char folder[kMaxDataFilePath + 1] = {};
    if (dataFolder != nullptr && EnsureFolder(dataFolder, folder, sizeof folder) == kFolderOk) {
        const std::string dataFile = std::string(folder) + ConnectionSchema::kDataFileName;
        const std::string tempFile = std::string(folder) + kDataFileTempName;
        if (dataFile.size() <= kMaxDataFilePath) {
            g_lastDataFile = dataFile;
            fileWritten = WriteDataFileTraced(dataFile, tempFile, FormatDataFile(connection));
            Files::SetSharedAccess(dataFile.c_str());
        }
    }

    // The registry values in the schema's order, each on its own key handle, then the dialog's
    // outcome "stored".
    bool valuesWritten = keyPath != nullptr;
    for (const StoredValue* value : ConnectionSchema::kConnectionValues) {
        valuesWritten &= value->text != nullptr ? WriteString(keyPath, value->name, (connection.*(value->text)).c_str())
                                                : WriteDword(keyPath, value->name, connection.*(value->number));
    }
    valuesWritten &= WriteDword(keyPath, ConnectionSchema::kDialogResult.name, 1);
    return fileWritten && valuesWritten ? kSaveOk : kSaveFailed;
}

int Save(const char* address, const char* macAddress, const char* adapterName, int protocolType, int ipDirectInput)
{
    const Product& product = Products::Current();
    const std::string dataFolder = DataFolder(product);
    const std::string keyPath = SettingsKey(product);
    // An empty folder (no common application-data folder) makes no data file.
    return SaveTo(dataFolder.empty() ? nullptr : dataFolder.c_str(), keyPath.c_str(), address, macAddress, adapterName,
                  protocolType, ipDirectInput);
}

std::string ReadRegString(const char* keyPath, const char* valueName, const char* defaultText)
{
    std::string result = defaultText != nullptr ? defaultText : "";
    if (keyPath == nullptr || valueName == nullptr) return result;
    RegKeyHandle key = nullptr;
    RegStatus status = Registry::OpenUserKey(keyPath, &key);
    if (status == kRegOk) {
        char buffer[kRegReadBuffer + 1] = {};
        uint32_t size = kRegReadBuffer;
        status = Registry::QueryValue(key, valueName, nullptr, buffer, &size);
        if (status == kRegOk) {
            if (size > kRegReadBuffer) size = kRegReadBuffer;
            result.assign(buffer, strnlen(buffer, size));
        }
        Registry::CloseUserKey(key);
    }
    TraceRead(keyPath, valueName, status == kRegOk, result);
    return result;
}

int ReadRegDword(const char* keyPath, const char* valueName, int* value)
{
    RegKeyHandle key = nullptr;
    int result = Registry::OpenUserKey(keyPath, &key);
    if (result != kRegOk) {
        return result;
    }
    uint32_t data = 0;
    uint32_t size = sizeof data;
    result = Registry::QueryValue(key, valueName, nullptr, &data, &size);
    Registry::CloseUserKey(key);
    if (result == kRegOk && size != sizeof data) result = kRegFailed;
    TraceRead(keyPath, valueName, result == kRegOk, std::to_string(result == kRegOk ? data : 0));
    if (result != kRegOk) return result;
    *value = static_cast<int>(data);
    return kRegOk;
}

void WriteRegString(const char* keyPath, const char* valueName, const char* text)
{
    WriteString(keyPath, valueName, text);
}

void WriteRegDword(const char* keyPath, const char* valueName, int value)
{
    WriteDword(keyPath, valueName, value);
}

bool DeleteRegValue(const char* keyPath, const char* valueName)
{
    RegKeyHandle key = nullptr;
    const RegStatus opened = Registry::OpenUserKey(keyPath, &key);
    if (opened == kRegMissing) return true;
    if (opened != kRegOk) return false;
    const RegStatus deleted = Registry::DeleteValue(key, valueName);
    Registry::CloseUserKey(key);
    return deleted == kRegOk || deleted == kRegMissing;
}

}  // namespace SettingsStore
