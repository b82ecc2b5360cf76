#include "engine/LeastCost.h"

#include "data/NumText.h"
#include "data/RationState.h"
#include "data/mdlAddItem.h"
#include "engine/BandAnalyses.h"

namespace LeastCost {

namespace {

Composition::Outcome refused(const QString& message)
{
    Composition::Outcome out;
    out.status = Composition::Status::Refused;
    out.message = message;
    return out;
}

} // namespace

Composition::Outcome compose(RacionSheet& sheet)
{
    const RationState& s = ration();
    std::vector<double> prices;
    for (int i = 0; i < s.feedCount(); ++i) {
        if (!s.Cena[i]) {
            // Where prices cannot be kept, the price editor is no help.
            const QString remedy = s.CenaNowhere.isEmpty()
                ? QStringLiteral("Введите цену (База данных → цены кормов) или снимите флажок «по наименьшей стоимости».")
                : s.CenaNowhere + QStringLiteral(" Снимите флажок «по наименьшей стоимости».");
            return refused(QStringLiteral("Нет цены корма «%1», поэтому рацион по наименьшей стоимости не рассчитан. %2")
                               .arg(mdlAddItem::shownName(s.sKorm[i]), remedy));
        }
        prices.push_back(*s.Cena[i]);
    }
    const GroupRecords groups = sheet.groupRecords();
    if (!groups.ok)
        return refused(QStringLiteral("Не удалось прочитать ограничения групп кормов: ") + groups.error);
    const Bands::Reading r = Bands::read(s, groups.records, sheet.toleranceText(), sheet.vitaminSurplusText(),
                                         sheet.vitaminsChecked());
    if (!r.complete()) {
        QStringList faults = r.faults;
        for (const QString& v : r.outOfRange)
            faults << QStringLiteral("недопустимое значение: ") + v;
        return refused(QStringLiteral("Рацион по наименьшей стоимости не рассчитан: %1.")
                           .arg(faults.join(QStringLiteral("; "))));
    }

    Composition::Outcome out;
    out.passes = 1;
    const std::optional<Bands::Ration> cheapest = Bands::leastCost(r.model, prices);
    if (!cheapest) {
        out.status = Composition::Status::NotSolved;
        out.message = Composition::kNotSolved;
        return out;
    }
    // Each box that changes is written once: the lowered ones first, then the
    // raised ones, so that the sum never passes 100 on the way (and no excess
    // is cut) and every group a changed box belongs to is judged again.
    std::vector<QString> texts;
    for (int i = 0; i < s.feedCount(); ++i)
        texts.push_back(NumText::format00(cheapest->written[std::size_t(i)]));
    for (const bool raising : {false, true}) {
        for (int i = 0; i < s.feedCount(); ++i) {
            const std::optional<double> now = NumText::toDouble(sheet.weightText(i));
            const bool raise = now && *now < cheapest->written[std::size_t(i)];
            if (raise == raising && sheet.weightText(i) != texts[std::size_t(i)])
                sheet.setWeightText(i, texts[std::size_t(i)]);
        }
    }
    // The two decimals as the worksheet judges them are within every band,
    // unless no narrowing of the bands could make them so; and the sheet as
    // it stands says the same.
    if (cheapest->judgedBalanced && Composition::sheetBalanced(sheet)) {
        out.status = Composition::Status::Balanced;
    } else {
        out.status = Composition::Status::NotSolved;
        out.message = Composition::kNotSolved;
    }
    return out;
}

} // namespace LeastCost
