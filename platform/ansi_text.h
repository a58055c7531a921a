// Conversion of narrow text in the ANSI code page (adapter names, addresses) into UTF-8 for
// output that must be UTF-8, such as the JSON of the list mode.
#pragma once
#include <string>

namespace Platform {
// The text converted from the ANSI code page to UTF-8 (Windows: through UTF-16 with CP_ACP).
// Natively the ANSI code page is UTF-8: valid sequences are kept, and every byte that does not
// start a valid sequence becomes U+FFFD. A null text gives the empty text. The result is always
// valid UTF-8.
std::string AnsiToUtf8(const char* text);
}  // namespace Platform
