#pragma once

#include <QByteArray>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

#include <functional>

// A multi-line text box read and written as plain text. It hands back exactly the text written
// into it until the user edits it, so a stored text with CR LF, LF or CR line breaks is not seen
// as changed; once edited, its line breaks are CR LF, the convention of the diary files.
class TRichEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TRichEdit(QWidget* aParent = nullptr);
    QString Text() const;
    void SetText(const QString& aText);

Q_SIGNALS:
    void KeyReleased(int aKey, Qt::KeyboardModifiers aShift);

protected:
    void keyReleaseEvent(QKeyEvent* aEvent) override;

private:
    QString fText;       // what was written by SetText
    bool fEdited = false; // the user changed the document since
};

// A one-line numeric edit. The key filter sees each typed character before the edit inserts it and
// may replace it with Escape (27), which the edit then drops; leaving the edit is reported.
class TNumberEdit : public QLineEdit {
    Q_OBJECT
public:
    using TKeyFilter = std::function<void(TNumberEdit* aSender, QChar& aKey)>;
    explicit TNumberEdit(QWidget* aParent = nullptr);
    void SetKeyFilter(TKeyFilter aFilter) { fKeyFilter = std::move(aFilter); }

Q_SIGNALS:
    void Exited(TNumberEdit* aSender);

protected:
    void keyPressEvent(QKeyEvent* aEvent) override;
    void focusOutEvent(QFocusEvent* aEvent) override;

private:
    TKeyFilter fKeyFilter;
};

// The image box of the picture page: shows a picture and hands back the encoded bytes it was
// loaded from, so a picture is never re-encoded.
class TImageBox : public QWidget {
    Q_OBJECT
public:
    explicit TImageBox(QWidget* aParent = nullptr);
    bool HasPicture() const { return !fBytes.isEmpty(); }
    const QByteArray& Bytes() const { return fBytes; }
    const QImage& Image() const { return fImage; }
    void SetPicture(const QByteArray& aBytes, const QImage& aImage); // aImage may be null (not decoded)
    void Clear();

protected:
    void paintEvent(QPaintEvent* aEvent) override;

private:
    QByteArray fBytes;
    QImage fImage;
};
