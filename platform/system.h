// The operating-system facts that start-up and the variant table read: system directory, the
// program's own path, processor architecture, Windows version, shell folders, file existence and
// the ANSI code page's character rules.
//
// Every text is a narrow string in the ANSI code page (UTF-8 on the native build). Every function
// that fills a buffer takes its capacity in bytes, never writes past it and always terminates the
// text when the capacity is at least 1; a value that does not fit counts as a failure and leaves
// the buffer holding the empty text.
//
// The shipped program asks the operating system (platform/system_shipped.cpp); test builds can put
// other answers in front of it (tests/control/test_control.h), so that one machine can exercise
// every processor and Windows version.
#pragma once
#include <cstddef>
#include <cstdio>

namespace Platform {

// Result codes shared by the functions below that fill a buffer.
enum SysStatus : int {
    kSysOk = 0,
    kSysFailed = -1,
};

// The system directory (for example "C:\windows\system32"), without a trailing backslash.
SysStatus GetSystemDirectoryPath(char* buffer, size_t size);

// The full path of the running program's executable.
SysStatus GetOwnModulePath(char* buffer, size_t size);

// Processor architecture codes as the system reports them.
constexpr int kArchX86 = 0;
constexpr int kArchIa64 = 6;
constexpr int kArchAmd64 = 9;
constexpr int kArchArm64 = 12;
constexpr int kArchUnknown = 0xFFFF;
// The processor architecture of the system (not of this process): one of the codes above or
// another value the system reports.
int GetProcessorArchitecture();

// The Windows version as the system reports it. ok is false when the query failed (the other
// fields are then 0). productType is 1 for a workstation, 2 for a domain controller, 3 for a
// server (the platform's VER_NT_* values).
struct OsVersionInfo {
    bool ok = false;
    unsigned major = 0;
    unsigned minor = 0;
    int productType = 0;
};
constexpr int kProductWorkstation = 1;
OsVersionInfo GetOsVersion();

// Shell folders by their platform identifiers; the folder is not created.
constexpr int kFolderProgramFiles = 0x26;
constexpr int kFolderProgramFilesX86 = 0x2A;
constexpr int kFolderCommonAppData = 0x23;
// Fills buffer with the folder (no trailing backslash). kSysFailed when the shell cannot supply it.
SysStatus GetShellFolder(int folderId, char* buffer, size_t size);

// True when the program runs with an administrator's rights: on Windows a member of the
// Administrators group whose token is elevated (an administrator's filtered token under UAC is not);
// natively the superuser. Wine's user counts as an administrator.
bool RunsAsAdministrator();

// True when a file (or folder) exists at the full path.
bool FileExists(const char* path);

// Opens a file by its full path with a C library mode ("rb", "a" ...); null when it cannot be
// opened. The native build reads "\" in a path as "/", so Windows-style paths work on both.
std::FILE* OpenFile(const char* path, const char* mode);

// Upper-cases text in place by the ANSI code page's rules, leaving the trail bytes of double-byte
// characters alone.
void ToUpperAnsi(char* text);

// The length in bytes of the character of the ANSI code page that starts at text: 2 for a lead
// byte followed by a trail byte in a double-byte code page (932 and others), else 1 (natively the
// length of a valid UTF-8 sequence, else 1); 0 at the terminator. Walking a text by these lengths
// visits only the starts of characters, so the trail byte of a double-byte character, which can
// equal an ASCII letter, is never taken for one.
size_t AnsiCharacterLength(const char* text);

// The platform's letter-or-digit test for one byte of the ANSI code page.
bool IsAlphaNumericByte(unsigned char byte);

// Converts length bytes of UTF-8 to the ANSI code page (invalid sequences and characters the code
// page cannot show become the platform's replacement characters). Writes at most size - 1 bytes
// and a terminator; returns the number of bytes written, or kSysFailed when the conversion failed.
int Utf8ToAnsi(const char* utf8, size_t length, char* buffer, size_t size);

}  // namespace Platform
