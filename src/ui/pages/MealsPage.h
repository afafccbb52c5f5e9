#pragma once

#include "ui/pages/DayPage.h"

class QLabel;

// The meals page: five text boxes, breakfast to dinner, each bound to its field of the day.
class TMealsPage : public TDayPage {
public:
    explicit TMealsPage(const TRegionalSettings& aSettings, QWidget* aParent = nullptr);

private:
    void Build() override;
    QLabel* LabelBreakfast{};
    TRichEdit* RichEditBreakfast{};
    QLabel* LabelLunch{};
    TRichEdit* RichEditLunch{};
    QLabel* LabelBrunch{};
    TRichEdit* RichEditBrunch{};
    QLabel* LabelTeeCoffeeTime{};
    TRichEdit* RichEditTeeCoffeeTime{};
    QLabel* LabelDinner{};
    TRichEdit* RichEditDinner{};
};

// The thoughts page: one text box filling the page.
class TThoughtsPage : public TDayPage {
public:
    explicit TThoughtsPage(const TRegionalSettings& aSettings, QWidget* aParent = nullptr);

private:
    void Build() override;
    TRichEdit* RichEditThoughts{};
};
