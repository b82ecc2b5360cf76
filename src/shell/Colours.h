#pragma once

#include <QString>

class QColor;

// Colours. A control given a back colour gets the text colour that reads on
// it (black or white, whichever stands out more), in any colour scheme.
namespace Screens {

QColor textColourFor(const QColor& back);
// WCAG contrast ratio of two colours (1 to 21).
double contrast(const QColor& a, const QColor& b);

// Wraps the named style (empty: the one in use) so that the focused entry of
// a list or a grid is framed whether the focus came by the keyboard or the
// mouse, in a colour that stands out on the entry's own back colour. False
// when no style of that name is installed (nothing changes then).
bool markFocus(const QString& styleName = {});
// The name of the style in use, the wrapped one's for a wrapped style.
QString styleName();

} // namespace Screens
