#include "ui/MainFormGuard.h"

#include "util/Errors.h"

#include <exception>

void TmainForm::ShowErrorBox(const QString& aText)
{
    QString text = aText;
    if (!text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    fDialogs->ShowError(this, text);
}

void TmainForm::ShowCurrentException()
{
    // Only called from a catch block; the texts the user sees come from the error itself, the
    // program's own errors carry them as QString so no encoding round trip spoils them.
    try {
        throw;
    } catch (const TSaveCancelled&) {
        // The user's own Cancel: the command stopped as asked, there is nothing to report.
    } catch (const EKestrovaError& error) {
        ShowErrorBox(error.Message());
    } catch (const std::exception& error) {
        ShowErrorBox(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowErrorBox(QStringLiteral("Unknown error"));
    }
}
