// The wait cursor on Windows: the system's hourglass cursor, the previous one restored after.
#include <windows.h>

#include "platform/wait_cursor.h"

namespace WaitCursorDetail {
extern int depth;
}

WaitCursor::WaitCursor() : previous_(SetCursor(LoadCursor(nullptr, IDC_WAIT)))
{
    ++WaitCursorDetail::depth;
}

WaitCursor::~WaitCursor()
{
    --WaitCursorDetail::depth;
    SetCursor(static_cast<HCURSOR>(previous_));
}
