// The string file loader and the process-wide text lookup.
#include "product/string_table.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/bounded_text.h"
#include "platform/message_box.h"
#include "platform/system.h"

namespace {

// One line is read into a buffer of this size: at most 1039 bytes and a terminator.
constexpr size_t kLineBuffer = 1040;

struct Entry {
    std::string key;
    std::string text;
};

std::vector<Entry>& Entries()
{
    static std::vector<Entry> entries;
    return entries;
}

// Reads the file as the C library's text mode does on Windows: CR LF becomes LF and a byte 0x1A
// ends the file. The reading is done in binary mode so that both builds behave alike.
class TextReader {
public:
    explicit TextReader(std::FILE* file) : file_(file) {}

    // Reads up to size - 1 bytes, stopping after a line feed, like fgets. false at end of file.
    bool ReadLine(char* buffer, size_t size, size_t* length)
    {
        size_t count = 0;
        while (count + 1 < size) {
            int c = Next();
            if (c == EOF) break;
            buffer[count++] = static_cast<char>(c);
            if (c == '\n') break;
        }
        buffer[count] = '\0';
        *length = count;
        return count > 0;
    }

private:
    int Next()
    {
        if (ended_) return EOF;
        int c = std::fgetc(file_);
        if (c == EOF || c == 0x1A) {
            ended_ = true;
            return EOF;
        }
        if (c == '\r') {
            int following = std::fgetc(file_);
            if (following == '\n') return '\n';
            if (following != EOF) std::ungetc(following, file_);
        }
        return c;
    }

    std::FILE* file_;
    bool ended_ = false;
};

bool HasAlphaNumeric(const char* line, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        if (Platform::IsAlphaNumericByte(static_cast<unsigned char>(line[i]))) return true;
    }
    return false;
}

// Replaces "\n" by a line feed, then "\t" by a tab, byte by byte.
std::string ReplaceEscape(const std::string& text, char letter, char replacement)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == letter) {
            result.push_back(replacement);
            ++i;
        } else {
            result.push_back(text[i]);
        }
    }
    return result;
}

}  // namespace

namespace StringTable {

int Load(const char* path)
{
    std::FILE* file = Platform::OpenFile(path, "rb");
    if (file == nullptr) {
        Platform::ShowFrameworkMessageBox("Can not find StringFile.");
        return kLoadCannotOpen;
    }
    TextReader reader(file);
    char line[kLineBuffer];
    char converted[kLineBuffer];
    size_t length = 0;
    bool first = true;
    int result = kLoadOk;
    while (reader.ReadLine(line, sizeof(line), &length)) {
        char* start = line;
        // Editors often save UTF-8 with a byte-order mark; it is not part of the first line.
        if (first && length >= 3 && std::memcmp(line, "\xEF\xBB\xBF", 3) == 0) {
            start += 3;
            length -= 3;
        }
        first = false;
        // A NUL byte has no place in a text file (a file saved as UTF-16 is full of them): the
        // file is damaged, whatever the line would have been.
        if (std::memchr(start, '\0', length) != nullptr) {
            result = kLoadDamaged;
            break;
        }
        if (length == 0 || start[0] == ';') continue;
        if (!HasAlphaNumeric(start, length)) continue;
        if (start[0] == '[') break;
        if (start[length - 1] != '\n') {
            result = kLoadDamaged;
            break;
        }
        start[--length] = '\0';
        int convertedLength = Platform::Utf8ToAnsi(start, length, converted, sizeof(converted));
        if (convertedLength < 0) {
            result = kLoadDamaged;
            break;
        }
        const char* equals = static_cast<const char*>(std::memchr(converted, '=', convertedLength));
        if (equals == nullptr) {
            result = kLoadDamaged;
            break;
        }
        Entry entry;
        entry.key.assign(converted, static_cast<size_t>(equals - converted));
        std::string text(equals + 1, static_cast<const char*>(converted + convertedLength));
        entry.text = ReplaceEscape(ReplaceEscape(text, 'n', '\n'), 't', '\t');
        Entries().push_back(std::move(entry));
    }
    std::fclose(file);
    return result;
}

namespace {
const Entry* Find(StringKey key)
{
    for (const Entry& entry : Entries()) {
        if (entry.key == key.Name()) return &entry;
    }
    Platform::ShowFrameworkMessageBox("Can not get StringTable.");
    return nullptr;
}
}  // namespace

int Get(StringKey key, char* text, size_t capacity)
{
    if (key.IsNone()) {
        BoundedCopy(text, capacity, "");
        return 0;
    }
    const Entry* entry = Find(key);
    if (entry == nullptr) return 0;
    BoundedCopy(text, capacity, entry->text.c_str());
    return 1;
}

std::string Text(StringKey key)
{
    const Entry* entry = key.IsNone() ? nullptr : Find(key);
    return entry != nullptr ? entry->text : std::string();
}

void Clear()
{
    Entries().clear();
}

std::string FormatWithName(const char* format, const char* name)
{
    std::string result;
    bool placed = false;
    for (const char* p = format != nullptr ? format : ""; *p != '\0'; ++p) {
        if (p[0] == '%' && p[1] == '%') {
            result.push_back('%');
            ++p;
        } else if (p[0] == '%' && p[1] == 's' && !placed) {
            result += name != nullptr ? name : "";
            placed = true;
            ++p;
        } else {
            result.push_back(*p);
        }
    }
    return result;
}

}  // namespace StringTable
