// ANSI text to UTF-8 natively, where the ANSI code page is UTF-8: a validating copy.
#include "platform/ansi_text.h"

namespace Platform {

std::string AnsiToUtf8(const char* text)
{
    std::string out;
    if (text == nullptr) return out;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p != 0) {
        const unsigned char c = *p;
        size_t extra = 0;
        unsigned long min = 0;
        if (c < 0x80)
            extra = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            extra = 1, min = 0x80;
        else if (c >= 0xE0 && c <= 0xEF)
            extra = 2, min = 0x800;
        else if (c >= 0xF0 && c <= 0xF4)
            extra = 3, min = 0x10000;
        else
            extra = 99;
        bool valid = extra != 99;
        unsigned long code = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
        for (size_t i = 1; valid && i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                valid = false;
            else
                code = (code << 6) | (p[i] & 0x3F);
        }
        if (valid && (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))) valid = false;
        if (valid) {
            out.append(reinterpret_cast<const char*>(p), extra + 1);
            p += extra + 1;
        } else {
            out += "\xEF\xBF\xBD";
            ++p;
        }
    }
    return out;
}

}  // namespace Platform
