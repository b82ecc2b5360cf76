#include "shell/OneCopy.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <utility>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// How long a later start waits for the copy running: for it to listen when it
// is only starting, and for its answer.
constexpr int kWaitMs = 10000;
constexpr int kConnectMs = 500;
const QByteArray kTaken = QByteArrayLiteral("ok\n");
// A request is one file name; anything longer is no request of this program.
constexpr qint64 kMaxRequestBytes = 64 * 1024;

QString userKey()
{
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

} // namespace

QString OneCopy::serverName(const QString& databasePath)
{
    // The folder exists by now, the file perhaps not yet: the folder is
    // resolved, so that two ways of naming it meet.
    const QFileInfo info(databasePath);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    QString path = (folder.isEmpty() ? info.absolutePath() : folder) + QLatin1Char('/') + info.fileName();
#ifdef Q_OS_WIN
    path = path.toLower();
#endif
    const QByteArray hash = QCryptographicHash::hash((userKey() + QLatin1Char('\n') + path).toUtf8(),
                                                     QCryptographicHash::Sha256).toHex().left(24);
    const QString name = QStringLiteral("racion-") + QString::fromLatin1(hash);
#ifdef Q_OS_UNIX
    // The user's own runtime folder where there is one (a socket's path must be short).
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && runtime.size() < 70)
        return runtime + QLatin1Char('/') + name;
#endif
    return name;
}

OneCopy::OneCopy(const QString& databasePath)
    : m_name(serverName(databasePath))
    , m_lock((m_name.contains(QLatin1Char('/')) ? m_name : QDir(QDir::tempPath()).filePath(m_name))
             + QStringLiteral(".lock"))
{
    // Held as long as the copy runs: only a copy that has ended leaves a stale lock.
    m_lock.setStaleLockTime(0);
}

OneCopy::~OneCopy() = default;

OneCopy::Outcome OneCopy::start(const QString& file)
{
    const QDeadlineTimer deadline(kWaitMs);
    do {
        if (m_lock.tryLock(0)) {
            // A socket left by a copy that crashed would stand in the way.
            QLocalServer::removeServer(m_name);
            m_server = std::make_unique<QLocalServer>();
            m_server->setSocketOptions(QLocalServer::UserAccessOption);
            if (!m_server->listen(m_name)) {
                m_server.reset();
                m_lock.unlock();
                return Outcome::Alone;
            }
            QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(), [this] {
                while (QLocalSocket* socket = m_server->nextPendingConnection()) {
                    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                    QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] { read(socket); });
                    read(socket);
                }
            });
            return Outcome::First;
        }
        if (m_lock.error() != QLockFile::LockFailedError)   // no lock can be made here
            return Outcome::Alone;
        if (handOver(file))
            return Outcome::HandedOver;
        QThread::msleep(100);   // the copy holding the lock is only starting, or has just ended
    } while (!deadline.hasExpired());
    return Outcome::Alone;
}

bool OneCopy::handOver(const QString& file)
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kConnectMs))
        return false;
    QByteArray request;
    QDataStream out(&request, QIODevice::WriteOnly);
    out << file;
    socket.write(request);
    if (!socket.waitForBytesWritten(kWaitMs))
        return false;
    QByteArray answer;
    const QDeadlineTimer deadline(kWaitMs);
    while (answer.size() < kTaken.size() && socket.waitForReadyRead(int(deadline.remainingTime())))
        answer += socket.readAll();
    answer += socket.readAll();
    return answer == kTaken;
}

void OneCopy::read(QLocalSocket* socket)
{
    if (socket->bytesAvailable() > kMaxRequestBytes) {
        socket->abort();
        return;
    }
    QDataStream in(socket);
    in.startTransaction();
    QString file;
    in >> file;
    if (!in.commitTransaction()) {
        if (in.status() == QDataStream::ReadCorruptData)
            socket->abort();
        return;   // else the rest is still on its way
    }
    // The later copy hangs up once it has the answer. Hanging up here could
    // lose the answer: a Windows pipe drops what its reader has not read yet
    // when its server disconnects, and the later copy, taking the silence for
    // a refusal, would hand the same file over again.
    socket->write(kTaken);
    socket->flush();
    // Taken once the socket is done with: opening a file may show a message.
    QTimer::singleShot(0, m_server.get(), [this, file] {
        if (m_take)
            m_take(file);
        else
            m_waiting << file;
    });
}

void OneCopy::serve(std::function<void(const QString& file)> take)
{
    m_take = std::move(take);
    const QStringList waiting = std::exchange(m_waiting, {});
    for (const QString& file : waiting)
        m_take(file);
}
