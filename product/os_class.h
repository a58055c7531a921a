// The Windows version class that decides whether IPv6 discovery is offered (class 1 is Windows
// 2000, which has none).
#pragma once
#include "platform/system.h"

// 0 when the version query failed; 1 Windows 2000; 2 XP or a 64-bit XP workstation; 3 Server
// 2003; 4 Vista, or 8.0 and later within version 6; 5 Server 2008; 6 Server 2008 R2; 7 Windows 7;
// 8 any other version.
int ClassifyOsVersion(const Platform::OsVersionInfo& version);
