// The headless windows' shared state, for the two halves of the stand-in: the windows and their
// operations (windowing.cpp) and the user's hands (user_driver.cpp). Nothing else includes it.
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "doubles/windowing_headless.h"
#include "platform/windowing.h"

namespace HeadlessDetail {
using namespace Windowing;

struct Column {
    std::string header;
    int width;
};
struct Row {
    std::vector<std::string> cells;
    unsigned state = 0;
};

struct Window {
    int id = 0;
    Headless::Kind kind = Headless::Kind::Static;
    bool isDialog = false;
    std::string text;
    uint32_t style = 0;
    Rect rect;  // parent client coordinates (screen for a dialog)
    Window* parent = nullptr;
    std::vector<std::unique_ptr<Window>> children;
    CDialog* dialog = nullptr;  // the running dialog object of a dialog window
    Window* owner = nullptr;    // a dialog's owner (DoModal's)
    CWnd* subclass = nullptr;
    bool checked = false;
    FontHandle font = nullptr;
    int invalidations = 0;
    bool lastErase = false;
    int icon = 0;
    int iconSize = 0;
    // Combo box.
    int itemHeight[2] = {0, 0};  // selection field, items; 0 = the font's (16 pixels at 96 DPI)
    std::vector<std::pair<std::string, intptr_t>> items;
    int selection = -1;
    int droppedWidth = 0;
    int resets = 0;
    // List view.
    bool singleSelection = true;
    uint32_t extendedStyle = 0;
    std::vector<Column> columns;
    std::vector<Row> rows;
    int ensured = -1;
    int top = 0;          // the first row shown; ListEnsureVisible and ListScrollRows move it
    int rowsPerPage = 8;  // rows that fit in the view
    // Edit control.
    int selStart = 0, selEnd = 0;
    int caretScrolls = 0;
    // Progress bar.
    bool marquee = false;
};

struct Font {
    int charWidth;
};
struct Dc {
    Window* window;
    Font* font;
    Color text = 0, back = 0x00FFFFFF;
    int mode = kBkOpaque;
};

struct State {
    std::map<int, Headless::DialogLayout> templates;
    std::function<void(WindowHandle)> driver;
    std::unique_ptr<Window> lastDialog;
    std::vector<std::unique_ptr<Window>> closedInner;  // dialogs that ran inside another, until Reset
    std::deque<Headless::MessageRecord> queue;
    std::vector<Headless::MessageRecord> posted, sent;
    std::vector<Headless::DrawOp> drawOps;
    std::vector<std::unique_ptr<Font>> fonts;
    std::vector<std::unique_ptr<Dc>> dcs;
    Dc scratch{nullptr, nullptr};
    Window* focus = nullptr;
    bool shift = false;
    bool failDc = false;
    int dpi = kDefaultDpi;
    std::vector<Headless::TimerRecord> timers;
};

State& S();
Window* W(WindowHandle handle);
// The dialog window a window belongs to (itself for a dialog).
Window* DialogOf(Window* w);
// True while the dialog window's dialog object runs.
bool Running(Window* dialogWindow);
// Sends a message to the window's subclass object, else to the stand-in's own behaviour.
intptr_t Deliver(Window* w, unsigned message, uintptr_t wParam, intptr_t lParam);
// The stand-in's own behaviour of a dialog, an edit control or a combo box.
intptr_t DefaultProc(Window* w, unsigned message, uintptr_t wParam, intptr_t lParam);
// A notification from a control: reflected to the control's own object first, then the dialog's
// handler table.
void Notify(Window* control, int code, int item = -1);
// Runs every posted message, in posting order.
void RunPosted();
// Moves the focus to the next (or previous) tab stop of the dialog.
void MoveFocus(Window* dialogWindow, bool backward);

}  // namespace HeadlessDetail
