// The commit flow and the start-up hand-off on the headless windowing layer: registration (and the
// maintenance search) under the wait cursor, then each launch mode with its options, what the user
// is shown and what is stored. Registration and discovery are recorders (they need the device
// installer and a network); the settings store is the real one on the native registry stand-in.
#include <gtest/gtest.h>

#include "app/handoff.h"
#include "setup/commit_flow.h"
#include "tests/unit/dialog_fixture.h"

namespace dialog_test {
namespace {

using namespace Windowing;

enum Choice { kNone, kUsb, kNetwork, kEscape };  // the user's answer in the connection-type dialog

struct FlowCase {
    const char* name;
    int mode;
    int quiet, maintenance;
    int findResult;        // what the maintenance search answers
    Choice choice;         // AskPort only
    bool addressOk;        // the address dialog: OK on the first scanner, else Cancel
    // Expected:
    int result;
    bool registered;
    std::vector<int> dialogs;  // templates shown, in order
    const char* box;           // the one message box's text, null for none
    unsigned boxStyle;
    bool stored;               // a choice was saved ("IPDlgRet" 1)
};

class CommitFlowTest : public DialogTest {
protected:
    std::vector<int> dialogs_;
    size_t registrationsAtFirstDialog_ = 99;

    void Drive(Choice choice, bool addressOk)
    {
        Headless::SetDriver([this, choice, addressOk](WindowHandle d) {
            if (ItemOf(d, 3003) != nullptr) {  // the connection-type dialog
                if (dialogs_.empty()) registrationsAtFirstDialog_ = Rec().registrations.size();
                dialogs_.push_back(3000);
                if (choice == kNetwork) Click(d, 3004);
                if (choice == kEscape) PressKey(d, 3004, kVkEscape);
                else if (choice != kNone) Click(d, kIdOk);
                return;
            }
            dialogs_.push_back(3005);
            Click(d, addressOk ? kIdOk : kIdCancel);
        });
    }
    void Reset()
    {
        Rec() = Recorder{};
        Rec().answers = {{Scanner("10.0.0.5", "00:11:22:33:44:05")}};
        dialogs_.clear();
        registrationsAtFirstDialog_ = 99;
        Headless::Reset();
        Headless::AddTemplate(SetIpTemplate());
        Headless::AddTemplate(SelConnectTemplate());
        ForgetStored();
        Platform::ClearRecordedMessageBoxes();
    }
};

TEST_F(CommitFlowTest, EveryLaunchModeWithItsOptions)
{
    const char* usb = "The chromaline 7245MF is ready on USB.";
    const char* unfinished = "The network setting is unfinished.";
    const unsigned info = 0x40040, warn = 0x40030;
    const FlowCase cases[] = {
        {"usb", UsbPort, 0, 0, 5, kNone, true, 0, true, {}, usb, info, false},
        {"usb quiet", UsbPort, 1, 0, 5, kNone, true, 0, true, {}, nullptr, 0, false},
        {"usb maintenance, present", UsbPort, 0, 1, 0, kNone, true, 0, false, {}, nullptr, 0, false},
        {"usb maintenance, absent", UsbPort, 0, 1, 5, kNone, true, 0, true, {}, nullptr, 0, false},
        {"usb maintenance, no memory", UsbPort, 0, 1, 1, kNone, true, 1, false, {}, nullptr, 0, false},
        {"usb maintenance, no list", UsbPort, 0, 1, 2, kNone, true, 2, false, {}, nullptr, 0, false},
        {"usb quiet maintenance, absent", UsbPort, 1, 1, 5, kNone, true, 0, true, {}, nullptr, 0, false},
        {"network ok", NetworkPort, 0, 0, 5, kNone, true, 0, true, {3005}, nullptr, 0, true},
        {"network cancel", NetworkPort, 0, 0, 5, kNone, false, 0, true, {3005}, unfinished, warn, false},
        {"network quiet cancel", NetworkPort, 1, 0, 5, kNone, false, 0, true, {3005}, unfinished, warn, false},
        {"network maintenance, present", NetworkPort, 0, 1, 0, kNone, true, 0, false, {3005}, nullptr, 0, true},
        {"network maintenance, absent", NetworkPort, 0, 1, 5, kNone, false, 0, true, {3005}, unfinished, warn, false},
        {"ask usb", AskPort, 0, 0, 5, kUsb, true, 0, true, {3000}, usb, info, false},
        {"ask usb quiet", AskPort, 1, 0, 5, kUsb, true, 0, true, {3000}, nullptr, 0, false},
        {"ask usb maintenance", AskPort, 0, 1, 0, kUsb, true, 0, false, {3000}, nullptr, 0, false},
        {"ask network maintenance", AskPort, 0, 1, 0, kNetwork, true, 0, false, {3000, 3005}, nullptr, 0, true},
        {"ask network ok", AskPort, 0, 0, 5, kNetwork, true, 0, true, {3000, 3005}, nullptr, 0, true},
        {"ask network cancel", AskPort, 0, 0, 5, kNetwork, false, 0, true, {3000, 3005}, unfinished, warn, false},
        {"ask cancelled", AskPort, 0, 0, 5, kEscape, true, 0, true, {3000}, nullptr, 0, false},
        {"ask left open", AskPort, 0, 0, 5, kNone, true, 0, true, {3000}, nullptr, 0, false},
    };
    char hardwareId[64] = {}, infPath[260] = {}, description[64] = {};
    VariantTable::Get(kHardwareId, hardwareId, sizeof hardwareId);
    VariantTable::Get(kInfPath, infPath, sizeof infPath);
    VariantTable::Get(kDeviceDescription, description, sizeof description);

    for (const FlowCase& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        app_.m_nLaunchMode = c.mode;
        app_.m_bQuiet = c.quiet;
        app_.m_bMaintenance = c.maintenance;
        app_.m_nConnection = 0;
        Rec().findResult = c.findResult;
        Drive(c.choice, c.addressOk);

        EXPECT_EQ(c.result, CommitConnection());

        EXPECT_EQ(c.maintenance ? std::vector<std::string>{description} : std::vector<std::string>{}, Rec().finds);
        ASSERT_EQ(c.registered ? 1u : 0u, Rec().registrations.size());
        if (c.registered) {
            EXPECT_EQ(infPath, Rec().registrations[0].infPath);
            EXPECT_EQ(hardwareId, Rec().registrations[0].hardwareId);
            EXPECT_EQ(1, Rec().registrations[0].waitDepth);
        }
        EXPECT_EQ(0, WaitCursor::Depth());
        if (c.mode == AskPort) {
            EXPECT_EQ(c.registered ? 1u : 0u, registrationsAtFirstDialog_);
        }
        EXPECT_EQ(c.dialogs, dialogs_);
        if (c.box) {
            ASSERT_EQ(1u, Boxes().size());
            EXPECT_EQ(c.box, Boxes()[0].text);
            EXPECT_EQ(c.boxStyle, Boxes()[0].style);
            EXPECT_EQ(nullptr, Boxes()[0].owner);
            EXPECT_EQ("VEL MORA chromaline 7245MF", Boxes()[0].caption);
        } else {
            EXPECT_TRUE(Boxes().empty());
        }
        EXPECT_EQ(c.stored ? 1u : 0u, Rec().saves.size());
        const bool addressDialogRan = !c.dialogs.empty() && c.dialogs.back() == 3005;
        EXPECT_EQ(c.stored ? "1" : addressDialogRan ? "2" : "<missing>", RegValue("IPDlgRet"));
        if (!c.stored) {
            EXPECT_EQ("<missing>", DataFile());
        }
    }
}

TEST_F(CommitFlowTest, RegistrationResultBecomesTheFlowsResult)
{
    Reset();
    app_.m_nLaunchMode = UsbPort;
    app_.m_bQuiet = 1;
    Rec().registerResult = 2;  // no INF file
    EXPECT_EQ(2, CommitConnection());
    app_.m_bMaintenance = 1;
    Rec().findResult = 5;
    EXPECT_EQ(2, CommitConnection());
    EXPECT_EQ(2u, Rec().registrations.size());
}

TEST_F(CommitFlowTest, GivenAddressIsStoredWithoutADialog)
{
    // In maintenance mode with the device present nothing is registered, and the address is
    // still stored; "/quiet" changes nothing here.
    for (int maintenance : {1, 0}) {
        SCOPED_TRACE(maintenance);
        Reset();
        app_.m_nLaunchMode = GivenAddress;
        app_.m_bMaintenance = maintenance;
        app_.m_bQuiet = 1;
        Rec().findResult = 0;
        std::strcpy(app_.m_szGivenAddress, "192.168.1.20");
        Drive(kNone, true);
        EXPECT_EQ(0, CommitConnection());
        EXPECT_TRUE(dialogs_.empty());
        EXPECT_TRUE(Boxes().empty());
        EXPECT_EQ(maintenance ? 0u : 1u, Rec().registrations.size());
        ASSERT_EQ(1u, Rec().saves.size());
    }
    EXPECT_EQ("192.168.1.20\r\n\r\n0\r\n\r\n1\r\n", DataFile());
    EXPECT_EQ("192.168.1.20", RegValue("IPAddress"));
    EXPECT_EQ("", RegValue("MACAddr"));
    EXPECT_EQ("", RegValue("AdapName"));
    EXPECT_EQ("0", RegValue("ProtocolType"));
    EXPECT_EQ("1", RegValue("IPDirectInput"));
    EXPECT_EQ("1", RegValue("IPDlgRet"));
}

TEST_F(CommitFlowTest, StandaloneHandOffRunsOnlyTheAddressDialog)
{
    for (bool ok : {false, true}) {
        Reset();
        app_.m_nLaunchMode = Standalone;
        Drive(kNone, ok);
        EXPECT_EQ(0, RunStandaloneAddressDialog());
        EXPECT_EQ(std::vector<int>{3005}, dialogs_);
        EXPECT_TRUE(Boxes().empty());  // no warning on cancel
        EXPECT_TRUE(Rec().registrations.empty());
        EXPECT_TRUE(Rec().finds.empty());
        EXPECT_EQ(ok ? "1" : "2", RegValue("IPDlgRet"));
    }
}

TEST(FormatProductMessage, FillsTheFirstPercentSOnlyAndNeverOverflows)
{
    char text[64];
    FormatProductMessage("The %s is ready.", "7245MF", text, sizeof text);
    EXPECT_STREQ("The 7245MF is ready.", text);
    FormatProductMessage("%s and %s, 100%% %d", "A", text, sizeof text);
    EXPECT_STREQ("A and %s, 100% %d", text);
    FormatProductMessage("no name%", "A", text, sizeof text);
    EXPECT_STREQ("no name%", text);
    FormatProductMessage(nullptr, nullptr, text, sizeof text);
    EXPECT_STREQ("", text);
    char small[8];
    std::memset(small, 'x', sizeof small);
    FormatProductMessage("Ready: %s", "a long product name", small, sizeof small);
    EXPECT_STREQ("Ready: ", small);
    FormatProductMessage("%s", "a long product name", small, sizeof small);
    EXPECT_STREQ("a long ", small);
}

}  // namespace
}  // namespace dialog_test
