// The process's request security: communities, SNMP versions, SNMPv3 credentials.
#include "discovery/request_security.h"

#include "discovery/snmp_message.h"
#include "platform/diagnostics.h"

namespace {

std::vector<std::string>& Communities()
{
    static std::vector<std::string> communities{kDiscoveryCommunity};
    return communities;
}

struct Snmp {
    SnmpVersions versions = SnmpVersions::V1;
    bool haveCredentials = false;
    UsmCredentials credentials = {};
};
Snmp& CurrentSnmp()
{
    static Snmp snmp;
    return snmp;
}

const struct {
    SnmpVersions versions;
    const char* name;
} kVersionNames[] = {{SnmpVersions::V1, "v1"}, {SnmpVersions::V1AndV3, "v1+v3"}, {SnmpVersions::V3, "v3"}};

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

const char* SnmpVersionsName(SnmpVersions versions)
{
    for (const auto& v : kVersionNames)
        if (v.versions == versions) return v.name;
    return "";
}

bool ParseSnmpVersions(const char* text, SnmpVersions* out)
{
    for (const auto& v : kVersionNames) {
        if (text == nullptr || std::string(text) != v.name) continue;
        *out = v.versions;
        return true;
    }
    return false;
}

void SetRequestSnmp(SnmpVersions versions, const UsmCredentials* credentials)
{
    Snmp& snmp = CurrentSnmp();
    snmp.versions = versions;
    snmp.haveCredentials = credentials != nullptr;
    snmp.credentials = credentials != nullptr ? *credentials : UsmCredentials{};
    if (credentials == nullptr && versions == SnmpVersions::V3) Diagnostics::Event("snmp-v3-without-credentials");
    if (credentials == nullptr) {
        Diagnostics::Event("snmp", {{"versions", SnmpVersionsName(versions)}, {"v3", "no"}});
        return;
    }
    Diagnostics::Event("snmp", {{"versions", SnmpVersionsName(versions)},
                                {"v3", versions == SnmpVersions::V1 ? "no" : "yes"},
                                {"user", credentials->userName},
                                {"auth", UsmAuthName(credentials->auth)},
                                {"priv", UsmPrivName(credentials->priv)}});
}

bool RequestsSnmpV1()
{
    return CurrentSnmp().versions != SnmpVersions::V3;
}

const UsmCredentials* RequestSnmpV3Credentials()
{
    const Snmp& snmp = CurrentSnmp();
    return snmp.haveCredentials && snmp.versions != SnmpVersions::V1 ? &snmp.credentials : nullptr;
}
