// The standalone hand-off of start-up: the scanner address dialog alone.
#include "app/handoff.h"

#include <cstdlib>
#include <cstring>

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
