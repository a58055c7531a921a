// The address field: the character filters, double-byte characters, and (on the headless layer)
// the keys it hands to its dialog as posted messages.
#include <clocale>
#include <string>
#include <tuple>
#include <vector>

#include "posix_headless_support.h"

using namespace Windowing;

namespace {

class MyEditTest : public HeadlessTest {};

TEST_F(MyEditTest, FiltersJudgeEachCharacterClassAndDropDoubleByteCharacters)
{
    // clang-format off
    const struct {
        const char* chars;
        bool ipv4, ipv6, names;  // names: the IPv4 filter with host names
    } cases[] = {
        // no filter: everything passes
        {"0123456789", true, true, true}, {".", true, false, true}, {"abcdefABCDEF", false, true, true},
        {":", false, true, false}, {"gGzZ-", false, false, true}, {"%/ _", false, false, false},
        {"\x03\x08\x16", true, true, true},  // copy, Backspace, paste; others
        {"\x01\x18\x1a\t\r\x1b\x7f", false, false, false}};
    // clang-format on
    CMyEdit edit;
    for (const auto& c : cases) {
        for (const char* p = c.chars; *p; ++p) {
            const unsigned char ch = static_cast<unsigned char>(*p);
            edit.ipv4Filter = 1, edit.ipv6Filter = 0;
            EXPECT_EQ(c.ipv4, edit.FilterChar(ch)) << "IPv4 " << int(ch);
            edit.hostNames = 1;
            EXPECT_EQ(c.names, edit.FilterChar(ch)) << "names " << int(ch);
            edit.hostNames = 0, edit.ipv4Filter = 0, edit.ipv6Filter = 1;
            EXPECT_EQ(c.ipv6, edit.FilterChar(ch)) << "IPv6 " << int(ch);
            edit.ipv6Filter = 0;
            EXPECT_TRUE(edit.FilterChar(ch)) << "no filter " << int(ch);
        }
    }
    // Natively the ANSI code page is UTF-8: a two-byte character stands for a double-byte one. Both
    // its bytes are dropped whatever the filter; the next character is judged again.
    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(nullptr, std::setlocale(LC_CTYPE, "C.UTF-8"));
    for (int filter = 0; filter < 3; ++filter) {
        edit.ipv4Filter = filter == 1, edit.ipv6Filter = filter == 2;
        EXPECT_FALSE(edit.FilterChar(0xC3)) << filter;
        EXPECT_FALSE(edit.FilterChar(0xA9)) << filter;
        EXPECT_TRUE(edit.FilterChar('1')) << filter;
    }
    std::setlocale(LC_CTYPE, previous.c_str());
}

// Tab and Shift+Tab post WM_NEXTDLGCTL 0 / 1; Enter posts a focus cycle then the key, Escape only
// the key, to the dialog, whose default keys then end it.
TEST_F(MyEditTest, KeysArePostedToTheDialogInOrder)
{
    using Posted = std::vector<std::tuple<bool, unsigned, uintptr_t>>;  // to the dialog, message, key
    const struct {  // focused: the control with the focus afterwards (0: not checked)
        int key;
        bool shift;
        int result, focused;
        Posted posted;
    } cases[] = {{kVkTab, false, Headless::kLeftOpen, kIdOk, {{true, kWmNextDlgCtl, 0}}},
                 {kVkTab, true, Headless::kLeftOpen, kComboId, {{true, kWmNextDlgCtl, 1}}},
                 {kVkReturn,
                  false,
                  kIdOk,
                  0,
                  {{false, kWmKillFocus, 0}, {false, kWmSetFocus, 0}, {true, kWmKeyDown, kVkReturn}}},
                 {kVkEscape, false, kIdCancel, 0, {{true, kWmKeyDown, kVkEscape}}}};
    for (const auto& c : cases) {
        const size_t before = Headless::PostedMessages().size();
        Headless::SetShiftHeld(c.shift);
        EXPECT_EQ(c.result, Run([&](HostDialog&, WindowHandle h) {
                      Headless::PressKey(h, kEditId, c.key);
                      if (c.focused) {
                          EXPECT_EQ(ItemOf(h, c.focused), FocusedWindow());
                      }
                  }));
        Posted posted;
        for (size_t i = before; i < Headless::PostedMessages().size(); ++i) {
            const auto& m = Headless::PostedMessages()[i];
            const bool keyed = m.message == kWmKeyDown || m.message == kWmNextDlgCtl;
            posted.push_back({m.window == Headless::LastDialog(), m.message, keyed ? m.wParam : 0});
        }
        EXPECT_EQ(c.posted, posted) << c.key << " shift " << c.shift;
    }
}

}  // namespace
