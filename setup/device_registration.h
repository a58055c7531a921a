// Network scanner device registration: registers a root-enumerated device of the INF's setup
// class with the variant's hardware ID and installs the driver from that INF on it, and finds
// a present imaging device by its description.
#pragma once

// Results of FindScannerDevice.
constexpr int kFindFound = 0;       // a present imaging device has the description
constexpr int kFindNoMemory = 1;    // memory for a property was not available
constexpr int kFindNoList = 2;      // no device list, or walking it failed
constexpr int kFindAbsent = 5;      // no present imaging device has it

// Results of RegisterScannerDevice.
constexpr int kRegisterDone = 0;    // every outcome but a missing INF (created or not)
constexpr int kRegisterNoInf = 2;   // the INF does not exist (before or after registration)

// Looks for a present imaging device (one that exposes the imaging interface) whose description
// equals description without regard to letter case.
int FindScannerDevice(const char* description);

// Registers a new device node of the INF's class with the hardware ID and installs the driver
// from the INF on it. Each call makes a new node. The INF path and the hardware ID are cut to
// 259 characters.
int RegisterScannerDevice(const char* infPath, const char* hardwareId);
