#pragma once

#include "ui/pages/DayPage.h"

#include <QByteArray>

class QPushButton;
class TDialogs;
class TImageBox;

// The picture page: the picture of the day in its box and the two buttons. The page keeps the
// picture's bytes as the next commit stores them (fBytes): taken from the box before every change
// check (PictureToBytes), stored into the day by StoreInto and cleared there. The bytes in the box
// are the file's, never re-encoded. It may show a message through the dialogs it is given.
class TPicturePage : public TDayPage {
    Q_OBJECT
public:
    TPicturePage(const TRegionalSettings& aSettings, TDialogs& aDialogs, QWidget* aParent = nullptr);
    ~TPicturePage() override;

    // The picture is decoded when the page is on the screen, now or as it is next shown; one that
    // cannot be decoded is reported then and kept undecoded. The rest of the day is shown all the same.
    void ShowDay(TDay& aDay) override;
    void StoreInto(TDay& aDay) override;
    // Compares the bytes PictureToBytes took last.
    bool HasChanged(const TDay& aDay) const override;
    void CopyInto(TDay& aCopy) const override;

    void PictureToBytes();
    // Throws when the file is no picture that can be decoded; the box then keeps what it showed.
    void LoadFromFile(const QString& aFileName);
    void DeletePicture();

Q_SIGNALS:
    void LoadClicked();
    void DeleteClicked();

protected:
    void showEvent(QShowEvent* aEvent) override;

private:
    void Build() override;
    void DecodeHeldPicture(bool aReportLater);

    TDialogs& fDialogs;
    bool fDecodePending = false; // the box holds the day's bytes, not yet decoded
    TDateTime fPictureDate = 0;  // the day whose picture the box holds
    QByteArray fBytes;
    TImageBox* ImageOfTheDay{};
    QPushButton* ButtonLoadPictureFromFile{};
    QPushButton* ButtonDeleteJpg{};
};
