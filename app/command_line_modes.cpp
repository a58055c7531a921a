// The command-line modes /refresh, /set and /list: parsing, the decisions and their exit codes.
#include "app/command_line_modes.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "app/json_writer.h"
#include "discovery/address_text.h"
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
#include "setup/settings_model.h"
#include "setup/settings_store.h"
#include "setup/stored_connection.h"

namespace {

constexpr size_t kAddressCapacity = 128;

// Saves the connection, marks whether it came from a verified SNMPv3 answer and writes the host name
// it was typed or followed by (empty: none); kExitStoreFailed unless all of it reads back.
int Store(const char* address, const char* mac, const char* adapter, int protocol, int direct, bool authenticated,
          const std::string& hostName)
{
    const bool saved = Services().Save(address, mac, adapter, protocol, direct) == kSaveOk;
    return saved && StoredConnectionHolds(address, mac, adapter, protocol, direct) &&
                   MarkAuthenticated(authenticated) && MarkHostName(hostName.c_str())
               ? kExitUnchanged
               : kExitStoreFailed;
}

// The protocol of an address text, or of a host name for this run (/ipv6 where the product offers it).
int ProtocolOfText(const char* text, const StartupRequest& request)
{
    if (std::strchr(text, ':') != nullptr) return kProtocolIPv6;
    return !IsHostName(text) || !request.ipv6 || !OffersIpv6(Products::Current()) ? kProtocolIPv4 : kProtocolIPv6;
}

// A user without a stored connection: the DefaultScanner setting (an address or a host name) is
// checked and, when this product answers there, stored as a listed scanner is (the answer's MAC
// address, direct input 0). kExitFollowed when stored, kExitNothingToFollow when there is no such
// setting or nothing of this product answered.
int AdoptDefaultScanner(const StartupRequest& request)
{
    const std::string configured = SettingsModel::ReadForCurrentProduct().Text(SettingId::DefaultScanner);
    if (configured.empty()) return kExitNothingToFollow;
    const int protocol = ProtocolOfText(configured.c_str(), request);
    std::string address = configured;
    const bool valid = (protocol == kProtocolIPv4 || OffersIpv6(Products::Current())) &&
                       (ValidateAddress(configured.c_str(), kAddressCapacity, protocol) == kAddressValid ||
                        (IsHostName(configured.c_str()) && ResolveTypedName(configured.c_str(), protocol, &address)));
    AddressCheckResult check;
    if (valid) Services().CheckAddress(address.c_str(), protocol, "", check);
    const bool answered = valid && check.outcome == kCheckProductAnswered;
    Diagnostics::Event("default-scanner", {{"value", configured},
                                           {"address", address},
                                           {"verdict", !valid     ? "invalid"
                                                       : answered ? "answered"
                                                                  : "no-answer"}});
    if (!answered) return kExitNothingToFollow;
    const std::string adapter = protocol == kProtocolIPv6 ? check.adapterName : "";
    const int result = Store(address.c_str(), check.macAddress, adapter.c_str(), protocol, 0, check.authenticated, "");
    return result == kExitUnchanged ? kExitFollowed : result;
}

// The stored host name resolved again: kExitFollowed when it now names another address where the
// stored scanner answers (that address stored), kExitStoreFailed when that cannot be stored, else
// kExitUnchanged (follow by MAC address as before).
int FollowHostName(const StoredConnection& stored)
{
    std::string address;
    if (stored.hostName.empty() || !ResolveTypedName(stored.hostName.c_str(), stored.protocol, &address) ||
        SameAddress(address.c_str(), stored.address.c_str(), stored.protocol))
        return kExitUnchanged;
    AddressCheckResult check;
    Services().CheckAddress(address.c_str(), stored.protocol, stored.adapterName.c_str(), check);
    const bool answered = AnsweredAsStored(stored, check);
    Diagnostics::Event("follow", {{"decision", answered ? "host-name-moved" : "host-name-no-answer"},
                                  {"name", stored.hostName},
                                  {"address", address}});
    if (!answered) return kExitUnchanged;
    std::string adapter;
    if (stored.protocol == kProtocolIPv6)
        adapter = check.adapterName[0] != '\0' ? check.adapterName : stored.adapterName;
    const int result = Store(address.c_str(), check.macAddress, adapter.c_str(), stored.protocol, stored.ipDirectInput,
                             check.authenticated, stored.hostName);
    return result == kExitUnchanged ? kExitFollowed : result;
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
    const int where = ReadStoredConnection(stored);
    if (where == kStoredNone) return AdoptDefaultScanner(request);
    if (stored.macAddress.empty()) return kExitNothingToFollow;
    const ConnectionServices& services = Services();
    SearchTargets targets;
    if (!SearchTargetsForRun(request, stored.protocol, &targets)) return kExitTargetsRefused;
    const int byName = FollowHostName(stored);
    if (byName != kExitUnchanged) return byName;

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
    const int result = Store(found.address, found.macAddress, adapter.c_str(), stored.protocol, 0, found.authenticated,
                             stored.hostName);
    return result == kExitUnchanged ? kExitFollowed : result;
}

int RunSetMode(const StartupRequest& request)
{
    if (!request.addressGiven || request.addressTooLong) return kExitBadAddress;
    const char* typed = request.address.c_str();
    const int protocol = ProtocolOfText(typed, request);
    if (protocol == kProtocolIPv6 && !OffersIpv6(Products::Current())) return kExitBadAddress;
    // A host name is resolved first and its address checked and stored; the name is kept beside it.
    std::string hostName, resolved;
    if (ValidateAddress(typed, kAddressCapacity, protocol) != kAddressValid) {
        if (!IsHostName(typed) || !ResolveTypedName(typed, protocol, &resolved)) return kExitBadAddress;
        hostName = typed;
    }
    const char* address = hostName.empty() ? typed : resolved.c_str();

    // Over IPv6 the check goes out through the stored connection's adapter, as in the dialog.
    StoredConnection stored;
    ReadStoredConnection(stored);
    AddressCheckResult check;
    Services().CheckAddress(address, protocol, protocol == kProtocolIPv6 ? stored.adapterName.c_str() : "", check);
    const bool answered = check.outcome == kCheckProductAnswered;
    std::string adapter;
    if (protocol == kProtocolIPv6)
        adapter = answered && check.adapterName[0] != '\0' ? check.adapterName : stored.adapterName;
    const int result = Store(address, answered ? check.macAddress : "", adapter.c_str(), protocol, 1,
                             answered && check.authenticated, hostName);
    if (result != kExitUnchanged) return result;
    return answered ? kExitUnchanged : kExitStoredUnverified;
}

std::string ListJson(const char* product, const char* code, int protocol, const DeviceList& list,
                     const StoredConnection* stored, int storedIndex, const std::vector<SkippedAdapter>& skipped)
{
    auto protocolName = [](int p) { return p == kProtocolIPv6 ? "ipv6" : "ipv4"; };
    JsonWriter json;
    json.BeginObject();
    json.Member("product", product);
    json.Member("code", code);
    json.Member("protocol", protocolName(protocol));
    json.Key("scanners");
    json.BeginArray();
    for (const DeviceRecord& r : list.Records()) {
        json.BeginObject();
        json.Member("address", r.address);
        json.Member("mac", r.macAddress);
        json.Member("adapter", r.adapterName);
        json.Member("found_by", FoundByName(r.foundBy));
        json.Member("name", r.name);
        json.Member("location", r.location);
        json.Member("serial", r.serial);
        json.EndObject();
    }
    json.EndArray();
    json.Key("stored");
    if (stored == nullptr) {
        json.Null();
    } else {
        json.BeginObject();
        json.Member("address", stored->address.c_str());
        json.Member("mac", stored->macAddress.c_str());
        json.Member("protocol", protocolName(stored->protocol));
        json.Member("adapter", stored->adapterName.c_str());
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
        json.Member("adapter", s.adapter.c_str());
        json.Member("reason", s.reason.c_str());
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
    targets.askDetails = true;  // the search's end waits for them a bounded time
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
