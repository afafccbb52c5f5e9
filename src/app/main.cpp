#include "ui/ApplicationIcon.h"
#include "ui/CloseWhenShown.h"
#include "ui/Dialogs.h"
#include "ui/FontWarmUp.h"
#include "ui/OnDemandIcon.h"
#include "ui/UnitMainForm.h"
#include "util/HugePages.h"
#include "util/RegionalSettings.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWindow>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

// The window system's options that QApplication takes out of the arguments itself, known here so
// that reading the arguments before it exists does not refuse them; they are not listed in --help.
void AddWindowSystemOptions(QCommandLineParser& aParser)
{
    const char* const withValue[] = {"platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
                                     "qwindowicon", "qwindowtitle",       "session",       "display", "geometry",
                                     "style",       "stylesheet",         "qmljsdebugger", "name",    "title"};
    const char* const flags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
    for (const char* name : withValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), u"value"_s);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        aParser.addOption(option);
    }
    for (const char* name : flags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        aParser.addOption(option);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    // Putting the window up touches some ten megabytes of fresh heap (widgets, fonts, the first
    // paint), and reading a large diary tens more.
    UseHugePagesForTheMainHeap();
    // The options are read before the application object exists: that one needs a display, and
    // --help, or a mistyped option, must be answered without one. Qt's own window-system options
    // (-platform, -display, ...) are left to the application object, which takes them out.
    TmainForm::TOptions options;
    bool closeWhenShownSet = false;
    {
        QCommandLineParser parser;
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setApplicationDescription(u"Kestrova, a diary with a page for every day."_s);
        const QCommandLineOption help = parser.addHelpOption();
        const QCommandLineOption closeWhenShown(
            u"close-when-shown"_s,
            u"Close the window as soon as it is shown, as if the user closed it, after printing \"shown\" "
            u"on standard output (to time the start)."_s);
        parser.addOption(closeWhenShown);
        const QCommandLineOption recoveryInterval(
            u"recovery-interval"_s,
            u"Write the copy of unsaved changes at most every SECONDS seconds (default 60); the copy is also "
            u"written when Kestrova loses the focus."_s,
            u"SECONDS"_s);
        parser.addOption(recoveryInterval);
        AddWindowSystemOptions(parser);
        parser.addPositionalArgument(u"diary"_s, u"A diary file to open instead of the last one."_s, u"[diary]"_s);

        // Only the help and the complaints need an application object (for the program's name);
        // made and torn down on every start, it would set up an event loop and the locale once
        // more before the window's own application object does.
        QStringList arguments;
        for (int i = 0; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
        const bool parsed = parser.parse(arguments);
        if (!parsed || parser.isSet(help) || parser.optionNames().contains(u"help-all"_s) ||
            parser.positionalArguments().size() > 1) {
            QCoreApplication reader(argc, argv);
            QCoreApplication::setApplicationName(u"kestrova"_s);
            parser.process(reader); // answers and exits, but for too many diaries
            parser.showHelp(2);
        }

        const QStringList positional = parser.positionalArguments();
        if (!positional.isEmpty())
            options.StartFile = positional.first();
        if (parser.isSet(recoveryInterval)) {
            bool valid = false;
            const double seconds = parser.value(recoveryInterval).toDouble(&valid);
            if (!valid || !(seconds > 0) || seconds > 24 * 3600) {
                std::fputs("--recovery-interval takes a number of seconds above 0 and up to 86400.\n", stderr);
                return 2;
            }
            options.RecoveryInterval = std::chrono::milliseconds(qMax(qint64(1), qint64(seconds * 1000)));
        }
        closeWhenShownSet = parser.isSet(closeWhenShown);
    }

    // The window's first text needs the font configuration; it is read while the application
    // object connects to the window system.
    TFontWarmUp fonts;
    QApplication application(argc, argv);
    QApplication::setApplicationName(u"Kestrova"_s);
    QApplication::setOrganizationName(u"Orvanta"_s);
    // Names the installed kestrova.desktop, by which a desktop (Wayland's above all) finds the
    // icon and the name to show for the running window.
    QGuiApplication::setDesktopFileName(u"kestrova"_s);
    // The style the user or the desktop chose, made to read its pictures only when one is shown.
    QApplication::setStyle(new TWindowStyle(QApplication::style()->name()));

    fonts.Wait();
    TmainForm window(std::make_unique<TStandardDialogs>(), TRegionalSettings::System(), std::move(options));
    window.winId(); // creates the platform window, whose exposure the filters watch
    // The icon's pictures are decoded for the window system as soon as a window has an icon; that
    // waits until the window is on the screen (the desktop names the program by its desktop file
    // meanwhile).
    window.windowHandle()->installEventFilter(
        new TAfterFirstPaint(window, [] { QApplication::setWindowIcon(ApplicationIcon()); }));
    if (closeWhenShownSet)
        CloseWhenShown(window);
    window.show();
    return application.exec();
}
