// The address dialog finds the user's scanner: after a search the row with the stored MAC address
// (for the stored protocol) is selected and scrolled to instead of the first, and a row the user
// picks afterwards is what OK stores. The search runs over the fixture's scripted network.
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
        int pick;  // the row the user clicks before OK; -1 for none
        int selected;
        const char* saves;
        const char* defaultScanner = "";  // the DefaultScanner setting
        const char* storedName = "";      // HostName stored beside the connection: shown in the field
    };
    // The rows, sorted as the dialog's list is: "198.51.100.10" (MAC ...:0A) < "198.51.100.9" (...:09) <
    // "198.51.100.90" (...:5A).
    const Case cases[] = {
        {"its MAC, letter case ignored", "02:00:00:00:00:5a", -1, 2, "198.51.100.90|02:00:00:00:00:5A||0|0;"},
        {"the user's later pick wins", "02:00:00:00:00:5A", 1, 2, "198.51.100.9|02:00:00:00:00:09||0|0;"},
        {"not listed: the first row", "02:00:00:00:00:4B", -1, 0, "198.51.100.10|02:00:00:00:00:0A||0|0;"},
        {"no MAC stored: the first row", "", -1, 0, "198.51.100.10|02:00:00:00:00:0A||0|0;"},
        // Nothing stored (null MAC): DefaultScanner's row, by address or by name (mfp: 198.51.100.90).
        {"DefaultScanner", nullptr, -1, 1, "198.51.100.9|02:00:00:00:00:09||0|0;", "198.51.100.9"},
        {"DefaultScanner by name", nullptr, -1, 2, "198.51.100.90|02:00:00:00:00:5A||0|0;", "mfp.example.test"},
        {"a stored connection, not listed, wins over DefaultScanner", "02:00:00:00:00:4B", -1, 0,
         "198.51.100.10|02:00:00:00:00:0A||0|0;", "198.51.100.9", "mfp.example.test"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        if (c.storedMac != nullptr) SettingsStore::Save("198.51.100.5", c.storedMac, "", 0, 0);
        ASSERT_TRUE(MarkHostName(c.storedName));
        SettingsStore::WriteRegString("Software\\ScanLink", "DefaultScanner", c.defaultScanner);
        rec.names = {{"mfp.example.test", "198.51.100.90"}};
        rec.saves.clear();
        for (int request = 0; request < 4; ++request)
            net.bursts.push_back({ScannerAt(10, 50), ScannerAt(9, 100), ScannerAt(90, 150)});
        SetDriver([&](WindowHandle d) {
            HeadlessDetail::Window* list = HeadlessDetail::W(ItemOf(d, kDeviceList));
            EXPECT_EQ(c.storedName, Text(d, kAddressEdit));
            for (int search = 0; search < 2; ++search) {  // the opening search, then Search again
                RunSearch();
                ASSERT_EQ(3u, list->rows.size()) << search;
                EXPECT_EQ(c.selected, list->ensured) << search;
                for (int row = 0; row < 3; ++row) {
                    EXPECT_EQ(row == c.selected, (list->rows[row].state & kLvisSelected) != 0) << search << row;
                }
                if (search == 0) {
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

// The stored scanner found at another address: the status line says it moved (old and new) while
// its row is the one chosen, and OK stores the new address with its MAC.
TEST_F(DialogTest, AMovedScannerIsNamedInTheStatusLine)
{
    SettingsStore::Save("198.51.100.5", "02:00:00:00:00:5A", "", 0, 0);
    rec.saves.clear();
    net.bursts.push_back({ScannerAt(10, 50), ScannerAt(90, 100)});
    SetDriver([&](WindowHandle d) {
        RunSearch();
        EXPECT_EQ("Moved from 198.51.100.5 to 198.51.100.90 (%s %d)", Text(d, kSearchStatus));
        ASSERT_TRUE(ClickListRow(d, kDeviceList, 0));
        EXPECT_EQ("Found 2, 100% %s", Text(d, kSearchStatus));
        ASSERT_TRUE(ClickListRow(d, kDeviceList, 1));
        EXPECT_EQ("Moved from 198.51.100.5 to 198.51.100.90 (%s %d)", Text(d, kSearchStatus));
        ASSERT_TRUE(Click(d, kIdOk));
    });
    CSetIPDlg dialog;
    EXPECT_EQ(kIdOk, dialog.DoModal());
    EXPECT_EQ("198.51.100.90|02:00:00:00:00:5A||0|0;", rec.saves);
}

// A connection stored for IPv6 is found in an IPv6 search only: after the change to IPv4 the
// first row is selected.
TEST_F(DialogTest, TheStoredScannerCountsOnlyForItsProtocol)
{
    SettingsStore::Save("fe80::5", "02:00:00:00:00:02", "eth0", 1, 0);
    // The opening IPv6 search asks through both adapters; the scanners answer through the first.
    net.bursts.push_back({ScannerAt(1, 50, kUdpIPv6), ScannerAt(2, 50, kUdpIPv6)});
    net.bursts.push_back({});
    for (int request = 0; request < 4; ++request) net.bursts.push_back({ScannerAt(1, 50), ScannerAt(2, 50)});
    std::vector<int> selected;
    SetDriver([&](WindowHandle d) {
        HeadlessDetail::Window* list = HeadlessDetail::W(ItemOf(d, kDeviceList));
        RunSearch();
        selected.push_back(list->ensured);
        EXPECT_EQ("Moved from fe80::5 to fe80::2 (%s %d)", Text(d, kSearchStatus)) << "compressed to fit the line";
        ASSERT_TRUE(ChooseComboItem(d, kProtocolBox, 0));
        RunSearch();
        selected.push_back(list->ensured);
        ASSERT_TRUE(Click(d, kIdCancel));
    });
    CSetIPDlg dialog;
    EXPECT_EQ(kIdCancel, dialog.DoModal());
    EXPECT_EQ((std::vector<int>{1, 0}), selected);
}

}  // namespace
}  // namespace dialog_test
