#pragma once

#include "shell/Screens.h"

#include <QLabel>
#include <memory>

class Adodc;
class QListWidget;
class QPushButton;

// A label that serves as a button (the arrows between the two lists).
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
Q_SIGNALS:
    void clicked();
protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
};

// The second step of a calculation: at most ten feeds moved from the list
// of all feeds to the list of chosen feeds, whose order becomes the order of
// the worksheet's rows.
class frmBasa : public Form {
    Q_OBJECT
public:
    static constexpr int kMaxChosen = 10;

    explicit frmBasa(QWidget* parent = nullptr);
    ~frmBasa() override;

    // The moves, as the arrows and double clicks make them.
    void lblWibrat_Click();
    void lblUdalit_Click();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void Form_Load();
    void copyChoice();
    void cmdDalee_Click();
    void cmdNasad_Click();

    std::unique_ptr<Adodc> Adodc1;
    QListWidget* lstBasa = nullptr;
    QListWidget* lstWibor = nullptr;
    ClickLabel* lblWibrat = nullptr;
    ClickLabel* lblUdalit = nullptr;
    QPushButton* cmdNasad = nullptr;
    QPushButton* cmdDalee = nullptr;
    QPushButton* cmdExit = nullptr;
};
