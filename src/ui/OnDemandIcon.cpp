#include "ui/OnDemandIcon.h"

#include <QApplication>
#include <QHash>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>

#include <optional>

using namespace Qt::Literals::StringLiterals;

struct TOnDemandIconEngine::TShared {
    TDraw Draw;
    QHash<quint64, QPixmap> Made; // by side and mode
};

TOnDemandIconEngine::TOnDemandIconEngine(TDraw aDraw) : fShared(std::make_shared<TShared>())
{
    fShared->Draw = std::move(aDraw);
}

TOnDemandIconEngine::TOnDemandIconEngine(std::shared_ptr<TShared> aShared) : fShared(std::move(aShared)) {}

QSize TOnDemandIconEngine::actualSize(const QSize& aSize, QIcon::Mode, QIcon::State)
{
    // The pictures are square and drawn at whatever size is asked: the largest square that fits.
    const int side = qMax(0, qMin(aSize.width(), aSize.height()));
    return QSize(side, side);
}

QPixmap TOnDemandIconEngine::pixmap(const QSize& aSize, QIcon::Mode aMode, QIcon::State aState)
{
    const int side = actualSize(aSize, aMode, aState).width();
    if (side == 0)
        return QPixmap();
    const quint64 key = (quint64(side) << 8) | quint64(aMode);
    if (const auto found = fShared->Made.constFind(key); found != fShared->Made.cend())
        return *found;
    QPixmap made;
    if (aMode == QIcon::Normal) {
        made = fShared->Draw(side);
    } else {
        // As an icon given only its normal pictures derives the others.
        QStyleOption option;
        option.palette = QGuiApplication::palette();
        made = QApplication::style()->generatedIconPixmap(aMode, pixmap(aSize, QIcon::Normal, aState), &option);
    }
    fShared->Made.insert(key, made);
    return made;
}

void TOnDemandIconEngine::paint(QPainter* aPainter, const QRect& aRect, QIcon::Mode aMode, QIcon::State aState)
{
    const qreal scale = aPainter->device() ? aPainter->device()->devicePixelRatio() : 1.0;
    aPainter->drawPixmap(aRect, pixmap(aRect.size() * scale, aMode, aState));
}

QString TOnDemandIconEngine::key() const
{
    return u"TOnDemandIconEngine"_s;
}

QIconEngine* TOnDemandIconEngine::clone() const
{
    return new TOnDemandIconEngine(fShared);
}

QIcon OnDemandIcon(TOnDemandIconEngine::TDraw aDraw)
{
    return QIcon(new TOnDemandIconEngine(std::move(aDraw)));
}

TWindowStyle::TWindowStyle(const QString& aKey) : QProxyStyle(aKey) {}

QIcon TWindowStyle::standardIcon(StandardPixmap aIcon, const QStyleOption* aOption, const QWidget* aWidget) const
{
    if (aIcon != SP_ToolBarHorizontalExtensionButton && aIcon != SP_ToolBarVerticalExtensionButton)
        return QProxyStyle::standardIcon(aIcon, aOption, aWidget);
    // The arrow points the way the bar runs on, which the direction alone decides. The style is
    // held weakly: a widget may keep the icon after the application has changed its style.
    QStyleOption option;
    option.direction = aOption ? aOption->direction : aWidget ? aWidget->layoutDirection() : QGuiApplication::layoutDirection();
    const QPointer<QStyle> base = baseStyle();
    auto icon = std::make_shared<std::optional<QIcon>>();
    return OnDemandIcon([base, aIcon, option, icon](int aSide) {
        if (!*icon && base)
            *icon = base->standardIcon(aIcon, &option, nullptr);
        return *icon ? (*icon)->pixmap(QSize(aSide, aSide)) : QPixmap();
    });
}
