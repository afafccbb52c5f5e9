#include "ui/pages/DayPage.h"

#include "ui/Widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QScopeGuard>

using namespace Qt::Literals::StringLiterals;

TDayPage::TDayPage(const TRegionalSettings& aSettings, QWidget* aParent) : QWidget(aParent), fSettings(aSettings) {}

TDayPage::~TDayPage()
{
    DeleteControls();
}

void TDayPage::DeleteControls()
{
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void TDayPage::BindFields()
{
    fFields = TPageFields(*this);
    for (const TPageBinding& binding : fFields.Bindings()) {
        if (const auto* text = std::get_if<TTextBinding>(&binding))
            WireTextBox(text->Control);
        // clicked, unlike toggled, comes from the user only: ShowDay's writes raise nothing here.
        else if (const auto* check = std::get_if<TCheckBinding>(&binding))
            connect(check->Control, &QCheckBox::clicked, this, &TDayPage::ChoiceChanged);
        else if (const auto* combo = std::get_if<TComboBinding>(&binding))
            connect(combo->Control, &QComboBox::editTextChanged, this, &TDayPage::ChoiceChanged);
    }
    for (const TTypedNumberEdit& edit : fFields.NumberEdits())
        WireNumberEdit(edit.Edit);
}

void TDayPage::WireTextBox(TRichEdit* aEdit)
{
    // Every change of the text, typed or not, is reported once; the program's own writes happen
    // while the window is busy and are passed over there.
    connect(aEdit, &QPlainTextEdit::textChanged, this, &TDayPage::TextEdited);
}

void TDayPage::WireNumberEdit(TNumberEdit* aEdit)
{
    connect(aEdit, &TNumberEdit::Exited, this, &TDayPage::NumberEditLeft);
}

void TDayPage::EnsureBuilt()
{
    if (fBuilt)
        return;
    fBuilt = true;
    auto unmade = qScopeGuard([this] { fBuilt = false; });
    Build();
    unmade.dismiss();
    for (const auto& setUp : fNumberEditSetUps)
        for (const TTypedNumberEdit& edit : NumberEdits())
            setUp(edit);
    if (isVisible()) {
        // Made while the page is being shown (its tab was chosen): the controls come on the
        // screen with it, laid out, before its first paint, as those of a page made earlier would.
        for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!(child->testAttribute(Qt::WA_WState_ExplicitShowHide) && child->isHidden()))
                child->show();
        if (layout())
            layout()->activate();
    }
}

void TDayPage::SetUpNumberEdits(const std::function<void(const TTypedNumberEdit&)>& aSetUp)
{
    fNumberEditSetUps.push_back(aSetUp);
    if (fBuilt)
        for (const TTypedNumberEdit& edit : NumberEdits())
            aSetUp(edit);
}

void TDayPage::ShowDayWhenSeen(TDay& aDay)
{
    fDayToShow = &aDay;
    fBehind = true;
    // A page on the screen that could not be made as it came up holds no day and shows none: the
    // walk over the pages goes on to the others, which must not keep the day before.
    if (isVisible() && fBuilt)
        CatchUp();
}

void TDayPage::CatchUp()
{
    EnsureBuilt();
    if (!fBehind || !fDayToShow)
        return;
    TDay& day = *fDayToShow;
    const auto show = [this, &day] {
        ShowDay(day);
        fDayToShow = nullptr;
        fBehind = false;
    };
    if (fShowGuard)
        fShowGuard(show);
    else
        show();
}

void TDayPage::DropDayToShow()
{
    fDayToShow = nullptr;
    fBehind = true;
}

void TDayPage::showEvent(QShowEvent* aEvent)
{
    QWidget::showEvent(aEvent);
    fCatchingUpOnShow = true;
    const auto done = qScopeGuard([this] { fCatchingUpOnShow = false; });
    // Qt's event loop cannot pass an error on: a page that cannot be made stays empty, and the
    // window says why.
    try {
        CatchUp();
    } catch (...) {
        if (fShowFailure)
            fShowFailure(std::current_exception());
        else
            qWarning("The %s page cannot be shown", qPrintable(objectName()));
    }
}

void TDayPage::ShowDay(TDay& aDay)
{
    fFields.Show(aDay, fSettings.DecimalSeparator());
}

void TDayPage::StoreInto(TDay& aDay)
{
    fFields.Store(aDay, fSettings.DecimalSeparator());
}

bool TDayPage::HasChanged(const TDay& aDay) const
{
    return fFields.Differ(aDay, fSettings.DecimalSeparator());
}

void TDayPage::CopyInto(TDay& aCopy) const
{
    fFields.CopyInto(aCopy, fSettings.DecimalSeparator());
}

std::vector<TTypedNumberEdit> TDayPage::NumberEdits() const
{
    return fFields.NumberEdits();
}

void TDayPage::SetNumberKeyFilter(const TKeyFilter& aFilter)
{
    SetUpNumberEdits([aFilter](const TTypedNumberEdit& aEdit) {
        aEdit.Edit->SetKeyFilter(
            [aFilter, typing = aEdit.Typing](TNumberEdit* aSender, QChar& aKey) { aFilter(aSender, typing, aKey); });
    });
}

void TDayPage::FillEmptyNumberEdits()
{
    for (const TTypedNumberEdit& edit : NumberEdits()) {
        const QString text = edit.Edit->text();
        if (text.isEmpty() || (edit.Typing == TNumberTyping::SignedWhole && text == u"-"))
            edit.Edit->setText(QStringLiteral("0"));
    }
}

TNumberEdit* TDayPage::FirstNumberEditThatDoesNotConvert() const
{
    return fFields.FirstThatDoesNotConvert(fSettings.DecimalSeparator());
}

QString TDayPage::CaptionOf(const TNumberEdit& aEdit) const
{
    // Each edit's label carries the edit's name with "Label" for "Edit"; the weather edits' labels
    // leave out "Weather".
    const QString name = aEdit.objectName().mid(4);
    const QLabel* label = findChild<QLabel*>(u"Label"_s + name);
    if (!label && name.startsWith(u"Weather"))
        label = findChild<QLabel*>(u"Label"_s + name.mid(7));
    QString caption = label ? label->text().trimmed() : name;
    if (caption.endsWith(u':'))
        caption.chop(1);
    caption = u'"' + caption + u'"';
    if (const auto* group = qobject_cast<const QGroupBox*>(aEdit.parentWidget()))
        caption += u" ("_s + group->title() + u')';
    return caption;
}

void TDayPage::Reveal(TSearchSection)
{
    EnsureBuilt();
}
