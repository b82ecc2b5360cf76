#pragma once

#include <QObject>
#include <QStringList>

// The File menu's "Последние расчеты": the last calculation files saved or
// opened, newest first, at most five. The program keeps them across runs (a
// small settings entry); a test program, which has no organisation name,
// keeps them for its own run only.
class RecentCalculations : public QObject {
    Q_OBJECT
public:
    static constexpr int kMax = 5;

    QStringList files() const;
    // Puts the file first (its absolute path), dropping the oldest beyond five.
    void add(const QString& path);
    void remove(const QString& path);
    // Forgets the list of this run (tests).
    void reset();

Q_SIGNALS:
    void changed();

private:
    void store();
    mutable bool m_loaded = false;
    mutable QStringList m_files;
};

RecentCalculations& recentCalculations();
