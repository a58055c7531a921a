// Dialog layout scaling: a dialog and every window inside it are resized by the ratio that the
// string file gives for the dialog.
#pragma once
#include "platform/windowing.h"
#include "product/string_keys.h"

// The ratio keys of the dialogs.
constexpr StringKey kRatioKeySelConnect = Key::STR_RATIO_DLG_SEL_CONNECT;
constexpr StringKey kRatioKeySetIp = Key::STR_RATIO_DLG_SETIP;
constexpr StringKey kRatioKeyOtherNetworks = Key::STR_RATIO_DLG_OTHER_NETWORKS;

// Reads a ratio text the way atof does: optional leading white space, an optional sign, digits
// with an optional fraction after a full stop and an optional exponent; reading stops at the
// first character that does not fit, and a text without a leading number reads as 0. It reads in
// the notation of the numeric locale, which the program leaves at "C" (a full stop). A null text
// reads as 0.
double ReadRatioText(const char* text);

// The factor a ratio text gives: its value when that is a positive finite number, else 1 (a
// missing, empty, zero, negative or unreadable ratio leaves the layout as the template has it).
double LayoutFactorOf(const char* text);

// Multiplies the dialog window's outer size, and the position (in its parent's client
// coordinates) and size of every descendant window, by factor, each product truncated toward
// zero. The dialog's top-left corner stays where it is; the z-order is kept.
void ScaleDialogLayoutBy(Windowing::WindowHandle dialog, double factor);

// Looks ratioKey up in the string table once and scales the dialog by LayoutFactorOf its text
// (a key missing from the table: factor 1, after the table's own "Can not get StringTable.").
// Called from a dialog's opening, after its texts are set and before it is shown. Returns the
// factor, for the parts of the dialog that a window's size does not cover (item heights).
double ScaleDialogLayout(Windowing::WindowHandle dialog, StringKey ratioKey);

// A length times the factor, truncated toward zero as the layout is.
int ScaleLength(int length, double factor);
// A length in pixels at 96 DPI (100 %) at dpi, rounded to the nearest pixel and at least 1 for a
// positive length, so that a line stays visible.
int ScaleToDpi(int length, int dpi);
