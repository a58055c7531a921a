// The operating-system facts of the shipped program: always what the system reports.
#include "platform/system.h"
#include "platform/system_os.h"

namespace Platform {

Platform::SysStatus GetSystemDirectoryPath(char* buffer, size_t size)
{
    return PlatformOs::GetSystemDirectoryPath(buffer, size);
}

Platform::SysStatus GetOwnModulePath(char* buffer, size_t size)
{
    return PlatformOs::GetOwnModulePath(buffer, size);
}

int GetProcessorArchitecture()
{
    return PlatformOs::GetProcessorArchitecture();
}

OsVersionInfo GetOsVersion()
{
    return PlatformOs::GetOsVersion();
}

Platform::SysStatus GetShellFolder(int folderId, char* buffer, size_t size)
{
    return PlatformOs::GetShellFolder(folderId, buffer, size);
}

bool RunsAsAdministrator()
{
    return PlatformOs::RunsAsAdministrator();
}

}  // namespace Platform
