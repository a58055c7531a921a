// The process's list of request communities.
#include "discovery/request_communities.h"

#include "discovery/snmp_message.h"
#include "platform/diagnostics.h"

namespace {

std::vector<std::string>& Communities()
{
    static std::vector<std::string> communities{kDiscoveryCommunity};
    return communities;
}

}  // namespace

void SetRequestCommunities(const std::vector<std::string>& texts)
{
    std::vector<std::string> usable;
    for (size_t i = 0; i < texts.size(); ++i) {
        const char* reason = nullptr;
        if (texts[i].empty())
            reason = "empty";
        else if (texts[i].size() > kMaxCommunityLength)
            reason = "longer than 64 octets";
        else if (usable.size() == kMaxRequestCommunities)
            reason = "more than four communities";
        if (reason != nullptr) {
            Diagnostics::Event("community-ignored", {{"entry", std::to_string(i + 1)}, {"reason", reason}});
            continue;
        }
        usable.push_back(texts[i]);
    }
    if (usable.empty()) usable.push_back(kDiscoveryCommunity);
    Communities() = usable;
    Diagnostics::Event("communities", {{"count", std::to_string(usable.size())}});
}

const std::vector<std::string>& RequestCommunities()
{
    return Communities();
}
