#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QApplication;
class QWidget;

// What the program does before its main window is shown: the application's
// names and locale, how it shows itself on the desktop, the command line,
// and the check (or creation) of treba.mdb in the working directory.
namespace Startup {

void configureApplication(QApplication& app);
// The program's own icon on every window, its desktop id, and Qt's own texts
// (standard buttons, dialogs, context menus) in Russian. Part of
// configureApplication; the tests' windows get it too.
void setUpDesktop(QApplication& app);

// racion [--user-data] [FILE.kalk]
struct CommandLine {
    bool userData = false;   // work in the user's data folder
    QString file;            // a calculation file to open, as an absolute path
    // -1: go on; otherwise print `text` (English, for the terminal) and end
    // with this code (--help, or a wrong command line).
    int exitCode = -1;
    QString text;
};
// `arguments` as QCoreApplication::arguments() gives them, the program first.
// A relative file name is made absolute here, against the folder the program
// was started in, before --user-data changes the folder.
CommandLine parseCommandLine(const QStringList& arguments);

// The user's data folder: RACION_DATA_DIR when that is set, else
// ~/.local/share/racion on Linux.
QString userDataFolder();
// Makes the user's data folder the working directory, creating it when
// absent. False with the reason (Russian) when that cannot be done.
bool enterUserDataFolder(QString* error);

// The full path of the database this copy works on: treba.mdb in the
// working directory, its folder resolved.
QString databaseInUse();

// What a later start on the same database handed over (see OneCopy): the
// frame comes to the front, and a calculation file (when one is given) opens
// on the worksheet as "Открыть старый..." opens it: once a dialog open at the
// time is closed, and only while no other calculation is in progress (else
// a message says so).
void takeHandedOver(QWidget& frame, const QString& file);

// Checks treba.mdb in the working directory, creating it with the default data
// when absent; a file that cannot serve gets a clear message (and is left as
// it is). Returns false in that case.
bool checkDatabase();

// The same check, run beside the building of the main window: it starts on a
// thread of its own (an old Access file is asked about first, here), and
// finish() waits for it and gives its message. Nothing may read the database
// before finish() returns.
class DatabaseCheck {
public:
    DatabaseCheck();
    ~DatabaseCheck();
    DatabaseCheck(const DatabaseCheck&) = delete;
    DatabaseCheck& operator=(const DatabaseCheck&) = delete;
    bool finish();

private:
    struct Run;
    std::unique_ptr<Run> m_run;
};

} // namespace Startup
