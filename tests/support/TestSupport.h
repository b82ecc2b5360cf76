#pragma once
// Helpers every test may use: a fake platform that records messages and
// answers file dialogs from a queue, a temporary working directory holding a
// fresh default treba.mdb, and the Russian locale pinned.

#include "shell/Platform.h"

#include <QDir>
#include <QLocale>
#include <QQueue>
#include <QTemporaryDir>
#include <QUrl>
#include <QVariant>
#include <QTextDocument>
#include <functional>

namespace TestSupport {

// Pins the Russian locale (decimal comma) for the whole test program.
inline void pinRussianLocale() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

class FakePlatform : public Platform {
public:
    FakePlatform() { setPlatform(this); }
    ~FakePlatform() override { setPlatform(nullptr); }   // the real platform back

    QStringList messages;           // every message shown, in order
    QList<MessageKind> kinds;       // the icon of each
    QStringList questions;          // every question asked, in order
    QQueue<Answer> answers;         // next answers to questions (none left: "Нет")
    QQueue<QString> saveAnswers;    // next file names for save dialogs ("" = cancel; the extension added)
    QQueue<QString> openAnswers;    // next file names for open dialogs ("" = cancel)
    QStringList saveFilters, openFilters, initialDirs;
    QList<QUrl> openedUrls;         // every address opened (each opens)
    QStringList viewedFiles;        // every file viewed (each shows)
    QStringList viewedFrom;         // the line each was to be shown from
    QList<std::shared_ptr<QTextDocument>> previewDocs;   // a copy of every document shown in the print preview
    QStringList offeredPdfs;        // the PDF file each offered
    QQueue<QString> pdfAnswers;     // next PDF files printed to from the preview, each written ("" or none: closed)

    void message(const QString& text, MessageKind kind = MessageKind::Warning) override;
    Answer question(const QString& text) override;
    QString saveFileName(const QString& filter, const QString& initialDir) override;
    QString openFileName(const QString& filter, const QString& initialDir) override;
    bool openUrl(const QUrl& url) override;
    bool viewTextFile(const QString& path, const QString& from = QString()) override;
    QString printPreview(QTextDocument& document, const QString& pdfPath) override;
};

// Runs `act` in a child process whose files cannot grow beyond `bytes` (as on
// a disk that fills up; SIGXFSZ ignored, so a write fails instead). Files it
// leaves are seen here; the messages it showed through `fake` are added to
// fake.messages. False when the child did not end normally.
bool underFileSizeLimit(qint64 bytes, FakePlatform& fake, const std::function<void()>& act);

// The home folder moved to `dir` for the object's life (with the desktop's
// own folder settings, so the documents folder is dir/Documents). Windows
// keeps its home: there the documents folder is `dir` itself.
class HomeAt {
public:
    explicit HomeAt(const QString& dir);
    ~HomeAt();

private:
    QByteArray m_home, m_config;
};

// A temporary directory made the working directory for the object's life,
// with a fresh treba.mdb holding the default data.
class TempWorkDir {
public:
    TempWorkDir();
    ~TempWorkDir() { QDir::setCurrent(m_previous); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};


// The file's bytes, empty when it cannot be read.
QByteArray bytesOf(const QString& path);
// One statement on treba.mdb through a connection of the test's own, the
// values bound in order. False (with a warning) when it fails.
bool runSql(const QString& sql, const QVariantList& values = {});
// Field `field` of the first row a statement on treba.mdb gives, through the
// program's own data control; null when there is none.
QVariant readBack(const QString& sql, int field = 0);

} // namespace TestSupport
