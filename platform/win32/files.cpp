// The file system over Win32: attributes, folders, temporary names, replace by rename and the
// data file's explicit access list.
#include <windows.h>
#include <aclapi.h>

#include <cstring>

#include "platform/files.h"

namespace {

// Rights that every user and service gets on the data file: read, write and replace it, but not
// change its permissions (WRITE_DAC) or owner (WRITE_OWNER).
constexpr DWORD kSharedRights = FILE_GENERIC_READ | FILE_GENERIC_WRITE | DELETE;

// Owns the explicit access list and the descriptor that holds it.
class SharedAccessDescriptor {
public:
    SharedAccessDescriptor()
    {
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
        if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone_) ||
            !AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                      &admins_) ||
            !AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system_))
            return;
        const DWORD aclSize = sizeof(ACL) + 3 * (sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD)) + GetLengthSid(everyone_) +
                              GetLengthSid(admins_) + GetLengthSid(system_);
        acl_ = static_cast<ACL*>(LocalAlloc(LPTR, aclSize));
        if (acl_ == nullptr || !InitializeAcl(acl_, aclSize, ACL_REVISION) ||
            !AddAccessAllowedAce(acl_, ACL_REVISION, FILE_ALL_ACCESS, system_) ||
            !AddAccessAllowedAce(acl_, ACL_REVISION, FILE_ALL_ACCESS, admins_) ||
            !AddAccessAllowedAce(acl_, ACL_REVISION, kSharedRights, everyone_) ||
            !InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
            !SetSecurityDescriptorDacl(&descriptor_, TRUE, acl_, FALSE))
            return;
        // The list stands alone: no entries are inherited from the folder.
        SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
        ready_ = true;
    }
    ~SharedAccessDescriptor()
    {
        if (acl_ != nullptr) LocalFree(acl_);
        if (everyone_ != nullptr) FreeSid(everyone_);
        if (admins_ != nullptr) FreeSid(admins_);
        if (system_ != nullptr) FreeSid(system_);
    }
    SharedAccessDescriptor(const SharedAccessDescriptor&) = delete;
    SharedAccessDescriptor& operator=(const SharedAccessDescriptor&) = delete;

    bool Ready() const { return ready_; }
    SECURITY_DESCRIPTOR* Get() { return &descriptor_; }

private:
    PSID everyone_ = nullptr;
    PSID admins_ = nullptr;
    PSID system_ = nullptr;
    ACL* acl_ = nullptr;
    SECURITY_DESCRIPTOR descriptor_{};
    bool ready_ = false;
};

}  // namespace

namespace Files {

PathKind GetPathKind(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_ACCESS_DENIED ? kPathDenied : kPathMissing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? kPathFolder : kPathFile;
}

bool IsVolumeAvailable(const char* root)
{
    return GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0) != FALSE;
}

bool IsDriveRoot(const char* path)
{
    return path != nullptr && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
           path[1] == ':' && (path[2] == '\\' || path[2] == '/') && path[3] == '\0';
}

bool MakeFolder(const char* path)
{
    return CreateDirectoryA(path, nullptr) != FALSE;
}

bool MakeTempFile(const char* folder, const char* prefix, char* out, size_t size)
{
    char name[MAX_PATH + 1] = {};
    if (GetTempFileNameA(folder, prefix, 0, name) == 0) return false;
    const size_t length = strnlen(name, sizeof name - 1);
    if (length + 1 > size) {
        DeleteFileA(name);
        return false;
    }
    std::memcpy(out, name, length);
    out[length] = '\0';
    return true;
}

bool Exists(const char* path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

FileStatus ReplaceFileContents(const char* path, const char* tempPath, const void* data, size_t size)
{
    SharedAccessDescriptor descriptor;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor.Ready() ? descriptor.Get() : nullptr, FALSE};
    HANDLE file = CreateFileA(tempPath, GENERIC_WRITE, 0, &attributes, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return kFileOpenFailed;
    const char* bytes = static_cast<const char*>(data);
    bool ok = true;
    while (ok && size > 0) {
        const DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        ok = WriteFile(file, bytes, chunk, &written, nullptr) && written == chunk;
        bytes += chunk;
        size -= chunk;
    }
    ok = ok && FlushFileBuffers(file);
    CloseHandle(file);
    if (!ok) {
        DeleteFileA(tempPath);
        return kFileWriteFailed;
    }
    if (!MoveFileExA(tempPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(tempPath);
        return kFileReplaceFailed;
    }
    return kFileOk;
}

FileStatus RewriteFileInPlace(const char* path, const void* data, size_t size)
{
    SharedAccessDescriptor descriptor;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor.Ready() ? descriptor.Get() : nullptr, FALSE};
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &attributes,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return kFileOpenFailed;
    const char* bytes = static_cast<const char*>(data);
    bool ok = true;
    while (ok && size > 0) {
        const DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        ok = WriteFile(file, bytes, chunk, &written, nullptr) && written == chunk;
        bytes += chunk;
        size -= chunk;
    }
    ok = ok && SetEndOfFile(file) && FlushFileBuffers(file);
    CloseHandle(file);
    return ok ? kFileOk : kFileWriteFailed;
}

bool SetSharedAccess(const char* path)
{
    SharedAccessDescriptor descriptor;
    if (!descriptor.Ready()) return false;
    return SetFileSecurityA(path, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, descriptor.Get()) !=
           FALSE;
}

FileStatus ReadSmallFile(const char* path, char* buffer, size_t capacity, size_t* length)
{
    *length = 0;
    if (path == nullptr) return kFileOpenFailed;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return kFileOpenFailed;
    LARGE_INTEGER size;
    FileStatus result = kFileOk;
    DWORD got = 0;
    if (!GetFileSizeEx(file, &size)) {
        result = kFileOpenFailed;
    } else if (static_cast<unsigned long long>(size.QuadPart) > capacity) {
        result = kFileTooLong;
    } else if (!ReadFile(file, buffer, static_cast<DWORD>(size.QuadPart), &got, nullptr)) {
        result = kFileOpenFailed;
    }
    CloseHandle(file);
    if (result == kFileOk) *length = got;
    return result;
}

}  // namespace Files
