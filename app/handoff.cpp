// The hand-offs of start-up without a connection option: the scanner address dialog alone, or a
// command-line mode.
#include "app/handoff.h"

#include "app/command_line_modes.h"
#include "ui/set_ip_dialog.h"

int RunStandaloneAddressDialog()
{
    if (!HandoffProceeds("standalone")) return 0;
    // The result is not used: no warning on cancel, no device registration.
    CSetIPDlg dialog;
    dialog.DoModal();
    return 0;
}

int RunCommandLineMode(const StartupRequest& request)
{
    switch (request.mode) {
    case CommandLineMode::Refresh:
        return HandoffProceeds("refresh") ? RunRefreshMode(request) : kExitUnchanged;
    case CommandLineMode::Set:
        return HandoffProceeds("set") ? RunSetMode(request) : kExitUnchanged;
    case CommandLineMode::List:
        return HandoffProceeds("list") ? RunListMode(request) : kExitUnchanged;
    case CommandLineMode::Credentials:
        return HandoffProceeds("credentials") ? RunCredentialsMode(request) : kExitUnchanged;
    default:
        return kExitCannotStart;
    }
}
