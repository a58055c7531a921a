// The hand-offs of start-up: to the scanner address dialog alone (a start without connection
// option), to a command-line mode, or to the commit flow (app/commit_flow.h). Each is written to
// the trace as a "handoff" event.
#pragma once

#include "app/startup_request.h"

// Runs the scanner address dialog alone.
int RunStandaloneAddressDialog();

// Runs the command-line mode that the request names (app/command_line_modes.h), with no window,
// and returns its exit code.
int RunCommandLineMode(const StartupRequest& request);

// Writes the "handoff" event (field "to": standalone, commit, refresh, set, list or credentials; "launch_mode"
// for the commit flow) and tells whether the flow runs. The shipped program always runs it
// (app/handoff_shipped.cpp); a test build may hold the program there or stop it before the flow
// (tests/control/), so that a test of start-up alone sees the program end by itself.
bool HandoffProceeds(const char* to, int launchMode = -1);
