#pragma once

class QMdiArea;
class QMdiSubWindow;
class QWidget;

// Hosting of child screens inside the main frame (MDIForm1): showing and
// activating them, fitting the frame to them, keeping windows on screen.
namespace Screens {

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

// Scrolls the frame's area so that the control, a part of a screen inside the
// frame, shows whole; one taller or wider than the area shows its top left
// part. Nothing moves when it shows already, or without a frame.
void ensureVisible(QWidget* control);

// The sub-window that holds the screen, if it is a child of the frame.
QMdiSubWindow* subWindowOf(QWidget* screen);

// Closes the screen as its window's close box does: its sub-window inside the
// frame, else the screen itself. The screen's closing step runs either way.
void closeWindow(QWidget* screen);

} // namespace Screens
