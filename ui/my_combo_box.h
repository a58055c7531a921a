// CMyComboBox: the owner-drawn protocol box. Items are staged and committed in one step, empty
// texts are drawn as separator lines and skipped by the arrow keys, the dropped list is as wide as
// its longest text, and closing the list without a choice restores the last selection.
#pragma once
#include <cstddef>

#include "platform/windowing.h"

// Sent to the parent while each item with text is drawn: wParam 0, lParam the platform's
// draw-item record.
constexpr unsigned kComboItemDrawnMessage = Windowing::kWmUser + 102;
// The drawing buffer: an item text is cut to 518 characters when drawn.
constexpr int kComboDrawTextCapacity = 519;

// The system colour indexes (COLOR_*) an item is drawn with.
struct ComboItemColors {
    int text;
    int back;
};
// The colours for an item with the ODS_* state; itemId -1 is the selection field with no item.
ComboItemColors ComboColorsFor(int itemId, unsigned state, bool separator);

class CMyComboBox : public Windowing::CWnd {
public:
    // The staging list is one list for the whole program, shared by every box. append 0 empties
    // it first; then (text, data) is added at its end.
    static void StageItem(int append, const char* text, int data);

    // Puts the staging list into the box and empties the staging list. The box is rebuilt only
    // when the count, a text or an item data differs: then every item is inserted again with its
    // data, no item is selected, the dropped width is updated and the parent is invalidated
    // without erasing. Otherwise the box keeps its items and its selection.
    void CommitItems();
    // Selects the first item whose data equals data, else item 0 (nothing on an empty box), with
    // no notification; lastSelection follows a successful selection.
    void SelectByData(int data);
    // The dropped list's width: the box's outer width, or the widest item text in the box's font
    // plus the vertical scroll bar's width plus 8 when that is more.
    void UpdateDroppedWidth();

    // The index of the item last selected through SelectByData; -1 until the first.
    int lastSelection = -1;

    // The arrow keys step over an item with empty text (separator) before the box moves on.
    bool PreTranslateMessage(unsigned message, uintptr_t wParam, intptr_t lParam) override;
    // The reflected CBN_SELENDOK: with nothing selected, selects lastSelection again.
    bool OnReflectedCommand(int code) override;
    // Owner drawing of one item: colours by state, a separator as a centred gray line, the text 2
    // pixels in, the kComboItemDrawnMessage to the parent, the focus rectangle.
    void DrawItem(const Windowing::DrawItemRecord& record) override;
};
