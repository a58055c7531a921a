// Message boxes on the native build: there are no windows, so a box is printed to stderr and
// answered at once with the test answer.
#include <cstdio>

#include "platform/message_box_os.h"

namespace PlatformOs {

int ShowMessageBox(void*, const char* text, const char* caption, unsigned, int answer)
{
    std::fprintf(stderr, "[message box] %s: %s\n", caption, text);
    return answer;
}

}  // namespace PlatformOs
