// The user's hands in the native tests: clicks, keys and choices on the controls of a running
// headless dialog, delivered the way the Win32 modal loop delivers them.
#include "doubles/user_driver.h"

#include "doubles/headless_state.h"

using namespace HeadlessDetail;

namespace {

// The control as the user reaches it: present, shown and enabled, in a running dialog.
Window* Reachable(WindowHandle dialog, int id)
{
    Window* d = W(dialog);
    if (!Running(d)) return nullptr;
    Window* w = W(ItemOf(dialog, id));
    if (!w || w == d) return nullptr;
    if (!(w->style & kWsVisible) || (w->style & kWsDisabled)) return nullptr;
    return w;
}

// Key and character messages the way the Win32 modal loop treats them.
void TranslateKey(Window* w, unsigned message, uintptr_t wParam)
{
    S().focus = w;
    if (w->subclass && w->subclass->PreTranslateMessage(message, wParam, 0)) return;
    if (message == kWmKeyDown && (wParam == kVkTab || wParam == kVkReturn || wParam == kVkEscape)) {
        intptr_t code = Deliver(w, kWmGetDlgCode, wParam, 0);
        if (!(code & kDlgcWantAllKeys)) {
            Window* d = DialogOf(w);
            if (wParam == kVkTab)
                MoveFocus(d, S().shift);
            else if (wParam == kVkReturn && w->kind == Headless::Kind::Button)
                Notify(w, kBnClicked);
            else
                DefaultProc(d, kWmKeyDown, wParam, 0);
            return;
        }
    }
    Deliver(w, message, wParam, 0);
}

}  // namespace

namespace Headless {

using Headless::Kind;

bool Click(WindowHandle dialog, int id)
{
    Window* w = Reachable(dialog, id);
    if (!w) return false;
    S().focus = w;
    if (w->kind == Kind::CheckBox) {
        w->checked = !w->checked;
    } else if (w->kind == Kind::Radio) {
        // The radio's group: from the last control with WS_GROUP up to the next one.
        auto& all = w->parent->children;
        size_t at = 0;
        while (all[at].get() != w) ++at;  // w is one of its parent's children
        size_t first = at;
        while (first > 0 && !(all[first]->style & kWsGroup)) --first;
        for (size_t i = first; i < all.size(); ++i) {
            if (i > first && (all[i]->style & kWsGroup)) break;
            if (all[i]->kind == Kind::Radio) all[i]->checked = all[i].get() == w;
        }
    } else if (w->kind != Kind::Button) {
        return false;
    }
    Notify(w, kBnClicked);
    RunPosted();
    return true;
}

bool TypeChar(WindowHandle dialog, int id, unsigned char c)
{
    Window* w = Reachable(dialog, id);
    if (!w) return false;
    TranslateKey(w, kWmChar, c);
    RunPosted();
    return true;
}

bool TypeText(WindowHandle dialog, int id, const char* text)
{
    for (const char* p = text; p && *p; ++p) {
        if (!TypeChar(dialog, id, static_cast<unsigned char>(*p))) return false;
    }
    return true;
}

bool PressKey(WindowHandle dialog, int id, unsigned vk)
{
    Window* w = Reachable(dialog, id);
    if (!w) return false;
    TranslateKey(w, kWmKeyDown, vk);
    RunPosted();
    return true;
}

bool ChooseComboItem(WindowHandle dialog, int id, int index)
{
    Window* w = Reachable(dialog, id);
    if (!w || w->kind != Kind::ComboBox || index < 0 || index >= static_cast<int>(w->items.size())) return false;
    S().focus = w;
    if (w->selection != index) {
        w->selection = index;
        Notify(w, kCbnSelChange);
    }
    Notify(w, kCbnSelEndOk);
    RunPosted();
    return true;
}

bool CloseComboList(WindowHandle dialog, int id)
{
    Window* w = Reachable(dialog, id);
    if (!w || w->kind != Kind::ComboBox) return false;
    Notify(w, kCbnSelEndOk);
    RunPosted();
    return true;
}

bool ClickListRow(WindowHandle dialog, int id, int row)
{
    Window* w = Reachable(dialog, id);
    if (!w || w->kind != Kind::ListView || row < -1 || row >= static_cast<int>(w->rows.size())) return false;
    S().focus = w;
    if (row == -1)
        ListSetItemState(w, -1, 0, kLvisSelected);
    else
        ListSetItemState(w, row, kLvisSelected | kLvisFocused, kLvisSelected | kLvisFocused);
    RunPosted();
    return true;
}

bool ClickListHeader(WindowHandle dialog, int id, int column)
{
    Window* w = Reachable(dialog, id);
    if (!w || w->kind != Kind::ListView || column < 0 || column >= ListColumnCount(w)) return false;
    Notification clicked{id, kLvnColumnClick, -1};
    clicked.column = column;
    DialogOf(w)->dialog->Dispatch(clicked);
    RunPosted();
    return true;
}

std::string HoverListRow(WindowHandle dialog, int id, int row)
{
    Window* w = Reachable(dialog, id);
    std::string tip;
    if (!w || w->kind != Kind::ListView || !(w->extendedStyle & kLvsExInfoTip) || row < 0 ||
        row >= static_cast<int>(w->rows.size()))
        return tip;
    Notification asked{id, kLvnGetInfoTip, row};
    asked.tip = &tip;
    DialogOf(w)->dialog->Dispatch(asked);
    RunPosted();
    return tip;
}

void SetShiftHeld(bool held)
{
    S().shift = held;
}

}  // namespace Headless
