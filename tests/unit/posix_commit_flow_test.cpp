// The commit flow and its connection-type dialog on the headless windowing layer: registration,
// dialogs, messages and storing for each launch mode and option. The main paths run for real under
// Wine in tests/lan/test_e2e_installer.sh.
#include <gtest/gtest.h>

#include "app/commit_flow.h"
#include "tests/unit/dialog_fixture.h"
#include "ui/sel_connect_dialog.h"

namespace dialog_test {
namespace {

using namespace Windowing;

TEST_F(DialogTest, CommitFlowOverLaunchModeQuietMaintenanceAndSearchResult)
{
    enum Choice { kUsb, kNetwork, kEscape };  // the answer in the connection-type dialog
    // found: what the maintenance search answers; result: CommitConnection's.
    struct Case {
        int mode, quiet, maintenance, found, choice, addressOk, result, registered;
        std::vector<int> dialogs;
        std::vector<std::string> boxes;
        bool stored;
    };
    // The product message's format holds more than one %s and other conversions: only the first is filled.
    const std::string usb = "The chromaline 7245MF is ready, %s 100% %d.", unfinished = "Unfinished. (warning)";
    const Case cases[] = {
        {UsbPort, 0, 0, 5, kUsb, true, 0, true, {}, {usb}, false},
        {UsbPort, 1, 0, 5, kUsb, true, 0, true, {}, {}, false},
        {UsbPort, 0, 1, 0, kUsb, true, 0, false, {}, {}, false},
        {UsbPort, 0, 1, 5, kUsb, true, 0, true, {}, {}, false},
        {UsbPort, 0, 1, 2, kUsb, true, 2, false, {}, {}, false},  // the search failed
        {NetworkPort, 0, 0, 5, kUsb, true, 0, true, {3005}, {}, true},
        {NetworkPort, 1, 0, 5, kUsb, false, 0, true, {3005}, {unfinished}, false},
        {NetworkPort, 0, 1, 0, kUsb, true, 0, false, {3005}, {}, true},
        {AskPort, 0, 0, 5, kUsb, true, 0, true, {3000}, {usb}, false},
        {AskPort, 0, 1, 0, kNetwork, true, 0, false, {3000, 3005}, {}, true},
        {AskPort, 0, 0, 5, kNetwork, false, 0, true, {3000, 3005}, {unfinished}, false},
        {AskPort, 0, 0, 5, kEscape, true, 0, true, {3000}, {}, false},
        {GivenAddress, 1, 1, 0, kUsb, true, 0, false, {}, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        Fresh();
        net.bursts = {{ScannerAt(5)}};
        rec.findResult = c.found;
        std::vector<int> dialogs;
        SetDriver([&](WindowHandle d) {
            dialogs.push_back(ItemOf(d, 3003) ? 3000 : 3005);
            if (dialogs.back() == 3005) return RunSearch(), (void)Click(d, c.addressOk ? kIdOk : kIdCancel);
            EXPECT_EQ(c.registered, static_cast<int>(rec.registrations.size()));  // registered before asking
            if (c.choice == kEscape) return (void)PressKey(d, 3004, kVkEscape);
            Click(d, c.choice == kNetwork ? 3004 : 3003);
            Click(d, kIdOk);
        });

        EXPECT_EQ(c.result, CommitConnection(Request(c.mode, c.quiet, c.maintenance)));
        EXPECT_EQ(c.maintenance, rec.finds);
        EXPECT_EQ(c.registered ? std::vector<int>{1} : std::vector<int>{}, rec.registrations);
        EXPECT_EQ(c.dialogs, dialogs);
        EXPECT_EQ(c.boxes, Boxes());
        EXPECT_EQ(c.stored, !rec.saves.empty());
        const bool addressCancelled = !c.stored && !dialogs.empty() && dialogs.back() == 3005;
        EXPECT_EQ(c.stored ? "\1" : addressCancelled ? "\2" : "<missing>", RegValue("IPDlgRet"));
    }
}

// A registration that failed (2 no INF, 3 no node) is never followed by the message that the
// scanner is ready: the failure is shown instead (not under quiet), and the flow's result keeps
// its codes (0 or 2). A network connection still goes on to the address dialog.
TEST_F(DialogTest, FailedRegistrationReplacesTheReadyMessage)
{
    const std::string usb = "The chromaline 7245MF is ready, %s 100% %d.", failed = "Not registered. (error)";
    struct Case {
        int mode, quiet, maintenance, registerResult, result;
        std::vector<std::string> boxes;
    };
    const Case cases[] = {
        {UsbPort, 0, 0, 2, 2, {failed}},
        {UsbPort, 0, 0, 3, 0, {failed}},
        {UsbPort, 1, 0, 3, 0, {}},
        {UsbPort, 0, 1, 2, 2, {failed}},  // maintenance found no device and could not register one
        {AskPort, 0, 0, 3, 0, {failed}},
        {UsbPort, 0, 0, 0, 0, {usb}},
        {NetworkPort, 0, 0, 2, 2, {"Unfinished."}},  // the address dialog, cancelled here
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        Fresh();
        rec.registerResult = c.registerResult;
        SetDriver([&](WindowHandle d) {
            if (!ItemOf(d, 3003)) return (void)Click(d, kIdCancel);  // the address dialog
            Click(d, 3003);                                          // the connection-type dialog: USB
            Click(d, kIdOk);
        });
        EXPECT_EQ(c.result, CommitConnection(Request(c.mode, c.quiet, c.maintenance)));
        EXPECT_EQ(1u, rec.registrations.size());
        std::vector<std::string> boxes;
        for (const auto& box : Platform::RecordedMessageBoxes())
            if (!box.framework) boxes.push_back(box.text + (box.style == 0x40010 ? " (error)" : ""));
        EXPECT_EQ(c.boxes, boxes);
    }
}

// An address from the command line that cannot be stored (the data folder is blocked by a file)
// is reported, not under quiet; there is no dialog to keep open.
TEST_F(DialogTest, GivenAddressThatCannotBeStoredIsReported)
{
    for (int quiet : {0, 1}) {
        SCOPED_TRACE(quiet);
        Fresh();
        std::string blocked = DataFolder(Products::Current());
        std::replace(blocked.begin(), blocked.end(), '\\', '/');
        std::filesystem::create_directories(std::filesystem::path(blocked).parent_path());
        std::ofstream(blocked) << "in the way";
        EXPECT_EQ(0, CommitConnection(Request(GivenAddress, quiet, 0)));
        EXPECT_EQ("192.168.1.20|||0|1;", rec.saves);
        EXPECT_EQ("192.168.1.20", RegValue("IPAddress"));  // what could be written stays written
        EXPECT_EQ(quiet ? std::vector<std::string>{} : std::vector<std::string>{"Not saved."}, Boxes());
    }
}

TEST_F(DialogTest, SelConnectShowsOnlyTheRadiosWithOkInCancelsPlaceAndNeitherMeansNetwork)
{
    using namespace SelConnectIds;
    SetDriver([&](WindowHandle d) {
        EXPECT_EQ(0u, GetStyle(d) & kWsSysMenu);
        for (int id : {kCheckDontShow, kUnused, kIdCancel}) EXPECT_FALSE(IsWindowShown(ItemOf(d, id))) << id;
        const Rect ok = GetWindowRectangle(ItemOf(d, kIdOk));
        const Point at = ScreenToClientPoint(d, {ok.left, ok.top});
        EXPECT_TRUE(at.x == 244 && at.y == 135) << at.x << "," << at.y;  // Cancel's place in the template
        CheckItem(d, kRadioUsb, false);
        ASSERT_TRUE(Click(d, kIdOk));
    });
    CSelConnectDlg dialog(kConnectionUsb);
    EXPECT_EQ(kIdOk, dialog.DoModal());
    EXPECT_EQ(kConnectionNetwork, dialog.Connection());
}

}  // namespace
}  // namespace dialog_test
