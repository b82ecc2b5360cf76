#pragma once

#include <QString>

// The program's own facts: its web site, the support forum on it, and the
// version shown in the about box.
namespace AppInfo {

// The program's web site; the forum and the about box's address button both
// lead there.
inline const QString kSiteHost = QStringLiteral("racion.example.org");
inline const QString kSiteUrl = QStringLiteral("http://") + kSiteHost;
inline const QString kForumUrl = kSiteUrl + QStringLiteral("/viewforum.php?f=10");

inline const QString kVersion = QStringLiteral("2.21");
inline const QString kVersionText = QStringLiteral("Версия вашей программы - ") + kVersion;

inline const QString kHelpFileName = QStringLiteral("Readme.hlp");

} // namespace AppInfo
