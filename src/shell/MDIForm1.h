#pragma once

#include "shell/MenuRules.h"

#include <QMainWindow>
#include <QStringList>

class QAction;
class QMdiArea;
class QMenu;

// The program's frame: a multi-document window with the only menu bar; the
// wizard screens and the database editors open inside it. The menu items
// follow the enabling table (menuRules()); closing the frame closes every
// child window, each through its own closing step.
class MDIForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit MDIForm1(QWidget* parent = nullptr);
    ~MDIForm1() override;

    QMdiArea* mdiArea() const { return m_area; }

    // The client area: 10935 × 8850 twips, in pixels at 8 pt (Screens::scaled
    // gives it at the application's font).
    static constexpr int kClientWidth = 729;
    static constexpr int kClientHeight = 590;

    // Where the help text is looked for, in order: the program's directory,
    // then the installed data directory. A test may set its own list; an
    // empty list restores these.
    static QStringList helpDirectories();
    static void setHelpDirectories(const QStringList& dirs);
    // The help file's path, or empty when none of the directories holds it.
    static QString helpFilePath();
    // Shows the help in the viewer, at the line `from` when given; a missing
    // or unreadable file is reported. False in that case.
    static bool showHelp(const QString& from = QString());

public Q_SLOTS:
    void mnuNRaschet_Click();
    void lblRabota_Click();
    void lblFaq_Click();
    void mnuProgramm_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createMenus();
    void applyMenuRules();
    QAction* addItem(QMenu* menu, const char* name, const QString& caption);
    void addSeparator(QMenu* menu, const char* name);
    QAction* actionFor(MenuItem item) const;
    void fillRecent();

    QMdiArea* m_area = nullptr;
    QMenu* mnuFile = nullptr;
    QMenu* mnuRacion = nullptr;
    QMenu* mnuBasa = nullptr;
    QMenu* lblHelp = nullptr;
    QAction* mnuSaveR = nullptr;
    QAction* mnuSaveRacion = nullptr;
    QAction* mnuPrint = nullptr;
    QMenu* mnuRecent = nullptr;
    QAction* mnuKorm = nullptr;
    QAction* mnuVargo = nullptr;
    QAction* mnuCena = nullptr;
    QAction* mnuExportRacion = nullptr;
    QAction* mnuProgramm = nullptr;
};
