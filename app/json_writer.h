// A small JSON text builder for the list mode's output: objects, arrays, strings, integers and
// null, with the commas placed by the writer and every string escaped.
#pragma once
#include <string>
#include <vector>

// Builds one JSON text. Strings are given in the ANSI code page and written as UTF-8 (through
// Platform::AnsiToUtf8): '"' and '\' escaped, control characters below 0x20 as \b \f \n \r \t or
// \u00XX, U+007F as \u007f; everything else as UTF-8. Members are written in the order given;
// Key must come before each value inside an object. The caller keeps the nesting balanced; the
// writer does not check it.
class JsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    void Key(const char* name);
    void String(const char* ansiText);
    void Integer(long long value);
    void Boolean(bool value);
    void Null();
    // A member whose value is a string: Key(name) then String(ansiText).
    void Member(const char* name, const char* ansiText)
    {
        Key(name);
        String(ansiText);
    }
    // The text so far, ended by a line break once the outermost value is closed.
    const std::string& Text() const { return text_; }

private:
    void BeforeValue();
    void Open(char bracket);
    void Close(char bracket);
    void Quoted(const std::string& utf8);

    std::string text_;
    std::vector<bool> first_;  // per open container: no member written yet
    bool afterKey_ = false;
};

// The text with JSON's escapes, between quotes; the text must already be UTF-8.
std::string JsonQuote(const std::string& utf8);
