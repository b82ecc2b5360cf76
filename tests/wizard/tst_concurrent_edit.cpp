// Two connections to one treba.mdb: the reference editors writing while the
// worksheet beside them reads its rows again at each activation, and another
// connection holding a write lock for a moment. Nothing typed may be lost, no
// message may be shown, and the worksheet never goes on with a value the
// database no longer holds.

#include "data/Adodc.h"
#include "data/Database.h"
#include "data/NumText.h"
#include "data/RationState.h"
#include "editors/GridEditor.h"
#include "shell/MDIForm1.h"
#include "shell/Navigation.h"
#include "shell/Screens.h"
#include "support/UiSupport.h"

#include <QSemaphore>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <cmath>
#include <thread>

using namespace UiSupport;

namespace {

// Ten feeds of the default data from which "Расчитать" balances the ration.
const QStringList kFeeds = {"Кукуруза", "Пшеница", "Шрот соевый", "Глютен кукурузный", "Мука рыбная",
                            "Масло подсолнечное", "Известняк (известняковая мука)", "Монокальцийфосфат",
                            "Соль поваренная", "Премикс для бройлеров и родительского стада 1%"};
const QString kProtein = "select protein from basa where basa_name_kormow = '%1'";
const QString kNeed = QString("select protein from kurwi where kategoriy_ptici = '%1'").arg(kBroilers);
const QString kDaily = QString("select dawat_gr from kurwi where kategoriy_ptici = '%1'").arg(kBroilers);

// One value of treba.mdb read through a connection of its own.
double readBack(const QString& sql)
{
    Adodc fresh;
    fresh.setRecordSource(sql);
    return fresh.Refresh() && fresh.recordset().hasCurrent() ? fresh.recordset().Fields(0).toDouble() : -1;
}
double num(const QString& text) { return NumText::toDouble(text).value_or(-1); }

// Types over a cell of the named row as the user does, commits it with Enter
// and leaves the row, which writes it.
bool typeAndWrite(const QString& editorName, const QString& rowName, int column, const QString& text)
{
    auto* editor = qobject_cast<GridEditor*>(liveScreen(editorName));
    Screens::activate(editor);
    auto* model = editor->model();
    const auto hit = model->match(model->index(0, 0), Qt::DisplayRole, rowName, 1, Qt::MatchExactly);
    const QModelIndex idx = hit.value(0).siblingAtColumn(column);
    editor->grid()->setCurrentIndex(idx);
    editor->grid()->edit(idx);
    auto* cell = qobject_cast<QLineEdit*>(editor->grid()->indexWidget(idx));
    if (!cell)
        return false;
    cell->selectAll();
    QTest::keyClicks(cell, text);
    QTest::keyClick(cell, Qt::Key_Return);
    QCoreApplication::processEvents();
    editor->grid()->setCurrentIndex(model->index(idx.row() == 0 ? 1 : 0, 0));
    QCoreApplication::processEvents();
    return model->pendingRow() < 0;
}

// Where the worksheet's protein figures disagree with its weights and with
// the rows the ration state holds (each feed's share, the total, the
// requirement and the deviation from it); empty when they agree.
QString disagreement(const QWidget* sheet)
{
    const RationState& s = ration();
    double total = 0;
    for (int i = 0; i < kFeeds.size(); ++i) {
        const double shown = num(textOf(sheet, QStringLiteral("lbl_%1(2)").arg(i + 1)));
        if (std::abs(shown - num(wes(sheet, i)->text()) * s.DataKorm[i][2].toDouble() / 100.0) > 1e-4)
            return kFeeds[i];
        total += shown;
    }
    const double sum = num(textOf(sheet, "lblSum(1)")), norm = s.NormaKur[2].toDouble();
    if (std::abs(sum - total) > 1e-3 || textOf(sheet, "lblKuri(2)") != NumText::variantText(s.NormaKur[2])
        || std::abs(num(textOf(sheet, "lblProcent(1)")) - (sum - norm) / norm * 100.0) > 0.05 + 1e-9)
        return QStringLiteral("totals");
    return QString();
}

// The main window with the worksheet on the ten feeds and both editors
// beside it. Going, it closes them as the user would.
struct Scene {
    Fresh fresh;
    MDIForm1 frame;
    QWidget* sheet = nullptr;
    Scene()
    {
        frame.show();
        sheet = openWorksheet(kFeeds);
        Navigation::showFeedEditor();
        Navigation::showPoultryEditor();
    }
    ~Scene() { frame.close(); settle(); }
    QString messages() const { return fresh.fake.messages.join('\n'); }
};

} // namespace

class tst_concurrent_edit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { startUi(); }

    // Writes from both editors between the worksheet's activations. The
    // first activation after an edit shows the new figures (the rows are
    // computed again, not only read), and so do the keystrokes and the
    // clicks of "Расчитать" after it; every last edit is in the file.
    void editsReachTheWorksheetAtEachActivation()
    {
        Scene scene;
        const QStringList weights = {"30", "20", "25", "5", "4", "6", "2", "1", "1", "1"};
        QVector<double> protein(kFeeds.size());
        for (int i = 0; i < kFeeds.size(); ++i) {
            typeOver(wes(scene.sheet, i), weights[i]);
            protein[i] = readBack(kProtein.arg(kFeeds[i]));
        }
        double need = readBack(kNeed), daily = 0;
        for (int r = 0; r < 50; ++r) {
            const int k = r % kFeeds.size();
            protein[k] = std::round((protein[k] + 0.05) * 100.0) / 100.0;
            QVERIFY(typeAndWrite("frmBasaKorm", kFeeds[k], 2, QString::number(protein[k], 'f', 2)));
            if (r % 3 == 0)
                QVERIFY(typeAndWrite("frmBasaKurwi", kBroilers, 9, QString::number(daily = 100 + r)));
            if (r % 3 == 1)
                QVERIFY(typeAndWrite("frmBasaKurwi", kBroilers, 2, QString::number(need = 21 + r % 4 * 0.25)));

            Screens::activate(scene.sheet);
            QCOMPARE(ration().DataKorm[k][2].toDouble(), protein[k]);
            QCOMPARE(ration().NormaKur[2].toDouble(), need);
            QCOMPARE(ration().NormaKur[9].toDouble(), daily);
            QVERIFY2(disagreement(scene.sheet).isEmpty(), qPrintable(disagreement(scene.sheet)));
            if (r % 10 == 9)
                find<QPushButton>(scene.sheet, "cmdS")->click();
            else
                typeOver(wes(scene.sheet, k), QString::number(5 + r % 20));
            QVERIFY2(disagreement(scene.sheet).isEmpty(), qPrintable(disagreement(scene.sheet)));
            QVERIFY2(scene.messages().isEmpty(), qPrintable(QString("round %1: ").arg(r) + scene.messages()));
        }
        for (int i = 0; i < kFeeds.size(); ++i)
            QCOMPARE(readBack(kProtein.arg(kFeeds[i])), protein[i]);
        QCOMPARE(readBack(kNeed), need);
        QCOMPARE(readBack(kDaily), daily);
    }

    // Another connection holding a lock for well under the busy timeout: the
    // program waits for it and goes on; nothing is refused or lost.
    void lockHeldByAnotherConnectionIsWaitedOut_data()
    {
        QTest::addColumn<QString>("begin");
        QTest::addColumn<bool>("editorWrites");   // else the worksheet reloads
        QTest::newRow("editor writes while another connection is writing") << "begin immediate" << true;
        QTest::newRow("worksheet reloads while another connection commits") << "begin exclusive" << false;
    }
    void lockHeldByAnotherConnectionIsWaitedOut()
    {
        QFETCH(QString, begin);
        QFETCH(bool, editorWrites);
        Scene scene;
        // The other connection, on a thread of its own, changes the premix's
        // protein and holds its lock a while before it commits.
        QSemaphore locked;
        QString error;
        std::thread other([&] {
            Adodc own;
            QSqlQuery q(own.database());
            const bool ok = q.exec(begin)
                && q.exec(QString("update basa set protein = 7.5 where basa_name_kormow = '%1'").arg(kFeeds[9]));
            locked.release();
            QThread::msleep(Database::kBusyTimeoutMs / 8);
            if (!ok || !q.exec("commit"))
                error = q.lastError().text() + " ";
        });
        locked.acquire();
        const bool written = !editorWrites || typeAndWrite("frmBasaKorm", kFeeds[1], 2, "13.75");
        Screens::activate(scene.sheet);
        other.join();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(written);
        QVERIFY2(scene.messages().isEmpty(), qPrintable(scene.messages()));
        QCOMPARE(ration().DataKorm[9][2].toDouble(), 7.5);
        if (editorWrites)
            QCOMPARE(readBack(kProtein.arg(kFeeds[1])), 13.75);
    }
};

QTEST_MAIN(tst_concurrent_edit)
#include "tst_concurrent_edit.moc"
