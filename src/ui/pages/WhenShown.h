#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Work for a part of a page that matters only once the user sees it, such as a chart: done at once
// while the part is on the screen, otherwise as it is next shown, and once for each change of what
// it draws from. A part that is never looked at costs nothing.
class TWhenShown : public QObject {
public:
    TWhenShown(QWidget& aWatched, std::function<void()> aWork);

    // What the work draws from changed.
    void Outdate();
    // The part was brought up to date another way.
    void MarkDone() { fOutdated = false; }
    bool IsOutdated() const { return fOutdated; }

protected:
    bool eventFilter(QObject* aWatched, QEvent* aEvent) override;

private:
    void Run();

    QWidget& fWatched;
    std::function<void()> fWork;
    bool fOutdated = false;
};
