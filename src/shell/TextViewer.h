#pragma once

#include "shell/Screens.h"

class QByteArray;
class QPlainTextEdit;
class QPrinter;
class QPushButton;

// The program's own text viewer: a read-only window over one text file, in a
// monospaced font (the text report lays out columns), with the file's name in
// its title and "Печать..." through the print dialog. Files are read as
// Windows-1251, or as UTF-8 when their bytes are valid UTF-8.
class TextViewer : public Form {
    Q_OBJECT
public:
    explicit TextViewer(QWidget* parent = nullptr);

    // Reads the file into the window. False, with the reason in Russian,
    // when it cannot be read; the window is then left as it was.
    bool load(const QString& path, QString* error = nullptr);

    QString path() const { return m_path; }
    QString text() const;

    // Bytes of a text file as text: UTF-8 when they are valid UTF-8 holding
    // something beyond ASCII, else Windows-1251; line ends become '\n'.
    static QString decode(const QByteArray& bytes);

    // Brings the first line that reads `line` (blanks around it aside) to the
    // top with the cursor on it. False, and nothing moves, without such a line.
    bool showLine(const QString& line);

    // Opens the file in a new viewer, a child of the main frame when there is
    // one, at the line `from` when given. False with the reason when the file
    // cannot be read.
    static bool open(const QString& path, QString* error = nullptr, const QString& from = QString());

    // Larger files are not shown (a text report is a few kilobytes).
    static constexpr qint64 kMaxBytes = 16 * 1024 * 1024;

public Q_SLOTS:
    void print();                    // "Печать...": the print dialog, then the printer
    void printTo(QPrinter* printer); // the text on the given printer

private:
    QPlainTextEdit* m_text = nullptr;
    QPushButton* m_print = nullptr;
    QString m_path;
};
