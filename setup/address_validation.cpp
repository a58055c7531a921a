// Address text validation: the platform's parser, and for IPv4 plain dotted decimal only.
#include "setup/address_validation.h"

#include <cstring>
#include <new>

#include "platform/address_parser.h"

namespace {

constexpr size_t kWorkBuffer = 128;

// Four octets of decimal digits joined by ".", none with a leading zero: other programs read
// "010" as octal, so "192.168.001.010" would reach them as a different address than it shows.
bool IsPlainDottedDecimal(const char* text)
{
    int dots = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == '.') ++dots;
    }
    if (dots != 3) return false;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p != '.' && (*p < '0' || *p > '9')) return false;
        const bool octetStart = p == text || p[-1] == '.';
        if (octetStart && *p == '0' && p[1] >= '0' && p[1] <= '9') return false;
    }
    return true;
}

}  // namespace

int ValidateAddress(const char* text, size_t capacity, int protocol)
{
    (void)capacity;
    char* work = new (std::nothrow) char[kWorkBuffer];
    if (work == nullptr) return kAddressNoMemory;
    int result = kAddressInvalid;
    const size_t length = text != nullptr ? std::strlen(text) : 0;
    // A text that does not fit the working copy could not be stored either: it is refused rather
    // than checked in part.
    if (text != nullptr && length < kWorkBuffer) {
        std::memcpy(work, text, length + 1);
        if (protocol == kProtocolIPv4) {
            if (Platform::ParseAddressText(work, Platform::kFamilyIpv4) == Platform::kAddressAccepted &&
                IsPlainDottedDecimal(work)) {
                result = kAddressValid;
            }
        } else if (protocol == kProtocolIPv6) {
            if (Platform::ParseAddressText(work, Platform::kFamilyIpv6) == Platform::kAddressAccepted) {
                result = kAddressValid;
            }
        }
    }
    delete[] work;
    return result;
}
