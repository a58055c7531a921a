// Test switch of the native mutex stand-in: makes the open miss mutexes that exist, as it does on
// Windows when another instance creates the mutex between this instance's open and its creation.
#pragma once

namespace PosixMutex {
// While set, OpenNamedMutex finds nothing; CreateOpenToAllMutex still sees what exists.
void SetOpenMisses(bool misses);
}  // namespace PosixMutex
