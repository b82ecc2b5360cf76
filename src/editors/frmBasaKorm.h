#pragma once

#include "editors/GridEditor.h"

// The feed editor "База данных по кормам": table basa in order of the feed
// name; one new row per opening ("Добавить данные"); "Групповые ограничения"
// opens the group-limit editor over it, modally.
class frmBasaKorm : public GridEditor {
    Q_OBJECT
public:
    explicit frmBasaKorm(QWidget* parent = nullptr);

    void cmdDobawit_Click() { addRow(cmdDobawit); }
    void Command1_Click();   // "Групповые ограничения"

private:
    QPushButton* cmdDobawit = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* cmdExit = nullptr;
};
