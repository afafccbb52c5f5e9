#include "ui/Widgets.h"

#include "util/JpegDecoder.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QTextDocument>

TRichEdit::TRichEdit(QWidget* aParent) : QPlainTextEdit(aParent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on to the next control, as everywhere else on the page; a diary text has no use
    // for a tab character.
    setTabChangesFocus(true);
}

QString TRichEdit::Text() const
{
    // The document turns every kind of line break into a paragraph separator, so the stored text
    // cannot be read back from it; as long as the document still shows what SetText put there,
    // that stored text is the answer.
    const QString shown = document()->toRawText();
    if (shown == fShown)
        return fText;
    QString text;
    text.reserve(shown.size() + shown.size() / 16);
    for (const QChar c : shown) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            text += QStringLiteral("\r\n");
        else
            text += c;
    }
    return text;
}

void TRichEdit::SetText(const QString& aText)
{
    setPlainText(aText);
    fText = aText;
    fShown = document()->toRawText();
}

void TRichEdit::keyReleaseEvent(QKeyEvent* aEvent)
{
    QPlainTextEdit::keyReleaseEvent(aEvent);
    Q_EMIT KeyReleased(aEvent->key(), aEvent->modifiers());
}

TNumberEdit::TNumberEdit(QWidget* aParent) : QLineEdit(aParent)
{
    // Composed input would reach the text without a key press, past the filter.
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

std::optional<QChar> TNumberEdit::TypedCharacter(const QKeyEvent& aEvent)
{
    switch (aEvent.key()) {
    case Qt::Key_Backspace:
        return QChar(8);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(13);
    case Qt::Key_Escape:
        return QChar(27);
    default:
        break;
    }
    const Qt::KeyboardModifiers modifiers = aEvent.modifiers();
    const bool control = modifiers.testFlag(Qt::ControlModifier);
    const bool alt = modifiers.testFlag(Qt::AltModifier);
    if (control != alt) {
        // Ctrl+letter types its control code (Ctrl+V is 22) even where the platform reports the
        // letter; Alt alone and Ctrl with anything else type nothing. Ctrl+Alt is AltGr and types
        // what the layout says.
        const int key = aEvent.key();
        if (control && key >= Qt::Key_A && key <= Qt::Key_Z)
            return QChar(char16_t(key - Qt::Key_A + 1));
        return std::nullopt;
    }
    const QString text = aEvent.text();
    if (text.isEmpty())
        return std::nullopt;
    const QChar c = text.at(0);
    // Tab and Delete carry control codes in their text on some platforms but type nothing.
    if (c.unicode() < 32 || c.unicode() == 127)
        return std::nullopt;
    return c;
}

bool TNumberEdit::event(QEvent* aEvent)
{
    // A shortcut would take Ctrl+V, Enter or Escape before the key press arrives; every key that
    // types a character goes to the filter first.
    if (aEvent->type() == QEvent::ShortcutOverride && fKeyFilter && TypedCharacter(*static_cast<QKeyEvent*>(aEvent))) {
        aEvent->accept();
        return true;
    }
    return QLineEdit::event(aEvent);
}

void TNumberEdit::keyPressEvent(QKeyEvent* aEvent)
{
    if (fKeyFilter) {
        if (const std::optional<QChar> typed = TypedCharacter(*aEvent)) {
            QChar key = *typed;
            fKeyFilter(this, key);
            if (key == QChar(27)) {
                aEvent->accept();
                return;
            }
        }
    }
    QLineEdit::keyPressEvent(aEvent);
}

void TNumberEdit::focusOutEvent(QFocusEvent* aEvent)
{
    QLineEdit::focusOutEvent(aEvent);
    // Leaving means moving to another control of the window. A message box, a menu or another
    // application taking the focus does not count (the focus comes back here), and neither does
    // the window closing or going away, which commits the page itself.
    const Qt::FocusReason reason = aEvent->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return;
    if (!window()->isVisible())
        return;
    Q_EMIT Exited(this);
}

TImageBox::TImageBox(QWidget* aParent) : QWidget(aParent) {}

void TImageBox::LoadFromBytes(const QByteArray& aBytes)
{
    // The decoder works at the smallest scale that still covers the drawn size; the rest of the way
    // is smooth filtering. The decoded pixels become the image without a copy.
    TDecodedPicture decoded = TJpegDecoder::Decode(aBytes, size());
    std::uint32_t* const pixels = decoded.Pixels.release();
    QImage image(
        reinterpret_cast<uchar*>(pixels), decoded.Size.width(), decoded.Size.height(), decoded.Size.width() * 4,
        QImage::Format_RGB32, [](void* aPixels) { delete[] static_cast<std::uint32_t*>(aPixels); }, pixels);
    const QSize drawn = TJpegDecoder::DrawnSize(decoded.SourceSize, size());
    if (image.size() != drawn)
        image = image.scaled(drawn, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    fBytes = aBytes;
    fImage = std::move(image);
    update();
}

void TImageBox::KeepUndecoded(const QByteArray& aBytes)
{
    fBytes = aBytes;
    fImage = QImage();
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
