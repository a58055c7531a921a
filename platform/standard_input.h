// The process's standard input handle, for the command-line modes that read a secret from it
// (/credentials reads passphrases there, never from the command line).
#pragma once
#include <cstddef>

namespace Platform {
// Results of ReadStandardInput.
enum StdinStatus : int {
    kStdinOk = 0,      // at least one byte read
    kStdinEnd = 1,     // the end of the input (or no standard input at all)
    kStdinFailed = 2,  // the read failed (its reason: Platform::LastSystemError)
};
// Reads at most size bytes (at least 1) into buffer; *got is the number read. Blocks until a byte
// is there or the input ends. Reads no byte beyond size, so a caller reading one byte at a time
// leaves the rest of the input unread.
StdinStatus ReadStandardInput(void* buffer, size_t size, size_t* got);
}  // namespace Platform
