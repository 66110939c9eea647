#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Names the program, credits its maker and reports the operating system and
// the physical memory of this machine.
class TFormAbout : public QDialog {
    Q_OBJECT

public:
    explicit TFormAbout(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Fills the two machine texts anew for every showing.
    void FormActivate();
    void Button1Click();

    QLabel* Image1;
    QLabel* Label5;
    QLabel* Label1;
    QLabel* OS;
    QLabel* Label2;
    QLabel* PhysMem;
    QLabel* Label4;
    QPushButton* Button1;
};

// Shows a new About window modally; it is destroyed when it closes, also when
// an exception passes.
void ShowAbout(QWidget* parent);
