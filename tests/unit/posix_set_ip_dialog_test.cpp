// The address dialog on the headless windowing layer: enabling, the live search (rows, selection,
// status, what OK, Cancel and a protocol change do while it runs), and what confirm and cancel
// store. Its texts and main paths run under Wine in tests/lan/test_e2e_*.sh.
#include <gtest/gtest.h>

#include "doubles/headless_state.h"
#include "setup/settings_model.h"
#include "tests/unit/dialog_fixture.h"
#include "ui/other_networks_dialog.h"
#include "ui/set_ip_dialog.h"

namespace dialog_test {
namespace {

using namespace Windowing;
using namespace SetIpIds;

const std::vector<std::string> kWarned = {"The address is not valid. (warning)"};
const std::string kLink = "fe80:0000:0000:0000:0000:0000:0000:";

class SetIpDialogTest : public DialogTest {
protected:
    // The network answers the IPv4 broadcast from 198.51.100.10 and 198.51.100.20, and IPv6 from fe80::1
    // on eth0 and fe80::a1 on eth1, each 100 ms after its request.
    int Run(std::function<void(WindowHandle)> driver)
    {
        for (int round = 0; round < 3; ++round) {
            net.bursts.push_back({ScannerAt(10, 100), ScannerAt(20, 100)});
        }
        SetDriver(std::move(driver));
        CSetIPDlg dialog;
        dialog_ = &dialog;
        return dialog.DoModal();
    }
    void ScriptIPv6()
    {
        net.bursts.clear();
        for (int round = 0; round < 3; ++round) {
            net.bursts.push_back({ScannerAt(1, 100, kUdpIPv6)});
            net.bursts.push_back({ScannerAt(0xa1, 100, kUdpIPv6)});
        }
    }
    static std::vector<std::string> Rows(WindowHandle d)
    {
        std::vector<std::string> rows;
        WindowHandle list = ItemOf(d, kDeviceList);
        for (int row = 0; row < ListRowCount(list); ++row)
            rows.push_back(ListCellText(list, row, 1) + (ListGetItemState(list, row, kLvisSelected) ? "*" : ""));
        return rows;
    }
    CSetIPDlg* dialog_ = nullptr;
};

// OK needs a chosen row in list mode and text in input mode. A click on the list's empty part
// leaves no row chosen, and Confirm (the Enter key still reaches it) then warns and stores nothing.
TEST_F(SetIpDialogTest, EnablingFollowsTheModeAndTheRowReallySelected)
{
    Run([&](WindowHandle d) {
        auto expectMode = [&](bool input, bool ok) {
            for (int id : {kLabelAddress, kAddressEdit}) EXPECT_EQ(input, Enabled(d, id)) << id;
            for (int id : {kDeviceList, kSearchAgain}) EXPECT_EQ(!input, Enabled(d, id)) << id;
            EXPECT_TRUE(Enabled(d, kProtocolBox) && Enabled(d, kIdCancel));
            EXPECT_EQ(ok, Enabled(d, kIdOk));
        };
        RunSearch();
        expectMode(false, true);
        ASSERT_TRUE(Click(d, kRadioInput));
        expectMode(true, false);
        TypeText(d, kAddressEdit, "1");
        expectMode(true, true);
        ASSERT_TRUE(Click(d, kRadioList));
        expectMode(false, true);
        ASSERT_TRUE(ClickListRow(d, kDeviceList, 1));
        EXPECT_EQ(1, dialog_->selectedIndex);
        ASSERT_TRUE(ClickListRow(d, kDeviceList, -1));
        EXPECT_EQ(-1, dialog_->selectedIndex);
        expectMode(false, false);
        PressKey(d, kDeviceList, kVkReturn);
    });
    EXPECT_EQ(kWarned, Boxes());
    EXPECT_EQ("", rec.saves);
}

// The dialog is up with the search running: rows come as answers arrive, sorted, the first row
// selected until the user picks one, which then stays selected; "Search again" waits for the end;
// the status line and the marquee follow the search; every socket is closed at its end. Names and
// locations fill in place as they come, the serial is the row's tip; a header click sorts by its
// column, a second one reverses, and the picked row stays selected.
TEST_F(SetIpDialogTest, RowsArriveSortedWhileTheDialogIsUpAndThePickedRowStays)
{
    net.bursts = {{ScannerAt(20, 100), ScannerAt(9, 300), ScannerAt(10, 500), ScannerAt(4, 700)}, {}};
    auto details = [](const char* name, const char* location, const char* serial, int delayMs) {
        return std::vector<std::vector<Datagram>>{{{DetailsAnswer(0, 0, {Binding(kOidSysName, Str(name)),
            Binding(kOidSysLocation, Str(location)), Binding(kOidPrtGeneralSerialNumber1, Str(serial))}), {}, delayMs}}};
    };
    net.detailsTo = {{"198.51.100.9", details("annex", "Room 2", "SN9", 300)},
                     {"198.51.100.20", details("Basement MFP", "", "", 10)}};
    auto column = [](WindowHandle d, int c) {
        std::string cells;
        for (int row = 0; row < ListRowCount(ItemOf(d, kDeviceList)); ++row)
            cells += ListCellText(ItemOf(d, kDeviceList), row, c) + "|";
        return cells;
    };
    SetDriver([&](WindowHandle d) {
        EXPECT_TRUE(dialog_->Searching());
        EXPECT_EQ((std::vector<std::string>{}), Rows(d));
        EXPECT_EQ("Searching", Text(d, kSearchStatus));
        EXPECT_TRUE(MarqueeOn(ItemOf(d, kSearchProgress)) && IsWindowShown(ItemOf(d, kSearchProgress)));
        EXPECT_FALSE(Enabled(d, kSearchAgain));
        RunSearch(150);
        EXPECT_EQ((std::vector<std::string>{"198.51.100.20*"}), Rows(d));
        RunSearch(200);
        EXPECT_EQ((std::vector<std::string>{"198.51.100.20*", "198.51.100.9"}), Rows(d)) << "first row selected";
        ASSERT_TRUE(ClickListRow(d, kDeviceList, 1));
        RunSearch(400);
        EXPECT_EQ((std::vector<std::string>{"198.51.100.10", "198.51.100.20", "198.51.100.4", "198.51.100.9*"}),
                  Rows(d))
            << "the picked row stays selected";
        EXPECT_EQ(3, dialog_->selectedIndex);
        EXPECT_EQ("|Basement MFP||annex|", column(d, kColumnName));
        EXPECT_EQ("|||Room 2|", column(d, kColumnLocation));
        EXPECT_EQ("Serial SN9|", HoverListRow(d, kDeviceList, 3) + "|" + HoverListRow(d, kDeviceList, 1));
        for (const char* expected : {"198.51.100.10 198.51.100.4 198.51.100.9* 198.51.100.20 |||annex|Basement MFP|",
                                     "198.51.100.20 198.51.100.9* 198.51.100.4 198.51.100.10 |Basement MFP|annex|||"}) {
            ASSERT_TRUE(ClickListHeader(d, kDeviceList, kColumnName));
            const std::vector<std::string> shown = Rows(d);
            std::string rows;
            for (const std::string& row : shown) rows += row + " ";
            EXPECT_EQ(expected, rows + "|" + column(d, kColumnName));
            EXPECT_EQ(std::find(shown.begin(), shown.end(), "198.51.100.9*") - shown.begin(), dialog_->selectedIndex);
        }
        RunSearch();
        EXPECT_FALSE(dialog_->Searching());
        EXPECT_EQ(0u, net.OpenNow());
        EXPECT_EQ(1u, net.sends.size()) << "the opening search runs one pass";
        EXPECT_EQ("Found 4, 100% %s", Text(d, kSearchStatus));
        EXPECT_FALSE(MarqueeOn(ItemOf(d, kSearchProgress)) || IsWindowShown(ItemOf(d, kSearchProgress)));
        EXPECT_TRUE(Enabled(d, kSearchAgain));
        ASSERT_TRUE(Click(d, kSearchAgain));
        EXPECT_TRUE(dialog_->Searching());
        EXPECT_FALSE(Enabled(d, kSearchAgain));
        RunSearch();
        EXPECT_EQ("None", Text(d, kSearchStatus));
        EXPECT_EQ(3u, net.sends.size()) << "a later search runs two passes";
        net.failBindFrom = 1;  // no adapter can be searched: not an empty network
        ASSERT_TRUE(Click(d, kSearchAgain));
        RunSearch();
        EXPECT_EQ("Failed", Text(d, kSearchStatus));
        net.failBindFrom = 0;  // targets of 4097 addresses: searched without them, and the status line says so
        SettingValue refused;
        refused.texts = {"198.18.0.0/20", "203.0.113.9"};
        Settings::WriteUserSetting("R7245", SettingScope::ThisProduct, SettingId::DiscoveryTargets, refused);
        ASSERT_TRUE(Click(d, kSearchAgain));
        RunSearch();
        EXPECT_EQ("Refused", Text(d, kSearchStatus));
        EXPECT_EQ(5u, net.sends.size()) << "two broadcasts, no target";
        Click(d, kIdCancel);
    });
    CSetIPDlg dialog;
    dialog_ = &dialog;
    EXPECT_EQ(kIdCancel, dialog.DoModal());
}

// A burst of 120 answers is shown in place a bounded number of rows per step (the window answers
// between steps); rows inserted above the rows in view scroll with them, so the scanner under the
// user's pointer stays there and is the one a click picks; the picked row stays selected and in view.
TEST_F(SetIpDialogTest, ABurstIsInsertedInPlaceAFewRowsPerStepWithoutMovingTheRowsInView)
{
    std::vector<Datagram> burst;
    for (int last = 130; last < 250; ++last) burst.push_back(ScannerAt(static_cast<std::uint8_t>(last), 100));
    burst.push_back(ScannerAt(100, 400));  // sorts before every other row
    net.bursts = {burst, {}};
    SetDriver([&](WindowHandle d) {
        WindowHandle list = ItemOf(d, kDeviceList);
        RunSearch(100);
        const int first = ListRowCount(list);
        EXPECT_TRUE(first > 0 && first < 120) << first << " rows: the burst is shown over several steps";
        RunSearch(200);
        ASSERT_EQ(120, ListRowCount(list));
        ListEnsureVisible(list, 60, false);  // the user scrolls down and clicks the row at the top
        const int top = ListTopIndex(list);
        const std::string under = ListCellText(list, top, 1);
        ASSERT_TRUE(ClickListRow(d, kDeviceList, top));
        RunSearch();
        EXPECT_EQ(121, ListRowCount(list));
        EXPECT_EQ("198.51.100.100", ListCellText(list, 0, 1));
        EXPECT_EQ(under, ListCellText(list, ListTopIndex(list), 1)) << "the row in view stays in place";
        EXPECT_EQ(under + "*", Rows(d)[static_cast<size_t>(dialog_->selectedIndex)]);
        EXPECT_EQ(under, dialog_->deviceList.At(static_cast<size_t>(dialog_->selectedIndex)).address);
        Click(d, kIdOk);
    });
    CSetIPDlg dialog;
    dialog_ = &dialog;
    EXPECT_EQ(kIdOk, dialog.DoModal());
}

// OK and Cancel during a search end it at once (sockets closed, no timer left); OK stores the row
// selected then. A protocol change during a search drops it and searches the new protocol.
TEST_F(SetIpDialogTest, OkCancelAndProtocolChangeDuringASearch)
{
    for (int button : {kIdOk, kIdCancel}) {
        SCOPED_TRACE(button);
        Fresh();
        EXPECT_EQ(button, Run([&](WindowHandle d) {
                      RunSearch(150);
                      EXPECT_TRUE(dialog_->Searching());
                      EXPECT_EQ(2u, net.OpenNow()) << "the broadcast's socket and the details socket";
                      ASSERT_TRUE(Click(d, button));
                  }));
        EXPECT_EQ(0u, net.OpenNow());
        EXPECT_TRUE(ActiveTimers().empty());
        EXPECT_EQ(button == kIdOk ? "198.51.100.10|02:00:00:00:00:0A||0|0;" : "", rec.saves);
    }
    Fresh();
    Run([&](WindowHandle d) {
        ScriptIPv6();
        RunSearch(150);
        SetText(ItemOf(d, kAddressEdit), "198.51.100.7");
        ASSERT_TRUE(ChooseComboItem(d, kProtocolBox, 0));  // the item already chosen: nothing
        EXPECT_EQ("198.51.100.7", Text(d, kAddressEdit));
        EXPECT_EQ(1u, net.sends.size());
        ASSERT_TRUE(ChooseComboItem(d, kProtocolBox, 1));
        EXPECT_EQ("", Text(d, kAddressEdit));
        EXPECT_EQ(2u, net.OpenNow()) << "the IPv4 socket closed, one per IPv6 adapter open";
        EXPECT_EQ((std::vector<std::string>{}), Rows(d));
        RunSearch();
        EXPECT_EQ((std::vector<std::string>{kLink + "0001*", kLink + "00a1"}), Rows(d));
        EXPECT_EQ(5u, net.sends.size()) << "one IPv4 request, two IPv6 passes over two adapters side by side";
    });
}

// The field's filter and the opening search follow the item really selected, which falls back
// to IPv4 on a product without IPv6 even when IPv6 was stored.
TEST_F(SetIpDialogTest, FilterAndDiscoveryFollowTheSelectedProtocolItem)
{
    for (auto [product, stored, protocol] : {std::tuple{"R7245", 1, 1}, {"R7240", 1, 0}, {"R7245", -1, 0}}) {
        SCOPED_TRACE(std::string(product) + " " + std::to_string(stored));
        Fresh();
        Products::SetCurrent(*Products::ByCode(product));
        if (stored >= 0) SettingsStore::WriteRegDword(Key().c_str(), "ProtocolType", stored);
        Run([&](WindowHandle d) {
            EXPECT_EQ(protocol, ComboGetSelection(ItemOf(d, kProtocolBox)));
            Click(d, kRadioInput);
            TypeText(d, kAddressEdit, "fe80::1.x_");  // a host name's characters pass with either filter
            EXPECT_EQ(protocol == 0 ? "fe801.x" : "fe80::1.x", Text(d, kAddressEdit));
            Click(d, kIdCancel);
        });
        ASSERT_FALSE(net.sends.empty());
        EXPECT_EQ(protocol == 0 ? "0.0.0.0>255.255.255.255" : "::>ff02::1%2",
                  net.sends[0].substr(0, net.sends[0].find('@')));
    }
}

// A list row brings its MAC (and for IPv6 its adapter), a typed IPv6 address the adapter stored
// before; a bad address warns and stores nothing; Cancel stores only "IPDlgRet" 2, creating the key.
TEST_F(SetIpDialogTest, ConfirmAndCancelStoreWhatEachPathKnows)
{
    // typed: null for the list's second row.
    struct Case {
        int protocol;
        const char* typed;
        int button, result;
        std::string saved;
        const char* ipDlgRet;
    };
    const Case cases[] = {
        {0, nullptr, kIdOk, kIdOk, "198.51.100.20|02:00:00:00:00:14||0|0;", "\1"},
        {1, nullptr, kIdOk, kIdOk, kLink + "00a1|02:00:00:00:00:A1|eth1|1|0;", "\1"},
        {1, "fe80::1", kIdOk, kIdOk, "fe80::1|02:00:00:00:00:01|eth0|1|1;", "\1"},  // checked: it answers
        {0, "300.1.1.1", kIdOk, kLeftOpen, "", "<missing>"},
        {0, "192.168.001.010", kIdOk, kLeftOpen, "", "<missing>"},  // zero-padded octets: read as octal elsewhere
        {0, nullptr, kIdCancel, kIdCancel, "", "\2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        Fresh();
        if (c.button == kIdOk) SettingsStore::WriteRegString(Key().c_str(), "AdapName", "old0");
        EXPECT_EQ(c.result, Run([&](WindowHandle d) {
                      if (c.protocol == 1) ScriptIPv6(), ChooseComboItem(d, kProtocolBox, 1);
                      RunSearch();
                      if (c.typed)
                          Click(d, kRadioInput), SetText(ItemOf(d, kAddressEdit), c.typed);
                      else
                          ClickListRow(d, kDeviceList, 1);
                      ASSERT_TRUE(Click(d, c.button));
                      RunSearch();
                  }));
        EXPECT_EQ(c.saved, rec.saves);
        EXPECT_EQ(c.ipDlgRet, RegValue("IPDlgRet"));
        EXPECT_EQ(c.result == kLeftOpen ? kWarned : std::vector<std::string>{}, Boxes());
    }
}

// A choice that cannot be stored (the data folder is blocked by a file) is reported and keeps the
// dialog open; the values that could be written stay written. Once the folder is free, confirming
// again stores it and closes the dialog.
TEST_F(SetIpDialogTest, ASaveThatFailsIsReportedAndKeepsTheDialogOpen)
{
    std::string blocked = DataFolder(Products::Current());
    std::replace(blocked.begin(), blocked.end(), '\\', '/');
    std::filesystem::create_directories(std::filesystem::path(blocked).parent_path());
    std::ofstream(blocked) << "in the way";
    EXPECT_EQ(kIdOk, Run([&](WindowHandle d) {
                  RunSearch(150);  // OK while the search runs: it stops, and the dialog says so
                  ASSERT_TRUE(ClickListRow(d, kDeviceList, 1));
                  ASSERT_TRUE(Click(d, kIdOk));
                  EXPECT_EQ(std::vector<std::string>{"Not saved."}, Boxes());
                  EXPECT_EQ("Found 2, 100% %s", Text(d, kSearchStatus));
                  EXPECT_FALSE(MarqueeOn(ItemOf(d, kSearchProgress)) || IsWindowShown(ItemOf(d, kSearchProgress)));
                  EXPECT_TRUE(Enabled(d, kSearchAgain));
                  EXPECT_EQ("198.51.100.20", RegValue("IPAddress"));
                  std::filesystem::remove(blocked);
                  ASSERT_TRUE(Click(d, kIdOk));
              }));
    EXPECT_EQ("198.51.100.20|02:00:00:00:00:14||0|0;198.51.100.20|02:00:00:00:00:14||0|0;", rec.saves);
    EXPECT_EQ(1u, Boxes().size());
    EXPECT_TRUE(std::filesystem::is_regular_file(blocked + "/ScanLink.dat"));
}

// "Other networks...": the user's targets, one a line, read with the search's parser. Valid ones are
// stored for the user (an empty list removes the user's value) and the next search sends to them;
// the first bad line is named and selected and keeps the dialog open, as does a failed write,
// which loses nothing; policy disables the button; Cancel stores nothing.
TEST_F(SetIpDialogTest, OtherNetworksStoresCheckedTargetsAndSearchesThem)
{
    struct Case {
        std::vector<const char*> before;  // DiscoveryTargets of policy, machine defaults and user (null: none)
        const char* typed;
        int button;                  // 0: OK after a write that failed
        const char *shown, *status;  // the field at the opening (null: not opened); the status line
        int selStart, selEnd;
        const char *stored, *searched;  // the user's value after; a target the next search asks
    };
    const char* no = nullptr;
    const Case cases[] = {
        {{no, no, no}, " 192.0.2.9 \r\n\r\n192.0.2.0/30", kIdOk, "", "", 0, 0, "192.0.2.9,192.0.2.0/30", ">192.0.2.2@"},
        {{no, no, no}, "203.0.113.5\r\n203.0.113.0/33\r\n", kIdOk, "", "Line 2: bad block", 13, 27, "", ""},
        {{no, no, no}, "198.18.0.0/20\r\n203.0.113.9", kIdOk, "", "Line 2: too many", 15, 26, "", ""},  // 4097
        {{no, "192.0.2.0/29", no}, "192.0.2.7", 0, "192.0.2.0/29", "", 0, 0, "192.0.2.7", ">192.0.2.7@"},
        {{no, "192.0.2.0/29", "203.0.113.5"}, "", kIdOk, "203.0.113.5", "", 0, 0, "", ">192.0.2.6@"},
        {{no, no, "203.0.113.5"}, "198.51.100.7", kIdCancel, "203.0.113.5", "", 0, 0, "203.0.113.5", ""},
        {{"203.0.113.5", no, no}, no, kIdOk, no, no, 0, 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        Fresh();
        for (int level = 0; level < 3; ++level) {
            RegKeyHandle key = nullptr;
            const char* path = level == 0   ? kSettingsKeys.policy
                               : level == 1 ? kSettingsKeys.machine
                                            : kSettingsKeys.user;
            if (c.before[level] && (level == 2 ? Registry::CreateUserKey(path, "", &key)
                                               : Platform::CreateTestMachineKey(path, &key)) == kRegOk)
                Registry::SetMultiString(key, "DiscoveryTargets", {c.before[level]}), Registry::CloseUserKey(key);
        }
        Run([&](WindowHandle d) {
            RunSearch();
            SetDriver([&](WindowHandle inner) {
                using namespace OtherNetworksIds;
                EXPECT_EQ(c.shown, Text(inner, kTargetsEdit));
                SetText(ItemOf(inner, kTargetsEdit), c.typed);
                if (c.button == 0) PosixRegistry::SetStoreFile(root_.string());  // a folder: unreadable
                ASSERT_TRUE(Click(inner, c.button == kIdCancel ? kIdCancel : kIdOk));
                EXPECT_EQ(std::vector<std::string>(c.button == 0, "Targets not saved."), Boxes());
                PosixRegistry::SetStoreFile((root_ / "registry").string());
                if (c.button == 0) Click(inner, kIdOk);
                EXPECT_EQ(c.status, Text(inner, kStatus));
                const HeadlessDetail::Window* edit = HeadlessDetail::W(ItemOf(inner, kTargetsEdit));
                EXPECT_EQ(std::pair(c.selStart, c.selEnd), std::pair(edit->selStart, edit->selEnd));
                Click(inner, kIdCancel);  // a dialog left open by a refused line
            });
            const size_t before = net.sends.size();
            EXPECT_EQ(c.shown != nullptr, Click(d, kOtherNetworks)) << "disabled by policy only";
            RunSearch();
            std::string sent;
            for (size_t i = before; i < net.sends.size(); ++i) sent += net.sends[i] + " ";
            EXPECT_TRUE(*c.searched ? sent.find(c.searched) != std::string::npos : sent.empty()) << sent;
            Click(d, kIdCancel);
        });
        const SettingValue after = SettingsModel::ReadForCurrentProduct().Get(SettingId::DiscoveryTargets);
        std::string stored;
        for (const std::string& entry : after.texts) stored += (stored.empty() ? "" : ",") + entry;
        EXPECT_EQ(c.stored, after.level == SettingLevel::User ? stored : "");
    }
}

}  // namespace
}  // namespace dialog_test
