// The hand-off in the shipped program: traced, and the flow always runs (no test switch exists here).
#include <string>

#include "app/handoff.h"
#include "platform/diagnostics.h"

bool HandoffProceeds(const char* to, int launchMode)
{
    if (launchMode < 0)
        Diagnostics::Event("handoff", {{"to", to}});
    else
        Diagnostics::Event("handoff", {{"to", to}, {"launch_mode", std::to_string(launchMode)}});
    return true;
}
