// The wait cursor natively: there is no cursor; only the nesting depth is kept for the tests.
#include "platform/wait_cursor.h"

namespace WaitCursorDetail {
extern int depth;
}

WaitCursor::WaitCursor() : previous_(nullptr)
{
    ++WaitCursorDetail::depth;
}

WaitCursor::~WaitCursor()
{
    --WaitCursorDetail::depth;
}
