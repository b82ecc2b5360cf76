#include "shell/Screens.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScreen>

#include <algorithm>

namespace {
QPointer<QMdiArea> g_area;
QPointer<QWidget> g_lastActivated;

// Remembers the active screen (of any kind), so that a screen's activation
// step runs once each time it becomes active, not on every repeated report.
// The screen that was active before hears of it first: what it still holds
// (an editor's open row) is written before the new one reads anything.
void runActivation(QWidget* w)
{
    if (auto* before = qobject_cast<Form*>(g_lastActivated.data()); before && before != w)
        before->Form_Deactivate();
    g_lastActivated = w;
    if (auto* f = qobject_cast<Form*>(w))
        f->Form_Activate();
}
} // namespace

Form::Form(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

bool Form::event(QEvent* e)
{
    // A screen shown as a window of its own hears of its activation directly;
    // one inside the frame hears of it from the frame (setMdiArea).
    if (e->type() == QEvent::WindowActivate && isWindow() && g_lastActivated != this)
        runActivation(this);
    return QWidget::event(e);
}

namespace Screens {

void setMdiArea(QMdiArea* area)
{
    g_area = area;
    if (!area)
        return;
    QObject::connect(area, &QMdiArea::subWindowActivated, area, [](QMdiSubWindow* sub) {
        if (!sub || !sub->widget())
            return;
        if (g_lastActivated == sub->widget())
            return;
        runActivation(sub->widget());
    });
}

QMdiArea* mdiArea()
{
    return g_area;
}

QMdiSubWindow* subWindowOf(QWidget* screen)
{
    if (!screen)
        return nullptr;
    return qobject_cast<QMdiSubWindow*>(screen->parentWidget());
}

namespace {

// A screen larger than the frame's client area would be shown cut off: the
// frame grows just enough to show it whole (kept on the screen where it can
// be), and the screen's window is put in the area's top left corner.
void fitFrameTo(QMdiSubWindow* sub)
{
    QWidget* frame = g_area->window();
    // The area may have given the window less than the screen asks for.
    const QSize need = sub->size().expandedTo(sub->sizeHint());
    const QSize have = g_area->viewport()->size();
    const int dw = std::max(0, need.width() - have.width());
    const int dh = std::max(0, need.height() - have.height());
    if (dw > 0 || dh > 0) {
        frame->resize(frame->size() + QSize(dw, dh));
        if (const QScreen* s = frame->screen()) {
            const QRect avail = s->availableGeometry();
            QRect g = frame->frameGeometry();
            if (g.right() > avail.right())
                g.moveRight(avail.right());
            if (g.bottom() > avail.bottom())
                g.moveBottom(avail.bottom());
            if (g.left() < avail.left())
                g.moveLeft(avail.left());
            if (g.top() < avail.top())
                g.moveTop(avail.top());
            frame->move(g.topLeft());
        }
    }
    sub->resize(need);
    const QPoint p = sub->pos();
    if (p.x() + need.width() > g_area->viewport()->width() || p.y() + need.height() > g_area->viewport()->height()
        || p.x() < 0 || p.y() < 0)
        sub->move(0, 0);
}

} // namespace

void showChild(QWidget* screen)
{
    if (g_area) {
        QMdiSubWindow* sub = subWindowOf(screen);
        const bool added = !sub;
        if (!sub) {
            sub = g_area->addSubWindow(screen);
            sub->setAttribute(Qt::WA_DeleteOnClose);
            sub->setWindowIcon(screen->windowIcon());
        }
        screen->show();
        sub->show();
        if (added && !sub->isMaximized())
            fitFrameTo(sub);
        activate(screen);
    } else {
        screen->show();
        activate(screen);
    }
}

void activate(QWidget* screen)
{
    if (!screen)
        return;
    if (QMdiSubWindow* sub = subWindowOf(screen); sub && g_area) {
        if (g_area->activeSubWindow() != sub)
            g_area->setActiveSubWindow(sub);
    } else {
        screen->activateWindow();
    }
    // The window system may not report activation (offscreen, or a window
    // already active); the step runs here once for every explicit activation.
    if (g_lastActivated != screen)
        runActivation(screen);
}

} // namespace Screens
