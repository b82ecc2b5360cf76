#pragma once

#include "shell/Screens.h"

#include <memory>

class Adodc;
class QLabel;
class QListWidget;
class QPushButton;

// The first step of a calculation: the poultry category whose requirement
// the ration is balanced against.
class frmKurwi : public Form {
    Q_OBJECT
public:
    explicit frmKurwi(QWidget* parent = nullptr);
    ~frmKurwi() override;

    void Form_Activate() override;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void lstKurwi_Click();
    void cmdDalee_Click();

    std::unique_ptr<Adodc> Adodc1;
    QListWidget* lstKurwi = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* cmdDalee = nullptr;
    QPushButton* cmdZakrit = nullptr;
    bool m_chosenHere = false;   // the user has clicked or keyed a category here
    bool m_goingOn = false;      // closed by "Далее": the calculation goes on
};
