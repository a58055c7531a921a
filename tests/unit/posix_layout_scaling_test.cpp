// Dialog layout scaling on the headless layer: truncated products and the ratio a text gives.
#include <cstdio>
#include <string>
#include <utility>

#include "posix_headless_support.h"
#include "ui/layout_scaling.h"

using namespace Windowing;

namespace {

class LayoutScalingTest : public HeadlessTest {
protected:
    // Opens the host dialog, scales it in its opening as the dialogs do, and describes the dialog
    // (outer) and the edit (in the dialog's client coordinates): "100,100 300x200 | 11,7 75x23".
    std::string OpenScaled(const std::function<void(WindowHandle)>& scale)
    {
        dialog_.onInit = [&](HostDialog& d) { scale(d.Handle()); };
        EXPECT_EQ(Headless::kLeftOpen, Run([](HostDialog&, WindowHandle) {}));
        WindowHandle dialog = Headless::LastDialog();
        Rect d = GetWindowRectangle(dialog), e = GetWindowRectangle(ItemOf(dialog, kEditId));
        Point at = ScreenToClientPoint(dialog, Point{e.left, e.top});
        char text[96];
        std::snprintf(text, sizeof text, "%d,%d %dx%d | %d,%d %dx%d", d.left, d.top, d.Width(), d.Height(), at.x, at.y,
                      e.Width(), e.Height());
        return text;
    }
    TempFolder folder_;
};

TEST_F(LayoutScalingTest, RatioTextReadsLikeAtofAndOnlyAPositiveValueScales)
{
    for (auto [text, factor] : {std::pair<const char*, double>{"1.5abc", 1.5},
                                {" 2e0", 2.0},
                                {"abc", 1.0},
                                {"0", 1.0},
                                {"-1.5", 1.0},
                                {"", 1.0},
                                {nullptr, 1.0}})
        EXPECT_EQ(factor, LayoutFactorOf(text)) << (text ? text : "(null)");
}

// Every product is truncated and the top-left corner stays; factor 1 and a missing key change nothing.
TEST_F(LayoutScalingTest, RatioComesFromTheStringFileAndAMissingKeyKeepsTheLayout)
{
    EXPECT_EQ("100,100 300x200 | 11,7 75x23", OpenScaled([](WindowHandle h) { ScaleDialogLayoutBy(h, 1.0); }));
    auto scale = [](WindowHandle h) { ScaleDialogLayout(h, kRatioKeySetIp); };
    EXPECT_EQ("100,100 300x200 | 11,7 75x23", OpenScaled(scale));
    EXPECT_EQ("Can not get StringTable.", LastBoxText());
    ASSERT_EQ(0, StringTable::Load(folder_.Write("s.tbl", "STR_RATIO_DLG_SETIP=1.5abc\n").c_str()));
    EXPECT_EQ("100,100 450x300 | 16,10 112x34", OpenScaled(scale));
    EXPECT_EQ(1u, BoxCount());
}

}  // namespace
