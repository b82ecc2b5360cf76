#pragma once

class QApplication;

// What the program does before its main window is shown: the application's
// names and locale, how it shows itself on the desktop, and the check (or
// creation) of treba.mdb.
namespace Startup {

void configureApplication(QApplication& app);
// The program's own icon on every window, its desktop id, and Qt's own texts
// (standard buttons, dialogs, context menus) in Russian. Part of
// configureApplication; the tests' windows get it too.
void setUpDesktop(QApplication& app);
// Checks treba.mdb in the working directory, creating it with the default data
// when absent; a file that cannot serve gets a clear message (and is left as
// it is). Returns false in that case.
bool checkDatabase();

} // namespace Startup
