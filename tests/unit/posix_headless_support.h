// Shared fixture of the custom-control tests on the headless windowing layer: a dialog of outer
// size 300 x 200 at (100, 100) that hosts one CMyEdit (3008) and one CMyComboBox (2152).
#pragma once
#include <functional>

#include "doubles/user_driver.h"
#include "doubles/windowing_headless.h"
#include "test_support.h"
#include "ui/my_combo_box.h"
#include "ui/my_edit.h"

constexpr int kHostTemplate = 9005, kEditId = 3008, kComboId = 2152;

class HostDialog : public Windowing::CDialog {
public:
    HostDialog() : CDialog(kHostTemplate) {}
    bool OnInitDialog() override
    {
        EXPECT_TRUE(edit.SubclassDlgItem(kEditId, Handle()) && combo.SubclassDlgItem(kComboId, Handle()));
        if (onInit) onInit(*this);
        return true;
    }
    CMyEdit edit;
    CMyComboBox combo;
    std::function<void(HostDialog&)> onInit;
};

// Each test starts with a fresh headless layer holding the host template. Run opens the dialog,
// hands it to drive while it is open and returns DoModal's result.
class HeadlessTest : public CleanState {
protected:
    void SetUp() override
    {
        using namespace Windowing;
        using Headless::Kind;
        CleanState::SetUp();
        Headless::Reset();
        Headless::AddTemplate(
            Headless::DialogLayout{kHostTemplate,
                                   "Host",
                                   100,
                                   100,
                                   300,
                                   200,
                                   kWsCaption | kWsSysMenu,
                                   {{kComboId, Kind::ComboBox, 10, 50, 120, 20, kWsTabStop | kWsGroup, ""},
                                    {kEditId, Kind::Edit, 11, 7, 75, 23, kWsTabStop, ""},
                                    {kIdOk, Kind::Button, 150, 170, 60, 20, kWsTabStop, "OK"}}});
    }
    int Run(const std::function<void(HostDialog&, Windowing::WindowHandle)>& drive)
    {
        Headless::SetDriver([&](Windowing::WindowHandle h) { drive(dialog_, h); });
        return dialog_.DoModal();
    }
    HostDialog dialog_;
};
