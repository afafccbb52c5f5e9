#include "ui/UnitMainForm.h"

#include "ui/MainFormGuard.h"
#include "ui/Widgets.h"

namespace {
bool IsBackspaceOrDigit(QChar aKey)
{
    return aKey == QChar(8) || (aKey >= u'0' && aKey <= u'9');
}
} // namespace

void TmainForm::RejectKey(QChar& aKey, const QString& aMessage)
{
    fDialogs->ShowError(this, aMessage);
    aKey = QChar(27); // the edit drops Escape, so the text stays as it was
}

void TmainForm::CheckKeyPressForFloatingPointNumbers(TNumberEdit* aSender, QChar& aKey)
{
    if (IsBackspaceOrDigit(aKey))
        return;
    // The whole text counts, a selected separator included: the filter sees the key alone, not
    // what the edit would make of it.
    const QChar separator = fSettings.DecimalSeparator();
    if (aKey == separator && !(aSender && aSender->text().contains(separator)))
        return;
    RejectKey(aKey, QStringLiteral("Only floating point numbers are allowed!"));
}

void TmainForm::CheckKeyPressForIntegerNumbers(TNumberEdit*, QChar& aKey)
{
    if (IsBackspaceOrDigit(aKey))
        return;
    RejectKey(aKey, QStringLiteral("Only integers are allowed!"));
}

void TmainForm::CheckKeyPressForIntegerNumbersAndMinusSign(TNumberEdit*, QChar& aKey)
{
    // A minus sign is accepted anywhere and any number of times; a misplaced one fails to convert
    // at the next commit.
    if (IsBackspaceOrDigit(aKey) || aKey == u'-')
        return;
    RejectKey(aKey, QStringLiteral("Only integers are allowed!"));
}

void TmainForm::CatchEmptyNumberFieldsOnExit(QObject* aSender)
{
    if (aSender)
        Guarded(TCursor::Hourglass, [this] { CommitPage(); });
    else
        CommitPage(); // the caller holds fBusy and handles a conversion error
}

void TmainForm::CommitPage()
{
    // Every numeric edit is examined, not only the one left: an empty one means 0, and so does a
    // lone minus sign in a weather temperature, the only edits where one can be typed.
    for (TNumberEdit* edit : {EditTemperature1,
                              EditPuls1,
                              EditBloodPressureSys1,
                              EditBloodPressureDia1,
                              EditOxygenSaturation1,
                              EditGlucoseLevel1,
                              EditWeight1,
                              EditTemperature2,
                              EditPuls2,
                              EditBloodPressureSys2,
                              EditBloodPressureDia2,
                              EditOxygenSaturation2,
                              EditGlucoseLevel2,
                              EditWeight2,
                              EditTemperature3,
                              EditPuls3,
                              EditBloodPressureSys3,
                              EditBloodPressureDia3,
                              EditOxygenSaturation3,
                              EditGlucoseLevel3,
                              EditWeight3,
                              EditWeatherHumidity,
                              EditWeatherPressure,
                              EditWeatherTemperatureAfternoon,
                              EditWeatherTemperatureEvening,
                              EditWeatherTemperatureMorning,
                              EditWeatherTemperatureOvernight,
                              EditWeatherWindSpeed,
                              EditWeatherUVIndex,
                              EditTotalPurchaseAmount}) {
        if (edit->text().isEmpty())
            edit->setText(QStringLiteral("0"));
    }
    for (TNumberEdit* edit : {EditWeatherTemperatureAfternoon, EditWeatherTemperatureEvening,
                              EditWeatherTemperatureMorning, EditWeatherTemperatureOvernight}) {
        if (edit->text() == u"-")
            edit->setText(QStringLiteral("0"));
    }

    CheckDialogChanged();
    DialogToDay();
    FillHealthChart();
    FillWeatherChart();
}
