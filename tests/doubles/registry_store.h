// The native stand-in of the registry: where its file lives, and what tests may look at.
//
// The store is one text file of keys and values. Each operation reads the file afresh and each
// change rewrites it by rename, so separate processes see each other's writes. Key paths and
// value names compare without regard to ASCII letter case, as on Windows.
#pragma once
#include <string>
#include <vector>

#include "platform/registry.h"

namespace PosixRegistry {
// Uses the file at path from now on (an empty path restores the default: the file named by the
// environment variable SCANLINK_REGISTRY_FILE, else ".scanlink-registry" in the home folder).
void SetStoreFile(const std::string& path);

// Every registry operation of this process since the last ClearJournal, one line each:
// "open PATH ok|missing|denied", "create PATH CLASS ok|...", "read PATH ok|...", "set NAME TYPE
// ok|...", "query NAME ok|...", "delete NAME ok|...", "close". Paths in the machine hive start with
// a backslash. Registry::CreateMachineKey is refused (kRegDenied) unless Platform::RunsAsAdministrator.
const std::vector<std::string>& Journal();
void ClearJournal();

// Creates (or opens) a key of the machine hive for writing: what an administrator, the installer or
// Group Policy does, for tests. Tests under Windows use Platform::CreateTestMachineKey
// (tests/control/test_control.h), which calls this natively.
RegStatus CreateMachineKey(const char* path, RegKeyHandle* key);

}  // namespace PosixRegistry
