// The discovered-device list: merging pass results without duplicates and sorting by address.
#include "discovery/device_list.h"

#include <algorithm>
#include <cstring>

#include "platform/adapters.h"

DeviceRecord EmptyDeviceRecord()
{
    DeviceRecord record;
    std::memset(&record, 0, sizeof record);
    return record;
}

const char* FoundByName(int foundBy)
{
    return foundBy == kFoundByTarget ? "target" : foundBy == kFoundByMulticast ? "multicast" : "broadcast";
}

void CopyField(char* field, size_t capacity, const char* text)
{
    if (capacity == 0) return;
    std::memset(field, 0, capacity);
    if (text == nullptr) return;
    size_t length = strnlen(text, capacity - 1);
    std::memcpy(field, text, length);
}

bool HasDetails(const DeviceRecord& record)
{
    return record.name[0] != '\0' || record.location[0] != '\0' || record.serial[0] != '\0';
}

void CopyDetails(DeviceRecord& to, const DeviceRecord& from)
{
    std::memcpy(to.name, from.name, sizeof to.name);
    std::memcpy(to.location, from.location, sizeof to.location);
    std::memcpy(to.serial, from.serial, sizeof to.serial);
}

static bool SameDevice(const DeviceRecord& listed, const DeviceRecord& candidate, int protocol)
{
    if (std::memcmp(listed.address, candidate.address, sizeof listed.address) != 0) return false;
    if (protocol != kProtocolIPv6) return true;
    return AdapterNamesEqual(listed.adapterName, candidate.adapterName);
}

size_t MergePass(DeviceList& dialogList, const DeviceList& passList, int protocol, const char* adapterName)
{
    size_t changed = 0;
    for (size_t i = 0; i < passList.Count(); ++i) {
        DeviceRecord candidate = passList.At(i);
        if (protocol == kProtocolIPv6) CopyField(candidate.adapterName, sizeof candidate.adapterName, adapterName);
        bool listed = false;
        for (DeviceRecord& record : dialogList.Records()) {
            if (!SameDevice(record, candidate, protocol)) continue;
            listed = true;
            if (candidate.authenticated && !record.authenticated) {
                const int foundBy = record.foundBy;
                record = candidate;
                record.foundBy = foundBy;
                ++changed;
            } else if (candidate.authenticated == record.authenticated && HasDetails(candidate)) {
                CopyDetails(record, candidate);
            }
            break;
        }
        if (!listed) {
            dialogList.Append(candidate);
            ++changed;
        }
    }
    return changed;
}

void SortByAddress(DeviceList& list)
{
    std::sort(list.Records().begin(), list.Records().end(),
              [](const DeviceRecord& a, const DeviceRecord& b) { return std::strcmp(a.address, b.address) < 0; });
}
