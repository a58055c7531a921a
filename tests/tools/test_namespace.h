// The guard of every native test program that sends: it runs only inside a network namespace that
// the test scripts made, never in the machine's own.
#pragma once
#include <sys/stat.h>

#include <filesystem>
#include <string>

// True when this process runs inside a named network namespace of the test scripts (one listed
// in /run/netns whose name begins with "sl-").
inline bool InTestNamespace()
{
    struct stat own;
    if (stat("/proc/self/ns/net", &own) != 0) return false;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/run/netns", error)) {
        struct stat named;
        if (entry.path().filename().string().rfind("sl-", 0) == 0 && stat(entry.path().c_str(), &named) == 0 &&
            named.st_dev == own.st_dev && named.st_ino == own.st_ino)
            return true;
    }
    return false;
}
