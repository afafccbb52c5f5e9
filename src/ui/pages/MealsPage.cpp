#include "ui/pages/MealsPage.h"

#include "ui/Widgets.h"
#include "ui/pages/PageControls.h"

#include <QBoxLayout>
#include <QLabel>

using namespace Qt::Literals::StringLiterals;

TMealsPage::TMealsPage(const TRegionalSettings& aSettings, QWidget* aParent) : TDayPage(aSettings, aParent) {}

void TMealsPage::Build()
{
    QWidget* page = this;
    auto* layout = new QVBoxLayout(page);
    const auto meal = [&](QLabel*& aLabel, const QString& aLabelName, const QString& aCaption, TRichEdit*& aEdit,
                          const QString& aEditName, bool aGrows) {
        aLabel = MakeLabel(page, aLabelName, aCaption);
        aEdit = MakeRichEdit(page, aEditName);
        if (!aGrows)
            aEdit->setFixedHeight(60);
        layout->addWidget(aLabel);
        layout->addWidget(aEdit, aGrows ? 1 : 0);
    };
    meal(LabelBreakfast, u"LabelBreakfast"_s, u"Breakfast:"_s, RichEditBreakfast, u"RichEditBreakfast"_s, false);
    meal(LabelLunch, u"LabelLunch"_s, u"Lunch:"_s, RichEditLunch, u"RichEditLunch"_s, false);
    meal(LabelBrunch, u"LabelBrunch"_s, u"Brunch:"_s, RichEditBrunch, u"RichEditBrunch"_s, false);
    meal(LabelTeeCoffeeTime, u"LabelTeeCoffeeTime"_s, u"Afternoon snack/Tee:"_s, RichEditTeeCoffeeTime,
         u"RichEditTeeCoffeeTime"_s, false);
    meal(LabelDinner, u"LabelDinner"_s, u"Dinner:"_s, RichEditDinner, u"RichEditDinner"_s, true);
    SetPageMargins(*this);
    BindFields();
}

TThoughtsPage::TThoughtsPage(const TRegionalSettings& aSettings, QWidget* aParent) : TDayPage(aSettings, aParent) {}

void TThoughtsPage::Build()
{
    RichEditThoughts = MakeRichEdit(this, u"RichEditThoughts"_s);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RichEditThoughts);
    SetPageMargins(*this);
    BindFields();
}
