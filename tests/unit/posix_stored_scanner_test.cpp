// The address dialog finds the user's scanner: after a search the row with the stored MAC address
// (for the stored protocol) is selected and scrolled to instead of the first, and a row the user
// picks afterwards is what OK stores. Discovery is the fixture's stand-in.
#include <gtest/gtest.h>

#include "doubles/headless_state.h"
#include "tests/unit/dialog_fixture.h"
#include "ui/set_ip_dialog.h"

namespace dialog_test {
namespace {

using namespace Windowing;
using namespace SetIpIds;

TEST_F(DialogTest, TheStoredScannersRowIsSelectedAndAPickLaterWins)
{
    struct Case {
        const char* what;
        const char* storedMac;
        int storedProtocol;
        int pick;  // the row the user clicks before OK; -1 for none
        int selected;
        const char* saves;
    };
    const Case cases[] = {
        {"its MAC, letter case ignored", "02:00:00:00:00:2a", 0, -1, 1, "198.51.100.9|02:00:00:00:00:2A||0|0;"},
        {"the user's later pick wins", "02:00:00:00:00:2A", 0, 2, 1, "198.51.100.90|02:00:00:00:00:3A||0|0;"},
        {"not listed: the first row", "02:00:00:00:00:4A", 0, -1, 0, "198.51.100.10|02:00:00:00:00:1A||0|0;"},
        {"no MAC stored: the first row", "", 0, -1, 0, "198.51.100.10|02:00:00:00:00:1A||0|0;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        SettingsStore::Save("198.51.100.5", c.storedMac, "", c.storedProtocol, 0);
        // Sorted as the dialog's list is: "198.51.100.10" < "198.51.100.9" < "198.51.100.90".
        const std::vector<DeviceRecord> found = {Scanner("198.51.100.10", "02:00:00:00:00:1A"),
                                                 Scanner("198.51.100.9", "02:00:00:00:00:2A"),
                                                 Scanner("198.51.100.90", "02:00:00:00:00:3A")};
        rec.answers = {found, found};
        SetDriver([&](WindowHandle d) {
            HeadlessDetail::Window* list = HeadlessDetail::W(ItemOf(d, kDeviceList));
            for (int pass = 0; pass < 2; ++pass) {  // the opening search, then Search again
                EXPECT_EQ(c.selected, list->ensured) << pass;
                for (int row = 0; row < 3; ++row) {
                    EXPECT_EQ(row == c.selected, (list->rows[row].state & kLvisSelected) != 0) << pass << row;
                }
                if (pass == 0) {
                    ASSERT_TRUE(Click(d, kSearchAgain));
                }
            }
            if (c.pick >= 0) {
                ASSERT_TRUE(ClickListRow(d, kDeviceList, c.pick));
            }
            ASSERT_TRUE(Click(d, kIdOk));
        });
        CSetIPDlg dialog;
        EXPECT_EQ(kIdOk, dialog.DoModal());
        EXPECT_EQ(c.saves, rec.saves);
    }
}

// A connection stored for IPv6 is found in an IPv6 search only: after the change to IPv4 the
// first row is selected.
TEST_F(DialogTest, TheStoredScannerCountsOnlyForItsProtocol)
{
    SettingsStore::Save("fe80::5", "02:00:00:00:00:2A", "eth0", 1, 0);
    const std::vector<DeviceRecord> found = {Scanner("fe80::1", "02:00:00:00:00:1A", "eth0", 6),
                                             Scanner("fe80::2", "02:00:00:00:00:2A", "eth0", 6)};
    rec.answers = {found, found};
    std::vector<int> selected;
    SetDriver([&](WindowHandle d) {
        HeadlessDetail::Window* list = HeadlessDetail::W(ItemOf(d, kDeviceList));
        selected.push_back(list->ensured);
        ASSERT_TRUE(ChooseComboItem(d, kProtocolBox, 0));
        selected.push_back(list->ensured);
        ASSERT_TRUE(Click(d, kIdCancel));
    });
    CSetIPDlg dialog;
    EXPECT_EQ(kIdCancel, dialog.DoModal());
    EXPECT_EQ((std::vector<std::string>{"1 1 0", "2 0 1"}), rec.discoveries);
    EXPECT_EQ((std::vector<int>{1, 0}), selected);
}

}  // namespace
}  // namespace dialog_test
