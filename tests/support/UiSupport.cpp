#include "support/UiSupport.h"

#include "data/RationState.h"
#include "files/CalcHistory.h"
#include "files/LastDirs.h"
#include "shell/MDIForm1.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "shell/RecentCalculations.h"
#include "shell/Screens.h"
#include "shell/Startup.h"
#include "wizard/frmOtshet.h"

#include <QComboBox>
#include <QMdiArea>
#include <QMenu>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>

namespace UiSupport {

void startUi()
{
    TestSupport::pinRussianLocale();
    QApplication::setQuitOnLastWindowClosed(false);
    Startup::setUpDesktop(*qApp);
}

Fresh::Fresh()
{
    // Files in the test's own folder on every system (Windows' native settings
    // live in the registry, which no path moves).
    QSettings::setDefaultFormat(QSettings::IniFormat);
    for (QSettings::Format format : {QSettings::IniFormat, QSettings::NativeFormat})   // Qt's own dialogs: native
        QSettings::setPath(format, QSettings::UserScope, settings.path());
    resetRation();
    menuRules().reset();
    LastDirs::reset();
    recentCalculations().reset();
    CalcHistory::forget();
    frmOtshet::iKolGolov = 0;
    frmOtshet::batchChoices.reset();
}

FreshFrame::FreshFrame()
{
    frame.show();
    frame.activateWindow();
    if (!QTest::qWaitForWindowActive(&frame))
        qFatal("the main window did not become active");
}

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void closeAll()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        w->close();
    settle();
}

QWidget* liveScreen(const QString& name)
{
    for (QWidget* w : QApplication::allWidgets())
        if (w->objectName() == name && w->isVisible())
            return w;
    return nullptr;
}

QRect placeOf(const QWidget* control)
{
    return QRect(control->mapTo(Screens::mdiArea()->viewport(), QPoint()), control->size());
}

QRect reachablePart()
{
    const QScrollBar *h = Screens::mdiArea()->horizontalScrollBar(), *v = Screens::mdiArea()->verticalScrollBar();
    const auto span = [](const QScrollBar* bar) { return bar->isVisible() ? bar->maximum() - bar->minimum() : 0; };
    return {QPoint(h->minimum() - h->value(), v->minimum() - v->value()), Screens::mdiArea()->viewport()->size() + QSize(span(h), span(v))};
}

QString textOf(const QWidget* parent, const QString& name)
{
    if (auto* box = parent ? parent->findChild<QLineEdit*>(name) : nullptr)
        return box->text();
    return find<QLabel>(parent, name)->text();
}

QString diagnosisText(const QWidget* sheet)
{
    QStringList said;
    for (const char* name : {"lblNaListe", "lblDiagnosis", "lblCenaRaciona"})
        if (auto* label = find<QLabel>(sheet, QLatin1String(name)); !label->isHidden())
            said << label->text();
    return said.join(QLatin1Char('\n'));
}

QStringList textsOf(const QWidget* parent, const QString& pattern, int count)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << textOf(parent, pattern.arg(i));
    return out;
}

QStringList itemTexts(const QAbstractItemView* list)
{
    QStringList out;
    for (int i = 0; i < list->model()->rowCount(); ++i)
        out << list->model()->index(i, 0).data().toString();
    return out;
}

// Each character as its key; QTest's own key table knows only ASCII.
static void typeKeys(QWidget* box, const QString& keys)
{
    for (const QChar c : keys) {
        if (c.unicode() < 128)
            QTest::keyClick(box, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void typeOver(QLineEdit* box, const QString& keys)
{
    box->setFocus();
    box->selectAll();
    typeKeys(box, keys);
}

void paste(QLineEdit* box, const QString& text)
{
    box->setFocus();
    box->selectAll();
    box->insert(text);
}

QModelIndex cellOf(const QTableView* grid, const QString& text, int column)
{
    const QAbstractItemModel* m = grid->model();
    const QModelIndex found = m->match(m->index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchExactly).value(0);
    if (!found.isValid())
        qFatal("no row %s", qPrintable(text));
    return found.siblingAtColumn(column);
}

QLineEdit* openCell(QTableView* grid, const QModelIndex& cell, const QString& keys, QString* opened)
{
    grid->scrollTo(cell);
    if (grid->currentIndex() != cell)   // a click on the current cell would open it only later
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
    QTest::keyClick(grid, Qt::Key_F2);
    auto* box = qobject_cast<QLineEdit*>(grid->focusWidget());   // the open cell
    if (auto* combo = qobject_cast<QComboBox*>(grid->focusWidget()))   // a choice: its text
        box = combo->lineEdit();
    if (!box)
        qFatal("the cell did not open");
    if (opened)
        *opened = box->text();
    box->selectAll();
    if (keys.isEmpty())
        QTest::keyClick(box, Qt::Key_Delete);
    typeKeys(box, keys);
    return box;
}

void typeIntoCell(QTableView* grid, const QModelIndex& cell, const QString& keys)
{
    QTest::keyClick(openCell(grid, cell, keys), Qt::Key_Return);
    settle();   // the cell is put into the model from the event loop
}

void chooseFrom(QAbstractItemView* list, const QString& text)
{
    const qsizetype row = itemTexts(list).indexOf(text);
    if (row < 0)
        qFatal("no item %s", qPrintable(text));
    const QModelIndex item = list->model()->index(int(row), 0);
    list->scrollTo(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(item).center());
}

void press(QWidget* screen, const char* button)
{
    QTest::mouseClick(find<QPushButton>(screen, QLatin1String(button)), Qt::LeftButton);
    settle();
}

QAction* menuItem(const char* name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* frame = qobject_cast<MDIForm1*>(w)) {
            if (auto* menu = frame->findChild<QMenu*>(QLatin1String(name)))
                return menu->menuAction();
            return find<QAction>(frame, QLatin1String(name));
        }
    qFatal("no main window");
}

QWidget* openFeedSelection(const QString& category)
{
    menuItem("mnuNRaschet")->trigger();
    settle();
    QWidget* kurwi = liveScreen(QStringLiteral("frmKurwi"));
    chooseFrom(find<QListWidget>(kurwi, QStringLiteral("lstKurwi")), category);
    press(kurwi, "cmdDalee");
    QWidget* basa = liveScreen(QStringLiteral("frmBasa"));
    if (!basa)
        qFatal("no feed selection");
    return basa;
}

QWidget* openWorksheet(const QStringList& feeds, const QString& category, const QStringList& weights)
{
    QWidget* basa = openFeedSelection(category);
    for (const QString& feed : feeds) {
        chooseFrom(find<QListView>(basa, QStringLiteral("lstBasa")), feed);
        QTest::mouseClick(find(basa, QStringLiteral("lblWibrat")), Qt::LeftButton);
    }
    press(basa, "cmdDalee");
    QWidget* sheet = liveScreen(QStringLiteral("frmRacion"));
    if (!sheet)
        qFatal("no worksheet");
    for (int i = 0; i < weights.size(); ++i)
        typeOver(wes(sheet, i), weights[i]);
    return sheet;
}

bool closeWorksheet()
{
    if (QWidget* sheet = liveScreen(QStringLiteral("frmRacion")))
        press(sheet, "cmdExit");
    return !liveScreen(QStringLiteral("frmRacion"));
}

QWidget* openReport(QWidget* sheet, const QString& kind)
{
    onNextModal(qApp, [kind](QWidget* dialog) {
        if (!kind.isEmpty())
            QTest::mouseClick(find(dialog, kind), Qt::LeftButton);
        press(dialog, "cmdWiborRacionOk");
    });
    press(sheet, "cmdDalee");
    return liveScreen(QStringLiteral("frmOtshet"));
}

void onNextModal(QObject* context, const std::function<void(QWidget*)>& act, const char* className)
{
    auto* poll = new QTimer(context);
    QObject::connect(poll, &QTimer::timeout, context, [poll, act, className] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && (!className || modal->inherits(className))) {
            poll->stop();
            poll->deleteLater();
            act(modal);
        }
    });
    poll->start(5);
}

} // namespace UiSupport
