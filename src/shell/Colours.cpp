#include "shell/Colours.h"

#include <QColor>

#include <algorithm>
#include <cmath>

namespace Screens {

namespace {
double luminance(const QColor& c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}
} // namespace

double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor textColourFor(const QColor& back)
{
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return contrast(back, black) >= contrast(back, white) ? black : white;
}

} // namespace Screens
