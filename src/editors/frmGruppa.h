#pragma once

#include "editors/GridEditor.h"

// The group-limit editor "Групповые ограничения": table granica in table
// order; a window of its own, modal over the feed editor. No rows are added.
class frmGruppa : public GridEditor {
    Q_OBJECT
public:
    explicit frmGruppa(QWidget* parent = nullptr);

private:
    QPushButton* Command1 = nullptr;
};
