#pragma once
// What the benchmark programs share: a platform that counts messages instead
// of showing them, the median of a set of times, the ten feeds of the default
// data a full worksheet is timed with, the statement that fills basa up to
// its largest size, and a wait for a window to be painted. Header only: each
// benchmark is a single program file.

#include "data/Database.h"
#include "data/RationState.h"
#include "shell/Platform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QLocale>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace Bench {

// Counts messages instead of showing them, and answers every dialog with
// "cancelled".
class QuietPlatform : public Platform {
public:
    int messages = 0;
    QString last;
    void message(const QString& text, MessageKind) override
    {
        ++messages;
        last = text;
    }
    QString saveFileName(const QString&, const QString&) override { return {}; }
    QString openFileName(const QString&, const QString&) override { return {}; }
    bool openUrl(const QUrl&) override { return false; }
    bool viewTextFile(const QString&, const QString&) override { return false; }
    Answer question(const QString&) override { return Answer::No; }
    QString printPreview(QTextDocument&, const QString&) override { return {}; }
};

inline double median(std::vector<double> v)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The Russian locale and a fresh default treba.mdb in `dir`, made the working
// folder; false (said on stderr) when the database could not be made.
inline bool defaultDatabaseIn(const QTemporaryDir& dir)
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QDir::setCurrent(dir.path());
    if (!Database::ensure().ok) {
        std::fprintf(stderr, "treba.mdb could not be made\n");
        return false;
    }
    return true;
}

inline bool offscreenUnlessNamed()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}
// What a benchmark of the screens starts from: the offscreen platform unless
// one is named, the application, a fresh default treba.mdb in a temporary
// working folder, and the quiet platform. `ok` is false when the database
// could not be made.
struct ScreenStart {
    ScreenStart(int& argc, char** argv)
        : offscreen(offscreenUnlessNamed()), app(argc, argv), ok(defaultDatabaseIn(dir))
    {
        setPlatform(&quiet);
    }
    bool offscreen;   // set before the application is made
    QApplication app;
    QTemporaryDir dir;
    QuietPlatform quiet;
    bool ok;
};

inline const QString kCategory = QStringLiteral("Бройлеры: старт (1-3 нед.)");
// Ten feeds of the default data from which "Расчитать" balances a broiler
// starter ration at a tolerance of 30 %.
inline QStringList tenFeeds()
{
    return {QStringLiteral("Кукуруза"), QStringLiteral("Пшеница"), QStringLiteral("Шрот соевый"),
            QStringLiteral("Глютен кукурузный"), QStringLiteral("Мука рыбная"),
            QStringLiteral("Масло подсолнечное"), QStringLiteral("Известняк (известняковая мука)"),
            QStringLiteral("Монокальцийфосфат"), QStringLiteral("Соль поваренная"),
            QStringLiteral("Премикс для бройлеров и родительского стада 1%")};
}

// Puts the category and the feeds into the ration state, as the category
// choice and the feed selection hand them on to the worksheet.
inline void chooseRation(const QString& category, const QStringList& feeds)
{
    RationState& s = ration();
    s.sKurwi = category;
    for (int i = 0; i < feeds.size() && i < RationState::kMaxFeeds; ++i)
        s.sKorm[i] = feeds[i];
    s.iMaxKorm = std::int16_t(std::min<qsizetype>(feeds.size(), RationState::kMaxFeeds) - 1);
}

// Fills an empty basa with `rows` feeds named "Корм кормовой номер 00001" and
// on, all of one group.
inline QString fillBasaStatement(int rows = Database::kMaxRecords)
{
    return QStringLiteral(
               "with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
               "insert into basa select printf('Корм кормовой номер %05d', i), 200 + i % 100, 10, 0.1, "
               "0.3, 0.02, 0, 0, 0.1, 30, 'Зерновые' from n")
        .arg(rows);
}

inline bool exec(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(sql), qPrintable(q.lastError().text()));
        return false;
    }
    return true;
}

// Runs the event loop until the widget, just shown, has been painted and the
// loop has come round once more with nothing left to do at once (the window
// is on screen and the program waits for the user). False on timeout.
inline bool waitPainted(QWidget* w, int timeoutMs = 30000)
{
    class Watch : public QObject {
    public:
        explicit Watch(QEventLoop& loop) : m_loop(loop) {}
        bool painted = false;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint && !painted) {
                painted = true;
                // A zero timer runs once the pending events have been handled.
                QTimer::singleShot(0, &m_loop, [this] { m_loop.quit(); });
            }
            return false;
        }

    private:
        QEventLoop& m_loop;
    };
    QEventLoop loop;
    Watch watch(loop);
    w->installEventFilter(&watch);
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.start(timeoutMs);
    loop.exec();
    w->removeEventFilter(&watch);
    return watch.painted;
}

} // namespace Bench
