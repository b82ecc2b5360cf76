#include "shell/Hosting.h"

#include "shell/Form.h"

#include <QApplication>
#include <QFocusEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QWindow>

#include <algorithm>

namespace {
QPointer<QMdiArea> g_area;
// The frame's size before screens made it grow; invalid while it has its own.
QSize g_homeSize;
} // namespace

namespace Screens {

namespace {
// A control that takes the focus from the keyboard (Tab, Shift+Tab) on a
// screen scrolled out of sight is scrolled into view.
class FocusFollower : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn && watched->isWidgetType() && g_area) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            auto* w = static_cast<QWidget*>(watched);
            if ((reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) && g_area->viewport()->isAncestorOf(w))
                ensureVisible(w);
        }
        return false;
    }
};
} // namespace

void setMdiArea(QMdiArea* area)
{
    g_area = area;
    g_homeSize = QSize();
    if (!area)
        return;
    static QPointer<FocusFollower> follower;
    if (!follower && qApp) {
        follower = new FocusFollower(qApp);
        qApp->installEventFilter(follower);
    }
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

void ensureVisible(QWidget* control)
{
    if (!g_area || !control || !g_area->viewport()->isAncestorOf(control))
        return;
    const QRect view = g_area->viewport()->rect();
    const QRect r(control->mapTo(g_area->viewport(), QPoint()), control->size());
    // How far the view moves along one axis: the far edge in, then the near
    // edge, which wins when the control is larger than the view.
    const auto shift = [](int nearEdge, int farEdge, int viewEnd) {
        int d = std::max(0, farEdge - viewEnd);
        if (nearEdge - d < 0)
            d = nearEdge;
        return d;
    };
    QScrollBar* h = g_area->horizontalScrollBar();
    QScrollBar* v = g_area->verticalScrollBar();
    h->setValue(h->value() + shift(r.left(), r.right() + 1, view.width()));
    v->setValue(v->value() + shift(r.top(), r.bottom() + 1, view.height()));
}

void closeWindow(QWidget* screen)
{
    if (QMdiSubWindow* sub = subWindowOf(screen))
        sub->close();
    else
        screen->close();
}

namespace {
// The window system adds a window's frame (title bar, borders) only as it
// maps the window: once it is shown, the window is kept on screen again with
// its frame.
class KeepWhenShown : public QObject {
public:
    explicit KeepWhenShown(QWidget* window)
        : QObject(window), m_window(window)
    {
        setObjectName(QStringLiteral("keepWhenShown"));
        window->windowHandle()->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            deleteLater();
            keepOnScreen(m_window);
        }
        return false;
    }

private:
    QWidget* m_window;
};
} // namespace

void keepOnScreen(QWidget* window)
{
    const QScreen* s = window->screen();
    if (!s || window->isMaximized() || window->isFullScreen())
        return;
    if (window->windowHandle() && !window->windowHandle()->isExposed()
        && !window->findChild<QObject*>(QStringLiteral("keepWhenShown"), Qt::FindDirectChildrenOnly))
        new KeepWhenShown(window);
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
}

// A screen that appears where it does not fit is put in the area's top left
// corner; one that only changed its size stays where the user scrolled it.
void placeNew(QMdiSubWindow* sub)
{
    // Alone in the frame (the sheet it replaces hidden behind it), a screen
    // starts the view afresh: a scroll left by the hidden one would leave
    // blank space above it.
    const auto subs = g_area->subWindowList();
    const bool alone = std::none_of(subs.begin(), subs.end(), [sub](const QMdiSubWindow* w) { return w != sub && w->isVisible(); });
    if (alone) {
        g_area->horizontalScrollBar()->setValue(0);
        g_area->verticalScrollBar()->setValue(0);
    }
    const QPoint p = sub->pos();
    if (alone || p.x() + sub->width() > g_area->viewport()->width() || p.y() + sub->height() > g_area->viewport()->height()
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
        if (appears && !sub->isMaximized()) {
            fitFrameTo(sub);
            placeNew(sub);
        }
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
