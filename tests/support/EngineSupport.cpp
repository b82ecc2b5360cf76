#include "support/EngineSupport.h"

#include "data/Adodc.h"
#include "data/NumText.h"
#include "data/RationState.h"
#include "data/mdlAddItem.h"
#include "engine/Composition.h"
#include "engine/mdlRashet.h"

#include "engine/tst_simplex_ration.h"

namespace TestSupport {

void startRation(int n, const QVariant& content, const QVariant& granic, const QString& group,
                 const QVariant& requirement)
{
    resetRation();
    mdlRashet::clearContributions();
    RationState& s = ration();
    s.iMaxKorm = std::int16_t(n - 1);
    for (int i = 0; i < n; ++i) {
        s.DataKorm[i][0] = QStringLiteral("Корм %1").arg(i);
        for (int j = 1; j <= 8; ++j)
            s.DataKorm[i][j] = content;
        s.DataKorm[i][9] = granic;
        s.DataKorm[i][10] = group;
    }
    s.NormaKur[0] = QStringLiteral("Куры");
    for (int j = 1; j <= 8; ++j)
        s.NormaKur[j] = requirement;
}

QList<GroupRecord> loadRation(Adodc& adodc, const QString& category, const QStringList& feeds)
{
    resetRation();
    mdlRashet::clearContributions();
    RationState& s = ration();
    s.sKurwi = category;
    std::copy(feeds.begin(), feeds.end(), s.sKorm.begin());
    s.iMaxKorm = std::int16_t(feeds.size() - 1);
    if (!mdlAddItem::ZagruzitKorm(adodc).notFound.isEmpty() || !mdlAddItem::ZagruzitKurwi(adodc, nullptr).notFound.isEmpty())
        qFatal("a name is missing from the database");
    return Composition::readGroups(adodc).records;
}

namespace {
double number(const QVariant& v) { return NumText::variantNumber(v).value_or(0.0); }
}

std::optional<double> glpkOptimum(const QList<GroupRecord>& groups, const std::vector<double>& objective,
                                  double tolerance, bool maximise)
{
    const RationState& s = ration();
    const int n = s.feedCount();
    std::vector<std::vector<double>> A{std::vector<double>(std::size_t(n), 1.0)};
    std::vector<double> lo{100}, hi{100}, limits;
    for (int i = 0; i < n; ++i)
        limits.push_back(number(s.DataKorm[i][9]));
    for (const GroupRecord& g : groups) {
        A.emplace_back();
        for (int i = 0; i < n; ++i)
            A.back().push_back(s.DataKorm[i][10].toString() == g.gruppa.toString() ? 1.0 : 0.0);
        lo.push_back(-HUGE_VAL);
        hi.push_back(number(g.procent));
    }
    for (int j = 1; tolerance >= 0 && j <= 5; ++j) {
        // grams × content / 100 is the supply; within the requirement ± tolerance %.
        A.emplace_back();
        for (int i = 0; i < n; ++i)
            A.back().push_back(number(s.DataKorm[i][j]) / 100);
        const double r = number(s.NormaKur[j]);
        lo.push_back(r * (1 - tolerance / 100));
        hi.push_back(r * (1 + tolerance / 100));
    }
    return SimplexRation::solved(SimplexRation::denseProblem(A, lo, hi, objective, limits, maximise));
}

} // namespace TestSupport
