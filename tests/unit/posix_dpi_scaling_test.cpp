// High DPI on the headless layer: the address dialog's protocol box items, list columns, icon and
// separator follow the DPI together with the string file's ratio, at opening and on a DPI change.
// (Under Wine the real dialog at 144 DPI is checked by tests/lan/test_e2e_dpi.sh.)
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "tests/unit/dialog_fixture.h"
#include "ui/layout_scaling.h"
#include "ui/set_ip_dialog.h"

namespace dialog_test {
namespace {

using namespace Windowing;
using namespace SetIpIds;

class DpiScalingTest : public DialogTest {
protected:
    // Opens the address dialog at dpi with the ratio and runs the driver in it.
    void Open(int dpi, const char* ratio, std::function<void(WindowHandle)> driver)
    {
        std::string strings = kStrings;
        strings.replace(strings.find("STR_RATIO_DLG_SETIP=1"), 21, std::string("STR_RATIO_DLG_SETIP=") + ratio);
        std::ofstream(root_ / "s.tbl", std::ios::binary) << strings;
        StringTable::Clear();
        ASSERT_EQ(0, StringTable::Load((root_ / "s.tbl").c_str()));
        rec.answers = {{Scanner("10.0.0.10", "M10")}};
        SetDpi(dpi);
        SetDriver(std::move(driver));
        CSetIPDlg dialog;
        dialog_ = &dialog;
        EXPECT_EQ(kLeftOpen, dialog.DoModal());
        dialog_ = nullptr;
    }
    CSetIPDlg* dialog_ = nullptr;
    // "field/items height | the columns + margin = list width | icon pixels"
    static std::string Describe(WindowHandle d)
    {
        WindowHandle box = ItemOf(d, kProtocolBox), list = ItemOf(d, kDeviceList);
        int columns = 0;
        for (int c = 0; c < ListColumnCount(list); ++c) columns += ListColumnWidth(list, c);
        char text[96];
        std::snprintf(text, sizeof text, "%d/%d | margin %d | icon %d", ComboGetItemHeight(box, -1),
                      ComboGetItemHeight(box, 0), GetWindowRectangle(list).Width() - columns, SmallIconPixels(d));
        return text;
    }
};

TEST_F(DpiScalingTest, OpeningFollowsTheDpiAndTheStringFileRatio)
{
    struct Case {
        int dpi;
        const char* ratio;
        const char* expected;
    };
    for (const Case& c :
         {Case{96, "1", "16/16 | margin 5 | icon 16"}, Case{144, "1", "24/24 | margin 8 | icon 24"},
          Case{96, "1.5", "24/24 | margin 5 | icon 16"}, Case{192, "1.25", "40/40 | margin 10 | icon 32"},
          Case{120, "0", "20/20 | margin 6 | icon 20"}}) {
        std::string seen;
        Open(c.dpi, c.ratio, [&](WindowHandle d) { seen = Describe(d); });
        EXPECT_EQ(c.expected, seen) << c.dpi << " DPI, ratio " << c.ratio;
        EXPECT_EQ(2015, SmallIconId(LastDialog())) << "the family 0 icon";
    }
}

// Moving to a 150 % monitor: the suggested rectangle is taken, heights, columns and the icon grow
// by 1.5; the same DPI again changes nothing.
TEST_F(DpiScalingTest, DpiChangeRescalesWhatTheOpeningSet)
{
    Open(96, "1", [&](WindowHandle d) {
        WindowHandle list = ItemOf(d, kDeviceList);
        const int c0 = ListColumnWidth(list, 0), c1 = ListColumnWidth(list, 1);
        Rect suggested{40, 50, 670, 635};
        for (int round = 0; round < 2; ++round) {
            SendToWindow(d, kDpiChangedMessage, 144 | (144u << 16), reinterpret_cast<intptr_t>(&suggested));
            const Rect r = GetWindowRectangle(d);
            EXPECT_EQ("40,50 630x585", std::to_string(r.left) + "," + std::to_string(r.top) + " " +
                                           std::to_string(r.Width()) + "x" + std::to_string(r.Height()));
            EXPECT_EQ(c0 * 3 / 2, ListColumnWidth(list, 0));
            EXPECT_EQ(c1 * 3 / 2, ListColumnWidth(list, 1));
            EXPECT_EQ(24, ComboGetItemHeight(ItemOf(d, kProtocolBox), 0));
            EXPECT_EQ(24, SmallIconPixels(d));
        }
    });
}

// The separator item: a line one pixel thick per 96 DPI, inset by 1 and 2 pixels per 96 DPI.
TEST_F(DpiScalingTest, SeparatorLineFollowsTheDpi)
{
    struct Case {
        int dpi;
        std::string lines;  // "x0,y0-x1,y1;" for each line drawn
    };
    for (const Case& c :
         {Case{96, "1,25-118,25;"}, Case{144, "2,24-117,24;2,25-117,25;"}, Case{192, "2,24-116,24;2,25-116,25;"}}) {
        std::string lines;
        Open(c.dpi, "1", [&](WindowHandle d) {
            ComboReset(ItemOf(d, kProtocolBox));
            ComboInsert(ItemOf(d, kProtocolBox), 0, "");  // an empty item is drawn as a separator
            Headless::ClearDrawOps();
            dialog_->ProtocolBox().DrawItem(DrawItemRecord{0, 0, Headless::ScratchDc(), Rect{0, 17, 120, 34}, 0});
            for (const auto& op : Headless::DrawOps()) {
                if (op.type != Headless::DrawOp::Line) continue;
                lines += std::to_string(op.rect.left) + "," + std::to_string(op.rect.top) + "-" +
                         std::to_string(op.rect.right) + "," + std::to_string(op.rect.bottom) + ";";
            }
        });
        EXPECT_EQ(c.lines, lines) << c.dpi << " DPI";
    }
}

}  // namespace
}  // namespace dialog_test
