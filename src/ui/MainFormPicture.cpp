#include "ui/MainFormGuard.h"
#include "ui/UnitMainForm.h"
#include "util/FileAccess.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const QString PictureFilter = u"JPG Files (*.jpg)|*.jpg"_s;

} // namespace

void TmainForm::ButtonLoadPictureFromFileClick()
{
    GuardShowingErrors(TCursor::Hourglass, [this] {
        OpenDialog1.FileName = TKSFileUtils::ExtractFilePath(fDocument.FileName());
        OpenDialog1.Filter = PictureFilter;
        if (const std::optional<QString> chosen = fDialogs->ExecuteOpen(this, OpenDialog1)) {
            // A picture that cannot be decoded ends the command here: the box keeps what it
            // showed, and there is nothing new for the change check to find.
            if (FileExists(*chosen))
                fPages.Picture->LoadFromFile(*chosen);
            else
                fDialogs->ShowMessage(this, DoesNotExistText(*chosen));
        }
        CheckDialogChanged();
    });
}

void TmainForm::ButtonDeleteJpgClick()
{
    GuardShowingErrors(TCursor::Hourglass, [this] {
        fPages.Picture->DeletePicture();
        CheckDialogChanged();
    });
}
