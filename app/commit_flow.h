// The commit flow that start-up runs when a connection option was given: device registration,
// then the connection-type dialog, the USB closing message, the scanner address dialog or the
// address from the command line (checked by unicast first, stored with the MAC address of this
// product's scanner when one answered), by launch mode.
#pragma once
#include <cstddef>

#include "app/startup_request.h"

// Registers the network scanner device (in maintenance mode only when no such device is present)
// and completes the connection by the request's launch mode, flags and given address. When the registration
// failed (no INF, or no device node made), a USB connection ends with STR_M_REGISTER_FAILED
// (not under quiet) instead of the closing message. Returns the registration's result (0, also
// when no node could be made, or 2 for a missing INF file), or in maintenance mode, when nothing
// was registered, the device search's result (0 present, 1 no memory, 2 no device list). Start-up
// does not read it.
int CommitConnection(const StartupRequest& request);

// Runs the scanner address dialog (it stores the choice itself on OK) and, when the user
// cancelled it, warns that the network setting is unfinished. Returns 0.
int RunAddressDialog();

// Formats the closing message of a USB connection: the first "%s" of format is replaced by
// productName and "%%" gives "%"; every other "%" sequence is copied as it is, so a string file
// can never make the formatting read arguments that do not exist. The result is cut to fit text
// (capacity bytes) and terminated.
void FormatProductMessage(const char* format, const char* productName, char* text, size_t capacity);
