// The hand-off points until the dialogs and the commit flow exist: each reports that it was
// reached and returns 0.
#include "app/handoff.h"

#include <string>

#include "app/scanlink_app.h"

int RunStandaloneAddressDialog()
{
    TraceHandoff("hand-off: standalone");
    return 0;
}

int CommitConnection()
{
    std::string line = "hand-off: commit mode " + std::to_string(TheApp().m_nLaunchMode);
    TraceHandoff(line.c_str());
    return 0;
}
