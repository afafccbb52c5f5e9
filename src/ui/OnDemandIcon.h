#pragma once

#include <QIcon>
#include <QIconEngine>
#include <QProxyStyle>

#include <functional>
#include <memory>

// An icon whose pictures are made only when one is first asked for, each at exactly the size
// asked for. Putting the window up asks for few of them: a tool button shows its icon at one
// size, and the tool bars' and the menu bar's overflow arrows are not shown at all unless the
// window is too narrow. Made up front, the overflow arrow alone reads a picture file through
// the image reader, which loads every image-format plugin installed to ask each whether it
// reads it, before the window is first painted.
class TOnDemandIconEngine final : public QIconEngine {
public:
    // Draws the icon's normal picture, aSide device pixels square.
    using TDraw = std::function<QPixmap(int aSide)>;

    explicit TOnDemandIconEngine(TDraw aDraw);

    void paint(QPainter* aPainter, const QRect& aRect, QIcon::Mode aMode, QIcon::State aState) override;
    QSize actualSize(const QSize& aSize, QIcon::Mode aMode, QIcon::State aState) override;
    QPixmap pixmap(const QSize& aSize, QIcon::Mode aMode, QIcon::State aState) override;
    bool isNull() override { return false; }
    QString key() const override;
    QIconEngine* clone() const override;

private:
    struct TShared; // the drawing and the pictures made so far, shared by the copies of one icon
    explicit TOnDemandIconEngine(std::shared_ptr<TShared> aShared);
    std::shared_ptr<TShared> fShared;
};

// An icon drawn by aDraw at the size it is shown; the disabled and selected looks are derived
// from the normal picture by the style, as for an icon given its pictures up front.
QIcon OnDemandIcon(TOnDemandIconEngine::TDraw aDraw);

// The application's style: the platform's own (or the one named by -style), except that the
// tool bars' and the menu bar's overflow arrows are read only when one is shown.
class TWindowStyle final : public QProxyStyle {
    Q_OBJECT
public:
    // aKey names the style to look like, as QStyleFactory knows it.
    explicit TWindowStyle(const QString& aKey);

    QIcon standardIcon(StandardPixmap aIcon, const QStyleOption* aOption = nullptr,
                       const QWidget* aWidget = nullptr) const override;
};
