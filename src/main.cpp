#include "shell/MDIForm1.h"
#include "shell/Startup.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    Startup::configureApplication(app);
    Startup::checkDatabase();
    MDIForm1 w;
    w.show();
    return app.exec();
}
