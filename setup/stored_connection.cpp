// Reading the stored connection back from the registry and the data file.
#include "setup/stored_connection.h"

#include <cctype>
#include <cstring>

#include "platform/files.h"
#include "product/protocol.h"
#include "product/product.h"
#include "setup/connection_services.h"
#include "setup/settings_store.h"

namespace {

constexpr size_t kDataFileCapacity = 4096;

int ReadDword(const std::string& key, const char* name)
{
    int value = 0;
    if (Services().ReadRegDword(key.c_str(), name, &value) != 0) value = 0;
    return value;
}

bool ReadRegistry(StoredConnection& connection)
{
    const std::string key = SettingsKey(Products::Current());
    if (key.empty()) return false;
    const ConnectionServices& s = Services();
    StoredConnection read;
    read.address = s.ReadRegString(key.c_str(), kValueIpAddress, "");
    if (read.address.empty()) return false;
    read.macAddress = s.ReadRegString(key.c_str(), kValueMacAddr, "");
    read.adapterName = s.ReadRegString(key.c_str(), kValueAdapName, "");
    read.protocol = ReadDword(key, kValueProtocolType);
    read.ipDirectInput = ReadDword(key, kValueIpDirectInput);
    connection = read;
    return true;
}

bool ReadDataFile(StoredConnection& connection)
{
    std::string folder = DataFolder(Products::Current());
    if (folder.empty()) return false;
    if (folder.back() != '\\' && folder.back() != '/') folder += kPathSeparator;
    const std::string path = folder + kDataFileName;
    char buffer[kDataFileCapacity];
    size_t length = 0;
    if (Files::ReadSmallFile(path.c_str(), buffer, sizeof buffer, &length) != kFileOk) return false;
    return ParseDataFile(std::string(buffer, length), connection);
}

// What Save stores of a text: its first maxLength characters.
std::string Cut(const char* text, size_t maxLength)
{
    std::string s = text != nullptr ? text : "";
    if (s.size() > maxLength) s.resize(maxLength);
    return s;
}

}  // namespace

bool ParseDataFile(const std::string& text, StoredConnection& connection)
{
    std::string lines[5];
    size_t at = 0;
    for (int i = 0; i < 5; ++i) {
        if (at > text.size() || (at == text.size() && i > 0)) return false;
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        lines[i] = text.substr(at, end - at);
        at = end + 2;
    }
    for (int i : {2, 4})
        if (lines[i] != "0" && lines[i] != "1") return false;
    if (lines[0].empty()) return false;
    connection.address = lines[0];
    connection.macAddress = lines[1];
    connection.protocol = lines[2][0] - '0';
    connection.adapterName = lines[3];
    connection.ipDirectInput = lines[4][0] - '0';
    return true;
}

int ReadStoredConnection(StoredConnection& connection)
{
    if (ReadRegistry(connection)) return kStoredRegistry;
    if (ReadDataFile(connection)) return kStoredDataFile;
    return kStoredNone;
}

bool StoredConnectionHolds(const char* address, const char* macAddress, const char* adapterName, int protocol,
                           int ipDirectInput)
{
    StoredConnection wanted;
    wanted.address = Cut(address, 127);
    wanted.macAddress = Cut(macAddress, 63);
    wanted.adapterName = Cut(adapterName, 259);
    wanted.protocol = protocol;
    wanted.ipDirectInput = ipDirectInput;
    auto same = [&](const StoredConnection& c) {
        return c.address == wanted.address && c.macAddress == wanted.macAddress &&
               c.adapterName == wanted.adapterName && c.protocol == wanted.protocol &&
               c.ipDirectInput == wanted.ipDirectInput;
    };
    StoredConnection inRegistry, inFile;
    return ReadRegistry(inRegistry) && same(inRegistry) && ReadDataFile(inFile) && same(inFile);
}

bool SameMacAddress(const char* a, const char* b)
{
    if (a == nullptr || b == nullptr || a[0] == '\0') return false;
    for (; *a != '\0' && *b != '\0'; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
    return *a == *b;
}

int StoredIndexIn(const DeviceList& list, int protocol, const StoredConnection& stored)
{
    if (stored.protocol != protocol || stored.macAddress.empty()) return -1;
    int index = -1;
    for (size_t i = 0; i < list.Count(); ++i) {
        const DeviceRecord& r = list.At(i);
        if (!SameMacAddress(r.macAddress, stored.macAddress.c_str())) continue;
        if (protocol != kProtocolIPv6 || stored.adapterName == r.adapterName) return static_cast<int>(i);
        if (index < 0) index = static_cast<int>(i);
    }
    return index;
}
