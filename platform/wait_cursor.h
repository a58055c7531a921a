// The wait cursor: shown while a blocking operation (discovery, device registration) runs and
// restored on every exit path, as a scoped object.
#pragma once

class WaitCursor {
public:
    WaitCursor();   // shows the wait cursor
    ~WaitCursor();  // restores the cursor that was shown before
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    // How many wait cursors are shown now (nesting depth); 0 when the normal cursor is back.
    static int Depth();

private:
    void* previous_;
};
