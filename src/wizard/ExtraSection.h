#pragma once

#include "engine/ExtraNorms.h"

#include <QFrame>
#include <QStringList>
#include <optional>
#include <vector>

class QLabel;
class QTableWidget;
class RacionSheet;

// The worksheet's section of the extra nutrients (pnlDop), below its other
// controls while "учитывать аминокислоты и клетчатку" is ticked: one row of
// the table grdDop per norm of the category (ExtraNorms::lines) with its norm,
// each chosen feed's part of it and the total, light green within the norm,
// light red outside. A norm that cannot be judged shows why instead of
// numbers; a category without such norms gets a line that says so.
//
// The lines are read from the ration state when the sheet is activated or the
// box is ticked (rebuild); a change of a weight only reckons the parts and the
// totals again (follow). The worksheet places the section and grows for it
// (room).
class ExtraSection : public QFrame {
    Q_OBJECT
public:
    // Below everything `parent`, the worksheet's window, holds as it is made;
    // hidden until the first rebuild with the box ticked.
    ExtraSection(const RacionSheet& sheet, QWidget* parent);

    // The lines of the ration state again, shown when its box is ticked.
    void rebuild();
    // The weights changed: the parts, the totals and their colours.
    void follow();
    // The height the section takes below the sheet; 0 while hidden.
    int room() const;

    // The report's list: a heading and, per line, its total against the norm
    // ("лизин, %: 1,31 (норма не менее 1,30)"), those outside marked. Empty
    // while the box is unticked.
    static QStringList reportLines(const RacionSheet& sheet);

private:
    void fill();

    const RacionSheet& m_sheet;
    std::vector<ExtraNorms::Line> m_lines;   // as last read: a keystroke reads no database
    QString m_noData;                         // "нет данных", or "н/д" in narrow columns
    QLabel* lblDopNone;
    QTableWidget* grdDop;
};
