#include "shell/Startup.h"

#include "data/Database.h"
#include "data/JetFile.h"
#include "shell/Colours.h"
#include "shell/DeferredIcon.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "shell/Platform.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QTranslator>
#include <QWidget>

namespace Startup {

namespace {

// The desktop entry's name (without ".desktop"); docks and task switchers
// match the windows to the entry by it.
const QString kDesktopId = QStringLiteral("ru.racion.Racion");

// The program's icon, in the sizes the resources hold, read when a window
// first draws it or hands it to the desktop: decoding them all took a large
// part of the start-up.
QIcon appIcon()
{
    constexpr int kSizes[] = {16, 32, 48, 64, 128, 256};
    QList<QSize> sizes;
    for (int size : kSizes)
        sizes << QSize(size, size);
    return deferredIcon(
        [sizes] {
            QIcon icon;
            for (const QSize& size : sizes)
                icon.addFile(QStringLiteral(":/icons/racion-%1.png").arg(size.width()), size);
            return icon;
        },
        sizes);
}

} // namespace

void configureApplication(QApplication& app)
{
    // The window class under X11 is the application's name: the desktop
    // entry's StartupWMClass says "racion" too. No display name: Qt would add
    // it to every window's title ("Выбор — Рацион"); the windows' titles are
    // the program's own, and message boxes take AppInfo::kTitle.
    app.setApplicationName(QStringLiteral("racion"));
    app.setApplicationVersion(QStringLiteral("2.21"));
    app.setOrganizationName(QStringLiteral("racion"));
    setUpDesktop(app);
}

void setUpDesktop(QApplication& app)
{
    app.setWindowIcon(appIcon());
    QGuiApplication::setDesktopFileName(kDesktopId);
    Screens::markFocus();
    // The program speaks Russian whatever the desktop's language; without
    // the translation installed Qt's texts stay English and nothing else changes.
    // Installed once: it lives as long as the application that owns it.
    static QPointer<QTranslator> installed;
    if (installed)
        return;
    const QString name = QStringLiteral("qtbase_ru");
    auto* t = new QTranslator(&app);
    t->setObjectName(name);
    if (t->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        app.installTranslator(t);
        installed = t;
    } else {
        delete t;
    }
}

CommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Poultry feed ration calculator."));
    const QCommandLineOption userData(
        QStringLiteral("user-data"),
        QStringLiteral("Keep treba.mdb in the user's data folder (%1) instead of the current folder.")
            .arg(QDir::toNativeSeparators(userDataFolder())));
    parser.addOption(userData);
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A calculation file (.kalk) to open."),
                                 QStringLiteral("[FILE.kalk]"));
    const QCommandLineOption help = parser.addHelpOption();
    CommandLine out;
    const bool parsed = parser.parse(arguments);
    const QStringList files = parser.positionalArguments();
    if (!parsed || files.size() > 1) {
        out.exitCode = 2;
        out.text = (parsed ? QStringLiteral("Only one calculation file can be opened.") : parser.errorText())
            + QLatin1Char('\n') + parser.helpText();
        return out;
    }
    if (parser.isSet(help)) {
        out.exitCode = 0;
        out.text = parser.helpText();
        return out;
    }
    out.userData = parser.isSet(userData);
    if (!files.isEmpty())
        out.file = QDir::current().absoluteFilePath(files.first());
    return out;
}

// The program's own folder in the user's data location. (Qt's AppDataLocation
// would put it one level deeper, in a folder named after the organisation,
// which for this program is the same word again.)
QString userDataFolder()
{
    // RACION_DATA_DIR names the folder outright, on every system: for a
    // portable set-up, and for tests that must not touch the user's own.
    if (const QString given = qEnvironmentVariable("RACION_DATA_DIR"); !given.isEmpty())
        return QDir::cleanPath(QDir(given).absolutePath());
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base.isEmpty() ? QDir::homePath() : base).filePath(QCoreApplication::applicationName());
}

bool enterUserDataFolder(QString* error)
{
    const QString dir = userDataFolder();
    if (!QDir().mkpath(dir) || !QDir::setCurrent(dir)) {
        if (error)
            *error = QStringLiteral("Не удалось создать папку данных программы %1 или перейти в нее.")
                         .arg(QDir::toNativeSeparators(dir));
        return false;
    }
    return true;
}

QString databaseInUse()
{
    const QString path = Database::path();
    const QString folder = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? path : QDir(folder).filePath(Database::kFileName);
}

namespace {

void openHandedOver(QWidget& frame, const QString& file)
{
    // A dialog is answered first; the file waits for it to close.
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(200, &frame, [f = QPointer<QWidget>(&frame), file] {
            if (f)
                openHandedOver(*f, file);
        });
        return;
    }
    if (!menuRules().isEnabled(MenuItem::Racion)) {
        platform().message(QStringLiteral("Расчет %1 не открыт: сейчас идет другой расчет. "
                                          "Закройте его и откройте файл снова.")
                               .arg(QDir::toNativeSeparators(file)));
        return;
    }
    Navigation::openCalculationFile(file);
}

} // namespace

void takeHandedOver(QWidget& frame, const QString& file)
{
    frame.setWindowState((frame.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    frame.show();
    frame.raise();
    frame.activateWindow();
    if (!file.isEmpty())
        openHandedOver(frame, file);
}

bool checkDatabase()
{
    DatabaseCheck check;
    return check.finish();
}

struct DatabaseCheck::Run {
    bool refused = false;   // the old file's carry-over failed, and said so
    Database::StartupResult result;
    std::unique_ptr<QThread> thread;
};

DatabaseCheck::DatabaseCheck()
    : m_run(std::make_unique<Run>())
{
    // An old Access file of the earlier program: its data are carried over
    // into a new database when the user agrees; otherwise it is refused below.
    const QString path = Database::path();
    if (JetFile::supported() && JetFile::formatOf(path) != JetFile::Format::NotJet
        && platform().question(QStringLiteral("Файл treba.mdb — база данных старого формата (Access). Перенести ее данные "
                                              "в новую базу? Старый файл останется рядом под именем treba.mdb.old."))
               == Platform::Answer::Yes) {
        QString report;
        const QString error = JetFile::carryOver(path, &report);
        platform().message(error.isEmpty() ? report : error,
                           error.isEmpty() ? MessageKind::Information : MessageKind::Warning);
        m_run->refused = !error.isEmpty();
        if (m_run->refused)
            return;
    }
#ifdef Q_OS_WIN
    // Under wine, a test program that had made treba.mdb on a thread of its
    // own many times would mostly hang at its exit; on Windows the check
    // stays on the main thread, before the window is built.
    m_run->result = Database::ensure(path);
#else
    // Its own connections, opened and closed on that thread.
    Run* run = m_run.get();
    run->thread.reset(QThread::create([run, path] { run->result = Database::ensure(path); }));
    run->thread->start();
#endif
}

DatabaseCheck::~DatabaseCheck()
{
    if (m_run->thread)
        m_run->thread->wait();
}

bool DatabaseCheck::finish()
{
    if (m_run->refused)
        return false;
    if (m_run->thread)
        m_run->thread->wait();
    const Database::StartupResult& r = m_run->result;
    if (!r.ok)
        platform().message(r.message);
    return r.ok;
}

} // namespace Startup
