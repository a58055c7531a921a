// Dialog layout scaling on the headless layer.
#include <climits>
#include <string>

#include "posix_headless_support.h"
#include "ui/layout_scaling.h"

using namespace Windowing;

namespace {

constexpr int kGroupId = 4000;
constexpr int kInnerId = 4001;

class LayoutScalingTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        // The host dialog plus a group with a window inside it.
        Headless::DialogLayout layout = HostTemplate();
        layout.controls.push_back({kGroupId, Headless::Kind::Static, 200, 20, 80, 60, 0, ""});
        layout.controls.push_back({kInnerId, Headless::Kind::Button, 5, 9, 41, 21, 0, "in", false, true, kGroupId});
        Headless::AddTemplate(layout);
    }
    // Opens the host dialog, scales it in its opening as the dialogs do, and keeps the windows.
    WindowHandle OpenScaled(const std::function<void(WindowHandle)>& scale)
    {
        HostDialog dialog;
        dialog.onInit = [&](HostDialog& d) { scale(d.Handle()); };
        EXPECT_EQ(Headless::kLeftOpen, dialog.DoModal());
        return Headless::LastDialog();
    }
    static Rect ClientRectOf(WindowHandle window)
    {
        Rect r = GetWindowRectangle(window);
        Point at = ScreenToClientPoint(ParentOf(window), Point{r.left, r.top});
        return Rect{at.x, at.y, at.x + r.Width(), at.y + r.Height()};
    }
    TempFolder folder_;
};

TEST_F(LayoutScalingTest, FactorOneAndAHalfTruncatesEveryProduct)
{
    WindowHandle dialog = OpenScaled([](WindowHandle h) { ScaleDialogLayoutBy(h, 1.5); });
    Rect outer = GetWindowRectangle(dialog);
    EXPECT_EQ(100, outer.left);
    EXPECT_EQ(100, outer.top);
    EXPECT_EQ(450, outer.Width());
    EXPECT_EQ(300, outer.Height());
    Rect edit = ClientRectOf(ItemOf(dialog, kEditId));  // (11, 77) 75 x 23
    EXPECT_EQ(16, edit.left);
    EXPECT_EQ(115, edit.top);
    EXPECT_EQ(112, edit.Width());
    EXPECT_EQ(34, edit.Height());
    // A window inside another keeps its scaled place relative to its own parent.
    Rect group = ClientRectOf(ItemOf(dialog, kGroupId));
    EXPECT_EQ(300, group.left);
    EXPECT_EQ(30, group.top);
    WindowHandle inner = nullptr;
    EnumDescendants(dialog, [&](WindowHandle w) { if (IdOf(w) == kInnerId) inner = w; });
    ASSERT_NE(nullptr, inner);
    Rect in = ClientRectOf(inner);  // (5, 9) 41 x 21
    EXPECT_EQ(7, in.left);
    EXPECT_EQ(13, in.top);
    EXPECT_EQ(61, in.Width());
    EXPECT_EQ(31, in.Height());
    EXPECT_EQ(GetWindowRectangle(ItemOf(dialog, kGroupId)).left + 7, GetWindowRectangle(inner).left);
}

TEST_F(LayoutScalingTest, FactorOneKeepsEveryWindow)
{
    WindowHandle dialog = OpenScaled([](WindowHandle h) { ScaleDialogLayoutBy(h, 1.0); });
    EXPECT_EQ(300, GetWindowRectangle(dialog).Width());
    Rect edit = ClientRectOf(ItemOf(dialog, kEditId));
    EXPECT_EQ(11, edit.left);
    EXPECT_EQ(77, edit.top);
    EXPECT_EQ(75, edit.Width());
}

TEST_F(LayoutScalingTest, RatioComesFromTheStringFile)
{
    ASSERT_EQ(0, StringTable::Load(folder_.Write("s.tbl", "STR_RATIO_DLG_SETIP=1.5abc\nSTR_RATIO_DLG_SEL_CONNECT=abc\n").c_str()));
    WindowHandle dialog = OpenScaled([](WindowHandle h) { ScaleDialogLayout(h, kRatioKeySetIp); });
    EXPECT_EQ(450, GetWindowRectangle(dialog).Width());
    // A ratio that reads as 0 leaves the template size.
    dialog = OpenScaled([](WindowHandle h) { ScaleDialogLayout(h, kRatioKeySelConnect); });
    EXPECT_EQ(300, GetWindowRectangle(dialog).Width());
    EXPECT_EQ(75, GetWindowRectangle(ItemOf(dialog, kEditId)).Width());
    EXPECT_EQ(0u, BoxCount());
}

TEST_F(LayoutScalingTest, MissingRatioKeyWarnsOnceAndKeepsTheLayout)
{
    WindowHandle dialog = OpenScaled([](WindowHandle h) { ScaleDialogLayout(h, kRatioKeySetIp); });
    EXPECT_EQ(300, GetWindowRectangle(dialog).Width());
    EXPECT_EQ(200, GetWindowRectangle(dialog).Height());
    EXPECT_EQ(1u, BoxCount());
    EXPECT_EQ("Can not get StringTable.", LastBoxText());
}

TEST_F(LayoutScalingTest, HugeFactorGivesHugeButDefinedSizes)
{
    // Every product is kept within int; the window manager then limits the coordinates.
    WindowHandle dialog = OpenScaled([](WindowHandle h) { ScaleDialogLayoutBy(h, 1e300); });
    EXPECT_EQ(100, GetWindowRectangle(dialog).left);
    EXPECT_EQ(Headless::kMaxCoordinate, GetWindowRectangle(dialog).Width());
    EXPECT_EQ(Headless::kMaxCoordinate, ClientRectOf(ItemOf(dialog, kEditId)).Width());
}

}  // namespace
