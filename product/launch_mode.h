// How the program was started: the launch mode that the command line gives. Start-up decides it;
// the variant's detection and the dialog flow depend on it.
#pragma once

// How the program was started (from the command line).
enum LaunchMode : int {
    AskPort = 0,       // "/NoPortSelect", or "ip:" with an address that is not valid IPv4
    UsbPort = 1,       // "/usb"
    NetworkPort = 2,   // "/network"
    GivenAddress = 3,  // "L835_MFP" and "ip:" with a valid IPv4 address
    Standalone = 4,    // no connection option
};
