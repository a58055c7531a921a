// Resource modules on the native build: there is no module loader, so a file counts as loaded
// when it can be read and starts like an executable image ("MZ").
#include <cstdio>
#include <string>

#include "platform/resource_module.h"
#include "platform/system.h"

namespace {
struct LoadedModule {
    std::string path;
};
}  // namespace

namespace Platform {

void* LoadResourceModule(const char* path)
{
    if (path == nullptr) return nullptr;
    std::FILE* file = OpenFile(path, "rb");
    if (file == nullptr) return nullptr;
    char magic[2] = {};
    size_t read = std::fread(magic, 1, sizeof(magic), file);
    std::fclose(file);
    if (read != 2 || magic[0] != 'M' || magic[1] != 'Z') return nullptr;
    return new LoadedModule{path};
}

void FreeResourceModule(void* module)
{
    delete static_cast<LoadedModule*>(module);
}

}  // namespace Platform
