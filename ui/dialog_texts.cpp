// The control-text tables of the two dialogs.
#include "ui/dialog_texts.h"

#include "product/string_table.h"

void SetControlTexts(Windowing::WindowHandle dialog, const ControlText* table, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        char text[kDialogTextCapacity] = {};
        if (StringTable::Get(table[i].key, text, sizeof text) == 1) {
            Windowing::SetItemText(dialog, table[i].id, text);
        }
    }
}
