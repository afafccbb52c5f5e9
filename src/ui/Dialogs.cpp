#include "ui/Dialogs.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

using namespace Qt::Literals::StringLiterals;

QStringList ToQtNameFilters(const QString& aFilter)
{
    QStringList result;
    const QStringList parts = aFilter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts.at(i).trimmed();
        QStringList patterns = parts.at(i + 1).split(u';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns)
            pattern = pattern.trimmed();
        const QString joined = patterns.join(u' ');
        // Qt takes the patterns from the last parentheses of the text, so a description that
        // already shows them must not get them twice.
        if (description.endsWith(u"("_s + joined + u")"_s))
            result << description;
        else
            result << description + u" ("_s + joined + u")"_s;
    }
    return result;
}

namespace {

// The boxes stand in the middle of the screen, where the user looks for the program's questions,
// not over the window, which the user may have moved aside.
void CentreOnScreen(QWidget& aBox, QWidget* aParent)
{
    QScreen* screen = aParent ? aParent->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    aBox.adjustSize();
    aBox.move(screen->availableGeometry().center() - aBox.rect().center());
}

int RunBox(QWidget* aParent, QMessageBox::Icon aIcon, const QString& aTitle, const QString& aText,
           QMessageBox::StandardButtons aButtons, QMessageBox::StandardButton aDefault)
{
    QMessageBox box(aIcon, aTitle, aText, aButtons, aParent);
    // File names and pasted texts are shown as they are, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(aDefault);
    CentreOnScreen(box, aParent);
    return box.exec();
}

QString ApplicationTitle()
{
    return u"Kestrova"_s;
}

std::optional<QString> RunFileDialog(QWidget* aParent, TFileDialog& aDialog, QFileDialog::AcceptMode aMode)
{
    QFileDialog dialog(aParent);
    dialog.setAcceptMode(aMode);
    // The commands test the existence of the chosen name themselves and say so in their own words.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (aMode == QFileDialog::AcceptSave && !aDialog.OverwritePrompt)
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);

    const QFileInfo proposed(aDialog.FileName);
    QString folder = aDialog.InitialDir;
    if (folder.isEmpty() && !aDialog.FileName.isEmpty() && proposed.isAbsolute())
        folder = proposed.absolutePath();
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
    if (!aDialog.FileName.isEmpty() && !aDialog.FileName.endsWith(u'/') && !aDialog.FileName.endsWith(u'\\'))
        dialog.selectFile(proposed.fileName());

    const QStringList filters = ToQtNameFilters(aDialog.Filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = qBound(1, aDialog.FilterIndex, int(filters.size()));
        dialog.selectNameFilter(filters.at(index - 1));
    }
    dialog.setDefaultSuffix(aDialog.DefaultExt);

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    aDialog.FileName = chosen;
    const qsizetype chosenFilter = filters.indexOf(dialog.selectedNameFilter());
    if (chosenFilter >= 0)
        aDialog.FilterIndex = int(chosenFilter) + 1;
    return chosen;
}

} // namespace

void TStandardDialogs::ShowMessage(QWidget* aParent, const QString& aText)
{
    RunBox(aParent, QMessageBox::NoIcon, ApplicationTitle(), aText, QMessageBox::Ok, QMessageBox::Ok);
}

void TStandardDialogs::ShowError(QWidget* aParent, const QString& aText)
{
    RunBox(aParent, QMessageBox::Critical, ApplicationTitle(), aText, QMessageBox::Ok, QMessageBox::Ok);
}

bool TStandardDialogs::AskYesNo(QWidget* aParent, const QString& aText)
{
    return RunBox(aParent, QMessageBox::Question, u"Confirm"_s, aText, QMessageBox::Yes | QMessageBox::No,
                  QMessageBox::Yes) == QMessageBox::Yes;
}

std::optional<QString> TStandardDialogs::ExecuteOpen(QWidget* aParent, TFileDialog& aDialog)
{
    return RunFileDialog(aParent, aDialog, QFileDialog::AcceptOpen);
}

std::optional<QString> TStandardDialogs::ExecuteSave(QWidget* aParent, TFileDialog& aDialog)
{
    return RunFileDialog(aParent, aDialog, QFileDialog::AcceptSave);
}

void TStandardDialogs::ExecuteModal(QDialog& aDialog)
{
    aDialog.exec();
}
