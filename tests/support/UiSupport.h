#pragma once
// Helpers for tests that drive the real screens offscreen: one test's fresh
// world, the live screens and controls found by name, and the user's keys and
// clicks.

#include "engine/RacionSheet.h"
#include "shell/MDIForm1.h"
#include "shell/Navigation.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QtTest>
#include <functional>

namespace UiSupport {

inline const QString kBroilers = QStringLiteral("Бройлеры: старт (1-3 нед.)");

// For initTestCase: the Russian locale, the program's icon and Qt's Russian
// texts, and no quitting when a window closes.
void startUi();

// Lets closed screens go and pending events run.
void settle();
// Closes every top-level window, then settles.
void closeAll();

// One test's world: a temporary folder with the default treba.mdb, the fake
// platform, and the ration, the menu table, the last folders, the recent
// calculations as at start, and settings of its own (none remembered, none
// written to the user's). Going, it closes every window first.
struct Fresh {
    Fresh();
    ~Fresh() { closeAll(); }
    QTemporaryDir settings;
    TestSupport::TempWorkDir dir;
    TestSupport::FakePlatform fake;
};
// The same world with the main window shown and active.
struct FreshFrame : Fresh {
    FreshFrame();
    MDIForm1 frame;
};

// The visible screen of that name, inside the frame or on its own.
QWidget* liveScreen(const QString& name);
// The loaded worksheet (shown or hidden behind the report sheet), or nullptr.
inline QWidget* worksheet() { return dynamic_cast<QWidget*>(Navigation::racion()); }

// The named control; a missing one ends the test program with its name.
template <class T = QWidget> T* find(const QObject* parent, const QString& name)
{
    T* w = parent ? parent->findChild<T*>(name) : nullptr;
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}
inline QLineEdit* wes(const QWidget* sheet, int i) { return find<QLineEdit>(sheet, QStringLiteral("txtWes(%1)").arg(i)); }
// The control's rectangle in the frame's area (its viewport), and the part of
// the area that can be scrolled into view, in the same terms.
QRect placeOf(const QWidget* control);
QRect reachablePart();
// The text of a label or a box; of pattern.arg(0) .. pattern.arg(count - 1).
QString textOf(const QWidget* parent, const QString& name);
QStringList textsOf(const QWidget* parent, const QString& pattern, int count);
// What the worksheet's diagnosis pane says, its shown labels a paragraph each.
QString diagnosisText(const QWidget* sheet);
QStringList itemTexts(const QAbstractItemView* list);

// Types over the box's whole text, as the user does after selecting it.
void typeOver(QLineEdit* box, const QString& keys);
// The cell in `column` of the first grid row whose column 0 shows `text`.
QModelIndex cellOf(const QTableView* grid, const QString& text, int column);
// Clicks the grid's cell, opens it (F2) and types over its text (the text it
// opened with in `opened`); the open cell (of a choice, the line of its combo box).
QLineEdit* openCell(QTableView* grid, const QModelIndex& cell, const QString& keys, QString* opened = nullptr);
// The same, then Enter: the typed text is in the model when this returns.
void typeIntoCell(QTableView* grid, const QModelIndex& cell, const QString& keys);
// Clicks the list's item of that text.
void chooseFrom(QAbstractItemView* list, const QString& text);
// Clicks the screen's button and lets what it opens or closes settle.
void press(QWidget* screen, const char* button);
// The main window's menu item (or menu) of that name.
QAction* menuItem(const char* name);
// The feed selection as the user reaches it in the shown main window: "Новый
// расчет", the category clicked, "Далее".
QWidget* openFeedSelection(const QString& category = kBroilers);
// The worksheet as the user reaches it in the shown main window: "Новый
// расчет", the category clicked, "Далее", each feed clicked and moved by the
// arrow, "Далее"; these weights typed.
QWidget* openWorksheet(const QStringList& feeds, const QString& category = kBroilers, const QStringList& weights = {});
// The worksheet's "Закрыть", when one is open; true when none is left.
bool closeWorksheet();
// The worksheet's "Далее", the recipe kind clicked (none: as the dialog
// comes) and "Да": the report sheet.
QWidget* openReport(QWidget* sheet, const QString& kind = {});
// The clipboard's text pasted over the box's whole text.
void paste(QLineEdit* box, const QString& text);
// Runs `act` on the next modal window (of that class, when one is named) once
// its own event loop runs.
void onNextModal(QObject* context, const std::function<void(QWidget*)>& act, const char* className = nullptr);

} // namespace UiSupport
