#pragma once

#include "editors/GridEditor.h"

// The poultry editor "База данных по птице": table kurwi in order of the
// category name; one new row per opening ("Добавить данные").
class frmBasaKurwi : public GridEditor {
    Q_OBJECT
public:
    explicit frmBasaKurwi(QWidget* parent = nullptr);

    void cmdDobawit_Click();

private:
    QPushButton* cmdDobawit = nullptr;
    QPushButton* Command1 = nullptr;
};
