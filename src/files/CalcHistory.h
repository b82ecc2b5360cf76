#pragma once

#include <QObject>
#include <QStringList>

// What the program remembers of calculation files: the last ones saved or
// opened (kept across runs, offered in the File menu), and what the worksheet
// held when its calculation was last saved or opened, so that closing it can
// tell whether weights would be lost.
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

} // namespace CalcHistory

// The last calculation files saved or opened, newest first, at most five.
// The program keeps them across runs (a small settings entry); a test
// program, which has no organisation name, keeps them for its own run only.
class RecentCalculations : public QObject {
    Q_OBJECT
public:
    static constexpr int kMax = 5;

    QStringList files() const;
    // Puts the file first (its absolute path), dropping the oldest beyond five.
    void add(const QString& path);
    void remove(const QString& path);
    // Forgets the list and the saved sheet of this run (tests).
    void reset();

Q_SIGNALS:
    void changed();

private:
    void store();
    mutable bool m_loaded = false;
    mutable QStringList m_files;
};

RecentCalculations& recentCalculations();
