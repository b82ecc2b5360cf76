#include "files/TextReport.h"

#include "data/Nutrients.h"

namespace TextReport {

namespace {

QString blanks(int n)
{
    return QString(qMax(0, n), QLatin1Char(' '));
}

// Moves on to `column` (from 1); a line already that long or longer is ended
// and the text goes on in a new line, after blanks up to the column.
void tabTo(QStringList& out, QString& line, int column)
{
    if (line.size() >= column) {
        out << line;
        line = blanks(column - 1);
    } else {
        line += blanks(column - 1 - int(line.size()));
    }
}

} // namespace

QStringList feedLines(const QString& name, const QString& amount, const QString& unit, int unitColumn)
{
    QStringList out;
    QString line = blanks(6) + name;
    tabTo(out, line, kAmountColumn);
    line += amount;
    tabTo(out, line, unitColumn);
    line += unit;
    out << line;
    return out;
}

namespace {

QStringList reportLines(const Captions& c, int unitColumn)
{
    const QString p0 = c.lblProcent[0], p1 = c.lblProcent[1], p2 = c.lblProcent[2], p3 = c.lblProcent[3];
    const QString p4 = c.lblProcent[4], p5 = c.lblProcent[5], p6 = c.lblProcent[6], p7 = c.lblProcent[7];
    QStringList out;
    out << QString() << QString()
        << QStringLiteral("      Суточная потребность птицы в O/Э: ") + c.Label6 + QStringLiteral(" ккалл.")
        << QString()
        << QStringLiteral("         Погрешность балансирования нормированного корма %")
        << QString()
        << blanks(7) + Nutrients::forms(&Nutrients::Nutrient::report).join(blanks(2))
        << QString()
        << blanks(7) + p0 + blanks(4) + p1 + blanks(7) + p2 + blanks(6) + p3 + blanks(8) + p4 + blanks(3) + p5
               + blanks(4) + p6 + blanks(4) + p7
        << QString() << QString()
        << blanks(6) + c.Label1 + blanks(2) + c.Label3 + QStringLiteral(" в колличестве ") + c.Text1
               + QLatin1Char(' ') + c.Label2
        << QString()
        << blanks(35) + QStringLiteral("Рецепт")
        << QString();
    for (int i = 0; i < c.lbl_1.size(); ++i) {
        out << feedLines(c.lbl_1.at(i), c.lblWes.value(i), c.lblGramm.value(i), unitColumn);
        out << QString();
    }
    out << QString();
    out << blanks(6) + c.Label10 + QStringLiteral(" : ") + c.lblObqiWes + QStringLiteral(" грамм ");
    return out;
}

} // namespace

QStringList lines(const Captions& c)
{
    return reportLines(c, kUnitColumn);
}

} // namespace TextReport
