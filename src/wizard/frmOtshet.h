#pragma once

#include "engine/Batches.h"
#include "shell/Screens.h"

#include <array>
#include <cstdint>
#include <optional>

#include <QStringList>
#include <QVariantMap>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
namespace BatchSheet {
struct Sheet;
}
namespace TextReport {
struct Captions;
}

// The report sheet "Лист отчета": the balanced ration of the worksheet scaled
// to a number of birds (grams of each feed a day, and their total) or to
// tonnes of compound feed (kilograms of each feed, and the daily amount for
// one bird). Its captions are also what the text report writes; the costs
// beside the amounts (lblCena(i), lblCenaItog) and, with the worksheet's
// "учитывать аминокислоты и клетчатку" ticked, the extra nutrients of the
// ration against their norms (lblDop, between the amounts and the buttons)
// are on the sheet and the printed recipe only. For compound feed the batch
// sheet sits below the amounts: the mixer's capacity and each feed group's
// scale step, and the tonnes split into batches with every feed's weight in
// a batch.
class frmOtshet : public Form {
    Q_OBJECT
public:
    // The weights and the energy of the mix are read from the loaded worksheet.
    explicit frmOtshet(QWidget* parent = nullptr);
    ~frmOtshet() override;

    void Form_Activate() override;
    // The sheet's captions for the feeds chosen, and the worksheet's
    // deviations (empty without a worksheet), as the text report writes them.
    TextReport::Captions captions() const;
    // The extra nutrients as lblDop lists them, line by line; empty when unticked.
    QStringList extraLines() const;
    // The batches as last split, for the printed recipe and their own file;
    // nullopt before "Разбить на замесы" or for birds.
    std::optional<BatchSheet::Sheet> batchSheet() const;
    // True once the sheet has run its closing step (it is deleted soon after).
    bool unloaded() const { return m_unloaded; }

    // The quantity typed last; kept for the whole run, also while the sheet
    // is closed, so it reopens with it.
    static inline std::int16_t iKolGolov = 0;
    // The mixer's capacity ("capacity") and the scale's step of each feed
    // group ("step:<group>") as last accepted, as typed; read from the
    // settings on first use (by the program; a test keeps them for its run).
    static inline std::optional<QVariantMap> batchChoices;

    // The sheet's key filter: a digit or backspace (8) passes, any other
    // character becomes 0 and is dropped.
    static int Only_Number(int theParam);

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildControls();
    void recalculate();
    void showCosts(bool racion);
    void showExtras();
    void buildBatchControls();
    int layoutBatches();
    void showBatches();
    Batches::Plan planWith(const QString& capacity, const QString& group, const QString& step) const;
    void cmdZamesy_Click();
    void cboGruppa_Change();
    void Text1_Change();
    void cmdNazad_Click();
    void Command1_Click();
    std::optional<double> weight(int i) const;
    std::optional<double> energy() const;

    bool m_unloaded = false;
    bool m_endsCalculation = false;   // "Закрыть": the worksheet goes too
    std::optional<Batches::Plan> m_plan;   // the batches shown; kept in step with the tonnes
    bool m_planned = false;                // split once: a change of the tonnes splits again
    QString m_stepGroup;                   // the group whose step txtShag shows

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* lblCenaItog = nullptr;
    QLabel* lblObqiWes = nullptr;
    QLabel* lblDop = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* cmdNazad = nullptr;
    QPushButton* Command1 = nullptr;
    QLabel* lblEmkost = nullptr;
    QLineEdit* txtEmkost = nullptr;
    QPushButton* cmdZamesy = nullptr;
    QPushButton* cmdSaveZamesy = nullptr;
    QLabel* lblShag = nullptr;
    QLineEdit* txtShag = nullptr;
    QLabel* lblGruppa = nullptr;
    QComboBox* cboGruppa = nullptr;
    QLabel* lblZamesy = nullptr;
    QTableWidget* grdZamesy = nullptr;
    QLabel* lblOtklon = nullptr;
    QTableWidget* grdOtklon = nullptr;
    QLabel* lblZamesyNote = nullptr;
    std::array<QLabel*, 10> lbl_1{};
    std::array<QLabel*, 10> lblWes{};
    std::array<QLabel*, 10> lblGramm{};
    std::array<QLabel*, 10> lblCena{};
};
