// The operating system's half of platform/system.h, without the test overrides: each platform
// directory implements these, and platform/system.cpp puts the overrides in front of them.
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
