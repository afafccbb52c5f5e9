#include "ui/MainFormGuard.h"
#include "ui/UnitMainForm.h"
#include "ui/Widgets.h"
#include "util/Errors.h"
#include "util/FileAccess.h"
#include "util/JpegDecoder.h"
#include "util/ksDateUtils.h"

#include <QFileInfo>

#include <exception>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString PictureFilter = u"JPG Files (*.jpg)|*.jpg"_s;

} // namespace

void TmainForm::ButtonLoadPictureFromFileClick()
{
    GuardShowingErrors(TCursor::Hourglass, [this] {
        OpenDialog1.FileName = TKSFileUtils::ExtractFilePath(fFileName);
        OpenDialog1.Filter = PictureFilter;
        if (const std::optional<QString> chosen = fDialogs->ExecuteOpen(this, OpenDialog1)) {
            // A picture that cannot be decoded ends the command here: the box keeps what it
            // showed, and there is nothing new for the change check to find.
            if (FileExists(*chosen))
                ImageOfTheDay->LoadFromBytes(TJpegDecoder::ReadPictureFile(*chosen));
            else
                fDialogs->ShowMessage(this, DoesNotExistText(*chosen));
        }
        CheckDialogChanged();
    });
}

void TmainForm::ButtonDeleteJpgClick()
{
    GuardShowingErrors(TCursor::Hourglass, [this] {
        ImageOfTheDay->Clear();
        fBytes.clear();
        CheckDialogChanged();
    });
}

void TmainForm::PictureToBytes()
{
    // The box keeps the bytes it was loaded from, so these are the file's bytes, never re-encoded.
    if (ImageOfTheDay->HasPicture())
        fBytes = ImageOfTheDay->Bytes();
}

void TmainForm::ShowStoredPicture()
{
    if (fDay->Picture.isEmpty()) {
        ImageOfTheDay->Clear();
        fBytes.clear();
        return;
    }
    QString problem;
    try {
        ImageOfTheDay->LoadFromBytes(fDay->Picture);
        return;
    } catch (const EKestrovaError& error) {
        problem = error.Message();
    } catch (const std::exception& error) {
        problem = QString::fromLocal8Bit(error.what());
    }
    // Only a damaged diary holds such bytes. The rest of the page is shown all the same, and the
    // bytes stay in the box undecoded: the change check finds them unchanged and every commit
    // stores them back, so they are lost only when the user deletes or replaces the picture.
    ImageOfTheDay->KeepUndecoded(fDay->Picture);
    fDialogs->ShowMessage(this, u"The picture of %1 can not be shown (%2). It is kept as it is until you delete "
                                u"or replace it."_s.arg(TKSDateUtils::ToYearMonthDayStr(fDay->Date), problem));
}
