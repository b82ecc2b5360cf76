#pragma once

#include "data/Adodc.h"
#include "shell/Screens.h"

#include <optional>

class DataGrid;
class QLabel;
class QPushButton;
class CenaModel;

// The price editor "Цены кормов": every feed of basa in order of its name,
// with its price in roubles per kilogram (table cena). Only the price is
// edited: a number not below zero with a comma or a point, whatever the
// locale, or empty for no price. A stored price the worksheet does not use
// (another program's) shows in light red, with the reason beside the button. A changed price is written when
// its row is left, when the editor stops being the active window and when it
// closes; a price that cannot be written is refused there with a message and
// stays in its cell as typed, until it is put right or Esc brings back the
// stored one.
class frmCena : public Form {
    Q_OBJECT
public:
    explicit frmCena(QWidget* parent = nullptr);
    ~frmCena() override;

    // False when the tables could not be read; errorText() says why.
    bool isReady() const { return m_ready; }
    QString errorText() const { return m_error; }
    DataGrid* grid() const { return DataGrid1; }

    // Writes the changed price, if any (the open cell first). False, after a
    // message, when it cannot be written.
    bool writePendingRow();
    bool mayClose() override { return writePendingRow(); }

    // What a typed price means: empty text is no price. On refusal, the
    // reason in Russian, naming the feed.
    struct Check {
        bool ok = false;
        std::optional<double> value;
        QString message;
    };
    static Check checkPrice(const QString& feed, const QString& text);

    QSize sizeHint() const override;

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    bool load();
    void onCurrentRowChanged(const QModelIndex& current, const QModelIndex& previous);
    void onItemChanged(int row, int column);
    void onDeactivated();
    bool writeRow(int row, QString* reason);
    void revertPendingRow();
    void placeLabels();

    Adodc Adodc1;
    CenaModel* m_model = nullptr;
    DataGrid* DataGrid1 = nullptr;
    QWidget* m_header = nullptr;
    QLabel* m_labels[2] = {};
    QPushButton* cmdExit = nullptr;
    QLabel* lblNote = nullptr;   // why the current row's stored price is not used
    int m_pendingRow = -1;
    bool m_ready = false;
    bool m_closed = false;
    bool m_writing = false;
    bool m_watchingSubWindow = false;
    QString m_error;
};
