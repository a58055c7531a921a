// Start-up services of the platform: the common control classes and the socket library.
#pragma once

namespace Platform {

// Registers the common control classes (list view, combo box extensions and the others).
void InitCommonControlClasses();

// Starts the socket library (version 1.1 or later). 0 on success, -1 on failure. Must succeed
// before address validation or discovery runs; balanced by StopSocketLibrary.
int StartSocketLibrary();
void StopSocketLibrary();

}  // namespace Platform
