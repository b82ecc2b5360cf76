#include "data/Adodc.h"
#include "editors/frmBasaKorm.h"
#include "editors/frmBasaKurwi.h"
#include "editors/frmGruppa.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>
#include <QtTest>

#define SQL_VERIFY(q, ok) QVERIFY2(ok, qPrintable((q).lastError().text()))

using TestSupport::FakePlatform;
using TestSupport::TempWorkDir;

namespace {

// One value of treba.mdb read through a connection of its own.
QVariant readBack(const QString& sql)
{
    Adodc fresh;
    fresh.setRecordSource(sql);
    if (!fresh.Refresh() || !fresh.recordset().hasCurrent())
        return QVariant();
    return fresh.recordset().Fields(0);
}

int rowCountOf(const QString& table)
{
    return readBack(QStringLiteral("select count(*) from ") + table).toInt();
}

QLineEdit* openCell(GridEditor* editor, int row, int column)
{
    const QModelIndex idx = editor->model()->index(row, column);
    editor->grid()->setCurrentIndex(idx);
    editor->grid()->edit(idx);
    return qobject_cast<QLineEdit*>(editor->grid()->indexWidget(idx));
}

// Types over a cell as the user does and commits it with Enter.
void typeInto(GridEditor* editor, int row, int column, const QString& text)
{
    QLineEdit* cell = openCell(editor, row, column);
    QVERIFY(cell);
    cell->selectAll();
    bool ascii = true;
    for (const QChar c : text)
        ascii = ascii && c.unicode() < 128 && c.isPrint();
    if (text.isEmpty())
        QTest::keyClick(cell, Qt::Key_Delete);
    else if (ascii)
        QTest::keyClicks(cell, text);
    else
        cell->insert(text);   // the test keyboard knows only ASCII
    QTest::keyClick(cell, Qt::Key_Return);
    QCoreApplication::processEvents();   // the grid commits an Enter a moment later
}

void leaveRow(GridEditor* editor, int toRow)
{
    editor->grid()->setCurrentIndex(editor->model()->index(toRow, 0));
    QCoreApplication::processEvents();
}

template <typename T>
T* shown(T* w)
{
    w->show();
    if (!QTest::qWaitForWindowExposed(w))
        qWarning("window not exposed");
    return w;
}

} // namespace

class tst_editors : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        TestSupport::pinRussianLocale();
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void init() { menuRules().reset(); }

    void opensInOrderOfItsRecordSource_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QStringList>("firstLabels");
        QTest::newRow("feeds by name") << "korm" << "База данных по кормам"
                                       << "Select * from basa order by basa_name_kormow"
                                       << QStringList{"Наименование корма", "о/э ккал", "сП гр"};
        QTest::newRow("poultry by name") << "kurwi" << "База данных по птице"
                                         << "Select * from kurwi order by kategoriy_ptici"
                                         << QStringList{"Категория птицы", "о/э ккал", "сП гр"};
        QTest::newRow("groups in table order") << "gruppa" << "Групповые ограничения" << "granica"
                                               << QStringList{"Наименование группы", "Ограничение в %"};
    }
    void opensInOrderOfItsRecordSource()
    {
        QFETCH(QString, kind);
        QFETCH(QString, title);
        QFETCH(QString, statement);
        QFETCH(QStringList, firstLabels);
        TempWorkDir dir;
        std::unique_ptr<GridEditor> editor;
        if (kind == "korm")
            editor.reset(new frmBasaKorm);
        else if (kind == "kurwi")
            editor.reset(new frmBasaKurwi);
        else
            editor.reset(new frmGruppa);
        QVERIFY2(editor->isReady(), qPrintable(editor->errorText()));
        QCOMPARE(editor->windowTitle(), title);
        QVERIFY(editor->findChild<DataGrid*>("DataGrid1"));
        for (int c = 0; c < firstLabels.size(); ++c)
            QCOMPARE(editor->findChild<QLabel*>(QStringLiteral("lblColumn(%1)").arg(c))->text(),
                     firstLabels.at(c));
        if (kind != "gruppa")
            QCOMPARE(editor->findChild<QLabel*>("lblHeading")->text(),
                     QStringLiteral("Содержание в 100 граммах корма"));

        Adodc a;
        a.setRecordSource(statement);
        QVERIFY(a.Refresh());
        QCOMPARE(editor->model()->rowCount(), a.recordset().RecordCount());
        QCOMPARE(editor->model()->columnCount(), a.recordset().FieldCount());
        for (int r = 0; r < a.recordset().RecordCount(); ++r, a.recordset().MoveNext())
            QCOMPARE(editor->model()->index(r, 0).data().toString(), a.recordset().Fields(0).toString());
    }

    void addButtonAddsOneRowOnce()
    {
        TempWorkDir dir;
        FakePlatform fake;
        auto* editor = shown(new frmBasaKorm);
        auto* add = editor->findChild<QPushButton*>("cmdDobawit");
        const int before = editor->model()->rowCount();
        QTest::mouseClick(add, Qt::LeftButton);
        QCOMPARE(editor->model()->rowCount(), before + 1);
        QVERIFY(!add->isEnabled());
        QTest::mouseClick(add, Qt::LeftButton);
        QCOMPARE(editor->model()->rowCount(), before + 1);
        QCOMPARE(editor->grid()->currentIndex().row(), before);

        // Typed in full and left, the new row is in the table.
        const QStringList values{"Тестовый корм", "300", "10.5", "0.1", "0.2", "0.05", "0", "0",
                                 "0.1", "20", "Зерновые"};
        for (int c = 0; c < values.size(); ++c)
            typeInto(editor, before, c, values.at(c));
        leaveRow(editor, 0);
        QVERIFY2(fake.messages.isEmpty(), qPrintable(fake.messages.join('\n')));
        QCOMPARE(readBack("select protein from basa where basa_name_kormow = 'Тестовый корм'").toDouble(), 10.5);
        QCOMPARE(rowCountOf("basa"), before + 1);
        QVERIFY(!add->isEnabled());
        QVERIFY(editor->close());
        QCoreApplication::processEvents();
    }

    void untouchedNewRowIsDroppedAndMayBeAddedAgain()
    {
        TempWorkDir dir;
        FakePlatform fake;
        auto* editor = shown(new frmBasaKurwi);
        auto* add = editor->findChild<QPushButton*>("cmdDobawit");
        const int before = editor->model()->rowCount();
        QTest::mouseClick(add, Qt::LeftButton);
        leaveRow(editor, 0);
        QCOMPARE(editor->model()->rowCount(), before);
        QVERIFY(add->isEnabled());
        QVERIFY(fake.messages.isEmpty());
        QCOMPARE(rowCountOf("kurwi"), before);
        editor->close();
    }

    void editedRowWrittenWhenLeft_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("check");   // %1 = the row's name
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("feed protein") << "korm" << 2 << "9.75"
                                      << "select protein from basa where basa_name_kormow = '%1'"
                                      << QVariant(9.75);
        QTest::newRow("feed group") << "korm" << 10 << "Прочие"
                                    << "select gruppa from basa where basa_name_kormow = '%1'"
                                    << QVariant("Прочие");
        QTest::newRow("daily need emptied") << "kurwi" << 9 << ""
                                            << "select dawat_gr from kurwi where kategoriy_ptici = '%1'"
                                            << QVariant();
        QTest::newRow("daily need") << "kurwi" << 9 << "123.5"
                                    << "select dawat_gr from kurwi where kategoriy_ptici = '%1'"
                                    << QVariant(123.5);
        QTest::newRow("group limit") << "gruppa" << 1 << "33"
                                     << "select procent from granica where gruppa = '%1'" << QVariant(33.0);
    }
    void editedRowWrittenWhenLeft()
    {
        QFETCH(QString, kind);
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, check);
        QFETCH(QVariant, expected);
        TempWorkDir dir;
        FakePlatform fake;
        GridEditor* editor = kind == "korm" ? static_cast<GridEditor*>(new frmBasaKorm)
            : kind == "kurwi"               ? static_cast<GridEditor*>(new frmBasaKurwi)
                                            : static_cast<GridEditor*>(new frmGruppa);
        shown(editor);
        const QString name = editor->model()->index(1, 0).data().toString();
        typeInto(editor, 1, column, typed);
        // Not yet written while the row is current.
        QVERIFY(readBack(check.arg(name)) != expected || !expected.isValid());
        leaveRow(editor, 0);
        QVERIFY2(fake.messages.isEmpty(), qPrintable(fake.messages.join('\n')));
        const QVariant got = readBack(check.arg(name));
        QCOMPARE(got.isNull(), expected.isNull());
        if (!expected.isNull())
            QCOMPARE(got.toString(), expected.toString());
        // The row keeps its place until the editor is opened again.
        QCOMPARE(editor->model()->index(1, 0).data().toString(), name);
        editor->close();
    }

    void badInputRefusedNothingLost_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("messagePart");
        QTest::newRow("text in a number column") << 3 << "много" << "должно быть число";
        QTest::newRow("number with a thousands blank") << 3 << "1 000" << "должно быть число";
        QTest::newRow("negative number") << 3 << "-1" << "отрицательного";
        QTest::newRow("required number emptied") << 3 << "" << "не может быть пустой";
        QTest::newRow("empty name") << 0 << "" << "не может быть пустой";
        QTest::newRow("blank name") << 0 << "   " << "не может быть пустой";
        QTest::newRow("name with a double quote") << 0 << "Жмых \"новый\"" << "двойной кавычки";
        QTest::newRow("group with a double quote") << 10 << "Зерно\"вые" << "двойной кавычки";
    }
    void badInputRefusedNothingLost()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, messagePart);
        TempWorkDir dir;
        FakePlatform fake;
        auto* editor = shown(new frmBasaKorm);
        const QString name = editor->model()->index(2, 0).data().toString();
        const QVariant before = editor->model()->index(2, column).data();
        typeInto(editor, 2, 2, "7.25");   // a sound edit of the same row first
        typeInto(editor, 2, column, typed);
        QCOMPARE(fake.messages.size(), 1);
        QVERIFY2(fake.messages.first().contains(messagePart), qPrintable(fake.messages.first()));
        QCOMPARE(editor->model()->index(2, column).data(), before);
        QCOMPARE(editor->model()->index(2, 2).data().toDouble(), 7.25);
        leaveRow(editor, 0);
        QCOMPARE(fake.messages.size(), 1);
        QCOMPARE(readBack(QStringLiteral("select protein from basa where basa_name_kormow = '%1'").arg(name))
                     .toDouble(), 7.25);
        editor->close();
    }

    void lineBreakInNameRefused()
    {
        TempWorkDir dir;
        FakePlatform fake;
        std::unique_ptr<frmBasaKurwi> editor(new frmBasaKurwi);
        const QModelIndex idx = editor->model()->index(0, 0);
        const QString before = idx.data().toString();
        QVERIFY(!editor->model()->setData(idx, QStringLiteral("Куры\nнесушки")));
        QVERIFY(!editor->model()->setData(idx, QStringLiteral("Куры\tнесушки")));
        QCOMPARE(fake.messages.size(), 2);
        QVERIFY(fake.messages.first().contains("перевода строки"));
        QCOMPARE(idx.data().toString(), before);
        QCOMPARE(editor->model()->pendingRow(), -1);
    }

    void halfFilledNewRowKeepsTheUserInIt()
    {
        TempWorkDir dir;
        FakePlatform fake;
        auto* editor = shown(new frmBasaKorm);
        const int before = editor->model()->rowCount();
        QTest::mouseClick(editor->findChild<QPushButton*>("cmdDobawit"), Qt::LeftButton);
        typeInto(editor, before, 1, "250");   // no name yet
        leaveRow(editor, 0);
        QTRY_COMPARE(editor->grid()->currentIndex().row(), before);
        QCOMPARE(fake.messages.size(), 1);
        QVERIFY(fake.messages.first().contains("Наименование корма"));
        QCOMPARE(rowCountOf("basa"), before);
        QCOMPARE(editor->model()->index(before, 1).data().toDouble(), 250.0);

        // Closing is refused too, the typed value stays.
        QVERIFY(!editor->close());
        QVERIFY(editor->isVisible());
        QCOMPARE(fake.messages.size(), 2);
        QCOMPARE(editor->model()->index(before, 1).data().toDouble(), 250.0);

        // Esc drops the row; the window may close now, nothing was written.
        editor->grid()->setFocus();
        QTest::keyClick(editor->grid(), Qt::Key_Escape);
        QCOMPARE(editor->model()->rowCount(), before);
        QVERIFY(editor->close());
        QCOMPARE(rowCountOf("basa"), before);
    }

    void closingWritesTheRowBeingEdited()
    {
        TempWorkDir dir;
        FakePlatform fake;
        auto* editor = shown(new frmBasaKurwi);
        const QString name = editor->model()->index(0, 0).data().toString();
        // The cell is still open when the window closes.
        QLineEdit* cell = openCell(editor, 0, 9);
        QVERIFY(cell);
        cell->selectAll();
        QTest::keyClicks(cell, "555");
        QVERIFY(editor->close());
        QVERIFY(fake.messages.isEmpty());
        QCOMPARE(readBack(QStringLiteral("select dawat_gr from kurwi where kategoriy_ptici = '%1'").arg(name))
                     .toDouble(), 555.0);
    }

    void rowTheDatabaseRejectsKeepsItsEdits()
    {
        TempWorkDir dir;
        FakePlatform fake;
        {
            Adodc a;
            QSqlQuery q(a.database());
            SQL_VERIFY(q, q.exec("create trigger no_big before update on basa when new.ob_en > 10000 "
                                 "begin select raise(abort, 'слишком много'); end"));
        }
        auto* editor = shown(new frmBasaKorm);
        const QString name = editor->model()->index(0, 0).data().toString();
        const double oldProtein = editor->model()->index(0, 2).data().toDouble();
        typeInto(editor, 0, 2, "1.5");
        typeInto(editor, 0, 1, "20000");
        leaveRow(editor, 1);
        QCOMPARE(fake.messages.size(), 1);
        QVERIFY2(fake.messages.first().contains("слишком много"), qPrintable(fake.messages.first()));
        QTRY_COMPARE(editor->grid()->currentIndex().row(), 0);
        QCOMPARE(editor->model()->index(0, 2).data().toDouble(), 1.5);
        QCOMPARE(editor->model()->index(0, 1).data().toDouble(), 20000.0);
        const QString protein = QStringLiteral("select protein from basa where basa_name_kormow = '%1'").arg(name);
        QCOMPARE(readBack(protein).toDouble(), oldProtein);

        typeInto(editor, 0, 1, "300");
        leaveRow(editor, 1);
        QCOMPARE(fake.messages.size(), 1);
        QCOMPARE(readBack(protein).toDouble(), 1.5);
        editor->close();
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
        TempWorkDir dir;
        FakePlatform fake;
        std::unique_ptr<frmBasaKorm> editor(shown(new frmBasaKorm));
        const QModelIndex idx = editor->model()->index(0, column);
        QLineEdit* cell = nullptr;
        if (startFromGrid) {
            editor->grid()->setCurrentIndex(idx);
            editor->grid()->setFocus();
            QTest::keyClick(editor->grid(), ',');
            cell = qobject_cast<QLineEdit*>(editor->grid()->indexWidget(idx));
            QVERIFY(cell);
            QTest::keyClick(cell, '5');
        } else {
            cell = openCell(editor.get(), 0, column);
            QVERIFY(cell);
            cell->clear();
            QTest::keyClicks(cell, "1,5");
        }
        QCOMPARE(cell->text(), expected);
    }

    void groupEditorBlocksTheFeedEditor()
    {
        TempWorkDir dir;
        FakePlatform fake;
        auto* editor = shown(new frmBasaKorm);
        auto* add = editor->findChild<QPushButton*>("cmdDobawit");
        const int rows = editor->model()->rowCount();
        bool sawModal = false;
        QTimer::singleShot(0, this, [&] {
            auto* box = editor->findChild<frmGruppa*>();
            if (!box)
                return;
            sawModal = QApplication::activeModalWidget() == box;
            // A click on the feed editor, as the window system delivers it, is blocked.
            QWindow* frame = add->window()->windowHandle();
            QTest::mouseClick(frame, Qt::LeftButton, {}, add->mapTo(add->window(), add->rect().center()));
            QTest::mouseClick(box->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        });
        QTest::mouseClick(editor->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QVERIFY(sawModal);
        QCOMPARE(editor->model()->rowCount(), rows);
        QVERIFY(add->isEnabled());
        QVERIFY(!editor->findChild<frmGruppa*>());
        editor->close();
    }

    void anotherConnectionSeesWritesAndIsNotLockedOut()
    {
        TempWorkDir dir;
        FakePlatform fake;
        auto* editor = shown(new frmBasaKorm);
        const QString name = editor->model()->index(0, 0).data().toString();
        // While the grid is open, another connection writes at once.
        {
            Adodc other;
            QSqlQuery q(other.database());
            QElapsedTimer t;
            t.start();
            SQL_VERIFY(q, q.exec("update granica set procent = 70 where gruppa = 'Зерновые'"));
            QVERIFY(t.elapsed() < 1000);
        }
        Adodc wizard;   // kept open beside the editor, as a screen's would be
        wizard.setRecordSource(QStringLiteral("Select *  From basa  Where basa_name_kormow  =  '%1'").arg(name));
        QVERIFY(wizard.Refresh());
        typeInto(editor, 0, 3, "2.5");
        leaveRow(editor, 1);
        QVERIFY(fake.messages.isEmpty());
        QVERIFY(wizard.Refresh());
        QCOMPARE(wizard.recordset().Fields(3).toDouble(), 2.5);
        editor->close();
    }

    void menuItemOffWhileItsEditorIsOpen_data()
    {
        QTest::addColumn<bool>("feed");
        QTest::newRow("кормов") << true;
        QTest::newRow("птицы") << false;
    }
    void menuItemOffWhileItsEditorIsOpen()
    {
        QFETCH(bool, feed);
        TempWorkDir dir;
        FakePlatform fake;
        const MenuItem item = feed ? MenuItem::Korm : MenuItem::Vargo;
        const char* name = feed ? "frmBasaKorm" : "frmBasaKurwi";
        const auto open = [&] { feed ? Navigation::showFeedEditor() : Navigation::showPoultryEditor(); };
        const auto openOnes = [&] {
            QSet<QWidget*> found;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == QLatin1String(name) && w->isVisible())
                    found.insert(w);
            return found;
        };
        const QSet<QWidget*> before = openOnes();
        open();
        QVERIFY(!menuRules().isEnabled(item));
        open();   // the open one comes forward, no second
        const QSet<QWidget*> added = openOnes() - before;
        QCOMPARE(added.size(), 1);
        QWidget* editor = *added.begin();
        QVERIFY(editor->close());
        QVERIFY(menuRules().isEnabled(item));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void missingDatabaseGivesAMessage()
    {
        TempWorkDir dir(false);
        FakePlatform fake;
        Navigation::showFeedEditor();
        QCOMPARE(fake.messages.size(), 1);
        QVERIFY(fake.messages.first().contains("treba.mdb"));
        QVERIFY(menuRules().isEnabled(MenuItem::Korm));
    }

    void render()
    {
        const QString out = qEnvironmentVariable("RACION_RENDER_DIR");
        if (out.isEmpty())
            QSKIP("set RACION_RENDER_DIR to render the editors");
        TempWorkDir dir;
        for (GridEditor* e : {static_cast<GridEditor*>(new frmBasaKorm), static_cast<GridEditor*>(new frmBasaKurwi),
                              static_cast<GridEditor*>(new frmGruppa)}) {
            e->resize(e->sizeHint());
            shown(e);
            QTest::qWait(50);
            e->grab().save(out + "/" + e->objectName() + ".png");
            e->close();
        }
    }
};

QTEST_MAIN(tst_editors)
#include "tst_editors.moc"
