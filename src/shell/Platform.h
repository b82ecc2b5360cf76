#pragma once
// The shell folder holds the main window with its menus and their enabling
// rules, help, the about box, the hosting of child screens, and the platform
// seam through which message boxes, file dialogs, the URL handler and the text
// viewer are reached (tests install a fake so nothing blocks).

#include <QString>
#include <QUrl>

class QTextDocument;

// The icon a message box carries: a warning for refusals and errors (the
// usual case), information for everything else.
enum class MessageKind { Warning, Information };

class Platform {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~Platform() = default;
    // One OK button, the program's title (AppInfo::kTitle).
    virtual void message(const QString& text, MessageKind kind = MessageKind::Warning) = 0;
    // "Да", "Нет" and "Отмена", the program's title; closing the box is Cancel.
    virtual Answer question(const QString& text) = 0;
    // File dialogs titled for their kind of file, starting in initialDir; empty:
    // cancelled. A save dialog adds the filter's extension to a name typed
    // without one, and asks before an existing file is replaced.
    virtual QString saveFileName(const QString& filter, const QString& initialDir) = 0;
    virtual QString openFileName(const QString& filter, const QString& initialDir) = 0;
    virtual bool openUrl(const QUrl& url) = 0;         // false: could not be opened
    // False: could not be shown. A non-empty `from` is a line of the file
    // that is scrolled to the top (the file's start when it has no such line).
    virtual bool viewTextFile(const QString& path, const QString& from = QString()) = 0;
    // The print preview of the document, from which the user prints it or
    // saves it as a PDF (pdfPath is the file offered); returns when the
    // preview is closed: the PDF file printed to, or empty when none was.
    virtual QString printPreview(QTextDocument& document, const QString& pdfPath) = 0;
};

Platform& platform();            // the one in use
void setPlatform(Platform* p);   // a test installs its own; nullptr restores the real one
