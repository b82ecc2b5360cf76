#include "engine/BandComposition.h"

#include "data/NumText.h"
#include "data/RationState.h"
#include "data/mdlAddItem.h"
#include "engine/BandAnalyses.h"
#include "engine/ExtraNorms.h"
#include "engine/LinearProgramme.h"

namespace BandComposition {

namespace {

Composition::Outcome refused(const QString& message)
{
    Composition::Outcome out;
    out.status = Composition::Status::Refused;
    out.message = message;
    return out;
}

// With the extra nutrients ticked: every line within its norm and every
// feed within its limits, as the sheet stands.
bool extrasMet(const RacionSheet& sheet)
{
    const RationState& s = ration();
    if (!s.bDop)
        return true;
    std::vector<double> grams;
    for (int i = 0; i < s.feedCount(); ++i) {
        grams.push_back(NumText::toDouble(sheet.weightText(i)).value_or(-1.0));
        if (sheet.feedNameColor(i) == SheetColor::LightRed)
            return false;
    }
    for (const ExtraNorms::Line& l : ExtraNorms::lines(s)) {
        const auto t = ExtraNorms::total(l, grams);
        if (!l.fault.isEmpty() || !t || !ExtraNorms::within(l, *t))
            return false;
    }
    return true;
}

} // namespace

Composition::Outcome compose(RacionSheet& sheet, Goal goal)
{
    const RationState& s = ration();
    const QString what = goal == Goal::Cheapest ? QStringLiteral("Рацион по наименьшей стоимости")
                                                : QStringLiteral("Рацион");
    std::vector<double> prices;
    for (int i = 0; i < s.feedCount() && goal == Goal::Cheapest; ++i) {
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
        return refused(QStringLiteral("%1 не рассчитан: %2.").arg(what, faults.join(QStringLiteral("; "))));
    }

    if (!Lp::available())
        return refused(QStringLiteral("%1 не рассчитан: не загружена библиотека GLPK (libglpk.so.40), "
                                      "которой он считается. Переустановите программу.").arg(what));

    Composition::Outcome out;
    out.passes = 1;
    const std::optional<Bands::Ration> cheapest =
        goal == Goal::Cheapest ? Bands::leastCost(r.model, prices) : Bands::closest(r.model);
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
    if (cheapest->judgedBalanced && Composition::sheetBalanced(sheet) && extrasMet(sheet)) {
        out.status = Composition::Status::Balanced;
    } else {
        out.status = Composition::Status::NotSolved;
        out.message = Composition::kNotSolved;
    }
    return out;
}

} // namespace BandComposition
