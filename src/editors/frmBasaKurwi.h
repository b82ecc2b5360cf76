#pragma once

#include "editors/GridEditor.h"

// The poultry editor "База данных по птице": table kurwi in order of the
// category name; one new row per opening ("Добавить данные").
class frmBasaKurwi : public GridEditor {
    Q_OBJECT
public:
    explicit frmBasaKurwi(QWidget* parent = nullptr);

    void cmdDobawit_Click() { addRow(cmdDobawit); }
    // Makes the category's "В сутки O/Э" cell the current one, in view, with
    // the keyboard in the grid; nothing moves when there is no such row.
    void showDailyRequirement(const QString& category);

private:
    QPushButton* cmdDobawit = nullptr;
    QPushButton* Command1 = nullptr;
};
