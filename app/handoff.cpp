// The hand-offs of start-up without a connection option: the scanner address dialog alone, or a
// command-line mode.
#include "app/handoff.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "app/command_line_modes.h"
#include "ui/set_ip_dialog.h"

bool HandoffStopRequested()
{
    const char* stop = std::getenv("SCANLINK_HANDOFF_STOP");
    return stop != nullptr && std::strcmp(stop, "1") == 0;
}

int RunStandaloneAddressDialog()
{
    TraceHandoff("hand-off: standalone");
    if (HandoffStopRequested()) {
        return 0;
    }
    // The result is not used: no warning on cancel, no device registration.
    CSetIPDlg dialog;
    dialog.DoModal();
    return 0;
}

int RunCommandLineMode(const CommandLineOptions& options)
{
    TraceHandoff(("hand-off: command line mode " + std::to_string(options.mode)).c_str());
    if (HandoffStopRequested()) {
        return 0;
    }
    switch (options.mode) {
    case kModeRefresh:
        return RunRefreshMode();
    case kModeSet:
        return RunSetMode(options);
    case kModeList:
        return RunListMode(options);
    default:
        return kExitCannotStart;
    }
}
