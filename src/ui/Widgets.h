#pragma once

#include <QByteArray>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

#include <functional>
#include <optional>

// A multi-line text box read and written as plain text. It hands back exactly the text written
// into it until the user changes what it shows, so a stored text with CR LF, LF or CR line breaks
// is not seen as changed; once edited, its line breaks are CR LF, the convention of the diary files.
class TRichEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TRichEdit(QWidget* aParent = nullptr);
    QString Text() const;
    void SetText(const QString& aText);

private:
    QString fText;  // what was written by SetText
    QString fShown; // fText as the document holds it: every line break one paragraph separator
};

// A one-line numeric edit. The key filter sees each typed character before the edit inserts it and
// may replace it with Escape (27), which the edit then drops; leaving the edit for another control
// of the same window is reported.
class TNumberEdit : public QLineEdit {
    Q_OBJECT
public:
    using TKeyFilter = std::function<void(TNumberEdit* aSender, QChar& aKey)>;
    explicit TNumberEdit(QWidget* aParent = nullptr);
    void SetKeyFilter(TKeyFilter aFilter) { fKeyFilter = std::move(aFilter); }

    // The character a key press types as the filter sees it, taken from the event's text with any
    // modifiers: control codes for Backspace, Enter, Escape and Ctrl+letter; nothing for keys that
    // type no character (arrows, Delete, Home, End, Tab, Insert, function keys).
    static std::optional<QChar> TypedCharacter(const QKeyEvent& aEvent);

Q_SIGNALS:
    void Exited(TNumberEdit* aSender);

protected:
    bool event(QEvent* aEvent) override;
    void keyPressEvent(QKeyEvent* aEvent) override;
    void dropEvent(QDropEvent* aEvent) override;
    void focusOutEvent(QFocusEvent* aEvent) override;

private:
    TKeyFilter fKeyFilter;
};

// The image box of the picture page: shows a picture and hands back the encoded bytes it was
// loaded from, so a picture is never re-encoded. The picture is drawn at the top left, scaled down
// to fit the box and never enlarged.
class TImageBox : public QWidget {
    Q_OBJECT
public:
    explicit TImageBox(QWidget* aParent = nullptr);
    // Holds a picture's bytes, whether they could be decoded for display or not.
    bool HasPicture() const { return !fBytes.isEmpty(); }
    const QByteArray& Bytes() const { return fBytes; }
    // The picture as drawn; null while nothing is shown.
    const QImage& Image() const { return fImage; }
    // Decodes aBytes for display and keeps them. Bytes that cannot be decoded throw
    // EInvalidGraphic (or EJPEG), and the box keeps what it held.
    void LoadFromBytes(const QByteArray& aBytes);
    // Keeps bytes that could not be decoded, showing nothing, so they are handed back unchanged.
    void KeepUndecoded(const QByteArray& aBytes);
    void Clear();

protected:
    void paintEvent(QPaintEvent* aEvent) override;

private:
    QByteArray fBytes;
    QImage fImage;
};
