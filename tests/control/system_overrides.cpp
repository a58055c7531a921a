// The test builds' answers of platform/system.h: overrides in front of the operating system's.
#include "control/test_control.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>

#include "platform/system_os.h"

namespace {

struct FolderOverride {
    std::string path;
    bool fail = false;
};

struct Overrides {
    int architecture = -1;
    std::optional<Platform::OsVersionInfo> version;
    std::optional<std::string> modulePath;
    std::optional<std::string> systemDirectory;
    std::map<int, FolderOverride> folders;
    int administrator = -1;
};

Overrides& State()
{
    static Overrides state;
    return state;
}

Platform::SysStatus CopyOut(const std::string& value, char* buffer, size_t size)
{
    if (buffer == nullptr || size == 0) return Platform::kSysFailed;
    if (value.size() + 1 > size) {
        buffer[0] = '\0';
        return Platform::kSysFailed;
    }
    std::memcpy(buffer, value.c_str(), value.size() + 1);
    return Platform::kSysOk;
}

}  // namespace

namespace Platform {

Platform::SysStatus GetSystemDirectoryPath(char* buffer, size_t size)
{
    if (State().systemDirectory) return CopyOut(*State().systemDirectory, buffer, size);
    return PlatformOs::GetSystemDirectoryPath(buffer, size);
}

Platform::SysStatus GetOwnModulePath(char* buffer, size_t size)
{
    if (State().modulePath) return CopyOut(*State().modulePath, buffer, size);
    return PlatformOs::GetOwnModulePath(buffer, size);
}

int GetProcessorArchitecture()
{
    if (State().architecture >= 0) return State().architecture;
    return PlatformOs::GetProcessorArchitecture();
}

OsVersionInfo GetOsVersion()
{
    if (State().version) return *State().version;
    return PlatformOs::GetOsVersion();
}

Platform::SysStatus GetShellFolder(int folderId, char* buffer, size_t size)
{
    auto it = State().folders.find(folderId);
    if (it != State().folders.end()) {
        if (it->second.fail) {
            if (buffer != nullptr && size > 0) buffer[0] = '\0';
            return kSysFailed;
        }
        return CopyOut(it->second.path, buffer, size);
    }
    return PlatformOs::GetShellFolder(folderId, buffer, size);
}

bool RunsAsAdministrator()
{
    if (State().administrator >= 0) return State().administrator != 0;
    // The test build of the program (ScanLinkTest.exe) takes the answer from its environment.
    if (const char* env = std::getenv("SCANLINK_TEST_ADMINISTRATOR"); env != nullptr && *env != '\0')
        return std::strcmp(env, "0") != 0;
    return PlatformOs::RunsAsAdministrator();
}

void SetTestAdministrator(int administrator)
{
    State().administrator = administrator;
}

void SetTestProcessorArchitecture(int architecture)
{
    State().architecture = architecture;
}

void SetTestOsVersion(const OsVersionInfo* version)
{
    if (version != nullptr)
        State().version = *version;
    else
        State().version.reset();
}

void SetTestOwnModulePath(const char* path)
{
    if (path != nullptr)
        State().modulePath = path;
    else
        State().modulePath.reset();
}

void SetTestShellFolder(int folderId, const char* path, bool failNow)
{
    if (path == nullptr && !failNow) {
        State().folders.erase(folderId);
        return;
    }
    State().folders[folderId] = FolderOverride{path != nullptr ? path : "", failNow};
}

void ClearTestOverrides()
{
    State() = Overrides{};
}

}  // namespace Platform
