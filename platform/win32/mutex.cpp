// Named mutexes on Windows, with the open-to-all security descriptor.
#include <windows.h>

#include "platform/mutex.h"

namespace Platform {

void* OpenNamedMutex(const char* name)
{
    if (name == nullptr) return nullptr;
    return ::OpenMutexA(SYNCHRONIZE, FALSE, name);
}

void* CreateOpenToAllMutex(const char* name, bool* alreadyExisted)
{
    if (alreadyExisted != nullptr) *alreadyExisted = false;
    if (name == nullptr) return nullptr;
    SECURITY_DESCRIPTOR descriptor;
    if (!::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION)) return nullptr;
    if (!::SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE)) return nullptr;
    SECURITY_ATTRIBUTES attributes;
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = &descriptor;
    attributes.bInheritHandle = TRUE;
    HANDLE mutex = ::CreateMutexA(&attributes, FALSE, name);
    if (mutex != nullptr && alreadyExisted != nullptr) *alreadyExisted = ::GetLastError() == ERROR_ALREADY_EXISTS;
    return mutex;
}

void ReleaseAndCloseMutex(void* handle)
{
    if (handle == nullptr) return;
    ::ReleaseMutex(static_cast<HANDLE>(handle));
    ::CloseHandle(static_cast<HANDLE>(handle));
}

}  // namespace Platform
