// The headless windowing layer itself: modal dialogs, the handler table, posted messages, the
// user actions that the dialog tests rely on.
#include <string>
#include <vector>

#include "posix_headless_support.h"

using namespace Windowing;

namespace {

class WindowingTest : public HeadlessTest {
protected:
    int Run(const std::function<void(WindowHandle)>& drive)
    {
        Headless::SetDriver(drive);
        return dialog_.DoModal();
    }
    HostDialog dialog_;
    std::vector<std::string> log_;
};

TEST_F(WindowingTest, DoModalResults)
{
    CDialog missing(4242);
    EXPECT_EQ(kDialogFailed, missing.DoModal());
    EXPECT_EQ(Headless::kLeftOpen, Run([](WindowHandle) {}));
    EXPECT_EQ(kIdOk, Run([](WindowHandle h) { EXPECT_TRUE(Headless::Click(h, kIdOk)); }));
    EXPECT_EQ(kIdCancel, Run([](WindowHandle h) { EXPECT_TRUE(Headless::Click(h, kIdCancel)); }));
    // Enter and Escape on a control that does not ask for them reach the dialog's commands.
    EXPECT_EQ(kIdOk, Run([](WindowHandle h) { Headless::PressKey(h, kCheckId, kVkReturn); }));
    EXPECT_EQ(kIdCancel, Run([](WindowHandle h) { Headless::PressKey(h, kListId, kVkEscape); }));
    EXPECT_EQ(kIdCancel, Run([](WindowHandle h) { Headless::PressKey(h, kIdCancel, kVkReturn); }));
    // Actions on an ended dialog do nothing.
    EXPECT_EQ(kIdOk, Run([](WindowHandle h) {
        Headless::Click(h, kIdOk);
        EXPECT_FALSE(Headless::Click(h, kIdCancel));
    }));
}

TEST_F(WindowingTest, HandlerTableEntryReplacesTheDefaultCommand)
{
    dialog_.OnNotification(kIdOk, kBnClicked, [&](const Notification&) { log_.push_back("ok handler"); });
    EXPECT_EQ(kIdCancel, Run([](WindowHandle h) {
        Headless::Click(h, kIdOk);  // handled, so the dialog stays open
        Headless::Click(h, kIdCancel);
    }));
    EXPECT_EQ(std::vector<std::string>{"ok handler"}, log_);
}

TEST_F(WindowingTest, PostedMessagesRunAfterTheHandlerInPostingOrder)
{
    dialog_.OnMessage(kWmApp + 1, [&](uintptr_t w, intptr_t) { log_.push_back("app1 " + std::to_string(w)); return 0; });
    dialog_.OnMessage(kWmApp + 2, [&](uintptr_t, intptr_t) {
        log_.push_back("app2");
        PostToWindow(dialog_.Handle(), kWmApp + 1, 3, 0);  // posted while the queue runs: last
        return 0;
    });
    dialog_.OnNotification(kCheckId, kBnClicked, [&](const Notification&) {
        PostToWindow(dialog_.Handle(), kWmApp + 2, 0, 0);
        PostToWindow(dialog_.Handle(), kWmApp + 1, 1, 0);
        log_.push_back("handler end");
    });
    Run([](WindowHandle h) { Headless::Click(h, kCheckId); });
    EXPECT_EQ((std::vector<std::string>{"handler end", "app2", "app1 1", "app1 3"}), log_);
}

TEST_F(WindowingTest, ControlStateByIdWithIdZeroForTheCaption)
{
    int changes = 0;
    dialog_.OnNotification(kEditId, kEnChange, [&](const Notification&) { ++changes; });
    Run([&](WindowHandle h) {
        EXPECT_EQ("Host", TextOf(h, 0));
        SetItemText(h, 0, "Title");
        EXPECT_EQ("Title", TextOf(h, 0));
        SetItemText(h, kEditId, "abc");  // setting an edit's text notifies like typing
        EXPECT_EQ(1, changes);
        char small[3];
        EXPECT_EQ(3, GetItemText(h, kEditId, small, sizeof small));
        EXPECT_EQ(std::string("ab"), small);
        SetStyle(h, GetStyle(h) & ~kWsSysMenu);
        EXPECT_EQ(0u, GetStyle(h) & kWsSysMenu);
        ShowWindowTo(ItemOf(h, kCheckId), false);
        EXPECT_FALSE(Headless::Click(h, kCheckId));  // hidden: the user cannot reach it
        EnableWindowTo(ItemOf(h, kRadioList), false);
        EXPECT_FALSE(Headless::Click(h, kRadioList));
        EXPECT_FALSE(IsWindowEnabledNow(ItemOf(h, kRadioList)));
        SetSmallIcon(h, LoadModuleIcon(2166));
        EXPECT_EQ(2166, Headless::SmallIconId(h));
    });
}

TEST_F(WindowingTest, RadioClickChecksOnlyItsGroup)
{
    std::vector<int> clicked;
    for (int id : {kRadioInput, kRadioList})
        dialog_.OnNotification(id, kBnClicked, [&](const Notification& n) { clicked.push_back(n.controlId); });
    Run([](WindowHandle h) {
        CheckItem(h, kCheckId, true);
        CheckItem(h, kRadioList, true);
        Headless::Click(h, kRadioInput);
        EXPECT_TRUE(IsItemChecked(h, kRadioInput));
        EXPECT_FALSE(IsItemChecked(h, kRadioList));
        EXPECT_TRUE(IsItemChecked(h, kCheckId));  // another group
        Headless::Click(h, kRadioList);
        EXPECT_FALSE(IsItemChecked(h, kRadioInput));
    });
    EXPECT_EQ((std::vector<int>{kRadioInput, kRadioList}), clicked);
}

TEST_F(WindowingTest, ListViewRowsStatesAndItemChangedNotifications)
{
    std::vector<int> changed;
    dialog_.OnNotification(kListId, kLvnItemChanged, [&](const Notification& n) { changed.push_back(n.item); });
    Run([&](WindowHandle h) {
        WindowHandle list = ItemOf(h, kListId);
        ListSetExtendedStyle(list, kLvsExFullRowSelect);
        EXPECT_EQ(0, ListInsertColumn(list, 0, "Name", 80, kLvcfmtLeft));
        EXPECT_EQ(1, ListInsertColumn(list, 1, "Address", 115, kLvcfmtLeft));
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(i, ListInsertRow(list, i, "Scanner"));
            ListSetSubItem(list, i, 1, ("10.0.0." + std::to_string(i + 1)).c_str());
        }
        char text[32];
        ListGetSubItem(list, 2, 1, text, sizeof text);
        EXPECT_EQ(std::string("10.0.0.3"), text);
        EXPECT_EQ(115, ListColumnWidth(list, 1));
        EXPECT_TRUE(changed.empty());

        ListSetItemState(list, 0, kLvisSelected | kLvisFocused, kLvisSelected | kLvisFocused);
        EXPECT_EQ(std::vector<int>{0}, changed);
        Headless::ClickListRow(h, kListId, 2);  // row 0 loses selection, then focus; then row 2
        EXPECT_EQ((std::vector<int>{0, 0, 0, 2}), changed);
        EXPECT_EQ(0u, ListGetItemState(list, 0, kLvisSelected));
        EXPECT_EQ(kLvisSelected | kLvisFocused, ListGetItemState(list, 2, kLvisSelected | kLvisFocused));
        Headless::ClickListRow(h, kListId, -1);  // the empty part: the row that loses it is named
        EXPECT_EQ((std::vector<int>{0, 0, 0, 2, 2}), changed);
        EXPECT_TRUE(ListEnsureVisible(list, 1, false));
        EXPECT_EQ(1, Headless::EnsuredVisibleRow(list));
        ListSetItemState(list, 1, kLvisSelected, kLvisSelected);
        changed.clear();
        ListDeleteAllRows(list);  // the selected row is deselected before it goes
        EXPECT_EQ(std::vector<int>{1}, changed);
        EXPECT_EQ(0, ListRowCount(list));
    });
}

TEST_F(WindowingTest, DeviceContextsAndEditSelection)
{
    Run([](WindowHandle h) {
        DcHandle dc = GetWindowDc(h);
        ASSERT_NE(nullptr, dc);
        int width = 0, height = 0;
        EXPECT_TRUE(TextExtent(dc, "Scanner", &width, &height));
        EXPECT_EQ(49, width);
        ReleaseWindowDc(h, dc);
        EXPECT_EQ(0, Headless::OpenDcCount());
        Headless::FailWindowDc(true);
        EXPECT_EQ(nullptr, GetWindowDc(h));

        WindowHandle edit = ItemOf(h, kEditId);
        SetText(edit, "10.0.0.1");
        EditSetSelection(edit, 0, -1);
        EditScrollCaret(edit);
        SetFocusTo(edit);
        int start = -1, end = -1;
        EditGetSelection(edit, &start, &end);
        EXPECT_EQ(0, start);
        EXPECT_EQ(8, end);
        EXPECT_EQ(1, Headless::ScrollCaretCount(edit));
        EXPECT_EQ(edit, FocusedWindow());
    });
}

}  // namespace
