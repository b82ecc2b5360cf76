#pragma once

#include "data/mdlAddItem.h"
#include "engine/RacionSheet.h"
#include "shell/Screens.h"

#include <QStringList>
#include <memory>

class Adodc;
class DiagnosisPane;
class ExtraSection;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// One row's spin button: an up and a down arrow.
class SpinButton : public QWidget {
    Q_OBJECT
public:
    explicit SpinButton(QWidget* parent = nullptr);
    QToolButton* upArrow() const { return m_up; }
    QToolButton* downArrow() const { return m_down; }
Q_SIGNALS:
    void SpinUp();
    void SpinDown();
private:
    QToolButton* m_up;
    QToolButton* m_down;
};

// The ration worksheet: one row per chosen feed with its weight box and spin
// button, the category's requirement, every feed's contributions, the totals
// and the deviations, recalculated on every change of a weight. It is the
// RacionSheet through which the engine works. Closing it (its "Закрыть", its
// close box, the report sheet's "Закрыть", the program's closing) asks
// "Сохранить расчет?" when it holds weights changed since the last save or
// open; "Назад" closes it without asking, the weights live on in SaveWes and
// are asked about when the calculation ends before they come back.
//
// Controls are found by object name: txtWes(i) (QLineEdit), SpinButton(i),
// lbl_1(0..8) .. lbl_10(0..8), lblKuri(0..8), lblProcent(0..7), lblSum(0..7)
// (QLabel), lblSumWes, lblCena, Combo1, Combo2, Check1, chkCena, chkDop, cmdS, cmdNasad, cmdDalee,
// cmdExit; with chkDop ticked the section of the extra nutrients (ExtraSection)
// stands below them, and cmdPochemu opens the diagnosis pane below all
// (DiagnosisPane); the sheet tells both of its changes and grows for them. How the weight boxes take keys,
// clicks and spin arrows: RacionWeightBoxes.cpp.
//
// Opening a saved calculation: set bOpenKalk, fill the ration state, call
// Navigation::showRacion() and write the weights into txtWes(i) in the same
// handler. The activation that showRacion runs leaves bOpenKalk set and
// clears it only once control is back in the event loop, so the group check
// stays skipped while the weights are written (the caller then colours every
// group: mdlRashet::checkGroupLimits); endOpening() clears it at once for a
// caller that prefers to say when it is done.
struct SheetState;
class SheetBuffer;

class frmRacion : public Form, public RacionSheet, public mdlAddItem::RequirementCaptions {
    Q_OBJECT
public:
    explicit frmRacion(QWidget* parent = nullptr);
    ~frmRacion() override;

    // The live worksheet, or nullptr.
    static frmRacion* instance();

    void Form_Activate() override;
    static void endOpening();

    // The key filter of the weight boxes: the character code to let through
    // for a typed one, 0 to drop it. The point and the comma both become the
    // locale's decimal separator.
    static int Only_Number(int theParam);

    // RacionSheet
    QString weightText(int i) const override;
    void setWeightText(int i, const QString& text) override;
    void setWeightColor(int i, SheetColor c) override;
    SheetColor weightColor(int i) const override;
    void showFeedRow(int i) override;
    void setFeedCaption(int i, int element, const QString& text) override;
    QString feedCaption(int i, int element) const override;
    void setFeedNameColor(int i, SheetColor c) override;
    SheetColor feedNameColor(int i) const override;
    void setSumCaption(int k, const QString& text) override;
    QString sumCaption(int k) const override;
    void setProcentCaption(int k, const QString& text) override;
    QString procentCaption(int k) const override;
    void setProcentColor(int k, SheetColor c) override;
    SheetColor procentColor(int k) const override;
    void setSumWesCaption(const QString& text) override;
    QString sumWesCaption() const override;
    QString toleranceText() const override;
    QString vitaminSurplusText() const override;
    bool vitaminsChecked() const override;
    std::optional<std::int16_t> groupLimit(const QString& group) override;
    GroupRecords groupRecords() override;
    QVariant fileVersion() override;
    void writeAll(const std::function<void(RacionSheet&)>& write) override;

    // RequirementCaptions
    void setKuriCaption(int k, const QString& text) override;

    static QColor colourOf(SheetColor c);
    static SheetColor sheetColourOf(const QColor& c);

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildHeadings();
    void buildRows();
    void buildTotalsAndButtons();
    void addDiagnosis();
    // The section and the pane one below the other under the sheet, and the sheet's height for them.
    void fitBelow();

    void describeRow(int i);
    void describeDeviation(int k);
    void txtWes_Change(int index);
    void showCost();
    void SpinButton_SpinUp(int index);
    void SpinButton_SpinDown(int index);
    void lblSumWes_Change();
    void checkTolerance(QComboBox* combo, QString& lastGood);
    void loadRows();
    void cmdDalee_Click();
    void cmdNasad_Click();
    void cmdS_Click();
    // The sheet as the calculation sees it; the copy's end state shown over
    // `before`, what the screen holds.
    SheetState sheetState() const;
    void showState(const SheetState& before, const SheetBuffer& buffer);
    // The weights in the boxes kept for the sheet's return (SaveWes, bNazad).
    void saveWeights();
    void takeFeed(const QString& name, int replaced);

    std::unique_ptr<Adodc> Adodc1, Adodc2, Adodc3;
    QLineEdit* txtWes[10] = {};
    SpinButton* spin[10] = {};
    QLabel* lblFeed[10][9] = {};   // lbl_<i+1>(0..8)
    QLabel* lblKuri[9] = {};
    QLabel* lblProcent[8] = {};
    QLabel* lblSum[8] = {};
    QLabel* lblSumWes = nullptr;
    QLabel* lblCena = nullptr;
    QComboBox* Combo1 = nullptr;
    QComboBox* Combo2 = nullptr;
    QString m_lastCombo1 = QStringLiteral("30");
    QString m_lastCombo2 = QStringLiteral("100");
    QCheckBox* Check1 = nullptr;
    QCheckBox* chkCena = nullptr;
    QCheckBox* chkDop = nullptr;
    QPushButton* cmdS = nullptr;
    QPushButton* cmdNasad = nullptr;
    QPushButton* cmdDalee = nullptr;
    QPushButton* cmdExit = nullptr;
    QStringList m_reportedMissing;   // names already reported as not found
    QStringList m_reportedRefused;   // names already reported as not to be looked up
    QString m_reportedGroupError;    // the last failed read of a group limit, reported once
    ExtraSection* m_extras = nullptr;       // pnlDop, below the sheet's own controls
    DiagnosisPane* m_diagnosis = nullptr;   // pnlDiagnosis, below everything else
    int m_baseHeight = 0;                   // the sheet without either
    int m_paneRoom = 0;                     // what the pane asks for
    bool m_showing = false;          // showState writing the boxes: no change handling
    // During a click of "Расчитать": the file's version and the group limits
    // as first read in it, so that the composition and the pane's analysis
    // ask the file once between them.
    bool m_holdGroups = false;
    std::optional<GroupRecords> m_heldGroups;
    std::optional<QVariant> m_heldVersion;
    // The group limits last read whole, and the file's version then: read
    // again only when another connection has changed the file since.
    GroupRecords m_groups;
    QVariant m_groupsVersion;
    bool m_weightsKept = false;      // closing by "Назад": the weights live on in SaveWes
    QLineEdit* m_firstClick = nullptr;   // the weight box with the focus, not yet clicked or typed into
};
