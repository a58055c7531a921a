// Diagnostics of the hand-off for the end-to-end tests (see app/handoff.h).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "app/handoff.h"
#include "platform/system.h"

void TraceHandoff(const char* line)
{
    const char* enabled = std::getenv("SCANLINK_TRACE_HANDOFF");
    const char* file = std::getenv("SCANLINK_TRACE_FILE");
    if (enabled == nullptr || std::strcmp(enabled, "1") != 0 || file == nullptr || file[0] == '\0') {
        return;
    }
    if (std::FILE* out = Platform::OpenFile(file, "a")) {
        std::fprintf(out, "%s\n", line != nullptr ? line : "");
        std::fclose(out);
    }
    const char* hold = std::getenv("SCANLINK_TRACE_HOLD");
    if (hold == nullptr || hold[0] == '\0') return;
    for (int waited = 0; waited < 600 && Platform::FileExists(hold); ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}
