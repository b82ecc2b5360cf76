#pragma once

#include <QFont>
#include <QRect>
#include <QWidget>

class QColor;
class QKeyEvent;
class QMdiArea;
class QMdiSubWindow;

// A screen of the program: a window with named controls whose activation step
// runs each time it becomes the active window.
class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(QWidget* parent = nullptr);

    // Runs each time the screen becomes the active window. Screens override it.
    virtual void Form_Activate() {}
    // Runs when another screen becomes the active window after this one.
    virtual void Form_Deactivate() {}
    // Asked before the program closes, before any window closes: false keeps
    // every window open, the screen having told the user why (an editor that
    // cannot write the row it holds).
    virtual bool mayClose() { return true; }

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
};

// Hosting of child screens inside the main frame.
namespace Screens {

// Sizes. Every screen was drawn in twips for an 8 pt font (15 twips to the
// pixel). Drawn with the application's font, a screen grows as a whole by
// fontScale(): that font's metrics over those of the same family at 8 pt.
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
// A font in which every character a report uses (digits, Russian and Latin
// letters, the blank and the signs) takes the same width, so its columns line
// up: the system's fixed font when it is so, else the first such font found.
// pointSize 0 keeps the system fixed font's size.
QFont columnFont(int pointSize = 0);

// Colours. A control given a back colour gets the text colour that reads on
// it (black or white, whichever stands out more), in any colour scheme.
QColor textColourFor(const QColor& back);
// WCAG contrast ratio of two colours (1 to 21).
double contrast(const QColor& a, const QColor& b);

// Shrinks and moves a top-level window so that it lies within the available
// part of its screen, window frame included.
void keepOnScreen(QWidget* window);

// The frame's multi-document area (set by the main window; null without one).
void setMdiArea(QMdiArea* area);
QMdiArea* mdiArea();

// Shows the screen as a child window of the frame (a top-level window when
// there is no frame, as in tests) and makes it the active window, which runs
// its activation step. The screen is deleted when it is closed.
void showChild(QWidget* screen);

// Makes an already shown screen the active window again (its activation
// step runs).
void activate(QWidget* screen);

// After a shown screen changed its size: its window takes the new size, and
// the frame grows if it must to show it whole, or shrinks back as far as the
// screens open let it.
void refit(QWidget* screen);

// The sub-window that holds the screen, if it is a child of the frame.
QMdiSubWindow* subWindowOf(QWidget* screen);

// Closes the screen as its window's close box does: its sub-window inside the
// frame, else the screen itself. The screen's closing step runs either way.
void closeWindow(QWidget* screen);

// Enter or Return with the focus on an enabled push button of the screen
// clicks it, on every screen as in a dialog. True when it did.
bool enterPressesFocusedButton(QWidget* screen, const QKeyEvent* e);

} // namespace Screens
