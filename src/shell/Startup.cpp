#include "shell/Startup.h"

#include "data/Database.h"
#include "shell/Platform.h"

#include <QApplication>

namespace Startup {

void configureApplication(QApplication& app)
{
    app.setApplicationName(QStringLiteral("racion"));
    app.setApplicationDisplayName(QStringLiteral("Рацион"));
    app.setApplicationVersion(QStringLiteral("2.21"));
    app.setOrganizationName(QStringLiteral("racion"));
}

bool checkDatabase()
{
    const Database::StartupResult r = Database::ensure();
    if (!r.ok)
        platform().message(r.message);
    return r.ok;
}

} // namespace Startup
