// The calls that the two dialogs and the commit flow make into discovery, the settings store and
// device registration, gathered in one table of replaceable functions.
#pragma once
#include <string>
#include <vector>

#include "discovery/address_check.h"
#include "discovery/device_list.h"
#include "discovery/discovery_pass.h"
#include "discovery/discovery_search.h"
#include "discovery/discovery_transport.h"
#include "platform/name_resolution.h"
#include "setup/stored_follow.h"

// Each entry defaults to the real operation (RealConnectionServices). Native tests replace
// entries with stand-ins where the real operation cannot run there or must be watched: discovery
// needs a network, registration the device installer. The dialogs and the commit flow reach these
// operations only through this table.
//
// Ownership: the table is process-wide and lives as long as the process. Whoever replaces an
// entry puts the old one back (ScopedConnectionServices does that).
struct ConnectionServices {
    // RunDiscovery: replaces deviceList with the scanners found for protocol (0 IPv4, 1 IPv6) in
    // passes passes of the given timing and sets selectedIndex (0 when the list is not empty, else -1); skipped (may
    // be null) receives the adapters that could not be searched; targets are asked besides (or,
    // LocalBroadcast off, instead of) the local networks. Result 0, -1 (no adapter could be
    // searched) or 2 (protocol neither 0 nor 1); the dialogs never examine it.
    int (*RunDiscovery)(DeviceList& deviceList, int& selectedIndex, int passes, const PassTiming& timing, int protocol,
                        std::vector<SkippedAdapter>* skipped, const SearchTargets& targets);

    // The transport of the scanner address dialog's live search (DiscoverySearch) and of its stepped
    // check of a typed address (AddressCheck): the system's
    // sockets, adapters and clock (SystemDiscoveryTransport). Tests put a scripted network here.
    DiscoveryTransport& (*SearchTransport)();

    // SettingsStore::Save: the data file and the six registry values ("IPDlgRet" = 1). Shows
    // nothing; kSaveOk, or kSaveFailed when the data file or a value could not be written.
    int (*Save)(const char* address, const char* macAddress, const char* adapterName, int protocolType,
                int ipDirectInput);

    // SettingsStore::ReadRegString: one string value below HKEY_CURRENT_USER, or defaultText.
    std::string (*ReadRegString)(const char* keyPath, const char* valueName, const char* defaultText);

    // SettingsStore::WriteRegDword: one REG_DWORD value, the key created (class "option") when
    // missing; silent when the key can be neither opened nor created.
    void (*WriteRegDword)(const char* keyPath, const char* valueName, int value);

    // SettingsStore::ReadRegDword: one 4-byte value below HKEY_CURRENT_USER, the key opened for reading and
    // writing and never created. 0 with *value set; non-zero (and *value unchanged) when the key or
    // the value is missing, cannot be opened, or its data is not 4 bytes.
    int (*ReadRegDword)(const char* keyPath, const char* valueName, int* value);

    // FindScannerDevice: 0 present, 5 not present, 1 no memory, 2 no device list.
    int (*FindScannerDevice)(const char* deviceDescription);
    // RegisterScannerDevice: 0 node made, 2 the INF file does not exist, 3 no node could be made.
    int (*RegisterScannerDevice)(const char* infPath, const char* hardwareId);

    // CheckAddress (discovery/address_check.h): the unicast check of one address (1 s, one retry)
    // of protocol; adapterName is the stored connection's adapter for IPv6 (may be empty).
    void (*CheckAddress)(const char* address, int protocol, const char* adapterName, AddressCheckResult& result);

    // FollowStored (setup/stored_follow.h) with the command line's search: the check of the stored
    // address and the search for the stored scanner side by side (/refresh); the search asks targets too.
    void (*FollowStored)(const StoredConnection& stored, const SearchTargets& targets, FollowResult& result);

    // Platform::ResolveHostName (platform/name_resolution.h): a typed or stored host name's addresses.
    ResolveStatus (*ResolveName)(const char* name, int family, std::vector<UdpAddress>* addresses);
};

// The current table.
ConnectionServices& Services();
// The table of the real operations.
const ConnectionServices& RealConnectionServices();

// Replaces the table for the life of the object and restores the previous one afterwards.
class ScopedConnectionServices {
public:
    explicit ScopedConnectionServices(const ConnectionServices& replacement) : saved_(Services())
    {
        Services() = replacement;
    }
    ~ScopedConnectionServices() { Services() = saved_; }
    ScopedConnectionServices(const ScopedConnectionServices&) = delete;
    ScopedConnectionServices& operator=(const ScopedConnectionServices&) = delete;

private:
    ConnectionServices saved_;
};
