// The command-line modes /refresh, /set and /list: parsing, the decisions and their exit codes.
#include "app/command_line_modes.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "app/json_writer.h"
#include "discovery/discovery_driver.h"
#include "platform/bounded_text.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "platform/standard_output.h"
#include "product/protocol.h"
#include "product/product.h"
#include "setup/address_validation.h"
#include "setup/connection_services.h"
#include "setup/search_settings.h"
#include "setup/settings_store.h"
#include "setup/stored_connection.h"

namespace {

constexpr size_t kAddressCapacity = 128;

// Saves the connection and marks whether it came from a verified SNMPv3 answer; kExitStoreFailed
// unless all of it reads back.
int Store(const char* address, const char* mac, const char* adapter, int protocol, int direct, bool authenticated)
{
    const bool saved = Services().Save(address, mac, adapter, protocol, direct) == kSaveOk;
    return saved && StoredConnectionHolds(address, mac, adapter, protocol, direct) && MarkAuthenticated(authenticated)
               ? kExitUnchanged
               : kExitStoreFailed;
}

}  // namespace

bool SearchTargetsForRun(const StartupRequest& request, int protocol, SearchTargets* targets)
{
    *targets = CurrentSearchTargets(request.targetsGiven ? &request.targets : nullptr);
    if (targets->entries.empty()) return true;
    TargetSet set = ExpandTargets(targets->entries, FamilyOfProtocol(protocol));
    if (set.status == kTargetSetTooLarge) return false;  // ExpandTargets traced the reason
    targets->expanded = std::move(set);
    return true;
}

int RunRefreshMode(const StartupRequest& request)
{
    StoredConnection stored;
    if (ReadStoredConnection(stored) == kStoredNone || stored.macAddress.empty()) return kExitNothingToFollow;
    const ConnectionServices& services = Services();
    SearchTargets targets;
    if (!SearchTargetsForRun(request, stored.protocol, &targets)) return kExitTargetsRefused;

    FollowResult seen;
    services.FollowStored(stored, targets, seen);
    const AddressCheckResult& check = seen.check;
    if (AnsweredAsStored(stored, check)) return kExitUnchanged;
    if (check.outcome == kCheckProductAnswered && SameMacAddress(check.macAddress, stored.macAddress.c_str()))
        Diagnostics::Event("stored-scanner", {{"address", stored.address}, {"verdict", "unauthenticated"}});
    if (seen.searchResult == kRunDiscoveryFailed && check.outcome == kCheckFailed) return kExitCannotSearch;
    const DeviceList& list = seen.found;
    const int index = StoredIndexIn(list, stored.protocol, stored);
    if (index < 0) return kExitNotFound;
    const DeviceRecord& found = list.At(static_cast<size_t>(index));
    if (StoredAt(stored, found.address, found.adapterName)) return kExitUnchanged;
    const std::string adapter = stored.protocol == kProtocolIPv6 ? found.adapterName : "";
    const int result = Store(found.address, found.macAddress, adapter.c_str(), stored.protocol, 0, found.authenticated);
    return result == kExitUnchanged ? kExitFollowed : result;
}

int RunSetMode(const StartupRequest& request)
{
    if (!request.addressGiven || request.addressTooLong) return kExitBadAddress;
    const char* address = request.address.c_str();
    const int protocol = std::strchr(address, ':') != nullptr ? kProtocolIPv6 : kProtocolIPv4;
    if (protocol == kProtocolIPv6 && !OffersIpv6(Products::Current())) return kExitBadAddress;
    if (ValidateAddress(address, kAddressCapacity, protocol) != kAddressValid) return kExitBadAddress;

    // Over IPv6 the check goes out through the stored connection's adapter, as in the dialog.
    StoredConnection stored;
    ReadStoredConnection(stored);
    AddressCheckResult check;
    Services().CheckAddress(address, protocol, protocol == kProtocolIPv6 ? stored.adapterName.c_str() : "", check);
    const bool answered = check.outcome == kCheckProductAnswered;
    std::string adapter;
    if (protocol == kProtocolIPv6)
        adapter = answered && check.adapterName[0] != '\0' ? check.adapterName : stored.adapterName;
    const int result =
        Store(address, answered ? check.macAddress : "", adapter.c_str(), protocol, 1, answered && check.authenticated);
    if (result != kExitUnchanged) return result;
    return answered ? kExitUnchanged : kExitStoredUnverified;
}

std::string ListJson(const char* product, const char* code, int protocol, const DeviceList& list,
                     const StoredConnection* stored, int storedIndex, const std::vector<SkippedAdapter>& skipped)
{
    auto protocolName = [](int p) { return p == kProtocolIPv6 ? "ipv6" : "ipv4"; };
    JsonWriter json;
    json.BeginObject();
    json.Key("product");
    json.String(product);
    json.Key("code");
    json.String(code);
    json.Key("protocol");
    json.String(protocolName(protocol));
    json.Key("scanners");
    json.BeginArray();
    for (const DeviceRecord& r : list.Records()) {
        json.BeginObject();
        json.Key("address");
        json.String(r.address);
        json.Key("mac");
        json.String(r.macAddress);
        json.Key("adapter");
        json.String(r.adapterName);
        json.Key("found_by");
        json.String(FoundByName(r.foundBy));
        json.EndObject();
    }
    json.EndArray();
    json.Key("stored");
    if (stored == nullptr) {
        json.Null();
    } else {
        json.BeginObject();
        json.Key("address");
        json.String(stored->address.c_str());
        json.Key("mac");
        json.String(stored->macAddress.c_str());
        json.Key("protocol");
        json.String(protocolName(stored->protocol));
        json.Key("adapter");
        json.String(stored->adapterName.c_str());
        json.EndObject();
    }
    json.Key("stored_index");
    if (storedIndex < 0)
        json.Null();
    else
        json.Integer(storedIndex);
    json.Key("complete");
    json.Boolean(skipped.empty());
    json.Key("skipped");
    json.BeginArray();
    for (const SkippedAdapter& s : skipped) {
        json.BeginObject();
        json.Key("adapter");
        json.String(s.adapter.c_str());
        json.Key("reason");
        json.String(s.reason.c_str());
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    return json.Text();
}

int RunListMode(const StartupRequest& request)
{
    const bool toStandardOutput = Platform::StandardOutputIsFileOrPipe();
    if (!toStandardOutput && request.outPath.empty()) return kExitCannotStart;

    const Product& product = Products::Current();
    const int protocol = request.ipv6 && OffersIpv6(product) ? kProtocolIPv6 : kProtocolIPv4;
    DeviceList list;
    int selected = -1;
    std::vector<SkippedAdapter> skipped;
    SearchTargets targets;
    if (!SearchTargetsForRun(request, protocol, &targets)) return kExitTargetsRefused;
    const int searched = Services().RunDiscovery(list, selected, kCommandLinePasses, kCommandLinePassTiming, protocol,
                                                 &skipped, targets);
    StoredConnection stored;
    const bool haveStored = ReadStoredConnection(stored) != kStoredNone;
    const std::string text =
        ListJson(ProductDisplayName(product).c_str(), product.code, protocol, list, haveStored ? &stored : nullptr,
                 haveStored ? StoredIndexIn(list, protocol, stored) : -1, skipped);
    bool written = false;
    if (toStandardOutput) {
        written = Platform::WriteStandardOutput(text.data(), text.size());
    } else {
        const std::string temporary = request.outPath + ".tmp";
        written =
            Files::ReplaceFileContents(request.outPath.c_str(), temporary.c_str(), text.data(), text.size()) == kFileOk;
    }
    if (!written) return kExitCannotStart;
    if (searched == kRunDiscoveryFailed) return kExitCannotSearch;
    return list.Empty() ? kExitNotFound : kExitUnchanged;
}
