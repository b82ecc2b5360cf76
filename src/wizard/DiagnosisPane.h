#pragma once

#include "engine/BandAnalyses.h"

#include <QFrame>
#include <memory>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTimer;
class QToolButton;
class RacionSheet;

// The worksheet's diagnosis pane (pnlDiagnosis), below its other controls:
// what the sheet shows now (lblNaListe), why the chosen feeds can or cannot
// be balanced (lblDiagnosis), the balanced
// ration closest to the requirement ("Подставить", cmdPodstavit) and the
// feeds that would make one possible (lstSovet; a double click adds the feed,
// or makes the replacement, on the worksheet). With a price for every chosen
// feed, the cheapest ration's cost, and how its prices and limits bear on it
// (lstCeny). It only shows what the band
// model returns. It reads the worksheet, and writes its weights, through
// RacionSheet; the worksheet tells it of every change it should follow
// (refreshLater), makes the room it asks for below (roomWanted) and takes
// the feed chosen from the list (feedChosen).
class DiagnosisPane : public QFrame {
    Q_OBJECT
public:
    // Below everything `parent`, the worksheet's window, holds as it is made.
    DiagnosisPane(RacionSheet& sheet, QWidget* parent);
    ~DiagnosisPane() override;

    bool isOpen() const { return m_open; }
    // Shows the pane and analyses the worksheet as it stands.
    void open();
    void closePane();
    // While open: analyse again once control is back in the event loop, so a
    // run of weight writes costs one analysis.
    void refreshLater();
    void refresh();

Q_SIGNALS:
    // The room the pane needs below the worksheet's controls; 0 when closed.
    void roomWanted(int height);
    // A suggested feed to add to the worksheet, or to put in place of chosen
    // feed `replaced` (>= 0): at weight 0, the other weights kept.
    void feedChosen(const QString& name, int replaced);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cmdPodstavit_Click();
    void lstSovet_DblClick(QListWidgetItem* item);
    void take(const Bands::Suggestion& s);
    QString currentState() const;
    QString costLine();
    bool showWords(QLabel* label, const QString& text);
    // Whether the list changed.
    bool showPrices(bool costed);
    void fit();

    RacionSheet& m_sheet;
    std::unique_ptr<ReferenceData> m_data;   // the reference feeds for the suggestions
    QLabel* lblNaListe;       // what the sheet shows now
    QLabel* lblDiagnosis;     // the analysis
    QLabel* lblCenaRaciona;   // the cheapest ration's cost beside the sheet's
    QPushButton* cmdPodstavit;
    QListWidget* lstSovet;
    QListWidget* lstCeny;   // the cheapest ration's prices and limits (DiagnosisText::prices)
    QToolButton* cmdClose;
    QTimer* m_timer;
    bool m_open = false;
    int m_fittedWidth = -1;      // the frame's width the pane's height was last worked out for
    QStringList m_suggestions;   // what lstSovet lists

    // The reference table as last read, and the file's data version then: it
    // is read again only when another connection (an editor, another
    // program) has changed the file, not at every keystroke.
    std::vector<FeedRow> m_table;
    ExtraContents m_contents;   // every feed's extra nutrients, read with the table when needed
    bool m_contentsRead = false;
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
    std::optional<Bands::Sensitivity> m_sensitivity;
    bool m_costed = false;
};
