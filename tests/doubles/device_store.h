// The native stand-in of the device installer: the devices it has registered, and what tests may
// change about it.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace PosixDevices {

// One registered device node.
struct Device {
    std::string instanceId;  // "ROOT\<CLASS>\0000", "ROOT\<CLASS>\0001", ...
    std::string className;
    unsigned char classGuid[16] = {};
    std::string hardwareIds;  // the multi-string as given, with its NULs
    std::string description;
    std::string driverInf;          // the INF whose driver was installed on it, empty before
    bool imagingInterface = false;  // present and exposing the imaging device interface
};

// Forgets every device and restores every setting below.
void Reset();

}  // namespace PosixDevices
