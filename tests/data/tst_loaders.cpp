#include "data/Adodc.h"
#include "data/RationState.h"
#include "data/Statements.h"
#include "data/mdlAddItem.h"
#include "support/TestSupport.h"

#include <QListWidget>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

namespace {

struct Captions : mdlAddItem::RequirementCaptions {
    QStringList texts = QStringList(9, QStringLiteral("<unset>"));
    void setKuriCaption(int k, const QString& text) override { texts[k] = text; }
};

// Runs one statement with bound values on the control's own connection.
bool run(Adodc& a, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery q(a.database());
    q.prepare(sql);
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec())
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    return q.isActive();
}

// Fills the list from a statement as the selection screens do.
mdlAddItem::Result fill(Adodc& a, QListWidget& list, const QString& sql)
{
    a.setRecordSource(sql);
    return a.Refresh() ? mdlAddItem::ZapolnitSpisok(a, list) : mdlAddItem::Result{};
}

} // namespace

// The shared reading of the wizard: statement texts, lookups by name, the
// list fill, and what each does with rows that are missing or odd.
class tst_loaders : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { TestSupport::pinRussianLocale(); }
    void init() { resetRation(); }

    void statementTexts_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("expected");
        QTest::newRow("feed: two blanks around From, Where and =") << Statements::korm(QStringLiteral("Кукуруза"))
            << "Select *  From basa  Where basa_name_kormow  =  'Кукуруза'";
        QTest::newRow("category") << Statements::kurwi(QStringLiteral("Перепела-несушки"))
            << "Select *  From kurwi  Where kategoriy_ptici  =  'Перепела-несушки'";
        QTest::newRow("group limit: one blank before =, two after") << Statements::groupLimit(QStringLiteral("Жиры"))
            << "Select procent from granica where gruppa =  'Жиры'";
        QTest::newRow("apostrophe doubled") << Statements::korm(QStringLiteral("Корм 'Особый'"))
            << "Select *  From basa  Where basa_name_kormow  =  'Корм ''Особый'''";
        QTest::newRow("all groups, blank at the end") << Statements::allGroups << "Select * from granica ";
        QTest::newRow("category list") << Statements::kurwiList << "Select * from kurwi order by 1";
        QTest::newRow("feed list") << Statements::basaList << "Select * from basa order by 1";
    }
    void statementTexts()
    {
        QFETCH(QString, statement);
        QFETCH(QString, expected);
        QCOMPARE(statement, expected);
    }

    // Each name is looked up exactly: found when it is there, never widened.
    void awkwardNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("stored");
        QTest::newRow("apostrophe") << QStringLiteral("Корм 'Особый'") << true;
        QTest::newRow("apostrophe at the end") << QStringLiteral("Жмых'") << true;
        QTest::newRow("double quote") << QStringLiteral("Премикс \"Золотой\"") << true;
        QTest::newRow("semicolon and a statement") << QStringLiteral("Мел; DROP TABLE basa; --") << true;
        QTest::newRow("a name that would match every row") << QStringLiteral("x' OR '1'='1") << false;
    }
    void awkwardNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, stored);
        TestSupport::TempWorkDir dir;
        Adodc a;
        if (stored)
            QVERIFY(run(a, QStringLiteral("insert into basa values (?, 123, 1, 2, 3, 4, 5, 6, 7, 8, 'Зерновые')"), {name}));
        ration().iMaxKorm = 1;
        ration().sKorm[0] = name;
        ration().sKorm[1] = QStringLiteral("Просо");
        const auto r = mdlAddItem::ZagruzitKorm(a);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.notFound, stored ? QStringList() : QStringList{name});
        QCOMPARE(ration().DataKorm[0][1].toDouble(), stored ? 123.0 : 0.0);
        QCOMPARE(ration().DataKorm[1][0].toString(), QStringLiteral("Просо"));
        a.setRecordSource(QStringLiteral("Select count(*) from basa"));
        QVERIFY(a.Refresh());
        QCOMPARE(a.recordset().Fields(0).toInt(), stored ? 40 : 39);   // nothing dropped on the way
    }

    void missingRowKeepsOldValuesAndIsReported()
    {
        TestSupport::TempWorkDir dir;
        Adodc a;
        RationState& s = ration();
        s.iMaxKorm = 1;
        s.sKorm[0] = QStringLiteral("Пшеница");
        s.sKorm[1] = QStringLiteral("Ячмень");
        s.sKurwi = QStringLiteral("Бройлеры: старт (1-3 нед.)");
        Captions captions;
        QVERIFY(mdlAddItem::ZagruzitKorm(a).ok);
        QVERIFY(mdlAddItem::ZagruzitKurwi(a, &captions).ok);
        QCOMPARE(a.RecordSource(), Statements::kurwi(s.sKurwi));
        QCOMPARE(captions.texts.join('|'), QStringLiteral("Бройлеры: старт (1-3 нед.)|310|23|1|0,7|0,2|1,1|0,3|0,6"));
        QCOMPARE(s.NormaKur[9].toDouble(), 185.0);
        const auto oldWheat = s.DataKorm[0];
        const auto oldNorm = s.NormaKur;

        // Meanwhile an editor renames wheat and the category, and changes barley.
        QVERIFY(run(a, QStringLiteral("update basa set basa_name_kormow = 'Пшеница мягкая' where basa_name_kormow = 'Пшеница'")));
        QVERIFY(run(a, QStringLiteral("update basa set ob_en = 270 where basa_name_kormow = 'Ячмень'")));
        QVERIFY(run(a, QStringLiteral("update kurwi set kategoriy_ptici = 'Бройлеры' where kategoriy_ptici = 'Бройлеры: старт (1-3 нед.)'")));
        const auto feeds = mdlAddItem::ZagruzitKorm(a);
        QCOMPARE(feeds.notFound, QStringList{QStringLiteral("Пшеница")});
        QCOMPARE(s.DataKorm[0], oldWheat);
        QCOMPARE(s.DataKorm[1][1].toDouble(), 270.0);
        captions.texts.fill(QString());
        const auto category = mdlAddItem::ZagruzitKurwi(a, &captions);
        QCOMPARE(category.notFound, QStringList{s.sKurwi});
        QCOMPARE(s.NormaKur, oldNorm);
        QCOMPARE(captions.texts.at(3), QStringLiteral("1"));   // the captions show the values kept
    }

    void listIsRefilledNotAppended()
    {
        TestSupport::TempWorkDir dir;
        Adodc a;
        QListWidget list;
        list.addItem(QStringLiteral("старая запись"));
        for (int pass = 0; pass < 2; ++pass) {
            QVERIFY(fill(a, list, Statements::kurwiList).ok);
            QCOMPARE(list.count(), 14);
        }
        QCOMPARE(list.item(0)->text(), QStringLiteral("Бройлеры: рост (4-5 нед.)"));   // in the statement's order
        QVERIFY(fill(a, list, QStringLiteral("Select * from kurwi where 0 order by 1")).ok);
        QCOMPARE(list.count(), 0);
    }

    void nullsNeverCrash()
    {
        TestSupport::TempWorkDir dir;
        Adodc a;
        QVERIFY(run(a, QStringLiteral("insert into basa values (null, null, null, null, null, null, null, null, null, null, null)")));
        QVERIFY(run(a, QStringLiteral("insert into basa (basa_name_kormow) values ('Пустой корм')")));
        QVERIFY(run(a, QStringLiteral("insert into kurwi (kategoriy_ptici) values ('Пустая категория')")));
        QListWidget list;
        QVERIFY(fill(a, list, Statements::basaList).ok);
        QCOMPARE(list.count(), 41);
        QCOMPARE(list.item(0)->text(), QString());   // a null sorts first and shows empty
        ration().iMaxKorm = 0;
        ration().sKorm[0] = QStringLiteral("Пустой корм");
        QVERIFY(mdlAddItem::ZagruzitKorm(a).ok);
        QVERIFY(ration().DataKorm[0][1].isNull() && ration().DataKorm[0][10].isNull());
        ration().sKurwi = QStringLiteral("Пустая категория");
        Captions captions;
        QVERIFY(mdlAddItem::ZagruzitKurwi(a, &captions).ok);
        QCOMPARE(captions.texts.mid(1), QStringList(8, QString()));
    }

    void recordCountLimit_data()
    {
        QTest::addColumn<int>("rows");
        QTest::newRow("32 767 rows fill the list") << 32767;
        QTest::newRow("32 768 rows are refused") << 32768;
    }
    void recordCountLimit()
    {
        QFETCH(int, rows);
        TestSupport::TempWorkDir dir;
        Adodc a;
        QVERIFY(run(a, QStringLiteral("delete from basa")));
        QVERIFY(run(a, QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < ?) "
                                      "insert into basa select printf('Корм %05d', i), i, 0, 0, 0, 0, 0, 0, 0, 1, "
                                      "'Зерновые' from n"), {rows}));
        QListWidget list;
        list.addItem(QStringLiteral("прежний список"));
        const auto r = fill(a, list, Statements::basaList);
        QCOMPARE(r.ok, rows <= 32767);
        if (r.ok) {
            QCOMPARE(list.count(), 32767);
            QCOMPARE(list.item(32766)->text(), QStringLiteral("Корм 32767"));
        } else {
            QVERIFY2(r.error.contains("32768") && r.error.contains("32767"), qPrintable(r.error));
            QCOMPARE(list.count(), 1);
            QCOMPARE(list.item(0)->text(), QStringLiteral("прежний список"));
        }
    }
};

QTEST_MAIN(tst_loaders)
#include "tst_loaders.moc"
