#include "ui/UnitAbout.h"
#include "ui/ApplicationIcon.h"
#include "ui/DesignFont.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

QLabel* CenteredLabel(QWidget* aParent, const char* aName, const QString& aText, int aPixelSize)
{
    auto* label = new QLabel(aText, aParent);
    label->setObjectName(QString::fromLatin1(aName));
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    font.setPixelSize(aPixelSize);
    label->setFont(font);
    return label;
}

} // namespace

TFormAbout::TFormAbout(QWidget* aParent) : QDialog(aParent)
{
    setObjectName(u"FormAbout"_s);
    setWindowTitle(u"About"_s);
    // A fixed dialog: no resizing, no help or minimise button, only the close button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFont(DesignFont());

    LabelProductName = CenteredLabel(this, "LabelProductName", u"Kestrova"_s, 35);
    LabelVersion = CenteredLabel(this, "LabelVersion", u"Version 1.30.1.67"_s, 21);
    LabelNotice = CenteredLabel(this, "LabelNotice", u"A diary for one person, one page a day."_s, 21);
    ButtonOk = new QPushButton(u"&Ok"_s, this);
    ButtonOk->setObjectName(u"ButtonOk"_s);
    ButtonOk->setDefault(true);

    // The program's icon stands before its name; the pair stays centred like the lines below.
    ImageIcon = new QLabel(this);
    ImageIcon->setObjectName(u"ImageIcon"_s);
    ImageIcon->setPixmap(ApplicationIcon().pixmap(QSize(48, 48), devicePixelRatio()));
    auto* nameRow = new QHBoxLayout;
    nameRow->addStretch();
    nameRow->addWidget(ImageIcon);
    nameRow->addWidget(LabelProductName);
    nameRow->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(nameRow);
    layout->addWidget(LabelVersion);
    layout->addWidget(LabelNotice);
    layout->addStretch();
    layout->addWidget(ButtonOk, 0, Qt::AlignHCenter);

    setFixedSize(482, 194);
    if (QScreen* screen = aParent ? aParent->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    connect(ButtonOk, &QPushButton::clicked, this, &TFormAbout::ButtonOkClick);
}

void TFormAbout::ButtonOkClick()
{
    accept();
}
