#pragma once

#include "editors/GridEditor.h"

// The editors of the nutrients beyond the eight ("Аминокислоты и др."), each
// over one of their tables, in the order of its first column: a row at a time
// written when it is left, as in every grid editor; "Добавить данные" adds a
// row as often as it is pressed. A feed, a category or a code is picked from
// the values the database has.
class ExtraEditor : public GridEditor {
    Q_OBJECT
protected:
    ExtraEditor(const char* name, const QString& title, const QString& table, const QList<GridColumn>& columns,
                int sortColumn, const Heading& heading);

private:
    QPushButton* cmdDobawit = nullptr;
    QPushButton* cmdExit = nullptr;
};

// "Аминокислоты и др. в кормах": each feed's content of each extra nutrient
// (basa_pokazatel).
class frmDopKorm : public ExtraEditor {
    Q_OBJECT
public:
    frmDopKorm();
};

// "Нормы аминокислот и др. для птицы": each category's least and greatest
// content of an extra nutrient, or its own bound on one of the eight
// (kurwi_pokazatel).
class frmDopKurwi : public ExtraEditor {
    Q_OBJECT
public:
    frmDopKurwi();
};

// "Ограничения кормов по видам птицы": each category's least and greatest
// share of a feed in the ration (kurwi_korm).
class frmKurwiKorm : public ExtraEditor {
    Q_OBJECT
public:
    frmKurwiKorm();
};

// "Список показателей": the extra nutrients themselves (pokazatel); a code
// renamed takes the feeds' contents and the norms of it along.
class frmPokazatel : public ExtraEditor {
    Q_OBJECT
public:
    frmPokazatel();
};
