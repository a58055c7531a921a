// The protocol box on the headless layer: staging and committing, selection by data, the dropped
// width, owner drawing, separator skipping and the restored selection.
#include <string>
#include <vector>

#include "posix_headless_support.h"

using namespace Windowing;
using Headless::DrawOp;

namespace {

class MyComboBoxTest : public HeadlessTest {
protected:
    void Run(const std::function<void(HostDialog&, WindowHandle)>& drive)
    {
        Headless::SetDriver([&](WindowHandle h) {
            ASSERT_TRUE(dialog_.attached);
            drive(dialog_, h);
        });
        dialog_.DoModal();
    }
    static void Commit(CMyComboBox& box, const std::vector<std::pair<const char*, int>>& items)
    {
        int append = 0;
        for (const auto& item : items) CMyComboBox::StageItem(append++, item.first, item.second);
        box.CommitItems();
    }
    static std::string ItemText(WindowHandle combo, int i)
    {
        char text[1024];
        ComboGetText(combo, i, text, sizeof text);
        return text;
    }
    HostDialog dialog_;
};

TEST_F(MyComboBoxTest, CommitRebuildsOnlyWhenTextsOrDataChange)
{
    Run([](HostDialog& d, WindowHandle h) {
        WindowHandle box = d.combo.Handle();
        CMyComboBox::StageItem(1, "left over", 9);
        Commit(d.combo, {{"IPv4", 0}, {"IPv6", 1}});  // append 0 empties the staging list first
        ASSERT_EQ(2, ComboCount(box));
        EXPECT_EQ("IPv4", ItemText(box, 0));
        EXPECT_EQ(1, ComboGetData(box, 1));
        EXPECT_EQ(1, Headless::ComboResetCount(box));
        EXPECT_EQ(1, Headless::InvalidateCount(h));
        EXPECT_FALSE(Headless::LastInvalidateErased(h));
        EXPECT_EQ(0u, CMyComboBox::StagedCount());

        d.combo.SelectByData(1);
        Commit(d.combo, {{"IPv4", 0}, {"IPv6", 1}});  // the same items: nothing happens
        EXPECT_EQ(1, Headless::ComboResetCount(box));
        EXPECT_EQ(1, ComboGetSelection(box));
        EXPECT_EQ(1, Headless::InvalidateCount(h));
        EXPECT_EQ(0u, CMyComboBox::StagedCount());

        Commit(d.combo, {{"IPv4", 0}, {"IPv6", 2}});  // one data value differs
        EXPECT_EQ(2, Headless::ComboResetCount(box));
        EXPECT_EQ(-1, ComboGetSelection(box));
        EXPECT_EQ(1, d.combo.lastSelection);
        EXPECT_EQ(2, ComboGetData(box, 1));

        Commit(d.combo, {{"IPv4", 0}, {"IPv6 ", 2}});  // one text differs
        EXPECT_EQ(3, Headless::ComboResetCount(box));
        Commit(d.combo, {{"IPv4", 0}});  // the count differs
        EXPECT_EQ(4, Headless::ComboResetCount(box));
        EXPECT_EQ(1, ComboCount(box));
        EXPECT_EQ(4, Headless::InvalidateCount(h));
    });
}

TEST_F(MyComboBoxTest, SelectByDataFallsBackToFirstItemAndNotifiesNobody)
{
    int changes = 0;
    dialog_.OnNotification(kComboId, kCbnSelChange, [&](const Notification&) { ++changes; });
    Run([](HostDialog& d, WindowHandle) {
        WindowHandle box = d.combo.Handle();
        d.combo.SelectByData(0);  // empty box: nothing changes
        EXPECT_EQ(-1, ComboGetSelection(box));
        EXPECT_EQ(-1, d.combo.lastSelection);
        Commit(d.combo, {{"IPv4", 0}, {"", -5}, {"IPv6", 1}});
        d.combo.SelectByData(1);
        EXPECT_EQ(2, ComboGetSelection(box));
        EXPECT_EQ(2, d.combo.lastSelection);
        d.combo.SelectByData(7);
        EXPECT_EQ(0, ComboGetSelection(box));
        EXPECT_EQ(0, d.combo.lastSelection);
        d.combo.SelectByData(-5);
        EXPECT_EQ(1, d.combo.lastSelection);
    });
    EXPECT_EQ(0, changes);
}

TEST_F(MyComboBoxTest, DroppedListIsAtLeastTheBoxAndFitsTheWidestText)
{
    Run([](HostDialog& d, WindowHandle) {
        WindowHandle box = d.combo.Handle();  // 120 pixels wide, 7 pixels a character
        Commit(d.combo, {{"IPv4", 0}, {"IPv6", 1}});
        EXPECT_EQ(120, ComboGetDroppedWidth(box));
        const std::string wide(20, 'W');  // 140 + 17 + 8
        Commit(d.combo, {{"IPv4", 0}, {wide.c_str(), 1}});
        EXPECT_EQ(165, ComboGetDroppedWidth(box));
        Headless::SetFont(box, Headless::MakeFont(10));  // measured in the box's own font
        d.combo.UpdateDroppedWidth();
        EXPECT_EQ(225, ComboGetDroppedWidth(box));
        EXPECT_EQ(0, Headless::OpenDcCount());
    });
}

TEST_F(MyComboBoxTest, ColoursFollowTheItemState)
{
    struct Case {
        int item;
        unsigned state;
        bool separator;
        int text, back;
    } cases[] = {
        {0, 0, false, kColorWindowText, kColorWindow},
        {0, kOdsSelected, false, kColorHighlightText, kColorHighlight},
        {0, kOdsSelected | kOdsFocus, false, kColorHighlightText, kColorHighlight},
        {0, kOdsSelected | kOdsDisabled, false, kColorGrayText, kColorBtnFace},
        {0, kOdsGrayed, false, kColorGrayText, kColorBtnFace},
        {1, 0, true, kColorGrayText, kColorWindow},
        {1, kOdsSelected, true, kColorGrayText, kColorWindow},
        {1, kOdsDisabled, true, kColorGrayText, kColorBtnFace},
        {-1, kOdsSelected, false, kColorWindowText, kColorHighlight},
        {-1, kOdsDisabled, false, kColorWindowText, kColorBtnFace},
    };
    for (const Case& c : cases) {
        ComboItemColors colors = ComboColorsFor(c.item, c.state, c.separator);
        EXPECT_EQ(c.text, colors.text) << c.item << " state " << c.state;
        EXPECT_EQ(c.back, colors.back) << c.item << " state " << c.state;
    }
}

TEST_F(MyComboBoxTest, SeparatorIsACentredGrayLineWithoutTextOrFocus)
{
    Run([](HostDialog& d, WindowHandle) {
        Commit(d.combo, {{"IPv4", 0}, {"", 9}, {"IPv6", 1}});
        Headless::ClearDrawOps();
        DrawItemRecord record{1, kOdsSelected | kOdsFocus, Headless::ScratchDc(), Rect{0, 20, 120, 37}, 0};
        d.combo.DrawItem(record);
        std::vector<DrawOp> ops = Headless::DrawOps();
        ASSERT_EQ(3u, ops.size());
        EXPECT_EQ(DrawOp::TextColor, ops[0].type);
        EXPECT_EQ(SystemColor(kColorGrayText), ops[0].color);
        EXPECT_EQ(DrawOp::Fill, ops[1].type);
        EXPECT_EQ(SystemColor(kColorWindow), ops[1].color);
        EXPECT_EQ(DrawOp::Line, ops[2].type);
        EXPECT_EQ(SystemColor(kColorGrayText), ops[2].color);
        EXPECT_EQ(1, ops[2].rect.left);
        EXPECT_EQ(28, ops[2].rect.top);  // 20 + 17 / 2
        EXPECT_EQ(118, ops[2].rect.right);
        EXPECT_EQ(28, ops[2].rect.bottom);
        EXPECT_TRUE(Headless::SentMessages().empty());
    });
}

TEST_F(MyComboBoxTest, SelectedItemDrawsHighlightTextTwoPixelsInThenTellsTheParent)
{
    Run([](HostDialog& d, WindowHandle h) {
        Commit(d.combo, {{"IPv4", 0}, {"IPv6", 1}});
        Headless::ClearDrawOps();
        DrawItemRecord record{1, kOdsSelected | kOdsFocus, Headless::ScratchDc(), Rect{0, 17, 120, 34}, 0x1234};
        d.combo.DrawItem(record);
        std::vector<DrawOp> ops = Headless::DrawOps();
        ASSERT_EQ(9u, ops.size());
        EXPECT_EQ(SystemColor(kColorHighlightText), ops[0].color);
        EXPECT_EQ(DrawOp::Fill, ops[1].type);
        EXPECT_EQ(SystemColor(kColorHighlight), ops[1].color);
        EXPECT_EQ(DrawOp::BackColor, ops[2].type);
        EXPECT_EQ(SystemColor(kColorHighlight), ops[2].color);
        EXPECT_EQ(DrawOp::BackMode, ops[3].type);
        EXPECT_EQ(kBkTransparent, ops[3].mode);
        EXPECT_EQ(DrawOp::Text, ops[4].type);
        EXPECT_EQ("IPv6", ops[4].text);
        EXPECT_EQ(2, ops[4].rect.left);
        EXPECT_EQ(120, ops[4].rect.right);
        EXPECT_EQ(0x8924u, ops[4].flags);
        // Restored in reverse order, then the focus rectangle over the whole item.
        EXPECT_EQ(DrawOp::BackMode, ops[5].type);
        EXPECT_EQ(kBkOpaque, ops[5].mode);
        EXPECT_EQ(DrawOp::BackColor, ops[6].type);
        EXPECT_EQ(DrawOp::TextColor, ops[7].type);
        EXPECT_EQ(DrawOp::FocusRect, ops[8].type);
        EXPECT_EQ(0, ops[8].rect.left);
        ASSERT_EQ(1u, Headless::SentMessages().size());
        EXPECT_EQ(h, Headless::SentMessages()[0].window);
        EXPECT_EQ(kComboItemDrawnMessage, Headless::SentMessages()[0].message);
        EXPECT_EQ(0u, Headless::SentMessages()[0].wParam);
        EXPECT_EQ(0x1234, Headless::SentMessages()[0].lParam);
    });
}

TEST_F(MyComboBoxTest, DisabledBoxAndLongTextsAndEmptySelectionField)
{
    Run([](HostDialog& d, WindowHandle h) {
        const std::string longText(600, 'x');
        Commit(d.combo, {{longText.c_str(), 0}});
        Headless::ClearDrawOps();
        d.combo.DrawItem(DrawItemRecord{0, kOdsDisabled, Headless::ScratchDc(), Rect{0, 0, 120, 17}, 0});
        const auto& ops = Headless::DrawOps();
        EXPECT_EQ(SystemColor(kColorGrayText), ops[0].color);
        EXPECT_EQ(SystemColor(kColorBtnFace), ops[1].color);
        EXPECT_EQ(std::string(518, 'x'), ops[4].text);  // cut to the drawing buffer

        SetText(d.combo.Handle(), "field");
        Headless::ClearDrawOps();
        d.combo.DrawItem(DrawItemRecord{-1, 0, Headless::ScratchDc(), Rect{0, 0, 120, 17}, 0});
        EXPECT_EQ("field", Headless::DrawOps()[4].text);
        EXPECT_EQ(SystemColor(kColorWindowText), Headless::DrawOps()[0].color);
    });
}

TEST_F(MyComboBoxTest, ArrowKeysStepOverSeparators)
{
    int changes = 0;
    dialog_.OnNotification(kComboId, kCbnSelChange, [&](const Notification&) { ++changes; });
    Run([](HostDialog& d, WindowHandle h) {
        WindowHandle box = d.combo.Handle();
        Commit(d.combo, {{"IPv4", 0}, {"", 5}, {"IPv6", 1}, {"Last", 3}});
        d.combo.SelectByData(0);
        Headless::PressKey(h, kComboId, kVkDown);
        EXPECT_EQ(2, ComboGetSelection(box));
        Headless::PressKey(h, kComboId, kVkRight);
        EXPECT_EQ(3, ComboGetSelection(box));
        Headless::PressKey(h, kComboId, kVkDown);  // at the end: stays
        EXPECT_EQ(3, ComboGetSelection(box));
        Headless::PressKey(h, kComboId, kVkUp);
        Headless::PressKey(h, kComboId, kVkLeft);
        EXPECT_EQ(0, ComboGetSelection(box));
        Headless::PressKey(h, kComboId, kVkUp);  // at the start: stays
        EXPECT_EQ(0, ComboGetSelection(box));
    });
    EXPECT_EQ(4, changes);
}

TEST_F(MyComboBoxTest, ClosingTheListWithNothingSelectedRestoresLastSelection)
{
    int endOks = 0;
    dialog_.OnNotification(kComboId, kCbnSelEndOk, [&](const Notification&) { ++endOks; });
    Run([](HostDialog& d, WindowHandle h) {
        WindowHandle box = d.combo.Handle();
        Commit(d.combo, {{"IPv4", 0}, {"IPv6", 1}});
        d.combo.SelectByData(1);
        ComboSetSelection(box, -1);
        EXPECT_TRUE(Headless::CloseComboList(h, kComboId));
        EXPECT_EQ(1, ComboGetSelection(box));
        Headless::ChooseComboItem(h, kComboId, 0);  // a real choice is kept
        EXPECT_EQ(0, ComboGetSelection(box));
        EXPECT_EQ(1, d.combo.lastSelection);
    });
    EXPECT_EQ(0, endOks);  // the box handles it itself
}

}  // namespace
