#include "support/EngineSupport.h"

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

} // namespace TestSupport
