// The Windows version class.
#include "product/os_class.h"

int ClassifyOsVersion(const Platform::OsVersionInfo& version)
{
    if (!version.ok) return 0;
    const bool workstation = version.productType == Platform::kProductWorkstation;
    if (version.major == 5) {
        if (version.minor == 0) return 1;
        if (version.minor == 1 || (version.minor == 2 && workstation)) return 2;
        if (version.minor == 2) return 3;
        return 8;
    }
    if (version.major == 6) {
        if ((version.minor == 0 && workstation) || version.minor >= 2) return 4;
        if (version.minor == 0) return 5;
        return workstation ? 7 : 6;
    }
    return 8;
}
