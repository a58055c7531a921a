// The command-line modes for administrators: /refresh (follow the stored scanner to its new
// address), /set ip:ADDRESS (store an address, checked like a typed one), /list (one search,
// printed as JSON) and /credentials (store the SNMPv3 keys made from passphrases read from the
// standard input). They run without any window or message box and report by exit code only.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "app/startup_request.h"
#include "discovery/device_list.h"
#include "discovery/discovery_pass.h"
#include "discovery/discovery_search.h"
#include "setup/stored_connection.h"

// Exit codes of the modes.
constexpr int kExitUnchanged = 0;         // /refresh: found at its stored address. /set: stored, the
                                          // product answered. /list: at least one scanner listed.
constexpr int kExitFollowed = 1;          // /refresh: found at a new address, now stored.
constexpr int kExitStoredUnverified = 1;  // /set: stored; nothing of this product answered.
constexpr int kExitNotFound = 2;          // /refresh: no answer; nothing changed. /list: none listed.
constexpr int kExitNothingToFollow = 3;   // /refresh: no stored connection or no stored MAC address.
constexpr int kExitBadCredentials = 3;    // /credentials: invalid arguments or passphrase; nothing
                                          // stored or removed.
constexpr int kExitBadAddress = 3;        // /set: the address is not valid; nothing stored.
constexpr int kExitTargetsRefused = 3;    // /list, /refresh: the targets count more than 4096
                                          // addresses (the reason is traced); nothing searched,
                                          // written or stored.
constexpr int kExitStoreFailed = 4;       // /refresh, /set: the new connection could not be stored.
                                          // /credentials: the keys could not be stored or removed.
constexpr int kExitCannotStart = 5;       // any mode: files missing or damaged, already running, no
                                          // socket library; /list: no output to write to.
constexpr int kExitCannotSearch = 6;      // /list: no adapter could be searched (the JSON is still
                                          // written). /refresh: neither the unicast check nor the
                                          // search could send anything; nothing changed.

// /refresh: reads the stored connection (registry, else data file); asks its address by unicast
// and, side by side, searches (kCommandLinePasses passes of kCommandLinePassTiming, the stored
// protocol; IPv6 on every adapter) for a scanner with that MAC address (setup/stored_follow.h) (letter case ignored; over
// IPv6 the stored adapter's record first). A scanner found at another address (or, over IPv6,
// through another adapter) is stored as the dialog's OK stores a listed scanner: address, MAC,
// adapter (IPv6 only), protocol, direct input 0; then read back. Uses Services(). The search also
// asks the targets (SearchTargetsForRun), expanded before the check: a refused set exits
// kExitTargetsRefused before anything is sent. A connection stored from a host name ("HostName")
// has the name resolved first: when it names another address where the stored scanner answers,
// that address is stored (kExitFollowed, the name kept). Without any stored connection the
// DefaultScanner setting is checked and, when this product answers there, stored as a listed
// scanner (kExitFollowed); else kExitNothingToFollow.
int RunRefreshMode(const StartupRequest& request);

// /set: validates the address (IPv6 when it holds a ':', else IPv4) as the dialog does; checks it
// by unicast (IPv6 through the stored connection's adapter) and stores it as a typed address
// (direct input 1) with the MAC address and, over IPv6, the adapter of the product's answer (else
// an empty MAC and the stored adapter); then reads it back. A host name (IsHostName) is resolved
// first (IPv4, or IPv6 with "/ipv6" where the product offers it) and its address checked and stored
// so, the name written as "HostName" beside it (a typed address removes it); a name without an
// address of the protocol is kExitBadAddress.
int RunSetMode(const StartupRequest& request);

// /list: one search (kCommandLinePasses passes of kCommandLinePassTiming; IPv6 when "/ipv6" was given and the product offers
// it, else IPv4) written as ListJson to the standard output when that is a file or a pipe, else to
// the file "/out:" names (written to "PATH.tmp" beside it and moved over it, so that PATH holds
// either its old content or the whole new JSON, and nothing is left behind on failure).
// kExitCannotStart, before any search, when there is neither, and when the output cannot be
// written; kExitCannotSearch when no adapter could be searched. The search also asks the targets
// (SearchTargetsForRun); a refused set exits kExitTargetsRefused before the search, nothing written.
int RunListMode(const StartupRequest& request);

// The targets of one command-line search for protocol: LocalBroadcast from the settings, the
// entries of "/targets:" when given, else DiscoveryTargets (setup/search_settings.h), expanded here
// for the protocol's family (host names resolved now). False when ExpandTargets refuses the set.
bool SearchTargetsForRun(const StartupRequest& request, int protocol, SearchTargets* targets);

// /credentials user:NAME auth:SHA|SHA-256 priv:AES|none: reads the authentication passphrase and,
// for priv:AES, the privacy passphrase from the standard input, one line each (ended by LF or CR LF,
// or by the input's end; at most kMaxPassphraseLine bytes, at least kUsmMinPassphrase), derives the
// keys (discovery/usm.h) and stores them protected (setup/snmp_credentials.h): in the machine scope
// when the program runs as an administrator, else in the user's. "/credentials clear" removes the
// scope's keys (0 also when there were none). The passphrases are wiped from memory once the keys are
// made; neither they nor the keys reach the trace, which gets "credentials" with the action, the
// scope and the result (and the reason of a refusal). Exit codes: 0, kExitBadCredentials,
// kExitStoreFailed.
constexpr size_t kMaxPassphraseLine = 1024;
int RunCredentialsMode(const StartupRequest& request);

// The JSON object of /list: "product", "code", "protocol", "scanners" (address, mac, adapter,
// found_by: "broadcast", "multicast" or "target", in the list's order), "stored" (address, mac, protocol, adapter; null when nothing is stored),
// "stored_index" (null when none matches), "complete" (false when an adapter was skipped) and
// "skipped" (always present: {"adapter", "reason"} of each adapter that could not be searched).
// stored may be null.
std::string ListJson(const char* product, const char* code, int protocol, const DeviceList& list,
                     const StoredConnection* stored, int storedIndex, const std::vector<SkippedAdapter>& skipped);
