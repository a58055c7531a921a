// The discovered-device list: one record per scanner found, the ordered list of them, and the
// merge (without duplicates) and sort (by address text) that discovery applies to the dialog's list.
#pragma once
#include <cstddef>
#include <vector>

#include "product/protocol.h"

// One scanner found by discovery. A plain value of fixed size: every text is NUL-terminated in its
// fixed-width array and the tail behind the text is zero, so a record is copied whole and owns
// nothing, and comparing a whole array gives the same answer as comparing its text.
struct DeviceRecord {
    int ipVersion;          // the family it was found over: kUdpIPv4 (4) or kUdpIPv6 (6)
    char sysDescr[260];     // the agent's sysDescr value, at most 259 octets, cut at its first NUL
    char sysObjectId[128];  // the agent's sysObjectID in dotted decimal, no leading dot
    char address[64];       // the sender: "%i.%i.%i.%i", or eight groups of four lower-case hex digits
    char macAddress[32];    // ifPhysAddress.1 as "XX:XX:...", at most 10 octets; empty when absent
    char adapterName[260];  // IPv6 only: friendly name of the local adapter whose pass found it
    bool authenticated;     // the answer was an SNMPv3 Response whose MAC verified
    int foundBy;            // how its first answer came: kFoundByBroadcast, kFoundByMulticast, kFoundByTarget
    // The details asked for once the scanner is listed (discovery/scanner_details.h), each cut like
    // sysDescr (at its first NUL, to the field's width less one); empty until they arrive, and for
    // good when the agent lacks the object.
    char name[128];      // sysName.0
    char location[128];  // sysLocation.0
    char serial[64];     // prtGeneralSerialNumber.1 (the Printer MIB)
};

// How a record's first answer came (DeviceRecord::foundBy): the IPv4 broadcast, the IPv6 multicast,
// or a unicast request to a discovery target (discovery/discovery_targets.h).
enum FoundBy : int { kFoundByBroadcast = 0, kFoundByMulticast = 1, kFoundByTarget = 2 };
// "broadcast", "multicast" or "target", as /list writes it.
const char* FoundByName(int foundBy);

// Returns a record whose every field is zero (empty texts, ipVersion 0).
DeviceRecord EmptyDeviceRecord();

// An ordered, growable list of records. Two kinds of list exist: a pass result list, filled in the
// order answers arrive, and the scanner address dialog's list, which only discovery replaces.
class DeviceList {
public:
    void Clear() { records_.clear(); }
    void Append(const DeviceRecord& record) { records_.push_back(record); }
    size_t Count() const { return records_.size(); }
    bool Empty() const { return records_.empty(); }
    // Access by index; index must be below Count().
    const DeviceRecord& At(size_t index) const { return records_[index]; }
    DeviceRecord& At(size_t index) { return records_[index]; }

    // For SortByAddress and the tests.
    std::vector<DeviceRecord>& Records() { return records_; }
    const std::vector<DeviceRecord>& Records() const { return records_; }

private:
    std::vector<DeviceRecord> records_;
};

// Appends to dialogList every record of passList that is not yet listed, in order. A record is
// already listed when a record of dialogList (as it grows during this merge) has the same address
// (the whole 64-octet field); for IPv6 the adapter names must also be equal ignoring case. With
// kProtocolIPv6 each record's adapterName is first set to adapterName (cut to 259 octets); with
// kProtocolIPv4 adapterName is not used and may be null. The earliest record of a device wins, but
// for one thing: a verified SNMPv3 answer (authenticated) makes a listed unverified record verified,
// with the identifiers, the MAC address and the details of the verified answer (any host could have
// claimed them over SNMPv1; details learned over SNMPv1 are dropped); its place and found-by stay.
// Details survive merging: a record that is already listed keeps its details, and takes those of a
// candidate of the same verification that has some (a list merged again after they arrived).
// Returns how many records it appended or made verified.
size_t MergePass(DeviceList& dialogList, const DeviceList& passList, int protocol, const char* adapterName);

// Sorts the list ascending by address text, compared octet by octet as unsigned values (the order
// of strcmp, so "10.0.0.10" comes before "10.0.0.9"). Records with equal addresses keep no
// particular order.
void SortByAddress(DeviceList& list);

// True when the record has any of the details (name, location, serial).
bool HasDetails(const DeviceRecord& record);
// Copies the details (name, location, serial) of from into to.
void CopyDetails(DeviceRecord& to, const DeviceRecord& from);

// Copies text into a fixed-size field of capacity octets: cut to capacity - 1 octets, terminated,
// the rest of the field zeroed. A null text gives the empty text.
void CopyField(char* field, size_t capacity, const char* text);
