#include "shell/Startup.h"

#include "data/Database.h"
#include "shell/Platform.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

namespace Startup {

namespace {

// The desktop entry's name (without ".desktop"); docks and task switchers
// match the windows to the entry by it.
const QString kDesktopId = QStringLiteral("ru.racion.Racion");

// The program's icon, in the sizes the resources hold.
QIcon appIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/racion-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace

void configureApplication(QApplication& app)
{
    // The window class under X11 is the application's name: the desktop
    // entry's StartupWMClass says "racion" too.
    app.setApplicationName(QStringLiteral("racion"));
    app.setApplicationDisplayName(QStringLiteral("Рацион"));
    app.setApplicationVersion(QStringLiteral("2.21"));
    app.setOrganizationName(QStringLiteral("racion"));
    setUpDesktop(app);
}

void setUpDesktop(QApplication& app)
{
    app.setWindowIcon(appIcon());
    QGuiApplication::setDesktopFileName(kDesktopId);
    // The program speaks Russian whatever the desktop's language; without
    // the translation installed Qt's texts stay English and nothing else changes.
    const QString name = QStringLiteral("qtbase_ru");
    if (app.findChild<QTranslator*>(name, Qt::FindDirectChildrenOnly))
        return;
    auto* t = new QTranslator(&app);
    t->setObjectName(name);
    if (t->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(t);
    else
        delete t;
}

bool checkDatabase()
{
    const Database::StartupResult r = Database::ensure();
    if (!r.ok)
        platform().message(r.message);
    return r.ok;
}

} // namespace Startup
