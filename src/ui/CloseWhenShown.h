#pragma once

#include "ui/FirstPaint.h"

#include <cstdio>

// Closes a window, through its normal closing, once it has first been put on the screen, and
// prints "shown" at that moment: what a user waits for at start-up ends there, so a start can be
// timed from outside as a whole process. Installs itself on the window's handle, which must exist.
inline void CloseWhenShown(QWidget& aWindow)
{
    aWindow.windowHandle()->installEventFilter(new TAfterFirstPaint(aWindow, [&aWindow] {
        // The line marks the moment for a timer outside: what follows (closing, tearing down) is
        // no part of the start.
        std::fputs("shown\n", stdout);
        std::fflush(stdout);
        aWindow.close();
    }));
}
