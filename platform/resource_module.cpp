// The module that dialogs and icons are taken from.
#include "platform/resource_module.h"

namespace {
void* g_resourceModule = nullptr;
}

namespace Platform {

void SetResourceModule(void* module)
{
    g_resourceModule = module;
}

void* ResourceModule()
{
    return g_resourceModule;
}

}  // namespace Platform
