#include "files/LastDirs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSettings>
#include <QStandardPaths>

namespace LastDirs {

namespace {

QHash<int, QString>& memory()
{
    static QHash<int, QString> dirs;
    return dirs;
}

QString key(Kind kind)
{
    switch (kind) {
    case Kind::Calculation: return QStringLiteral("lastDirs/kalk");
    case Kind::Report: return QStringLiteral("lastDirs/txt");
    case Kind::Sheet: return QStringLiteral("lastDirs/csv");
    case Kind::Pdf: break;
    }
    return QStringLiteral("lastDirs/pdf");
}

bool persistent()
{
    return !QCoreApplication::organizationName().isEmpty();
}

} // namespace

QString dir(Kind kind)
{
    QString d = memory().value(int(kind));
    if (d.isEmpty() && persistent())
        d = QSettings().value(key(kind)).toString();
    if (!d.isEmpty() && QFileInfo(d).isDir())
        return d;
    // Only a folder that is there: a dialog given a missing one would offer
    // its last part as the file's name.
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !docs.isEmpty() && QFileInfo(docs).isDir() ? docs : QDir::homePath();
}

void remember(Kind kind, const QString& filePath)
{
    const QString d = QFileInfo(filePath).absolutePath();
    memory().insert(int(kind), d);
    if (persistent())
        QSettings().setValue(key(kind), d);
}

void reset()
{
    memory().clear();
}

} // namespace LastDirs
