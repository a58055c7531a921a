// CMyComboBox: staging and committing items, selection by item data, the dropped width, owner
// drawing with separators, separator skipping and the restored selection.
#include "ui/my_combo_box.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "ui/layout_scaling.h"

using namespace Windowing;

namespace {

std::vector<std::pair<std::string, int>>& Staging()
{
    static std::vector<std::pair<std::string, int>> items;
    return items;
}

// The full text of item index (empty when there is none).
std::string ItemText(WindowHandle combo, int index)
{
    int length = ComboTextLength(combo, index);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    ComboGetText(combo, index, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

}  // namespace

ComboItemColors ComboColorsFor(int itemId, unsigned state, bool separator)
{
    const bool selected = (state & kOdsSelected) != 0;
    const bool grayed = (state & (kOdsGrayed | kOdsDisabled)) != 0;
    ComboItemColors colors{kColorWindowText, kColorWindow};
    if (itemId != -1) {
        if (separator)
            colors.text = kColorGrayText;
        else if (selected)
            colors.text = kColorHighlightText;
        if (grayed) colors.text = kColorGrayText;
    }
    if (!separator && selected) colors.back = kColorHighlight;
    if (grayed) colors.back = kColorBtnFace;
    return colors;
}

void CMyComboBox::StageItem(int append, const char* text, int data)
{
    if (append == 0) Staging().clear();
    Staging().emplace_back(text ? text : "", data);
}

void CMyComboBox::CommitItems()
{
    auto& staged = Staging();
    WindowHandle combo = Handle();
    const int count = ComboCount(combo);
    bool changed = count != static_cast<int>(staged.size());
    for (int i = 0; !changed && i < count; ++i) {
        changed =
            ItemText(combo, i) != staged[i].first || ComboGetData(combo, i) != static_cast<intptr_t>(staged[i].second);
    }
    if (changed) {
        ComboReset(combo);
        for (size_t i = 0; i < staged.size(); ++i) {
            int index = ComboInsert(combo, static_cast<int>(i), staged[i].first.c_str());
            if (index >= 0) ComboSetData(combo, index, staged[i].second);
        }
        UpdateDroppedWidth();
        if (WindowHandle parent = ParentOf(combo)) InvalidateWindow(parent, false);
    }
    staged.clear();
}

void CMyComboBox::SelectByData(int data)
{
    WindowHandle combo = Handle();
    const int count = ComboCount(combo);
    if (count == -1) return;
    for (int i = 0; i < count; ++i) {
        if (ComboGetData(combo, i) == static_cast<intptr_t>(data)) {
            if (ComboSetSelection(combo, i) != -1) lastSelection = i;
            return;
        }
    }
    if (ComboSetSelection(combo, 0) != -1) lastSelection = 0;
}

void CMyComboBox::UpdateDroppedWidth()
{
    WindowHandle combo = Handle();
    if (!combo) return;
    int width = GetWindowRectangle(combo).Width();
    DcHandle dc = GetWindowDc(combo);
    if (dc) {
        FontHandle previous = SelectFontInto(dc, FontOf(combo));
        const int count = ComboCount(combo);
        for (int i = 0; i < count; ++i) {
            int textWidth = 0;
            if (TextExtent(dc, ItemText(combo, i).c_str(), &textWidth, nullptr))
                width = std::max(width, textWidth + VerticalScrollBarWidth() + 8);
        }
        SelectFontInto(dc, previous);
        ReleaseWindowDc(combo, dc);
    }
    ComboSetDroppedWidth(combo, width);
}

bool CMyComboBox::PreTranslateMessage(unsigned message, uintptr_t wParam, intptr_t)
{
    if (message != kWmKeyDown) return false;
    WindowHandle combo = Handle();
    int target;
    if (wParam == kVkLeft || wParam == kVkUp)
        target = ComboGetSelection(combo) - 1;
    else if (wParam == kVkRight || wParam == kVkDown)
        target = ComboGetSelection(combo) + 1;
    else
        return false;
    if (target >= 0 && target < ComboCount(combo) && ComboTextLength(combo, target) == 0)
        ComboSetSelection(combo, target);
    return false;  // the box's own key handling moves on from there
}

bool CMyComboBox::OnReflectedCommand(int code)
{
    if (code != kCbnSelEndOk) return false;
    if (ComboGetSelection(Handle()) == -1) ComboSetSelection(Handle(), lastSelection);
    return true;
}

void CMyComboBox::DrawItem(const DrawItemRecord& record)
{
    WindowHandle combo = Handle();
    DcHandle dc = record.dc;
    char text[kComboDrawTextCapacity] = {};
    bool separator = false;
    if (record.itemId == -1) {
        GetText(combo, text, sizeof text);
    } else {
        ComboGetText(combo, record.itemId, text, sizeof text);
        separator = text[0] == '\0';
    }
    const ComboItemColors colors = ComboColorsFor(record.itemId, record.itemState, separator);
    const Color previousText = SetDcTextColor(dc, SystemColor(colors.text));
    const Color fill = SystemColor(colors.back);
    FillSolid(dc, record.rect, fill);

    if (separator) {
        // A line across the item, as thick and as far from the edges as the DPI makes one pixel.
        const Rect& r = record.rect;
        const int dpi = WindowDpi(combo);
        const int thickness = ScaleToDpi(1, dpi);
        const int y = r.top + (r.bottom - r.top) / 2 - thickness / 2;
        for (int i = 0; i < thickness; ++i) {
            DrawLine(dc, r.left + ScaleToDpi(1, dpi), y + i, r.right - ScaleToDpi(2, dpi), y + i,
                     SystemColor(kColorGrayText));
        }
        return;  // a separator has no text and no focus rectangle
    }

    Rect textRect = record.rect;
    textRect.left += 2;
    const Color previousBack = SetDcBackColor(dc, fill);
    const int previousMode = SetDcBackMode(dc, kBkTransparent);
    DrawTextIn(dc, text, textRect, kDtSingleLine | kDtVCenter | kDtNoPrefix | kDtEndEllipsis | kDtNoClip);
    SendToWindow(ParentOf(combo), kComboItemDrawnMessage, 0, record.native);
    SetDcBackMode(dc, previousMode);
    SetDcBackColor(dc, previousBack);
    SetDcTextColor(dc, previousText);
    if (record.itemState & kOdsFocus) DrawFocusRectangle(dc, record.rect);
}
