#pragma once

#include <QString>

// The folder the file dialogs start in: the one last used for that kind of
// file, at first the user's documents folder (the home folder when there is
// none). The program itself remembers it across runs (a small settings
// entry); a test program, which has no organisation name, keeps it for its
// own run only.
namespace LastDirs {

enum class Kind { Calculation, Report, Pdf, Sheet };

QString dir(Kind kind);
// Remembers the folder that holds filePath for this kind of file.
void remember(Kind kind, const QString& filePath);
// Forgets every folder of this run (tests).
void reset();

} // namespace LastDirs
