#pragma once

#include <QStringList>

// What the program remembers of calculation files: what the worksheet held
// when its calculation was last saved or opened, so that closing it can tell
// whether weights would be lost. (The files themselves, newest first, are the
// File menu's: shell/RecentCalculations.h.)
namespace CalcHistory {

// The part of a worksheet a calculation file keeps that the user changes.
struct Sheet {
    QString category;
    QStringList feeds;
    QStringList weights;   // the boxes' texts
};

// The sheet as it was written to or read from a file.
void markSaved(const Sheet& sheet);
// The sheet the user chose not to save ("Нет"): not asked about again while
// it stays as it is.
void markLetGo(const Sheet& sheet);
// True when the sheet holds a weight other than 0 and differs from what was
// last saved or opened and from what was let go (weights compared as
// numbers: "12,50" is "12,5").
bool unsaved(const Sheet& sheet);
// Forgets the saved and the let-go sheet of this run (tests).
void forget();

} // namespace CalcHistory
