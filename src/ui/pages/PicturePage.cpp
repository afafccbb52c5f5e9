#include "ui/pages/PicturePage.h"

#include "ui/Dialogs.h"
#include "ui/Widgets.h"
#include "ui/pages/PageControls.h"
#include "util/Errors.h"
#include "util/JpegDecoder.h"
#include "util/ksByteUtils.h"
#include "util/ksDateUtils.h"

#include <QBoxLayout>
#include <QPushButton>
#include <QTimer>

#include <exception>

using namespace Qt::Literals::StringLiterals;

TPicturePage::TPicturePage(const TRegionalSettings& aSettings, TDialogs& aDialogs, QWidget* aParent)
    : TDayPage(aSettings, aParent), fDialogs(aDialogs)
{
}

void TPicturePage::Build()
{
    QWidget* page = this;
    ImageOfTheDay = Named(new TImageBox(page), u"ImageOfTheDay"_s);
    ImageOfTheDay->setFixedSize(760, 406);
    ButtonLoadPictureFromFile = MakeButton(page, u"ButtonLoadPictureFromFile"_s, u"Load &jpg picture from file"_s);
    ButtonDeleteJpg = MakeButton(page, u"ButtonDeleteJpg"_s, u"&Delete jpg"_s);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(ButtonLoadPictureFromFile);
    buttons->addWidget(ButtonDeleteJpg);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(ImageOfTheDay, 0, Qt::AlignLeft | Qt::AlignTop);
    layout->addStretch(1);
    layout->addLayout(buttons);
    SetPageMargins(*this);

    connect(ButtonLoadPictureFromFile, &QPushButton::clicked, this, &TPicturePage::LoadClicked);
    connect(ButtonDeleteJpg, &QPushButton::clicked, this, &TPicturePage::DeleteClicked);
}

TPicturePage::~TPicturePage()
{
    DeleteControls();
}

void TPicturePage::ShowDay(TDay& aDay)
{
    fDecodePending = false;
    if (aDay.Picture.isEmpty()) {
        ImageOfTheDay->Clear();
        fBytes.clear();
        return;
    }
    fPictureDate = aDay.Date;
    // Held at once, so that the change check, a commit and a recovery copy find the day's bytes
    // whether the picture has been drawn or not; decoded only for a user who looks at it.
    ImageOfTheDay->KeepUndecoded(aDay.Picture);
    fDecodePending = true;
    if (isVisible() && !IsCatchingUpOnShow())
        DecodeHeldPicture(false);
}

void TPicturePage::showEvent(QShowEvent* aEvent)
{
    TDayPage::showEvent(aEvent);
    if (fDecodePending)
        DecodeHeldPicture(true);
}

void TPicturePage::DecodeHeldPicture(bool aReportLater)
{
    fDecodePending = false;
    const QByteArray bytes = ImageOfTheDay->Bytes();
    QString problem;
    try {
        ImageOfTheDay->LoadFromBytes(bytes);
        return;
    } catch (const EKestrovaError& error) {
        problem = error.Message();
    } catch (const std::exception& error) {
        problem = QString::fromLocal8Bit(error.what());
    }
    // Only a damaged diary holds such bytes. The rest of the page is shown all the same, and the
    // bytes stay in the box undecoded: the change check finds them unchanged and every commit
    // stores them back, so they are lost only when the user deletes or replaces the picture.
    ImageOfTheDay->KeepUndecoded(bytes);
    const QString text = u"The picture of %1 can not be shown (%2). It is kept as it is until you delete "
                         u"or replace it."_s.arg(TKSDateUtils::ToYearMonthDayStr(fPictureDate), problem);
    if (!aReportLater) {
        fDialogs.ShowMessage(window(), text);
        return;
    }
    // Found while the page is being shown, as its tab is chosen: the box comes once the page is
    // on the screen, never from inside the switch of tabs.
    QTimer::singleShot(0, this, [this, text] { fDialogs.ShowMessage(window(), text); });
}

void TPicturePage::StoreInto(TDay& aDay)
{
    if (fBytes.isEmpty())
        aDay.SetEmptyPicture();
    else
        aDay.Picture = fBytes;
    fBytes.clear();
}

bool TPicturePage::HasChanged(const TDay& aDay) const
{
    return !TKSByteUtils::SameByteArray(aDay.Picture, fBytes);
}

void TPicturePage::CopyInto(TDay& aCopy) const
{
    // The picture as the next commit would store it (PictureToBytes, then StoreInto).
    aCopy.Picture = ImageOfTheDay->HasPicture() ? ImageOfTheDay->Bytes() : fBytes;
}

void TPicturePage::PictureToBytes()
{
    if (IsBuilt() && ImageOfTheDay->HasPicture())
        fBytes = ImageOfTheDay->Bytes();
}

void TPicturePage::LoadFromFile(const QString& aFileName)
{
    EnsureBuilt();
    ImageOfTheDay->LoadFromBytes(TJpegDecoder::ReadPictureFile(aFileName));
    fDecodePending = false;
}

void TPicturePage::DeletePicture()
{
    EnsureBuilt();
    fDecodePending = false;
    ImageOfTheDay->Clear();
    fBytes.clear();
}
