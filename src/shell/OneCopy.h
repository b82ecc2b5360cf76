#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// One running copy of the program per database and user. The first start on
// a database holds a lock named after the database's full path and listens on
// a local socket of the same name; a later start on that database hands its
// calculation file (or none) to the copy running and ends, so that prices
// typed in one window never "vanish" in another. Starts on other databases
// run side by side as before. A lock left by a copy that crashed is taken
// over.
class OneCopy {
public:
    enum class Outcome {
        First,        // this start runs, and takes what later ones hand over
        HandedOver,   // the copy running took the request: this start ends
        Alone,        // neither could be done: this start runs on its own
    };

    explicit OneCopy(const QString& databasePath);
    ~OneCopy();
    OneCopy(const OneCopy&) = delete;
    OneCopy& operator=(const OneCopy&) = delete;

    // The socket's name for that database and this user (the lock file is
    // the same name with ".lock").
    static QString serverName(const QString& databasePath);

    // Becomes the first copy, or hands `file` (an absolute path; empty: just
    // come to the front) to the copy running. A copy that is only starting is
    // waited for a few seconds; one that does not answer leaves this start
    // Alone.
    Outcome start(const QString& file);

    // What later starts hand over goes to `take` from now on; requests that
    // came before it are given to it at once, in order.
    void serve(std::function<void(const QString& file)> take);

private:
    // The listening socket and the starts connected to it: a Unix socket of
    // the system's own on Linux (Qt Network and the libraries it loads would
    // cost every start milliseconds and megabytes), Qt's local server on
    // Windows, where its named pipe is the same thing.
    struct Server;
    // Held as long as the copy runs, given up by the system when it ends, even
    // by a crash: a lock of the system's own on a file (flock) elsewhere than
    // on Windows, where Qt's lock file is kept.
    struct Lock;

    bool listen();
    bool handOver(const QString& file);
    void take(const QString& file);   // a request read whole, answered

    QString m_name;
    std::unique_ptr<Lock> m_lock;
    std::unique_ptr<Server> m_server;
    std::function<void(const QString&)> m_take;
    QStringList m_waiting;
};
