#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box: the program's icon and name, its version and a notice, closed by "&Ok" or the
// title bar.
class TFormAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFormAbout(QWidget* aParent = nullptr);

    void ButtonOkClick();

private:
    QLabel* ImageIcon{};
    QLabel* LabelProductName{};
    QLabel* LabelVersion{};
    QLabel* LabelNotice{};
    QPushButton* ButtonOk{};
};
