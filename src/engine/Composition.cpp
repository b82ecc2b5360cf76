#include "engine/Composition.h"

#include "data/Adodc.h"
#include "data/Fixed4.h"
#include "data/NumText.h"
#include "data/RationState.h"
#include "data/Statements.h"
#include "engine/CompositionModel.h"
#include "engine/mdlRashet.h"
#include "engine/mdlSimplex.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Composition {

namespace {

Outcome refused(const QString& message)
{
    Outcome out;
    out.status = Status::Refused;
    out.message = message;
    return out;
}

bool anyMainNutrientRed(const RacionSheet& sheet)
{
    for (int k = 0; k < 5; ++k)
        if (sheet.procentColor(k) == SheetColor::LightRed)
            return true;
    return false;
}

} // namespace

bool sheetBalanced(const RacionSheet& sheet)
{
    if (anyMainNutrientRed(sheet) || sheet.sumWesCaption() != Fixed4::fromInt(100).toText())
        return false;
    for (int k = 5; k < 8 && sheet.vitaminsChecked(); ++k)
        if (sheet.procentColor(k) == SheetColor::LightRed)
            return false;
    return true;
}

Outcome compose(RacionSheet& sheet)
{
    RationState& s = ration();
    const Fixed4 hundred = Fixed4::fromInt(100);

    // Everything is read and checked before the first box is written, so a
    // refusal leaves the worksheet as it was.
    const auto tolerance = NumText::toDouble(sheet.toleranceText());
    const auto surplus = NumText::toDouble(sheet.vitaminSurplusText());
    if (!tolerance || !surplus || std::fabs(*surplus) > double(std::numeric_limits<float>::max())
        || !mdlRashet::readTolerance(sheet.toleranceText()) || !mdlRashet::readTolerance(sheet.vitaminSurplusText()))
        return refused(kNotANumber);
    const int M = nutrientRows(sheet.vitaminsChecked());
    const float v = float(*surplus);

    // The groups cannot change during the click, so they are read once.
    const GroupRecords groups = sheet.groupRecords();
    if (!groups.ok)
        return refused(QStringLiteral("Не удалось прочитать ограничения групп кормов: ") + groups.error);
    if (groups.records.isEmpty())
        return refused(QStringLiteral("В базе данных нет ни одного ограничения групп кормов. "
                                      "Заполните ограничения групп и повторите расчет."));
    if (const QString fault = checkInputs(M, groups.records); !fault.isEmpty())
        return refused(fault);

    const int N = s.feedCount();
    for (int i = 0; i < N; ++i)
        sheet.setWeightText(i, QStringLiteral("0"));

    const double limitPercent = std::min(*tolerance, kMaxTolerance);
    const double lowest = -limitPercent / 100.0;
    const float highest = float(limitPercent / 100.0);

    Outcome out;
    float delta = 0.0f;
    for (;;) {
        s.bNarushenie = false;
        Programme p = buildProgramme(M, delta, v, groups.records);
        s.SimplexTabl = std::move(p.tabl);
        s.SimplexKol = p.K;
        s.SimplexRez.assign(std::size_t(N) + 1, 0.0f);
        mdlSimplex::Simplex(s.SimplexTabl, p.M, p.N, s.SimplexKol, s.SimplexRez);
        ++out.passes;
        out.deltas.push_back(delta);

        // Twice: the second sweep writes the solution again over whatever
        // the sum cuts of the first one left.
        for (int sweep = 0; sweep < 2; ++sweep)
            for (int j = 0; j < N; ++j)
                sheet.setWeightText(j, NumText::format00F(s.SimplexRez[std::size_t(j)] * 100.0f));

        // The flag tells only of boxes whose text changed (a pass that writes
        // the weights already there leaves it clear), so the sheet as it
        // stands is judged too. The flag still holds back a pass that went
        // out of balance on the way, so a ration balanced before comes out
        // the same.
        const bool more = out.passes < kMaxPasses;
        const bool accepted = delta > 0.0f || (!s.bNarushenie && s.SumWes >= hundred && sheetBalanced(sheet));
        if (!accepted && double(delta) > lowest && more) {
            delta = float(double(delta) - 0.01);
            continue;
        }

        mdlRashet::RashetSumWes(sheet);
        mdlRashet::RashetSumWes(sheet);
        // A feed over its feeding limit alone does not count; a main
        // nutrient out of tolerance does.
        if (!anyMainNutrientRed(sheet))
            s.bNarushenie = false;
        if (delta < 0.0f)
            delta = 0.0f;
        if (double(highest) >= double(delta) && s.SumWes < hundred && more) {
            delta = float(double(delta) + 0.01);
            continue;
        }
        if (!sheetBalanced(sheet)) {
            out.status = Status::NotSolved;
            out.message = kNotSolved;
        } else {
            out.status = Status::Balanced;
        }
        return out;
    }
}

GroupRecords readGroups(Adodc& adodc)
{
    GroupRecords result;
    adodc.setRecordSource(Statements::allGroups);
    if (!adodc.Refresh()) {
        result.error = adodc.lastError();
        return result;
    }
    Recordset& rs = adodc.recordset();
    const int count = rs.RecordCount();
    rs.MoveFirst();
    for (int i = 0; i < count; ++i) {
        result.records.append({rs.Fields(0), rs.Fields(1)});
        rs.MoveNext();
    }
    result.ok = true;
    return result;
}

} // namespace Composition
