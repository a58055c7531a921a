// The portable half of the wait cursor: the nesting depth, which tests read.
#include "platform/wait_cursor.h"

namespace WaitCursorDetail {
int depth = 0;
}

int WaitCursor::Depth()
{
    return WaitCursorDetail::depth;
}
