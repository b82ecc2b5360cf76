#pragma once

#include <QString>

// The program's own facts: its title, its web site, the support forum on it,
// the help's questions section, and the version shown in the about box.
namespace AppInfo {

// The program's web site ("https://" and its host), the one place for it. It
// has none yet: while this is empty, "FAQ" and the about box's address button
// open the help's questions section instead, so no link leads nowhere.
inline const QString kSiteUrl = QString();
inline const QString kForumPath = QStringLiteral("/viewforum.php?f=10");

// The heading line of the help's questions section.
inline const QString kHelpQuestions = QStringLiteral("8. ВОПРОСЫ И ОТВЕТЫ");
// What the about box's address button says while there is no site.
inline const QString kQuestionsCaption = QStringLiteral("Вопросы и ответы");

// The title of the program's message boxes. (Not the application's display
// name: Qt would add that to the title of every window.)
inline const QString kTitle = QStringLiteral("Рацион");

inline const QString kVersion = QStringLiteral("2.21");
inline const QString kVersionText = QStringLiteral("Версия вашей программы - ") + kVersion;

inline const QString kHelpFileName = QStringLiteral("Readme.hlp");

} // namespace AppInfo
