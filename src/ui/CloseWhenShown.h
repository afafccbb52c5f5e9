#pragma once

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>

// Closes a window, through its normal closing, once it has first been put on the screen, and
// prints "shown" at that moment: what a user waits for at start-up ends there, so a start can be
// timed from outside as a whole process. Install it on the window's handle. Header only, so the
// benchmark's minimal window times itself the same way without linking the program.
class TCloseWhenShown : public QObject {
public:
    explicit TCloseWhenShown(QWidget& aWindow) : QObject(&aWindow), fWindow(aWindow) {}

    bool eventFilter(QObject* aWatched, QEvent* aEvent) override
    {
        if (aEvent->type() == QEvent::Expose && fWindow.windowHandle() && fWindow.windowHandle()->isExposed()) {
            aWatched->removeEventFilter(this);
            // Queued, so that the first paint, which follows the exposure, is done before. The line
            // marks the moment for a timer outside: what follows (closing, tearing down) is no part
            // of the start.
            QTimer::singleShot(0, &fWindow, [this] {
                std::fputs("shown\n", stdout);
                std::fflush(stdout);
                fWindow.close();
            });
        }
        return false;
    }

private:
    QWidget& fWindow;
};
