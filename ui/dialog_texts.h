// The control-text tables of the two dialogs: each control's text looked up in the string file by
// key, the template's text kept when a key is missing.
#pragma once
#include <cstddef>

#include "platform/windowing.h"
#include "product/string_keys.h"

// One pair of a control-text table. Control ID 0 stands for the dialog window itself (its caption).
struct ControlText {
    int id;
    StringKey key;
};

// Room for one text of the string file (its longest line).
constexpr size_t kDialogTextCapacity = 1040;

// For each pair in order: looks the key up and, when the lookup succeeds, sets the control's text
// (the dialog's caption for ID 0). A failed lookup leaves the template text (the string table has
// shown its own message).
void SetControlTexts(Windowing::WindowHandle dialog, const ControlText* table, size_t count);
