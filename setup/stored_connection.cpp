// Reading the stored connection back from the registry and the data file, by the one schema.
#include "setup/stored_connection.h"

#include <cstring>

#include "discovery/address_text.h"
#include "platform/adapters.h"
#include "platform/bounded_text.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "product/product.h"
#include "product/protocol.h"
#include "setup/connection_services.h"
#include "setup/settings_store.h"

namespace {

constexpr size_t kDataFileCapacity = 4096;

bool ReadRegistry(StoredConnection& connection)
{
    const std::string key = SettingsKey(Products::Current());
    const ConnectionServices& s = Services();
    StoredConnection read;
    for (const StoredValue* value : ConnectionSchema::kConnectionValues) {
        if (value->text != nullptr) {
            read.*(value->text) = s.ReadRegString(key.c_str(), value->name, "");
        } else if (s.ReadRegDword(key.c_str(), value->name, &(read.*(value->number))) != 0) {
            read.*(value->number) = 0;
        }
        if (value == &ConnectionSchema::kAddress && read.address.empty()) return false;
    }
    if (s.ReadRegDword(key.c_str(), ConnectionSchema::kAuthenticated.name, &read.authenticated) != 0)
        read.authenticated = 0;
    read.hostName = s.ReadRegString(key.c_str(), ConnectionSchema::kHostName.name, "");
    connection = read;
    return true;
}

bool ReadDataFile(const std::string& path, StoredConnection& connection)
{
    char buffer[kDataFileCapacity];
    size_t length = 0;
    if (path.empty() || Files::ReadSmallFile(path.c_str(), buffer, sizeof buffer, &length) != kFileOk) return false;
    return ParseDataFile(std::string(buffer, length), connection);
}

std::string DefaultDataFile()
{
    std::string folder = DataFolder(Products::Current());
    if (folder.empty()) return "";
    if (folder.back() != '\\' && folder.back() != '/') folder += kPathSeparator;
    return folder + ConnectionSchema::kDataFileName;
}

bool Same(const StoredConnection& a, const StoredConnection& b)
{
    return a.address == b.address && a.macAddress == b.macAddress && a.adapterName == b.adapterName &&
           a.protocol == b.protocol && a.ipDirectInput == b.ipDirectInput;
}

}  // namespace

bool ParseDataFile(const std::string& text, StoredConnection& connection)
{
    std::string lines[ConnectionSchema::kDataFileLines];
    size_t at = 0;
    for (int i = 0; i < ConnectionSchema::kDataFileLines; ++i) {
        if (at > text.size() || (at == text.size() && i > 0)) return false;
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        lines[i] = text.substr(at, end - at);
        at = end + 2;
    }
    StoredConnection read;
    for (const StoredValue* value : ConnectionSchema::kConnectionValues) {
        const std::string& line = lines[value->dataFileLine];
        if (value->text != nullptr) {
            read.*(value->text) = line;
        } else {
            if (line != "0" && line != "1") return false;
            read.*(value->number) = line[0] - '0';
        }
    }
    if (read.address.empty()) return false;
    connection = read;
    return true;
}

int ReadStoredConnection(StoredConnection& connection)
{
    if (ReadRegistry(connection)) return kStoredRegistry;
    if (ReadDataFile(DefaultDataFile(), connection)) return kStoredDataFile;
    return kStoredNone;
}

bool StoredConnectionHolds(const char* address, const char* macAddress, const char* adapterName, int protocol,
                           int ipDirectInput)
{
    StoredConnection wanted;
    wanted.address = address != nullptr ? address : "";
    wanted.macAddress = macAddress != nullptr ? macAddress : "";
    wanted.adapterName = adapterName != nullptr ? adapterName : "";
    wanted.protocol = protocol;
    wanted.ipDirectInput = ipDirectInput;
    wanted = ConnectionSchema::AsStored(wanted);
    const std::string& written = SettingsStore::LastDataFile();
    StoredConnection inRegistry, inFile;
    return ReadRegistry(inRegistry) && Same(inRegistry, wanted) &&
           ReadDataFile(written.empty() ? DefaultDataFile() : written, inFile) && Same(inFile, wanted);
}

bool SameMacAddress(const char* a, const char* b)
{
    if (a == nullptr || b == nullptr || a[0] == '\0') return false;
    return AsciiEqualNoCase(a, b);
}

int StoredIndexIn(const DeviceList& list, int protocol, const StoredConnection& stored)
{
    if (stored.protocol != protocol || stored.macAddress.empty()) return -1;
    int index = -1;
    for (size_t i = 0; i < list.Count(); ++i) {
        const DeviceRecord& r = list.At(i);
        if (!SameMacAddress(r.macAddress, stored.macAddress.c_str())) continue;
        if (stored.authenticated != 0 && !r.authenticated) {
            Diagnostics::Event("stored-scanner", {{"address", r.address}, {"verdict", "unauthenticated"}});
            continue;
        }
        if (protocol != kProtocolIPv6 || AdapterNamesEqual(stored.adapterName.c_str(), r.adapterName))
            return static_cast<int>(i);
        if (index < 0) index = static_cast<int>(i);
    }
    return index;
}

bool AnsweredAsStored(const StoredConnection& stored, const AddressCheckResult& check)
{
    return check.outcome == kCheckProductAnswered && SameMacAddress(check.macAddress, stored.macAddress.c_str()) &&
           (stored.authenticated == 0 || check.authenticated);
}

bool MarkAuthenticated(bool authenticated)
{
    const std::string key = SettingsKey(Products::Current());
    const ConnectionServices& s = Services();
    int read = 0;
    // A connection that never was authenticated keeps the value absent, as before it existed.
    const bool present = s.ReadRegDword(key.c_str(), ConnectionSchema::kAuthenticated.name, &read) == 0;
    if (!authenticated && (!present || read == 0)) return true;
    s.WriteRegDword(key.c_str(), ConnectionSchema::kAuthenticated.name, authenticated ? 1 : 0);
    read = -1;
    return s.ReadRegDword(key.c_str(), ConnectionSchema::kAuthenticated.name, &read) == 0 &&
           read == (authenticated ? 1 : 0);
}

bool MarkHostName(const char* hostName)
{
    const std::string key = SettingsKey(Products::Current());
    std::string name = hostName != nullptr ? hostName : "";
    if (name.size() > ConnectionSchema::kHostName.width) name.resize(ConnectionSchema::kHostName.width);
    // A newline is never in a stored name: it stands for "absent".
    const std::string before = SettingsStore::ReadRegString(key.c_str(), ConnectionSchema::kHostName.name, "\n");
    if (before == name || (name.empty() && before == "\n")) return true;
    if (name.empty()) return SettingsStore::DeleteRegValue(key.c_str(), ConnectionSchema::kHostName.name);
    SettingsStore::WriteRegString(key.c_str(), ConnectionSchema::kHostName.name, name.c_str());
    return SettingsStore::ReadRegString(key.c_str(), ConnectionSchema::kHostName.name, "\n") == name;
}

bool StoredAt(const StoredConnection& stored, const char* address, const char* adapterName)
{
    if (!SameAddress(stored.address.c_str(), address, stored.protocol)) return false;
    return stored.protocol != kProtocolIPv6 || AdapterNamesEqual(stored.adapterName.c_str(), adapterName);
}
