// The scanner address dialog on the headless windowing layer: opening, the enabling table of both
// modes, list selection, search again, protocol change, confirm and cancel, and what each stores.
// Discovery is a recorder (it needs a network); the settings store is the real one on the native
// file-backed registry and a private data folder.
#include <gtest/gtest.h>

#include "tests/unit/dialog_fixture.h"
#include "ui/set_ip_dialog.h"

namespace dialog_test {
namespace {

using namespace Windowing;
using namespace SetIpIds;

class SetIpDialogTest : public DialogTest {
protected:
    // Runs the dialog with driver acting as the user; returns DoModal's result.
    int Run(std::function<void(WindowHandle)> driver = nullptr)
    {
        Headless::SetDriver(std::move(driver));
        return dialog_.DoModal();
    }
    WindowHandle Item(WindowHandle d, int id) { return ItemOf(d, id); }
    std::string Row(WindowHandle d, int row, int column)
    {
        char text[100] = {};
        ListGetSubItem(Item(d, kDeviceList), row, column, text, sizeof text);
        return text;
    }
    bool RowSelected(WindowHandle d, int row)
    {
        return ListGetItemState(Item(d, kDeviceList), row, kLvisSelected | kLvisFocused) ==
               (kLvisSelected | kLvisFocused);
    }
    void ThreeScanners()
    {
        Rec().answers = {{Scanner("10.0.0.10", "00:11:22:33:44:0A"), Scanner("10.0.0.20", "00:11:22:33:44:14"),
                          Scanner("10.0.0.9", "00:11:22:33:44:09")}};
    }
    void ExpectNothingStored()
    {
        EXPECT_TRUE(Rec().saves.empty());
        EXPECT_EQ("<missing>", RegValue("IPAddress"));
        EXPECT_EQ("<missing>", DataFile());
    }

    CSetIPDlg dialog_;
};

TEST_F(SetIpDialogTest, OpeningSetsIconTextsCaptionAndColumns)
{
    ThreeScanners();
    Run([&](WindowHandle d) {
        EXPECT_EQ(kIconFamily0, Headless::SmallIconId(d));
        EXPECT_EQ("App Title", Text(d, 0));  // the caption key's text is replaced by the title
        EXPECT_EQ("Type the address", Text(d, kRadioInput));
        EXPECT_EQ("Protocol:", Text(d, kLabelProtocol));
        EXPECT_EQ("Address:", Text(d, kLabelAddress));
        EXPECT_EQ("Pick from the list", Text(d, kRadioList));
        EXPECT_EQ("Search again", Text(d, kSearchAgain));
        EXPECT_EQ("Fine", Text(d, kIdOk));
        EXPECT_EQ("Stop", Text(d, kIdCancel));

        WindowHandle list = Item(d, kDeviceList);
        EXPECT_EQ(kLvsExFullRowSelect, ListGetExtendedStyle(list));
        ASSERT_EQ(2, ListColumnCount(list));
        char header[40] = {};
        ListGetColumnHeader(list, 0, header, sizeof header);
        EXPECT_STREQ("Device", header);
        ListGetColumnHeader(list, 1, header, sizeof header);
        EXPECT_STREQ("IP address", header);
        // "chromaline 7245MF" (17 characters at 7 pixels) is wider than "Device".
        EXPECT_EQ(17 * 7, ListColumnWidth(list, 0));
        EXPECT_EQ(375 - 17 * 7 - 5, ListColumnWidth(list, 1));
        EXPECT_EQ(0, Headless::OpenDcCount());

        // Every row shows the device name; the addresses come in the list's order; row 0 chosen.
        ASSERT_EQ(3, ListRowCount(list));
        for (int row = 0; row < 3; ++row) EXPECT_EQ("chromaline 7245MF", Row(d, row, 0));
        EXPECT_EQ("10.0.0.10", Row(d, 0, 1));
        EXPECT_EQ("10.0.0.20", Row(d, 1, 1));
        EXPECT_EQ("10.0.0.9", Row(d, 2, 1));
        EXPECT_TRUE(RowSelected(d, 0));
        EXPECT_EQ(0, Headless::EnsuredVisibleRow(list));
        EXPECT_EQ(0, dialog_.selectedIndex);
        EXPECT_TRUE(Enabled(d, kIdOk));
        EXPECT_TRUE(IsItemChecked(d, kRadioList));
        EXPECT_FALSE(IsItemChecked(d, kRadioInput));
    });
    // Discovery ran once, with one pass, before the user saw the dialog.
    ASSERT_EQ(1u, Rec().discoveries.size());
    EXPECT_EQ(1, Rec().discoveries[0].passes);
    EXPECT_EQ(0, Rec().discoveries[0].protocol);
}

TEST_F(SetIpDialogTest, OpeningFallbacksIconFamilyMissingKeysNoDeviceContextAndScale)
{
    app_.m_nVariant = 3;  // product family 1, IPv4 only
    LoadStrings({{"STR_C_LABEL_PROTOCOL", ""}, {"STR_CMB_PROTOCOL_IPV4", ""}, {"STR_RATIO_DLG_SETIP", "1.5"}});
    Headless::FailWindowDc(true);
    Run([&](WindowHandle d) {
        EXPECT_EQ(kIconFamily1, Headless::SmallIconId(d));
        EXPECT_EQ("&Protocol:", Text(d, kLabelProtocol));  // the template's text stays
        WindowHandle box = Item(d, kProtocolBox);
        ASSERT_EQ(1, ComboCount(box));
        EXPECT_EQ(0, ComboTextLength(box, 0));  // an empty item: drawn as a separator
        EXPECT_EQ(0, ComboGetSelection(box));
        EXPECT_EQ(630, GetWindowRectangle(d).Width());  // 420 scaled by 1.5
        // Without a device context the first column takes half of the (scaled) list.
        const int listWidth = GetWindowRectangle(Item(d, kDeviceList)).Width();
        EXPECT_EQ(562, listWidth);
        EXPECT_EQ(listWidth / 2, ListColumnWidth(Item(d, kDeviceList), 0));
        EXPECT_EQ(listWidth - listWidth / 2 - 5, ListColumnWidth(Item(d, kDeviceList), 1));
    });
    int lookupFailures = 0;
    for (const auto& box : Platform::RecordedMessageBoxes()) lookupFailures += box.text == "Can not get StringTable.";
    EXPECT_EQ(2, lookupFailures);
}

// The protocol box, the stored protocol, the field's filter and the opening discovery's protocol.
TEST_F(SetIpDialogTest, StoredProtocolSelectsItemAndFilterFollowsTheSelectedItem)
{
    struct Case {
        int variant;
        int stored;  // -1: no "ProtocolType" value, -2: no key at all
        int items, selected, protocol;
    };
    const Case cases[] = {
        {1, -2, 2, 0, 0}, {1, -1, 2, 0, 0}, {1, 0, 2, 0, 0}, {1, 1, 2, 1, 1}, {1, 7, 2, 0, 0},
        // IPv4-only variant with IPv6 stored: the box falls back to IPv4, and so does the filter.
        {0, 1, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("variant " + std::to_string(c.variant) + " stored " + std::to_string(c.stored));
        app_.m_nVariant = c.variant;
        Rec() = Recorder{};
        ForgetStored();
        if (c.stored == -1) SetRegDword("IPDirectInput", 1);
        if (c.stored >= 0) SetRegDword("ProtocolType", c.stored);
        CSetIPDlg dialog;
        Headless::SetDriver([&](WindowHandle d) {
            WindowHandle box = Item(d, kProtocolBox);
            ASSERT_EQ(c.items, ComboCount(box));
            EXPECT_EQ(0, ComboGetData(box, 0));
            if (c.items == 2) {
                EXPECT_EQ(1, ComboGetData(box, 1));
            }
            EXPECT_EQ(c.selected, ComboGetSelection(box));
            EXPECT_EQ(c.selected, dialog.ProtocolBox().lastSelection);
            EXPECT_EQ(c.protocol == 0 ? 1 : 0, dialog.AddressEdit().ipv4Filter);
            EXPECT_EQ(c.protocol == 1 ? 1 : 0, dialog.AddressEdit().ipv6Filter);
            // With the IPv4 filter an IPv4 address can be typed in full.
            Click(d, kRadioInput);
            TypeText(d, kAddressEdit, "192.168.0.10");
            EXPECT_EQ(c.protocol == 0 ? "192.168.0.10" : "192168010", Text(d, kAddressEdit));
        });
        EXPECT_EQ(Headless::kLeftOpen, dialog.DoModal());
        ASSERT_EQ(1u, Rec().discoveries.size());
        EXPECT_EQ(c.protocol, Rec().discoveries[0].protocol);
    }
}

TEST_F(SetIpDialogTest, EnablingTableOfBothModesAndSwitchingKeepsTextListAndSelection)
{
    ThreeScanners();
    Run([&](WindowHandle d) {
        auto expectMode = [&](bool input, bool ok) {
            EXPECT_EQ(input, Enabled(d, kLabelAddress));
            EXPECT_EQ(input, Enabled(d, kAddressEdit));
            EXPECT_EQ(!input, Enabled(d, kDeviceList));
            EXPECT_EQ(!input, Enabled(d, kSearchAgain));
            EXPECT_TRUE(Enabled(d, kProtocolBox));
            EXPECT_TRUE(Enabled(d, kIdCancel));
            EXPECT_EQ(ok, Enabled(d, kIdOk));
        };
        expectMode(false, true);
        ClickListRow(d, kDeviceList, 2);
        ASSERT_TRUE(Click(d, kRadioInput));
        expectMode(true, false);  // nothing typed yet
        TypeText(d, kAddressEdit, "10");
        expectMode(true, true);
        TypeChar(d, kAddressEdit, 0x08);
        TypeChar(d, kAddressEdit, 0x08);
        expectMode(true, false);
        TypeText(d, kAddressEdit, "1.2");
        ASSERT_TRUE(Click(d, kRadioList));
        expectMode(false, true);
        EXPECT_EQ("1.2", Text(d, kAddressEdit));
        EXPECT_EQ(3, ListRowCount(Item(d, kDeviceList)));
        EXPECT_EQ(2, dialog_.selectedIndex);
        EXPECT_TRUE(RowSelected(d, 2));
    });
    EXPECT_EQ(1u, Rec().discoveries.size());  // switching modes runs no discovery
}

TEST_F(SetIpDialogTest, NothingFoundLeavesOkDisabledInListMode)
{
    Run([&](WindowHandle d) {
        EXPECT_EQ(0, ListRowCount(Item(d, kDeviceList)));
        EXPECT_EQ(-1, dialog_.selectedIndex);
        EXPECT_FALSE(Enabled(d, kIdOk));
        EXPECT_TRUE(Enabled(d, kSearchAgain));
    });
}

// A click on another row moves the choice there; a click on the list's empty part leaves nothing
// chosen (OK disabled), and confirming then stores nothing.
TEST_F(SetIpDialogTest, ListSelectionFollowsTheRowReallySelected)
{
    ThreeScanners();
    const int result = Run([&](WindowHandle d) {
        ASSERT_TRUE(ClickListRow(d, kDeviceList, 1));
        EXPECT_EQ(1, dialog_.selectedIndex);
        EXPECT_TRUE(Enabled(d, kIdOk));
        ASSERT_TRUE(ClickListRow(d, kDeviceList, -1));
        EXPECT_EQ(-1, dialog_.selectedIndex);
        EXPECT_FALSE(Enabled(d, kIdOk));
        EXPECT_FALSE(Click(d, kIdOk));
        PressKey(d, kDeviceList, kVkReturn);  // the Enter key still reaches Confirm
        ASSERT_EQ(1u, Boxes().size());
        EXPECT_EQ("The address is not valid.", Boxes()[0].text);
    });
    EXPECT_EQ(Headless::kLeftOpen, result);
    ExpectNothingStored();
}

TEST_F(SetIpDialogTest, SearchAgainRunsTwoPassesUnderTheWaitCursorAndSelectsTheFirst)
{
    Rec().answers = {{Scanner("10.0.0.10")}, {Scanner("10.0.0.30"), Scanner("10.0.0.40")}};
    Run([&](WindowHandle d) {
        ClickListRow(d, kDeviceList, -1);
        ASSERT_TRUE(Click(d, kSearchAgain));
        EXPECT_EQ(0, WaitCursor::Depth());
        EXPECT_EQ(2, ListRowCount(Item(d, kDeviceList)));
        EXPECT_EQ("10.0.0.30", Row(d, 0, 1));
        EXPECT_EQ(0, dialog_.selectedIndex);
        EXPECT_TRUE(RowSelected(d, 0));
        EXPECT_TRUE(Enabled(d, kIdOk));
    });
    ASSERT_EQ(2u, Rec().discoveries.size());
    EXPECT_EQ(0, Rec().discoveries[0].waitDepth);  // the opening: discovery shows its own cursor
    EXPECT_EQ(2, Rec().discoveries[1].passes);
    EXPECT_EQ(0, Rec().discoveries[1].protocol);
    EXPECT_EQ(1, Rec().discoveries[1].waitDepth);
}

TEST_F(SetIpDialogTest, ProtocolChangeEmptiesFieldSwitchesFilterAndSearchesAgain)
{
    Rec().answers = {{Scanner("10.0.0.10")},
                     {Scanner("fe80:0000:0000:0000:0000:0000:0000:0001", "", "eth0", 6)}};
    Run([&](WindowHandle d) {
        Click(d, kRadioInput);
        TypeText(d, kAddressEdit, "10.0.0.7");
        // Choosing the item already chosen does nothing.
        ASSERT_TRUE(ChooseComboItem(d, kProtocolBox, 0));
        EXPECT_EQ("10.0.0.7", Text(d, kAddressEdit));
        EXPECT_EQ(1u, Rec().discoveries.size());

        ASSERT_TRUE(ChooseComboItem(d, kProtocolBox, 1));
        EXPECT_EQ("", Text(d, kAddressEdit));
        EXPECT_FALSE(Enabled(d, kIdOk));  // input mode with an empty field
        EXPECT_EQ(1, dialog_.ProtocolBox().lastSelection);
        EXPECT_EQ(0, dialog_.AddressEdit().ipv4Filter);
        EXPECT_EQ(1, dialog_.AddressEdit().ipv6Filter);
        TypeText(d, kAddressEdit, "FE80::1.%g");
        EXPECT_EQ("FE80::1", Text(d, kAddressEdit));
        EXPECT_EQ(0, dialog_.selectedIndex);
        Click(d, kRadioList);
        EXPECT_TRUE(RowSelected(d, 0));
        EXPECT_TRUE(Enabled(d, kIdOk));
    });
    ASSERT_EQ(2u, Rec().discoveries.size());
    EXPECT_EQ(2, Rec().discoveries[1].passes);
    EXPECT_EQ(1, Rec().discoveries[1].protocol);
    EXPECT_EQ(1, Rec().discoveries[1].waitDepth);
}

// What Confirm stores in each path: list or typed, IPv4 or IPv6, with and without a stored adapter.
TEST_F(SetIpDialogTest, ConfirmStoresTheChoiceOfEachPath)
{
    struct Case {
        const char* name;
        int protocol;
        bool input;
        const char* typed;
        const char* storedAdapter;  // "AdapName" before the dialog opens, null for none
        SaveCall expected;
    };
    const char* v6 = "fe80:0000:0000:0000:0000:0000:0000:00a1";
    const Case cases[] = {
        {"list IPv4", 0, false, "", nullptr, {"10.0.0.20", "00:11:22:33:44:14", "", 0, 0}},
        {"list IPv6", 1, false, "", "old0", {v6, "00:11:22:33:44:A1", "eth1", 1, 0}},
        {"typed IPv4", 0, true, "192.168.1.20", "old0", {"192.168.1.20", "", "", 0, 1}},
        {"typed IPv6, adapter stored", 1, true, "fe80::1", "old0", {"fe80::1", "", "old0", 1, 1}},
        {"typed IPv6, no adapter", 1, true, "fe80::1", nullptr, {"fe80::1", "", "", 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rec() = Recorder{};
        ForgetStored();
        Rec().answers = {{Scanner("10.0.0.10", "00:11:22:33:44:0A"), Scanner("10.0.0.20", "00:11:22:33:44:14")},
                         {Scanner("fe80:0000:0000:0000:0000:0000:0000:0001", "00:11:22:33:44:01", "eth0", 6),
                          Scanner(v6, "00:11:22:33:44:A1", "eth1", 6)}};
        if (c.storedAdapter) SettingsStore::WriteRegString(Key().c_str(), "AdapName", c.storedAdapter);
        CSetIPDlg dialog;
        Headless::SetDriver([&](WindowHandle d) {
            if (c.protocol == 1) ChooseComboItem(d, kProtocolBox, 1);
            if (c.input) {
                Click(d, kRadioInput);
                TypeText(d, kAddressEdit, c.typed);
            } else {
                ClickListRow(d, kDeviceList, 1);
            }
            ASSERT_TRUE(Click(d, kIdOk));
        });
        ASSERT_EQ(kIdOk, dialog.DoModal());
        ASSERT_EQ(1u, Rec().saves.size());
        const SaveCall& s = Rec().saves[0];
        EXPECT_EQ(c.expected.address, s.address);
        EXPECT_EQ(c.expected.macAddress, s.macAddress);
        EXPECT_EQ(c.expected.adapterName, s.adapterName);
        EXPECT_EQ(c.expected.protocol, s.protocol);
        EXPECT_EQ(c.expected.direct, s.direct);
        EXPECT_EQ(c.expected.address, RegValue("IPAddress"));
        EXPECT_EQ("1", RegValue("IPDlgRet"));
        EXPECT_TRUE(Boxes().empty());
    }
    // The data file of the last case: address, MAC, protocol, adapter, direct input.
    EXPECT_EQ("fe80::1\r\n\r\n1\r\n\r\n1\r\n", DataFile());
}

TEST_F(SetIpDialogTest, RejectedAddressWarnsSelectsTheFieldAndStoresNothing)
{
    const std::string tooLong = "1.2.3.4" + std::string(140, '0');
    for (const std::string& typed : {std::string("192.168.0"), std::string("300.1.1.1"), tooLong}) {
        SCOPED_TRACE(typed.substr(0, 20));
        Platform::ClearRecordedMessageBoxes();
        CSetIPDlg dialog;
        Headless::SetDriver([&](WindowHandle d) {
            Click(d, kRadioInput);
            SetText(Item(d, kAddressEdit), typed.c_str());  // as pasted: no filter
            ASSERT_TRUE(Click(d, kIdOk));
            ASSERT_EQ(1u, Boxes().size());
            EXPECT_EQ(d, Boxes()[0].owner);
            EXPECT_EQ("The address is not valid.", Boxes()[0].text);
            EXPECT_EQ("App Title", Boxes()[0].caption);
            EXPECT_EQ(0x40030u, Boxes()[0].style);
            int start = -5, end = -5;
            EditGetSelection(Item(d, kAddressEdit), &start, &end);
            EXPECT_EQ(0, start);
            EXPECT_EQ(static_cast<int>(typed.size()), end);
            EXPECT_EQ(1, Headless::ScrollCaretCount(Item(d, kAddressEdit)));
            EXPECT_EQ(Item(d, kAddressEdit), FocusedWindow());
        });
        EXPECT_EQ(Headless::kLeftOpen, dialog.DoModal());
    }
    ExpectNothingStored();
}

TEST_F(SetIpDialogTest, EnterInTheFieldConfirmsAndEscapeCancels)
{
    const int ok = Run([&](WindowHandle d) {
        Click(d, kRadioInput);
        TypeText(d, kAddressEdit, "10.1.2.3");
        PressKey(d, kAddressEdit, kVkReturn);
    });
    EXPECT_EQ(kIdOk, ok);
    EXPECT_EQ("10.1.2.3", RegValue("IPAddress"));

    CSetIPDlg second;
    Headless::SetDriver([&](WindowHandle d) {
        Click(d, kRadioInput);
        PressKey(d, kAddressEdit, kVkEscape);
    });
    EXPECT_EQ(kIdCancel, second.DoModal());
    EXPECT_EQ("2", RegValue("IPDlgRet"));
}

TEST_F(SetIpDialogTest, CancelMarksIPDlgRetCreatingTheKeyAndStoresNothingElse)
{
    ThreeScanners();
    EXPECT_EQ(kIdCancel, Run([&](WindowHandle d) { ASSERT_TRUE(Click(d, kIdCancel)); }));
    EXPECT_EQ("2", RegValue("IPDlgRet"));
    RegKeyHandle key = nullptr;
    ASSERT_EQ(kRegOk, Registry::OpenUserKey(Key().c_str(), &key));
    char keyClass[32] = {};
    EXPECT_EQ(kRegOk, Registry::QueryKeyClass(key, keyClass, sizeof keyClass));
    Registry::CloseUserKey(key);
    EXPECT_STREQ("option", keyClass);
    ExpectNothingStored();
}

TEST_F(SetIpDialogTest, CancelWithARefusedRegistryStillCloses)
{
    PosixRegistry::SetChangesRefused(true);
    CSetIPDlg dialog;
    Headless::SetDriver([&](WindowHandle d) { Click(d, kIdCancel); });
    EXPECT_EQ(kIdCancel, dialog.DoModal());
    PosixRegistry::SetChangesRefused(false);
    EXPECT_EQ("<missing>", RegValue("IPDlgRet"));
}

}  // namespace
}  // namespace dialog_test
