// ANSI text to UTF-8 on Windows: through UTF-16 with the ANSI code page.
#include <windows.h>

#include <vector>

#include "platform/ansi_text.h"

namespace Platform {

std::string AnsiToUtf8(const char* text)
{
    if (text == nullptr || text[0] == '\0') return std::string();
    const int wide = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (wide <= 0) return std::string();
    std::vector<wchar_t> utf16(static_cast<size_t>(wide));
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, utf16.data(), wide) <= 0) return std::string();
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::vector<char> utf8(static_cast<size_t>(bytes));
    if (WideCharToMultiByte(CP_UTF8, 0, utf16.data(), -1, utf8.data(), bytes, nullptr, nullptr) <= 0)
        return std::string();
    return std::string(utf8.data());
}

}  // namespace Platform
