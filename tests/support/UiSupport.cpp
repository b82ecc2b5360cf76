#include "support/UiSupport.h"

#include "data/RationState.h"
#include "files/CalcHistory.h"
#include "files/LastDirs.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "shell/Startup.h"
#include "wizard/frmOtshet.h"

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
    resetRation();
    menuRules().reset();
    LastDirs::reset();
    recentCalculations().reset();
    frmOtshet::iKolGolov = 0;
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

QString textOf(const QWidget* parent, const QString& name)
{
    if (auto* box = parent ? parent->findChild<QLineEdit*>(name) : nullptr)
        return box->text();
    return find<QLabel>(parent, name)->text();
}

QStringList textsOf(const QWidget* parent, const QString& pattern, int count)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << textOf(parent, pattern.arg(i));
    return out;
}

QStringList itemTexts(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void typeOver(QLineEdit* box, const QString& keys)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, keys);
}

QModelIndex cellOf(const QTableView* grid, const QString& text, int column)
{
    const QAbstractItemModel* m = grid->model();
    const QModelIndex found = m->match(m->index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchExactly).value(0);
    if (!found.isValid())
        qFatal("no row %s", qPrintable(text));
    return found.siblingAtColumn(column);
}

QLineEdit* openCell(QTableView* grid, const QModelIndex& cell, const QString& keys)
{
    grid->scrollTo(cell);
    if (grid->currentIndex() != cell)   // a click on the current cell would open it only later
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
    QTest::keyClick(grid, Qt::Key_F2);
    auto* box = qobject_cast<QLineEdit*>(grid->focusWidget());   // the open cell
    if (!box)
        qFatal("the cell did not open");
    box->selectAll();
    if (keys.isEmpty())
        QTest::keyClick(box, Qt::Key_Delete);
    for (const QChar c : keys) {   // QTest's own key table knows only ASCII
        if (c.unicode() < 128)
            QTest::keyClick(box, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    return box;
}

void typeIntoCell(QTableView* grid, const QModelIndex& cell, const QString& keys)
{
    QTest::keyClick(openCell(grid, cell, keys), Qt::Key_Return);
    settle();   // the cell is put into the model from the event loop
}

void chooseFrom(QListWidget* list, const QString& text)
{
    QListWidgetItem* item = list->findItems(text, Qt::MatchExactly).value(0);
    if (!item)
        qFatal("no item %s", qPrintable(text));
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

QWidget* openWorksheet(const QStringList& feeds, const QString& category)
{
    RationState& s = ration();
    s.sKurwi = category;
    for (int i = 0; i < feeds.size(); ++i)
        s.sKorm[i] = feeds[i];
    s.iMaxKorm = std::int16_t(feeds.size() - 1);
    QWidget* sheet = Navigation::showRacion();
    if (!sheet)
        qFatal("no worksheet");
    return sheet;
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
