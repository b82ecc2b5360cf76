// The reference editors beside the worksheet, opened from the shown main
// window and driven with clicks and keys: what is typed reaches the file and
// the worksheet, and a row that cannot be written keeps what was typed.

#include "data/Adodc.h"
#include "data/Database.h"
#include "data/NumText.h"
#include "data/RationState.h"
#include "editors/GridEditor.h"
#include "shell/MDIForm1.h"
#include "support/UiSupport.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSemaphore>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <thread>

using namespace UiSupport;

namespace {

const QString kProtein = "select protein from basa where basa_name_kormow = '%1'";
const QString kPoultry = QString("select %2 from kurwi where kategoriy_ptici = '%1'").arg(kBroilers);

// A statement run on treba.mdb through a connection of its own: the first
// column of its rows, or the error's text.
QStringList sql(const QString& statement)
{
    Adodc own;
    QSqlQuery q(own.database());
    QStringList out;
    if (!q.exec(statement))
        out << q.lastError().text();
    while (q.next())
        out << q.value(0).toString();
    return out;
}
double num(const QString& text) { return NumText::toDouble(text).value_or(-1); }

GridEditor* openEditor(MDIForm1& w, const char* item)
{
    find<QAction>(&w, item)->trigger();
    return qobject_cast<GridEditor*>(w.mdiArea()->activeSubWindow()->widget());
}

// Clicks the first cell of the grid's row.
void clickRow(QTableView* grid, int row)
{
    const QModelIndex cell = grid->model()->index(row, 0);
    grid->scrollTo(cell);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
    settle();
}

} // namespace

class tst_editors : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { startUi(); }

    // An edit in an editor beside the worksheet (corn 60, wheat 40) is in the
    // file once its row is left, its cell still open when another window
    // becomes active, and the worksheet shows figures computed again from it
    // at its next activation. Another connection's short lock is waited out.
    void editsReachTheWorksheet_data()
    {
        QTest::addColumn<QString>("openedBy");
        QTest::addColumn<QString>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("leftBy");   // row, sheet, open (the cell open, the sheet clicked), close, none
        QTest::addColumn<QString>("lock");     // another connection's, changing wheat's protein to 7.5
        QTest::addColumn<QString>("check");
        QTest::addColumn<QString>("stored");
        const QString protein = kProtein.arg("Кукуруза");
        QTest::newRow("feed protein, another row clicked")
            << "mnuKorm" << "Кукуруза" << 2 << "9.75" << "row" << "" << protein << "9.75";
        QTest::newRow("feed protein with a comma, the sheet clicked with the cell open")
            << "mnuKorm" << "Кукуруза" << 2 << "9,5" << "open" << "" << protein << "9.5";
        QTest::newRow("poultry protein need, the sheet clicked")
            << "mnuVargo" << kBroilers << 2 << "21.5" << "sheet" << "" << kPoultry.arg("protein") << "21.5";
        QTest::newRow("daily need, the editor closed with the cell open")
            << "mnuVargo" << kBroilers << 9 << "555" << "close" << "" << kPoultry.arg("dawat_gr") << "555";
        QTest::newRow("written while another connection writes") << "mnuKorm" << "Кукуруза" << 2 << "13.75" << "row"
                                                                 << "begin immediate" << protein << "13.75";
        QTest::newRow("the sheet reads while another connection commits")
            << "mnuKorm" << "" << 0 << "" << "none" << "begin exclusive" << kProtein.arg("Пшеница") << "7.5";
    }
    void editsReachTheWorksheet()
    {
        QFETCH(QString, openedBy);
        QFETCH(QString, row);
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, leftBy);
        QFETCH(QString, lock);
        QFETCH(QString, check);
        QFETCH(QString, stored);
        Fresh fresh;
        MDIForm1 w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const QStringList feeds{"Кукуруза", "Пшеница"};
        QWidget* sheet = openWorksheet(feeds);
        typeOver(wes(sheet, 0), "60");
        typeOver(wes(sheet, 1), "40");
        GridEditor* editor = openEditor(w, qPrintable(openedBy));

        // The other connection, on a thread of its own, holds its lock well
        // under the busy timeout before it commits.
        QSemaphore locked;
        QString error;
        std::thread other([&] {
            Adodc own;
            QSqlQuery q(own.database());
            const bool ok = lock.isEmpty() || (q.exec(lock) && q.exec("update basa set protein = 7.5 where basa_name_kormow = 'Пшеница'"));
            locked.release();
            QThread::msleep(lock.isEmpty() ? 0 : Database::kBusyTimeoutMs / 8);
            if (!ok || !(lock.isEmpty() || q.exec("commit")))
                error = q.lastError().text();
        });
        locked.acquire();
        if (leftBy != "none") {
            const QModelIndex cell = cellOf(editor->grid(), row, column);
            if (leftBy == "open" || leftBy == "close")
                openCell(editor->grid(), cell, typed);
            else
                typeIntoCell(editor->grid(), cell, typed);
            if (leftBy == "row")
                clickRow(editor->grid(), cell.row() == 0);
            if (leftBy == "close")
                Screens::subWindowOf(editor)->close();
        }
        QTest::mouseClick(wes(sheet, 0), Qt::LeftButton);
        other.join();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(w.mdiArea()->activeSubWindow()->widget(), sheet);
        QVERIFY2(fresh.fake.messages.isEmpty(), qPrintable(fresh.fake.messages.join('\n')));
        QCOMPARE(sql(check), QStringList{stored});

        // The sheet holds the file's rows and every figure is computed from them.
        for (int i = 0; i < feeds.size(); ++i) {
            const double protein = sql(kProtein.arg(feeds[i])).value(0).toDouble();
            QCOMPARE(ration().DataKorm[i][2].toDouble(), protein);
            QCOMPARE(num(textOf(sheet, QString("lbl_%1(2)").arg(i + 1))), num(wes(sheet, i)->text()) * protein / 100);
        }
        QCOMPARE(ration().NormaKur[2].toDouble(), sql(kPoultry.arg("protein")).value(0).toDouble());
        // "птицы" is off while its menu item has the poultry editor open.
        QCOMPARE(find<QAction>(&w, "mnuVargo")->isEnabled(), openedBy != "mnuVargo" || leftBy == "close");
    }

    // "Добавить данные" adds one row per opening of the editor: typed, it is
    // written (a copy of corn, then edited twice without touching corn); left
    // empty (another row clicked, Esc, another window) it is dropped. Either
    // way the button stays off until the editor is opened again. An edit of
    // one of two equal loaded rows never reaches the other either.
    void rowsOfTheFeedEditor_data()
    {
        QTest::addColumn<QString>("leftBy");
        QTest::newRow("a copy of corn typed, then edited") << "typed";
        QTest::newRow("empty, another row clicked") << "click";
        QTest::newRow("empty, Esc") << "esc";
        QTest::newRow("empty, another window") << "away";
        QTest::newRow("no row added, the second of two equal rows edited") << "twin";
    }
    void rowsOfTheFeedEditor()
    {
        QFETCH(QString, leftBy);
        Fresh fresh;
        const QString twins = "select protein from basa where basa_name_kormow = 'Кукуруза' order by rowid";
        if (leftBy == "twin")
            QVERIFY(sql("insert into basa select * from basa where basa_name_kormow = 'Кукуруза'").isEmpty());
        const QString protein = sql(twins).value(0);
        MDIForm1 w;
        w.show();
        GridEditor* editor = openEditor(w, "mnuKorm");
        QTableView* grid = editor->grid();
        auto* add = find<QPushButton>(editor, "cmdDobawit");
        const int before = grid->model()->rowCount();
        int row = cellOf(grid, "Кукуруза", 0).row() + 1;
        if (leftBy != "twin") {
            QTest::mouseClick(add, Qt::LeftButton);
            QTest::mouseClick(add, Qt::LeftButton);
            QCOMPARE(grid->model()->rowCount(), before + 1);
            QCOMPARE(grid->currentIndex().row(), row = before);
        }
        if (leftBy == "typed")
            for (int c = 0; c < 11; ++c)
                typeIntoCell(grid, grid->model()->index(row, c), cellOf(grid, "Кукуруза", c).data().toString());
        if (leftBy == "esc")
            QTest::keyClick(grid, Qt::Key_Escape);
        else if (leftBy == "away")
            find<QAction>(&w, "mnuNRaschet")->trigger();
        else
            clickRow(grid, 0);
        const int rows = before + (leftBy == "typed");
        QCOMPARE(grid->model()->rowCount(), rows);
        QCOMPARE(sql("select count(*) from basa"), QStringList{QString::number(rows)});
        if (leftBy == "typed" || leftBy == "twin") {
            for (const QString typed : {"11.5", "12.5"}) {
                typeIntoCell(grid, grid->model()->index(row, 2), typed);
                clickRow(grid, 0);
                QCOMPARE(sql(twins), (QStringList{protein, typed}));
            }
        }
        QVERIFY2(fresh.fake.messages.isEmpty(), qPrintable(fresh.fake.messages.join('\n')));
        QCOMPARE(add->isEnabled(), leftBy == "twin");
        Screens::subWindowOf(editor)->close();   // its close box
        settle();
        QVERIFY(find<QPushButton>(openEditor(w, "mnuKorm"), "cmdDobawit")->isEnabled());
    }

    // The feed editor's keys, its modal group editor, and a row the file
    // refuses: the edits stay in the grid, the row stays current and the main
    // window does not close until the row is put right.
    void feedEditorKeepsWhatCannotBeWritten()
    {
        Fresh fresh;
        QVERIFY(sql("create trigger no_big before update on basa when new.ob_en > 10000 "
                    "begin select raise(abort, 'слишком много'); end").isEmpty());
        MDIForm1 w;
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        GridEditor* editor = openEditor(w, "mnuKorm");
        QTableView* grid = editor->grid();
        QMdiSubWindow* sub = w.mdiArea()->activeSubWindow();

        // Tab goes from cell to cell, Ctrl+Tab leaves the grid for the buttons.
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), grid);
        QCOMPARE(grid->currentIndex().column(), 1);
        QTest::keyClick(grid, Qt::Key_Tab, Qt::ControlModifier);
        auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
        QVERIFY(button && editor->isAncestorOf(button));
        QCOMPARE(w.mdiArea()->activeSubWindow(), sub);

        // The group editor is modal: a click on the feed editor is blocked.
        const int rows = grid->model()->rowCount();
        auto* add = find<QPushButton>(editor, "cmdDobawit");
        bool sawModal = false;
        onNextModal(this, [&](QWidget* modal) {
            sawModal = modal->objectName() == "frmGruppa" && modal->parent() == editor;
            QTest::mouseClick(add->window()->windowHandle(), Qt::LeftButton, {}, add->mapTo(add->window(), add->rect().center()));
            QTest::mouseClick(find<QPushButton>(modal, "Command1"), Qt::LeftButton);
        });
        QTest::mouseClick(find<QPushButton>(editor, "Command1"), Qt::LeftButton);
        QVERIFY(sawModal);
        QCOMPARE(grid->model()->rowCount(), rows);
        QVERIFY(!editor->findChild<QWidget*>("frmGruppa"));

        const QString name = grid->model()->index(0, 0).data().toString();
        const QString protein = sql(kProtein.arg(name)).value(0);
        typeIntoCell(grid, grid->model()->index(0, 2), "1.5");
        typeIntoCell(grid, grid->model()->index(0, 1), "20000");
        clickRow(grid, 1);
        QCOMPARE(fresh.fake.messages.size(), 1);
        QVERIFY2(fresh.fake.messages.first().contains("слишком много"), qPrintable(fresh.fake.messages.first()));
        QTRY_COMPARE(grid->currentIndex().row(), 0);
        QVERIFY(!w.close());
        QCOMPARE(fresh.fake.messages.size(), 2);
        QVERIFY(w.isVisible() && editor->isVisible());
        QCOMPARE(grid->model()->index(0, 2).data().toDouble(), 1.5);
        QCOMPARE(grid->model()->index(0, 1).data().toDouble(), 20000.0);
        QCOMPARE(sql(kProtein.arg(name)), QStringList{protein});
        typeIntoCell(grid, grid->model()->index(0, 1), "300");
        QVERIFY(w.close());
        QCOMPARE(fresh.fake.messages.size(), 2);
        QCOMPARE(sql(kProtein.arg(name)), QStringList{"1.5"});
    }
};

QTEST_MAIN(tst_editors)
#include "tst_editors.moc"
