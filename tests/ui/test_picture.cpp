// The picture of the day on the real window: loading a JPEG file, showing it scaled in the image
// box, deleting it, keeping its bytes unchanged through every show, commit, save and reopen, and
// the pictures that cannot be shown.

#include "support/WindowFixture.h"

#include "model/DiaryFile.h"
#include "support/JpegFixture.h"
#include "ui/Widgets.h"
#include "util/ksDateUtils.h"

#include <QApplication>
#include <QDateEdit>
#include <QFileInfo>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTest>

#include <random>

using namespace Qt::Literals::StringLiterals;
using TKind = TScriptedDialogs::TKind;

namespace {
const QDate March12(2026, 3, 12);
const QDate March20(2026, 3, 20);
const std::uint32_t Colour = 0x3070C0;

bool Near(QRgb aActual, std::uint32_t aExpected)
{
    return std::abs(qRed(aActual) - int(aExpected >> 16)) <= 6 &&
           std::abs(qGreen(aActual) - int((aExpected >> 8) & 0xFF)) <= 6 &&
           std::abs(qBlue(aActual) - int(aExpected & 0xFF)) <= 6;
}

TDay& DayOf(TDiary& aDiary, const QDate& aDate)
{
    return *aDiary.GetDay(EncodeDate(aDate) + 0.5);
}
} // namespace

class TestPicture : public QObject {
    Q_OBJECT

    std::unique_ptr<TWindowFixture> f;
    QString fDiaryPath;

    // The window with a diary of two days, March 12 (given aPicture and a thought) and March 20,
    // opened at start, showing March 12.
    TmainForm& StartWithDiary(const QByteArray& aPicture = {})
    {
        TDiary diary;
        DayOf(diary, March12).Thoughts = u"a walk"_s;
        DayOf(diary, March12).TemperatureAtMorning = 36.6;
        DayOf(diary, March12).Picture = aPicture;
        DayOf(diary, March20);
        fDiaryPath = f->Path(u"Test.Kestrova"_s);
        WriteDiaryFile(diary, fDiaryPath);
        TmainForm& window = f->Start({fDiaryPath});
        PickDate(March12);
        return window;
    }
    void PickDate(const QDate& aDate) { f->Find<QDateEdit>(u"DateTimePicker1"_s)->setDate(aDate); }
    TImageBox* Box() const { return f->Find<TImageBox>(u"ImageOfTheDay"_s); }
    // The user brings the tab of aPage to the front.
    void ShowTab(const QString& aPage)
    {
        f->Find<QTabWidget>(u"PageControlAll"_s)->setCurrentWidget(f->Find<QWidget>(aPage));
        QApplication::processEvents(); // a report found while the tab came up follows it
    }
    // The picture file aBytes, written into the test's folder.
    QString PictureFile(const QByteArray& aBytes, const QString& aName = u"photo.jpg"_s)
    {
        f->WriteFile(aName, aBytes);
        return f->Path(aName);
    }
    void Load(const QString& aFileName)
    {
        f->Dialogs().AnswerFile(aFileName);
        f->Find<QPushButton>(u"ButtonLoadPictureFromFile"_s)->click();
    }
    void Delete() { f->Find<QPushButton>(u"ButtonDeleteJpg"_s)->click(); }
    // A difference the change check has not seen yet: written into a text box without a key.
    // A change no check has seen yet (its change event is held back): the next check raises the flag.
    void ChangeThoughtsUnseen()
    {
        auto* thoughts = f->Find<TRichEdit>(u"RichEditThoughts"_s);
        const QSignalBlocker unseen(thoughts);
        thoughts->SetText(u"changed"_s);
    }
    QByteArray SavedPicture(const QDate& aDate)
    {
        std::unique_ptr<TDiary> saved = ReadDiaryFile(fDiaryPath);
        return DayOf(*saved, aDate).Picture;
    }

private Q_SLOTS:
    void init() { f = std::make_unique<TWindowFixture>(); }
    void cleanup()
    {
        const QStringList problems = f->Problems();
        f.reset();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u"; "_s)));
    }

    void isDrawnAtTheTopLeftScaledDownToFit_data()
    {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<bool>("cutShort");
        QTest::addColumn<QSize>("drawn");
        QTest::newRow("small") << QSize(100, 50) << false << QSize(100, 50);
        QTest::newRow("wide") << QSize(2000, 1000) << false << QSize(760, 380);
        QTest::newRow("tall") << QSize(1000, 2000) << false << QSize(203, 406);
        QTest::newRow("twice the box") << QSize(1520, 812) << false << QSize(760, 406);
        QTest::newRow("the box") << QSize(760, 406) << false << QSize(760, 406);
        // A file cut short in its picture data shows what was there.
        QTest::newRow("cut short") << QSize(640, 480) << true << QSize(541, 406);
    }
    void isDrawnAtTheTopLeftScaledDownToFit()
    {
        QFETCH(QSize, source);
        QFETCH(bool, cutShort);
        QFETCH(QSize, drawn);
        TmainForm& window = StartWithDiary();
        QByteArray bytes = TJpegFixture::Make(source.width(), source.height(), Colour);
        if (cutShort)
            bytes.truncate(bytes.size() / 2);
        const QString file = PictureFile(bytes);

        Load(file);
        QCOMPARE(f->Dialogs().Texts(TKind::Error), QStringList());
        QCOMPARE(Box()->Bytes(), f->ReadFile(file));
        QCOMPARE(Box()->Image().size(), drawn);
        QVERIFY(window.IsDialogUpdated());

        const QImage shown = Box()->grab().toImage();
        QVERIFY2(Near(shown.pixel(0, 0), Colour), qPrintable(QString::number(shown.pixel(0, 0), 16)));
        QVERIFY(Near(shown.pixel(drawn.width() - 1, drawn.height() / 3), Colour));
        if (drawn.width() < Box()->width())
            QVERIFY(!Near(shown.pixel(drawn.width() + 1, 0), Colour));
        if (drawn.height() < Box()->height())
            QVERIFY(!Near(shown.pixel(0, drawn.height() + 1), Colour));
    }

    void loadedPictureIsKeptByteForByteThroughSwitchSaveAndReopen()
    {
        TmainForm& window = StartWithDiary();
        ShowTab(u"TabSheetPicture"_s); // where the user loads it
        const QString file = PictureFile(TJpegFixture::Make(1200, 900, Colour, TJpegFixture::TKind::Progressive));
        const QByteArray fileBytes = f->ReadFile(file);
        Load(file);
        QVERIFY(window.IsDialogUpdated());

        PickDate(March20);
        QVERIFY(!Box()->HasPicture());
        QVERIFY(Box()->Image().isNull());
        PickDate(March12);
        QCOMPARE(Box()->Bytes(), fileBytes);
        QCOMPARE(Box()->Image().size(), QSize(541, 406));

        window.MenuItemSaveClick();
        QVERIFY(!window.IsDialogUpdated());
        QCOMPARE(SavedPicture(March12), fileBytes);

        f->Start({fDiaryPath});
        PickDate(March12);
        QCOMPARE(f->Window().Day()->Picture, fileBytes);
        QCOMPARE(Box()->Bytes(), fileBytes);
        QVERIFY(!f->Window().IsDialogUpdated());
        QCOMPARE(f->Dialogs().Shown().size(), 0);
    }

    void dialogOpensInTheDiarysFolderAndCancelChangesNothing_data()
    {
        QTest::addColumn<bool>("named"); // the diary has a file
        QTest::newRow("diary with a file") << true;
        QTest::newRow("new diary") << false;
    }
    void dialogOpensInTheDiarysFolderAndCancelChangesNothing()
    {
        QFETCH(bool, named);
        const QByteArray picture = TJpegFixture::Make(40, 30);
        TmainForm& window = named ? StartWithDiary(picture) : f->Start();
        if (!named)
            QVERIFY(!Box()->HasPicture());

        f->Dialogs().AnswerCancel();
        f->Find<QPushButton>(u"ButtonLoadPictureFromFile"_s)->click();
        const TFileDialog dialog = f->Dialogs().LastDialog(TKind::Open);
        QCOMPARE(dialog.FileName, named ? QFileInfo(fDiaryPath).absolutePath() + u'/' : QString());
        QCOMPARE(dialog.Filter, u"JPG Files (*.jpg)|*.jpg"_s);
        QCOMPARE(Box()->Bytes(), named ? picture : QByteArray());
        QVERIFY(!window.IsDialogUpdated());
        QCOMPARE(f->Dialogs().Texts(TKind::Message) + f->Dialogs().Texts(TKind::Error), QStringList());
    }

    void unchangedPictureRaisesNoFlag_data()
    {
        QTest::addColumn<bool>("stored");    // the day has a picture
        QTest::addColumn<QString>("action"); // "load same" or "delete"
        QTest::addColumn<bool>("updated");
        QTest::newRow("loading the day's own file") << true << u"load same"_s << false;
        QTest::newRow("deleting where there is none") << false << u"delete"_s << false;
        QTest::newRow("deleting the day's picture") << true << u"delete"_s << true;
    }
    void unchangedPictureRaisesNoFlag()
    {
        QFETCH(bool, stored);
        QFETCH(QString, action);
        QFETCH(bool, updated);
        const QByteArray picture = TJpegFixture::Make(300, 200, Colour);
        TmainForm& window = StartWithDiary(stored ? picture : QByteArray());
        if (action == u"load same")
            Load(PictureFile(picture));
        else
            Delete();
        QCOMPARE(window.IsDialogUpdated(), updated);
        QCOMPARE(Box()->HasPicture(), stored && action != u"delete");

        // What the page shows is what the next save stores.
        window.MenuItemSaveClick();
        QCOMPARE(SavedPicture(March12), Box()->Bytes());
        QCOMPARE(f->Dialogs().Texts(TKind::Message) + f->Dialogs().Texts(TKind::Error), QStringList());
    }

    void fileThatCannotBeShownLeavesThePictureAsItWas_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // the file's content; null: no such file
        QTest::addColumn<TKind>("kind");
        QTest::addColumn<QString>("text"); // the start of the text; "%1" the file's name
        QTest::addColumn<bool>("checked"); // the change check ran
        const QByteArray good = TJpegFixture::Make(64, 48);
        std::mt19937 random(11);
        QByteArray noise = QByteArray::fromHex("FFD8FFE1");
        while (noise.size() < 2048)
            noise.append(char(random()));
        QTest::newRow("no such file") << QByteArray() << TKind::Message << u"File %1 does not exist."_s << true;
        QTest::newRow("not a JPEG") << QByteArray("PK\x03\x04 a zip archive") << TKind::Error
                                    << u"Unbekanntes Bildformat."_s << false;
        QTest::newRow("cut in the header")
            << TJpegFixture::CutInHeader(good) << TKind::Error << u"JPEG-Fehler #"_s << false;
        QTest::newRow("random bytes after a JPEG start") << noise << TKind::Error << u"JPEG-Fehler #"_s << false;
        QTest::newRow("declares 60000 x 60000") << TJpegFixture::WithDeclaredSize(good, 60000, 60000) << TKind::Error
                                                << u"Das Bild ist zu groß (60000 x 60000 Pixel"_s << false;
    }
    void fileThatCannotBeShownLeavesThePictureAsItWas()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(TKind, kind);
        QFETCH(QString, text);
        QFETCH(bool, checked);
        const QByteArray picture = TJpegFixture::Make(900, 600, Colour);
        TmainForm& window = StartWithDiary(picture);
        const QImage before = Box()->Image();
        const QString file = bytes.isNull() ? f->Path(u"missing.jpg"_s) : PictureFile(bytes);

        ChangeThoughtsUnseen();
        Load(file);
        const QStringList shown = f->Dialogs().Texts(kind);
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().startsWith(text.contains(u"%1"_s) ? text.arg(file) : text), qPrintable(shown.first()));
        QCOMPARE(f->Dialogs().Shown().size(), 2); // the file dialog and this box
        QCOMPARE(Box()->Bytes(), picture);
        QCOMPARE(Box()->Image(), before);
        QCOMPARE(window.IsDialogUpdated(), checked);
        QVERIFY(!window.IsBusy());
    }

    void damagedStoredPictureIsReportedOnceAndKept()
    {
        const QByteArray damaged = TJpegFixture::CutInHeader(TJpegFixture::Make(64, 48));
        TmainForm& window = StartWithDiary(damaged);
        const auto reports = [this] { return f->Dialogs().Texts(TKind::Message); };
        // The picture is decoded for a user who looks at it, and the report comes then.
        QCOMPARE(reports().size(), 0);
        ShowTab(u"TabSheetPicture"_s);
        QCOMPARE(reports().size(), 1);
        QVERIFY2(reports().first().startsWith(u"The picture of 2026-03-12 can not be shown (JPEG-Fehler #"_s),
                 qPrintable(reports().first()));
        QCOMPARE(f->Dialogs().Shown().size(), 1);

        // The rest of the page is there; the box shows nothing but holds the bytes.
        QCOMPARE(f->Find<TRichEdit>(u"RichEditThoughts"_s)->Text(), u"a walk"_s);
        QCOMPARE(f->Find<QLineEdit>(u"EditTemperature1"_s)->text(), u"36.6"_s);
        QCOMPARE(Box()->Bytes(), damaged);
        QVERIFY(Box()->Image().isNull());
        QVERIFY(!window.IsDialogUpdated());

        // Commits and saves keep the bytes; showing the day again tells the user again, once.
        window.CheckOnChange();
        QVERIFY(!window.IsDialogUpdated());
        ChangeThoughtsUnseen();
        window.MenuItemSaveClick();
        QCOMPARE(SavedPicture(March12), damaged);
        PickDate(March20);
        PickDate(March12);
        QCOMPARE(reports().size(), 2);
        QCOMPARE(Box()->Bytes(), damaged);

        // Replacing it is the user's choice.
        const QString file = PictureFile(TJpegFixture::Make(64, 48, Colour));
        Load(file);
        QVERIFY(window.IsDialogUpdated());
        window.MenuItemSaveClick();
        QCOMPARE(SavedPicture(March12), f->ReadFile(file));
        QCOMPARE(f->Dialogs().Texts(TKind::Error), QStringList());
    }

    void pictureIsDecodedWhenItsTabIsShown()
    {
        // Days switched while the tab is hidden decode nothing; the tab then shows the picture of
        // the day shown, and a switch while it is shown decodes at once.
        TDiary diary;
        const QByteArray first = TJpegFixture::Make(900, 600, Colour);
        const QByteArray second = TJpegFixture::Make(600, 1200, Colour);
        DayOf(diary, March12).Picture = first;
        DayOf(diary, March20).Picture = second;
        fDiaryPath = f->Path(u"Test.Kestrova"_s);
        WriteDiaryFile(diary, fDiaryPath);
        TmainForm& window = f->Start({fDiaryPath});
        PickDate(March12);
        PickDate(March20);
        QCOMPARE(Box()->Bytes(), second);
        QVERIFY(Box()->Image().isNull());

        ShowTab(u"TabSheetPicture"_s);
        QCOMPARE(Box()->Image().size(), QSize(203, 406));
        PickDate(March12);
        QCOMPARE(Box()->Bytes(), first);
        QCOMPARE(Box()->Image().size(), QSize(609, 406));
        QVERIFY(Near(Box()->grab().toImage().pixel(10, 10), Colour));

        ShowTab(u"TabSheetTasks"_s);
        PickDate(March20);
        QVERIFY(Box()->Image().isNull());
        ShowTab(u"TabSheetPicture"_s);
        QCOMPARE(Box()->Image().size(), QSize(203, 406));
        QVERIFY(!window.IsDialogUpdated());
        QCOMPARE(f->Dialogs().Shown().size(), 0);
    }
};

QTEST_MAIN(TestPicture)
#include "test_picture.moc"
