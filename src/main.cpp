#include "data/Database.h"
#include "shell/MDIForm1.h"
#include "shell/Navigation.h"
#include "shell/OneCopy.h"
#include "shell/Platform.h"
#include "shell/Startup.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    Startup::configureApplication(app);
    const Startup::CommandLine command = Startup::parseCommandLine(QApplication::arguments());
    if (command.exitCode >= 0) {
        std::fputs(qPrintable(command.text), command.exitCode == 0 ? stdout : stderr);
        return command.exitCode;
    }
    if (command.userData) {
        QString error;
        if (!Startup::enterUserDataFolder(&error)) {
            platform().message(error);
            return 1;
        }
    }
    // One copy per database: a start on the database of a copy running hands
    // it the file (or just brings it to the front) and ends.
    OneCopy oneCopy(Database::path());
    if (oneCopy.start(command.file) == OneCopy::Outcome::HandedOver)
        return 0;
    // The main window is built while the database is checked (or made).
    Startup::DatabaseCheck check;
    MDIForm1 w;
    check.finish();
    w.show();
    if (!command.file.isEmpty())
        Navigation::openCalculationFile(command.file);
    oneCopy.serve([&w](const QString& file) { Startup::takeHandedOver(w, file); });
    return app.exec();
}
