// A typed address is checked by unicast before it is stored: in the address dialog (the question
// when no scanner of this product answers, and both answers) and in the given-address installer
// start, which never asks. The dialog runs the real check over the scripted network; the
// given-address start goes through the fixture's stand-in; the LAN test runs both for real.
#include <gtest/gtest.h>

#include <cstring>

#include "app/commit_flow.h"
#include "doubles/headless_state.h"
#include "setup/address_validation.h"
#include "tests/unit/dialog_fixture.h"
#include "ui/set_ip_dialog.h"

namespace dialog_test {
namespace {

using namespace Windowing;
using namespace SetIpIds;

// The dialog checks over its own network, stepped from its timer: the window answers during the
// check, the status line says so, and Cancel ends it with the dialog.
TEST_F(DialogTest, TypedAddressStoresTheAnsweringMacOrAsksFirst)
{
    const std::string asked = "Nothing at 198.51.100.7. Store it?";
    const Datagram other{ScannerAnswer("another", "1.3.6.1.4.1.9.9"), ScannerAt(7).sender, 300};
    struct Case {
        const char* what;
        int protocol;
        const char* typed;
        std::vector<std::vector<Datagram>> replies;  // to the check's requests
        int answer;                                  // the user's answer to the question
        int result;
        const char* checks;  // the check's requests
        const char* saves;
        std::vector<std::string> boxes;
    };
    const Case cases[] = {
        {"this product answers", 0, "198.51.100.7", {{ScannerAt(7, 300)}}, kIdNo, kIdOk,
         "0.0.0.0>198.51.100.7@+0 ", "198.51.100.7|02:00:00:00:00:07||0|1;", {}},
        {"over IPv6 through every adapter at once: the one that answers is stored", 1, "fe80::7",
         {{}, {ScannerAt(7, 300, kUdpIPv6)}}, kIdNo, kIdOk, "::>fe80::7%2@+0 ::>fe80::7%3@+0 ",
         "fe80::7|02:00:00:00:00:07|eth1|1|1;", {}},
        {"nothing answers, Yes", 0, "198.51.100.7", {}, kIdYes, kIdOk,
         "0.0.0.0>198.51.100.7@+0 0.0.0.0>198.51.100.7@+1000 ", "198.51.100.7|||0|1;", {asked}},
        {"another product, Yes", 0, "198.51.100.7", {{other}}, kIdYes, kIdOk, "0.0.0.0>198.51.100.7@+0 ",
         "198.51.100.7|||0|1;", {asked}},
        {"nothing answers, No", 0, "198.51.100.7", {}, kIdNo, kLeftOpen,
         "0.0.0.0>198.51.100.7@+0 0.0.0.0>198.51.100.7@+1000 ", "", {asked}},
        {"Cancel during the check", 0, "198.51.100.7", {}, kIdNo, kIdCancel, "0.0.0.0>198.51.100.7@+0 ", "", {}},
        {"not valid: no check", 0, "198.51.100.300", {}, kIdNo, kLeftOpen, "", "",
         {"The address is not valid. (warning)"}},
        {"a host name: its address checked and stored, the name beside it", 0, "mfp.example.test",
         {{ScannerAt(7, 300)}}, kIdNo, kIdOk, "0.0.0.0>198.51.100.7@+0 ", "198.51.100.7|02:00:00:00:00:07||0|1;", {}},
        {"a host name without address: no check", 0, "gone.example.test", {}, kIdNo, kLeftOpen, "", "",
         {"No address for gone.example.test. (warning)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        SettingsStore::WriteRegString(Key().c_str(), "AdapName", "old0");
        rec.names = {{"mfp.example.test", "198.51.100.7"}};
        Platform::SetMessageBoxCapture(true, c.answer);
        std::string checks;
        SetDriver([&](WindowHandle d) {
            if (c.protocol == 1) ChooseComboItem(d, kProtocolBox, 1);
            Click(d, kRadioInput);
            TypeText(d, kAddressEdit, c.typed);
            const size_t searched = net.sends.size();
            const std::int64_t start = net.now;
            net.bursts.assign(c.replies.begin(), c.replies.end());
            ASSERT_TRUE(Click(d, kIdOk));
            if (c.result == kIdCancel || c.boxes == std::vector<std::string>{asked}) {
                EXPECT_EQ("Checking", Text(d, kSearchStatus));
                EXPECT_FALSE(Enabled(d, kIdOk) || Enabled(d, kAddressEdit));
            }
            if (c.result == kIdCancel) RunSearch(500), Click(d, kIdCancel);
            RunSearch();
            for (size_t i = searched; i < net.sends.size(); ++i) {
                const std::string& send = net.sends[i];
                const size_t at = send.find('@');
                checks += send.substr(0, at) + "@+" + std::to_string(std::stoll(send.substr(at + 1)) - start) + " ";
            }
            if (c.result == kLeftOpen) {
                // Back in the field with the whole text selected, ready to be corrected.
                HeadlessDetail::Window* edit = HeadlessDetail::W(ItemOf(d, kAddressEdit));
                EXPECT_EQ(edit, HeadlessDetail::S().focus);
                EXPECT_EQ(0, edit->selStart);
                EXPECT_EQ(static_cast<int>(std::strlen(c.typed)), edit->selEnd);
                EXPECT_TRUE(Enabled(d, kIdOk) && Enabled(d, kAddressEdit));
            }
        });
        CSetIPDlg dialog;
        EXPECT_EQ(c.result, dialog.DoModal());
        EXPECT_EQ(c.checks, checks);
        EXPECT_EQ(c.saves, rec.saves);
        EXPECT_EQ(c.boxes, Boxes());
        EXPECT_EQ(rec.saves.empty() || !IsHostName(c.typed) ? "absent" : c.typed,
                  SettingsStore::ReadRegString(Key().c_str(), "HostName", "absent"));
        EXPECT_EQ(0u, net.OpenNow());
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
        ASSERT_TRUE(MarkHostName("old.example.test"));  // removed: a given address is no host name
        rec.checkOutcome = outcome;
        rec.checkMac = outcome == kCheckProductAnswered ? "02:00:00:00:00:AA" : "";
        CommitConnection(Request(GivenAddress, 1, 0, "192.0.2.20"));
        EXPECT_EQ("192.0.2.20|0|;", rec.checks);
        EXPECT_EQ("absent", SettingsStore::ReadRegString(Key().c_str(), "HostName", "absent"));
        EXPECT_EQ(outcome == kCheckProductAnswered ? "192.0.2.20|02:00:00:00:00:AA||0|1;" : "192.0.2.20|||0|1;",
                  rec.saves);
        EXPECT_TRUE(Boxes().empty());
    }
}

}  // namespace
}  // namespace dialog_test
