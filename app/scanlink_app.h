// The application object: start-up, command line, single-instance guard and the state that the
// other parts of the program read (launch mode, flags, variant, connection choice, titles).
#pragma once
#include <string>

#include "app/variant_table.h"

// How the program was started (from the command line).
enum LaunchMode : int {
    AskPort = 0,       // "/NoPortSelect", or "ip:" with an address that is not valid IPv4
    UsbPort = 1,       // "/usb"
    NetworkPort = 2,   // "/network"
    GivenAddress = 3,  // "L835_MFP" and "ip:" with a valid IPv4 address
    Standalone = 4,    // no connection option
};

class CQuilScanLinkApp {
public:
    CQuilScanLinkApp() = default;
    virtual ~CQuilScanLinkApp();  // releases the titles, then the global and the local mutex

    // Runs the whole program (start-up steps, then the dialog flow). Always returns false.
    // commandLine is the text after the program name.
    virtual bool InitInstance(const char* commandLine);
    // Frees the resource module; returns the exit code (always 0: the program sets none).
    virtual int ExitInstance();

    void* m_hResModule = nullptr;
    void* m_hLocalMutex = nullptr;
    void* m_hGlobalMutex = nullptr;
    char m_szGivenAddress[128] = {};
    int m_nConnection = 0;        // 0 USB, 1 network (written by the connection-type dialog)
    VariantId m_nVariant = 0;
    int m_nLaunchMode = -1;
    int m_bQuiet = 0;
    int m_bMaintenance = 0;
    std::string m_strDeviceTitle;  // maker name + " " + device name
    std::string m_strAppTitle;     // the application title
};

// The one application object of the process.
CQuilScanLinkApp& TheApp();
