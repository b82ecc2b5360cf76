#pragma once

#include "data/ReferenceData.h"
#include "editors/GridEditor.h"

class QLabel;
class QPushButton;
class CenaModel;

// The price editor "Цены кормов": every feed of basa in order of its name,
// with its price in roubles per kilogram (table cena). Only the price is
// edited: a number not below zero with a comma or a point, whatever the
// locale, or empty for no price (EditorRules::price). A stored price the
// worksheet does not use (another program's) shows in light red, with the
// reason beside the button. A changed price is written as every grid editor
// writes a row (RowEditor): when its row is left, when another window becomes
// the active one and when the editor closes; a price that cannot be written
// is refused there with a message and stays in its cell as typed, until it
// is put right or Esc brings back the stored one.
class frmCena : public RowEditor {
    Q_OBJECT
public:
    explicit frmCena(QWidget* parent = nullptr);
    ~frmCena() override;

    // False when the tables could not be read; errorText() says why.
    bool isReady() const { return m_ready; }
    QString errorText() const { return m_error; }
    DataGrid* grid() const { return DataGrid1; }

    QSize sizeHint() const override;

private:
    void showNote();
    void placeLabels() override;

    ReferenceData m_data;
    CenaModel* m_model = nullptr;
    DataGrid* DataGrid1 = nullptr;
    QWidget* m_header = nullptr;
    QLabel* m_labels[2] = {};
    QPushButton* cmdExit = nullptr;
    QLabel* lblNote = nullptr;   // why the current row's stored price is not used
    bool m_ready = false;
    QString m_error;
};
