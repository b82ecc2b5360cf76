#include "support/EngineSupport.h"

#include "data/NumText.h"

#include <glpk.h>

#include "data/RationState.h"
#include "engine/mdlRashet.h"

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

namespace {
double number(const QVariant& v) { return NumText::variantNumber(v).value_or(0.0); }
}

std::optional<double> glpkOptimum(const QList<GroupRecord>& groups, const std::vector<double>& objective,
                                  double tolerance, bool maximise)
{
    const RationState& s = ration();
    const int n = s.feedCount();
    glp_prob* lp = glp_create_prob();
    glp_set_obj_dir(lp, maximise ? GLP_MAX : GLP_MIN);
    glp_add_cols(lp, n);
    std::vector<int> ia{0}, ja{0};
    std::vector<double> ar{0};
    const auto entry = [&](int row, int col, double v) {
        ia.push_back(row);
        ja.push_back(col);
        ar.push_back(v);
    };
    int row = glp_add_rows(lp, 1);
    glp_set_row_bnds(lp, row, GLP_FX, 100, 100);
    for (int i = 0; i < n; ++i) {
        glp_set_col_bnds(lp, i + 1, GLP_DB, 0, number(s.DataKorm[i][9]));
        glp_set_obj_coef(lp, i + 1, objective[std::size_t(i)]);
        entry(row, i + 1, 1);
    }
    for (const GroupRecord& g : groups) {
        row = glp_add_rows(lp, 1);
        glp_set_row_bnds(lp, row, GLP_UP, 0, number(g.procent));
        for (int i = 0; i < n; ++i)
            if (s.DataKorm[i][10].toString() == g.gruppa.toString())
                entry(row, i + 1, 1);
    }
    for (int j = 1; tolerance >= 0 && j <= 5; ++j) {
        // grams × content / 100 is the supply; within the requirement ± tolerance %.
        row = glp_add_rows(lp, 1);
        const double r = number(s.NormaKur[j]);
        glp_set_row_bnds(lp, row, GLP_DB, r * (1 - tolerance / 100), r * (1 + tolerance / 100));
        for (int i = 0; i < n; ++i)
            entry(row, i + 1, number(s.DataKorm[i][j]) / 100);
    }
    glp_load_matrix(lp, int(ar.size()) - 1, ia.data(), ja.data(), ar.data());
    glp_smcp parm;
    glp_init_smcp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    const bool ok = glp_simplex(lp, &parm) == 0 && glp_get_status(lp) == GLP_OPT;
    const double value = glp_get_obj_val(lp);
    glp_delete_prob(lp);
    return ok ? std::optional<double>(value) : std::nullopt;
}

} // namespace TestSupport
