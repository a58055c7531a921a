// Runs one unicast check of an address for the LAN tests, with the SNMP versions and SNMPv3
// credentials given: check_address PRODUCT-CODE ADDRESS VERSIONS [USER AUTH PRIV], the passphrases
// (authentication, then privacy unless PRIV is "none") read from standard input, one per line.
// Prints "outcome=N authenticated=0|1 mac=... reason=...". With "search" for ADDRESS, one IPv4
// search pass of the command line instead, one "address mac authenticated" line per scanner listed.
// Built for Windows (under Wine, CNG)
// and, from tests/tools, natively (libcrypto). It sends: run it only inside a namespace of the
// test scripts.
#include <cstdio>
#include <cstring>
#include <string>

#include "discovery/address_check.h"
#include "discovery/discovery_driver.h"
#include "discovery/request_security.h"
#include "platform/framework_init.h"
#include "product/product.h"
#include "product/protocol.h"

#ifndef _WIN32
#include "tools/test_namespace.h"
#endif

namespace {

std::string Line()
{
    char text[256] = {};
    if (std::fgets(text, sizeof text, stdin) == nullptr) return "";
    std::string line = text;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

}  // namespace

int main(int argc, char** argv)
{
#ifndef _WIN32
    if (!InTestNamespace()) {
        std::fprintf(stderr, "check_address: refusing to send outside a network namespace of the test scripts\n");
        return 125;
    }
#endif
    SnmpVersions versions;
    UsmAuth auth = UsmAuth::Sha1;
    UsmPriv priv = UsmPriv::None;
    if ((argc != 4 && argc != 7) || !ParseSnmpVersions(argv[3], &versions) ||
        (argc == 7 && (!ParseUsmAuth(argv[5], &auth) || !ParseUsmPriv(argv[6], &priv)))) {
        std::fprintf(stderr, "usage: check_address PRODUCT-CODE ADDRESS v1|v1+v3|v3 [USER SHA|SHA-256 AES|none]\n");
        return 2;
    }
    const Product* product = Products::ByCode(argv[1]);
    if (product == nullptr || Platform::StartSocketLibrary() != 0) return 2;
    Products::SetCurrent(*product);
    UsmCredentials credentials;
    if (argc == 7) {
        const std::string authPass = Line(), privPass = priv == UsmPriv::None ? "" : Line();
        if (UsmDeriveCredentials(argv[4], auth, priv, authPass.c_str(), privPass.c_str(), credentials) != UsmStatus::Ok)
            return 3;
    }
    SetRequestSnmp(versions, argc == 7 ? &credentials : nullptr);
    if (std::strcmp(argv[2], "search") == 0) {
        DeviceList list;
        int selected = -1;
        RunDiscovery(list, selected, kCommandLinePasses, kCommandLinePassTiming, kProtocolIPv4, nullptr);
        for (const DeviceRecord& r : list.Records())
            std::printf("%s %s %d\n", r.address, r.macAddress, r.authenticated ? 1 : 0);
        Platform::StopSocketLibrary();
        return 0;
    }
    AddressCheckResult result;
    CheckAddress(argv[2], std::strchr(argv[2], ':') ? kProtocolIPv6 : kProtocolIPv4, nullptr, result);
    std::printf("outcome=%d authenticated=%d mac=%s reason=%s\n", result.outcome, result.authenticated ? 1 : 0,
                result.macAddress, result.reason);
    Platform::StopSocketLibrary();
    return 0;
}
