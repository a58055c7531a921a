// Resource modules on Windows: loaded as data and image-resource files, so no code of theirs runs.
#include <windows.h>

#include "platform/resource_module.h"

#ifndef LOAD_LIBRARY_AS_IMAGE_RESOURCE
#define LOAD_LIBRARY_AS_IMAGE_RESOURCE 0x00000020
#endif

namespace Platform {

void* LoadResourceModule(const char* path)
{
    if (path == nullptr) return nullptr;
    HMODULE module = ::LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr && ::GetLastError() == ERROR_INVALID_PARAMETER) {
        // Systems before Vista do not know the image-resource flag; the data-file flag alone
        // still keeps the module's code from running.
        module = ::LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    return module;
}

void FreeResourceModule(void* module)
{
    if (module != nullptr) ::FreeLibrary(static_cast<HMODULE>(module));
}

}  // namespace Platform
