#include "data/Adodc.h"
#include "editors/frmBasaKorm.h"
#include "editors/frmBasaKurwi.h"
#include "editors/frmGruppa.h"
#include "shell/MDIForm1.h"
#include "shell/Screens.h"
#include "support/UiSupport.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

using namespace UiSupport;

namespace {

// One value of treba.mdb read through a connection of its own.
QVariant readBack(const QString& sql)
{
    Adodc fresh;
    fresh.setRecordSource(sql);
    return fresh.Refresh() && fresh.recordset().hasCurrent() ? fresh.recordset().Fields(0) : QVariant();
}

GridEditor* shownEditor(const QString& kind)
{
    GridEditor* e = kind == "korm" ? static_cast<GridEditor*>(new frmBasaKorm)
        : kind == "kurwi"          ? static_cast<GridEditor*>(new frmBasaKurwi)
                                   : static_cast<GridEditor*>(new frmGruppa);
    e->show();
    return e;
}

QLineEdit* openCell(GridEditor* editor, int row, int column)
{
    const QModelIndex idx = editor->model()->index(row, column);
    editor->grid()->setCurrentIndex(idx);
    editor->grid()->edit(idx);
    return qobject_cast<QLineEdit*>(editor->grid()->indexWidget(idx));
}

// Types over a cell and commits it with Enter.
void typeInto(GridEditor* editor, int row, int column, const QString& text)
{
    QLineEdit* cell = openCell(editor, row, column);
    QVERIFY(cell);
    cell->selectAll();
    cell->insert(text);
    QTest::keyClick(cell, Qt::Key_Return);
    QCoreApplication::processEvents();   // the grid commits an Enter a moment later
}

// Clicks the first cell of another row.
void leaveRow(GridEditor* editor, int toRow)
{
    const QModelIndex idx = editor->model()->index(toRow, 0);
    editor->grid()->scrollTo(idx);
    QTest::mouseClick(editor->grid()->viewport(), Qt::LeftButton, {}, editor->grid()->visualRect(idx).center());
    QCoreApplication::processEvents();
}

// The values of one column of treba.mdb, in the table's own order.
QStringList readColumn(const QString& sql)
{
    Adodc fresh;
    QSqlQuery q(fresh.database());
    QStringList out;
    if (!q.exec(sql))
        out << q.lastError().text();
    while (q.next())
        out << q.value(0).toString();
    return out;
}

const QString kProtein = "select protein from basa where basa_name_kormow = '%1'";

} // namespace

class tst_editors : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { startUi(); }

    // One new row per opening of the editor: a new row left empty (another
    // row clicked, Esc, another window made active) is dropped, a typed one
    // is written, and either way the button stays off until the editor is
    // opened again.
    void addButtonAddsOneRowPerOpening_data()
    {
        QTest::addColumn<QString>("leftBy");
        QTest::newRow("typed, another row clicked") << "typed";
        QTest::newRow("empty, another row clicked") << "click";
        QTest::newRow("empty, Esc") << "esc";
        QTest::newRow("empty, another window") << "away";
    }
    void addButtonAddsOneRowPerOpening()
    {
        QFETCH(QString, leftBy);
        Fresh fresh;
        MDIForm1 w;
        w.show();
        find<QAction>(&w, "mnuKorm")->trigger();
        auto* editor = qobject_cast<GridEditor*>(liveScreen("frmBasaKorm"));
        auto* add = find<QPushButton>(editor, "cmdDobawit");
        const int before = editor->model()->rowCount();
        QTest::mouseClick(add, Qt::LeftButton);
        QTest::mouseClick(add, Qt::LeftButton);
        QCOMPARE(editor->model()->rowCount(), before + 1);
        QCOMPARE(editor->grid()->currentIndex().row(), before);
        const int added = leftBy == "typed";
        if (added) {
            const QStringList values{"Тестовый корм", "300", "10.5", "0.1", "0.2", "0.05", "0", "0", "0.1", "20", "Зерновые"};
            for (int c = 0; c < values.size(); ++c)
                typeInto(editor, before, c, values.at(c));
        }
        if (leftBy == "esc")
            QTest::keyClick(editor->grid(), Qt::Key_Escape);
        else if (leftBy == "away")
            find<QAction>(&w, "mnuNRaschet")->trigger();
        else
            leaveRow(editor, 0);
        QVERIFY2(fresh.fake.messages.isEmpty(), qPrintable(fresh.fake.messages.join('\n')));
        QCOMPARE(editor->model()->rowCount(), before + added);
        QCOMPARE(readBack("select count(*) from basa").toInt(), before + added);
        QCOMPARE(readBack(kProtein.arg("Тестовый корм")).toDouble(), added ? 10.5 : 0.0);
        QVERIFY(!add->isEnabled());
        Screens::subWindowOf(editor)->close();   // its close box
        settle();
        find<QAction>(&w, "mnuKorm")->trigger();
        QVERIFY(find<QPushButton>(liveScreen("frmBasaKorm"), "cmdDobawit")->isEnabled());
        w.close();
    }

    // "Далее" on a worksheet whose category has no daily requirement opens the
    // poultry editor; "птицы" stays on, as the menu did not open it. The
    // requirement typed there, its cell still open, is written when the user
    // clicks the worksheet, and "Далее" goes on. Opened from the menu, the
    // editor turns "птицы" off until it is closed.
    void valueTypedReachesTheWorksheetClickedNext()
    {
        Fresh fresh;
        const QString daily = QString("select dawat_gr from kurwi where kategoriy_ptici = '%1'").arg(kBroilers);
        QVERIFY(readColumn(QString("update kurwi set dawat_gr = null where kategoriy_ptici = '%1'").arg(kBroilers)).isEmpty());
        MDIForm1 w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QAction* vargo = find<QAction>(&w, "mnuVargo");
        QWidget* sheet = openWorksheet({"Кукуруза"});
        typeOver(wes(sheet, 0), "100");
        QTest::mouseClick(find<QPushButton>(sheet, "cmdDalee"), Qt::LeftButton);
        QCOMPARE(fresh.fake.messages.size(), 1);
        auto* editor = qobject_cast<GridEditor*>(liveScreen("frmBasaKurwi"));
        QVERIFY(editor && vargo->isEnabled());
        const int row = editor->model()->match(editor->model()->index(0, 0), Qt::DisplayRole, kBroilers).value(0).row();
        QLineEdit* cell = openCell(editor, row, 9);
        QVERIFY(cell);
        QTest::keyClicks(cell, "300");
        QTest::mouseClick(wes(sheet, 0), Qt::LeftButton);
        QCOMPARE(w.mdiArea()->activeSubWindow()->widget(), sheet);
        QCOMPARE(readBack(daily).toDouble(), 300.0);
        onNextModal(this, [](QWidget* dialog) { find<QPushButton>(dialog, "cmdWiborRacionOk")->click(); });
        QTest::mouseClick(find<QPushButton>(sheet, "cmdDalee"), Qt::LeftButton);
        QVERIFY(liveScreen("frmOtshet"));
        QCOMPARE(fresh.fake.messages.size(), 1);
        vargo->trigger();
        QVERIFY(!vargo->isEnabled());
        Screens::subWindowOf(editor)->close();
        QVERIFY(vargo->isEnabled());
        w.close();
    }

    // Two equal rows (the tables have no key): an edit of one, loaded or
    // added in this visit and written twice, never touches the other.
    void editOfOneOfTwoEqualRows_data()
    {
        QTest::addColumn<bool>("added");
        QTest::newRow("a loaded row") << false;
        QTest::newRow("a row added here") << true;
    }
    void editOfOneOfTwoEqualRows()
    {
        QFETCH(bool, added);
        Fresh fresh;
        const QString twins = "select protein from basa where basa_name_kormow = 'Кукуруза' order by rowid";
        if (!added)
            QVERIFY(readColumn("insert into basa select * from basa where basa_name_kormow = 'Кукуруза'").isEmpty());
        MDIForm1 w;
        w.show();
        find<QAction>(&w, "mnuKorm")->trigger();
        auto* editor = qobject_cast<GridEditor*>(liveScreen("frmBasaKorm"));
        const QString protein = readColumn(twins).value(0);
        const int rows = editor->model()->rowCount();
        int row = editor->model()->match(editor->model()->index(0, 0), Qt::DisplayRole, "Кукуруза").value(0).row();
        if (added) {
            QTest::mouseClick(find<QPushButton>(editor, "cmdDobawit"), Qt::LeftButton);
            const QSqlRecord corn = editor->model()->record(row);
            row = rows;
            for (int c = 0; c < 11; ++c)
                typeInto(editor, row, c, corn.value(c).toString());
            leaveRow(editor, 0);
        } else {
            ++row;   // the second of the two
        }
        for (const QString typed : {"11.5", "12.5"}) {
            typeInto(editor, row, 2, typed);
            leaveRow(editor, 0);
            QCOMPARE(readColumn(twins), (QStringList{protein, typed}));
        }
        QVERIFY2(fresh.fake.messages.isEmpty(), qPrintable(fresh.fake.messages.join('\n')));
        w.close();
    }

    // Written when the row is left, or when the editor closes with the cell
    // still open; read back through a fresh connection.
    void editedRowWritten_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("closeWithCellOpen");
        QTest::addColumn<QString>("check");   // %1 = the row's name
        const QString daily = "select dawat_gr from kurwi where kategoriy_ptici = '%1'";
        QTest::newRow("feed protein") << "korm" << 2 << "9.75" << false << kProtein;
        QTest::newRow("daily need emptied") << "kurwi" << 9 << "" << false << daily;
        QTest::newRow("group limit") << "gruppa" << 1 << "33" << false
                                     << "select procent from granica where gruppa = '%1'";
        QTest::newRow("daily need, closed with the cell open") << "kurwi" << 9 << "555" << true << daily;
    }
    void editedRowWritten()
    {
        QFETCH(QString, kind);
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(bool, closeWithCellOpen);
        QFETCH(QString, check);
        Fresh fresh;
        GridEditor* editor = shownEditor(kind);
        const QString name = editor->model()->index(1, 0).data().toString();
        const QVariant old = readBack(check.arg(name));
        if (closeWithCellOpen) {
            QLineEdit* cell = openCell(editor, 1, column);
            QVERIFY(cell);
            cell->selectAll();
            QTest::keyClicks(cell, typed);
            QVERIFY(editor->close());
        } else {
            typeInto(editor, 1, column, typed);
            QCOMPARE(readBack(check.arg(name)), old);   // not yet, while the row is current
            leaveRow(editor, 0);
            QCOMPARE(editor->model()->index(1, 0).data().toString(), name);   // the row keeps its place
        }
        QVERIFY2(fresh.fake.messages.isEmpty(), qPrintable(fresh.fake.messages.join('\n')));
        QCOMPARE(readBack(check.arg(name)).toString(), typed);
    }

    // A sound edit of the row first: the refused one must not lose it.
    void badInputRefusedNothingLost_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("messagePart");
        QTest::newRow("text in a number column") << 3 << "много" << "должно быть число";
        QTest::newRow("number with a thousands blank") << 3 << "1 000" << "должно быть число";
        QTest::newRow("required number emptied") << 3 << "" << "не может быть пустой";
        QTest::newRow("blank name") << 0 << "   " << "не может быть пустой";
        QTest::newRow("name with a tab") << 0 << "Жмых\tновый" << "перевода строки";
        QTest::newRow("group with a double quote") << 10 << "Зерно\"вые" << "двойной кавычки";
    }
    void badInputRefusedNothingLost()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, messagePart);
        Fresh fresh;
        GridEditor* editor = shownEditor("korm");
        const QString name = editor->model()->index(2, 0).data().toString();
        const QVariant before = editor->model()->index(2, column).data();
        typeInto(editor, 2, 2, "7.25");
        typeInto(editor, 2, column, typed);
        QCOMPARE(fresh.fake.messages.size(), 1);
        QVERIFY2(fresh.fake.messages.first().contains(messagePart), qPrintable(fresh.fake.messages.first()));
        QCOMPARE(editor->model()->index(2, column).data(), before);
        leaveRow(editor, 0);
        QCOMPARE(fresh.fake.messages.size(), 1);
        QCOMPARE(readBack(kProtein.arg(name)).toDouble(), 7.25);
    }

    void rowTheDatabaseRejectsKeepsItsEdits()
    {
        Fresh fresh;
        {
            Adodc a;
            QSqlQuery q(a.database());
            QVERIFY2(q.exec("create trigger no_big before update on basa when new.ob_en > 10000 "
                            "begin select raise(abort, 'слишком много'); end"),
                     qPrintable(q.lastError().text()));
        }
        GridEditor* editor = shownEditor("korm");
        const QString protein = kProtein.arg(editor->model()->index(0, 0).data().toString());
        const double oldProtein = readBack(protein).toDouble();
        typeInto(editor, 0, 2, "1.5");
        typeInto(editor, 0, 1, "20000");
        leaveRow(editor, 1);
        QCOMPARE(fresh.fake.messages.size(), 1);
        QVERIFY2(fresh.fake.messages.first().contains("слишком много"), qPrintable(fresh.fake.messages.first()));
        QTRY_COMPARE(editor->grid()->currentIndex().row(), 0);
        QCOMPARE(editor->model()->index(0, 2).data().toDouble(), 1.5);
        QCOMPARE(editor->model()->index(0, 1).data().toDouble(), 20000.0);
        QCOMPARE(readBack(protein).toDouble(), oldProtein);
        typeInto(editor, 0, 1, "300");
        leaveRow(editor, 1);
        QCOMPARE(fresh.fake.messages.size(), 1);
        QCOMPARE(readBack(protein).toDouble(), 1.5);
    }

    // In the editor inside the main window Tab goes from cell to cell and
    // Ctrl+Tab leaves the grid for the buttons.
    void ctrlTabLeavesTheGrid()
    {
        Fresh fresh;
        MDIForm1 w;
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        find<QAction>(&w, "mnuVargo")->trigger();
        QMdiSubWindow* sub = w.mdiArea()->activeSubWindow();
        auto* editor = sub ? qobject_cast<GridEditor*>(sub->widget()) : nullptr;
        QVERIFY(editor);
        editor->grid()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), editor->grid());
        QCOMPARE(editor->grid()->currentIndex().column(), 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
        QVERIFY(button && editor->isAncestorOf(button));
        QCOMPARE(w.mdiArea()->activeSubWindow(), sub);
    }

    void commaEntersAPoint_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("startFromGrid");
        QTest::addColumn<QString>("expected");
        QTest::newRow("typed in an open number cell") << 2 << false << "1.5";
        QTest::newRow("typed over a number cell") << 2 << true << ".5";
        QTest::newRow("a name keeps its comma") << 0 << false << "1,5";
    }
    void commaEntersAPoint()
    {
        QFETCH(int, column);
        QFETCH(bool, startFromGrid);
        QFETCH(QString, expected);
        Fresh fresh;
        GridEditor* editor = shownEditor("korm");
        QLineEdit* cell = nullptr;
        if (startFromGrid) {
            const QModelIndex idx = editor->model()->index(0, column);
            editor->grid()->setCurrentIndex(idx);
            editor->grid()->setFocus();
            QTest::keyClick(editor->grid(), ',');
            QVERIFY(cell = qobject_cast<QLineEdit*>(editor->grid()->indexWidget(idx)));
            QTest::keyClick(cell, '5');
        } else {
            QVERIFY(cell = openCell(editor, 0, column));
            cell->clear();
            QTest::keyClicks(cell, "1,5");
        }
        QCOMPARE(cell->text(), expected);
        QTest::keyClick(cell, Qt::Key_Escape);
    }

    void groupEditorBlocksTheFeedEditor()
    {
        Fresh fresh;
        GridEditor* editor = shownEditor("korm");
        auto* add = find<QPushButton>(editor, "cmdDobawit");
        const int rows = editor->model()->rowCount();
        bool sawModal = false;
        onNextModal(this, [&](QWidget* modal) {
            auto* box = editor->findChild<frmGruppa*>();
            sawModal = box && modal == box;
            // A click on the feed editor, as the window system delivers it, is blocked.
            QTest::mouseClick(add->window()->windowHandle(), Qt::LeftButton, {}, add->mapTo(add->window(), add->rect().center()));
            QTest::mouseClick(find<QPushButton>(modal, "Command1"), Qt::LeftButton);
        });
        QTest::mouseClick(find<QPushButton>(editor, "Command1"), Qt::LeftButton);
        QVERIFY(sawModal);
        QCOMPARE(editor->model()->rowCount(), rows);
        QVERIFY(add->isEnabled());
        QVERIFY(!editor->findChild<frmGruppa*>());
    }
};

QTEST_MAIN(tst_editors)
#include "tst_editors.moc"
