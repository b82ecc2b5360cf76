#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box: where to send comments and find updates, the version, and
// the full path of the database in use. Shown modally; its size is fixed (a
// long path takes more lines). While it exists "О программе" is off.
class frmProgramm : public QDialog {
    Q_OBJECT
public:
    explicit frmProgramm(QWidget* parent = nullptr);
    ~frmProgramm() override;

    void done(int result) override;

    // Client area 4290 × 2775 twips; with the frame that makes the outer size
    // of 4410 × 3150 twips. Pixels at 8 pt; Screens::scaled gives the size
    // at the application's font. The database's path adds its lines.
    static constexpr int kClientWidth = 286;
    static constexpr int kClientHeight = 185;

private:
    void reportClosed();

    QLabel* Label1 = nullptr;
    QPushButton* Command1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblBasa = nullptr;   // the database in use
    QPushButton* cmdExit = nullptr;
    bool m_closedReported = false;
};
