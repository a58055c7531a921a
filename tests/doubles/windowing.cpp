// The windowing layer of the native tests: dialogs and controls kept in memory (the user's hands
// are in user_driver.cpp).
#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "doubles/headless_state.h"
#include "doubles/windowing_headless.h"
#include "platform/windowing.h"

using namespace Windowing;

namespace HeadlessDetail {

constexpr int kFrameLeft = 3;
constexpr int kFrameTop = 26;
constexpr int kDefaultCharWidth = 7;
constexpr int kCharHeight = 16;

State& S()
{
    static State state;
    return state;
}

Window* W(WindowHandle handle)
{
    return static_cast<Window*>(handle);
}

Window* DialogOf(Window* w)
{
    while (w && !w->isDialog) w = w->parent;
    return w;
}

bool Running(Window* dialogWindow)
{
    return dialogWindow && dialogWindow->dialog && !dialogWindow->dialog->Ended();
}

Point ClientOrigin(Window* w)
{
    if (!w) return {};
    Rect r = GetWindowRectangle(w);
    if (w->isDialog) return {r.left + kFrameLeft, r.top + kFrameTop};
    return {r.left, r.top};
}

intptr_t DefaultProc(Window* w, unsigned message, uintptr_t wParam, intptr_t lParam);

intptr_t Deliver(Window* w, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    if (!w) return 0;
    if (w->subclass) return w->subclass->WindowProc(message, wParam, lParam);
    return DefaultProc(w, message, wParam, lParam);
}

// A notification from a control: reflected to the control's own object first, then the dialog's
// handler table.
void Notify(Window* control, int code, int item)
{
    Window* dialogWindow = DialogOf(control);
    if (!control || !Running(dialogWindow)) return;
    if (control->subclass && code != kLvnItemChanged && control->subclass->OnReflectedCommand(code)) return;
    dialogWindow->dialog->Dispatch(Notification{control->id, code, item});
}

void RunPosted()
{
    State& s = S();
    while (!s.queue.empty()) {
        Headless::MessageRecord m = s.queue.front();
        s.queue.pop_front();
        Window* dialogWindow = DialogOf(W(m.window));
        if (!Running(dialogWindow)) continue;
        Deliver(W(m.window), m.message, m.wParam, m.lParam);
    }
}

void EditReplaceSelection(Window* w, const std::string& insert)
{
    int length = static_cast<int>(w->text.size());
    int start = std::clamp(std::min(w->selStart, w->selEnd), 0, length);
    int end = std::clamp(std::max(w->selStart, w->selEnd), 0, length);
    w->text.replace(start, end - start, insert);
    w->selStart = w->selEnd = start + static_cast<int>(insert.size());
    Notify(w, kEnChange);
}

void MoveFocus(Window* dialogWindow, bool backward)
{
    std::vector<Window*> stops;
    for (auto& child : dialogWindow->children) {
        if ((child->style & kWsTabStop) && (child->style & kWsVisible) && !(child->style & kWsDisabled))
            stops.push_back(child.get());
    }
    if (stops.empty()) return;
    auto at = std::find(stops.begin(), stops.end(), S().focus);
    int n = static_cast<int>(stops.size());
    int index = at == stops.end() ? (backward ? n - 1 : 0)
                                  : (static_cast<int>(at - stops.begin()) + (backward ? n - 1 : 1)) % n;
    S().focus = stops[index];
}

void ComboStep(Window* w, int step)
{
    int target = w->selection + step;
    if (target < 0 || target >= static_cast<int>(w->items.size())) return;
    w->selection = target;
    Notify(w, kCbnSelChange);
}

intptr_t DefaultProc(Window* w, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    using Headless::Kind;
    if (w->isDialog) {
        if (message == kWmNextDlgCtl) {
            MoveFocus(w, wParam != 0);
        } else if (message == kWmKeyDown && wParam == kVkReturn) {
            w->dialog->Dispatch(Notification{kIdOk, kBnClicked});
        } else if (message == kWmKeyDown && wParam == kVkEscape) {
            w->dialog->Dispatch(Notification{kIdCancel, kBnClicked});
        } else {
            intptr_t result = 0;
            w->dialog->RouteMessage(message, wParam, lParam, &result);
            return result;
        }
        return 0;
    }
    if (w->kind == Kind::Edit) {
        if (message == kWmGetDlgCode) return kDlgcWantChars | kDlgcHasSetSel | kDlgcWantArrows;
        if (message == kWmChar) {
            unsigned char c = static_cast<unsigned char>(wParam);
            if (c == 8) {  // Backspace: the selection, or the character before the caret.
                if (w->selStart == w->selEnd && w->selStart > 0) --w->selStart;
                EditReplaceSelection(w, "");
            } else if (c >= 32) {
                EditReplaceSelection(w, std::string(1, static_cast<char>(c)));
            }
            // Other control characters (copy, cut, undo, select all) leave the text alone here.
        } else if (message == kWmKeyDown && wParam == kVkDelete) {
            if (w->selStart == w->selEnd && w->selEnd < static_cast<int>(w->text.size())) ++w->selEnd;
            EditReplaceSelection(w, "");
        }
        return 0;
    }
    if (w->kind == Kind::ComboBox) {
        if (message == kWmGetDlgCode) return kDlgcWantChars | kDlgcWantArrows;
        if (message == kWmKeyDown && (wParam == kVkDown || wParam == kVkRight)) ComboStep(w, 1);
        if (message == kWmKeyDown && (wParam == kVkUp || wParam == kVkLeft)) ComboStep(w, -1);
        return 0;
    }
    return 0;
}

std::unique_ptr<Window> Create(const Headless::DialogLayout& layout, CDialog* dialog)
{
    auto d = std::make_unique<Window>();
    d->isDialog = true;
    d->text = layout.caption ? layout.caption : "";
    d->style = layout.style | kWsVisible;
    d->rect = Rect{layout.x, layout.y, layout.x + layout.width, layout.y + layout.height};
    d->dialog = dialog;
    for (const Headless::ControlLayout& c : layout.controls) {
        auto w = std::make_unique<Window>();
        w->id = c.id;
        w->kind = c.kind;
        w->text = c.text ? c.text : "";
        w->style = c.style | (c.hidden ? 0 : kWsVisible);
        w->rect = Rect{c.x, c.y, c.x + c.width, c.y + c.height};
        w->singleSelection = c.singleSelection;
        Window* parent = d.get();
        for (auto& sibling : d->children) {
            if (c.parentId != 0 && sibling->id == c.parentId) parent = sibling.get();
        }
        w->parent = parent;
        parent->children.push_back(std::move(w));
    }
    return d;
}

int CopyText(const std::string& from, char* text, int capacity)
{
    if (text && capacity > 0) {
        size_t n = std::min(from.size(), static_cast<size_t>(capacity - 1));
        std::memcpy(text, from.data(), n);
        text[n] = '\0';
    }
    return static_cast<int>(from.size());
}

Dc* D(DcHandle dc)
{
    return static_cast<Dc*>(dc);
}

void Record(Headless::DrawOp op)
{
    S().drawOps.push_back(std::move(op));
}

Window* ListOf(WindowHandle list)
{
    Window* w = W(list);
    return w && w->kind == Headless::Kind::ListView ? w : nullptr;
}

Window* ComboOf(WindowHandle combo)
{
    Window* w = W(combo);
    return w && w->kind == Headless::Kind::ComboBox ? w : nullptr;
}

using ComboItem = std::pair<std::string, intptr_t>;

// The item at index of a combo box, or null when the handle is no combo box or has no such item.
ComboItem* ComboItemAt(WindowHandle combo, int index)
{
    Window* w = ComboOf(combo);
    if (!w || index < 0 || index >= static_cast<int>(w->items.size())) return nullptr;
    return &w->items[index];
}

Column* ColumnAt(WindowHandle list, int index)
{
    Window* w = ListOf(list);
    if (!w || index < 0 || index >= static_cast<int>(w->columns.size())) return nullptr;
    return &w->columns[index];
}

bool ValidRow(Window* list, int row)
{
    return list && row >= 0 && row < static_cast<int>(list->rows.size());
}

void SetRowState(Window* list, int row, unsigned state, unsigned mask)
{
    Row& r = list->rows[row];
    unsigned next = (r.state & ~mask) | (state & mask);
    if (next == r.state) return;
    r.state = next;
    Notify(list, kLvnItemChanged, row);
}

}  // namespace HeadlessDetail

using namespace HeadlessDetail;

namespace Windowing {

WindowHandle ItemOf(WindowHandle dialog, int id)
{
    Window* d = W(dialog);
    if (!d) return nullptr;
    if (id == 0) return d;
    for (auto& child : d->children) {
        if (child->id == id) return child.get();
    }
    return nullptr;
}

bool SetText(WindowHandle window, const char* text)
{
    Window* w = W(window);
    if (!w) return false;
    w->text = text ? text : "";
    if (w->kind == Headless::Kind::Edit && !w->isDialog) {
        w->selStart = w->selEnd = 0;
        Notify(w, kEnChange);
    }
    return true;
}

int GetText(WindowHandle window, char* text, int capacity)
{
    if (!W(window)) {
        CopyText("", text, capacity);
        return -1;
    }
    return CopyText(W(window)->text, text, capacity);
}

int TextLength(WindowHandle window)
{
    return W(window) ? static_cast<int>(W(window)->text.size()) : -1;
}

bool SetItemText(WindowHandle dialog, int id, const char* text)
{
    return SetText(ItemOf(dialog, id), text);
}

int GetItemText(WindowHandle dialog, int id, char* text, int capacity)
{
    return GetText(ItemOf(dialog, id), text, capacity);
}

void CheckItem(WindowHandle dialog, int id, bool checked)
{
    if (Window* w = W(ItemOf(dialog, id))) w->checked = checked;
}

bool IsItemChecked(WindowHandle dialog, int id)
{
    Window* w = W(ItemOf(dialog, id));
    return w && w->checked;
}

void EnableWindowTo(WindowHandle window, bool enabled)
{
    if (Window* w = W(window)) w->style = enabled ? (w->style & ~kWsDisabled) : (w->style | kWsDisabled);
}

bool IsWindowEnabledNow(WindowHandle window)
{
    return W(window) && !(W(window)->style & kWsDisabled);
}

void ShowWindowTo(WindowHandle window, bool visible)
{
    if (Window* w = W(window)) w->style = visible ? (w->style | kWsVisible) : (w->style & ~kWsVisible);
}

bool IsWindowShown(WindowHandle window)
{
    return W(window) && (W(window)->style & kWsVisible);
}

uint32_t GetStyle(WindowHandle window)
{
    return W(window) ? W(window)->style : 0;
}

void SetStyle(WindowHandle window, uint32_t style)
{
    if (Window* w = W(window)) w->style = style;
}

void SetFocusTo(WindowHandle window)
{
    if (W(window)) S().focus = W(window);
}

WindowHandle FocusedWindow()
{
    return S().focus;
}

Rect GetWindowRectangle(WindowHandle window)
{
    Window* w = W(window);
    if (!w) return {};
    if (!w->parent) return w->rect;
    Point origin = ClientOrigin(w->parent);
    return Rect{origin.x + w->rect.left, origin.y + w->rect.top, origin.x + w->rect.right, origin.y + w->rect.bottom};
}

Point ScreenToClientPoint(WindowHandle window, Point screen)
{
    Point origin = ClientOrigin(W(window));
    return Point{screen.x - origin.x, screen.y - origin.y};
}

WindowHandle ParentOf(WindowHandle window)
{
    return W(window) ? W(window)->parent : nullptr;
}

WindowHandle OwnerOf(WindowHandle window)
{
    return W(window) ? W(window)->owner : nullptr;
}

void EnumDescendants(WindowHandle window, const std::function<void(WindowHandle)>& visit)
{
    Window* w = W(window);
    if (!w) return;
    for (auto& child : w->children) {
        visit(child.get());
        EnumDescendants(child.get(), visit);
    }
}

bool SetWindowPosition(WindowHandle window, int x, int y, int width, int height, unsigned)
{
    Window* w = W(window);
    if (!w) return false;
    auto limit = [](int v) { return std::clamp(v, -Headless::kMaxCoordinate, Headless::kMaxCoordinate); };
    x = limit(x);
    y = limit(y);
    w->rect = Rect{x, y, x + limit(width), y + limit(height)};
    return true;
}

bool MoveWindowTo(WindowHandle window, int x, int y, int width, int height, bool)
{
    return SetWindowPosition(window, x, y, width, height, kSwpNoZOrder);
}

void InvalidateWindow(WindowHandle window, bool erase)
{
    if (Window* w = W(window)) {
        ++w->invalidations;
        w->lastErase = erase;
    }
}

bool PostToWindow(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    if (!W(window)) return false;
    Headless::MessageRecord record{window, message, wParam, lParam};
    S().posted.push_back(record);
    S().queue.push_back(record);
    return true;
}

intptr_t SendToWindow(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    if (!W(window)) return 0;
    S().sent.push_back(Headless::MessageRecord{window, message, wParam, lParam});
    return Deliver(W(window), message, wParam, lParam);
}

bool IsShiftHeld()
{
    return S().shift;
}

bool SetWindowTimer(WindowHandle window, uintptr_t id, unsigned intervalMs)
{
    if (!W(window)) return false;
    for (Headless::TimerRecord& t : S().timers) {
        if (t.window == window && t.id == id) return t.intervalMs = intervalMs, true;
    }
    S().timers.push_back(Headless::TimerRecord{window, id, intervalMs});
    return true;
}

void KillWindowTimer(WindowHandle window, uintptr_t id)
{
    auto& timers = S().timers;
    timers.erase(std::remove_if(timers.begin(), timers.end(),
                                [&](const Headless::TimerRecord& t) { return t.window == window && t.id == id; }),
                 timers.end());
}

void ProgressSetMarquee(WindowHandle bar, bool on)
{
    if (W(bar) && W(bar)->kind == Headless::Kind::Progress) W(bar)->marquee = on;
}

int ComboCount(WindowHandle combo)
{
    Window* w = ComboOf(combo);
    return w ? static_cast<int>(w->items.size()) : -1;
}

int ComboInsert(WindowHandle combo, int index, const char* text)
{
    Window* w = ComboOf(combo);
    if (!w) return -1;
    int count = static_cast<int>(w->items.size());
    if (index == -1) index = count;
    if (index < 0 || index > count) return -1;
    w->items.insert(w->items.begin() + index, {text ? text : "", 0});
    if (w->selection >= index) ++w->selection;
    return index;
}

bool ComboSetData(WindowHandle combo, int index, intptr_t data)
{
    ComboItem* item = ComboItemAt(combo, index);
    if (!item) return false;
    item->second = data;
    return true;
}

intptr_t ComboGetData(WindowHandle combo, int index)
{
    ComboItem* item = ComboItemAt(combo, index);
    return item ? item->second : -1;
}

int ComboGetText(WindowHandle combo, int index, char* text, int capacity)
{
    ComboItem* item = ComboItemAt(combo, index);
    if (!item) {
        CopyText("", text, capacity);
        return -1;
    }
    return CopyText(item->first, text, capacity);
}

int ComboTextLength(WindowHandle combo, int index)
{
    ComboItem* item = ComboItemAt(combo, index);
    return item ? static_cast<int>(item->first.size()) : -1;
}

int ComboGetSelection(WindowHandle combo)
{
    Window* w = ComboOf(combo);
    return w ? w->selection : -1;
}

int ComboSetSelection(WindowHandle combo, int index)
{
    Window* w = ComboOf(combo);
    if (!w) return -1;
    if (index < 0 || index >= static_cast<int>(w->items.size())) {
        w->selection = -1;
        return -1;
    }
    w->selection = index;
    return index;
}

void ComboReset(WindowHandle combo)
{
    if (Window* w = ComboOf(combo)) {
        w->items.clear();
        w->selection = -1;
        ++w->resets;
    }
}

int ComboGetItemHeight(WindowHandle combo, int index)
{
    Window* w = ComboOf(combo);
    if (!w || index < -1) return -1;
    const int height = w->itemHeight[index == -1 ? 0 : 1];
    return height > 0 ? height : (16 * S().dpi + kDefaultDpi / 2) / kDefaultDpi;
}

void ComboSetItemHeight(WindowHandle combo, int index, int height)
{
    Window* w = ComboOf(combo);
    if (w && index >= -1 && height > 0) w->itemHeight[index == -1 ? 0 : 1] = height;
}

void ComboSetDroppedWidth(WindowHandle combo, int width)
{
    if (Window* w = ComboOf(combo)) w->droppedWidth = width;
}

int ComboGetDroppedWidth(WindowHandle combo)
{
    Window* w = ComboOf(combo);
    if (!w) return -1;
    return std::max(w->droppedWidth, w->rect.Width());
}

void ListSetExtendedStyle(WindowHandle list, uint32_t style)
{
    if (Window* w = ListOf(list)) w->extendedStyle = style;
}

int ListInsertColumn(WindowHandle list, int index, const char* header, int width, int)
{
    Window* w = ListOf(list);
    if (!w || index < 0) return -1;
    index = std::min(index, static_cast<int>(w->columns.size()));
    w->columns.insert(w->columns.begin() + index, Column{header ? header : "", width});
    return index;
}

void ListSetColumnWidth(WindowHandle list, int index, int width)
{
    if (Column* column = ColumnAt(list, index)) column->width = width;
}

int ListColumnCount(WindowHandle list)
{
    Window* w = ListOf(list);
    return w ? static_cast<int>(w->columns.size()) : -1;
}

int ListColumnWidth(WindowHandle list, int index)
{
    Column* column = ColumnAt(list, index);
    return column ? column->width : -1;
}

void ListDeleteAllRows(WindowHandle list)
{
    if (Window* w = ListOf(list)) {
        // Selected rows are deselected (and notified) before they go.
        for (int i = 0; i < static_cast<int>(w->rows.size()); ++i) SetRowState(w, i, 0, kLvisSelected);
        w->rows.clear();
        w->ensured = -1;
        w->top = 0;
    }
}

int ListInsertRow(WindowHandle list, int index, const char* text)
{
    Window* w = ListOf(list);
    if (!w || index < 0) return -1;
    index = std::min(index, static_cast<int>(w->rows.size()));
    Row row;
    row.cells.push_back(text ? text : "");
    w->rows.insert(w->rows.begin() + index, std::move(row));
    return index;
}

bool ListSetSubItem(WindowHandle list, int row, int column, const char* text)
{
    Window* w = ListOf(list);
    if (!ValidRow(w, row) || column < 0) return false;
    std::vector<std::string>& cells = w->rows[row].cells;
    if (static_cast<int>(cells.size()) <= column) cells.resize(column + 1);
    cells[column] = text ? text : "";
    return true;
}

int ListRowCount(WindowHandle list)
{
    Window* w = ListOf(list);
    return w ? static_cast<int>(w->rows.size()) : -1;
}

bool ListSetItemState(WindowHandle list, int row, unsigned state, unsigned mask)
{
    Window* w = ListOf(list);
    if (!w) return false;
    if (row == -1) {
        for (int i = 0; i < static_cast<int>(w->rows.size()); ++i) SetRowState(w, i, state, mask);
        return true;
    }
    if (!ValidRow(w, row)) return false;
    // A list keeps one focused row, and a single-selection list one selected row: the other rows
    // lose them first, the selection and the focus notified one by one (as comctl32 does).
    const bool takesSelection = w->singleSelection && (mask & state & kLvisSelected);
    const bool takesFocus = (mask & state & kLvisFocused) != 0;
    for (int i = 0; i < static_cast<int>(w->rows.size()); ++i) {
        if (i == row) continue;
        if (takesSelection) SetRowState(w, i, 0, kLvisSelected);
        if (takesFocus) SetRowState(w, i, 0, kLvisFocused);
    }
    SetRowState(w, row, state, mask);
    return true;
}

unsigned ListGetItemState(WindowHandle list, int row, unsigned mask)
{
    Window* w = ListOf(list);
    return ValidRow(w, row) ? (w->rows[row].state & mask) : 0;
}

bool ListEnsureVisible(WindowHandle list, int row, bool)
{
    Window* w = ListOf(list);
    if (!ValidRow(w, row)) return false;
    w->ensured = row;
    // The least scroll that shows the row whole.
    if (row < w->top) w->top = row;
    if (row >= w->top + w->rowsPerPage) w->top = row - w->rowsPerPage + 1;
    return true;
}

void SetRedraw(WindowHandle, bool)
{
    // Drawing is not modelled.
}

int ListTopIndex(WindowHandle list)
{
    Window* w = ListOf(list);
    return w ? w->top : 0;
}

int ListRowsPerPage(WindowHandle list)
{
    Window* w = ListOf(list);
    return w ? w->rowsPerPage : 0;
}

void ListScrollRows(WindowHandle list, int rows)
{
    if (Window* w = ListOf(list))
        w->top = std::clamp(w->top + rows, 0, std::max(0, static_cast<int>(w->rows.size()) - w->rowsPerPage));
}

void EditSetSelection(WindowHandle edit, int start, int end)
{
    Window* w = W(edit);
    if (!w) return;
    int length = static_cast<int>(w->text.size());
    if (start < 0) {  // -1 as the start removes the selection.
        w->selStart = w->selEnd = std::clamp(w->selEnd, 0, length);
        return;
    }
    w->selStart = std::min(start, length);
    w->selEnd = end < 0 ? length : std::min(end, length);
}

void EditScrollCaret(WindowHandle edit)
{
    if (Window* w = W(edit)) ++w->caretScrolls;
}

bool EditSelectLine(WindowHandle edit, int line)
{
    Window* w = W(edit);
    if (!w || line < 0) return false;
    size_t start = 0;
    for (int at = 0; at < line; ++at) {
        start = w->text.find('\n', start);
        if (start == std::string::npos) return false;
        ++start;
    }
    size_t end = std::min(w->text.find('\n', start), w->text.size());
    if (end > start && w->text[end - 1] == '\r') --end;
    w->selStart = static_cast<int>(start);
    w->selEnd = static_cast<int>(end);
    ++w->caretScrolls;
    return true;
}

DcHandle GetWindowDc(WindowHandle window)
{
    if (!W(window) || S().failDc) return nullptr;
    S().dcs.push_back(std::make_unique<Dc>(Dc{W(window), nullptr}));
    return S().dcs.back().get();
}

void ReleaseWindowDc(WindowHandle, DcHandle dc)
{
    auto& dcs = S().dcs;
    dcs.erase(std::remove_if(dcs.begin(), dcs.end(), [dc](const auto& p) { return p.get() == dc; }), dcs.end());
}

FontHandle FontOf(WindowHandle window)
{
    return W(window) ? W(window)->font : nullptr;
}

FontHandle SelectFontInto(DcHandle dc, FontHandle font)
{
    if (!dc) return nullptr;
    Font* previous = D(dc)->font;
    D(dc)->font = static_cast<Font*>(font);
    Record({Headless::DrawOp::Font, {}, 0, "", 0, 0});
    return previous;
}

bool TextExtent(DcHandle dc, const char* text, int* width, int* height)
{
    if (!dc || !text) return false;
    int charWidth = D(dc)->font ? D(dc)->font->charWidth : kDefaultCharWidth;
    if (width) *width = charWidth * static_cast<int>(std::strlen(text));
    if (height) *height = kCharHeight;
    return true;
}

Color SystemColor(int index)
{
    return 0x00100000u + static_cast<Color>(index);
}

int VerticalScrollBarWidth()
{
    return 17;
}

void FillSolid(DcHandle dc, const Rect& rect, Color color)
{
    if (dc) Record({Headless::DrawOp::Fill, rect, color, "", 0, 0});
}

void DrawLine(DcHandle dc, int x0, int y0, int x1, int y1, Color color)
{
    if (dc) Record({Headless::DrawOp::Line, Rect{x0, y0, x1, y1}, color, "", 0, 0});
}

Color SetDcTextColor(DcHandle dc, Color color)
{
    if (!dc) return 0;
    Color previous = D(dc)->text;
    D(dc)->text = color;
    Record({Headless::DrawOp::TextColor, {}, color, "", 0, 0});
    return previous;
}

Color SetDcBackColor(DcHandle dc, Color color)
{
    if (!dc) return 0;
    Color previous = D(dc)->back;
    D(dc)->back = color;
    Record({Headless::DrawOp::BackColor, {}, color, "", 0, 0});
    return previous;
}

int SetDcBackMode(DcHandle dc, int mode)
{
    if (!dc) return 0;
    int previous = D(dc)->mode;
    D(dc)->mode = mode;
    Record({Headless::DrawOp::BackMode, {}, 0, "", 0, mode});
    return previous;
}

void DrawTextIn(DcHandle dc, const char* text, const Rect& rect, unsigned flags)
{
    if (dc && text) Record({Headless::DrawOp::Text, rect, D(dc)->text, text, flags, 0});
}

void DrawFocusRectangle(DcHandle dc, const Rect& rect)
{
    if (dc) Record({Headless::DrawOp::FocusRect, rect, 0, "", 0, 0});
}

IconHandle LoadModuleIcon(int id, int size)
{
    // An icon handle stands for its ID (low 16 bits) and size (above them) here; 0 is no icon.
    return id > 0 && size > 0 ? reinterpret_cast<IconHandle>(static_cast<intptr_t>(id) | (intptr_t{size} << 16))
                              : nullptr;
}

void SetSmallIcon(WindowHandle window, IconHandle icon)
{
    const intptr_t value = reinterpret_cast<intptr_t>(icon);
    if (Window* w = W(window)) {
        w->icon = static_cast<int>(value & 0xFFFF);
        w->iconSize = static_cast<int>(value >> 16);
    }
}

int WindowDpi(WindowHandle)
{
    return S().dpi;
}

Rect DpiChangedRect(intptr_t lParam)
{
    const Rect* r = reinterpret_cast<const Rect*>(lParam);
    return r ? *r : Rect{};
}

int SmallIconSize(int dpi)
{
    return (16 * dpi + kDefaultDpi / 2) / kDefaultDpi;
}

CWnd::~CWnd()
{
    Detach();
}

bool CWnd::SubclassDlgItem(int id, WindowHandle dialog)
{
    Window* w = W(ItemOf(dialog, id));
    if (!w || w->isDialog || w->subclass || handle_) return false;
    w->subclass = this;
    handle_ = w;
    return true;
}

void CWnd::Detach()
{
    if (handle_ && W(handle_)->subclass == this) W(handle_)->subclass = nullptr;
    handle_ = nullptr;
}

intptr_t CWnd::Default(unsigned message, uintptr_t wParam, intptr_t lParam)
{
    return handle_ ? DefaultProc(W(handle_), message, wParam, lParam) : 0;
}

int CDialog::DoModal(WindowHandle owner)
{
    State& s = S();
    auto found = s.templates.find(TemplateId());
    if (found == s.templates.end()) return kDialogFailed;
    Restart();
    // A dialog opened while another runs: the running one's window, focus, posted messages and
    // timers wait aside and come back when this one ends (its windows stay readable until Reset).
    const bool inner = s.lastDialog && s.lastDialog->dialog;
    std::unique_ptr<Window> outer = inner ? std::move(s.lastDialog) : nullptr;
    Window* outerFocus = s.focus;
    std::deque<Headless::MessageRecord> outerQueue = inner ? std::move(s.queue) : decltype(s.queue){};
    std::vector<Headless::TimerRecord> outerTimers = inner ? std::move(s.timers) : decltype(s.timers){};
    const bool ownerWasEnabled = owner && !(W(owner)->style & kWsDisabled);
    if (ownerWasEnabled) W(owner)->style |= kWsDisabled;
    s.focus = nullptr;
    s.queue.clear();
    s.lastDialog = Create(found->second, this);
    Window* d = s.lastDialog.get();
    d->owner = W(owner);
    SetHandle(d);
    if (OnInitDialog() && !s.focus) MoveFocus(d, false);
    RunPosted();
    // A copy: the driver may set the next dialog's driver while it runs.
    const auto driver = s.driver;
    if (!Ended() && driver) driver(d);
    int result = Ended() ? Result() : Headless::kLeftOpen;
    // The windows stay for the test to read; the dialog object and its controls let go of them.
    std::function<void(Window*)> release = [&](Window* w) {
        if (w->subclass) w->subclass->Detach();
        for (auto& child : w->children) release(child.get());
    };
    release(d);
    d->dialog = nullptr;
    s.timers.clear();  // a window's timers end with it
    s.queue.clear();
    SetHandle(nullptr);
    if (ownerWasEnabled) W(owner)->style &= ~kWsDisabled;
    if (inner) {
        s.closedInner.push_back(std::move(s.lastDialog));
        s.lastDialog = std::move(outer);
        s.focus = outerFocus;
        s.queue = std::move(outerQueue);
        s.timers = std::move(outerTimers);
    }
    return result;
}

}  // namespace Windowing

namespace Headless {

void Reset()
{
    State& s = S();
    if (s.lastDialog && s.lastDialog->dialog) return;  // never while a dialog runs
    s = State{};
}

void AddTemplate(const DialogLayout& layout)
{
    S().templates[layout.templateId] = layout;
}

void SetDriver(std::function<void(WindowHandle)> driver)
{
    S().driver = std::move(driver);
}

WindowHandle LastDialog()
{
    return S().lastDialog.get();
}

const std::vector<MessageRecord>& PostedMessages()
{
    return S().posted;
}

const std::vector<DrawOp>& DrawOps()
{
    return S().drawOps;
}

void ClearDrawOps()
{
    S().drawOps.clear();
}

Windowing::DcHandle ScratchDc()
{
    return &S().scratch;
}

void SetFont(WindowHandle window, Windowing::FontHandle font)
{
    if (Window* w = W(window)) w->font = font;
}

const std::vector<TimerRecord>& ActiveTimers()
{
    return S().timers;
}

int FireTimers()
{
    const std::vector<TimerRecord> due = S().timers;  // a handler may set or kill timers
    int sent = 0;
    for (const TimerRecord& t : due) {
        if (!Running(DialogOf(W(t.window)))) continue;
        Deliver(W(t.window), Windowing::kWmTimer, t.id, 0);
        ++sent;
    }
    RunPosted();
    return sent;
}

std::string ListCellText(WindowHandle list, int row, int column)
{
    Window* w = W(list);
    if (!w || row < 0 || row >= static_cast<int>(w->rows.size())) return "";
    const auto& cells = w->rows[static_cast<size_t>(row)].cells;
    return column >= 0 && column < static_cast<int>(cells.size()) ? cells[static_cast<size_t>(column)] : "";
}

bool MarqueeOn(WindowHandle bar)
{
    return W(bar) && W(bar)->marquee;
}

int ComboResetCount(WindowHandle combo)
{
    return W(combo) ? W(combo)->resets : 0;
}

int SmallIconId(WindowHandle window)
{
    return W(window) ? W(window)->icon : 0;
}

int SmallIconPixels(WindowHandle window)
{
    return W(window) ? W(window)->iconSize : 0;
}

void SetDpi(int dpi)
{
    S().dpi = dpi;
}

}  // namespace Headless
