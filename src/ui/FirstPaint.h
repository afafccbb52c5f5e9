#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <functional>

// Runs work once a window has first been put on the screen: queued behind the exposure, so that
// the first paint, which follows it, is done before. Install it on the window's handle. Header
// only, so that the start-up benchmark's minimal window uses it without linking the program.
class TAfterFirstPaint : public QObject {
public:
    TAfterFirstPaint(QWidget& aWindow, std::function<void()> aWork)
        : QObject(&aWindow), fWindow(aWindow), fWork(std::move(aWork))
    {
    }

    bool eventFilter(QObject* aWatched, QEvent* aEvent) override
    {
        if (aEvent->type() == QEvent::Expose && fWindow.windowHandle() && fWindow.windowHandle()->isExposed()) {
            aWatched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] { fWork(); });
        }
        return false;
    }

private:
    QWidget& fWindow;
    std::function<void()> fWork;
};
