// The address field on the headless layer: character filters, double-byte characters, and the
// keys it hands to its dialog.
#include <clocale>
#include <string>

#include "posix_headless_support.h"

using namespace Windowing;

namespace {

class MyEditTest : public HeadlessTest {
protected:
    // Opens the host dialog with the filters set and runs drive on it; returns DoModal's result.
    int Run(int ipv4, int ipv6, const std::function<void(HostDialog&, WindowHandle)>& drive)
    {
        dialog_.onInit = [=](HostDialog& d) {
            d.edit.ipv4Filter = ipv4;
            d.edit.ipv6Filter = ipv6;
        };
        Headless::SetDriver([&](WindowHandle h) { drive(dialog_, h); });
        return dialog_.DoModal();
    }
    HostDialog dialog_;
};

TEST_F(MyEditTest, Ipv4FilterLetsThroughDigitsFullStopsAndEditingKeysOnly)
{
    Run(1, 0, [](HostDialog& d, WindowHandle h) {
        ASSERT_TRUE(d.attached);
        Headless::TypeText(h, kEditId, "192.168.0.10");
        EXPECT_EQ("192.168.0.10", TextOf(h, kEditId));
        Headless::TypeText(h, kEditId, "a:- xZ/");
        EXPECT_EQ("192.168.0.10", TextOf(h, kEditId));
        Headless::TypeChar(h, kEditId, 8);  // Backspace deletes
        EXPECT_EQ("192.168.0.1", TextOf(h, kEditId));
        EditSetSelection(ItemOf(h, kEditId), 0, 0);
        Headless::PressKey(h, kEditId, kVkDelete);  // a key, not a character: never filtered
        EXPECT_EQ("92.168.0.1", TextOf(h, kEditId));
    });
}

TEST_F(MyEditTest, Ipv6FilterKeepsCapitalsAndDropsZoneAndDottedTails)
{
    Run(0, 1, [](HostDialog&, WindowHandle h) {
        Headless::TypeText(h, kEditId, "FE80::1");
        EXPECT_EQ("FE80::1", TextOf(h, kEditId));
        Headless::TypeText(h, kEditId, "g.%G 1");
        EXPECT_EQ("FE80::11", TextOf(h, kEditId));
        Headless::TypeText(h, kEditId, "abcdefABCDEF");
        EXPECT_EQ("FE80::11abcdefABCDEF", TextOf(h, kEditId));
    });
}

TEST_F(MyEditTest, ControlCodesCopyPasteBackspacePassOthersAreDropped)
{
    CMyEdit edit;
    for (int filter = 0; filter < 2; ++filter) {
        edit.ipv4Filter = filter == 0;
        edit.ipv6Filter = filter == 1;
        for (unsigned char c : {3, 8, 22}) EXPECT_TRUE(edit.FilterChar(c)) << int(c) << " filter " << filter;
        for (unsigned char c : {1, 24, 26, 9, 13, 27, 127}) EXPECT_FALSE(edit.FilterChar(c)) << int(c) << " filter " << filter;
    }
    edit.ipv4Filter = edit.ipv6Filter = 0;
    for (int c = 1; c < 128; ++c) EXPECT_TRUE(edit.FilterChar(static_cast<unsigned char>(c))) << c;
    EXPECT_EQ(0, edit.leadBytePending);
}

TEST_F(MyEditTest, PastedTextIsNotFilteredAndFilterChangeKeepsText)
{
    Headless::SetClipboardText("fe80::1%eth0");
    Run(1, 0, [](HostDialog& d, WindowHandle h) {
        Headless::TypeChar(h, kEditId, 22);
        EXPECT_EQ("fe80::1%eth0", TextOf(h, kEditId));
        SetItemText(h, kEditId, "10.0.0.1");
        d.edit.ipv4Filter = 0;
        d.edit.ipv6Filter = 1;
        EXPECT_EQ("10.0.0.1", TextOf(h, kEditId));
        Headless::TypeText(h, kEditId, ".");
        EXPECT_EQ("10.0.0.1", TextOf(h, kEditId));
    });
}

TEST_F(MyEditTest, DoubleByteCharactersAreDroppedWholeWhateverTheFilter)
{
    // Natively the ANSI code page is UTF-8: a two-byte character stands for a double-byte one.
    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(nullptr, std::setlocale(LC_CTYPE, "C.UTF-8"));
    for (int filter = 0; filter < 3; ++filter) {
        Run(filter == 1, filter == 2, [](HostDialog& d, WindowHandle h) {
            Headless::TypeText(h, kEditId, "1\xC3");
            EXPECT_EQ(1, d.edit.leadBytePending);
            Headless::TypeText(h, kEditId, "\xA9");  // the trailing byte, dropped
            EXPECT_EQ(0, d.edit.leadBytePending);
            Headless::TypeText(h, kEditId, "\xC3\xA9" "2");
            EXPECT_EQ("12", TextOf(h, kEditId));
        });
    }
    std::setlocale(LC_CTYPE, previous.c_str());
}

TEST_F(MyEditTest, AsksForAllKeys)
{
    Run(1, 0, [](HostDialog&, WindowHandle h) {
        intptr_t code = SendToWindow(ItemOf(h, kEditId), kWmGetDlgCode, 0, 0);
        EXPECT_EQ(kDlgcWantChars | kDlgcHasSetSel | kDlgcWantArrows | kDlgcWantAllKeys, code);
    });
}

TEST_F(MyEditTest, TabAndShiftTabPostNextControlToTheDialog)
{
    Run(1, 0, [](HostDialog&, WindowHandle h) {
        WindowHandle edit = ItemOf(h, kEditId);
        Headless::PressKey(h, kEditId, kVkTab);
        ASSERT_EQ(1u, Headless::PostedMessages().size());
        const auto& tab = Headless::PostedMessages()[0];
        EXPECT_EQ(h, tab.window);
        EXPECT_EQ(kWmNextDlgCtl, tab.message);
        EXPECT_EQ(0u, tab.wParam);
        EXPECT_EQ(ItemOf(h, kListId), FocusedWindow());  // the next tab stop
        Headless::SetShiftHeld(true);
        Headless::PressKey(h, kEditId, kVkTab);
        EXPECT_EQ(1u, Headless::PostedMessages().back().wParam);
        EXPECT_EQ(ItemOf(h, kComboId), FocusedWindow());  // the previous one
        EXPECT_EQ(edit, ItemOf(h, kEditId));
        EXPECT_EQ("", TextOf(h, kEditId));
    });
}

TEST_F(MyEditTest, EnterPostsFocusCycleThenDefaultButtonKey)
{
    int result = Run(1, 0, [](HostDialog&, WindowHandle h) {
        Headless::TypeText(h, kEditId, "1");
        EXPECT_TRUE(Headless::PressKey(h, kEditId, kVkReturn));
    });
    EXPECT_EQ(kIdOk, result);
    const auto& posted = Headless::PostedMessages();
    ASSERT_EQ(3u, posted.size());
    WindowHandle dialog = Headless::LastDialog();
    WindowHandle edit = ItemOf(dialog, kEditId);
    EXPECT_EQ(edit, posted[0].window);
    EXPECT_EQ(kWmKillFocus, posted[0].message);
    EXPECT_EQ(edit, posted[1].window);
    EXPECT_EQ(kWmSetFocus, posted[1].message);
    EXPECT_EQ(dialog, posted[2].window);
    EXPECT_EQ(kWmKeyDown, posted[2].message);
    EXPECT_EQ(kVkReturn, posted[2].wParam);
    EXPECT_EQ(0, posted[2].lParam);
}

TEST_F(MyEditTest, EscapePostsCancelKeyToTheDialog)
{
    int result = Run(1, 0, [](HostDialog&, WindowHandle h) { Headless::PressKey(h, kEditId, kVkEscape); });
    EXPECT_EQ(kIdCancel, result);
    ASSERT_EQ(1u, Headless::PostedMessages().size());
    EXPECT_EQ(Headless::LastDialog(), Headless::PostedMessages()[0].window);
    EXPECT_EQ(kVkEscape, Headless::PostedMessages()[0].wParam);
}

}  // namespace
