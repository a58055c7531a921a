// The operating system's half of platform/message_box.h, and the seam where a build presents a box.
#pragma once

namespace PlatformOs {
// Shows one box and returns its answer; answer is what a build without windows returns.
int ShowMessageBox(void* owner, const char* text, const char* caption, unsigned style, int answer);
}  // namespace PlatformOs

namespace Platform {
// Presents one box (texts never null): the shipped program shows it unless boxes are silenced
// (platform/message_box_shipped.cpp); test builds record it first and may answer it themselves
// (tests/control/).
int PresentMessageBox(bool framework, void* owner, const char* text, const char* caption, unsigned style);
}  // namespace Platform
