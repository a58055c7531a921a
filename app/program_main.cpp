// The program: the application object's start-up, dialog flow and exit.
#include "platform/program_entry.h"

#include "app/scanlink_app.h"
#include "platform/diagnostics.h"

int ProgramMain(const char* commandLine)
{
    Diagnostics::MarkStart();
    CQuilScanLinkApp app;
    app.InitInstance(commandLine);
    return app.ExitInstance();
}
