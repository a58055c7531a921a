// A strict JSON reader for the tests of the list mode's output: it refuses anything that is not
// JSON (raw control characters, bad escapes, invalid UTF-8, trailing text, trailing commas).
#pragma once
#include <cctype>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace json_check {

struct Value {
    enum Type { Null, Bool, Number, String, Array, Object } type = Null;
    bool boolean = false;
    double number = 0;
    std::string text;  // String: the decoded UTF-8 text
    std::vector<Value> items;
    std::vector<std::pair<std::string, Value>> members;  // in their order
    const Value& operator[](const std::string& key) const
    {
        for (const auto& m : members)
            if (m.first == key) return m.second;
        throw std::runtime_error("no member " + key);
    }
};

class Reader {
public:
    explicit Reader(const std::string& text) : s_(text) {}
    Value Document()
    {
        Value v = Parse();
        Space();
        if (at_ != s_.size()) Fail("trailing text");
        return v;
    }

private:
    [[noreturn]] void Fail(const std::string& why) { throw std::runtime_error(why + " at " + std::to_string(at_)); }
    void Space()
    {
        while (at_ < s_.size() && std::string(" \t\n\r").find(s_[at_]) != std::string::npos) ++at_;
    }
    bool Take(char c)
    {
        Space();
        return at_ < s_.size() && s_[at_] == c ? (++at_, true) : false;
    }
    void Expect(char c)
    {
        if (!Take(c)) Fail(std::string("expected ") + c);
    }
    bool Word(const std::string& w) { return s_.compare(at_, w.size(), w) == 0 ? (at_ += w.size(), true) : false; }
    static void Utf8(unsigned long cp, std::string& out)
    {
        const int extra = cp < 0x80 ? 0 : cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
        const unsigned lead[] = {0x00, 0xC0, 0xE0, 0xF0};
        out += char(lead[extra] | cp >> (6 * extra));
        for (int k = extra - 1; k >= 0; --k) out += char(0x80 | (cp >> (6 * k) & 0x3F));
    }
    unsigned long Hex4()
    {
        if (at_ + 4 > s_.size()) Fail("short \\u");
        unsigned long v = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = s_[at_++];
            const size_t d = std::string("0123456789abcdef").find(char(std::tolower(static_cast<unsigned char>(c))));
            if (d == std::string::npos) Fail("bad \\u digit");
            v = v * 16 + unsigned(d);
        }
        return v;
    }
    std::string Str()
    {
        Expect('"');
        std::string out;
        for (;;) {
            if (at_ >= s_.size()) Fail("open string");
            const unsigned char c = s_[at_++];
            if (c == '"') return out;
            if (c < 0x20) Fail("raw control character");
            if (c == '\\') {
                if (at_ >= s_.size()) Fail("open escape");
                const char e = s_[at_++];
                const std::string simple = "\"\\/bfnrt", meaning = "\"\\/\b\f\n\r\t";
                if (simple.find(e) != std::string::npos) {
                    out += meaning[simple.find(e)];
                    continue;
                }
                if (e != 'u') Fail("bad escape");
                unsigned long cp = Hex4();
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    if (!Word("\\u")) Fail("lone surrogate");
                    const unsigned long low = Hex4();
                    if (low < 0xDC00 || low > 0xDFFF) Fail("bad surrogate pair");
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                    Fail("lone surrogate");
                }
                Utf8(cp, out);
                continue;
            }
            if (c < 0x80) {
                out += char(c);
                continue;
            }
            const int extra = c >= 0xC2 && c <= 0xDF ? 1 : c >= 0xE0 && c <= 0xEF ? 2 : c >= 0xF0 && c <= 0xF4 ? 3 : -1;
            if (extra < 0 || at_ + extra > s_.size()) Fail("invalid UTF-8");
            out += char(c);
            for (int i = 0; i < extra; ++i) {
                if ((static_cast<unsigned char>(s_[at_]) & 0xC0) != 0x80) Fail("invalid UTF-8");
                out += s_[at_++];
            }
        }
    }
    Value Parse()
    {
        Space();
        Value v;
        if (at_ >= s_.size()) Fail("no value");
        const char c = s_[at_];
        if (c == '{') {
            ++at_;
            v.type = Value::Object;
            if (Take('}')) return v;
            do {
                Space();
                std::string key = Str();
                Expect(':');
                v.members.emplace_back(key, Parse());
            } while (Take(','));
            Expect('}');
        } else if (c == '[') {
            ++at_;
            v.type = Value::Array;
            if (Take(']')) return v;
            do v.items.push_back(Parse());
            while (Take(','));
            Expect(']');
        } else if (c == '"') {
            v.type = Value::String;
            v.text = Str();
        } else if (Word("null")) {
        } else if (Word("true") || Word("false")) {
            v.type = Value::Bool;
            v.boolean = s_[at_ - 1] == 'e' && s_[at_ - 2] == 'u';
        } else {
            const size_t start = at_;
            if (at_ < s_.size() && s_[at_] == '-') ++at_;
            if (at_ >= s_.size() || !isdigit(static_cast<unsigned char>(s_[at_]))) Fail("bad value");
            const auto digit = [&](size_t k) { return k < s_.size() && isdigit(static_cast<unsigned char>(s_[k])); };
            if (s_[at_] == '0' && digit(at_ + 1)) Fail("leading zero");
            while (at_ < s_.size() && isdigit(static_cast<unsigned char>(s_[at_]))) ++at_;
            v.type = Value::Number;
            v.number = std::stod(s_.substr(start, at_ - start));
        }
        return v;
    }
    const std::string& s_;
    size_t at_ = 0;
};

inline Value Parse(const std::string& text)
{
    return Reader(text).Document();
}

}  // namespace json_check
