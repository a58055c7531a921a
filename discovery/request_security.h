// What every request of discovery and of the unicast check is sent with: the SNMPv1 communities and,
// where credentials are set, SNMPv3 with a user's keys. Offices that harden their printers change
// the factory community or keep SNMPv3 only; the settings (Communities, SnmpVersion, the SNMPv3
// user) name what is in use. The program sets them once at its start; the discovery modules read them.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "discovery/usm.h"

constexpr size_t kMaxRequestCommunities = 4;
constexpr size_t kMaxCommunityLength = 64;  // octets; longer ones are left out

// Sets the process's list from the settings' texts, in their order: empty texts and texts longer
// than kMaxCommunityLength are left out, and so is every text after the fourth usable one; each
// left-out entry is traced by its position and reason (event "community-ignored"), never its text.
// An empty list, or one with nothing usable, means the built-in community (kDiscoveryCommunity).
// Every SNMPv1 request goes out once per community, in order; the answers merge as answers to one
// request do.
void SetRequestCommunities(const std::vector<std::string>& texts);

// The communities in use: the built-in one until SetRequestCommunities gave others; never empty,
// at most kMaxRequestCommunities.
const std::vector<std::string>& RequestCommunities();

// The SNMP versions asked (the setting SnmpVersion: "v1", "v1+v3", "v3").
enum class SnmpVersions : int { V1, V1AndV3, V3 };
// The setting's text and back; false (out untouched) for any other text.
const char* SnmpVersionsName(SnmpVersions versions);
bool ParseSnmpVersions(const char* text, SnmpVersions* out);

// Sets the versions and the SNMPv3 credentials (null: none). Without credentials SNMPv3 cannot be
// asked: "v1+v3" then asks SNMPv1 only, and "v3" asks nothing at all (traced as
// "snmp-v3-without-credentials"). Traces the versions in use and the user's name and protocols,
// never a key.
void SetRequestSnmp(SnmpVersions versions, const UsmCredentials* credentials);
// Whether SNMPv1 requests go out (false only under "v3").
bool RequestsSnmpV1();
// The credentials SNMPv3 requests are made with, or null when none go out.
const UsmCredentials* RequestSnmpV3Credentials();
