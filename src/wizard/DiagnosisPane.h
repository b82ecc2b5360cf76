#pragma once

#include "engine/BandModel.h"

#include <QFrame>
#include <memory>

class Adodc;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTimer;
class QToolButton;
class frmRacion;

// The worksheet's diagnosis pane (pnlDiagnosis), below its other controls:
// why the chosen feeds can or cannot be balanced (lblDiagnosis), the balanced
// ration closest to the requirement ("Подставить", cmdPodstavit) and the
// feeds that would make one possible (lstSovet; a double click adds the feed,
// or makes the replacement, on the worksheet). It only shows what the band
// model returns; the worksheet grows while the pane is open. It also puts
// "Почему?" (cmdPochemu) beside "Расчитать", which opens it, and follows
// the worksheet's boxes, tolerances and vitamins box while open.
class DiagnosisPane : public QFrame {
    Q_OBJECT
public:
    explicit DiagnosisPane(frmRacion* sheet);
    ~DiagnosisPane() override;

    bool isOpen() const { return m_open; }
    // Shows the pane and analyses the worksheet as it stands.
    void open();
    void closePane();
    // While open: analyse again once control is back in the event loop, so a
    // run of weight writes costs one analysis.
    void refreshLater();
    void refresh();

private:
    void cmdPodstavit_Click();
    void lstSovet_DblClick(QListWidgetItem* item);
    void take(const Bands::Suggestion& s);
    QString currentState() const;
    QString costLine();
    void fitSheet();

    frmRacion* m_sheet;
    std::unique_ptr<Adodc> m_adodc;   // the reference feeds for the suggestions
    QLabel* lblDiagnosis;
    QPushButton* cmdPodstavit;
    QListWidget* lstSovet;
    QToolButton* cmdClose;
    QPushButton* cmdPochemu;   // on the worksheet, beside "Расчитать"
    QTimer* m_timer;
    bool m_open = false;

    // The reference table as last read, and the file's data version then: it
    // is read again only when another connection (an editor, another
    // program) has changed the file, not at every keystroke.
    std::vector<Bands::TableFeed> m_table;
    QVariant m_tableVersion;
    bool m_tableRead = false;
    // The last analysis and what it was made of: a change of the weights
    // alone needs no new one.
    Bands::Reading m_reading;
    Bands::Candidates m_candidates;
    Bands::Diagnosis m_diagnosis;
    bool m_analysed = false;
    // The cost of the cheapest balanced ration for the prices it was found
    // with (roubles per kg); nullopt when none exists or a price is missing.
    std::vector<double> m_prices;
    std::optional<double> m_cheapest;
    bool m_costed = false;
};
