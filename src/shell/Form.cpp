#include "shell/Form.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>

namespace {
QPointer<QWidget> g_lastActivated;
} // namespace

Form::Form(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // A screen paints its own background, so a label changed on it repaints
    // that label alone, not the frame's window around the screen too.
    setAutoFillBackground(true);
}

// Remembers the active screen (of any kind), so that a screen's activation
// step runs once each time it becomes active, not on every repeated report.
// The screen that was active before hears of it first: what it still holds
// (an editor's open row) is written before the new one reads anything.
void Form::noteActivated(QWidget* screen)
{
    if (g_lastActivated == screen)
        return;
    if (auto* before = qobject_cast<Form*>(g_lastActivated.data()))
        before->Form_Deactivate();
    g_lastActivated = screen;
    if (auto* f = qobject_cast<Form*>(screen))
        f->Form_Activate();
}

bool Form::event(QEvent* e)
{
    // A screen shown as a window of its own hears of its activation directly;
    // one inside the frame hears of it from the frame (Screens::setMdiArea).
    if (e->type() == QEvent::WindowActivate && isWindow())
        noteActivated(this);
    return QWidget::event(e);
}

// A button without a dialog around it lets Enter go by; it comes here.
void Form::keyPressEvent(QKeyEvent* e)
{
    if (Screens::enterPressesFocusedButton(this, e))
        return;
    QWidget::keyPressEvent(e);
}

namespace Screens {

bool enterPressesFocusedButton(QWidget* screen, const QKeyEvent* e)
{
    if ((e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter)
        || (e->modifiers() & ~Qt::KeypadModifier))
        return false;
    auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
    if (!button || !button->isEnabled() || !button->isVisible() || !screen->isAncestorOf(button))
        return false;
    button->click();
    return true;
}

} // namespace Screens
