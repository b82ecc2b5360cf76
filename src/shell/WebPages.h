#pragma once

#include <QString>

// The program's web pages, opened from the Help menu and the about box.
namespace Shell {
// Opens a web address in the platform's browser; when that cannot be done
// the user is told so and the program goes on. False in that case.
bool openWebAddress(const QString& address);
// The program's site at that path, or while it has no site the help's
// questions section ("FAQ" and the about box's address button).
bool openSitePage(const QString& path);
} // namespace Shell
