// libFuzzer target: the command-line parser (modes, flags, the "ip:" address and its validation)
// and the product detection on arbitrary command lines. Any crash, sanitizer report, a mode or
// product outside their sets, an unterminated address, or a given address accepted that is not
// four decimal octets of at most 255 without leading zeros stops the run.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/scanlink_app.h"
#include "platform/message_box.h"
#include "product/variant_table.h"
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

    CQuilScanLinkApp app;
    app.ParseCommandLine(line.c_str());
    if (app.m_nLaunchMode < AskPort || app.m_nLaunchMode > Standalone) std::abort();
    if (strnlen(app.m_szGivenAddress, sizeof app.m_szGivenAddress) == sizeof app.m_szGivenAddress) std::abort();
    if (app.m_nLaunchMode == GivenAddress && !IsFourPlainOctets(app.m_szGivenAddress)) std::abort();
    if ((app.m_bQuiet != 0) != (line.find("/quiet") != std::string::npos)) std::abort();

    const VariantId variant = DetectVariant(app.m_nLaunchMode, line.c_str());
    static const VariantId kKnown[] = {kNoVariant, 0, 1, 2, 3, 6, 7, 8, 10};
    bool known = false;
    for (VariantId id : kKnown) known = known || id == variant;
    if (!known) std::abort();

    // The validation on the raw text, both protocols: an accepted IPv4 text is always plain.
    for (int protocol : {kProtocolIPv4, kProtocolIPv6}) {
        const int result = ValidateAddress(line.c_str(), 128, protocol);
        if (result != kAddressValid && result != kAddressInvalid && result != kAddressNoMemory) std::abort();
        if (protocol == kProtocolIPv4 && result == kAddressValid && !IsFourPlainOctets(line.c_str())) std::abort();
    }
    return 0;
}
