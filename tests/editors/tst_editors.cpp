// The reference editors beside the worksheet, opened from the shown main
// window and driven with clicks and keys: what is typed reaches the file and
// the worksheet, and a row that cannot be written keeps what was typed.

#include "data/NumText.h"
#include "data/RationState.h"
#include "editors/GridEditor.h"
#include "shell/MDIForm1.h"
#include "support/UiSupport.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSqlRecord>

using namespace UiSupport;
using TestSupport::readBack;
using TestSupport::runSql;

namespace {

const QString kProtein = "select protein from basa where basa_name_kormow = '%1'";

double num(const QString& text) { return NumText::toDouble(text).value_or(-1); }

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

    // An edit in an editor beside the worksheet (corn 60, wheat 40), its
    // figures shown with the locale's separator, is in the
    // file once its row is left, another window becomes active or the editor
    // closes, its cell still open; the worksheet shows figures computed again from it at its
    // next activation.
    void editsReachTheWorksheet_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("leftBy");   // row, sheet, open (the cell open, the sheet clicked), close
        QTest::newRow("feed protein, another row clicked") << "Кукуруза" << 2 << "9.75" << "row";
        QTest::newRow("feed protein with a comma, the sheet clicked, the cell open") << "Кукуруза" << 2 << "9,5" << "open";
        QTest::newRow("poultry protein need, the sheet clicked") << kBroilers << 2 << "21.5" << "sheet";
        QTest::newRow("daily need, the editor closed with the cell open") << kBroilers << 9 << "555" << "close";
        QTest::newRow("feed energy, the editor closed with the cell open") << "Пшеница" << 1 << "300" << "close";
    }
    void editsReachTheWorksheet()
    {
        QFETCH(QString, row);
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, leftBy);
        FreshFrame fresh;
        MDIForm1& w = fresh.frame;
        const QStringList feeds{"Кукуруза", "Пшеница"};
        QWidget* sheet = openWorksheet(feeds, kBroilers, {"60", "40"});
        const bool poultry = row == kBroilers;
        menuItem(poultry ? "mnuVargo" : "mnuKorm")->trigger();
        auto* editor = qobject_cast<GridEditor*>(liveScreen(poultry ? "frmBasaKurwi" : "frmBasaKorm"));
        QTableView* grid = editor->grid();
        const QString stored = QString("select %1 from %2 where %3 = '%4'")
                                   .arg(editor->model()->record().fieldName(column), editor->model()->tableName(),
                                        editor->model()->record().fieldName(0), row);

        // The open cell shows the stored figure, and what is typed, with the
        // worksheet's decimal comma, whichever key is pressed.
        const QModelIndex cell = cellOf(grid, row, column);
        QString opened;
        QLineEdit* box = openCell(grid, cell, typed, &opened);
        QCOMPARE(opened, NumText::plain(cell.data().toDouble()));
        QCOMPARE(box->text(), QString(typed).replace('.', ','));
        if (leftBy == "row" || leftBy == "sheet") {
            QTest::keyClick(box, Qt::Key_Return);   // put into the model from the event loop,
            QCoreApplication::processEvents();      // which has run before a hand can click
        }
        if (leftBy == "row")
            clickRow(grid, cell.row() == 0);
        if (leftBy == "close")   // its "Закрыть" closes its window, frame and all
            press(editor, poultry ? "Command1" : "cmdExit");
        QCOMPARE(w.mdiArea()->subWindowList().size(), leftBy == "close" ? 1 : 2);
        QTest::mouseClick(wes(sheet, 0), Qt::LeftButton);
        QCOMPARE(w.mdiArea()->activeSubWindow()->widget(), sheet);
        QVERIFY2(fresh.fake.messages.isEmpty(), qPrintable(fresh.fake.messages.join('\n')));
        QCOMPARE(readBack(stored).toString(), QString(typed).replace(',', '.'));
        // The sheet holds the file's rows and every figure is computed from them.
        for (int i = 0; i < feeds.size(); ++i) {
            const double protein = readBack(kProtein.arg(feeds[i])).toDouble();
            QCOMPARE(ration().DataKorm[i][2].toDouble(), protein);
            QCOMPARE(num(textOf(sheet, QString("lbl_%1(2)").arg(i + 1))), num(wes(sheet, i)->text()) * protein / 100);
        }
        QCOMPARE(ration().NormaKur[2].toDouble(), readBack("select protein from kurwi where kategoriy_ptici = '" + kBroilers + "'").toDouble());
        // "птицы" is off while its menu item has the poultry editor open.
        QCOMPARE(menuItem("mnuVargo")->isEnabled(), !poultry || leftBy == "close");
    }

    // The feed editor from the menu. "Добавить данные" adds one row per
    // opening: an empty one is dropped however it is left, a typed one is
    // written, and the button stays off until the editor opens again. An
    // edit of one of two equal rows, loaded or added, never reaches the
    // other. Ctrl+Tab leaves the grid; a row the file refuses keeps its edits, and the main window stays open until the
    // row is put right.
    void feedEditorRoad()
    {
        FreshFrame fresh;
        MDIForm1& w = fresh.frame;
        const QString twins = "select group_concat(protein, ' ') from "
                              "(select protein from basa where basa_name_kormow = 'Кукуруза' order by rowid)";
        const QString protein = readBack(kProtein.arg("Кукуруза")).toString();
        QVERIFY(runSql("insert into basa select * from basa where basa_name_kormow = 'Кукуруза'"));
        QVERIFY(runSql("create trigger no_big before update on basa when new.ob_en > 10000 begin select raise(abort, 'слишком много'); end"));
        // A price goes with its feed renamed, one left behind for the new name does not stay.
        QVERIFY(runSql("insert into cena values ('Пшеница', 12.5), ('Пшеница мягкая', 3)"));
        const auto prices = [] { return readBack("select group_concat(basa_name_kormow || '|' || cena, ', ') from (select * from cena order by 1)").toString(); };
        GridEditor* editor = nullptr;
        QTableView* grid = nullptr;
        int rows = 0;
        auto openAndAdd = [&] {
            if (editor)
                Screens::subWindowOf(editor)->close();   // its close box
            settle();
            menuItem("mnuKorm")->trigger();
            editor = qobject_cast<GridEditor*>(liveScreen("frmBasaKorm"));
            grid = editor->grid();
            rows = grid->model()->rowCount();
            for (int click = 0; click < 2; ++click)
                QTest::mouseClick(find<QPushButton>(editor, "cmdDobawit"), Qt::LeftButton);
            QCOMPARE(grid->model()->rowCount(), rows + 1);
            QCOMPARE(grid->currentIndex().row(), rows);
        };
        for (const QString leftBy : {"another row clicked", "Esc", "another window"}) {
            openAndAdd();
            if (leftBy == "Esc")
                QTest::keyClick(grid, Qt::Key_Escape);
            else if (leftBy == "another window")
                menuItem("mnuNRaschet")->trigger();
            else
                clickRow(grid, 0);
            QVERIFY2(grid->model()->rowCount() == rows, qPrintable(leftBy));
            QVERIFY(!find<QPushButton>(editor, "cmdDobawit")->isEnabled());
        }
        openAndAdd();
        for (int c = 0; c < 11; ++c)   // a copy of corn
            typeIntoCell(grid, grid->model()->index(rows, c), cellOf(grid, "Кукуруза", c).data().toString());
        clickRow(grid, 0);
        QCOMPARE(readBack("select count(*) from basa").toInt(), rows + 1);
        for (const int row : {cellOf(grid, "Кукуруза", 0).row() + 1, rows}) {   // the loaded twin, the added copy
            for (const QString typed : {"11.5", "12.5"}) {
                typeIntoCell(grid, grid->model()->index(row, 2), typed);
                clickRow(grid, 0);
            }
        }
        QCOMPARE(readBack(twins).toString(), protein + " 12.5 12.5");
        typeIntoCell(grid, cellOf(grid, "Пшеница", 0), "Пшеница мягкая");
        clickRow(grid, 0);
        QCOMPARE(prices(), "Пшеница мягкая|12.5");
        QVERIFY2(fresh.fake.messages.isEmpty(), qPrintable(fresh.fake.messages.join('\n')));

        // Tab goes from cell to cell, Ctrl+Tab leaves the grid for the buttons.
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), grid);
        QCOMPARE(grid->currentIndex().column(), 1);
        QTest::keyClick(grid, Qt::Key_Tab, Qt::ControlModifier);
        auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
        QVERIFY(button && editor->isAncestorOf(button));
        QCOMPARE(w.mdiArea()->activeSubWindow(), Screens::subWindowOf(editor));   // not the next window

        const QString name = grid->model()->index(0, 0).data().toString();
        const QVariant before = readBack(kProtein.arg(name));
        QVERIFY(runSql("insert into cena values (?, 7.5)", {name}));
        typeIntoCell(grid, grid->model()->index(0, 0), name + " 2");   // renamed as well: nothing of it written
        typeIntoCell(grid, grid->model()->index(0, 2), "1.5");
        typeIntoCell(grid, grid->model()->index(0, 1), "20000");
        clickRow(grid, 1);
        QVERIFY2(fresh.fake.messages.size() == 1 && fresh.fake.messages.first().contains("слишком много"),
                 qPrintable(fresh.fake.messages.join('\n')));
        QTRY_COMPARE(grid->currentIndex().row(), 0);
        QVERIFY(!w.close() && w.isVisible() && editor->isVisible());
        QVERIFY(grid->model()->index(0, 2).data() == 1.5 && grid->model()->index(0, 1).data() == 20000);
        QCOMPARE(readBack(kProtein.arg(name)), before);
        QCOMPARE(prices(), name + "|7.5, Пшеница мягкая|12.5");
        typeIntoCell(grid, grid->model()->index(0, 1), "300");
        QVERIFY(w.close());
        QCOMPARE(fresh.fake.messages.size(), 2);   // one more when the frame would not close
        QCOMPARE(readBack(kProtein.arg(name + " 2")).toDouble(), 1.5);
        QCOMPARE(prices(), name + " 2|7.5, Пшеница мягкая|12.5");
    }

    // Thousands of feeds: Ctrl+End until the end stays brings every row into
    // the grid, the longest name, far down, shown whole; an edit of the last
    // row is written when the row is left, and a row added comes after it.
    void largeFeedTable()
    {
        FreshFrame fresh;
        const QString longest = "Яя партия 2999, премикс для бройлеров и родительского стада";
        QVERIFY(runSql("with recursive n(i) as (select 1 union all select i + 1 from n where i < 3000) "
                       "insert into basa select printf('Яя партия %04d', i), ob_en, protein, calciy_, pospor, natriy, "
                       "A, D, B3, granic, gruppa from basa, n where basa_name_kormow = 'Кукуруза'"));
        QVERIFY(runSql("insert into basa (basa_name_kormow) values ('" + longest + "')"));
        const int rows = readBack("select count(*) from basa").toInt();
        menuItem("mnuKorm")->trigger();
        auto* editor = qobject_cast<GridEditor*>(liveScreen("frmBasaKorm"));
        QTableView* grid = editor->grid();
        clickRow(grid, 0);
        for (int last = -1; grid->currentIndex().row() != last;) {
            last = grid->currentIndex().row();
            QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
            settle();
        }
        QCOMPARE(grid->model()->rowCount(), rows);
        const int margins = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1);
        QVERIFY(grid->fontMetrics().horizontalAdvance(longest) + margins <= grid->columnWidth(0));
        QCOMPARE(grid->currentIndex().siblingAtColumn(0).data().toString(), "Яя партия 3000");
        typeIntoCell(grid, grid->currentIndex().siblingAtColumn(2), "7.25");
        QTest::keyClick(grid, Qt::Key_Up);
        QCOMPARE(readBack(kProtein.arg("Яя партия 3000")).toDouble(), 7.25);
        QTest::mouseClick(find<QPushButton>(editor, "cmdDobawit"), Qt::LeftButton);
        QCOMPARE(grid->currentIndex().row(), rows);
        QVERIFY2(fresh.fake.messages.isEmpty(), qPrintable(fresh.fake.messages.join('\n')));
    }

    // The extra nutrients' editors from the menu. A nutrient of the user's own added to the list is
    // at once a choice of the contents editor, where a content picked and typed is written when
    // another window becomes active; a code renamed in the list and a category renamed in the
    // poultry editor take their rows along, and the worksheet reads them all.
    void extraEditorsRoad()
    {
        FreshFrame fresh;
        const auto open = [](const char* item, const char* screen) {
            menuItem(item)->trigger();
            return qobject_cast<GridEditor*>(liveScreen(QLatin1String(screen)));
        };
        GridEditor* list = open("mnuPokazatel", "frmPokazatel");
        const int added = list->grid()->model()->rowCount();
        press(list, "cmdDobawit");
        const QStringList typed{"selen", "селен", "мг/кг", "10"};
        for (int c = 0; c < typed.size(); ++c)
            typeIntoCell(list->grid(), list->grid()->model()->index(added, c), typed[c]);
        clickRow(list->grid(), 0);
        QCOMPARE(readBack("select nazvanie || edinica || poryadok from pokazatel where kod = 'selen'").toString(), "селенмг/кг10");

        GridEditor* contents = open("mnuDopKorm", "frmDopKorm");
        QTableView* grid = contents->grid();
        press(contents, "cmdDobawit");
        const int row = grid->model()->rowCount() - 1;
        typeIntoCell(grid, grid->model()->index(row, 0), "Кукуруза");
        QLineEdit* code = openCell(grid, grid->model()->index(row, 1), "селен");   // the list completes it
        QCOMPARE(code->text(), "селен, мг/кг");
        QTest::keyClick(code, Qt::Key_Return);
        typeIntoCell(grid, grid->model()->index(row, 2), "0,3");
        menuItem("mnuPokazatel")->trigger();
        QCOMPARE(readBack("select znachenie from basa_pokazatel where basa_name_kormow = 'Кукуруза' and kod = 'selen'").toDouble(), 0.3);

        typeIntoCell(list->grid(), cellOf(list->grid(), "selen", 0), "se");
        clickRow(list->grid(), 0);
        GridEditor* poultry = open("mnuVargo", "frmBasaKurwi");
        const int norms = readBack("select count(*) from kurwi_pokazatel where kategoriy_ptici = '" + kBroilers + "'").toInt();
        typeIntoCell(poultry->grid(), cellOf(poultry->grid(), kBroilers, 0), kBroilers + " 2");
        clickRow(poultry->grid(), 0);
        QVERIFY2(fresh.fake.messages.isEmpty(), qPrintable(fresh.fake.messages.join('\n')));
        openWorksheet({"Кукуруза"}, kBroilers + " 2");
        const RationExtras& dop = ration().Dop;
        QVERIFY(norms > 0 && dop.norms.size() == norms);
        const auto selen = std::ranges::find(dop.nutrients, QString("селен"), &ExtraNutrient::name);
        QVERIFY(selen != dop.nutrients.end() && selen->code == "se");
        QCOMPARE(dop.contents.at(0).value("se").value, 0.3);
    }
};

QTEST_MAIN(tst_editors)
#include "tst_editors.moc"
