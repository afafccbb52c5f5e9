// The icon built into the program: every size a window shows is there and drawn, and the about
// box shows it before the program's name without losing its fixed layout. (The installed icon
// theme sizes are checked by the packaging tests.)

#include "ui/ApplicationIcon.h"
#include "ui/UnitAbout.h"

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// True when the image has both transparent and opaque pixels: a drawing, neither an empty
// canvas nor a filled square.
bool IsDrawing(const QImage& aImage)
{
    bool transparent = false;
    bool opaque = false;
    for (int y = 0; y < aImage.height(); ++y)
        for (int x = 0; x < aImage.width(); ++x) {
            const int alpha = qAlpha(aImage.pixel(x, y));
            transparent = transparent || alpha == 0;
            opaque = opaque || alpha == 255;
        }
    return transparent && opaque;
}

} // namespace

class TestApplicationIcon : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everySizeIsDrawn_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {16, 32, 48, 64, 128})
            QTest::addRow("%d px", size) << size;
    }

    void everySizeIsDrawn()
    {
        QFETCH(int, size);
        const QIcon icon = ApplicationIcon();
        // An exact size of its own, not one scaled from a neighbour.
        QVERIFY2(icon.availableSizes().contains(QSize(size, size)), "the size is built into the program");
        const QImage image = icon.pixmap(QSize(size, size), 1.0).toImage();
        QCOMPARE(image.size(), QSize(size, size));
        QVERIFY(IsDrawing(image));
    }

    void aboutBoxShowsTheIconBeforeTheName()
    {
        TFormAbout about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));

        auto* icon = about.findChild<QLabel*>(u"ImageIcon"_s);
        auto* name = about.findChild<QLabel*>(u"LabelProductName"_s);
        auto* version = about.findChild<QLabel*>(u"LabelVersion"_s);
        auto* ok = about.findChild<QPushButton*>(u"ButtonOk"_s);
        QVERIFY(icon && name && version && ok);
        QVERIFY(icon->isVisible());
        QVERIFY(IsDrawing(icon->pixmap().toImage()));
        QCOMPARE(name->text(), u"Kestrova"_s);

        // Beside the name, above the version line, and the box keeps its fixed client area with
        // everything inside it.
        QCOMPARE(about.size(), QSize(482, 194));
        QVERIFY(icon->geometry().right() < name->geometry().left());
        QVERIFY(icon->geometry().bottom() < version->geometry().top());
        for (QWidget* part : {static_cast<QWidget*>(icon), static_cast<QWidget*>(name), static_cast<QWidget*>(version),
                              static_cast<QWidget*>(ok)})
            QVERIFY2(about.rect().contains(part->geometry()), qPrintable(part->objectName()));
    }
};

QTEST_MAIN(TestApplicationIcon)
#include "test_application_icon.moc"
