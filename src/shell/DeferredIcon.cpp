#include "shell/DeferredIcon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>

namespace {

class DeferredIconEngine : public QIconEngine {
public:
    DeferredIconEngine(std::function<QIcon()> make, QList<QSize> sizes)
        : m_make(std::move(make)), m_sizes(std::move(sizes))
    {
    }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return m_sizes.isEmpty() ? made().availableSizes(mode, state) : m_sizes;
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return made().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return made().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return made().pixmap(size, scale, mode, state);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        made().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QIconEngine* clone() const override { return new DeferredIconEngine(m_make, m_sizes); }
    QString key() const override { return QStringLiteral("racion-deferred"); }

private:
    const QIcon& made()
    {
        if (!m_done) {
            m_icon = m_make();
            m_done = true;
        }
        return m_icon;
    }

    std::function<QIcon()> m_make;
    QList<QSize> m_sizes;
    QIcon m_icon;
    bool m_done = false;
};

} // namespace

QIcon deferredIcon(std::function<QIcon()> make, QList<QSize> sizes)
{
    return QIcon(new DeferredIconEngine(std::move(make), std::move(sizes)));
}
