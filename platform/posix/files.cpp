// The file system natively: stat, mkdir, exclusive temporary names and rename over the target.
#include "platform/files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// Paths that the portable code built from Windows-style parts (the variant table's folders use
// '\\') name the same places here with '/'.
std::string Native(const char* path)
{
    std::string native = path != nullptr ? path : "";
    for (char& c : native)
        if (c == '\\') c = '/';
    return native;
}

std::string ParentOf(const std::string& path)
{
    const size_t cut = path.find_last_of('/');
    if (cut == std::string::npos) return ".";
    return cut == 0 ? "/" : path.substr(0, cut);
}

}  // namespace

namespace Files {

PathKind GetPathKind(const char* path)
{
    struct stat info;
    if (path == nullptr || stat(Native(path).c_str(), &info) != 0) return errno == EACCES ? kPathDenied : kPathMissing;
    return S_ISDIR(info.st_mode) ? kPathFolder : kPathFile;
}

bool IsVolumeAvailable(const char* root)
{
    struct statvfs info;
    return root != nullptr && statvfs(Native(root).c_str(), &info) == 0;
}

bool IsDriveRoot(const char* path)
{
    return path != nullptr && Native(path) == "/";
}

bool MakeFolder(const char* path)
{
    return path != nullptr && mkdir(Native(path).c_str(), 0777) == 0;
}

bool MakeTempFile(const char* folder, const char* prefix, char* out, size_t size)
{
    if (folder == nullptr || prefix == nullptr || out == nullptr) return false;
    std::string base = Native(folder);
    if (base.empty() || base.back() != '/') base.push_back('/');
    base.append(prefix, strnlen(prefix, 3));
    // As on Windows: up to 65535 four-digit hexadecimal numbers, starting at a varying one.
    const unsigned start = static_cast<unsigned>(std::time(nullptr) ^ getpid()) & 0xFFFF;
    for (unsigned i = 0; i < 0xFFFF; ++i) {
        const unsigned number = (start + i) % 0xFFFF + 1;
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%04X.tmp", number);
        const std::string name = base + suffix;
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        close(fd);
        if (name.size() + 1 > size) {
            unlink(name.c_str());
            return false;
        }
        std::memcpy(out, name.c_str(), name.size() + 1);
        return true;
    }
    return false;
}

bool Exists(const char* path)
{
    struct stat info;
    return path != nullptr && stat(Native(path).c_str(), &info) == 0;
}

FileStatus ReplaceFileContents(const char* pathText, const char* tempText, const void* data, size_t size)
{
    if (pathText == nullptr || tempText == nullptr || (data == nullptr && size != 0)) return kFileOpenFailed;
    const std::string target = Native(pathText), temp = Native(tempText);
    const char* path = target.c_str();
    const char* tempPath = temp.c_str();
    const int fd = open(tempPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return kFileOpenFailed;
    fchmod(fd, 0666);
    const char* bytes = static_cast<const char*>(data);
    bool ok = true;
    while (ok && size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        ok = written > 0;
        if (ok) {
            bytes += written;
            size -= static_cast<size_t>(written);
        }
    }
    ok = fsync(fd) == 0 && ok;
    ok = close(fd) == 0 && ok;
    if (!ok) {
        unlink(tempPath);
        return kFileWriteFailed;
    }
    if (std::rename(tempPath, path) != 0) {
        unlink(tempPath);
        return kFileReplaceFailed;
    }
    // Make the rename itself durable.
    const int folder = open(ParentOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return kFileOk;
}

FileStatus RewriteFileInPlace(const char* pathText, const void* data, size_t size)
{
    if (pathText == nullptr || (data == nullptr && size != 0)) return kFileOpenFailed;
    const std::string target = Native(pathText);
    const int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return kFileOpenFailed;
    const char* bytes = static_cast<const char*>(data);
    const off_t length = static_cast<off_t>(size);
    bool ok = true;
    while (ok && size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        ok = written > 0;
        if (ok) {
            bytes += written;
            size -= static_cast<size_t>(written);
        }
    }
    ok = ok && ftruncate(fd, length) == 0;
    ok = fsync(fd) == 0 && ok;
    ok = close(fd) == 0 && ok;
    return ok ? kFileOk : kFileWriteFailed;
}

bool SetSharedAccess(const char* path)
{
    return path != nullptr && chmod(Native(path).c_str(), 0666) == 0;
}

FileStatus ReadSmallFile(const char* path, char* buffer, size_t capacity, size_t* length)
{
    *length = 0;
    if (path == nullptr) return kFileOpenFailed;
    const int fd = open(Native(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return kFileOpenFailed;
    size_t used = 0;
    FileStatus result = kFileOk;
    for (;;) {
        char extra;
        char* into = used < capacity ? buffer + used : &extra;
        const ssize_t got = read(fd, into, used < capacity ? capacity - used : 1);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) result = kFileOpenFailed;
        if (got <= 0) break;
        if (used >= capacity) {
            result = kFileTooLong;
            break;
        }
        used += static_cast<size_t>(got);
    }
    close(fd);
    if (result == kFileOk) *length = used;
    return result;
}

}  // namespace Files
