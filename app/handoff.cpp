// The hand-off points of start-up: the scanner address dialog alone, or the commit flow (which
// lives in setup/commit_flow.cpp and reports its own hand-off).
#include "app/handoff.h"

#include "ui/set_ip_dialog.h"

int RunStandaloneAddressDialog()
{
    TraceHandoff("hand-off: standalone");
    // The result is not used: no warning on cancel, no device registration.
    CSetIPDlg dialog;
    dialog.DoModal();
    return 0;
}
