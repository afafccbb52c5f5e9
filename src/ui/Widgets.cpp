#include "ui/Widgets.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>

TRichEdit::TRichEdit(QWidget* aParent) : QPlainTextEdit(aParent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(this, &QPlainTextEdit::textChanged, this, [this] { fEdited = true; });
}

QString TRichEdit::Text() const
{
    if (!fEdited)
        return fText;
    QString text = toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void TRichEdit::SetText(const QString& aText)
{
    setPlainText(aText);
    fText = aText;
    fEdited = false;
}

void TRichEdit::keyReleaseEvent(QKeyEvent* aEvent)
{
    QPlainTextEdit::keyReleaseEvent(aEvent);
    Q_EMIT KeyReleased(aEvent->key(), aEvent->modifiers());
}

TNumberEdit::TNumberEdit(QWidget* aParent) : QLineEdit(aParent) {}

void TNumberEdit::keyPressEvent(QKeyEvent* aEvent)
{
    const QString text = aEvent->text();
    if (fKeyFilter && text.size() == 1) {
        QChar key = text.at(0);
        fKeyFilter(this, key);
        if (key == QChar(27)) {
            aEvent->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(aEvent);
}

void TNumberEdit::focusOutEvent(QFocusEvent* aEvent)
{
    QLineEdit::focusOutEvent(aEvent);
    Q_EMIT Exited(this);
}

TImageBox::TImageBox(QWidget* aParent) : QWidget(aParent) {}

void TImageBox::SetPicture(const QByteArray& aBytes, const QImage& aImage)
{
    fBytes = aBytes;
    fImage = aImage;
    update();
}

void TImageBox::Clear()
{
    fBytes.clear();
    fImage = QImage();
    update();
}

void TImageBox::paintEvent(QPaintEvent*)
{
    if (fImage.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), fImage);
}
