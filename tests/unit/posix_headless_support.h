// Shared helpers of the tests on the headless windowing layer: a test dialog template with the
// controls of the address dialog's kinds, and a dialog class that hosts the custom controls.
#pragma once
#include <functional>
#include <string>

#include "platform/posix/windowing_headless.h"
#include "test_support.h"
#include "ui/my_combo_box.h"
#include "ui/my_edit.h"

constexpr int kHostTemplate = 9005;
constexpr int kEditId = 3008;
constexpr int kComboId = 2152;
constexpr int kListId = 3009;
constexpr int kRadioInput = 3006;
constexpr int kRadioList = 3007;
constexpr int kCheckId = 2148;

// A dialog of outer size 300 x 200 at (100, 100).
inline Headless::DialogLayout HostTemplate()
{
    using Headless::Kind;
    using namespace Windowing;
    return Headless::DialogLayout{
        kHostTemplate, "Host", 100, 100, 300, 200, kWsCaption | kWsSysMenu,
        {
            {kRadioInput, Kind::Radio, 10, 10, 100, 14, kWsTabStop | kWsGroup, "Input"},
            {kRadioList, Kind::Radio, 10, 30, 100, 14, 0, "List"},
            {kCheckId, Kind::CheckBox, 120, 10, 100, 14, kWsTabStop | kWsGroup, "Check"},
            {kComboId, Kind::ComboBox, 10, 50, 120, 20, kWsTabStop | kWsGroup, ""},
            {kEditId, Kind::Edit, 11, 7 + 70, 75, 23, kWsTabStop, ""},
            {kListId, Kind::ListView, 10, 110, 200, 50, kWsTabStop, ""},
            {Windowing::kIdOk, Kind::Button, 150, 170, 60, 20, kWsTabStop, "OK"},
            {Windowing::kIdCancel, Kind::Button, 220, 170, 60, 20, kWsTabStop, "Cancel"},
        }};
}

// The dialog that hosts one CMyEdit (3008) and one CMyComboBox (2152). onInit runs at the end of
// the opening.
class HostDialog : public Windowing::CDialog {
public:
    HostDialog() : CDialog(kHostTemplate) {}
    bool OnInitDialog() override
    {
        attached = edit.SubclassDlgItem(kEditId, Handle()) && combo.SubclassDlgItem(kComboId, Handle());
        if (onInit) onInit(*this);
        return true;
    }
    CMyEdit edit;
    CMyComboBox combo;
    bool attached = false;
    std::function<void(HostDialog&)> onInit;
};

// Each test starts with a fresh headless layer holding the host template.
class HeadlessTest : public CleanState {
protected:
    void SetUp() override
    {
        CleanState::SetUp();
        Headless::Reset();
        Headless::AddTemplate(HostTemplate());
    }
    void TearDown() override
    {
        Headless::Reset();
        CleanState::TearDown();
    }
    static std::string TextOf(Windowing::WindowHandle dialog, int id)
    {
        char text[1024];
        Windowing::GetItemText(dialog, id, text, sizeof text);
        return text;
    }
};
