// The stored scanner connection read back: from the registry values below the variant's key, else
// from the data file; and the check, after a save, that both hold what was saved.
#pragma once
#include <string>

#include "discovery/device_list.h"

// One stored connection. Texts are as stored (cut to their fields).
struct StoredConnection {
    std::string address;
    std::string macAddress;
    std::string adapterName;
    int protocol = 0;  // kProtocolIPv4 or kProtocolIPv6
    int ipDirectInput = 0;
};

// Where a connection was found.
constexpr int kStoredNone = 0;  // neither the registry nor the data file holds an address
constexpr int kStoredRegistry = 1;
constexpr int kStoredDataFile = 2;

// Parses the data file's five lines (address, MAC address, protocol, adapter name, direct-input
// flag), each ended by CR LF (a last line without its end is taken too). False when the text does
// not have the five lines, a number line is not 0 or 1, or the address is empty.
bool ParseDataFile(const std::string& text, StoredConnection& connection);

// Reads the current variant's stored connection: the registry values "IPAddress", "MACAddr",
// "AdapName", "ProtocolType", "IPDirectInput" when "IPAddress" is there and not empty (a missing
// "ProtocolType" or "IPDirectInput" reads as 0), else the data file "ScanLink.dat" in the variant's
// data folder (item 16; not its numbered stand-ins). Returns kStoredRegistry, kStoredDataFile or
// kStoredNone (connection then untouched). Goes through Services() for the registry.
int ReadStoredConnection(StoredConnection& connection);

// True when the registry values and the data file both hold exactly this connection, as
// SettingsStore::Save writes it (texts cut to their fields): what "the connection was stored"
// means to the command-line modes.
bool StoredConnectionHolds(const char* address, const char* macAddress, const char* adapterName, int protocol,
                           int ipDirectInput);

// Equality of two MAC address texts ignoring letter case; an empty text equals nothing.
bool SameMacAddress(const char* a, const char* b);

// The index in list of the stored scanner, or -1: the first record with the stored MAC address
// (letter case ignored); over IPv6 a record found through the stored adapter comes first. Only a
// connection stored for protocol matches, and never one without MAC address. The rule by which
// /list names the stored scanner and /refresh finds it again.
int StoredIndexIn(const DeviceList& list, int protocol, const StoredConnection& stored);
