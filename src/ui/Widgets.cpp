#include "ui/Widgets.h"

#include "util/JpegDecoder.h"

#include <QDropEvent>
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

TNumberEdit::TNumberEdit(QWidget* aParent) : QLineEdit(aParent)
{
    // Composed input would reach the text without a key press, past the filter.
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

std::optional<QChar> TNumberEdit::TypedCharacter(const QKeyEvent& aEvent)
{
    // What the event would type is its text, whatever modifiers are held: Alt+X types "x" where
    // no accelerator takes it. An event without text types nothing and passes unfiltered.
    const QString text = aEvent.text();
    if (text.isEmpty())
        return std::nullopt;
    const int key = aEvent.key();
    QChar c = text.at(0);
    // Tab, Shift+Tab and Delete carry control codes in their text on some platforms, but they move
    // the focus or delete; they type nothing.
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Delete || c == u'\t' || c.unicode() == 127)
        return std::nullopt;
    // Ctrl+letter types its control code (Ctrl+V is 22); some platforms report the letter instead.
    // Ctrl+Alt is AltGr and types what the layout says.
    const Qt::KeyboardModifiers modifiers = aEvent.modifiers();
    if (modifiers.testFlag(Qt::ControlModifier) && !modifiers.testFlag(Qt::AltModifier) && key >= Qt::Key_A &&
        key <= Qt::Key_Z)
        c = QChar(char16_t(key - Qt::Key_A + 1));
    return c;
}

bool TNumberEdit::event(QEvent* aEvent)
{
    // A shortcut would take Ctrl+V, Enter or Escape before the key press arrives; every key that
    // types a character goes to the filter first. Alt combinations are left to the accelerators
    // of menus, pages and buttons; one that none of them takes arrives as a key press and is
    // filtered there.
    if (aEvent->type() == QEvent::ShortcutOverride && fKeyFilter) {
        const auto& key = *static_cast<QKeyEvent*>(aEvent);
        if (!key.modifiers().testFlag(Qt::AltModifier) && TypedCharacter(key)) {
            aEvent->accept();
            return true;
        }
    }
    return QLineEdit::event(aEvent);
}

void TNumberEdit::keyPressEvent(QKeyEvent* aEvent)
{
    if (fKeyFilter) {
        if (const std::optional<QChar> typed = TypedCharacter(*aEvent)) {
            // A composed key can type more than one character; the edit would insert them all, so
            // each passes the filter.
            const QString text = aEvent->text();
            for (qsizetype i = 0; i < text.size(); ++i) {
                QChar key = i == 0 ? *typed : text.at(i);
                fKeyFilter(this, key);
                if (key == QChar(27)) {
                    aEvent->accept();
                    return;
                }
            }
        }
    }
    QLineEdit::keyPressEvent(aEvent);
}

void TNumberEdit::dropEvent(QDropEvent* aEvent)
{
    // A drop inserts unfiltered, as a paste through the context menu does, and like a paste it is
    // checked and committed when the focus leaves the edit: so the edit takes the focus.
    QLineEdit::dropEvent(aEvent);
    if (aEvent->isAccepted() && !hasFocus())
        setFocus(Qt::OtherFocusReason);
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
