// The stored connection's one schema: the values that hold a chosen scanner connection, with each
// value's registry name and type, the widest text it keeps and its line in the data file. The
// settings store writes by it and every reader reads by it, so a read-back reads exactly what the
// writer wrote. The rest of the scanner product reads these values: names, types, widths and the
// line order never change.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/registry.h"

// One stored connection. Texts are as stored (cut to their widths).
struct StoredConnection {
    std::string address;
    std::string macAddress;
    std::string adapterName;
    int protocol = 0;  // kProtocolIPv4 or kProtocolIPv6
    int ipDirectInput = 0;
    int authenticated = 0;  // 1: stored from a verified SNMPv3 answer (registry only)
    std::string hostName;   // the host name typed for the address, or empty (registry only)
};

// One stored value.
struct StoredValue {
    const char* name;                     // the registry value's name
    uint32_t type;                        // kRegTypeSz or kRegTypeDword
    size_t width;                         // a text's most characters (without the NUL); 0 for a number
    int dataFileLine;                     // the value's line in the data file (from 0), or -1 when it has none
    std::string StoredConnection::*text;  // the text field it stores, or null
    int StoredConnection::*number;        // the number field it stores (0 or 1), or null
};

namespace ConnectionSchema {
inline constexpr const char kDataFileName[] = "ScanLink.dat";
// The data file's lines, each ended by CR LF.
inline constexpr int kDataFileLines = 5;

inline constexpr StoredValue kAddress{"IPAddress", kRegTypeSz, 127, 0, &StoredConnection::address, nullptr};
inline constexpr StoredValue kMacAddress{"MACAddr", kRegTypeSz, 63, 1, &StoredConnection::macAddress, nullptr};
inline constexpr StoredValue kProtocol{"ProtocolType", kRegTypeDword, 0, 2, nullptr, &StoredConnection::protocol};
inline constexpr StoredValue kAdapterName{"AdapName", kRegTypeSz, 259, 3, &StoredConnection::adapterName, nullptr};
inline constexpr StoredValue kDirectInput{
    "IPDirectInput", kRegTypeDword, 0, 4, nullptr, &StoredConnection::ipDirectInput};
// 1 when the connection was stored from a verified SNMPv3 answer: it is then followed only to
// verified answers. Beside the connection in the registry; the data file has no line for it, and
// a missing value reads as 0.
inline constexpr StoredValue kAuthenticated{
    "Authenticated", kRegTypeDword, 0, -1, nullptr, &StoredConnection::authenticated};
// The host name that was typed instead of an address: "IPAddress" holds the address it resolved to
// (what the driver reads) and /refresh resolves the name again first. Beside the connection in the
// registry, absent when an address was typed; the data file has no line for it.
inline constexpr StoredValue kHostName{"HostName", kRegTypeSz, 253, -1, &StoredConnection::hostName, nullptr};
// The address dialog's outcome: 1 after a connection was stored, 2 after the dialog was cancelled.
inline constexpr StoredValue kDialogResult{"IPDlgRet", kRegTypeDword, 0, -1, nullptr, nullptr};

// The connection's values in the order Save writes them to the registry.
inline constexpr const StoredValue* kConnectionValues[] = {&kAddress, &kMacAddress, &kAdapterName, &kProtocol,
                                                           &kDirectInput};

// The connection as it is stored: every text cut to its width.
inline StoredConnection AsStored(StoredConnection connection)
{
    for (const StoredValue* value : kConnectionValues) {
        if (value->text != nullptr && (connection.*(value->text)).size() > value->width)
            (connection.*(value->text)).resize(value->width);
    }
    return connection;
}
}  // namespace ConnectionSchema
