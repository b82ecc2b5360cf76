#include "support/TestSupport.h"

#include "data/Adodc.h"
#include "data/Database.h"
#include "shell/FileFilters.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextDocument>

#include <cerrno>
#include <csignal>
#ifndef Q_OS_WIN
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace TestSupport {

void FakePlatform::message(const QString& text, MessageKind kind)
{
    messages << text;
    kinds << kind;
}

Platform::Answer FakePlatform::question(const QString& text)
{
    questions << text;
    return answers.isEmpty() ? Answer::No : answers.dequeue();
}

QString FakePlatform::saveFileName(const QString& filter, const QString& initialDir)
{
    saveFilters << filter;
    initialDirs << initialDir;
    // As the dialog does, a name without an extension gets the filter's.
    const QString answer = saveAnswers.isEmpty() ? QString() : saveAnswers.dequeue();
    if (answer.isEmpty() || !QFileInfo(answer).suffix().isEmpty())
        return answer;
    return answer + QLatin1Char('.') + FileFilters::suffix(filter);
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
    return true;
}

bool FakePlatform::viewTextFile(const QString& path, const QString& from)
{
    viewedFiles << path;
    viewedFrom << from;
    return true;
}

bool underFileSizeLimit([[maybe_unused]] qint64 bytes, [[maybe_unused]] FakePlatform& fake,
                        [[maybe_unused]] const std::function<void()>& act)
{
#ifdef Q_OS_WIN
    return false;   // no fork() and no file size limit: the rows that need them are skipped
#else
    int pipeEnds[2];
    const pid_t child = ::pipe(pipeEnds) == 0 ? ::fork() : -1;
    if (child < 0)
        return false;
    if (child == 0) {
        ::close(pipeEnds[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = rlim_t(bytes);
        const bool limited = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
        const qsizetype before = fake.messages.size();
        if (limited)
            act();
        QFile out;   // the messages go back through the pipe
        const bool sent = out.open(pipeEnds[1], QIODevice::WriteOnly)
            && out.write(fake.messages.mid(before).join(QLatin1Char('\0')).toUtf8()) >= 0 && out.flush();
        ::_exit(limited && sent ? 0 : 1);   // no destructors: they belong to the parent
    }
    ::close(pipeEnds[1]);
    QFile pipeIn;
    pipeIn.open(pipeEnds[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    const QByteArray in = pipeIn.readAll();
    pipeIn.close();
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!in.isEmpty())
        fake.messages << QString::fromUtf8(in).split(QLatin1Char('\0'));
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
#endif
}

#ifdef Q_OS_WIN
// Windows finds the documents folder in the user's shell folders, not from the
// environment: the folder named there is `dir` for the object's life.
static QSettings shellFolders()
{
    return QSettings(QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"),
                     QSettings::NativeFormat);
}

HomeAt::HomeAt(const QString& dir)
    : m_home(shellFolders().value(QStringLiteral("Personal")).toString().toUtf8())
{
    shellFolders().setValue(QStringLiteral("Personal"), QDir::toNativeSeparators(dir));
}

HomeAt::~HomeAt()
{
    shellFolders().setValue(QStringLiteral("Personal"), QString::fromUtf8(m_home));
}
#else
HomeAt::HomeAt(const QString& dir)
    : m_home(qgetenv("HOME")), m_config(qgetenv("XDG_CONFIG_HOME"))
{
    qputenv("HOME", QFile::encodeName(dir));
    qputenv("XDG_CONFIG_HOME", QByteArray());   // empty: the home's own
}

HomeAt::~HomeAt()
{
    qputenv("HOME", m_home);
    qputenv("XDG_CONFIG_HOME", m_config);   // empty counts as unset
}
#endif

QString FakePlatform::printPreview(QTextDocument& document, const QString& pdfPath)
{
    previewDocs << std::shared_ptr<QTextDocument>(document.clone());
    offeredPdfs << pdfPath;
    const QString answer = pdfAnswers.isEmpty() ? QString() : pdfAnswers.dequeue();
    QPrinter printer(QPrinter::HighResolution);   // as the preview's print dialog sets it for a PDF
    printer.setOutputFileName(answer);
    if (!answer.isEmpty())
        document.print(&printer);
    return answer;
}

TempWorkDir::TempWorkDir()
    : m_previous(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
    Database::ensure();
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool runSql(const QString& sql, const QVariantList& values)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test-support"));
        db.setDatabaseName(Database::path());
        QSqlQuery q(db);
        ok = db.open() && q.prepare(sql);
        for (const QVariant& v : values)
            q.addBindValue(v);
        if (ok && !(ok = q.exec()))
            qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("test-support"));
    return ok;
}

QVariant readBack(const QString& sql, int field)
{
    Adodc fresh;
    fresh.setRecordSource(sql);
    return fresh.Refresh() && fresh.recordset().hasCurrent() ? fresh.recordset().Fields(field) : QVariant();
}

} // namespace TestSupport
