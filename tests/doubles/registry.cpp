// The native registry stand-in: a small file-backed store of keys, classes and typed values.
#include "platform/registry.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <unistd.h>

#include "doubles/registry_store.h"
#include "platform/bounded_text.h"
#include "platform/system.h"

namespace {

struct Value {
    std::string name;
    uint32_t type = 0;
    std::string data;
};

struct Key {
    std::string path;
    std::string keyClass;
    std::vector<Value> values;  // in the order of their first write
};

// Keys by their folded path; the root (the empty path) always exists. Keys of the machine hive are
// kept with a leading backslash, which no path of the user hive can have.
using Store = std::map<std::string, Key>;
const std::string kMachinePrefix = "\\";

struct Handle {
    std::string folded;
    bool readOnly = false;
};

std::string g_storeFile;
std::vector<std::string> g_journal;
bool g_refused = false;

std::string Fold(const std::string& text)
{
    std::string folded = text;
    for (char& c : folded) c = AsciiToUpper(c);
    return folded;
}

std::string StoreFile()
{
    if (!g_storeFile.empty()) return g_storeFile;
    if (const char* env = std::getenv("SCANLINK_REGISTRY_FILE"); env != nullptr && *env != '\0') return env;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/.scanlink-registry";
}

std::string ToHex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex = "x";  // never empty, so that fields split cleanly
    for (unsigned char c : bytes) {
        hex.push_back(digits[c >> 4]);
        hex.push_back(digits[c & 15]);
    }
    return hex;
}

bool FromHex(const std::string& hex, std::string& bytes)
{
    if (hex.empty() || hex[0] != 'x' || hex.size() % 2 != 1) return false;
    bytes.clear();
    for (size_t i = 1; i < hex.size(); i += 2) {
        auto nibble = [](char c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1; };
        const int hi = nibble(hex[i]), lo = nibble(hex[i + 1]);
        if (hi < 0 || lo < 0) return false;
        bytes.push_back(static_cast<char>(hi * 16 + lo));
    }
    return true;
}

// Reads the store; a missing file is an empty store, an unreadable or damaged one fails.
bool Load(Store& store)
{
    store.clear();
    std::ifstream in(StoreFile(), std::ios::binary);
    if (!in) return access(StoreFile().c_str(), F_OK) != 0;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind, path, a, b, c;
        fields >> kind >> path;
        std::string pathText;
        if (!FromHex(path, pathText)) return false;
        Key& key = store[Fold(pathText)];
        key.path = pathText;
        if (kind == "key") {
            fields >> a;
            if (!FromHex(a, key.keyClass)) return false;
        } else if (kind == "value") {
            Value value;
            uint32_t type = 0;
            fields >> a >> type >> c;
            if (!FromHex(a, value.name) || !FromHex(c, value.data)) return false;
            value.type = type;
            key.values.push_back(value);
        } else {
            return false;
        }
    }
    return true;
}

bool SaveStore(const Store& store)
{
    const std::string file = StoreFile();
    const std::string temp = file + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        for (const auto& [folded, key] : store) {
            out << "key " << ToHex(key.path) << ' ' << ToHex(key.keyClass) << '\n';
            for (const Value& value : key.values)
                out << "value " << ToHex(key.path) << ' ' << ToHex(value.name) << ' ' << value.type << ' '
                    << ToHex(value.data) << '\n';
        }
        if (!out.flush()) return false;
    }
    return std::rename(temp.c_str(), file.c_str()) == 0;
}

// A key path is valid when none of its parts is empty; the empty path is the hive's root.
bool ValidPath(const std::string& path)
{
    if (path.empty()) return true;
    if (path.front() == '\\' || path.back() == '\\') return false;
    return path.find("\\\\") == std::string::npos;
}

const char* ResultName(int result)
{
    switch (result) {
    case kRegOk:
        return "ok";
    case kRegMissing:
        return "missing";
    case kRegDenied:
        return "denied";
    case kRegMoreData:
        return "moredata";
    default:
        return "failed";
    }
}

RegStatus Record(RegStatus result, const std::string& line)
{
    g_journal.push_back(line + " " + ResultName(result));
    return result;
}

// Creates the key (and the missing keys above it) below the hive that prefix names.
RegStatus CreateKeyIn(const std::string& prefix, const char* path, const char* keyClass, RegKeyHandle* key)
{
    const std::string text = path != nullptr ? path : "";
    const std::string cls = keyClass != nullptr ? keyClass : "";
    const std::string line = "create " + prefix + text + " " + cls;
    if (path == nullptr || key == nullptr || !ValidPath(text)) return Record(kRegFailed, line);
    Store store;
    if (!Load(store)) return Record(kRegFailed, line);
    bool created = false;
    for (size_t end = 0; !text.empty() && end != std::string::npos;) {
        end = text.find('\\', end + 1);
        const std::string part = text.substr(0, end);
        if (store.count(Fold(prefix + part)) != 0) continue;
        if (g_refused) return Record(kRegDenied, line);
        store[Fold(prefix + part)] = Key{prefix + part, cls, {}};
        created = true;
    }
    if (created && !SaveStore(store)) return Record(kRegFailed, line);
    *key = new Handle{Fold(prefix + text)};
    return Record(kRegOk, line);
}

}  // namespace

namespace PosixRegistry {
void SetStoreFile(const std::string& path)
{
    g_storeFile = path;
}
const std::vector<std::string>& Journal()
{
    return g_journal;
}
void ClearJournal()
{
    g_journal.clear();
}
RegStatus CreateMachineKey(const char* path, RegKeyHandle* key)
{
    return CreateKeyIn(kMachinePrefix, path, "", key);
}
}  // namespace PosixRegistry

namespace Registry {

RegStatus OpenUserKey(const char* path, RegKeyHandle* key)
{
    const std::string text = path != nullptr ? path : "";
    if (path == nullptr || key == nullptr || !ValidPath(text)) return Record(kRegFailed, "open " + text);
    Store store;
    if (!Load(store)) return Record(kRegFailed, "open " + text);
    if (!text.empty() && store.count(Fold(text)) == 0) return Record(kRegMissing, "open " + text);
    *key = new Handle{Fold(text)};
    return Record(kRegOk, "open " + text);
}

RegStatus CreateUserKey(const char* path, const char* keyClass, RegKeyHandle* key)
{
    return CreateKeyIn("", path, keyClass, key);
}

RegStatus CreateMachineKey(const char* path, const char* keyClass, RegKeyHandle* key)
{
    if (!Platform::RunsAsAdministrator()) return Record(kRegDenied, "create " + kMachinePrefix + (path ? path : ""));
    return CreateKeyIn(kMachinePrefix, path, keyClass, key);
}

RegStatus DeleteValue(RegKeyHandle key, const char* name)
{
    const std::string valueName = name != nullptr ? name : "";
    const std::string line = "delete " + valueName;
    Handle* handle = static_cast<Handle*>(key);
    if (handle == nullptr) return Record(kRegFailed, line);
    if (g_refused || handle->readOnly) return Record(kRegDenied, line);
    Store store;
    if (!Load(store)) return Record(kRegFailed, line);
    auto found = store.find(handle->folded);
    if (found == store.end()) return Record(kRegMissing, line);
    std::vector<Value>& values = found->second.values;
    const auto before = values.size();
    std::erase_if(values, [&](const Value& value) { return Fold(value.name) == Fold(valueName); });
    if (values.size() == before) return Record(kRegMissing, line);
    return Record(SaveStore(store) ? kRegOk : kRegFailed, line);
}

RegStatus SetValue(RegKeyHandle key, const char* name, uint32_t type, const void* data, uint32_t size)
{
    const std::string valueName = name != nullptr ? name : "";
    const std::string line = "set " + valueName + " " + std::to_string(type);
    Handle* handle = static_cast<Handle*>(key);
    if (handle == nullptr || (data == nullptr && size != 0)) return Record(kRegFailed, line);
    if (g_refused || handle->readOnly) return Record(kRegDenied, line);
    Store store;
    if (!Load(store)) return Record(kRegFailed, line);
    if (!handle->folded.empty() && store.count(handle->folded) == 0) return Record(kRegFailed, line);
    Key& stored = store[handle->folded];
    const std::string bytes(static_cast<const char*>(data), size);
    bool replaced = false;
    for (Value& value : stored.values)
        if (Fold(value.name) == Fold(valueName)) {
            value.type = type;
            value.data = bytes;
            replaced = true;
        }
    if (!replaced) stored.values.push_back(Value{valueName, type, bytes});
    return Record(SaveStore(store) ? kRegOk : kRegFailed, line);
}

RegStatus QueryValue(RegKeyHandle key, const char* name, uint32_t* type, void* buffer, uint32_t* size)
{
    const std::string valueName = name != nullptr ? name : "";
    const std::string line = "query " + valueName;
    Handle* handle = static_cast<Handle*>(key);
    if (handle == nullptr || size == nullptr) return Record(kRegFailed, line);
    Store store;
    if (!Load(store)) return Record(kRegFailed, line);
    auto found = store.find(handle->folded);
    if (found == store.end()) return Record(kRegMissing, line);
    for (const Value& value : found->second.values) {
        if (Fold(value.name) != Fold(valueName)) continue;
        const uint32_t length = static_cast<uint32_t>(value.data.size());
        if (buffer != nullptr && length > *size) {
            *size = length;
            return Record(kRegMoreData, line);
        }
        if (buffer != nullptr) std::memcpy(buffer, value.data.data(), length);
        *size = length;
        if (type != nullptr) *type = value.type;
        return Record(kRegOk, line);
    }
    return Record(kRegMissing, line);
}

RegStatus OpenKeyForReading(RegHive hive, const char* path, RegKeyHandle* key)
{
    const std::string text = path != nullptr ? path : "";
    const std::string prefix = hive == kRegUserHive ? "" : kMachinePrefix;
    const std::string line = "read " + prefix + text;
    if (path == nullptr || key == nullptr || !ValidPath(text)) return Record(kRegFailed, line);
    Store store;
    if (!Load(store)) return Record(kRegFailed, line);
    if (!(prefix + text).empty() && store.count(Fold(prefix + text)) == 0) return Record(kRegMissing, line);
    *key = new Handle{Fold(prefix + text), true};
    return Record(kRegOk, line);
}

void CloseUserKey(RegKeyHandle key)
{
    if (key == nullptr) return;
    delete static_cast<Handle*>(key);
    g_journal.push_back("close");
}

}  // namespace Registry
