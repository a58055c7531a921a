// The native stand-in of the registry: where its file lives, and what tests may look at.
//
// The store is one text file of keys and values. Each operation reads the file afresh and each
// change rewrites it by rename, so separate processes see each other's writes. Key paths and
// value names compare without regard to ASCII letter case, as on Windows.
#pragma once
#include <string>
#include <vector>

namespace PosixRegistry {
// Uses the file at path from now on (an empty path restores the default: the file named by the
// environment variable SCANLINK_REGISTRY_FILE, else ".scanlink-registry" in the home folder).
void SetStoreFile(const std::string& path);

// Every registry operation of this process since the last ClearJournal, one line each:
// "open PATH ok|missing|denied", "create PATH CLASS ok|...", "set NAME TYPE ok|...", "query NAME
// ok|...", "close".
const std::vector<std::string>& Journal();
void ClearJournal();

}  // namespace PosixRegistry
