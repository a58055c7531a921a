// The operating system's half of platform/system.h: each platform directory implements these; the
// shipped program answers with them (platform/system_shipped.cpp), test builds may put overrides in
// front of them (tests/control/).
#pragma once
#include <cstddef>

#include "platform/system.h"

namespace PlatformOs {
int GetSystemDirectoryPath(char* buffer, size_t size);
int GetOwnModulePath(char* buffer, size_t size);
int GetProcessorArchitecture();
Platform::OsVersionInfo GetOsVersion();
int GetShellFolder(int folderId, char* buffer, size_t size);
}  // namespace PlatformOs
