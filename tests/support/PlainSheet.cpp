#include "support/PlainSheet.h"

#include "data/NumText.h"
#include "engine/mdlRashet.h"

#include <algorithm>

namespace TestSupport {

PlainSheet::PlainSheet()
{
    std::fill(std::begin(weights), std::end(weights), QStringLiteral("0"));
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
    const auto it = std::find_if(groups.cbegin(), groups.cend(),
                                 [&](const GroupRecord& g) { return NumText::variantText(g.gruppa) == group; });
    if (it == groups.cend())
        return std::nullopt;
    const auto p = NumText::variantNumber(it->procent);
    return p ? NumText::toInt16(*p) : std::nullopt;
}

} // namespace TestSupport
