// Named mutexes on the native build: a process-wide table of names with a count of open handles,
// enough for tests of the single-instance guard within one process.
#include <map>
#include <string>

#include "platform/mutex.h"
#include "doubles/mutex_race.h"

namespace {

struct MutexHandle {
    std::string name;
};

std::map<std::string, int>& OpenCounts()
{
    static std::map<std::string, int> counts;
    return counts;
}

bool g_openMisses = false;

void* NewHandle(const char* name)
{
    ++OpenCounts()[name];
    return new MutexHandle{name};
}

}  // namespace

namespace Platform {

void* OpenNamedMutex(const char* name)
{
    if (name == nullptr || g_openMisses) return nullptr;
    auto it = OpenCounts().find(name);
    if (it == OpenCounts().end() || it->second <= 0) return nullptr;
    return NewHandle(name);
}

void* CreateOpenToAllMutex(const char* name, bool* alreadyExisted)
{
    if (alreadyExisted != nullptr) *alreadyExisted = false;
    if (name == nullptr) return nullptr;
    if (alreadyExisted != nullptr) *alreadyExisted = OpenCounts().count(name) != 0;
    return NewHandle(name);
}

void ReleaseAndCloseMutex(void* handle)
{
    if (handle == nullptr) return;
    MutexHandle* mutex = static_cast<MutexHandle*>(handle);
    auto it = OpenCounts().find(mutex->name);
    if (it != OpenCounts().end() && --it->second <= 0) OpenCounts().erase(it);
    delete mutex;
}

}  // namespace Platform

namespace PosixMutex {

void SetOpenMisses(bool misses)
{
    g_openMisses = misses;
}

}  // namespace PosixMutex
