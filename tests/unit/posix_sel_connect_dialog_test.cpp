// The connection-type dialog on the headless windowing layer: its opening (texts, caption, the
// hidden controls, OK in Cancel's place, no system menu) and the choice it leaves behind.
#include <gtest/gtest.h>

#include "tests/unit/dialog_fixture.h"
#include "ui/sel_connect_dialog.h"

namespace dialog_test {
namespace {

using namespace Windowing;
using namespace SelConnectIds;

class SelConnectDialogTest : public DialogTest {
protected:
    int Run(std::function<void(WindowHandle)> driver)
    {
        Headless::SetDriver(std::move(driver));
        CSelConnectDlg dialog;
        return dialog.DoModal();
    }
    // A control's rectangle in the dialog's client coordinates.
    static Rect InDialog(WindowHandle d, int id)
    {
        const Rect r = GetWindowRectangle(ItemOf(d, id));
        const Point p = ScreenToClientPoint(d, {r.left, r.top});
        return {p.x, p.y, p.x + r.Width(), p.y + r.Height()};
    }
};

TEST_F(SelConnectDialogTest, OpeningShowsOnlyTheRadiosAndOkInCancelsPlace)
{
    for (const char* ratio : {"1", "1.5"}) {
        SCOPED_TRACE(ratio);
        LoadStrings({{"STR_RATIO_DLG_SEL_CONNECT", ratio}});
        const double r = std::atof(ratio);
        Run([&](WindowHandle d) {
            EXPECT_EQ("VEL MORA chromaline 7245MF", Text(d, 0));
            EXPECT_EQ("How is the scanner connected?", Text(d, kQuestion));
            EXPECT_EQ("By USB", Text(d, kRadioUsb));
            EXPECT_EQ("By network", Text(d, kRadioNetwork));
            EXPECT_EQ("Never ask", Text(d, kCheckDontShow));
            EXPECT_EQ("Fine", Text(d, kIdOk));
            EXPECT_EQ("Stop", Text(d, kIdCancel));
            EXPECT_TRUE(IsItemChecked(d, kRadioUsb));
            EXPECT_FALSE(IsItemChecked(d, kRadioNetwork));

            EXPECT_EQ(0u, GetStyle(d) & kWsSysMenu);
            EXPECT_NE(0u, GetStyle(d) & kWsCaption);
            for (int id : {kCheckDontShow, kUnused, kIdCancel}) {
                EXPECT_FALSE(IsWindowShown(ItemOf(d, id))) << id;
                EXPECT_FALSE(Enabled(d, id)) << id;
            }
            EXPECT_TRUE(IsWindowShown(ItemOf(d, kIdOk)));
            EXPECT_TRUE(Enabled(d, kIdOk));
            // Cancel's template place (244, 135) and OK's size (75 x 23), both scaled.
            const Rect ok = InDialog(d, kIdOk);
            EXPECT_EQ(static_cast<int>(244 * r), ok.left);
            EXPECT_EQ(static_cast<int>(135 * r), ok.top);
            EXPECT_EQ(static_cast<int>(75 * r), ok.Width());
            EXPECT_EQ(static_cast<int>(23 * r), ok.Height());
            EXPECT_EQ(static_cast<int>(336 * r), GetWindowRectangle(d).Width());
        });
    }
}

TEST_F(SelConnectDialogTest, MissingKeysKeepTemplateTextsButTheCaptionIsTheTitle)
{
    LoadStrings({{"STR_UI_MAIN", ""}, {"STR_RAD_USB", ""}});
    Run([&](WindowHandle d) {
        EXPECT_EQ("VEL MORA chromaline 7245MF", Text(d, 0));
        EXPECT_EQ("&USB", Text(d, kRadioUsb));
        EXPECT_EQ("By network", Text(d, kRadioNetwork));
    });
}

// The choice: confirming unchanged keeps USB, the network radio gives 1, and so does neither.
TEST_F(SelConnectDialogTest, ConfirmLeavesTheChoiceInTheApplicationObject)
{
    struct Case {
        const char* name;
        int before;
        std::function<void(WindowHandle)> act;
        int after;
    };
    const Case cases[] = {
        {"unchanged", 0, [](WindowHandle) {}, 0},
        {"network", 0, [](WindowHandle d) { Click(d, kRadioNetwork); }, 1},
        {"network, then USB", 0, [](WindowHandle d) { Click(d, kRadioNetwork); Click(d, kRadioUsb); }, 0},
        {"neither", 0, [](WindowHandle d) { CheckItem(d, kRadioUsb, false); }, 1},
        // A network choice made before: USB starts unchecked and the network radio is not touched.
        {"earlier network", 1, [](WindowHandle d) { EXPECT_FALSE(IsItemChecked(d, kRadioUsb)); }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app_.m_nConnection = c.before;
        EXPECT_EQ(kIdOk, Run([&](WindowHandle d) {
            c.act(d);
            EXPECT_EQ(c.before, app_.m_nConnection);  // set only when the user confirms
            ASSERT_TRUE(Click(d, kIdOk));
        }));
        EXPECT_EQ(c.after, app_.m_nConnection);
    }
}

TEST_F(SelConnectDialogTest, TheCancelKeyEndsWithoutAChoice)
{
    app_.m_nConnection = 0;
    EXPECT_EQ(kIdCancel, Run([&](WindowHandle d) {
        Click(d, kRadioNetwork);
        PressKey(d, kRadioNetwork, kVkEscape);
    }));
    EXPECT_EQ(0, app_.m_nConnection);
}

}  // namespace
}  // namespace dialog_test
