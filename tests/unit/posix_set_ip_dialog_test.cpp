// The address dialog on the headless windowing layer: enabling, the row and protocol in force, and
// what confirm and cancel store. Its texts and main paths run under Wine in tests/lan/test_e2e_*.sh.
#include <gtest/gtest.h>

#include "tests/unit/dialog_fixture.h"
#include "ui/set_ip_dialog.h"

namespace dialog_test {
namespace {

using namespace Windowing;
using namespace SetIpIds;

const std::vector<std::string> kWarned = {"The address is not valid. (warning)"};

class SetIpDialogTest : public DialogTest {
protected:
    int Run(std::function<void(WindowHandle)> driver)
    {
        rec.answers = {{Scanner("10.0.0.10", "M10"), Scanner("10.0.0.20", "M20")},
                       {Scanner("fe80::1", "M1", "eth0", 6), Scanner("fe80::a1", "MA1", "eth1", 6)}};
        SetDriver(std::move(driver));
        CSetIPDlg dialog;
        dialog_ = &dialog;
        return dialog.DoModal();
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

// The field's filter and the opening discovery follow the item really selected, which falls back
// to IPv4 on a variant without IPv6 even when IPv6 was stored.
TEST_F(SetIpDialogTest, FilterAndDiscoveryFollowTheSelectedProtocolItem)
{
    for (auto [variant, stored, protocol] : {std::tuple{1, 1, 1}, {0, 1, 0}, {1, -1, 0}}) {
        SCOPED_TRACE(variant * 10 + stored);
        Fresh();
        VariantTable::SetCurrent(variant);
        if (stored >= 0) SettingsStore::WriteRegDword(Key().c_str(), "ProtocolType", stored);
        Run([&](WindowHandle d) {
            EXPECT_EQ(protocol, ComboGetSelection(ItemOf(d, kProtocolBox)));
            Click(d, kRadioInput);
            TypeText(d, kAddressEdit, "192.168.0.10");
            EXPECT_EQ(protocol == 0 ? "192.168.0.10" : "192168010", Text(d, kAddressEdit));
        });
        EXPECT_EQ(std::vector<std::string>{"1 " + std::to_string(protocol) + " 0"}, rec.discoveries);
    }
}

TEST_F(SetIpDialogTest, ChangingTheProtocolEmptiesTheFieldAndSearchesTwice)
{
    Run([&](WindowHandle d) {
        SetText(ItemOf(d, kAddressEdit), "10.0.0.7");
        ASSERT_TRUE(ChooseComboItem(d, kProtocolBox, 0));  // the item already chosen: nothing
        EXPECT_EQ("10.0.0.7", Text(d, kAddressEdit));
        ASSERT_TRUE(ChooseComboItem(d, kProtocolBox, 1));
        EXPECT_EQ("", Text(d, kAddressEdit));
    });
    EXPECT_EQ((std::vector<std::string>{"1 0 0", "2 1 1"}), rec.discoveries);  // the new search under the wait cursor
}

// A list row brings its MAC (and for IPv6 its adapter), a typed IPv6 address the adapter stored
// before; a bad address warns and stores nothing; Cancel stores only "IPDlgRet" 2, creating the key.
TEST_F(SetIpDialogTest, ConfirmAndCancelStoreWhatEachPathKnows)
{
    // typed: null for the list's second row.
    struct Case { int protocol; const char* typed; int button, result; const char *saved, *ipDlgRet; };
    const Case cases[] = {
        {0, nullptr, kIdOk, kIdOk, "10.0.0.20|M20||0|0;", "\1"},
        {1, nullptr, kIdOk, kIdOk, "fe80::a1|MA1|eth1|1|0;", "\1"},
        {1, "fe80::1", kIdOk, kIdOk, "fe80::1||old0|1|1;", "\1"},
        {0, "300.1.1.1", kIdOk, kLeftOpen, "", "<missing>"},
        {0, "192.168.001.010", kIdOk, kLeftOpen, "", "<missing>"},  // zero-padded octets: read as octal elsewhere
        {0, nullptr, kIdCancel, kIdCancel, "", "\2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        Fresh();
        if (c.button == kIdOk) SettingsStore::WriteRegString(Key().c_str(), "AdapName", "old0");
        EXPECT_EQ(c.result, Run([&](WindowHandle d) {
            if (c.protocol == 1) ChooseComboItem(d, kProtocolBox, 1);
            if (c.typed) Click(d, kRadioInput), SetText(ItemOf(d, kAddressEdit), c.typed);
            else ClickListRow(d, kDeviceList, 1);
            ASSERT_TRUE(Click(d, c.button));
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
    char folder[260] = {};
    VariantTable::Get(kDataFolder, folder, sizeof folder);
    std::string blocked = folder;
    std::replace(blocked.begin(), blocked.end(), '\\', '/');
    std::filesystem::create_directories(std::filesystem::path(blocked).parent_path());
    std::ofstream(blocked) << "in the way";
    EXPECT_EQ(kIdOk, Run([&](WindowHandle d) {
        ClickListRow(d, kDeviceList, 1);
        ASSERT_TRUE(Click(d, kIdOk));
        EXPECT_EQ(std::vector<std::string>{"Not saved."}, Boxes());
        EXPECT_EQ("10.0.0.20", RegValue("IPAddress"));
        std::filesystem::remove(blocked);
        ASSERT_TRUE(Click(d, kIdOk));
    }));
    EXPECT_EQ("10.0.0.20|M20||0|0;10.0.0.20|M20||0|0;", rec.saves);
    EXPECT_EQ(1u, Boxes().size());
    EXPECT_TRUE(std::filesystem::is_regular_file(blocked + "/ScanLink.dat"));
}

}  // namespace
}  // namespace dialog_test
