#include "support/EngineSupport.h"

#include "data/NumText.h"
#include "data/RationState.h"
#include "data/mdlAddItem.h"
#include "engine/Composition.h"
#include "engine/mdlRashet.h"

#include <glpk.h>

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

QList<GroupRecord> loadRation(ReferenceData& data, const QString& category, const QStringList& feeds)
{
    resetRation();
    mdlRashet::clearContributions();
    RationState& s = ration();
    s.sKurwi = category;
    std::copy(feeds.begin(), feeds.end(), s.sKorm.begin());
    s.iMaxKorm = std::int16_t(feeds.size() - 1);
    if (!mdlAddItem::ZagruzitKorm(data).notFound.isEmpty() || !mdlAddItem::ZagruzitKurwi(data, nullptr).notFound.isEmpty())
        qFatal("a name is missing from the database");
    return data.groupLimits().records;
}

namespace {

double number(const Figure& v) { return v.value.value_or(0.0); }

// The optimum by GLPK over x_j >= 0 (and at most colHi[j], where given), row
// r of A within lo[r] .. hi[r] (lo[r] = -HUGE_VAL: bounded above only).
std::optional<double> solve(const std::vector<std::vector<double>>& A, const std::vector<double>& lo,
                            const std::vector<double>& hi, const std::vector<double>& objective,
                            const std::vector<double>& colHi, bool maximise, std::vector<double>* x = nullptr)
{
    glp_prob* lp = glp_create_prob();
    glp_set_obj_dir(lp, maximise ? GLP_MAX : GLP_MIN);
    glp_add_rows(lp, int(A.size()));
    glp_add_cols(lp, int(objective.size()));
    std::vector<int> ia{0}, ja{0};
    std::vector<double> ar{0.0};
    for (std::size_t r = 0; r < A.size(); ++r) {
        glp_set_row_bnds(lp, int(r) + 1, std::isinf(lo[r]) ? GLP_UP : lo[r] == hi[r] ? GLP_FX : GLP_DB, lo[r], hi[r]);
        for (std::size_t j = 0; j < A[r].size(); ++j) {
            ia.push_back(int(r) + 1);
            ja.push_back(int(j) + 1);
            ar.push_back(A[r][j]);
        }
    }
    for (std::size_t j = 0; j < objective.size(); ++j) {
        glp_set_col_bnds(lp, int(j) + 1, j < colHi.size() ? GLP_DB : GLP_LO, 0.0, j < colHi.size() ? colHi[j] : 0.0);
        glp_set_obj_coef(lp, int(j) + 1, objective[j]);
    }
    glp_load_matrix(lp, int(ar.size()) - 1, ia.data(), ja.data(), ar.data());
    glp_smcp parm;
    glp_init_smcp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    const bool ok = glp_simplex(lp, &parm) == 0 && glp_get_status(lp) == GLP_OPT;
    const double value = glp_get_obj_val(lp);
    for (std::size_t j = 0; x && j < objective.size(); ++j)
        x->push_back(glp_get_col_prim(lp, int(j) + 1));
    glp_delete_prob(lp);
    return ok ? std::optional<double>(value) : std::nullopt;
}

} // namespace

std::optional<double> glpkOptimum(const QList<GroupRecord>& groups, const std::vector<double>& objective,
                                  double tolerance, bool maximise, std::vector<double>* x)
{
    const RationState& s = ration();
    const int n = s.feedCount();
    std::vector<std::vector<double>> A{std::vector<double>(std::size_t(n), 1.0)};
    std::vector<double> lo{100}, hi{100}, limits;
    for (int i = 0; i < n; ++i)
        limits.push_back(number(FeedRow::of(s.DataKorm[i]).limit));
    for (const GroupRecord& g : groups) {
        A.emplace_back();
        for (int i = 0; i < n; ++i)
            A.back().push_back(FeedRow::of(s.DataKorm[i]).group == g.gruppa ? 1.0 : 0.0);
        lo.push_back(-HUGE_VAL);
        hi.push_back(number(g.procent));
    }
    for (int j = 1; tolerance >= 0 && j <= 5; ++j) {
        // grams × content / 100 is the supply; within the requirement ± tolerance %.
        A.emplace_back();
        for (int i = 0; i < n; ++i)
            A.back().push_back(number(FeedRow::of(s.DataKorm[i]).content[j - 1]) / 100);
        const double r = number(CategoryRow::of(s.NormaKur).requirement[j - 1]);
        lo.push_back(r * (1 - tolerance / 100));
        hi.push_back(r * (1 + tolerance / 100));
    }
    return solve(A, lo, hi, objective, limits, maximise, x);
}

std::optional<double> glpkOptimum(const mdlSimplex::Tableau& t, int n)
{
    std::vector<std::vector<double>> A;
    std::vector<double> hi, objective;
    for (std::size_t r = 0; r + 1 < t.size(); ++r) {
        A.emplace_back(t[r].begin() + 1, t[r].begin() + 1 + n);
        hi.push_back(double(t[r][0]));
    }
    for (int j = 1; j <= n; ++j)
        objective.push_back(-double(t.back()[std::size_t(j)]));
    return solve(A, std::vector<double>(A.size(), -HUGE_VAL), hi, objective, {}, true);
}

void PlainSheet::setWeightText(int i, const QString& text)
{
    if (weights[i] == text)
        return;
    weights[i] = text;
    writes.append({i, text});
    mdlRashet::txtWes_Change(*this, std::int16_t(i));
}

std::optional<std::int16_t> PlainSheet::groupLimit(const QString& group)
{
    for (const GroupRecord& g : groups)
        if (g.gruppa == group) {
            const auto p = g.procent.value;
            return p ? NumText::toInt16(*p) : std::nullopt;
        }
    return std::nullopt;
}

} // namespace TestSupport
