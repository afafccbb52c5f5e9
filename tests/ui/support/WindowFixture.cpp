#include "WindowFixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

const QDate TWindowFixture::Today(2025, 3, 12);

namespace {

std::unique_ptr<QSettings> Store()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, u"Orvanta"_s, u"Kestrova"_s);
}

} // namespace

TWindowFixture::TWindowFixture() : fPreviousCurrent(QDir::currentPath())
{
    QVERIFY(fFolder.isValid());
    QDir(fFolder.path()).mkpath(u"settings"_s);
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, Path(u"settings"_s));
    QDir::setCurrent(fFolder.path());
    QVERIFY(fDataFolder.isValid());
    fPreviousDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(fDataFolder.path()));
}

TWindowFixture::~TWindowFixture()
{
    fWindow.reset();
    QDir::setCurrent(fPreviousCurrent);
    if (fPreviousDataHome.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", fPreviousDataHome);
}

TScriptedDialogs& TWindowFixture::Script()
{
    if (!fNextDialogs)
        fNextDialogs = std::make_unique<TScriptedDialogs>();
    return *fNextDialogs;
}

TmainForm& TWindowFixture::Start(TmainForm::TOptions aOptions)
{
    if (fWindow) {
        fProblems << fDialogs->Problems();
        fWindow.reset();
    }
    // Backups carry the fixed date and do not wait, unless the test brings a clock of its own.
    if (!aOptions.Backup.Today) {
        aOptions.Backup.Today = [] { return Today; };
        aOptions.Backup.WaitMs = 0;
    }
    auto dialogs = fNextDialogs ? std::move(fNextDialogs) : std::make_unique<TScriptedDialogs>();
    fDialogs = dialogs.get();
    fWindow = std::make_unique<TmainForm>(std::move(dialogs), TRegionalSettings(), std::move(aOptions));
    fWindow->show();
    return *fWindow;
}

QStringList TWindowFixture::Problems() const
{
    QStringList problems = fProblems;
    if (fDialogs)
        problems << fDialogs->Problems();
    return problems;
}

QString TWindowFixture::Path(const QString& aRelative) const
{
    return fFolder.filePath(aRelative);
}

void TWindowFixture::WriteFile(const QString& aRelative, const QByteArray& aBytes) const
{
    QFile file(Path(aRelative));
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    QCOMPARE(file.write(aBytes), aBytes.size());
}

QByteArray TWindowFixture::ReadFile(const QString& aPath) const
{
    QFile file(aPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void TWindowFixture::SetSetting(const QString& aName, const QString& aValue) const
{
    Store()->setValue(aName, aValue);
}

QVariant TWindowFixture::Setting(const QString& aName) const
{
    return Store()->value(aName);
}

QStringList TWindowFixture::SettingNames() const
{
    return Store()->allKeys();
}

void TWindowFixture::Trigger(const QString& aName)
{
    if (auto* button = Find<QToolButton>(aName)) {
        QVERIFY2(button->isEnabled(), qPrintable(aName + u" is disabled"_s));
        QTest::mouseClick(button, Qt::LeftButton);
        return;
    }
    auto* action = Find<QAction>(aName);
    QVERIFY2(action, qPrintable(u"no menu item or tool button "_s + aName));
    QVERIFY2(action->isEnabled(), qPrintable(aName + u" is disabled"_s));
    action->trigger();
}
