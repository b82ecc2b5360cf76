#pragma once
// The wizard folder holds the screens a calculation runs through: the
// category choice, the feed selection, the worksheet, the recipe-kind dialog
// and the report sheet, and the navigation between them.

#include "shell/Screens.h"

#include <QColor>
#include <QMargins>
#include <QRect>

class QListWidget;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace Wizard {

inline const QColor kLightRed(255, 192, 192);
inline const QColor kLightGreen(192, 255, 192);
inline const QColor kLightYellow(255, 255, 192);

// A rectangle given in twips, in pixels at the application's font.
using Screens::twips;
using Screens::scaled;

// A label's back colour (its palette's window role, filled); a text box's
// (the base role). Each gets the text colour that reads on it.
void setLabelBack(QWidget* label, const QColor& colour);
void setBoxBack(QWidget* box, const QColor& colour);

// A button of the screen, named and placed (pixels at the application's font).
QPushButton* button(QWidget* screen, const char* name, const QString& caption, const QRect& geometry);

// A list of names that shows each one whole, however long: every entry as
// wide as its text (the list scrolls sideways to the widest), its tooltip the
// whole name; entries added later too.
void showNamesWhole(QListWidget* list);

// The window's layout, a column with these margins and spacing (pixels at 8 pt).
QVBoxLayout* column(QWidget* window, const QMargins& margins, int spacing);

// Closes a screen: its sub-window when it lives in the frame, else itself.
// The screen's closing step runs either way.
void closeScreen(QWidget* screen);
// Hides a screen (and its sub-window) without closing it.
void hideScreen(QWidget* screen);

} // namespace Wizard
