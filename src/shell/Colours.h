#pragma once

class QColor;

// Colours. A control given a back colour gets the text colour that reads on
// it (black or white, whichever stands out more), in any colour scheme.
namespace Screens {

QColor textColourFor(const QColor& back);
// WCAG contrast ratio of two colours (1 to 21).
double contrast(const QColor& a, const QColor& b);

} // namespace Screens
