// The hand-off of start-up to the standalone flow (the scanner address dialog alone, started
// without a connection option), and the diagnostics both flows report at their hand-off. The other
// flow, started by the installer with a connection option, is app/commit_flow.h.
#pragma once

struct CommandLineOptions;

// Runs the scanner address dialog alone.
int RunStandaloneAddressDialog();

// Runs the command-line mode that options name (app/command_line_modes.h), with no window, and
// returns its exit code (0 when the hand-off is stopped for a start-up test).
int RunCommandLineMode(const CommandLineOptions& options);

// Diagnostics of the hand-off, for the end-to-end tests. When the environment variable
// SCANLINK_TRACE_HANDOFF is "1" and SCANLINK_TRACE_FILE names a file, TraceHandoff appends the
// line (for example "hand-off: standalone" or "hand-off: commit mode 2") to that file. When
// SCANLINK_TRACE_HOLD names a file as well, it then waits while that file exists (at most 60 s),
// so that a test can look at the running instance (its mutexes, a second start). Without the
// variables it does nothing.
void TraceHandoff(const char* line);

// Diagnostics for the start-up tests: true when the environment variable SCANLINK_HANDOFF_STOP is
// "1". Start-up then stops at the hand-off, after its trace line: neither flow runs (no dialog,
// no registration, nothing stored), so a test of start-up alone sees the program end by itself.
bool HandoffStopRequested();
