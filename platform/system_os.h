// The operating system's half of platform/system.h: each platform directory implements these; the
// shipped program answers with them (platform/system_shipped.cpp), test builds may put overrides in
// front of them (tests/control/).
#pragma once
#include <cstddef>

#include "platform/system.h"

namespace PlatformOs {
Platform::SysStatus GetSystemDirectoryPath(char* buffer, size_t size);
Platform::SysStatus GetOwnModulePath(char* buffer, size_t size);
int GetProcessorArchitecture();
Platform::OsVersionInfo GetOsVersion();
Platform::SysStatus GetShellFolder(int folderId, char* buffer, size_t size);
bool RunsAsAdministrator();
}  // namespace PlatformOs
