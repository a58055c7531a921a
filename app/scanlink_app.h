// The application object: reads the start-up request, decides the product, loads the resource
// module and the string file, opens the trace, guards against a second instance and hands over to
// the dialog flow or the command-line mode. It sets the current product (product/product.h), which
// every layer reads from there; nothing below app/ reads the application object.
#pragma once
#include <string>

#include "app/startup_request.h"
#include "product/product.h"

// Start-up status inside InitInstance: every value but kStartContinue ends start-up.
constexpr int kStartContinue = 0;
constexpr int kStartMissingFile = 2;  // a required file is missing or the module did not load
constexpr int kStartStringFileFailed = -1;
constexpr int kStartAlreadyRunning = 6;  // another instance holds a mutex, or one cannot be made

class CQuilScanLinkApp {
public:
    CQuilScanLinkApp() = default;
    ~CQuilScanLinkApp();  // releases the global and the local mutex
    CQuilScanLinkApp(const CQuilScanLinkApp&) = delete;
    CQuilScanLinkApp& operator=(const CQuilScanLinkApp&) = delete;

    // Runs the whole program (start-up, then the dialog flow or the command-line mode) for the
    // command line (the text after the program name). Always returns false.
    bool InitInstance(const char* commandLine);
    // Frees the resource module and stops the socket library; returns the exit code: 0 for the
    // dialog flows, the mode's code for a command-line mode (kExitCannotStart when start-up failed
    // in one).
    int ExitInstance();

    const StartupRequest& Request() const { return request_; }

private:
    int StartUp();
    void ApplyRequestSecurity(const Product& product);
    static int TakeMutex(const std::string& name, void** handle);

    StartupRequest request_;
    void* resourceModule_ = nullptr;
    void* localMutex_ = nullptr;
    void* globalMutex_ = nullptr;
    bool socketsStarted_ = false;
    int exitCode_ = 0;
};
