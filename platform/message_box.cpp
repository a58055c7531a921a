// Message boxes: the framework caption, the record of boxes shown and the capture switch.
#include "platform/message_box.h"

#include "platform/bounded_text.h"
#include "platform/message_box_os.h"
#include "platform/system.h"

namespace {

struct BoxState {
    std::vector<Platform::RecordedMessageBox> boxes;
    bool capture = false;
    bool silenced = false;
    int answer = Platform::kIdOk;
};

BoxState& State()
{
    static BoxState state;
    return state;
}

int Show(bool framework, void* owner, const char* text, const char* caption, unsigned style)
{
    Platform::RecordedMessageBox box;
    box.framework = framework;
    box.owner = owner;
    box.text = text != nullptr ? text : "";
    box.caption = caption != nullptr ? caption : "";
    box.style = style;
    BoxState& state = State();
    if (state.boxes.size() >= Platform::kMaxRecordedBoxes) state.boxes.erase(state.boxes.begin());
    state.boxes.push_back(box);
    if (state.capture) return state.answer;
    if (state.silenced) return 0;
    return PlatformOs::ShowMessageBox(owner, box.text.c_str(), box.caption.c_str(), style, state.answer);
}

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
    std::string caption = FrameworkCaption();
    return Show(true, nullptr, text, caption.c_str(), style);
}

int ShowMessageBox(void* owner, const char* text, const char* caption, unsigned style)
{
    return Show(false, owner, text, caption, style);
}

const std::vector<RecordedMessageBox>& RecordedMessageBoxes()
{
    return State().boxes;
}

void ClearRecordedMessageBoxes()
{
    State().boxes.clear();
}

void SetMessageBoxesSilenced(bool silenced)
{
    State().silenced = silenced;
}

void SetMessageBoxCapture(bool capture, int answer)
{
    State().capture = capture;
    State().answer = answer;
}

}  // namespace Platform
