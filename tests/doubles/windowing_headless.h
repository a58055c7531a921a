// The headless windowing layer's own operations (native build only): templates described in code,
// a test driver that acts like the user while a dialog runs, and the state that tests look at.
//
// Model: a dialog template is a list of controls (ID, kind, rectangle in dialog client
// coordinates, style, text). DoModal creates the windows, runs OnInitDialog, runs the posted
// messages, then calls the driver with the dialog window. Each user action of the driver runs its
// messages the way the Win32 layer does (key messages: the control's PreTranslateMessage, then the
// dialog keyboard handling unless the control asks for all keys, then the control) and afterwards
// every posted message, in posting order. When the driver returns and the dialog has not ended,
// DoModal returns kLeftOpen. The windows of the last dialog stay readable (through the ordinary
// Windowing operations) until the next DoModal or Reset.
//
// Fixed facts of the model: a dialog's client area starts 3 pixels right of and 26 pixels below
// its window's top-left corner (frame and caption); controls have no frame. Text is measured as 7
// pixels per character by 16 pixels. SystemColor(i) is 0x00100000 + i. The vertical scroll bar is
// 17 pixels wide. The Shift key is up unless SetShiftHeld says otherwise. The default button is
// IDOK; Enter on a push button clicks that button. Positions and sizes given to a window are limited to -kMaxCoordinate .. kMaxCoordinate.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/windowing.h"

namespace Headless {
using Windowing::WindowHandle;

// DoModal's result when the driver returned without ending the dialog.
constexpr int kLeftOpen = -2;
constexpr int kMaxCoordinate = 32767;

enum class Kind { Static, Button, CheckBox, Radio, Edit, ComboBox, ListView };

struct ControlLayout {
    int id;
    Kind kind;
    int x, y, width, height;  // client coordinates of its parent
    uint32_t style;           // WS_* (WS_TABSTOP, WS_GROUP, WS_DISABLED; WS_VISIBLE is implied
                              // unless hidden is set)
    const char* text;
    bool hidden = false;
    bool singleSelection = true;  // list views
    int parentId = 0;             // an earlier control of the dialog it lies in; 0 = the dialog
};

struct DialogLayout {
    int templateId;
    const char* caption;
    int x, y, width, height;  // outer rectangle on the screen
    uint32_t style;           // WS_* of the dialog window
    std::vector<ControlLayout> controls;
};

// Forgets every template, window, log, driver and setting.
void Reset();
// Adds (or replaces) the template with layout.templateId.
void AddTemplate(const DialogLayout& layout);
// The driver run by every following DoModal once the dialog is open (none: DoModal returns
// kLeftOpen at once).
void SetDriver(std::function<void(WindowHandle dialog)> driver);
// The window of the dialog shown last (nullptr before the first).
WindowHandle LastDialog();

// ---------------------------------------------------------------------------------------------
// User actions on a control of the running dialog. Each returns false, and does nothing, when the
// dialog has ended, or the control is missing, hidden or disabled.
bool Click(WindowHandle dialog, int id);               // button, check box, radio (with its group)
bool TypeChar(WindowHandle dialog, int id, unsigned char c);  // WM_KEYDOWN-less WM_CHAR
bool TypeText(WindowHandle dialog, int id, const char* text);  // TypeChar for each byte
bool PressKey(WindowHandle dialog, int id, unsigned vk);       // WM_KEYDOWN
// Picks an item from the dropped list (CBN_SELCHANGE, then CBN_SELENDOK).
bool ChooseComboItem(WindowHandle dialog, int id, int index);
// Closes the dropped list by picking nothing (CBN_SELENDOK with the selection unchanged).
bool CloseComboList(WindowHandle dialog, int id);
// Clicks a row of a list view (selected and focused); row -1 clicks its empty part (every row
// loses the selection).
bool ClickListRow(WindowHandle dialog, int id, int row);
// The text that Ctrl+V (character 22) pastes into an edit control.
void SetClipboardText(const char* text);
void SetShiftHeld(bool held);

// ---------------------------------------------------------------------------------------------
// What the program did.
struct MessageRecord {
    WindowHandle window;
    unsigned message;
    uintptr_t wParam;
    intptr_t lParam;
};
// Every message posted since Reset, in posting order (already run or not).
const std::vector<MessageRecord>& PostedMessages();
// Every message sent with SendToWindow since Reset, in order.
const std::vector<MessageRecord>& SentMessages();

// Message boxes are recorded by platform/message_box.h (Platform::RecordedMessageBoxes).

// Drawing operations on device contexts, in order.
struct DrawOp {
    enum Type { Fill, Line, Text, FocusRect, TextColor, BackColor, BackMode, Font };
    Type type;
    Windowing::Rect rect;       // Fill, Text, FocusRect; Line: (x0, y0) - (x1, y1) as left/top/right/bottom
    Windowing::Color color;     // Fill, Line, TextColor, BackColor
    std::string text;           // Text
    unsigned flags;             // Text
    int mode;                   // BackMode
};
const std::vector<DrawOp>& DrawOps();
void ClearDrawOps();
// Device contexts obtained and not yet released.
int OpenDcCount();
// A device context for drawing outside any window (tests of owner drawing).
Windowing::DcHandle ScratchDc();
// GetWindowDc fails from now on when failing is true.
void FailWindowDc(bool failing);
// A font whose characters measure charWidth pixels (for FontOf of controls, see SetFont).
Windowing::FontHandle MakeFont(int charWidth);
void SetFont(WindowHandle window, Windowing::FontHandle font);

// Per-window counters and records.
int InvalidateCount(WindowHandle window);
bool LastInvalidateErased(WindowHandle window);
int ComboResetCount(WindowHandle combo);
int ScrollCaretCount(WindowHandle edit);
int EnsuredVisibleRow(WindowHandle list);  // the last row ensured visible, -1 when none
int SmallIconId(WindowHandle window);      // the icon ID set as small icon, 0 when none
int SmallIconPixels(WindowHandle window);  // the size it was loaded in, 0 when none
// The DPI that WindowDpi reports for every window (kDefaultDpi after Reset). A combo box's item
// heights follow it as a font would (16 pixels at 96 DPI) until they are set.
void SetDpi(int dpi);
}  // namespace Headless
