#include "shell/RecentCalculations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString kKey = QStringLiteral("recent/kalk");

bool persistent()
{
    return !QCoreApplication::organizationName().isEmpty();
}

} // namespace

QStringList RecentCalculations::files() const
{
    if (!m_loaded) {
        m_loaded = true;
        if (persistent())
            m_files = QSettings().value(kKey).toStringList().mid(0, kMax);
    }
    return m_files;
}

void RecentCalculations::add(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList list = files();
    list.removeAll(absolute);
    list.prepend(absolute);
    m_files = list.mid(0, kMax);
    store();
}

void RecentCalculations::remove(const QString& path)
{
    QStringList list = files();
    if (list.removeAll(QFileInfo(path).absoluteFilePath()) == 0)
        return;
    m_files = list;
    store();
}

void RecentCalculations::reset()
{
    m_loaded = true;
    m_files.clear();
    Q_EMIT changed();
}

void RecentCalculations::store()
{
    if (persistent())
        QSettings().setValue(kKey, m_files);
    Q_EMIT changed();
}

RecentCalculations& recentCalculations()
{
    static RecentCalculations recent;
    return recent;
}
