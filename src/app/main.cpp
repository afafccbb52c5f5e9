#include "ui/Dialogs.h"
#include "ui/UnitMainForm.h"
#include "util/RegionalSettings.h"

#include <QApplication>
#include <QStringList>
#include <QTimer>

// kestrova [DIARY]: DIARY, when given, is opened instead of the last file of the settings store.
int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrova"));
    QApplication::setOrganizationName(QStringLiteral("Orvanta"));

    TmainForm::TOptions options;
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        options.StartFile = arguments.at(1);

    TmainForm window(std::make_unique<TStandardDialogs>(), TRegionalSettings::System(), options);
    window.show();

    // Test hook: with KESTROVA_CLOSE_AFTER_START=1 the window closes after the first turn of the
    // event loop, so a test can start the real program under the offscreen platform and see it end.
    if (qEnvironmentVariableIntValue("KESTROVA_CLOSE_AFTER_START") == 1)
        QTimer::singleShot(0, &window, &TmainForm::close);

    return application.exec();
}
