#include "ui/pages/WhenShown.h"

#include <QEvent>
#include <QWidget>

TWhenShown::TWhenShown(QWidget& aWatched, std::function<void()> aWork)
    : QObject(&aWatched), fWatched(aWatched), fWork(std::move(aWork))
{
    aWatched.installEventFilter(this);
}

void TWhenShown::Outdate()
{
    fOutdated = true;
    // On the screen, it shows the new state before the next paint.
    if (fWatched.isVisible())
        Run();
}

bool TWhenShown::eventFilter(QObject* aWatched, QEvent* aEvent)
{
    // The show event comes before the part's first paint, whether its tab was chosen or the
    // window itself appears.
    if (aEvent->type() == QEvent::Show && fOutdated)
        Run();
    return QObject::eventFilter(aWatched, aEvent);
}

void TWhenShown::Run()
{
    fOutdated = false;
    fWork();
}
