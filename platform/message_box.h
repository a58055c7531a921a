// Message boxes: the framework-style box for the fixed English texts (OK button, captioned with the
// executable's base name) and the platform-style box for texts from the string file (owner window
// or none, caption and style as given).
//
// Every box shown is also recorded (up to kMaxRecordedBoxes, the oldest dropped first) so that
// tests can read what the user saw. With capture on, a box is only recorded and answered with the
// test answer, never shown: unit tests on both builds turn it on. The native build has no windows:
// with capture off, a box is printed to stderr as "[message box] caption: text" and answered with
// the test answer.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

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

// What a box showed, for tests.
struct RecordedMessageBox {
    bool framework = false;  // true for ShowFrameworkMessageBox
    void* owner = nullptr;
    std::string text;
    std::string caption;
    unsigned style = 0;
};
constexpr size_t kMaxRecordedBoxes = 256;
const std::vector<RecordedMessageBox>& RecordedMessageBoxes();
void ClearRecordedMessageBoxes();

// Test switches: with capture on, boxes are recorded and answered with answer (kIdOk by default)
// without being shown.
void SetMessageBoxCapture(bool capture, int answer = kIdOk);

// The command-line modes show no box at all: while silenced, every box is only recorded and
// answered with 0 (no box could be shown). Capture, when on as well, still gives its answer.
void SetMessageBoxesSilenced(bool silenced);

// The caption of framework-style boxes: the base name of the executable, without folder and
// extension (empty when the path cannot be read).
std::string FrameworkCaption();

}  // namespace Platform
