// Discovery targets: parsing, counting and expanding DiscoveryTargets entries, and the pacing of the
// sweep.
#include "discovery/discovery_targets.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "discovery/address_text.h"
#include "platform/diagnostics.h"
#include "product/protocol.h"

namespace {

constexpr uint16_t kSnmpPort = 161;

std::string Trim(const std::string& text)
{
    const size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) return "";
    return text.substr(start, text.find_last_not_of(" \t") - start + 1);
}

bool DigitsAndDots(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789.") == std::string::npos;
}

bool ParseIPv4(const std::string& text, uint32_t* value)
{
    UdpAddress address{};
    char zone[2] = {};
    if (!ParseAddressText(text.c_str(), kProtocolIPv4, address, zone, sizeof zone)) return false;
    *value = (uint32_t{address.octets[0]} << 24) | (uint32_t{address.octets[1]} << 16) |
             (uint32_t{address.octets[2]} << 8) | address.octets[3];
    return true;
}

UdpAddress IPv4Address(uint32_t value)
{
    UdpAddress address{};
    address.family = kUdpIPv4;
    address.octets[0] = static_cast<uint8_t>(value >> 24);
    address.octets[1] = static_cast<uint8_t>(value >> 16);
    address.octets[2] = static_cast<uint8_t>(value >> 8);
    address.octets[3] = static_cast<uint8_t>(value);
    address.port = kSnmpPort;
    return address;
}

uint32_t IPv4Value(const UdpAddress& address)
{
    return (uint32_t{address.octets[0]} << 24) | (uint32_t{address.octets[1]} << 16) |
           (uint32_t{address.octets[2]} << 8) | address.octets[3];
}

TargetParseStatus CheckHostName(const std::string& name)
{
    if (name.size() > kMaxHostNameLength) return kTargetNameTooLong;
    const std::string body = name.back() == '.' ? name.substr(0, name.size() - 1) : name;
    if (body.empty()) return kTargetBadName;
    std::string lastLabel;
    for (size_t start = 0; start <= body.size();) {
        size_t end = body.find('.', start);
        if (end == std::string::npos) end = body.size();
        const std::string label = body.substr(start, end - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') return kTargetBadName;
        for (char c : label)
            if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'))
                return kTargetBadName;
        lastLabel = label;
        start = end + 1;
    }
    return lastLabel.find_first_not_of("0123456789") == std::string::npos ? kTargetBadName : kTargetOk;
}

// A key for "each address once".
std::string AddressKey(const UdpAddress& address)
{
    return std::string(reinterpret_cast<const char*>(address.octets), address.family == kUdpIPv6 ? 16 : 4) +
           std::to_string(address.scopeId);
}

}  // namespace

TargetParseStatus ParseTargetEntry(const std::string& text, TargetEntry* entry)
{
    TargetEntry parsed;
    parsed.text = Trim(text);
    const std::string& t = parsed.text;
    if (t.empty()) return kTargetEmpty;
    if (const size_t slash = t.find('/'); slash != std::string::npos) {
        const std::string prefix = t.substr(slash + 1);
        uint32_t network = 0;
        if (!ParseIPv4(t.substr(0, slash), &network) || prefix.empty() || prefix.size() > 2 ||
            prefix.find_first_not_of("0123456789") != std::string::npos || std::stoi(prefix) > 32)
            return kTargetBadBlock;
        parsed.kind = TargetKind::Block;
        parsed.prefix = std::stoi(prefix);
        const uint32_t hostMask = parsed.prefix == 0 ? 0xFFFFFFFFu : (uint32_t{1} << (32 - parsed.prefix)) - 1;
        parsed.first = IPv4Address(network & ~hostMask);
        parsed.last = (network & ~hostMask) | hostMask;
        parsed.count = uint64_t{1} << (32 - parsed.prefix);
    } else if (const size_t dash = t.find('-');
               dash != std::string::npos && DigitsAndDots(t.substr(0, dash)) && DigitsAndDots(t.substr(dash + 1))) {
        uint32_t start = 0, end = 0;
        if (!ParseIPv4(t.substr(0, dash), &start) || !ParseIPv4(t.substr(dash + 1), &end) || end < start)
            return kTargetBadRange;
        parsed.kind = TargetKind::Range;
        parsed.first = IPv4Address(start);
        parsed.last = end;
        parsed.count = uint64_t{end} - start + 1;
    } else if (t.find(':') != std::string::npos || DigitsAndDots(t)) {
        const bool v6 = t.find(':') != std::string::npos;
        char zone[64] = {};
        if (!ParseAddressText(t.c_str(), v6 ? kProtocolIPv6 : kProtocolIPv4, parsed.first, zone, sizeof zone))
            return kTargetBadAddress;
        parsed.first.port = kSnmpPort;
        parsed.kind = TargetKind::Address;
        parsed.count = 1;
    } else {
        if (const TargetParseStatus status = CheckHostName(t); status != kTargetOk) return status;
        parsed.kind = TargetKind::HostName;
    }
    *entry = std::move(parsed);
    return kTargetOk;
}

const char* TargetParseReason(TargetParseStatus status)
{
    switch (status) {
    case kTargetOk:
        return "valid";
    case kTargetEmpty:
        return "the entry is empty";
    case kTargetBadAddress:
        return "not an IPv4 or IPv6 address";
    case kTargetBadBlock:
        return "a block is an IPv4 address, \"/\" and a prefix length of 0 to 32";
    case kTargetBadRange:
        return "a range is two IPv4 addresses joined by \"-\", the first not after the second";
    case kTargetBadName:
        return "a host name has labels of letters, digits and hyphens, separated by dots";
    case kTargetNameTooLong:
        return "a host name has at most 253 characters";
    }
    return "invalid";
}

TargetSet ExpandTargets(const std::vector<std::string>& entries, int family, const TargetResolver& resolve)
{
    TargetSet set;
    std::vector<TargetEntry> parsed;
    for (const std::string& text : entries) {
        TargetEntry entry;
        const TargetParseStatus status = ParseTargetEntry(text, &entry);
        if (status == kTargetEmpty) continue;
        if (status != kTargetOk) {
            set.rejected.push_back({Trim(text), TargetParseReason(status)});
            Diagnostics::Event("target.rejected", {{"entry", Trim(text)}, {"reason", TargetParseReason(status)}});
            continue;
        }
        const int entryFamily = entry.kind == TargetKind::HostName ? family : entry.first.family;
        if (entryFamily != family) continue;
        set.counted += entry.count;
        parsed.push_back(std::move(entry));
    }
    const auto refuse = [&set]() {
        set.status = kTargetSetTooLarge;
        set.addresses.clear();
        set.reason = "the targets count " + std::to_string(set.counted) + " addresses, more than " +
                     std::to_string(kMaxTargetAddresses) + " (a block counts all its addresses)";
        Diagnostics::Event("targets.refused", {{"counted", std::to_string(set.counted)},
                                               {"limit", std::to_string(kMaxTargetAddresses)},
                                               {"reason", set.reason}});
        return set;
    };
    if (set.counted > kMaxTargetAddresses) return refuse();

    std::unordered_set<std::string> seen;
    const auto add = [&](const UdpAddress& address) {
        if (seen.insert(AddressKey(address)).second) set.addresses.push_back(address);
    };
    for (TargetEntry& entry : parsed) {
        switch (entry.kind) {
        case TargetKind::Address:
            add(entry.first);
            break;
        case TargetKind::Block:
        case TargetKind::Range: {
            uint32_t first = IPv4Value(entry.first), last = entry.last;
            if (entry.kind == TargetKind::Block && entry.prefix <= 30) ++first, --last;  // network, broadcast
            for (uint64_t value = first; value <= last; ++value) add(IPv4Address(static_cast<uint32_t>(value)));
            break;
        }
        case TargetKind::HostName: {
            std::vector<UdpAddress> resolved;
            const ResolveStatus status = resolve(entry.text.c_str(), family, &resolved);
            uint64_t addresses = 0;
            for (UdpAddress& address : resolved) {
                if (address.family != family) continue;
                address.port = kSnmpPort;
                ++addresses;
                add(address);
            }
            set.counted += addresses;
            const bool found = status == kResolveOk && addresses != 0;
            if (!found)
                set.unresolved.push_back({entry.text, status == kResolveFailed ? "the resolver failed" : "not found"});
            Diagnostics::Event("target.name", {{"name", entry.text},
                                               {"result", found                      ? "ok"
                                                          : status == kResolveFailed ? "failed"
                                                                                     : "not-found"},
                                               {"addresses", std::to_string(addresses)}});
            break;
        }
        }
    }
    if (set.counted > kMaxTargetAddresses) return refuse();
    Diagnostics::Event("targets", {{"entries", std::to_string(parsed.size())},
                                   {"counted", std::to_string(set.counted)},
                                   {"addresses", std::to_string(set.addresses.size())},
                                   {"rejected", std::to_string(set.rejected.size())},
                                   {"unresolved", std::to_string(set.unresolved.size())}});
    return set;
}

size_t TakeTargetSends(TargetPacing& pacing, uint64_t nowMs, size_t waiting)
{
    constexpr uint64_t kFull = kTargetBurst * 1000;
    if (!pacing.started) {
        pacing.started = true;
        pacing.credit = kFull;
    } else if (nowMs > pacing.lastMs) {
        pacing.credit = std::min(kFull, pacing.credit + (nowMs - pacing.lastMs) * kTargetsPerSecond);
    }
    pacing.lastMs = std::max(pacing.lastMs, nowMs);
    const size_t sends = std::min<uint64_t>(waiting, pacing.credit / 1000);
    pacing.credit -= uint64_t{sends} * 1000;
    return sends;
}
