// The file system as the settings store needs it: what a path is, folder creation, temporary
// names, replacing a file by rename and the data file's access list.
//
// Paths are narrow text in the ANSI code page. On Windows they are Windows paths ("C:\a\b"); on
// the native build they are POSIX paths ("/a/b"). Portable code treats both '\' and '/' as
// separators and adds kPathSeparator where it needs one. Nothing here keeps a handle or memory
// past the call; every output buffer is written only within the size the caller gives and is
// always terminated when it is written at all.
#pragma once
#include <cstddef>

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// What GetPathKind finds.
enum PathKind : int {
    kPathMissing = 0,  // it does not exist, or its attributes cannot be read for another reason
    kPathFolder = 1,   // an existing folder
    kPathFile = 2,     // an existing file (anything that is not a folder)
    kPathDenied = 3,   // reading its attributes was refused (access denied)
};

// Results of ReplaceFileContents.
// The system's own reason of a failure is kept as Platform::LastSystemError (platform/system_error.h).
enum FileStatus : int {
    kFileOk = 0,
    kFileOpenFailed = 1,     // the temporary file could not be created
    kFileWriteFailed = 2,    // writing or flushing it failed (it was removed)
    kFileReplaceFailed = 3,  // it could not take the target's place (it was removed)
    kFileTooLong = 4,        // ReadSmallFile: the file holds more than the buffer
};

namespace Files {
// Reads what the path names (GetFileAttributesA on Windows, stat natively).
PathKind GetPathKind(const char* path);

// True when root names the root of a volume that is present and readable (a drive root such as
// "C:\" on Windows, "/" natively).
bool IsVolumeAvailable(const char* root);

// True when root is a drive root: a letter, ':' and one separator on Windows; "/" natively.
bool IsDriveRoot(const char* path);

// Creates one folder with default security; its parent must exist. True on success.
bool MakeFolder(const char* path);

// Creates an empty file with a new unique name in folder, the name starting with prefix (at most
// three characters are used), and writes its full path into out (size bytes). False when no file
// was created or the name does not fit (then nothing is left behind).
bool MakeTempFile(const char* folder, const char* prefix, char* out, size_t size);

// True when a file or folder of that exact name exists (FindFirstFileA on Windows).
bool Exists(const char* path);

// Writes size bytes of data to tempPath (created or truncated, with the shared access list of
// SetSharedAccess where the platform can give it at creation), flushes it to the disk and then
// moves it over path in one step, so that path holds either its old content or all of the new
// one. tempPath must be in the same folder as path. On any failure the temporary file is removed
// and path is left as it was.
FileStatus ReplaceFileContents(const char* path, const char* tempPath, const void* data, size_t size);

// Writes size bytes of data over the file at path in place (creating it when missing): opened for
// writing while allowing others every kind of access, written from the start, cut after the data
// and flushed. It works while another process holds the file open without delete sharing, which
// stops ReplaceFileContents, but is not all-or-nothing: on kFileWriteFailed path may hold part of
// the new data. kFileOk, kFileOpenFailed (path could not be opened for writing) or kFileWriteFailed.
FileStatus RewriteFileInPlace(const char* path, const void* data, size_t size);

// Gives the file the data file's access list: every user and service may read, write and
// replace it; only administrators and the system may change its permissions or owner (Windows);
// natively, mode 0666, whose permissions only the owner may change. True on success.
bool SetSharedAccess(const char* path);

// Reads the whole file into buffer (capacity bytes, not terminated) and its length into *length.
// kFileOk; kFileOpenFailed when it cannot be opened or read; kFileTooLong when it holds more than
// capacity bytes (*length is then 0).
FileStatus ReadSmallFile(const char* path, char* buffer, size_t capacity, size_t* length);
}  // namespace Files
