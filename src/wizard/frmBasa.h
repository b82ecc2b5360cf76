#pragma once

#include "shell/Screens.h"

#include <memory>

class Adodc;
class FeedNames;
class QListView;
class QListWidget;
class QPushButton;

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

    // Feeds just written to the database join the list of all feeds of an
    // open feed selection, each at its place in the order of the names.
    static void listNewFeeds(const QStringList& names);
    // Reads at once the names not read yet (the list reads on by itself
    // while the screen waits for the user).
    void readRest();
    void Form_Deactivate() override;

protected:
    void closeEvent(QCloseEvent* e) override;
    // Enter or the arrow towards the other list moves the selected feed.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void readAll();
    void readOn();
    void copyChoice();
    // Stores the choice and goes on to the worksheet, or back to the categories.
    void leave(bool forward);
    void cmdDalee_Click();
    void cmdNasad_Click();

    std::unique_ptr<Adodc> Adodc1;
    FeedNames* m_basa = nullptr;   // the names lstBasa shows
    QListView* lstBasa = nullptr;
    QListWidget* lstWibor = nullptr;
    QPushButton* lblWibrat = nullptr;   // the arrows between the lists
    QPushButton* lblUdalit = nullptr;
    QPushButton* cmdNasad = nullptr;
    QPushButton* cmdDalee = nullptr;
    QPushButton* cmdExit = nullptr;
    bool m_goingOn = false;   // closed by "Далее" or "Назад": the calculation goes on
};
