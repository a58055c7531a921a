// Bounded text helpers for the fixed-size buffers.
#include "platform/bounded_text.h"

#include <cstring>

size_t BoundedCopy(char* buffer, size_t size, const char* source)
{
    if (buffer == nullptr || size == 0) return 0;
    size_t length = source != nullptr ? std::strlen(source) : 0;
    if (length > size - 1) length = size - 1;
    if (length > 0) std::memmove(buffer, source, length);
    buffer[length] = '\0';
    return length;
}

size_t BoundedAppend(char* buffer, size_t size, const char* source)
{
    if (buffer == nullptr || size == 0) return 0;
    size_t used = 0;
    while (used < size - 1 && buffer[used] != '\0') ++used;
    return used + BoundedCopy(buffer + used, size - used, source);
}

void PathBaseName(const char* path, char* buffer, size_t size)
{
    if (buffer == nullptr || size == 0) return;
    if (path == nullptr) {
        buffer[0] = '\0';
        return;
    }
    const char* start = path;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '\\' || *p == '/' || (*p == ':' && p == path + 1)) start = p + 1;
    }
    const char* end = std::strrchr(start, '.');
    if (end == nullptr) end = start + std::strlen(start);
    size_t length = static_cast<size_t>(end - start);
    if (length > size - 1) length = size - 1;
    std::memcpy(buffer, start, length);
    buffer[length] = '\0';
}

bool CopyWhole(const char* source, char* buffer, size_t size)
{
    if (buffer == nullptr || size == 0) return false;
    size_t length = std::strlen(source);
    if (length + 1 > size) {
        buffer[0] = '\0';
        return false;
    }
    std::memcpy(buffer, source, length + 1);
    return true;
}

char AsciiToUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char AsciiToLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool AsciiEqualNoCase(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        if (AsciiToLower(*a) != AsciiToLower(*b)) return false;
        if (*a == '\0') return true;
    }
}
