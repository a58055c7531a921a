// Message boxes: the framework-style box for the fixed English texts (OK button, captioned with the
// executable's base name) and the platform-style box for texts from the string file (owner window
// or none, caption and style as given).
//
// Test builds record and may capture every box (tests/control/test_control.h); the shipped program
// shows them (platform/message_box_shipped.cpp).
#pragma once
#include <cstddef>
#include <string>

namespace Platform {

// Styles and answers, with the platform's values.
constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbOkCancel = 0x1;
constexpr unsigned kMbYesNo = 0x4;
constexpr unsigned kMbIconError = 0x10;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr unsigned kMbIconWarning = 0x30;
constexpr unsigned kMbIconInformation = 0x40;
constexpr unsigned kMbTopmost = 0x40000;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// Framework-style box: text with an OK button (style kMbOk unless given), captioned with the
// executable's base name. Returns the button that closed it (kIdOk), or 0 when no box could be
// shown.
int ShowFrameworkMessageBox(const char* text, unsigned style = kMbOk);

// Platform-style box: owner is a window handle or null for none; caption and text may be null
// (shown empty). Returns the button that closed it, or 0 when no box could be shown.
int ShowMessageBox(void* owner, const char* text, const char* caption, unsigned style);

// The command-line modes show no box at all: while silenced, every box is answered with 0 (no box
// could be shown) without being shown.
void SetMessageBoxesSilenced(bool silenced);
bool MessageBoxesSilenced();

// The caption of framework-style boxes: the base name of the executable, without folder and
// extension (empty when the path cannot be read).
std::string FrameworkCaption();

}  // namespace Platform
