#pragma once
// The shell folder holds the main window with its menus and their enabling
// rules, help, the about box, the hosting of child screens, and the platform
// seam through which message boxes, file dialogs, the URL handler and the text
// viewer are reached (tests install a fake so nothing blocks).

#include <QString>
#include <QUrl>

// The icon a message box carries: a warning for refusals and errors (the
// usual case), information for everything else.
enum class MessageKind { Warning, Information };

class Platform {
public:
    virtual ~Platform() = default;
    // One OK button, the application's title.
    virtual void message(const QString& text, MessageKind kind = MessageKind::Warning) = 0;
    virtual QString saveFileName(const QString& filter, const QString& initialDir) = 0;  // empty: cancelled
    virtual QString openFileName(const QString& filter, const QString& initialDir) = 0;  // empty: cancelled
    virtual bool openUrl(const QUrl& url) = 0;         // false: could not be opened
    // False: could not be shown. A non-empty `from` is a line of the file
    // that is scrolled to the top (the file's start when it has no such line).
    virtual bool viewTextFile(const QString& path, const QString& from = QString()) = 0;
};

Platform& platform();            // the one in use
void setPlatform(Platform* p);   // a test installs its own; nullptr restores the real one
