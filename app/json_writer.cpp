// The JSON text builder: commas, nesting, string escapes.
#include "app/json_writer.h"

#include <cstdio>

#include "platform/ansi_text.h"

std::string JsonQuote(const std::string& utf8)
{
    std::string out = "\"";
    for (char ch : utf8) {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                out += escape;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

void JsonWriter::BeforeValue()
{
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!first_.empty()) {
        if (!first_.back()) text_ += ",";
        first_.back() = false;
    }
}

void JsonWriter::Open(char bracket)
{
    BeforeValue();
    text_ += bracket;
    first_.push_back(true);
}

void JsonWriter::Close(char bracket)
{
    if (!first_.empty()) first_.pop_back();
    text_ += bracket;
    if (first_.empty()) text_ += "\n";
}

void JsonWriter::BeginObject()
{
    Open('{');
}
void JsonWriter::EndObject()
{
    Close('}');
}
void JsonWriter::BeginArray()
{
    Open('[');
}
void JsonWriter::EndArray()
{
    Close(']');
}

void JsonWriter::Key(const char* name)
{
    BeforeValue();
    text_ += JsonQuote(Platform::AnsiToUtf8(name)) + ":";
    afterKey_ = true;
}

void JsonWriter::Quoted(const std::string& utf8)
{
    BeforeValue();
    text_ += JsonQuote(utf8);
}

void JsonWriter::String(const char* ansiText)
{
    Quoted(Platform::AnsiToUtf8(ansiText));
}

void JsonWriter::Integer(long long value)
{
    BeforeValue();
    text_ += std::to_string(value);
}

void JsonWriter::Boolean(bool value)
{
    BeforeValue();
    text_ += value ? "true" : "false";
}

void JsonWriter::Null()
{
    BeforeValue();
    text_ += "null";
}
