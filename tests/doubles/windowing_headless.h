// The headless windows of the native tests (native build only): templates described in code, the
// driver that DoModal runs while a dialog is open, and the state that tests look at. The user's
// actions on the controls are in tests/doubles/user_driver.h.
//
// Model: a dialog template is a list of controls (ID, kind, rectangle in dialog client
// coordinates, style, text). DoModal creates the windows, runs OnInitDialog, runs the posted
// messages, then calls the driver with the dialog window. When the driver returns and the dialog
// has not ended, DoModal returns kLeftOpen. The windows of the last dialog stay readable (through
// the ordinary Windowing operations) until the next DoModal or Reset. A dialog opened from a
// running one's handler runs the same driver, keeps the running one aside (its timers wait) and
// gives it back when it ends; its own windows stay readable until Reset. The stand-in models what the
// dialogs' logic relies on; the fine behaviour of the real controls is checked under Wine.
//
// Fixed facts of the model: a dialog's client area starts 3 pixels right of and 26 pixels below
// its window's top-left corner (frame and caption); controls have no frame. Text is measured as 7
// pixels per character by 16 pixels. SystemColor(i) is 0x00100000 + i. The vertical scroll bar is
// 17 pixels wide. The Shift key is up unless SetShiftHeld says otherwise. The default button is
// IDOK; Enter on a push button clicks that button. Positions and sizes given to a window are
// limited to -kMaxCoordinate .. kMaxCoordinate.
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

enum class Kind { Static, Button, CheckBox, Radio, Edit, ComboBox, ListView, Progress };

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
// What the program did.
struct MessageRecord {
    WindowHandle window;
    unsigned message;
    uintptr_t wParam;
    intptr_t lParam;
};
// Every message posted since Reset, in posting order (already run or not).
const std::vector<MessageRecord>& PostedMessages();

// Message boxes are recorded by platform/message_box.h (Platform::RecordedMessageBoxes).

// Drawing operations on device contexts, in order.
struct DrawOp {
    enum Type { Fill, Line, Text, FocusRect, TextColor, BackColor, BackMode, Font };
    Type type;
    Windowing::Rect rect;    // Fill, Text, FocusRect; Line: (x0, y0) - (x1, y1) as left/top/right/bottom
    Windowing::Color color;  // Fill, Line, TextColor, BackColor
    std::string text;        // Text
    unsigned flags;          // Text
    int mode;                // BackMode
};
const std::vector<DrawOp>& DrawOps();
void ClearDrawOps();
// A device context for drawing outside any window (tests of owner drawing).
Windowing::DcHandle ScratchDc();
void SetFont(WindowHandle window, Windowing::FontHandle font);

int ComboResetCount(WindowHandle combo);
int SmallIconId(WindowHandle window);      // the icon ID set as small icon, 0 when none
int SmallIconPixels(WindowHandle window);  // the size it was loaded in, 0 when none
// The DPI that WindowDpi reports for every window (kDefaultDpi after Reset). A combo box's item
// heights follow it as a font would (16 pixels at 96 DPI) until they are set.
void SetDpi(int dpi);

// Timers: what SetWindowTimer asked for, and firing them. FireTimers sends WM_TIMER once for every
// timer set now (in the order they were set) to its window while its dialog runs, then runs the
// posted messages; the number of WM_TIMER messages sent.
struct TimerRecord {
    WindowHandle window;
    uintptr_t id;
    unsigned intervalMs;
};
const std::vector<TimerRecord>& ActiveTimers();
int FireTimers();
// The text of a list view's cell ("" when there is none).
std::string ListCellText(WindowHandle list, int row, int column);
// Whether a progress bar's marquee runs.
bool MarqueeOn(WindowHandle bar);
}  // namespace Headless
