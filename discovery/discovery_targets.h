// Discovery targets: the networks beyond the PC's own that a search also asks, by unicast, as the
// DiscoveryTargets setting (setup/settings_model.h) or "/targets:LIST" names them.
//
// An entry is one of
//   - an IPv4 or IPv6 address ("203.0.113.7", "2001:db8::7"; the forms of discovery/address_text.h),
//   - an IPv4 block in CIDR form ("203.0.113.0/28"; host bits after the prefix are ignored, so
//     "203.0.113.5/28" is the same block),
//   - an IPv4 range, both ends included ("203.0.113.10-203.0.113.40"),
//   - a DNS host name ("scan-3.example.com": letters, digits, hyphens and dots, at most 253
//     characters, labels of 1 to 63 characters that neither start nor end with a hyphen, the last
//     label not all digits; one final dot allowed).
// Spaces around an entry are ignored. Everything here is pure and portable but the resolution of
// host names, which goes through the resolver given to ExpandTargets (the system's by default:
// platform/name_resolution.h), at each search.
//
// The limit: one search sends to at most kMaxTargetAddresses addresses. Each entry counts all its
// addresses (a block 2^(32 - prefix), so a /20 counts 4096; a range its length; an address 1; a
// host name each address it resolves to), and the counts add up, also where entries overlap. A
// larger set is refused as a whole, with the reason; it is never cut. The sweep itself skips a
// block's network and broadcast addresses (blocks up to /30) and sends to each address once.
//
// Pacing: requests to targets leave in bursts of at most kTargetBurst datagrams and at most
// kTargetsPerSecond per second on average (TakeTargetSends; docs/discovery.md says why).
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/name_resolution.h"
#include "platform/udp.h"

constexpr uint64_t kMaxTargetAddresses = 4096;
constexpr size_t kMaxHostNameLength = 253;
constexpr size_t kTargetBurst = 32;
constexpr uint32_t kTargetsPerSecond = 320;

enum class TargetKind : int { Address, Block, Range, HostName };

// Results of ParseTargetEntry, each with its reason (TargetParseReason).
enum TargetParseStatus : int {
    kTargetOk = 0,
    kTargetEmpty = 1,        // nothing but spaces
    kTargetBadAddress = 2,   // digits and dots, or a colon, but not an IPv4 or IPv6 address
    kTargetBadBlock = 3,     // "/" without an IPv4 address before it and a prefix 0-32 after it
    kTargetBadRange = 4,     // a range whose ends are not IPv4 addresses, or whose end is before its start
    kTargetBadName = 5,      // a character other than letters, digits, hyphens and dots, or a bad label
    kTargetNameTooLong = 6,  // a host name over 253 characters
};

// One parsed entry.
struct TargetEntry {
    TargetKind kind = TargetKind::Address;
    std::string text;    // the entry without the spaces around it
    UdpAddress first{};  // the address, the block's network address, or the range's start (port 161)
    uint32_t last = 0;   // Block and Range: the last IPv4 address as a number (host order)
    int prefix = 32;     // Block: the prefix length
    uint64_t count = 0;  // addresses counted against the limit (0 for a host name until resolved)
};

TargetParseStatus ParseTargetEntry(const std::string& text, TargetEntry* entry);
// The reason in plain English, for the trace ("the prefix must be 0 to 32", ...).
const char* TargetParseReason(TargetParseStatus status);

// Results of ExpandTargets.
enum TargetSetStatus : int {
    kTargetSetOk = 0,
    kTargetSetTooLarge = 1,  // the entries count more than kMaxTargetAddresses: no address at all
};

// A rejected entry or an unresolved host name, with its reason.
struct TargetProblem {
    std::string entry;
    std::string reason;
};

// What a search sends to.
struct TargetSet {
    TargetSetStatus status = kTargetSetOk;
    std::vector<UdpAddress> addresses;      // in the entries' order, each once, port 161; empty unless Ok
    uint64_t counted = 0;                   // addresses counted against the limit
    std::string reason;                     // kTargetSetTooLarge: why, in plain English
    std::vector<TargetProblem> rejected;    // entries that do not parse (left out, the rest is used)
    std::vector<TargetProblem> unresolved;  // host names without an address of the family (left out)
};

// Resolves a host name to addresses of a family (kUdpIPv4 or kUdpIPv6), as Platform::ResolveHostName.
using TargetResolver = std::function<ResolveStatus(const char* name, int family, std::vector<UdpAddress>* addresses)>;

// The addresses of family (kUdpIPv4 or kUdpIPv6) that a search sends to: entries of the other
// family are left out and not counted. Host names are resolved (only when the other entries are
// within the limit). The result, every rejected entry and every unresolved name go to the trace.
TargetSet ExpandTargets(const std::vector<std::string>& entries, int family,
                        const TargetResolver& resolve = Platform::ResolveHostName);

// The pacing of one sweep: a bucket of kTargetBurst sends that refills at kTargetsPerSecond.
struct TargetPacing {
    bool started = false;
    uint64_t lastMs = 0;
    uint64_t credit = 0;  // in thousandths of a send
};
// How many of the waiting requests may be sent at nowMs (a monotonic clock in milliseconds); the
// sends are taken from the bucket. The first call allows a full burst; a late call never allows
// more than one burst.
size_t TakeTargetSends(TargetPacing& pacing, uint64_t nowMs, size_t waiting);
