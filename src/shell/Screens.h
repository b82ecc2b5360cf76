#pragma once

#include <QWidget>

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

protected:
    bool event(QEvent* e) override;
};

// Hosting of child screens inside the main frame.
namespace Screens {

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

// The sub-window that holds the screen, if it is a child of the frame.
QMdiSubWindow* subWindowOf(QWidget* screen);

} // namespace Screens
