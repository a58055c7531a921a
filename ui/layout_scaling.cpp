// Dialog layout scaling by the ratio that the string file gives for a dialog.
#include "ui/layout_scaling.h"

#include <climits>
#include <cmath>
#include <cstdlib>

#include "product/string_table.h"

using namespace Windowing;

namespace {

// One coordinate times the factor, truncated toward zero and kept within the range of int (an
// absurd factor gives an absurd but defined size).
int Scaled(int value, double factor)
{
    double product = std::trunc(static_cast<double>(value) * factor);
    if (!(product > INT_MIN)) return INT_MIN;  // also NaN
    if (product > INT_MAX) return INT_MAX;
    return static_cast<int>(product);
}

}  // namespace

double ReadRatioText(const char* text)
{
    return text ? std::strtod(text, nullptr) : 0.0;
}

double LayoutFactorOf(const char* text)
{
    double value = ReadRatioText(text);
    return std::isfinite(value) && value > 0.0 ? value : 1.0;
}

void ScaleDialogLayoutBy(WindowHandle dialog, double factor)
{
    if (!dialog) return;
    const Rect outer = GetWindowRectangle(dialog);
    EnumDescendants(dialog, [factor](WindowHandle window) {
        Rect r = GetWindowRectangle(window);
        Point at = ScreenToClientPoint(ParentOf(window), Point{r.left, r.top});
        SetWindowPosition(window, Scaled(at.x, factor), Scaled(at.y, factor), Scaled(r.Width(), factor),
                          Scaled(r.Height(), factor), kSwpNoZOrder);
    });
    SetWindowPosition(dialog, outer.left, outer.top, Scaled(outer.Width(), factor), Scaled(outer.Height(), factor),
                      kSwpNoZOrder);
}

double ScaleDialogLayout(WindowHandle dialog, StringKey ratioKey)
{
    char text[128] = {};
    if (!StringTable::Get(ratioKey, text, sizeof text)) text[0] = '\0';
    const double factor = LayoutFactorOf(text);
    ScaleDialogLayoutBy(dialog, factor);
    return factor;
}

int ScaleLength(int length, double factor)
{
    return Scaled(length, factor);
}

int ScaleToDpi(int length, int dpi)
{
    if (length <= 0 || dpi <= 0) return length > 0 ? length : 0;
    const long long scaled = (static_cast<long long>(length) * dpi + kDefaultDpi / 2) / kDefaultDpi;
    return scaled < 1 ? 1 : scaled > INT_MAX ? INT_MAX : static_cast<int>(scaled);
}
