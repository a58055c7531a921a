// A typed address is checked by unicast before it is stored: in the address dialog (the question
// when no scanner of this product answers, and both answers) and in the given-address installer
// start, which never asks. The check itself is the fixture's stand-in here; the LAN test runs it.
#include <gtest/gtest.h>

#include <cstring>

#include "app/commit_flow.h"
#include "doubles/headless_state.h"
#include "tests/unit/dialog_fixture.h"
#include "ui/set_ip_dialog.h"

namespace dialog_test {
namespace {

using namespace Windowing;
using namespace SetIpIds;

TEST_F(DialogTest, TypedAddressStoresTheAnsweringMacOrAsksFirst)
{
    const std::string asked = "Nothing at 198.51.100.7. Store it?";
    struct Case {
        const char* what;
        int protocol;
        const char* typed;
        int outcome;
        int answer;  // the user's answer to the question
        int result;
        const char* checks;
        const char* saves;
        std::vector<std::string> boxes;
    };
    const Case cases[] = {
        {"this product answers",
         0,
         "198.51.100.7",
         kCheckProductAnswered,
         kIdNo,
         kIdOk,
         "198.51.100.7|0|;",
         "198.51.100.7|02:00:00:00:00:AA||0|1;",
         {}},
        {"over IPv6 through another adapter",
         1,
         "fe80::7",
         kCheckProductAnswered,
         kIdNo,
         kIdOk,
         "fe80::7|1|old0;",
         "fe80::7|02:00:00:00:00:AA|eth1|1|1;",
         {}},
        {"nothing answers, Yes",
         0,
         "198.51.100.7",
         kCheckNoAnswer,
         kIdYes,
         kIdOk,
         "198.51.100.7|0|;",
         "198.51.100.7|||0|1;",
         {asked}},
        {"another product, Yes",
         0,
         "198.51.100.7",
         kCheckOtherAnswered,
         kIdYes,
         kIdOk,
         "198.51.100.7|0|;",
         "198.51.100.7|||0|1;",
         {asked}},
        {"nothing answers, No", 0, "198.51.100.7", kCheckNoAnswer, kIdNo, kLeftOpen, "198.51.100.7|0|;", "", {asked}},
        {"not valid: no check",
         0,
         "198.51.100.300",
         kCheckProductAnswered,
         kIdNo,
         kLeftOpen,
         "",
         "",
         {"The address is not valid. (warning)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        SettingsStore::WriteRegString(Key().c_str(), "AdapName", "old0");
        rec.checkOutcome = c.outcome;
        rec.checkMac = c.outcome == kCheckProductAnswered ? "02:00:00:00:00:AA" : "";
        rec.checkAdapter = c.protocol == 1 ? "eth1" : "";
        Platform::SetMessageBoxCapture(true, c.answer);
        SetDriver([&](WindowHandle d) {
            if (c.protocol == 1) ChooseComboItem(d, kProtocolBox, 1);
            Click(d, kRadioInput);
            TypeText(d, kAddressEdit, c.typed);
            ASSERT_TRUE(Click(d, kIdOk));
            if (c.result == kLeftOpen) {
                // Back in the field with the whole text selected, ready to be corrected.
                HeadlessDetail::Window* edit = HeadlessDetail::W(ItemOf(d, kAddressEdit));
                EXPECT_EQ(edit, HeadlessDetail::S().focus);
                EXPECT_EQ(0, edit->selStart);
                EXPECT_EQ(static_cast<int>(std::strlen(c.typed)), edit->selEnd);
            }
        });
        CSetIPDlg dialog;
        EXPECT_EQ(c.result, dialog.DoModal());
        EXPECT_EQ(c.checks, rec.checks);
        EXPECT_EQ(c.saves, rec.saves);
        EXPECT_EQ(c.boxes, Boxes());
        for (const auto& box : Platform::RecordedMessageBoxes()) {
            if (box.text != asked) continue;
            EXPECT_EQ(0x40024u, box.style);  // Yes / No, question, topmost
        }
    }
}

TEST_F(DialogTest, GivenAddressStartStoresTheMacWhenThisProductAnswersAndNeverAsks)
{
    for (int outcome : {kCheckProductAnswered, kCheckNoAnswer, kCheckOtherAnswered}) {
        SCOPED_TRACE(outcome);
        Fresh();
        rec.checkOutcome = outcome;
        rec.checkMac = outcome == kCheckProductAnswered ? "02:00:00:00:00:AA" : "";
        CommitConnection(Request(GivenAddress, 1, 0, "192.0.2.20"));
        EXPECT_EQ("192.0.2.20|0|;", rec.checks);
        EXPECT_EQ(outcome == kCheckProductAnswered ? "192.0.2.20|02:00:00:00:00:AA||0|1;" : "192.0.2.20|||0|1;",
                  rec.saves);
        EXPECT_TRUE(Boxes().empty());
    }
}

}  // namespace
}  // namespace dialog_test
