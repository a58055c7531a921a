// The user's hands in the native tests: actions on the controls of the running headless dialog
// (tests/doubles/windowing_headless.h), called from the driver that DoModal runs once the dialog
// is open. Each action runs its messages the way the Win32 layer does (key messages: the control's
// PreTranslateMessage, then the dialog keyboard handling unless the control asks for all keys, then
// the control) and afterwards every posted message, in posting order.
#pragma once

#include <string>

#include "doubles/windowing_headless.h"

namespace Headless {

// User actions on a control of the running dialog. Each returns false, and does nothing, when the
// dialog has ended, or the control is missing, hidden or disabled.
bool Click(WindowHandle dialog, int id);                       // button, check box, radio (with its group)
bool TypeChar(WindowHandle dialog, int id, unsigned char c);   // WM_KEYDOWN-less WM_CHAR
bool TypeText(WindowHandle dialog, int id, const char* text);  // TypeChar for each byte
bool PressKey(WindowHandle dialog, int id, unsigned vk);       // WM_KEYDOWN
// Picks an item from the dropped list (CBN_SELCHANGE, then CBN_SELENDOK).
bool ChooseComboItem(WindowHandle dialog, int id, int index);
// Closes the dropped list by picking nothing (CBN_SELENDOK with the selection unchanged).
bool CloseComboList(WindowHandle dialog, int id);
// Clicks a row of a list view (selected and focused); row -1 clicks its empty part (every row
// loses the selection).
bool ClickListRow(WindowHandle dialog, int id, int row);
// Clicks a column's header of a list view (LVN_COLUMNCLICK).
bool ClickListHeader(WindowHandle dialog, int id, int column);
// The tip a list view shows while the mouse rests on a row: what the dialog answers LVN_GETINFOTIP
// with; empty without LVS_EX_INFOTIP, for an unreachable list or a row it does not have.
std::string HoverListRow(WindowHandle dialog, int id, int row);
void SetShiftHeld(bool held);

}  // namespace Headless
