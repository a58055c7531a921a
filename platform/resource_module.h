// The resource module: the product's dialog templates and icons, loaded as data so that none of
// its code runs (which also lets a 32-bit program load the module built for a 64-bit system).
//
// The loaded module is owned by the caller (the application object) and given back with
// FreeResourceModule. SetResourceModule makes it the module from which dialogs and icons are
// taken; ResourceModule returns it (null: the program's own module).
#pragma once

namespace Platform {

// Loads the module at the full path as a data and image-resource module. Null when it cannot be
// loaded (missing, not a module, or the system refuses).
void* LoadResourceModule(const char* path);

// Frees a module from LoadResourceModule. A null handle is ignored.
void FreeResourceModule(void* module);

void SetResourceModule(void* module);
void* ResourceModule();

}  // namespace Platform
