// Wiping secrets: the same on every platform (writes through a volatile pointer are never removed).
#include "platform/crypto.h"

void CryptoWipe(void* buffer, size_t length)
{
    volatile std::uint8_t* bytes = static_cast<volatile std::uint8_t*>(buffer);
    for (size_t i = 0; i < length; ++i) bytes[i] = 0;
}
