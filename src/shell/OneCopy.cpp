#include "shell/OneCopy.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <optional>
#include <utility>

#ifdef Q_OS_WIN
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#else
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QSysInfo>

#include <cerrno>
#include <cstring>
#include <map>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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

QByteArray requestBytes(const QString& file)
{
    QByteArray request;
    QDataStream out(&request, QIODevice::WriteOnly);
    out << file;
    return request;
}

// A request as it came: a file name written with QDataStream. nullopt: not
// whole yet, or (`corrupt`) no request of this program.
std::optional<QString> requestOf(const QByteArray& bytes, bool* corrupt)
{
    *corrupt = bytes.size() > kMaxRequestBytes;
    if (*corrupt)
        return std::nullopt;
    QDataStream in(bytes);
    QString file;
    in >> file;
    *corrupt = in.status() == QDataStream::ReadCorruptData;
    if (in.status() != QDataStream::Ok)
        return std::nullopt;
    return file;
}

// Where the files of that name lie: a bare name in the temporary folder, as
// Qt's local sockets have it.
QString pathOf(const QString& name)
{
    return name.contains(QLatin1Char('/')) ? name : QDir(QDir::tempPath()).filePath(name);
}

#ifndef Q_OS_WIN
// The socket's file.
bool addressOf(const QString& name, sockaddr_un& address)
{
    const QByteArray path = QFile::encodeName(pathOf(name));
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || std::size_t(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    return true;
}

// Waits for `events` on `fd` until `deadline`; false on time out or error.
bool waitFor(int fd, short events, const QDeadlineTimer& deadline)
{
    for (;;) {
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, int(std::max<qint64>(0, deadline.remainingTime())));
        if (r > 0)
            return !(p.revents & (POLLERR | POLLNVAL)) && (p.revents & (events | POLLHUP));
        if (r == 0 || errno != EINTR)
            return false;
    }
}

// A socket closed when it goes out of scope.
struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};
#endif

} // namespace

#ifdef Q_OS_WIN

struct OneCopy::Lock {
    explicit Lock(const QString& path) : file(path)
    {
        // Held as long as the copy runs: only a copy that has ended leaves a stale lock.
        file.setStaleLockTime(0);
    }
    QLockFile file;
    enum class Taken { Yes, HeldElsewhere, Impossible };
    Taken take()
    {
        if (file.tryLock(0))
            return Taken::Yes;
        return file.error() == QLockFile::LockFailedError ? Taken::HeldElsewhere : Taken::Impossible;
    }
    void release() { file.unlock(); }
};

struct OneCopy::Server {
    QObject context;   // of what is taken later
    QLocalServer server;
};

#else

struct OneCopy::Lock {
    explicit Lock(const QString& path) : path(QFile::encodeName(path)) {}
    ~Lock() { release(); }
    QByteArray path;
    int fd = -1;
    enum class Taken { Yes, HeldElsewhere, Impossible };
    // What Qt's lock files hold (process, program, host), so that a copy of
    // an earlier version, which makes one, reads it as held; it takes the
    // same flock first. Nothing is synced to disk: the lock lives in the
    // system, not in the file.
    Taken take()
    {
        fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            return Taken::Impossible;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const bool held = errno == EWOULDBLOCK;
            release();
            return held ? Taken::HeldElsewhere : Taken::Impossible;
        }
        const QByteArray contents = QByteArray::number(QCoreApplication::applicationPid()) + '\n'
                                    + QCoreApplication::applicationName().toUtf8() + '\n'
                                    + QSysInfo::machineHostName().toUtf8() + '\n';
        if (::ftruncate(fd, 0) == 0)
            (void)!::write(fd, contents.constData(), std::size_t(contents.size()));
        return Taken::Yes;
    }
    void release()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
};

struct OneCopy::Server {
    struct Peer {
        std::unique_ptr<QSocketNotifier> notifier;
        QByteArray bytes;
        bool answered = false;
    };
    QObject context;   // of what is taken later
    int fd = -1;
    std::unique_ptr<QSocketNotifier> notifier;
    std::map<int, Peer> peers;

    ~Server()
    {
        // Each notifier goes before its socket is closed.
        for (auto& [peer, state] : peers) {
            state.notifier.reset();
            ::close(peer);
        }
        notifier.reset();
        if (fd >= 0)
            ::close(fd);
    }
    void drop(int peer)
    {
        // Deleting the notifier that is signalling is left to the event loop.
        if (auto it = peers.find(peer); it != peers.end()) {
            it->second.notifier->setEnabled(false);
            it->second.notifier.release()->deleteLater();
            peers.erase(it);
        }
        ::close(peer);
    }
};

#endif

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
    , m_lock(std::make_unique<Lock>(pathOf(m_name) + QStringLiteral(".lock")))
{
}

OneCopy::~OneCopy() = default;

OneCopy::Outcome OneCopy::start(const QString& file)
{
    const QDeadlineTimer deadline(kWaitMs);
    do {
        const Lock::Taken taken = m_lock->take();
        if (taken == Lock::Taken::Yes) {
            if (!listen()) {
                m_server.reset();
                m_lock->release();
                return Outcome::Alone;
            }
            return Outcome::First;
        }
        if (taken == Lock::Taken::Impossible)   // no lock can be made here
            return Outcome::Alone;
        if (handOver(file))
            return Outcome::HandedOver;
        QThread::msleep(100);   // the copy holding the lock is only starting, or has just ended
    } while (!deadline.hasExpired());
    return Outcome::Alone;
}

#ifdef Q_OS_WIN

bool OneCopy::listen()
{
    // A socket left by a copy that crashed would stand in the way.
    QLocalServer::removeServer(m_name);
    m_server = std::make_unique<Server>();
    QLocalServer* server = &m_server->server;
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_name))
        return false;
    QObject::connect(server, &QLocalServer::newConnection, server, [this, server] {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            const auto read = [this, socket] {
                bool corrupt = false;
                const auto file = requestOf(socket->peek(kMaxRequestBytes + 1), &corrupt);
                if (corrupt) {
                    socket->abort();
                } else if (file) {
                    socket->readAll();
                    // The later copy hangs up once it has the answer. Hanging up here could
                    // lose the answer: a Windows pipe drops what its reader has not read yet
                    // when its server disconnects, and the later copy, taking the silence for
                    // a refusal, would hand the same file over again.
                    socket->write(kTaken);
                    socket->flush();
                    take(*file);
                }   // else the rest is still on its way
            };
            QObject::connect(socket, &QLocalSocket::readyRead, socket, read);
            read();
        }
    });
    return true;
}

bool OneCopy::handOver(const QString& file)
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kConnectMs))
        return false;
    socket.write(requestBytes(file));
    if (!socket.waitForBytesWritten(kWaitMs))
        return false;
    QByteArray answer;
    const QDeadlineTimer deadline(kWaitMs);
    while (answer.size() < kTaken.size() && socket.waitForReadyRead(int(deadline.remainingTime())))
        answer += socket.readAll();
    answer += socket.readAll();
    return answer == kTaken;
}

#else

bool OneCopy::listen()
{
    sockaddr_un address;
    if (!addressOf(m_name, address))
        return false;
    // A socket left by a copy that crashed would stand in the way; the lock
    // says none runs.
    ::unlink(address.sun_path);
    m_server = std::make_unique<Server>();
    Server& s = *m_server;
    s.fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    // The user's own: no one else may connect (before listen() no one can).
    if (s.fd < 0 || ::bind(s.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || ::chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(s.fd, 16) != 0)
        return false;
    s.notifier = std::make_unique<QSocketNotifier>(s.fd, QSocketNotifier::Read);
    QObject::connect(s.notifier.get(), &QSocketNotifier::activated, s.notifier.get(), [this] {
        Server& s = *m_server;
        int peer;
        while ((peer = ::accept4(s.fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0) {
            Server::Peer& state = s.peers[peer];
            state.notifier = std::make_unique<QSocketNotifier>(peer, QSocketNotifier::Read);
            QObject::connect(state.notifier.get(), &QSocketNotifier::activated, state.notifier.get(), [this, peer] {
                Server& s = *m_server;
                const auto found = s.peers.find(peer);
                if (found == s.peers.end())
                    return;
                Server::Peer& state = found->second;
                char buffer[4096];
                for (;;) {
                    const ssize_t n = ::recv(peer, buffer, sizeof buffer, 0);
                    if (n > 0) {   // nothing more is asked on an answered connection
                        if (!state.answered)
                            state.bytes.append(buffer, qsizetype(n));
                        if (state.bytes.size() > kMaxRequestBytes)
                            break;   // no request of this program
                        continue;
                    }
                    if (n < 0 && errno == EINTR)
                        continue;
                    if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
                        break;   // hung up, or failed
                    // All there is for now.
                    if (state.answered)
                        return;
                    bool corrupt = false;
                    const auto file = requestOf(state.bytes, &corrupt);
                    if (corrupt)
                        break;
                    if (file) {
                        // The later copy hangs up once it has the answer.
                        state.answered = true;
                        ::send(peer, kTaken.constData(), std::size_t(kTaken.size()), MSG_NOSIGNAL);
                        take(*file);
                    }
                    return;   // else the rest is still on its way
                }
                s.drop(peer);
            });
        }
    });
    return true;
}

bool OneCopy::handOver(const QString& file)
{
    sockaddr_un address;
    if (!addressOf(m_name, address))
        return false;
    Fd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (socket.fd < 0)
        return false;
    if (::connect(socket.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        int error = 0;
        socklen_t size = sizeof error;
        if ((errno != EINPROGRESS && errno != EAGAIN) || !waitFor(socket.fd, POLLOUT, QDeadlineTimer(kConnectMs))
            || ::getsockopt(socket.fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0)
            return false;
    }
    const QByteArray request = requestBytes(file);
    const QDeadlineTimer deadline(kWaitMs);
    for (qsizetype sent = 0; sent < request.size();) {
        const ssize_t n = ::send(socket.fd, request.constData() + sent, std::size_t(request.size() - sent), MSG_NOSIGNAL);
        if (n > 0)
            sent += n;
        else if (n < 0 && errno != EINTR && !((errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(socket.fd, POLLOUT, deadline)))
            return false;
    }
    QByteArray answer;
    char buffer[16];
    while (answer.size() < kTaken.size()) {
        const ssize_t n = ::recv(socket.fd, buffer, sizeof buffer, 0);
        if (n > 0)
            answer.append(buffer, qsizetype(n));
        else if (n == 0 || (errno != EINTR && !((errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(socket.fd, POLLIN, deadline))))
            break;
    }
    return answer == kTaken;
}

#endif

void OneCopy::take(const QString& file)
{
    // Taken once the socket is done with: opening a file may show a message.
    QTimer::singleShot(0, &m_server->context, [this, file] {
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
