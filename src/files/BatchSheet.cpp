#include "files/BatchSheet.h"

#include "data/Nutrients.h"
#include "files/TextReport.h"

namespace BatchSheet {

QString title(const Batches::Plan& plan, int i)
{
    const Batches::Batch& b = plan.batches.at(i);
    const std::int64_t first = i == 0 ? 1 : plan.batches.first().count + 1;
    if (b.count == 1)
        return QStringLiteral("Замес %1, %2 кг").arg(first).arg(Batches::kg(b.size));
    return QStringLiteral("Замесы %1–%2, по %3 кг").arg(first).arg(first + b.count - 1).arg(Batches::kg(b.size));
}

QStringList lines(const Sheet& s)
{
    const QString indent(6, QLatin1Char(' '));
    QStringList out;
    out << QString() << indent + QStringLiteral("Замесы комбикорма для  ") + s.category + QStringLiteral(" в количестве ")
                            + s.tonnes + QStringLiteral(" т")
        << QString() << indent + QStringLiteral("Емкость смесителя: ") + s.capacity + QStringLiteral(" кг")
        << indent + Batches::summary(s.plan);
    for (int i = 0; i < s.plan.batches.size(); ++i) {
        const Batches::Batch& b = s.plan.batches.at(i);
        out << QString() << indent + title(s.plan, i) << QString()
            << TextReport::feedLines(QStringLiteral("Корм"), QStringLiteral("На замес, кг"), QString()).first().trimmed().prepend(indent);
        for (int f = 0; f < s.names.size() && std::size_t(f) < b.weights.size(); ++f)
            out << TextReport::feedLines(s.names.at(f), Batches::kg(b.weights[std::size_t(f)]), QStringLiteral("кг"));
        out << TextReport::feedLines(QStringLiteral("Итого"), Batches::kg(b.size), QStringLiteral("кг"));
    }
    out << QString() << indent + QStringLiteral("Отклонение замеса от рецепта, %");
    const QStringList nutrients = Nutrients::forms(&Nutrients::Nutrient::report);
    QString names = indent, values = indent;
    for (int k = 0; k < nutrients.size(); ++k) {
        const QString v = Batches::percent(s.plan.deviation[std::size_t(k)]);
        const int width = int(std::max(nutrients.at(k).size(), v.size())) + 2;
        names += nutrients.at(k).leftJustified(width);
        values += v.leftJustified(width);
    }
    out << names.trimmed().prepend(indent) << values.trimmed().prepend(indent);
    if (!s.plan.notes.isEmpty())
        out << QString();
    for (const QString& note : s.plan.notes)
        out << indent + note;
    return out;
}

} // namespace BatchSheet
