#include "support/PlainSheet.h"

#include "data/Adodc.h"
#include "data/NumText.h"
#include "data/Statements.h"
#include "engine/Composition.h"
#include "engine/mdlRashet.h"

#include <algorithm>

namespace TestSupport {

PlainSheet::PlainSheet()
{
    for (auto& w : weights)
        w = QStringLiteral("0");
}

PlainSheet::~PlainSheet() = default;

void PlainSheet::useDatabase()
{
    m_adodc3 = std::make_unique<Adodc>();
}

void PlainSheet::setWeightText(int i, const QString& text)
{
    if (weights[i] == text)
        return;
    weights[i] = text;
    writes.append({i, text});
    ++depth;
    maxDepth = std::max(maxDepth, depth);
    ++changeRuns;
    if (mdlRashet::txtWes_Change(*this, std::int16_t(i)) == mdlRashet::WeightChange::NotANumber)
        ++notANumber;
    --depth;
}

std::optional<std::int16_t> PlainSheet::groupLimit(const QString& group)
{
    QVariant procent;
    if (m_adodc3) {
        m_adodc3->setRecordSource(Statements::groupLimit(group));
        if (!m_adodc3->Refresh() || !m_adodc3->recordset().hasCurrent())
            return std::nullopt;
        procent = m_adodc3->recordset().Fields(0);
    } else {
        const auto it = std::find_if(groups.cbegin(), groups.cend(), [&](const GroupRecord& g) {
            return NumText::variantText(g.gruppa) == group;
        });
        if (it == groups.cend())
            return std::nullopt;
        procent = it->procent;
    }
    const auto p = NumText::variantNumber(procent);
    return p ? NumText::toInt16(*p) : std::nullopt;
}

GroupRecords PlainSheet::groupRecords()
{
    if (m_adodc3)
        return Composition::readGroups(*m_adodc3);
    return {true, groups, QString()};
}

} // namespace TestSupport
