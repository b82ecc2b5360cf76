#pragma once

#include <QWidget>

class QKeyEvent;

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

    // The one way into the activation steps, whoever reports that `screen`
    // (a Form or any other window) is now the active window: the window
    // system, the frame, or an explicit Screens::activate. Repeated reports
    // of the same screen run nothing.
    static void noteActivated(QWidget* screen);

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
};

namespace Screens {

// Enter or Return with the focus on an enabled push button of the screen
// clicks it, on every screen as in a dialog. True when it did.
bool enterPressesFocusedButton(QWidget* screen, const QKeyEvent* e);

} // namespace Screens
