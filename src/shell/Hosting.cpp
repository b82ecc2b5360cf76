#include "shell/Hosting.h"

#include "shell/Form.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScreen>

#include <algorithm>

namespace {
QPointer<QMdiArea> g_area;
// The frame's size before screens made it grow; invalid while it has its own.
QSize g_homeSize;
} // namespace

namespace Screens {

void setMdiArea(QMdiArea* area)
{
    g_area = area;
    g_homeSize = QSize();
    if (!area)
        return;
    QObject::connect(area, &QMdiArea::subWindowActivated, area, [](QMdiSubWindow* sub) {
        if (sub && sub->widget())
            Form::noteActivated(sub->widget());
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

void closeWindow(QWidget* screen)
{
    if (QMdiSubWindow* sub = subWindowOf(screen))
        sub->close();
    else
        screen->close();
}

void keepOnScreen(QWidget* window)
{
    const QScreen* s = window->screen();
    if (!s || window->isMaximized() || window->isFullScreen())
        return;
    const QRect avail = s->availableGeometry();
    QRect g = window->frameGeometry();
    const QSize decoration = g.size() - window->size();
    const QSize size = window->size().boundedTo(avail.size() - decoration);
    if (size != window->size())
        window->resize(size);
    g.setSize(size + decoration);
    if (g.right() > avail.right())
        g.moveRight(avail.right());
    if (g.bottom() > avail.bottom())
        g.moveBottom(avail.bottom());
    if (g.left() < avail.left())
        g.moveLeft(avail.left());
    if (g.top() < avail.top())
        g.moveTop(avail.top());
    window->move(g.topLeft());
}

namespace {

// When a screen closes, the frame shrinks back towards its own size, as far
// as the screens still open let it.
void refitFrame(QWidget* frame)
{
    if (!g_homeSize.isValid() || !g_area || frame->isMaximized() || frame->isFullScreen())
        return;
    const QSize grown = frame->size() - g_homeSize;
    const QSize homeArea = g_area->viewport()->size() - grown;
    QSize extra(0, 0);
    for (QMdiSubWindow* sub : g_area->subWindowList()) {
        if (!sub->widget() || !sub->isVisible())
            continue;
        const QRect r = sub->geometry();
        extra = extra.expandedTo(QSize(r.right() + 1 - homeArea.width(), r.bottom() + 1 - homeArea.height()));
    }
    const QSize target = g_homeSize + extra.boundedTo(grown);
    if (target != frame->size())
        frame->resize(target);
    if (target == g_homeSize)
        g_homeSize = QSize();
}

// A screen larger than the frame's client area would be shown cut off: the
// frame grows to show it whole, but never beyond the available screen (the
// area's scroll bars show the rest), and gets its size back when the screen
// closes (refitFrame). The screen's window is put in the area's top left
// corner.
void fitFrameTo(QMdiSubWindow* sub)
{
    QWidget* frame = g_area->window();
    // The area may have given the window less than the screen asks for.
    const QSize need = sub->size().expandedTo(sub->sizeHint());
    const QSize have = g_area->viewport()->size();
    int dw = std::max(0, need.width() - have.width());
    int dh = std::max(0, need.height() - have.height());
    if ((dw > 0 || dh > 0) && !frame->isMaximized() && !frame->isFullScreen()) {
        const QScreen* s = frame->screen();
        const QRect avail = s ? s->availableGeometry() : QRect();
        QRect g = frame->frameGeometry();
        if (avail.isValid()) {
            dw = std::max(0, std::min(dw, avail.width() - g.width()));
            dh = std::max(0, std::min(dh, avail.height() - g.height()));
        }
        if (dw > 0 || dh > 0) {
            if (!g_homeSize.isValid())
                g_homeSize = frame->size();
            frame->resize(frame->size() + QSize(dw, dh));
            keepOnScreen(frame);
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
        const bool appears = added || sub->isHidden();
        screen->show();
        sub->show();
        if (appears && !sub->isMaximized())
            fitFrameTo(sub);
        if (added) {
            QWidget* frame = g_area->window();
            QObject::connect(screen, &QObject::destroyed, frame, [frame] {
                QMetaObject::invokeMethod(frame, [frame] { refitFrame(frame); }, Qt::QueuedConnection);
            });
        }
        activate(screen);
    } else {
        screen->show();
        activate(screen);
    }
}

void refit(QWidget* screen)
{
    QMdiSubWindow* sub = subWindowOf(screen);
    if (!sub || !g_area || sub->isMaximized() || !sub->isVisible())
        return;
    sub->resize(sub->sizeHint());
    fitFrameTo(sub);
    // A screen that shrank gives the frame back what it no longer needs.
    refitFrame(g_area->window());
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
    Form::noteActivated(screen);
}

} // namespace Screens
