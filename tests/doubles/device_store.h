// The native stand-in of the device installer: the devices it has registered, and what tests may
// change about it.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace PosixDevices {

// One registered device node.
struct Device {
    std::string instanceId;     // "ROOT\<CLASS>\0000", "ROOT\<CLASS>\0001", ...
    std::string className;
    unsigned char classGuid[16] = {};
    std::string hardwareIds;    // the multi-string as given, with its NULs
    std::string description;
    std::string driverInf;      // the INF whose driver was installed on it, empty before
    bool imagingInterface = false;  // present and exposing the imaging device interface
};

// The registered devices, in the order of registration.
const std::vector<Device>& Devices();

// Forgets every device and restores every setting below.
void Reset();

// Adds a present device with the imaging interface and the given description (what a device
// that a driver has started looks like); returns its instance ID.
std::string AddPresentImagingDevice(const std::string& description);

// Gives a registered device the imaging interface (standing in for its driver). False when no
// device has that instance ID.
bool EnableImagingInterface(const std::string& instanceId, const std::string& description);

// Makes the listing of present devices fail (no list), or walking it fail at a member index.
void SetListingFails(bool fails);
void SetWalkFailsAt(int index);  // -1: never

// Makes the driver installer library unavailable.
void SetDriverInstallerAvailable(bool available);

// Every device installer operation since the last Reset, by name ("GetInfClass", "CreateDevice",
// "InstallDriverFromInf hwid|inf", ...).
const std::vector<std::string>& Calls();

// Runs after each successful registration of a device node (before the driver is installed).
void SetAfterRegister(std::function<void()> hook);

}  // namespace PosixDevices
