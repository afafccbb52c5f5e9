// The least a Qt Widgets program pays to put a window on the screen: one empty window of the
// diary's default size and nothing else. It reports its first paint as `kestrova --close-when-shown`
// does ("shown" once the window is exposed and painted), then closes, so that bench_startup times
// both the same way.
#include "ui/CloseWhenShown.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.resize(788, 560);
    window.setWindowTitle(QStringLiteral("Minimal window"));
    window.winId(); // the native window exists, so its exposure can be watched
    CloseWhenShown(window);
    window.show();
    return application.exec();
}
