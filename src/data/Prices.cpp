#include "data/Prices.h"

#include "data/NumText.h"


namespace Prices {

Price Price::of(const QVariant& stored)
{
    Price p;
    p.stored = stored;
    if (stored.isNull() || !stored.isValid())
        return p;
    p.value = NumText::variantNumber(stored);
    if (!p.value)
        p.refusal = QStringLiteral("это не число");
    else if (*p.value < 0)
        p.refusal = QStringLiteral("цена не может быть отрицательной");
    else if (*p.value > kMax)
        p.refusal = QStringLiteral("цена не может быть больше %1 руб. за 1 кг").arg(NumText::plain(kMax));
    return p;
}

QString Price::shown() const
{
    return value || stored.isNull() ? text(value) : NumText::variantText(stored);
}

QString text(std::optional<double> price)
{
    return price ? NumText::plain(*price) : QString();
}

} // namespace Prices
