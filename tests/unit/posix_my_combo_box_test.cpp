// The protocol box on the headless layer: committing staged items, selection by data, the dropped
// width, the colours of owner drawing, separator skipping and the restored selection.
#include <string>
#include <utility>
#include <vector>

#include "posix_headless_support.h"

using namespace Windowing;

namespace {

class MyComboBoxTest : public HeadlessTest {};

void Commit(CMyComboBox& box, const std::vector<std::pair<const char*, int>>& items)
{
    int append = 0;
    for (const auto& item : items) CMyComboBox::StageItem(append++, item.first, item.second);
    box.CommitItems();
}

TEST_F(MyComboBoxTest, CommitRebuildsOnlyOnChangeAndSelectByDataFallsBackToTheFirstItem)
{
    int changes = 0;
    dialog_.OnNotification(kComboId, kCbnSelChange, [&](const Notification&) { ++changes; });
    Run([](HostDialog& d, WindowHandle) {
        WindowHandle box = d.combo.Handle();
        d.combo.SelectByData(0);  // empty box: nothing changes
        EXPECT_EQ(-1, ComboGetSelection(box));
        Commit(d.combo, {{"IPv4", 0}, {"", -5}, {"IPv6", 1}});
        d.combo.SelectByData(1);
        Commit(d.combo, {{"IPv4", 0}, {"", -5}, {"IPv6", 1}});  // the same items: no reset, selection kept
        EXPECT_EQ(1, Headless::ComboResetCount(box));
        EXPECT_EQ(2, ComboGetSelection(box));
        d.combo.SelectByData(7);  // no match
        EXPECT_EQ(0, ComboGetSelection(box));
        EXPECT_EQ(0, d.combo.lastSelection);
        Commit(d.combo, {{"IPv4", 0}, {"", -5}, {"IPv6", 2}});  // data differ: rebuilt, nothing selected
        EXPECT_EQ(2, Headless::ComboResetCount(box));
        EXPECT_EQ(-1, ComboGetSelection(box));
        EXPECT_EQ(2, ComboGetData(box, 2));
        Commit(d.combo, {{"IPv4", 0}, {"", -5}, {"IPv6 ", 2}});  // one text differs
        EXPECT_EQ(3, Headless::ComboResetCount(box));
    });
    EXPECT_EQ(0, changes);
}

TEST_F(MyComboBoxTest, ColoursFollowTheItemState)
{
    const struct {  // item -1: the selection field
        int item;
        unsigned state;
        bool separator;
        int text, back;
    } cases[] = {
        {0, 0, false, kColorWindowText, kColorWindow},
        {0, kOdsSelected | kOdsFocus, false, kColorHighlightText, kColorHighlight},
        {0, kOdsGrayed, false, kColorGrayText, kColorBtnFace},
        {0, kOdsSelected | kOdsDisabled, false, kColorGrayText, kColorBtnFace},
        {1, kOdsSelected, true, kColorGrayText, kColorWindow},
        {1, kOdsDisabled, true, kColorGrayText, kColorBtnFace},
        {-1, kOdsSelected, false, kColorWindowText, kColorHighlight},
    };
    for (const auto& c : cases) {
        ComboItemColors colors = ComboColorsFor(c.item, c.state, c.separator);
        EXPECT_EQ(c.text, colors.text) << c.item << " state " << c.state;
        EXPECT_EQ(c.back, colors.back) << c.item << " state " << c.state;
    }
}

TEST_F(MyComboBoxTest, DroppedListFitsTheWidestTextAndDrawnTextIsCut)
{
    Run([](HostDialog& d, WindowHandle) {
        WindowHandle box = d.combo.Handle();  // 120 pixels wide, 7 pixels a character
        Commit(d.combo, {{"IPv4", 0}, {"IPv6", 1}});
        EXPECT_EQ(120, ComboGetDroppedWidth(box));  // never narrower than the box
        Commit(d.combo, {{"IPv4", 0}, {std::string(600, 'x').c_str(), 1}});
        EXPECT_EQ(600 * 7 + 17 + 8, ComboGetDroppedWidth(box));  // text, scroll bar, margin
        d.combo.DrawItem(DrawItemRecord{1, 0, Headless::ScratchDc(), Rect{0, 17, 120, 34}, 0});
        std::string drawn;
        for (const auto& op : Headless::DrawOps())
            if (op.type == Headless::DrawOp::Text) drawn = op.text;
        EXPECT_EQ(std::string(518, 'x'), drawn);  // the drawing buffer
    });
}

TEST_F(MyComboBoxTest, ArrowKeysStepOverSeparatorsAndCloseWithNothingSelectedRestores)
{
    int changes = 0, endOks = 0;
    dialog_.OnNotification(kComboId, kCbnSelChange, [&](const Notification&) { ++changes; });
    dialog_.OnNotification(kComboId, kCbnSelEndOk, [&](const Notification&) { ++endOks; });
    Run([](HostDialog& d, WindowHandle h) {
        WindowHandle box = d.combo.Handle();
        Commit(d.combo, {{"IPv4", 0}, {"", 5}, {"IPv6", 1}});
        d.combo.SelectByData(1);
        const std::pair<int, int> steps[] = {{kVkUp, 0}, {kVkLeft, 0}, {kVkDown, 2}, {kVkRight, 2}, {kVkLeft, 0}};
        for (const auto& [key, selection] : steps) {
            Headless::PressKey(h, kComboId, key);
            EXPECT_EQ(selection, ComboGetSelection(box)) << key;
        }
        ComboSetSelection(box, -1);
        EXPECT_TRUE(Headless::CloseComboList(h, kComboId));
        EXPECT_EQ(2, ComboGetSelection(box));  // the item last selected through SelectByData
    });
    EXPECT_EQ(3, changes);
    EXPECT_EQ(0, endOks);  // the box handles it itself
}

}  // namespace
