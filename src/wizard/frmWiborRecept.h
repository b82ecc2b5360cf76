#pragma once

#include <QDialog>

class QRadioButton;
class QPushButton;

// The recipe-kind dialog: the balanced ration is presented as a ration or as
// a compound-feed recipe. Modal; the worksheet is hidden behind it.
class frmWiborRecept : public QDialog {
    Q_OBJECT
public:
    explicit frmWiborRecept(QWidget* parent = nullptr);

    // Shows the dialog modally and goes on from it: "Да" opens the report
    // sheet; closing the dialog any other way (its close box, Esc) shows the
    // worksheet again, so nothing stays hidden.
    static void choose();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void recordChoice(QRadioButton* left);
    void cmdWiborRacionOk_Click();

    QRadioButton* optRacion = nullptr;
    QRadioButton* optKombikorm = nullptr;
    QPushButton* cmdWiborRacionOk = nullptr;
};
