#include "files/TextReport.h"

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

// Without costs the lines of the file; with them (on paper only) each feed's
// known cost from `costColumn`, right-aligned, and the total below.
QStringList reportLines(const Captions& c, int unitColumn, int costColumn = 0)
{
    const QString p0 = c.lblProcent[0], p1 = c.lblProcent[1], p2 = c.lblProcent[2], p3 = c.lblProcent[3];
    const QString p4 = c.lblProcent[4], p5 = c.lblProcent[5], p6 = c.lblProcent[6], p7 = c.lblProcent[7];
    QStringList out;
    out << QString() << QString()
        << QStringLiteral("      Суточная потребность птицы в O/Э: ") + c.Label6 + QStringLiteral(" ккалл.")
        << QString()
        << QStringLiteral("         Погрешность балансирования нормированного корма %")
        << QString()
        << QStringLiteral("       О/Э  Протеин  Кальций  Фосфор  Натрий  Вит.А  Вит.D3  Вит.B3")
        << QString()
        << blanks(7) + p0 + blanks(4) + p1 + blanks(7) + p2 + blanks(6) + p3 + blanks(8) + p4 + blanks(3) + p5
               + blanks(4) + p6 + blanks(4) + p7
        << QString() << QString()
        << blanks(6) + c.Label1 + blanks(2) + c.Label3 + QStringLiteral(" в колличестве ") + c.Text1
               + QLatin1Char(' ') + c.Label2
        << QString()
        << blanks(35) + QStringLiteral("Рецепт")
        << QString();
    int costWidth = 0;
    for (const QString& cost : c.lblCena)
        costWidth = qMax(costWidth, int(cost.size()));
    for (int i = 0; i < c.lbl_1.size(); ++i) {
        QStringList feed = feedLines(c.lbl_1.at(i), c.lblWes.value(i), c.lblGramm.value(i), unitColumn);
        if (const QString cost = c.lblCena.value(i); costColumn > 0 && !cost.isEmpty()) {
            QString last = feed.takeLast();
            tabTo(feed, last, costColumn);
            feed << last + cost.rightJustified(costWidth) + QStringLiteral(" руб.");
        }
        out << feed;
        out << QString();
    }
    out << QString();
    out << blanks(6) + c.Label10 + QStringLiteral(" : ") + c.lblObqiWes + QStringLiteral(" грамм ");
    if (costColumn > 0 && !c.lblCenaItog.isEmpty())
        out << QString() << blanks(6) + c.Label12 + QLatin1Char(' ') + c.lblCenaItog;
    return out;
}

} // namespace

QStringList lines(const Captions& c)
{
    return reportLines(c, kUnitColumn);
}

QStringList printLines(const Captions& c)
{
    int longest = 0;
    for (const QString& amount : c.lblWes)
        longest = qMax(longest, int(amount.size()));
    const int unitColumn = qMax(kUnitColumn, kAmountColumn + longest + 1);
    int unit = 0;
    for (const QString& u : c.lblGramm)
        unit = qMax(unit, int(u.size()));
    return reportLines(c, unitColumn, unitColumn + unit + 2);
}

} // namespace TextReport
