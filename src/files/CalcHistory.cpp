#include "files/CalcHistory.h"

#include "data/Fixed4.h"

#include <algorithm>
#include <optional>

namespace CalcHistory {

namespace {

std::optional<Sheet>& saved()
{
    static std::optional<Sheet> sheet;
    return sheet;
}

std::optional<Sheet>& letGo()
{
    static std::optional<Sheet> sheet;
    return sheet;
}

bool sameWeight(const QString& a, const QString& b)
{
    const auto x = Fixed4::fromText(a);
    const auto y = Fixed4::fromText(b);
    return x && y ? *x == *y : a == b;
}

bool same(const std::optional<Sheet>& s, const Sheet& sheet)
{
    if (!s || s->category != sheet.category || s->feeds != sheet.feeds || s->weights.size() != sheet.weights.size())
        return false;
    for (int i = 0; i < sheet.weights.size(); ++i)
        if (!sameWeight(s->weights.at(i), sheet.weights.at(i)))
            return false;
    return true;
}

} // namespace

void markSaved(const Sheet& sheet)
{
    saved() = sheet;
    letGo().reset();
}

void markLetGo(const Sheet& sheet)
{
    letGo() = sheet;
}

bool unsaved(const Sheet& sheet)
{
    const bool holdsWeights = std::any_of(sheet.weights.cbegin(), sheet.weights.cend(), [](const QString& w) {
        return !sameWeight(w, QStringLiteral("0"));
    });
    return holdsWeights && !same(saved(), sheet) && !same(letGo(), sheet);
}

void forget()
{
    saved().reset();
    letGo().reset();
}

} // namespace CalcHistory
