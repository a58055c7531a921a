// CMyEdit: the address field, an edit control that lets through only the characters of an IPv4
// or IPv6 address (and of a host name), drops double-byte characters and hands Tab, Enter and Escape to its dialog.
#pragma once
#include "platform/windowing.h"

class CMyEdit : public Windowing::CWnd {
public:
    // Flags (0 = off). The owner sets the filters directly: IPv4 is ipv4Filter = 1, ipv6Filter =
    // 0; IPv6 the reverse; with both off every single-byte character is accepted. Setting them
    // never changes the text already in the field.
    int leadBytePending = 0;  // the previous character was the lead byte of a double-byte one
    int ipv4Filter = 0;
    int ipv6Filter = 0;
    // 1: with either filter on, the characters of a host name (ASCII letters, digits, '-' and '.')
    // pass as well.
    int hostNames = 0;

    // WM_GETDLGCODE: the edit control's code plus DLGC_WANTALLKEYS. WM_KEYDOWN: Tab posts
    // WM_NEXTDLGCTL (wParam 1 with Shift held) to the parent; Enter posts WM_KILLFOCUS and
    // WM_SETFOCUS to the field, then WM_KEYDOWN VK_RETURN to the owner (or the parent); Escape
    // posts WM_KEYDOWN VK_ESCAPE to the owner (or the parent); these keys go no further. WM_CHAR:
    // FilterChar decides; an accepted character goes to the edit control unchanged.
    intptr_t WindowProc(unsigned message, uintptr_t wParam, intptr_t lParam) override;

    // The character filter for one typed byte (as delivered to an ANSI window): false when it is
    // dropped. A byte that mblen in the current LC_CTYPE locale does not take as a whole character
    // (the lead byte of a double-byte character) is dropped and sets leadBytePending; the byte
    // after it is dropped and clears it. The program selects the ANSI code page as its LC_CTYPE
    // locale at start-up (setlocale(LC_CTYPE, "")).
    bool FilterChar(unsigned char c);
};
