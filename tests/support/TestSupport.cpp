#include "support/TestSupport.h"

#include "data/Database.h"

#include <QLocale>

namespace TestSupport {

void pinRussianLocale()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
}

FakePlatform::FakePlatform()
{
    setPlatform(this);
}

FakePlatform::~FakePlatform()
{
    setPlatform(nullptr);
}

void FakePlatform::message(const QString& text, MessageKind kind)
{
    messages << text;
    kinds << kind;
}

QString FakePlatform::saveFileName(const QString& filter, const QString& initialDir)
{
    saveFilters << filter;
    initialDirs << initialDir;
    return saveAnswers.isEmpty() ? QString() : saveAnswers.dequeue();
}

QString FakePlatform::openFileName(const QString& filter, const QString& initialDir)
{
    openFilters << filter;
    initialDirs << initialDir;
    return openAnswers.isEmpty() ? QString() : openAnswers.dequeue();
}

bool FakePlatform::openUrl(const QUrl& url)
{
    openedUrls << url;
    return urlResult;
}

bool FakePlatform::viewTextFile(const QString& path, const QString& from)
{
    viewedFiles << path;
    viewedFrom << from;
    return viewResult;
}

TempWorkDir::TempWorkDir(bool withDefaultDatabase)
    : m_previous(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
    if (withDefaultDatabase)
        Database::ensure();
}

TempWorkDir::~TempWorkDir()
{
    QDir::setCurrent(m_previous);
}

} // namespace TestSupport
