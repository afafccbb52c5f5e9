#pragma once

#include "util/RegionalSettings.h"

#include <QString>
#include <QStringList>

#include <initializer_list>
#include <utility>

class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTimeEdit;
class QTreeWidget;
class QWidget;
class TNumberEdit;
class TRichEdit;

// The controls the pages (and the window's own rows) are made of, each made the one way the whole
// window makes it, so that a page built alone looks as it does in the window.

template <typename TWidget> TWidget* Named(TWidget* aWidget, const QString& aName)
{
    aWidget->setObjectName(aName);
    return aWidget;
}

QLabel* MakeLabel(QWidget* aParent, const QString& aName, const QString& aCaption);
TNumberEdit* MakeNumberEdit(QWidget* aParent, const QString& aName, int aWidth, const QString& aDesignText);
TRichEdit* MakeRichEdit(QWidget* aParent, const QString& aName);
QTimeEdit* MakeTimePicker(QWidget* aParent, const QString& aName, const TRegionalSettings& aSettings);
// A report view: whole rows selected, nothing edited in place, the order the program gives.
QTreeWidget* MakeListView(QWidget* aParent, const QString& aName,
                          std::initializer_list<std::pair<QString, int>> aColumns);
QComboBox* MakeComboBox(QWidget* aParent, const QString& aName, bool aEditable, const QStringList& aItems);
QPushButton* MakeButton(QWidget* aParent, const QString& aName, const QString& aCaption);
QWidget* AddPage(QTabWidget* aTabs, const QString& aName, const QString& aCaption);
// Narrow page margins: the picture box and the three health group boxes need nearly the whole
// width of the design size.
void SetPageMargins(QWidget& aPage);
