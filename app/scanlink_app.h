// The application object: start-up, command line, single-instance guard and the state of the
// dialog flow (launch mode, flags, given address, connection choice). It sets the current variant
// (product/variant_table.h), which every layer reads from there; nothing below app/ reads it.
#pragma once
#include <cstddef>
#include <string>

#include "app/command_line_modes.h"
#include "product/launch_mode.h"
#include "product/variant_table.h"

// Start-up status inside InitInstance: every value but kStartContinue ends start-up.
constexpr int kStartContinue = 0;
constexpr int kStartMissingFile = 2;  // a required file is missing or the module did not load
constexpr int kStartStringFileFailed = -1;
constexpr int kStartAlreadyRunning = 6;  // another instance holds a mutex, or one cannot be made

class CQuilScanLinkApp {
public:
    // The newest application object is the one that TheApp() returns while it lives.
    CQuilScanLinkApp();
    virtual ~CQuilScanLinkApp();  // releases the global and the local mutex
    CQuilScanLinkApp(const CQuilScanLinkApp&) = delete;
    CQuilScanLinkApp& operator=(const CQuilScanLinkApp&) = delete;

    // Runs the whole program (start-up, then the dialog flow). Always returns false.
    // commandLine is the text after the program name.
    virtual bool InitInstance(const char* commandLine);
    // Frees the resource module; returns the exit code: 0 for the dialog flows, the mode's code
    // for a command-line mode (kExitCannotStart when start-up failed in one).
    virtual int ExitInstance();

    // The launch mode, the flags and the "ip:" address from the command line, and the
    // command-line mode (m_commandLineModes). A command-line mode makes the launch mode Standalone:
    // its files are looked for where a start without connection options looks for them.
    void ParseCommandLine(const char* commandLine);

    void* m_hResModule = nullptr;
    void* m_hLocalMutex = nullptr;
    void* m_hGlobalMutex = nullptr;
    char m_szGivenAddress[128] = {};
    int m_nConnection = 0;  // 0 USB, 1 network (the connection-type dialog's choice)
    int m_nLaunchMode = -1;
    int m_bQuiet = 0;
    int m_bMaintenance = 0;
    CommandLineOptions m_commandLineModes;
    int m_nExitCode = 0;

private:
    int StartUp(const char* commandLine);
    int TakeMutex(int nameItem, void** handle);

    CQuilScanLinkApp* previous_ = nullptr;
    bool socketsStarted_ = false;
    int lastStatus_ = kStartContinue;
};

// The one application object of the process.
CQuilScanLinkApp& TheApp();

// The "ip:" scan of the command line: copies what follows the first "ip:" up to the next "/" or
// ":" or the end into address (cut to size - 1 bytes and terminated). Only the first 255
// characters of the command line are scanned.
void ExtractGivenAddress(const char* commandLine, char* address, size_t size);
