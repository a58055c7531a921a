// Message boxes: the framework caption and the silence of the command-line modes; the box itself is
// presented by the build's half (platform/message_box_os.h).
#include "platform/message_box.h"

#include "platform/bounded_text.h"
#include "platform/message_box_os.h"
#include "platform/system.h"

namespace {
bool g_silenced = false;
}  // namespace

namespace Platform {

std::string FrameworkCaption()
{
    char path[260] = {};
    if (GetOwnModulePath(path, sizeof(path)) != kSysOk) return std::string();
    char base[260] = {};
    PathBaseName(path, base, sizeof(base));
    return base;
}

int ShowFrameworkMessageBox(const char* text, unsigned style)
{
    const std::string caption = FrameworkCaption();
    return PresentMessageBox(true, nullptr, text != nullptr ? text : "", caption.c_str(), style);
}

int ShowMessageBox(void* owner, const char* text, const char* caption, unsigned style)
{
    return PresentMessageBox(false, owner, text != nullptr ? text : "", caption != nullptr ? caption : "", style);
}

void SetMessageBoxesSilenced(bool silenced)
{
    g_silenced = silenced;
}

bool MessageBoxesSilenced()
{
    return g_silenced;
}

}  // namespace Platform
