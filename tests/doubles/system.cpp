// Operating-system facts on the native build: Linux stands in for Windows with fixed answers that
// look like a 64-bit Windows 7 workstation, and UTF-8 is the "ANSI" code page.
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/bounded_text.h"
#include "platform/system_os.h"

namespace {

Platform::SysStatus CopyOut(const char* value, char* buffer, size_t size)
{
    return CopyWhole(value, buffer, size) ? Platform::kSysOk : Platform::kSysFailed;
}

// Length of the valid UTF-8 sequence at text (at most available bytes), or 0 when invalid.
size_t Utf8SequenceLength(const unsigned char* text, size_t available)
{
    unsigned char lead = text[0];
    size_t length;
    unsigned minimum;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        minimum = 0x10000;
    } else
        return 0;
    if (length > available) return 0;
    unsigned value = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((text[i] & 0xC0) != 0x80) return 0;
        value = (value << 6) | (text[i] & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

namespace PlatformOs {

Platform::SysStatus GetSystemDirectoryPath(char* buffer, size_t size)
{
    // The native build has no system directory; SCANLINK_SYSTEM_DIR names one for manual runs.
    const char* folder = std::getenv("SCANLINK_SYSTEM_DIR");
    return CopyOut(folder != nullptr ? folder : "/usr/lib/scanlink", buffer, size);
}

Platform::SysStatus GetOwnModulePath(char* buffer, size_t size)
{
    char path[4096];
    ssize_t length = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) {
        if (buffer != nullptr && size > 0) buffer[0] = '\0';
        return Platform::kSysFailed;
    }
    path[length] = '\0';
    return CopyOut(path, buffer, size);
}

int GetProcessorArchitecture()
{
    return sizeof(void*) == 8 ? Platform::kArchAmd64 : Platform::kArchX86;
}

Platform::OsVersionInfo GetOsVersion()
{
    Platform::OsVersionInfo info;
    info.ok = true;
    info.major = 6;
    info.minor = 1;
    info.productType = Platform::kProductWorkstation;
    return info;
}

Platform::SysStatus GetShellFolder(int folderId, char* buffer, size_t size)
{
    switch (folderId) {
    case Platform::kFolderProgramFiles:
        return CopyOut("C:\\Program Files", buffer, size);
    case Platform::kFolderProgramFilesX86:
        return CopyOut("C:\\Program Files (x86)", buffer, size);
    case Platform::kFolderCommonAppData:
        return CopyOut("C:\\ProgramData", buffer, size);
    default:
        if (buffer != nullptr && size > 0) buffer[0] = '\0';
        return Platform::kSysFailed;
    }
}

bool RunsAsAdministrator()
{
    return geteuid() == 0;
}

}  // namespace PlatformOs

namespace Platform {

std::string NativePath(const char* path)
{
    std::string native = path;
    for (char& c : native) {
        if (c == '\\') c = '/';
    }
    return native;
}

bool FileExists(const char* path)
{
    if (path == nullptr || path[0] == '\0') return false;
    struct stat info;
    return ::stat(NativePath(path).c_str(), &info) == 0;
}

std::FILE* OpenFile(const char* path, const char* mode)
{
    if (path == nullptr || mode == nullptr) return nullptr;
    return std::fopen(NativePath(path).c_str(), mode);
}

void ToUpperAnsi(char* text)
{
    if (text == nullptr) return;
    // UTF-8: only ASCII letters change; the bytes of multibyte characters are left alone.
    for (; *text != '\0'; ++text) {
        unsigned char byte = static_cast<unsigned char>(*text);
        if (byte >= 'a' && byte <= 'z') *text = static_cast<char>(byte - 'a' + 'A');
    }
}

size_t AnsiCharacterLength(const char* text)
{
    if (text == nullptr || text[0] == '\0') return 0;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    const size_t length = Utf8SequenceLength(bytes, strnlen(text, 4));
    return length != 0 ? length : 1;
}

bool IsAlphaNumericByte(unsigned char byte)
{
    // The Western European code page's letters and digits, as Windows classifies single bytes.
    if (byte < 0x80) return std::isalnum(byte) != 0;
    if (byte == 0xAA || byte == 0xB5 || byte == 0xBA) return true;
    if (byte == 0x8A || byte == 0x8C || byte == 0x8E || byte == 0x9A || byte == 0x9C || byte == 0x9E || byte == 0x9F ||
        byte == 0x83) {
        return true;
    }
    return byte >= 0xC0 && byte != 0xD7 && byte != 0xF7;
}

int Utf8ToAnsi(const char* utf8, size_t length, char* buffer, size_t size)
{
    if (buffer == nullptr || size == 0) return kSysFailed;
    static const char kReplacement[] = "\xEF\xBF\xBD";
    const unsigned char* in = reinterpret_cast<const unsigned char*>(utf8);
    size_t written = 0;
    size_t i = 0;
    while (i < length) {
        size_t sequence = Utf8SequenceLength(in + i, length - i);
        const char* source = sequence != 0 ? utf8 + i : kReplacement;
        size_t count = sequence != 0 ? sequence : 3;
        if (written + count > size - 1) break;  // whole characters only
        std::memcpy(buffer + written, source, count);
        written += count;
        i += sequence != 0 ? sequence : 1;
    }
    buffer[written] = '\0';
    return static_cast<int>(written);
}

}  // namespace Platform
