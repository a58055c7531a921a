// The hand-off in test builds: traced like the shipped program's, and controlled by the environment
// for the start-up tests. With SCANLINK_TRACE_HANDOFF=1 and SCANLINK_TRACE_FILE naming a file, the
// hand-off's line ("hand-off: standalone", "hand-off: commit mode 2", "hand-off: command line mode
// 3") is appended to that file; with SCANLINK_TRACE_HOLD naming a file as well, the program then
// waits while that file exists (at most 60 s), so that a test can look at the running instance;
// with SCANLINK_HANDOFF_STOP=1 the flow does not run.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "app/handoff.h"
#include "platform/diagnostics.h"
#include "platform/system.h"

namespace {

bool Set(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && std::strcmp(value, "1") == 0;
}

std::string HandoffLine(const char* to, int launchMode)
{
    if (std::strcmp(to, "standalone") == 0) return "hand-off: standalone";
    if (std::strcmp(to, "commit") == 0) return "hand-off: commit mode " + std::to_string(launchMode);
    const int mode = std::strcmp(to, "refresh") == 0 ? 1 : std::strcmp(to, "set") == 0 ? 2 : 3;
    return "hand-off: command line mode " + std::to_string(mode);
}

}  // namespace

bool HandoffProceeds(const char* to, int launchMode)
{
    if (launchMode < 0)
        Diagnostics::Event("handoff", {{"to", to}});
    else
        Diagnostics::Event("handoff", {{"to", to}, {"launch_mode", std::to_string(launchMode)}});

    const char* file = std::getenv("SCANLINK_TRACE_FILE");
    if (Set("SCANLINK_TRACE_HANDOFF") && file != nullptr && file[0] != '\0') {
        if (std::FILE* out = Platform::OpenFile(file, "a")) {
            std::fprintf(out, "%s\n", HandoffLine(to, launchMode).c_str());
            std::fclose(out);
        }
        const char* hold = std::getenv("SCANLINK_TRACE_HOLD");
        for (int waited = 0; hold != nullptr && hold[0] != '\0' && waited < 600 && Platform::FileExists(hold); ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return !Set("SCANLINK_HANDOFF_STOP");
}
