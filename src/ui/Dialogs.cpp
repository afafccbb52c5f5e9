#include "ui/Dialogs.h"

#include "ui/LateLibrary.h"
#include "ui/MergeDialog.h"
#include "ui/PasswordDialog.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
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

// Where a box stands: over the window it speaks about, or in the middle of the screen, where the
// user looks for the save question even when the window was moved aside.
enum class TPlace { OverParent, OnScreen };

// A message box that centres itself once its size is known. The box lays itself out, wrapping a
// long text, only as it is shown; a position computed before then leaves a wrapped box off centre.
class TCentredMessageBox : public QMessageBox {
public:
    TCentredMessageBox(TPlace aPlace, QMessageBox::Icon aIcon, const QString& aTitle, const QString& aText,
                       QMessageBox::StandardButtons aButtons, QWidget* aParent)
        : QMessageBox(aIcon, aTitle, aText, aButtons, aParent), fPlace(aPlace)
    {
    }

protected:
    void showEvent(QShowEvent* aEvent) override
    {
        QMessageBox::showEvent(aEvent); // sizes the box
        const QWidget* parent = parentWidget() ? parentWidget()->window() : nullptr;
        QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return;
        const QRect available = screen->availableGeometry();
        const QPoint centre =
            fPlace == TPlace::OverParent && parent ? parent->frameGeometry().center() : available.center();
        QRect box = frameGeometry();
        box.moveCenter(centre);
        // A box larger than the window may overhang it, never the screen.
        box.moveLeft(qMax(available.left(), qMin(box.left(), available.right() - box.width() + 1)));
        box.moveTop(qMax(available.top(), qMin(box.top(), available.bottom() - box.height() + 1)));
        move(box.topLeft());
    }

private:
    TPlace fPlace;
};

int RunBox(QWidget* aParent, TPlace aPlace, QMessageBox::Icon aIcon, const QString& aTitle, const QString& aText,
           QMessageBox::StandardButtons aButtons, QMessageBox::StandardButton aDefault)
{
    TCentredMessageBox box(aPlace, aIcon, aTitle, aText, aButtons, aParent);
    // File names and pasted texts are shown as they are, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(aDefault);
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
    RunBox(aParent, TPlace::OverParent, QMessageBox::NoIcon, ApplicationTitle(), aText, QMessageBox::Ok,
           QMessageBox::Ok);
}

void TStandardDialogs::ShowError(QWidget* aParent, const QString& aText)
{
    RunBox(aParent, TPlace::OverParent, QMessageBox::Critical, ApplicationTitle(), aText, QMessageBox::Ok,
           QMessageBox::Ok);
}

bool TStandardDialogs::AskYesNo(QWidget* aParent, const QString& aText)
{
    return RunBox(aParent, TPlace::OnScreen, QMessageBox::Question, u"Confirm"_s, aText,
                  QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

int TStandardDialogs::AskChoice(QWidget* aParent, const QString& aText, const QStringList& aButtons)
{
    Q_ASSERT(!aButtons.isEmpty());
    TCentredMessageBox box(TPlace::OverParent, QMessageBox::Question, ApplicationTitle(), aText, QMessageBox::NoButton,
                           aParent);
    box.setTextFormat(Qt::PlainText);
    QList<QAbstractButton*> buttons;
    for (const QString& text : aButtons)
        buttons << box.addButton(text, QMessageBox::AcceptRole);
    box.setDefaultButton(qobject_cast<QPushButton*>(buttons.constFirst()));
    box.setEscapeButton(buttons.constLast());
    box.exec();
    const qsizetype pressed = buttons.indexOf(box.clickedButton());
    return pressed < 0 ? int(buttons.size()) - 1 : int(pressed);
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

std::optional<TSecret> TStandardDialogs::AskPassword(QWidget* aParent, const QString& aText)
{
    TPasswordDialog dialog(TPasswordDialog::TMode::Enter, aText, aParent);
    return dialog.Run();
}

std::optional<TSecret> TStandardDialogs::AskNewPassword(QWidget* aParent, const QString& aText)
{
    TPasswordDialog dialog(TPasswordDialog::TMode::New, aText, aParent);
    return dialog.Run();
}

bool TStandardDialogs::ExecutePrint(QWidget* aParent, QPrinter& aPrinter)
{
    return LateLibrary().ExecutePrintDialog(aParent, aPrinter);
}

std::optional<std::vector<TMergePick>> TStandardDialogs::PickMergeResolutions(
    QWidget* aParent, const std::vector<TMergeConflict>& aConflicts, const QStringList& aDates)
{
    TMergeDialog dialog(aConflicts, aDates, aParent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Picks();
}
