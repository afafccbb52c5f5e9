#include "ui/OnDemandIcon.h"

#include <QApplication>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

QPixmap Square(int aSide, QColor aColor)
{
    QPixmap pixmap(aSide, aSide);
    pixmap.fill(aColor);
    return pixmap;
}

} // namespace

class TestOnDemandIcon : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void drawsOnlyTheSizesShownOnce()
    {
        QList<int> drawn;
        const QIcon icon = OnDemandIcon([&drawn](int aSide) {
            drawn << aSide;
            return Square(aSide, Qt::darkBlue);
        });
        QVERIFY(!icon.isNull());
        QVERIFY(drawn.isEmpty()); // nothing until a picture is asked for

        QCOMPARE(icon.pixmap(16).size(), QSize(16, 16));
        QCOMPARE(icon.pixmap(16).toImage().pixelColor(8, 8), QColor(Qt::darkBlue));
        QCOMPARE(icon.actualSize(QSize(24, 20)), QSize(20, 20));
        QCOMPARE(icon.pixmap(QSize(24, 20)).size(), QSize(20, 20));
        QCOMPARE(drawn, (QList<int>{16, 20}));

        // The other looks come from the normal picture, as the style derives them for any icon.
        const QPixmap disabled = icon.pixmap(QSize(16, 16), QIcon::Disabled);
        QStyleOption option;
        option.palette = QGuiApplication::palette();
        const QPixmap expected = QApplication::style()->generatedIconPixmap(QIcon::Disabled, Square(16, Qt::darkBlue),
                                                                            &option);
        QCOMPARE(disabled.toImage(), expected.toImage());
        QCOMPARE(drawn, (QList<int>{16, 20}));

        const QIcon copy = icon; // copies share what was drawn
        copy.pixmap(20);
        QCOMPARE(drawn, (QList<int>{16, 20}));
    }

    void paintsAtTheDevicesResolution()
    {
        QList<int> drawn;
        const QIcon icon = OnDemandIcon([&drawn](int aSide) {
            drawn << aSide;
            return Square(aSide, Qt::red);
        });
        QImage target(64, 64, QImage::Format_ARGB32);
        target.setDevicePixelRatio(2.0);
        target.fill(Qt::white);
        {
            QPainter painter(&target);
            icon.paint(&painter, QRect(0, 0, 16, 16));
        }
        QCOMPARE(drawn, QList<int>{32});
        QCOMPARE(target.pixelColor(31, 31), QColor(Qt::red));
        QCOMPARE(target.pixelColor(33, 33), QColor(Qt::white));
    }

    // The window's style looks exactly like the style it stands for, the overflow arrows included,
    // which it only reads once they are shown.
    void windowStyleLooksLikeItsBase()
    {
        const std::unique_ptr<QStyle> base(QStyleFactory::create(u"Fusion"_s));
        TWindowStyle style(u"Fusion"_s);
        for (const QStyle::StandardPixmap icon :
             {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton,
              QStyle::SP_ArrowUp, QStyle::SP_DialogOkButton}) {
            for (const Qt::LayoutDirection direction : {Qt::LeftToRight, Qt::RightToLeft}) {
                QStyleOption option;
                option.direction = direction;
                const QImage made = style.standardIcon(icon, &option).pixmap(16).toImage();
                const QImage expected = base->standardIcon(icon, &option).pixmap(16).toImage();
                QVERIFY2(!expected.isNull(), qPrintable(QString::number(icon)));
                QCOMPARE(made, expected);
            }
        }
    }
};

QTEST_MAIN(TestOnDemandIcon)
#include "test_on_demand_icon.moc"
