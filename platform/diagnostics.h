// The diagnostic sink: the trace that tells support what the program did and why. Every layer
// writes its events here; nothing is written unless a trace file was opened (start-up opens the
// file that "/trace:PATH" names).
//
// The trace is a UTF-8 text file, one event per line: the milliseconds since the program started,
// a space, the event's name, then its fields as " key=value". A value that is empty or holds a
// space, a quote, a backslash, "=" or a control character is written in double quotes, escaped as
// \" \\ \n \r \t, and \xHH for the other control characters. Each line is flushed when written,
// so a trace that ends early still holds every event before. A trace that cannot be opened or
// written changes nothing else the program does. Secrets (community strings, passphrases, keys) are
// never written: callers pass none.
#pragma once
#include <initializer_list>
#include <string>

namespace Diagnostics {

struct Field {
    const char* key;
    std::string value;
};

// Marks the program's start: the zero of the events' times. Called first thing by the program.
void MarkStart();

// Opens (creates or truncates) the trace file at an ANSI path; false when it cannot be opened.
bool OpenTrace(const char* path);
// Closes the trace file (the program's end); events after it are dropped.
void CloseTrace();
// True while a trace file is open: callers may skip preparing fields that nobody reads.
bool Tracing();

// Writes one event. Field values are ANSI text (UTF-8 natively) and are converted to UTF-8.
void Event(const char* name, std::initializer_list<Field> fields = {});

// The way a value is written, for tests of readers of the trace.
std::string QuoteValue(const std::string& utf8);

}  // namespace Diagnostics
