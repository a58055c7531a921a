// CMyEdit: the character filter and the Tab, Enter and Escape keys of the address field.
#include "ui/my_edit.h"

#include <cctype>
#include <cstdlib>

#include "platform/bounded_text.h"

using namespace Windowing;

namespace {

bool IsEditingControl(unsigned char c)
{
    return c == 8 || c == 3 || c == 22;  // Backspace, Ctrl+C (copy), Ctrl+V (paste)
}

bool IsDigit(int c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

bool CMyEdit::FilterChar(unsigned char c)
{
    if (leadBytePending) {  // the trailing byte of a double-byte character
        leadBytePending = 0;
        return false;
    }
    char byte = static_cast<char>(c);
    std::mblen(nullptr, 0);
    if (std::mblen(&byte, 1) != 1) {
        leadBytePending = 1;
        return false;
    }
    bool accepted = true;
    if (ipv4Filter) accepted = IsDigit(c) || c == '.' || IsEditingControl(c);
    if (ipv6Filter) {
        const char lower = AsciiToLower(static_cast<char>(c));
        accepted = IsDigit(lower) || (lower >= 'a' && lower <= 'f') || lower == ':' || IsEditingControl(c);
    }
    const char lower = AsciiToLower(static_cast<char>(c));
    if (hostNames && ((lower >= 'a' && lower <= 'z') || IsDigit(c) || c == '-' || c == '.')) accepted = true;
    return accepted;
}

intptr_t CMyEdit::WindowProc(unsigned message, uintptr_t wParam, intptr_t lParam)
{
    WindowHandle self = Handle();
    WindowHandle owner = OwnerOf(self) ? OwnerOf(self) : ParentOf(self);
    switch (message) {
    case kWmGetDlgCode:
        return Default(message, wParam, lParam) | kDlgcWantAllKeys;
    case kWmKeyDown:
        if (wParam == kVkTab) {
            PostToWindow(ParentOf(self), kWmNextDlgCtl, IsShiftHeld() ? 1 : 0, 0);
            return 0;
        }
        if (wParam == kVkReturn) {
            PostToWindow(self, kWmKillFocus, 0, 0);
            PostToWindow(self, kWmSetFocus, 0, 0);
            if (owner) PostToWindow(owner, kWmKeyDown, kVkReturn, 0);
            return 0;
        }
        if (wParam == kVkEscape) {
            if (owner) PostToWindow(owner, kWmKeyDown, kVkEscape, 0);
            return 0;
        }
        break;
    case kWmChar:
        if (!FilterChar(static_cast<unsigned char>(wParam))) return 0;
        break;
    default:
        break;
    }
    return Default(message, wParam, lParam);
}
