// Runs one discovery for the LAN tests and the benchmark and prints the result and the list, one
// record per line: discover_list PRODUCT-CODE PASSES PROTOCOL. Built for Windows (under Wine) and, from
// tests/tools, natively. It discovers: run it only inside a namespace of the test scripts.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "product/product.h"
#include "discovery/discovery_driver.h"
#include "platform/framework_init.h"

#ifndef _WIN32
#include "tools/test_namespace.h"
#endif

int main(int argc, char** argv)
{
#ifndef _WIN32
    if (!InTestNamespace()) {
        std::fprintf(stderr,
                     "discover_list: refusing to discover outside a network namespace of "
                     "the test scripts (ip netns exec sl-...)\n");
        return 125;
    }
#endif
    if (argc != 4) {
        std::fprintf(stderr, "usage: discover_list PRODUCT-CODE PASSES PROTOCOL\n");
        return 2;
    }
    if (Platform::StartSocketLibrary() != 0) {
        std::fprintf(stderr, "discover_list: the socket library did not start\n");
        return 1;
    }
    const Product* product = Products::ByCode(argv[1]);
    if (product == nullptr) {
        std::fprintf(stderr, "discover_list: no product %s\n", argv[1]);
        return 2;
    }
    Products::SetCurrent(*product);
    DeviceList devices;
    int selected = 99;
    auto start = std::chrono::steady_clock::now();
    int result = RunDiscovery(devices, selected, std::atoi(argv[2]), kDialogPassTiming, std::atoi(argv[3]), nullptr);
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    std::printf("result %d\nselected %d\ncount %u\nelapsed_ms %lld\n", result, selected,
                static_cast<unsigned>(devices.Count()), static_cast<long long>(elapsed.count()));
    for (size_t i = 0; i < devices.Count(); ++i) {
        const DeviceRecord& r = devices.At(i);
        std::printf("%d|%s|%s|%s|%s|%s\n", r.ipVersion, r.address, r.sysDescr, r.sysObjectId, r.macAddress,
                    r.adapterName);
    }
    return 0;
}
