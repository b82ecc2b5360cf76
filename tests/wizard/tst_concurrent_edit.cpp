// Two connections to one treba.mdb: the reference editors writing while the
// worksheet beside them reads its rows again at each activation, and another
// connection holding a write lock for a moment. Nothing typed may be lost, no
// message may be shown, and the worksheet never goes on with a value the
// database no longer holds.

#include "data/Adodc.h"
#include "data/Database.h"
#include "data/NumText.h"
#include "data/RationState.h"
#include "editors/frmBasaKorm.h"
#include "editors/frmBasaKurwi.h"
#include "shell/MDIForm1.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "shell/Screens.h"
#include "support/TestSupport.h"
#include "wizard/frmRacion.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSemaphore>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QtTest>

#include <cmath>
#include <memory>

using TestSupport::FakePlatform;
using TestSupport::TempWorkDir;

namespace {

const QString kCategory = QStringLiteral("Бройлеры: старт (1-3 нед.)");

// Ten feeds of the default data from which "Расчитать" balances the ration.
const QStringList kFeeds = {
    QStringLiteral("Кукуруза"), QStringLiteral("Пшеница"), QStringLiteral("Шрот соевый"),
    QStringLiteral("Глютен кукурузный"), QStringLiteral("Мука рыбная"), QStringLiteral("Масло подсолнечное"),
    QStringLiteral("Известняк (известняковая мука)"), QStringLiteral("Монокальцийфосфат"),
    QStringLiteral("Соль поваренная"), QStringLiteral("Премикс для бройлеров и родительского стада 1%")};

// One value of treba.mdb read through a connection of its own.
QVariant readBack(const QString& sql)
{
    Adodc fresh;
    fresh.setRecordSource(sql);
    if (!fresh.Refresh() || !fresh.recordset().hasCurrent())
        return QVariant();
    return fresh.recordset().Fields(0);
}

double feedProtein(const QString& feed)
{
    return readBack(QStringLiteral("select protein from basa where basa_name_kormow = '%1'").arg(feed)).toDouble();
}

int rowOf(GridEditor* editor, const QString& name)
{
    for (int r = 0; r < editor->model()->rowCount(); ++r)
        if (editor->model()->index(r, 0).data().toString() == name)
            return r;
    return -1;
}

// Types over a cell as the user does, commits it with Enter and leaves the
// row, which writes it.
bool typeAndWrite(GridEditor* editor, const QString& rowName, int column, const QString& text)
{
    const int row = rowOf(editor, rowName);
    if (row < 0)
        return false;
    const QModelIndex idx = editor->model()->index(row, column);
    editor->grid()->setCurrentIndex(idx);
    editor->grid()->edit(idx);
    auto* cell = qobject_cast<QLineEdit*>(editor->grid()->indexWidget(idx));
    if (!cell)
        return false;
    cell->selectAll();
    QTest::keyClicks(cell, text);
    QTest::keyClick(cell, Qt::Key_Return);
    QCoreApplication::processEvents();
    editor->grid()->setCurrentIndex(editor->model()->index(row == 0 ? 1 : 0, 0));
    QCoreApplication::processEvents();
    return editor->model()->pendingRow() < 0;
}

// Another connection, on a thread of its own, that takes a lock on the file
// with `begin`, runs `statement`, holds the lock for `holdMs` and commits.
class LockHolder {
public:
    LockHolder(const QString& path, const QString& begin, const QString& statement, int holdMs)
    {
        m_thread.reset(QThread::create([=, this] {
            const QString name = QStringLiteral("lock-holder");
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
                db.setDatabaseName(path);
                db.setConnectOptions(Database::connectOptions());
                QSqlQuery q(db);
                m_ok = db.open() && q.exec(begin) && q.exec(statement);
                if (!m_ok)
                    m_error = q.lastError().text() + db.lastError().text();
                m_locked.release();
                QThread::msleep(holdMs);
                if (m_ok && !q.exec(QStringLiteral("commit"))) {
                    m_ok = false;
                    m_error = q.lastError().text();
                }
                q.finish();
                db.close();
            }
            QSqlDatabase::removeDatabase(name);
        }));
        m_thread->start();
        m_locked.acquire();   // the lock is held from here on
    }
    ~LockHolder() { m_thread->wait(); }
    bool finish(QString* error)
    {
        m_thread->wait();
        *error = m_error;
        return m_ok;
    }

private:
    std::unique_ptr<QThread> m_thread;
    QSemaphore m_locked;
    bool m_ok = false;
    QString m_error;
};

} // namespace

class tst_concurrent_edit : public QObject {
    Q_OBJECT

    std::unique_ptr<TempWorkDir> m_dir;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<MDIForm1> m_frame;

    frmRacion* sheet() const { return frmRacion::instance(); }
    template <class T = QWidget> T* find(QWidget* w, const QString& name)
    {
        T* c = w->findChild<T*>(name);
        if (!c)
            qFatal("no control %s", qPrintable(name));
        return c;
    }
    QString caption(const QString& name) { return find<QLabel>(sheet(), name)->text(); }

    // The worksheet with the ten feeds, in the main window, and both
    // reference editors open beside it.
    void openAll(frmBasaKorm*& korm, frmBasaKurwi*& kurwi)
    {
        RationState& s = ration();
        s.sKurwi = kCategory;
        for (int i = 0; i < kFeeds.size(); ++i)
            s.sKorm[i] = kFeeds[i];
        s.iMaxKorm = std::int16_t(kFeeds.size() - 1);
        QVERIFY(Navigation::showRacion());
        Navigation::showFeedEditor();
        Navigation::showPoultryEditor();
        korm = nullptr;
        kurwi = nullptr;
        for (QMdiSubWindow* sub : m_frame->mdiArea()->subWindowList()) {
            if (auto* k = qobject_cast<frmBasaKorm*>(sub->widget()))
                korm = k;
            if (auto* k = qobject_cast<frmBasaKurwi*>(sub->widget()))
                kurwi = k;
        }
        QVERIFY(korm && kurwi);
    }

    // Types a weight into txtWes(i) key by key; each key recalculates.
    void typeWeight(int i, const QString& keys)
    {
        auto* box = find<QLineEdit>(sheet(), QStringLiteral("txtWes(%1)").arg(i));
        box->selectAll();
        QTest::keyClicks(box, keys);
    }

    // Feed i's protein contribution as shown agrees with its weight and with
    // the protein the ration state holds, and the requirement shown is the
    // one the state holds.
    void verifyShownAgreesWithState(int i)
    {
        const RationState& s = ration();
        const auto weight = NumText::toDouble(find<QLineEdit>(sheet(), QStringLiteral("txtWes(%1)").arg(i))->text());
        const auto shown = NumText::toDouble(caption(QStringLiteral("lbl_%1(2)").arg(i + 1)));
        QVERIFY(weight && shown);
        const double expected = *weight * s.DataKorm[i][2].toDouble() / 100.0;
        QVERIFY2(std::abs(*shown - expected) < 1e-4,
                 qPrintable(QStringLiteral("%1: shown %2, from the state %3").arg(kFeeds[i]).arg(*shown).arg(expected)));
        QCOMPARE(caption(QStringLiteral("lblKuri(2)")), NumText::variantText(s.NormaKur[2]));
    }

private Q_SLOTS:
    void initTestCase()
    {
        TestSupport::pinRussianLocale();
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void init()
    {
        m_dir = std::make_unique<TempWorkDir>();
        resetRation();
        menuRules().reset();
        m_platform = std::make_unique<FakePlatform>();
        m_frame = std::make_unique<MDIForm1>();
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    }
    void cleanup()
    {
        m_frame->mdiArea()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_frame.reset();
        m_platform.reset();
        m_dir.reset();
    }

    // One edit in an editor, then the worksheet made active again.
    void editReachesTheWorksheetAtItsActivation_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QString>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("check");   // statement for the value written
        QTest::addColumn<double>("expected");
        QTest::newRow("a chosen feed's protein") << "korm" << kFeeds[1] << 2 << "14.25"
                                                 << QString("select protein from basa where basa_name_kormow = 'Пшеница'")
                                                 << 14.25;
        QTest::newRow("the category's protein requirement")
            << "kurwi" << kCategory << 2 << "21.5"
            << QString("select protein from kurwi where kategoriy_ptici = '%1'").arg(kCategory) << 21.5;
        QTest::newRow("the category's daily need")
            << "kurwi" << kCategory << 9 << "123"
            << QString("select dawat_gr from kurwi where kategoriy_ptici = '%1'").arg(kCategory) << 123.0;
    }
    void editReachesTheWorksheetAtItsActivation()
    {
        QFETCH(QString, editor);
        QFETCH(QString, row);
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, check);
        QFETCH(double, expected);
        frmBasaKorm* korm = nullptr;
        frmBasaKurwi* kurwi = nullptr;
        openAll(korm, kurwi);
        Screens::activate(sheet());
        const QStringList weights = {"30", "20", "25", "5", "4", "6", "2", "1", "1", "1"};
        for (int i = 0; i < weights.size(); ++i)
            typeWeight(i, weights[i]);
        const QString sumBefore = caption(QStringLiteral("lblSum(1)"));

        GridEditor* ed = editor == "korm" ? static_cast<GridEditor*>(korm) : kurwi;
        Screens::activate(ed);
        QVERIFY(typeAndWrite(ed, row, column, typed));
        QCOMPARE(readBack(check).toDouble(), expected);

        Screens::activate(sheet());
        const RationState& s = ration();
        if (editor == "korm") {
            QCOMPARE(s.DataKorm[1][column].toDouble(), expected);
            // The row shows the new protein at once, and so do the totals.
            QCOMPARE(caption(QStringLiteral("lbl_2(2)")), QStringLiteral("2,85"));
            QVERIFY(caption(QStringLiteral("lblSum(1)")) != sumBefore);
        } else {
            QCOMPARE(s.NormaKur[column].toDouble(), expected);
            if (column == 2) {
                QCOMPARE(caption(QStringLiteral("lblKuri(2)")), QStringLiteral("21,5"));
                // The deviation is judged against the new requirement.
                const double total = NumText::toDouble(caption(QStringLiteral("lblSum(1)"))).value();
                const double shown = NumText::toDouble(caption(QStringLiteral("lblProcent(1)"))).value();
                QVERIFY2(std::abs(shown - (total - 21.5) / 21.5 * 100.0) <= 0.05 + 1e-9,
                         qPrintable(caption(QStringLiteral("lblProcent(1)"))));
            }
        }
        for (int i = 0; i < kFeeds.size(); ++i)
            verifyShownAgreesWithState(i);
        QVERIFY2(m_platform->messages.isEmpty(), qPrintable(m_platform->messages.join('\n')));
    }

    // Many writes from both editors between reloads, keystrokes and clicks
    // of "Расчитать" on the worksheet.
    void interleavedWritesAndReloads()
    {
        frmBasaKorm* korm = nullptr;
        frmBasaKurwi* kurwi = nullptr;
        openAll(korm, kurwi);
        QVector<double> protein(kFeeds.size());
        for (int i = 0; i < kFeeds.size(); ++i)
            protein[i] = feedProtein(kFeeds[i]);
        const QVector<double> original = protein;
        double daily = 0;

        auto* cmdS = find<QPushButton>(sheet(), QStringLiteral("cmdS"));
        find<QComboBox>(sheet(), QStringLiteral("Combo1"))->setEditText(QStringLiteral("30"));
        constexpr int kRounds = 200;
        for (int r = 0; r < kRounds; ++r) {
            // A feed's protein a little above its own, two places.
            const int k = r % kFeeds.size();
            protein[k] = std::round((original[k] + (r % 7) * 0.05) * 100.0) / 100.0;
            Screens::activate(korm);
            QVERIFY2(typeAndWrite(korm, kFeeds[k], 2, QString::number(protein[k], 'f', 2)),
                     qPrintable(QStringLiteral("round %1: %2").arg(r).arg(m_platform->messages.join('\n'))));
            if (r % 3 == 0) {
                daily = 100 + r;
                Screens::activate(kurwi);
                QVERIFY2(typeAndWrite(kurwi, kCategory, 9, QString::number(daily)),
                         qPrintable(QStringLiteral("round %1").arg(r)));
            }

            Screens::activate(sheet());
            const RationState& s = ration();
            QCOMPARE(s.DataKorm[k][2].toDouble(), protein[k]);
            if (daily > 0)
                QCOMPARE(s.NormaKur[9].toDouble(), daily);
            if (r % 25 == 24) {
                cmdS->click();
                QCOMPARE(caption(QStringLiteral("lblSumWes")), QStringLiteral("100"));
            } else {
                typeWeight(k, QString::number(5 + r % 20));
            }
            verifyShownAgreesWithState(k);
            QVERIFY2(m_platform->messages.isEmpty(),
                     qPrintable(QStringLiteral("round %1: %2").arg(r).arg(m_platform->messages.join('\n'))));
        }

        // Every last edit is in the file, read through a connection of its own.
        for (int i = 0; i < kFeeds.size(); ++i)
            QCOMPARE(feedProtein(kFeeds[i]), protein[i]);
        QCOMPARE(readBack(QStringLiteral("select dawat_gr from kurwi where kategoriy_ptici = '%1'").arg(kCategory))
                     .toDouble(),
                 daily);
    }

    // A table longer than one fetch of the grid's model: once the feed editor
    // has written a row and read its table again, no statement of its own
    // may stay open on the file, or every other connection's write would be
    // refused after the busy timeout.
    void editorOnALongTableLeavesTheFileFreeForOthers()
    {
        {
            Adodc a;
            QSqlQuery q(a.database());
            QVERIFY2(q.exec(QStringLiteral(
                         "with recursive n(i) as (select 1 union all select i + 1 from n where i < 2000) "
                         "insert into basa select printf('Я корм %04d', i), 250, 10, 0.1, 0.3, 0.02, 0, 0, 0.1, "
                         "30, 'Зерновые' from n")),
                     qPrintable(q.lastError().text()));
        }
        frmBasaKorm* korm = nullptr;
        frmBasaKurwi* kurwi = nullptr;
        openAll(korm, kurwi);
        Screens::activate(korm);
        QVERIFY(typeAndWrite(korm, kFeeds[0], 2, QStringLiteral("9.5")));
        QVERIFY(typeAndWrite(korm, kFeeds[1], 2, QStringLiteral("12.5")));

        QElapsedTimer timer;
        timer.start();
        Screens::activate(kurwi);
        QVERIFY(typeAndWrite(kurwi, kCategory, 9, QStringLiteral("321")));
        {
            Adodc other;
            QSqlQuery q(other.database());
            QVERIFY2(q.exec(QStringLiteral("update granica set procent = procent")), qPrintable(q.lastError().text()));
        }
        QVERIFY2(timer.elapsed() < Database::kBusyTimeoutMs / 2, qPrintable(QString::number(timer.elapsed())));
        QVERIFY2(m_platform->messages.isEmpty(), qPrintable(m_platform->messages.join('\n')));
        QCOMPARE(feedProtein(kFeeds[0]), 9.5);
        QCOMPARE(feedProtein(kFeeds[1]), 12.5);
        QCOMPARE(readBack(QStringLiteral("select dawat_gr from kurwi where kategoriy_ptici = '%1'").arg(kCategory))
                     .toDouble(),
                 321.0);
    }

    // Another connection holding a lock for less than the busy timeout: the
    // program waits for it and goes on; nothing is refused.
    void lockHeldByAnotherConnectionIsWaitedOut_data()
    {
        QTest::addColumn<QString>("begin");
        QTest::addColumn<bool>("editorWrites");   // else the worksheet reloads
        QTest::newRow("editor writes while another connection is writing")
            << "begin immediate" << true;
        QTest::newRow("worksheet reloads while another connection commits")
            << "begin exclusive" << false;
    }
    void lockHeldByAnotherConnectionIsWaitedOut()
    {
        QFETCH(QString, begin);
        QFETCH(bool, editorWrites);
        frmBasaKorm* korm = nullptr;
        frmBasaKurwi* kurwi = nullptr;
        openAll(korm, kurwi);
        Screens::activate(korm);
        constexpr int kHoldMs = 400;
        static_assert(kHoldMs < Database::kBusyTimeoutMs);

        // The other connection changes the premix's protein; the editor, the
        // maize's.
        QElapsedTimer timer;
        timer.start();
        LockHolder other(Database::path(), begin,
                         QStringLiteral("update basa set protein = 7.5 where basa_name_kormow = '%1'").arg(kFeeds[9]),
                         kHoldMs);
        if (editorWrites) {
            QVERIFY(typeAndWrite(korm, kFeeds[0], 2, QStringLiteral("9.25")));
        } else {
            Screens::activate(sheet());
            QCOMPARE(ration().DataKorm[9][2].toDouble(), 7.5);
        }
        const qint64 waited = timer.elapsed();
        QString error;
        QVERIFY2(other.finish(&error), qPrintable(error));
        QVERIFY2(m_platform->messages.isEmpty(), qPrintable(m_platform->messages.join('\n')));
        QVERIFY2(waited >= kHoldMs / 2 && waited < Database::kBusyTimeoutMs, qPrintable(QString::number(waited)));

        QCOMPARE(feedProtein(kFeeds[9]), 7.5);
        if (editorWrites) {
            QCOMPARE(feedProtein(kFeeds[0]), 9.25);
            Screens::activate(sheet());
            QCOMPARE(ration().DataKorm[0][2].toDouble(), 9.25);
            QCOMPARE(ration().DataKorm[9][2].toDouble(), 7.5);
        }
    }
};

QTEST_MAIN(tst_concurrent_edit)
#include "tst_concurrent_edit.moc"
