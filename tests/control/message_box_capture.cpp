// The test builds' message boxes: every box recorded; with capture on answered without being shown.
#include "control/test_control.h"
#include "platform/message_box_os.h"

namespace {

struct BoxState {
    std::vector<Platform::RecordedMessageBox> boxes;
    bool capture = false;
    int answer = Platform::kIdOk;
};

BoxState& State()
{
    static BoxState state;
    return state;
}

}  // namespace

namespace Platform {

int PresentMessageBox(bool framework, void* owner, const char* text, const char* caption, unsigned style)
{
    BoxState& state = State();
    if (state.boxes.size() >= kMaxRecordedBoxes) state.boxes.erase(state.boxes.begin());
    state.boxes.push_back(RecordedMessageBox{framework, owner, text, caption, style});
    if (state.capture) return state.answer;
    if (MessageBoxesSilenced()) return 0;
    return PlatformOs::ShowMessageBox(owner, text, caption, style, state.answer);
}

const std::vector<RecordedMessageBox>& RecordedMessageBoxes()
{
    return State().boxes;
}

void ClearRecordedMessageBoxes()
{
    State().boxes.clear();
}

void SetMessageBoxCapture(bool capture, int answer)
{
    State().capture = capture;
    State().answer = answer;
}

}  // namespace Platform
