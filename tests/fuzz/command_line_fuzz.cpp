// libFuzzer target: the start-up request (modes, flags, values, the "ip:" address and its
// validation) and the product it names, on arbitrary command lines. Any crash, sanitizer report, a
// mode or product outside their sets, an address over its field, or a given address accepted that
// is not four decimal octets of at most 255 without leading zeros stops the run.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/startup_request.h"
#include "control/test_control.h"
#include "setup/address_validation.h"

namespace {

// The accepted form of a given address, checked independently of the code under test.
bool IsFourPlainOctets(const char* text)
{
    int octets = 0;
    const char* p = text;
    while (true) {
        const char* start = p;
        unsigned value = 0;
        while (*p >= '0' && *p <= '9') {
            value = value * 10 + static_cast<unsigned>(*p - '0');
            if (value > 255) return false;
            ++p;
        }
        const size_t digits = static_cast<size_t>(p - start);
        if (digits == 0 || digits > 3 || (digits > 1 && *start == '0')) return false;
        ++octets;
        if (*p == '\0') return octets == 4;
        if (*p != '.' || octets == 4) return false;
        ++p;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    Platform::SetMessageBoxCapture(true);
    const std::string line(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));

    const StartupRequest request = ParseStartupRequest(line.c_str());
    if (request.launchMode < AskPort || request.launchMode > Standalone) std::abort();
    if (request.givenAddress.size() > 127 || request.address.size() > 127) std::abort();
    if (request.launchMode == GivenAddress && !IsFourPlainOctets(request.givenAddress.c_str())) std::abort();
    if (request.mode != CommandLineMode::None && request.launchMode != Standalone) std::abort();
    // Values are cut out, never moved: the text where products are searched keeps the line's length.
    if (request.productText.size() != line.size()) std::abort();

    const Product* product = RequestedProduct(request, "C:\\ScanLink.exe");
    bool known = product == nullptr;
    for (const Product& p : Products::All()) known = known || product == &p;
    if (!known) std::abort();

    // The validation on the raw text, both protocols: an accepted IPv4 text is always plain.
    for (int protocol : {kProtocolIPv4, kProtocolIPv6}) {
        const int result = ValidateAddress(line.c_str(), 128, protocol);
        if (result != kAddressValid && result != kAddressInvalid && result != kAddressNoMemory) std::abort();
        if (protocol == kProtocolIPv4 && result == kAddressValid && !IsFourPlainOctets(line.c_str())) std::abort();
    }
    return 0;
}
