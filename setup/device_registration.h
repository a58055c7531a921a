// Network scanner device registration: registers a root-enumerated device of the INF's setup
// class with the variant's hardware ID and installs the driver from that INF on it, and finds
// a present imaging device by its description.
#pragma once

// Results of FindScannerDevice.
constexpr int kFindFound = 0;     // a present imaging device has the description
constexpr int kFindNoMemory = 1;  // memory for a property was not available
constexpr int kFindNoList = 2;    // no device list, or walking it failed
constexpr int kFindAbsent = 5;    // no present imaging device has it

// Results of RegisterScannerDevice.
constexpr int kRegisterDone = 0;        // the device node was made (driver installed or not)
constexpr int kRegisterNoInf = 2;       // the INF does not exist (before or after registration)
constexpr int kRegisterNotCreated = 3;  // no device node: the INF's class, the device list, or
                                        // creating, naming or registering the node failed

// Looks for a present imaging device (one that exposes the imaging interface) whose description
// equals description without regard to letter case.
int FindScannerDevice(const char* description);

// Registers a new device node of the INF's class with the hardware ID and installs the driver
// from the INF on it. Each call makes a new node. The INF path is cut to 259 characters (the
// longest Windows path) and the hardware ID to 258 (its list needs a second NUL).
int RegisterScannerDevice(const char* infPath, const char* hardwareId);
