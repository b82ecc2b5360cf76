#pragma once
// Helpers every test may use: a fake platform that records messages and
// answers file dialogs from a queue, a temporary working directory holding a
// fresh default treba.mdb, and the Russian locale pinned.

#include "shell/Platform.h"

#include <QDir>
#include <QQueue>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

namespace TestSupport {

// Pins the Russian locale (decimal comma) for the whole test program.
void pinRussianLocale();

class FakePlatform : public Platform {
public:
    FakePlatform();                 // installs itself
    ~FakePlatform() override;       // restores the real platform

    QStringList messages;           // every message shown, in order
    QList<MessageKind> kinds;       // the icon of each
    QQueue<QString> saveAnswers;    // next file names for save dialogs ("" = cancel)
    QQueue<QString> openAnswers;    // next file names for open dialogs ("" = cancel)
    QStringList saveFilters, openFilters, initialDirs;
    QList<QUrl> openedUrls;
    bool urlResult = true;          // what openUrl answers
    QStringList viewedFiles;
    QStringList viewedFrom;         // the line each was to be shown from
    bool viewResult = true;         // what viewTextFile answers

    void message(const QString& text, MessageKind kind = MessageKind::Warning) override;
    QString saveFileName(const QString& filter, const QString& initialDir) override;
    QString openFileName(const QString& filter, const QString& initialDir) override;
    bool openUrl(const QUrl& url) override;
    bool viewTextFile(const QString& path, const QString& from = QString()) override;
};

// A temporary directory made the working directory for the object's life,
// optionally with a fresh treba.mdb holding the default data.
class TempWorkDir {
public:
    explicit TempWorkDir(bool withDefaultDatabase = true);
    ~TempWorkDir();
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

} // namespace TestSupport
