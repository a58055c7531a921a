// The communities that the discovery request and the unicast check are sent with. Offices that
// harden their printers change the factory community; the settings' list (Communities) names the
// ones in use. Every request goes out once per community, in order; the answers merge as answers to
// one request do.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

constexpr size_t kMaxRequestCommunities = 4;
constexpr size_t kMaxCommunityLength = 64;  // octets; longer ones are left out

// Sets the process's list from the settings' texts, in their order: empty texts and texts longer
// than kMaxCommunityLength are left out, and so is every text after the fourth usable one; each
// left-out entry is traced by its position and reason (event "community-ignored"), never its text.
// An empty list, or one with nothing usable, means the built-in community (kDiscoveryCommunity).
void SetRequestCommunities(const std::vector<std::string>& texts);

// The communities in use: the built-in one until SetRequestCommunities gave others; never empty,
// at most kMaxRequestCommunities.
const std::vector<std::string>& RequestCommunities();
