// The two dialog flows that start-up hands over to: the scanner address dialog alone (started
// without a connection option) and the commit flow (started by the installer with one). Their
// results are not used.
#pragma once

// Runs the scanner address dialog alone.
int RunStandaloneAddressDialog();

// Runs the commit flow for the application object's launch mode (setup/commit_flow.cpp).
int CommitConnection();

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
