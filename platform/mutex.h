// Named mutexes: the single-instance guard's only coordination with other processes. They are
// never waited on, only tested for existence (open) and created.
//
// A handle returned here is owned by the caller and given back with ReleaseAndCloseMutex. Names
// without a namespace prefix live in the current terminal session; "Global\" names are
// machine-wide.
#pragma once

namespace Platform {

// A handle when a mutex of that name exists (opened for synchronisation, not inheritable), else
// null (none exists, or it cannot be opened).
void* OpenNamedMutex(const char* name);

// Creates the mutex, not initially owned, with a security descriptor whose null access list lets
// processes of every user open it, and an inheritable handle. Null when creation failed. When a
// mutex of that name existed already (another process made it first), the handle to it is still
// returned and *alreadyExisted (when not null) is set to true; otherwise it is set to false.
void* CreateOpenToAllMutex(const char* name, bool* alreadyExisted);

// Releases the mutex (harmless when not owned) and closes the handle. A null handle is ignored.
void ReleaseAndCloseMutex(void* handle);

}  // namespace Platform
