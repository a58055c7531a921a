// Operating-system facts on Windows: system directory, module path, processor, version, shell
// folders, file existence and the ANSI code page's character rules.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "platform/bounded_text.h"
#include "platform/system_os.h"

namespace {

// Copies a complete text into the caller's buffer, or leaves the empty text when it does not fit.
Platform::SysStatus CopyOut(const char* value, char* buffer, size_t size)
{
    return CopyWhole(value, buffer, size) ? Platform::kSysOk : Platform::kSysFailed;
}

}  // namespace

namespace PlatformOs {

Platform::SysStatus GetSystemDirectoryPath(char* buffer, size_t size)
{
    char path[MAX_PATH] = {};
    UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        if (buffer != nullptr && size > 0) buffer[0] = '\0';
        return Platform::kSysFailed;
    }
    return CopyOut(path, buffer, size);
}

Platform::SysStatus GetOwnModulePath(char* buffer, size_t size)
{
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        if (buffer != nullptr && size > 0) buffer[0] = '\0';
        return Platform::kSysFailed;
    }
    return CopyOut(path, buffer, size);
}

int GetProcessorArchitecture()
{
    // The native system information: a 32-bit program on a 64-bit system must see the 64-bit
    // processor, since the resource module name follows the system. Systems older than
    // GetNativeSystemInfo are all 32-bit, where GetSystemInfo tells the same; the function is
    // looked up at run time so that the program still starts there.
    using GetSystemInfoFunction = void(WINAPI*)(LPSYSTEM_INFO);
    GetSystemInfoFunction getInfo = &::GetSystemInfo;
    if (HMODULE kernel = ::GetModuleHandleA("kernel32.dll")) {
        if (FARPROC native = ::GetProcAddress(kernel, "GetNativeSystemInfo"))
            getInfo = reinterpret_cast<GetSystemInfoFunction>(reinterpret_cast<void*>(native));
    }
    SYSTEM_INFO info = {};
    getInfo(&info);
    return info.wProcessorArchitecture;
}

Platform::OsVersionInfo GetOsVersion()
{
    Platform::OsVersionInfo result;
    OSVERSIONINFOEXA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    BOOL ok = ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info));
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    if (!ok) return result;
    result.ok = true;
    result.major = info.dwMajorVersion;
    result.minor = info.dwMinorVersion;
    result.productType = info.wProductType;
    return result;
}

Platform::SysStatus GetShellFolder(int folderId, char* buffer, size_t size)
{
    char path[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathA(nullptr, path, folderId, FALSE)) {
        if (buffer != nullptr && size > 0) buffer[0] = '\0';
        return Platform::kSysFailed;
    }
    return CopyOut(path, buffer, size);
}

// Membership of Administrators as the token counts it: under UAC an administrator's filtered token
// holds the group for denying only, and CheckTokenMembership then answers no.
bool RunsAsAdministrator()
{
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &administrators))
        return false;
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators, &member)) member = FALSE;
    FreeSid(administrators);
    return member != FALSE;
}

}  // namespace PlatformOs

namespace Platform {

bool FileExists(const char* path)
{
    if (path == nullptr || path[0] == '\0') return false;
    WIN32_FIND_DATAA data;
    HANDLE search = ::FindFirstFileA(path, &data);
    if (search == INVALID_HANDLE_VALUE) return false;
    ::FindClose(search);
    return true;
}

std::FILE* OpenFile(const char* path, const char* mode)
{
    if (path == nullptr || mode == nullptr) return nullptr;
    return std::fopen(path, mode);
}

void ToUpperAnsi(char* text)
{
    if (text == nullptr) return;
    size_t length = std::strlen(text);
    // CharUpperBuffA works in the ANSI code page and leaves double-byte characters intact.
    while (length > 0) {
        DWORD chunk = length > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(length);
        ::CharUpperBuffA(text, chunk);
        text += chunk;
        length -= chunk;
    }
}

size_t AnsiCharacterLength(const char* text)
{
    if (text == nullptr || text[0] == '\0') return 0;
    return ::IsDBCSLeadByte(static_cast<BYTE>(text[0])) && text[1] != '\0' ? 2 : 1;
}

bool IsAlphaNumericByte(unsigned char byte)
{
    return ::IsCharAlphaNumericA(static_cast<CHAR>(byte)) != FALSE;
}

int Utf8ToAnsi(const char* utf8, size_t length, char* buffer, size_t size)
{
    if (buffer == nullptr || size == 0) return kSysFailed;
    buffer[0] = '\0';
    if (length == 0) return 0;
    if (length > 0x7FFFFFFF) return kSysFailed;
    int wideLength = ::MultiByteToWideChar(CP_UTF8, 0, utf8, static_cast<int>(length), nullptr, 0);
    if (wideLength <= 0) return kSysFailed;
    wchar_t* wide = new (std::nothrow) wchar_t[wideLength];
    if (wide == nullptr) return kSysFailed;
    ::MultiByteToWideChar(CP_UTF8, 0, utf8, static_cast<int>(length), wide, wideLength);
    int needed = ::WideCharToMultiByte(CP_ACP, 0, wide, wideLength, nullptr, 0, nullptr, nullptr);
    int written = 0;
    if (needed > 0) {
        char* ansi = new (std::nothrow) char[needed];
        if (ansi != nullptr) {
            ::WideCharToMultiByte(CP_ACP, 0, wide, wideLength, ansi, needed, nullptr, nullptr);
            written = needed < static_cast<int>(size - 1) ? needed : static_cast<int>(size - 1);
            std::memcpy(buffer, ansi, written);
            buffer[written] = '\0';
            delete[] ansi;
        } else {
            written = kSysFailed;
        }
    } else {
        written = kSysFailed;
    }
    delete[] wide;
    return written;
}

}  // namespace Platform
