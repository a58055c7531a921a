// The diagnostic sink: one trace file, one line per event, flushed as written.
#include "platform/diagnostics.h"

#include <chrono>
#include <cstdio>

#include "platform/ansi_text.h"
#include "platform/system.h"

namespace {

struct Sink {
    std::FILE* file = nullptr;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

Sink& State()
{
    static Sink sink;
    return sink;
}

bool NeedsQuotes(const std::string& text)
{
    if (text.empty()) return true;
    for (unsigned char c : text) {
        if (c <= ' ' || c == '"' || c == '\\' || c == '=' || c == 0x7F) return true;
    }
    return false;
}

}  // namespace

namespace Diagnostics {

void MarkStart()
{
    State().start = std::chrono::steady_clock::now();
}

bool OpenTrace(const char* path)
{
    CloseTrace();
    if (path == nullptr || path[0] == '\0') return false;
    State().file = Platform::OpenFile(path, "wb");
    return State().file != nullptr;
}

void CloseTrace()
{
    if (State().file != nullptr) std::fclose(State().file);
    State().file = nullptr;
}

bool Tracing()
{
    return State().file != nullptr;
}

std::string QuoteValue(const std::string& utf8)
{
    if (!NeedsQuotes(utf8)) return utf8;
    std::string quoted = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"':
            quoted += "\\\"";
            break;
        case '\\':
            quoted += "\\\\";
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\r':
            quoted += "\\r";
            break;
        case '\t':
            quoted += "\\t";
            break;
        default:
            if (c < ' ' || c == 0x7F) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                quoted += hex;
            } else {
                quoted.push_back(static_cast<char>(c));
            }
        }
    }
    return quoted + "\"";
}

void Event(const char* name, std::initializer_list<Field> fields)
{
    Sink& sink = State();
    if (sink.file == nullptr) return;
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - sink.start).count();
    std::string line = std::to_string(elapsed) + " " + (name != nullptr ? name : "");
    for (const Field& field : fields) {
        line += " ";
        line += field.key;
        line += "=";
        line += QuoteValue(Platform::AnsiToUtf8(field.value.c_str()));
    }
    line += "\n";
    // A trace that cannot be written is closed; the program goes on as without one.
    if (std::fwrite(line.data(), 1, line.size(), sink.file) != line.size() || std::fflush(sink.file) != 0) CloseTrace();
}

}  // namespace Diagnostics
