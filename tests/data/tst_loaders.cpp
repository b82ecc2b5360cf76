#include "data/Adodc.h"
#include "data/Database.h"
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
    if (!q.prepare(sql))
        return false;
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec()) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return false;
    }
    return true;
}

bool addFeed(Adodc& a, const QVariant& name, double energy)
{
    return run(a, QStringLiteral("insert into basa values (?, ?, 1, 2, 3, 4, 5, 6, 7, 8, 'Зерновые')"), {name, energy});
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
        QTest::newRow("feed: two blanks around From, Where and =")
            << Statements::korm(QStringLiteral("Кукуруза"))
            << "Select *  From basa  Where basa_name_kormow  =  'Кукуруза'";
        QTest::newRow("category")
            << Statements::kurwi(QStringLiteral("Перепела-несушки"))
            << "Select *  From kurwi  Where kategoriy_ptici  =  'Перепела-несушки'";
        QTest::newRow("group limit: one blank before =, two after")
            << Statements::groupLimit(QStringLiteral("Жиры")) << "Select procent from granica where gruppa =  'Жиры'";
        QTest::newRow("apostrophe doubled")
            << Statements::korm(QStringLiteral("Корм 'Особый'"))
            << "Select *  From basa  Where basa_name_kormow  =  'Корм ''Особый'''";
        QTest::newRow("empty name") << Statements::kurwi(QString())
                                    << "Select *  From kurwi  Where kategoriy_ptici  =  ''";
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

    void loadersIssueTheStatements()
    {
        TestSupport::TempWorkDir dir;
        Adodc a;
        ration().iMaxKorm = 0;
        ration().sKorm[0] = QStringLiteral("Кукуруза");
        QVERIFY(mdlAddItem::ZagruzitKorm(a).ok);
        QCOMPARE(a.RecordSource(), QStringLiteral("Select *  From basa  Where basa_name_kormow  =  'Кукуруза'"));
        ration().sKurwi = QStringLiteral("Индюшата 1-4 нед.");
        QVERIFY(mdlAddItem::ZagruzitKurwi(a, nullptr).ok);
        QCOMPARE(a.RecordSource(), QStringLiteral("Select *  From kurwi  Where kategoriy_ptici  =  'Индюшата 1-4 нед.'"));
    }

    void awkwardNamesFoundExactly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("apostrophe") << QStringLiteral("Корм 'Особый'");
        QTest::newRow("apostrophe at the end") << QStringLiteral("Жмых'");
        QTest::newRow("double quote") << QStringLiteral("Премикс \"Золотой\"");
        QTest::newRow("semicolon and a statement") << QStringLiteral("Мел; DROP TABLE basa; --");
        QTest::newRow("backslash and percent") << QStringLiteral("Смесь 50% \\ 50%");
    }
    void awkwardNamesFoundExactly()
    {
        QFETCH(QString, name);
        TestSupport::TempWorkDir dir;
        Adodc a;
        QVERIFY(addFeed(a, name, 123.0));
        QVERIFY(addFeed(a, QStringLiteral("Просо"), 999.0));
        ration().iMaxKorm = 1;
        ration().sKorm[0] = name;
        ration().sKorm[1] = QStringLiteral("Просо");
        const auto r = mdlAddItem::ZagruzitKorm(a);
        QVERIFY2(r.ok, qPrintable(r.error));
        QVERIFY(r.notFound.isEmpty());
        QCOMPARE(ration().DataKorm[0][0].toString(), name);
        QCOMPARE(ration().DataKorm[0][1].toDouble(), 123.0);
        QCOMPARE(ration().DataKorm[1][0].toString(), QStringLiteral("Просо"));
        // Nothing was dropped or changed on the way.
        a.setRecordSource(QStringLiteral("Select count(*) from basa"));
        QVERIFY(a.Refresh());
        QCOMPARE(a.recordset().Fields(0).toInt(), 41);
    }

    void nameCannotWidenTheLookup()
    {
        TestSupport::TempWorkDir dir;
        Adodc a;
        ration().iMaxKorm = 0;
        ration().sKorm[0] = QStringLiteral("x' OR '1'='1");
        const auto r = mdlAddItem::ZagruzitKorm(a);
        QVERIFY(r.ok);
        QCOMPARE(r.notFound, QStringList{QStringLiteral("x' OR '1'='1")});
        QVERIFY(ration().DataKorm[0][0].isNull());
    }

    void missingRowKeepsOldValuesAndIsReported()
    {
        TestSupport::TempWorkDir dir;
        Adodc a;
        RationState& s = ration();
        s.iMaxKorm = 1;
        s.sKorm[0] = QStringLiteral("Пшеница");
        s.sKorm[1] = QStringLiteral("Ячмень");
        s.sKurwi = QStringLiteral("Перепела-несушки");
        Captions captions;
        QVERIFY(mdlAddItem::ZagruzitKorm(a).ok);
        QVERIFY(mdlAddItem::ZagruzitKurwi(a, &captions).ok);
        const auto oldWheat = s.DataKorm[0];
        const auto oldNorm = s.NormaKur;

        // Meanwhile an editor renames wheat and the category, and changes barley.
        QVERIFY(run(a, QStringLiteral("update basa set basa_name_kormow = 'Пшеница мягкая' where basa_name_kormow = 'Пшеница'")));
        QVERIFY(run(a, QStringLiteral("update basa set ob_en = 270 where basa_name_kormow = 'Ячмень'")));
        QVERIFY(run(a, QStringLiteral("update kurwi set kategoriy_ptici = 'Перепела' where kategoriy_ptici = 'Перепела-несушки'")));

        const auto feeds = mdlAddItem::ZagruzitKorm(a);
        QVERIFY(feeds.ok);
        QCOMPARE(feeds.notFound, QStringList{QStringLiteral("Пшеница")});
        QCOMPARE(s.DataKorm[0], oldWheat);
        QCOMPARE(s.DataKorm[1][1].toDouble(), 270.0);

        captions.texts.fill(QStringLiteral("<unset>"));
        const auto category = mdlAddItem::ZagruzitKurwi(a, &captions);
        QVERIFY(category.ok);
        QCOMPARE(category.notFound, QStringList{QStringLiteral("Перепела-несушки")});
        QCOMPARE(s.NormaKur, oldNorm);
        QCOMPARE(captions.texts.at(0), QStringLiteral("Перепела-несушки"));
        QCOMPARE(captions.texts.at(3), QStringLiteral("2,5"));
    }

    void categoryCaptions()
    {
        TestSupport::TempWorkDir dir;
        Adodc a;
        ration().sKurwi = QStringLiteral("Бройлеры: старт (1-3 нед.)");
        Captions captions;
        QVERIFY(mdlAddItem::ZagruzitKurwi(a, &captions).ok);
        QCOMPARE(captions.texts.join(QLatin1Char('|')),
                 QStringLiteral("Бройлеры: старт (1-3 нед.)|310|23|1|0,7|0,2|1,1|0,3|0,6"));
        QCOMPARE(ration().NormaKur[9].toDouble(), 185.0);
        QCOMPARE(ration().NormaKur[0].toString(), ration().sKurwi);
    }

    void failedStatementChangesNothing()
    {
        TestSupport::TempWorkDir dir;
        RationState& s = ration();
        s.iMaxKorm = 1;
        s.sKorm[0] = QStringLiteral("Пшеница");
        s.sKorm[1] = QStringLiteral("Ячмень");
        s.DataKorm[0][0] = QStringLiteral("прежнее");
        // The second lookup fails: a NUL ends the statement text early, inside
        // the quoted name, so the statement does not parse.
        s.sKorm[1] = QStringLiteral("Ячмень") + QChar(0) + QStringLiteral("x");
        Adodc a;
        const auto r = mdlAddItem::ZagruzitKorm(a);
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());
        QCOMPARE(s.DataKorm[0][0].toString(), QStringLiteral("прежнее"));
    }

    void listIsRefilledNotAppended()
    {
        TestSupport::TempWorkDir dir;
        Adodc a;
        QListWidget list;
        list.addItem(QStringLiteral("старая запись"));
        for (int pass = 0; pass < 2; ++pass) {
            a.setRecordSource(Statements::kurwiList);
            QVERIFY(a.Refresh());
            QVERIFY(mdlAddItem::ZapolnitSpisok(a, list).ok);
            QCOMPARE(list.count(), 14);
        }
        // In the order of the statement.
        QStringList names;
        for (int i = 0; i < list.count(); ++i)
            names << list.item(i)->text();
        QStringList sorted = names;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(names, sorted);
        QVERIFY(!names.contains(QStringLiteral("старая запись")));

        // A statement that finds nothing leaves an empty list.
        a.setRecordSource(QStringLiteral("Select * from kurwi where 0 order by 1"));
        QVERIFY(a.Refresh());
        QVERIFY(mdlAddItem::ZapolnitSpisok(a, list).ok);
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
        a.setRecordSource(Statements::basaList);
        QVERIFY(a.Refresh());
        QVERIFY(mdlAddItem::ZapolnitSpisok(a, list).ok);
        QCOMPARE(list.count(), 41);
        QCOMPARE(list.item(0)->text(), QString());   // a null sorts first and shows empty

        ration().iMaxKorm = 0;
        ration().sKorm[0] = QStringLiteral("Пустой корм");
        QVERIFY(mdlAddItem::ZagruzitKorm(a).ok);
        QVERIFY(ration().DataKorm[0][1].isNull());
        QVERIFY(ration().DataKorm[0][10].isNull());

        ration().sKurwi = QStringLiteral("Пустая категория");
        Captions captions;
        QVERIFY(mdlAddItem::ZagruzitKurwi(a, &captions).ok);
        QCOMPARE(captions.texts.mid(1), QStringList(8, QString()));
    }

    void recordCountLimit_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("32 767 rows fill the list") << 32767 << true;
        QTest::newRow("32 768 rows are refused") << 32768 << false;
    }
    void recordCountLimit()
    {
        QFETCH(int, rows);
        QFETCH(bool, accepted);
        TestSupport::TempWorkDir dir;
        Adodc a;
        QVERIFY(run(a, QStringLiteral("delete from basa")));
        QVERIFY(run(a, QStringLiteral(
            "with recursive n(i) as (select 1 union all select i + 1 from n where i < ?) "
            "insert into basa select printf('Корм %05d', i), i, 0, 0, 0, 0, 0, 0, 0, 1, 'Зерновые' from n"),
            {rows}));
        QListWidget list;
        list.addItem(QStringLiteral("прежний список"));
        a.setRecordSource(Statements::basaList);
        QVERIFY(a.Refresh());
        const auto r = mdlAddItem::ZapolnitSpisok(a, list);
        QCOMPARE(r.ok, accepted);
        if (accepted) {
            QCOMPARE(list.count(), 32767);
            QCOMPARE(list.item(32766)->text(), QStringLiteral("Корм 32767"));
        } else {
            QVERIFY2(r.error.contains(QStringLiteral("32768")) && r.error.contains(QStringLiteral("32767")),
                     qPrintable(r.error));
            QCOMPARE(list.count(), 1);
            QCOMPARE(list.item(0)->text(), QStringLiteral("прежний список"));
        }
    }
};

QTEST_MAIN(tst_loaders)
#include "tst_loaders.moc"
