// The shipped program's message boxes: shown, unless the command-line modes silenced them.
#include "platform/message_box.h"
#include "platform/message_box_os.h"

namespace Platform {

int PresentMessageBox(bool, void* owner, const char* text, const char* caption, unsigned style)
{
    if (MessageBoxesSilenced()) return 0;
    return PlatformOs::ShowMessageBox(owner, text, caption, style, kIdOk);
}

}  // namespace Platform
