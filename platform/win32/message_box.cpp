// Message boxes on Windows: MessageBoxA.
#include <windows.h>

#include "platform/message_box_os.h"

namespace PlatformOs {

int ShowMessageBox(void* owner, const char* text, const char* caption, unsigned style, int)
{
    return ::MessageBoxA(static_cast<HWND>(owner), text, caption, style);
}

}  // namespace PlatformOs
