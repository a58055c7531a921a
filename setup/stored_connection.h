// The stored scanner connection read back: from the registry values below the current product's
// settings key, else from the data file; the check, after a save, that both hold what was saved;
// and the rule by which a discovered scanner is the stored one.
#pragma once
#include <string>

#include "discovery/address_check.h"
#include "discovery/device_list.h"
#include "setup/connection_schema.h"

// Where a connection was found.
constexpr int kStoredNone = 0;  // neither the registry nor the data file holds an address
constexpr int kStoredRegistry = 1;
constexpr int kStoredDataFile = 2;

// Parses the data file's lines (setup/connection_schema.h), each ended by CR LF (a last line
// without its end is taken too). False when the text does not have them all, a number line is not
// 0 or 1, or the address is empty.
bool ParseDataFile(const std::string& text, StoredConnection& connection);

// Reads the current product's stored connection: the registry values when "IPAddress" is there and
// not empty (a missing number reads as 0), else the data file "ScanLink.dat" in the product's data
// folder (not its numbered stand-ins). Returns kStoredRegistry, kStoredDataFile or kStoredNone
// (connection then untouched). Goes through Services() for the registry.
int ReadStoredConnection(StoredConnection& connection);

// True when the registry values and the data file that the last save wrote
// (SettingsStore::LastDataFile) both hold exactly this connection as the schema stores it (texts cut
// to their widths): what "the connection was stored" means to the command-line modes.
bool StoredConnectionHolds(const char* address, const char* macAddress, const char* adapterName, int protocol,
                           int ipDirectInput);

// Equality of two MAC address texts ignoring the case of ASCII letters; an empty text equals nothing.
bool SameMacAddress(const char* a, const char* b);

// The same scanner: the index in list of the stored scanner, or -1. The first record with the
// stored MAC address (letter case ignored); over IPv6 a record found through the stored adapter
// (adapter names compared without regard to letter case) comes first. Only a connection stored for
// protocol matches, and never one without MAC address. A connection stored from a verified SNMPv3
// answer (authenticated) matches only verified records: any other record with its MAC address is
// passed over (traced "stored-scanner", verdict=unauthenticated), since any host can claim a MAC. The rule by which /list names the stored
// scanner, /refresh finds it again and the address dialog selects it.
int StoredIndexIn(const DeviceList& list, int protocol, const StoredConnection& stored);

// Whether the unicast check found the stored scanner at its address: this product answered with the
// stored MAC address, and verified over SNMPv3 when the connection was stored so.
bool AnsweredAsStored(const StoredConnection& stored, const AddressCheckResult& check);

// Writes "Authenticated" beside the stored connection: 1 when it was stored from a verified SNMPv3
// answer, else 0 (left absent when it is absent: the registry of a connection never stored from
// SNMPv3 stays as it was). True when the value reads back so (absent reads as 0). Every save of a
// connection is followed by it.
bool MarkAuthenticated(bool authenticated);

// Writes "HostName" beside the stored connection: the name typed for its address, or removes it
// for an empty name (left absent when it is absent, and not written again when it holds the name: a
// connection stored without a name stays as it was). True when the value reads back so. Every save
// of a connection that was typed or followed by its name is followed by it.
bool MarkHostName(const char* hostName);

// Whether a scanner found at address through adapter (IPv6) is where the connection points: the
// same address as parsed addresses (discovery/address_text.h), and over IPv6 the same adapter,
// letter case ignored. What "nothing moved" means to /refresh and the address dialog.
bool StoredAt(const StoredConnection& stored, const char* address, const char* adapterName);
