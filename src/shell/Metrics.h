#pragma once

#include <QFont>
#include <QRect>

class QWidget;

// Sizes. Every screen was drawn in twips for an 8 pt font (15 twips to the
// pixel). Drawn with the application's font, a screen grows as a whole by
// fontScale(): that font's metrics over those of the same family at 8 pt.
namespace Screens {

double fontScale();
// A length in pixels drawn for 8 pt, at the application's font.
int scaled(int pixels);
// A rectangle drawn for 8 pt; its edges are scaled, so that neighbours that
// touch go on touching.
QRect scaled(const QRect& r);
inline QSize scaled(const QSize& s) { return {scaled(s.width()), scaled(s.height())}; }
// A rectangle given in twips, in pixels at the application's font.
inline QRect twips(int left, int top, int width, int height)
{
    return scaled(QRect(left / 15, top / 15, width / 15, height / 15));
}
// A font `points` / 8 the size of `base`: a screen drawn with a smaller font
// in places keeps the proportion at every size.
QFont relativeFont(const QFont& base, double points);
// The width a text box (a line edit, or an editable combo box) needs to show
// `text` whole in its font, with the room its style takes round the text
// (frame, padding, the combo box's arrow); `width` when that is enough.
int boxWidthFor(const QWidget* box, const QString& text, int width);
// A font in which every character a report uses (digits, Russian and Latin
// letters, the blank and the signs) takes the same width, so its columns line
// up: the system's fixed font when it is so, else the first such font found.
// pointSize 0 keeps the system fixed font's size.
QFont columnFont(int pointSize = 0);

} // namespace Screens
