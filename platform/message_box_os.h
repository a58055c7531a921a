// The operating system's half of platform/message_box.h: shows one box and returns its answer.
#pragma once

namespace PlatformOs {
// answer is what a build without windows returns.
int ShowMessageBox(void* owner, const char* text, const char* caption, unsigned style, int answer);
}  // namespace PlatformOs
