// The program: the application object's start-up, dialog flow and exit.
#include "platform/program_entry.h"

#include "app/scanlink_app.h"

int ProgramMain(const char* commandLine)
{
    CQuilScanLinkApp& app = TheApp();
    app.InitInstance(commandLine);
    return app.ExitInstance();
}
