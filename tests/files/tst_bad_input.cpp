#include "data/Adodc.h"
#include "data/Database.h"
#include "data/Fixed4.h"
#include "data/NumText.h"
#include "data/RationState.h"
#include "data/TextFile.h"
#include "editors/frmBasaKorm.h"
#include "editors/frmBasaKurwi.h"
#include "files/CalcFile.h"
#include "files/LastDirs.h"
#include "shell/FileFilters.h"
#include "shell/MDIForm1.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "shell/Startup.h"
#include "shell/TextViewer.h"
#include "support/TestSupport.h"
#include "support/UiSupport.h"
#include "wizard/frmOtshet.h"
#include "wizard/frmRacion.h"

#include <QtSql>
#include <QtTest>
#include <QtWidgets>
#include <functional>
#include <QPointer>

using namespace Qt::StringLiterals;

// docs/BAD_INPUT.md, the table of every bad input and what the user sees,
// checked row by row: each row's scenario drives the real screens and files,
// and compares what appears with the texts the row gives in `code`. The
// messages are taken from the table, so the table and the program cannot
// drift apart.
namespace {

using Bind = QMap<QString, QString>;
const QString kBroilers = u"Бройлеры: старт (1-3 нед.)"_s;
const QString kCorn = u"Кукуруза"_s;
const QString kWheat = u"Пшеница"_s;

struct Row {
    QString id;
    QStringList in, see, kept;   // the `code` texts of the input and of the last two columns
};

// The texts in `code` in a cell, with "\n" made a line break and "\0" a NUL.
QStringList codeSpans(const QString& cell)
{
    static const QRegularExpression span(u"`([^`]*)`"_s);
    QStringList out;
    for (auto it = span.globalMatch(cell); it.hasNext();)
        out << it.next().captured(1).replace(u"\\n"_s, u"\n"_s).replace(u"\\0"_s, QString(QChar(0)));
    return out;
}

// The rows of the table (the lines that begin with an id in `code`); *error
// says why they cannot be read.
QList<Row> readTable(const QString& path, QString* error)
{
    QFile f(path);
    *error = f.open(QIODevice::ReadOnly | QIODevice::Text) ? QString() : u"cannot read "_s + path;
    QList<Row> rows;
    for (const QString& line : QString::fromUtf8(f.readAll()).split('\n')) {
        const QStringList cells = line.trimmed().split('|');   // "", the five cells, ""
        if (!line.startsWith("| `"_L1))
            continue;
        if (cells.size() != 7 || codeSpans(cells[1]).size() != 1)
            *error += u"not five cells, the first one an id in `code`: "_s + line;
        else
            rows << Row{codeSpans(cells[1]).first(), codeSpans(cells[3]), codeSpans(cells[4]), codeSpans(cells[5])};
    }
    if (rows.isEmpty())
        *error += u"\nno table rows in "_s + path;
    return rows;
}

// The messages shown against the table's: {name} takes the bound value,
// {reason} (the system's own words) any text. Empty when they match.
QString mismatch(const QStringList& shown, const QStringList& patterns, const Bind& bind)
{
    if (shown.size() != patterns.size())
        return u"%1 message(s) shown, %2 expected:\n%3"_s.arg(shown.size()).arg(patterns.size()).arg(shown.join('\n'));
    static const QRegularExpression placeholder(u"\\{(\\w+)\\}"_s);
    for (int i = 0; i < shown.size(); ++i) {
        QString re = QRegularExpression::escape(patterns[i]);
        for (auto it = placeholder.globalMatch(patterns[i]); it.hasNext();) {
            const QString name = it.next().captured(1);
            if (!bind.contains(name) && name != "reason"_L1)
                return u"the scenario gives no value for {%1}"_s.arg(name);
            re.replace(QRegularExpression::escape('{' + name + '}'),
                       bind.contains(name) ? QRegularExpression::escape(bind[name]) : u".+"_s);
        }
        if (!QRegularExpression('^' + re + '$', QRegularExpression::DotMatchesEverythingOption).match(shown[i]).hasMatch())
            return u"\n  table: %1\n  shown: %2"_s.arg(patterns[i], shown[i]);
    }
    return {};
}

Bind at(const QString& path) { return {{u"path"_s, QDir::toNativeSeparators(path)}}; }

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// One statement on treba.mdb through a connection of the test's own.
bool runSql(const QString& sql, const QVariantList& values = {})
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"tst-bad-input"_s);
        db.setDatabaseName(Database::path());
        ok = db.open();
        QSqlQuery q(db);
        ok = ok && q.prepare(sql);
        for (const QVariant& v : values)
            q.addBindValue(v);
        if (ok && !(ok = q.exec()))
            qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    }
    QSqlDatabase::removeDatabase(u"tst-bad-input"_s);
    return ok;
}

// Inserts `count` feeds of group Зерновые, "Корм 00001" and on, with protein `protein`.
bool addFeeds(int count, const QVariant& protein = 0)
{
    return runSql(u"with recursive n(i) as (select 1 union all select i + 1 from n where i < ?) insert into basa "
                   "select printf('Корм %05d', i), i, ?, 0, 0, 0, 0, 0, 0, 100, 'Зерновые' from n"_s, {count, protein});
}

QVariant readBack(const QString& sql)
{
    Adodc fresh;
    fresh.setRecordSource(sql);
    return fresh.Refresh() && fresh.recordset().hasCurrent() ? fresh.recordset().Fields(0) : QVariant();
}

// A fake platform that shows files in the program's real viewer.
class ScenarioPlatform : public TestSupport::FakePlatform {
public:
    bool viewTextFile(const QString& path, const QString& from) override { return FakePlatform::viewTextFile(path, from) && TextViewer::open(path, nullptr, from); }
};

} // namespace

class tst_bad_input : public QObject {
    Q_OBJECT

    QString m_tablePath, m_tableError;
    QList<Row> m_rows;
    std::unique_ptr<TestSupport::TempWorkDir> m_dir;
    std::unique_ptr<ScenarioPlatform> m_fake;

    // The row being checked, which of its `code` texts the scenario used, and
    // the messages it expects (none unless it says).
    const Row* m_row = nullptr;
    QSet<QString> m_used;
    QStringList m_expected;
    Bind m_bind;

    QString span(const QStringList& spans, const char* column, int k)
    {
        m_used << QLatin1String(column) + QString::number(k);
        return spans.value(k, u"<the row has no `code` text %1 in its %2 column>"_s.arg(k).arg(QLatin1String(column)));
    }
    QString in(int k) { return span(m_row->in, "input", k); }
    QString see(int k) { return span(m_row->see, "sees", k); }
    QString kept(int k) { return span(m_row->kept, "kept", k); }
    void expectMessage(const QString& pattern, const Bind& bind = {})
    {
        m_expected << pattern;
        m_bind.insert(bind);
    }

    // ---- the screens ----
    template <class T = QWidget> static T* find(const QObject* parent, const QString& name)
    {
        T* w = parent ? parent->findChild<T*>(name) : nullptr;
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    static QWidget* window(const QString& name)   // a top-level screen on show
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == name && w->isVisible())
                return w;
        qFatal("no window %s", qPrintable(name));
    }
    // What the named labels and boxes show.
    static QStringList texts(QWidget* parent, const QStringList& names)
    {
        QStringList out;
        for (const QString& name : names) {
            auto* box = qobject_cast<QLineEdit*>(find(parent, name));
            out << (box ? box->text() : find<QLabel>(parent, name)->text());
        }
        return out;
    }
    static QString text(QWidget* parent, const QString& name) { return texts(parent, {name}).first(); }
    static QLineEdit* wes(QWidget* s, int i) { return find<QLineEdit>(s, u"txtWes(%1)"_s.arg(i)); }
    static void typeOver(QLineEdit* box, const QString& keys)   // "\b" empties the box
    {
        box->selectAll();
        QTest::keyClicks(box, keys);
    }
    static void paste(QLineEdit* box, const QString& text)   // the clipboard's text over the selection
    {
        box->selectAll();
        box->insert(text);
    }

    frmRacion* openSheet(const QStringList& feeds, const QString& category = kBroilers)
    {
        ration().sKurwi = category;
        std::copy(feeds.begin(), feeds.end(), ration().sKorm.begin());
        ration().iMaxKorm = std::int16_t(feeds.size() - 1);
        if (auto* sheet = qobject_cast<frmRacion*>(Navigation::showRacion()))
            return sheet;
        qFatal("no worksheet");
    }
    frmRacion* balanced(const QString& feed = kCorn, const QString& category = kBroilers)   // one feed at 100
    {
        frmRacion* s = openSheet({feed}, category);
        typeOver(wes(s, 0), u"100"_s);
        return s;
    }
    QWidget* openReport(const QString& feed = kCorn, const QString& category = kBroilers)
    {
        balanced(feed, category);
        ration().bRacion = true;
        Navigation::showOtshet();
        return Navigation::otshet();
    }
    // The main window, shown, for the scenarios that go through its menus;
    // screens opened after it open inside it.
    QPointer<MDIForm1> m_frame;
    void frame()
    {
        if (!m_frame) {
            m_frame = new MDIForm1;
            m_frame->show();
        }
    }
    void pick(const char* menuItem) { find<QAction>(m_frame.data(), QLatin1String(menuItem))->trigger(); }
    QString writeCalc(const QStringList& lines)
    {
        const QString path = m_dir->filePath(u"расчет.kalk"_s);
        if (!TextFile::writeLines(path, lines))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    QMap<QString, std::function<void()>> scenarios();

private Q_SLOTS:
    void initTestCase()
    {
        TestSupport::pinRussianLocale();
        QApplication::setQuitOnLastWindowClosed(false);
        m_tablePath = QFINDTESTDATA("../../docs/BAD_INPUT.md");
        m_rows = readTable(m_tablePath, &m_tableError);
    }
    void init()
    {
        resetRation();
        menuRules().reset();
        LastDirs::reset();
        frmOtshet::iKolGolov = 0;
        m_dir = std::make_unique<TestSupport::TempWorkDir>();
        m_fake = std::make_unique<ScenarioPlatform>();
        m_used.clear();
        m_expected.clear();
        m_bind.clear();
    }
    void cleanup()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QList<QPointer<QWidget>> screens;   // deleting the frame deletes the windows it owns
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<Form*>(w) || qobject_cast<MDIForm1*>(w))
                screens << w;
        for (const QPointer<QWidget>& w : screens)
            delete w.data();
        MDIForm1::setHelpDirectories({});
        m_fake.reset();
        m_dir.reset();
    }

    // The table reads, its ids are unique, and every scenario has its row.
    void tableAndScenariosAgree()
    {
        QVERIFY2(m_tableError.isEmpty(), qPrintable(m_tableError));
        QStringList ids;
        for (const Row& r : m_rows)
            ids << r.id;
        QCOMPARE(QSet(ids.begin(), ids.end()).size(), ids.size());   // no id twice
        for (const QString& id : scenarios().keys())
            QVERIFY2(ids.contains(id), qPrintable(u"scenario %1 has no row in %2"_s.arg(id, m_tablePath)));
    }

    void row_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < m_rows.size(); ++i)
            QTest::newRow(qPrintable(m_rows.at(i).id)) << i;
    }
    void row()
    {
        QFETCH(int, index);
        m_row = &m_rows.at(index);
        const auto all = scenarios();
        QVERIFY2(all.contains(m_row->id), qPrintable(u"row %1 has no scenario"_s.arg(m_row->id)));
        all.value(m_row->id)();
        if (QTest::currentTestFailed())
            return;
        const QString why = mismatch(m_fake->messages, m_expected, m_bind);
        QVERIFY2(why.isEmpty(), qPrintable(why));
        // Every text the row promises in its last two columns is checked.
        for (const auto& [column, spans] : {std::pair{"sees", m_row->see}, std::pair{"kept", m_row->kept}})
            for (int k = 0; k < spans.size(); ++k)
                QVERIFY2(m_used.contains(QLatin1String(column) + QString::number(k)),
                         qPrintable(u"`%1` of the row is not checked"_s.arg(spans.at(k))));
    }
};

QMap<QString, std::function<void()>> tst_bad_input::scenarios()
{
    QMap<QString, std::function<void()>> s;

    // ---- weight boxes: typed into a one-feed sheet, the box (and the sum) as the row says ----
    auto typed = [this](const QStringList& controls) {
        frmRacion* sheet = openSheet({kCorn});
        typeOver(wes(sheet, 0), in(0));
        for (int k = 0; k < controls.size(); ++k)
            QCOMPARE(text(sheet, controls[k]), see(k));
    };
    s["weight-letters-typed"] = s["weight-point-typed"] = [typed] { typed({"txtWes(0)"}); };
    s["weight-many-decimals"] = [typed] { typed({"txtWes(0)", "lblSumWes"}); };
    // A refused paste into the first box: sum unknown, "Далее" off, the other box and the contributions kept.
    auto pasteRefused = [this](const QString& first, const QString& second) {
        frmRacion* sheet = openSheet({kCorn, kWheat});
        typeOver(wes(sheet, 0), first);
        typeOver(wes(sheet, 1), second);
        const QStringList others = texts(sheet, {"txtWes(1)", "lbl_1(2)", "lbl_2(2)"});
        paste(wes(sheet, 0), in(0));
        expectMessage(see(0));
        QCOMPARE(texts(sheet, {"txtWes(0)", "lblSumWes", "txtWes(1)", "lbl_1(2)", "lbl_2(2)"}),
                 QStringList({see(1), see(2)}) + others);
        QVERIFY(!find<QPushButton>(sheet, u"cmdDalee"_s)->isEnabled());
    };
    s["weight-letters-pasted"] = [this, pasteRefused] { pasteRefused(in(1), u"0"_s); };
    s["weight-huge-pasted"] = [pasteRefused] { pasteRefused(u"0"_s, u"30"_s); };
    // Made 0 without a word; the other box kept.
    auto zeroed = [this](bool pasted) {
        frmRacion* sheet = openSheet({kCorn, kWheat});
        typeOver(wes(sheet, 1), u"30"_s);
        typeOver(wes(sheet, 0), u"20"_s);
        pasted ? paste(wes(sheet, 0), in(0)) : typeOver(wes(sheet, 0), u"\b"_s);
        QCOMPARE(texts(sheet, {"txtWes(0)", "txtWes(1)"}), QStringList({see(0), u"30"_s}));
    };
    s["weight-negative-pasted"] = [zeroed] { zeroed(true); };
    s["weight-empty"] = [zeroed] { zeroed(false); };
    s["weight-sum-above-100"] = [this] {
        frmRacion* sheet = openSheet({kCorn, kWheat});
        typeOver(wes(sheet, 0), in(0));
        typeOver(wes(sheet, 1), in(1));
        QCOMPARE(texts(sheet, {"txtWes(1)", "lblSumWes", "txtWes(0)"}), QStringList({see(0), see(1), kept(0)}));
        QCOMPARE(find<QLabel>(sheet, u"lblSumWes"_s)->palette().color(QPalette::Window), QColor(192, 255, 192));
        QVERIFY(find<QPushButton>(sheet, u"cmdDalee"_s)->isEnabled());
    };
    s["weight-totals-overflow"] = [this] {
        QVERIFY(addFeeds(2, in(0).toDouble()));
        frmRacion* sheet = openSheet({u"Корм 00001"_s, u"Корм 00002"_s});
        typeOver(wes(sheet, 0), in(1));
        typeOver(wes(sheet, 1), in(1));
        QCOMPARE(texts(sheet, {"lblSum(1)", "lblProcent(1)", "txtWes(0)", "txtWes(1)", "lbl_1(2)", "lbl_2(2)"}),
                 QStringList({see(0), see(0), kept(0), kept(0), u"900000000000000"_s, u"900000000000000"_s}));
        QCOMPARE(find<QLabel>(sheet, u"lblProcent(1)"_s)->palette().color(QPalette::Window), QColor(255, 192, 192));
    };

    // ---- tolerances: the box shows the last good value again, and that value
    // stays in force (a recalculation takes the tolerances from the boxes) ----
    auto refusedTolerance = [this](const char* comboName, bool surplus, bool checkKept) {
        frmRacion* sheet = openSheet({kCorn});
        auto* combo = find<QComboBox>(sheet, QLatin1String(comboName));
        combo->setEditText(in(0));
        Q_EMIT combo->lineEdit()->editingFinished();
        expectMessage(see(0));
        QCOMPARE(combo->currentText(), see(1));
        typeOver(wes(sheet, 0), u"100"_s);
        const Fixed4 inForce = surplus ? ration().cyPogrWit : ration().cyPogr;
        QCOMPARE(inForce, *Fixed4::fromText(checkKept ? kept(0) : see(1)));
    };
    s["tolerance-letters"] = s["tolerance-negative"] = [refusedTolerance] { refusedTolerance("Combo1", false, true); };
    s["tolerance-huge"] = [refusedTolerance] { refusedTolerance("Combo2", true, true); };
    s["tolerance-too-many-digits"] = [refusedTolerance] { refusedTolerance("Combo1", false, false); };

    // ---- the report sheet's quantity ----
    s["quantity-letters-typed"] = s["quantity-zero"] = s["quantity-above-limit-typed"] = [this] {
        QWidget* o = openReport();
        typeOver(find<QLineEdit>(o, u"Text1"_s), in(0));
        QCOMPARE(text(o, u"Text1"_s), see(0));
    };
    s["quantity-letters-pasted"] = s["quantity-above-limit-pasted"] = [this] {
        QWidget* o = openReport();
        typeOver(find<QLineEdit>(o, u"Text1"_s), kept(0));
        paste(find<QLineEdit>(o, u"Text1"_s), in(0));
        QCOMPARE(text(o, u"Text1"_s), kept(0));
        QCOMPARE(frmOtshet::iKolGolov, std::int16_t(kept(0).toInt()));
    };
    s["quantity-empty"] = [this] {
        QWidget* o = openReport();
        const QString forOne = text(o, u"lblWes(0)"_s);
        typeOver(find<QLineEdit>(o, u"Text1"_s), u"5"_s);
        QVERIFY(text(o, u"lblWes(0)"_s) != forOne);
        typeOver(find<QLineEdit>(o, u"Text1"_s), u"\b"_s);
        QCOMPARE(texts(o, {"Text1", "lblWes(0)"}), QStringList({see(0), forOne}));
    };
    s["quantity-zeros"] = [this] {
        QWidget* o = openReport();
        auto* box = find<QLineEdit>(o, u"Text1"_s);
        typeOver(box, in(0));
        box->home(false);
        QTest::keyClick(box, Qt::Key_Delete);
        QCOMPARE(texts(o, {"Text1", "Text1", "lblWes(0)"}), QStringList({in(1), see(1), see(2)}));
        QCOMPARE(frmOtshet::iKolGolov, std::int16_t(0));
        typeOver(box, see(0));   // a lone zero is corrected
        QCOMPARE(box->text(), u"1"_s);
    };
    s["quantity-energy-zero"] = [this] {
        QWidget* o = openReport(u"Известняк (известняковая мука)"_s);
        QCOMPARE(text(Navigation::racion(), u"lblSum(0)"_s), in(0));
        typeOver(find<QLineEdit>(o, u"Text1"_s), in(1));
        QCOMPARE(texts(o, {"lblWes(0)", "lblObqiWes"}), QStringList({see(0), see(0)}));
        QCOMPARE(wes(Navigation::racion(), 0)->text(), u"100"_s);
    };

    // ---- the database file: refused at start-up, every byte kept ----
    auto refusedAtStart = [this](const QString& spoil) {
        QVERIFY(spoil.isEmpty() || runSql(spoil));
        const QByteArray before = bytesOf(Database::path());
        QVERIFY(!Startup::checkDatabase());
        expectMessage(see(0), at(Database::path()));
        QCOMPARE(bytesOf(Database::path()), before);
    };
    s["db-not-sqlite"] = [refusedAtStart] {
        QVERIFY(TextFile::writeLines(Database::path(), {u"Это не база данных"_s}));
        refusedAtStart({});
    };
    s["db-other-sqlite"] = [refusedAtStart] {
        QVERIFY(QFile::remove(Database::path()));
        refusedAtStart(u"create table notes (id integer)"_s);
    };
    s["db-table-missing"] = [refusedAtStart] { refusedAtStart(u"drop table granica"_s); };
    s["db-column-missing"] = [refusedAtStart] { refusedAtStart(u"alter table kurwi drop column dawat_gr"_s); };
    s["db-locked"] = [refusedAtStart] {   // the lock held while the check waits
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"tst-holder"_s);
        db.setDatabaseName(Database::path());
        QVERIFY(db.open() && db.exec(u"BEGIN EXCLUSIVE"_s).isActive());
        QElapsedTimer t;
        t.start();
        refusedAtStart({});
        QVERIFY2(t.elapsed() < 3 * Database::kBusyTimeoutMs, qPrintable(QString::number(t.elapsed())));
        db.exec(u"ROLLBACK"_s);
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(u"tst-holder"_s);
    };
    // A table page of basa spoilt: the root's last child pointed past the end
    // of the file. Its count, read from the name index, stays right.
    auto damageFeeds = [] {
        QVERIFY(addFeeds(400));
        const qint64 pageSize = readBack(u"pragma page_size"_s).toLongLong();
        const qint64 root = readBack(u"select rootpage from sqlite_master where name = 'basa'"_s).toLongLong();
        QFile f(Database::path());
        QVERIFY(f.open(QIODevice::ReadWrite) && f.seek((root - 1) * pageSize));
        QCOMPARE(f.read(1), QByteArray(1, 0x05));   // an interior page of a table
        QVERIFY(f.seek((root - 1) * pageSize + 8) && f.write(QByteArray::fromHex("00ffffff")) == 4);
    };
    s["db-damaged"] = [refusedAtStart, damageFeeds] {
        damageFeeds();
        QCOMPARE(readBack(u"select count(*) from basa"_s).toInt(), 439);
        refusedAtStart({});
    };
    s["editor-table-damaged"] = [this, damageFeeds] {
        damageFeeds();
        const QByteArray before = bytesOf(Database::path());
        MDIForm1 frame;
        frame.show();
        find<QAction>(&frame, u"mnuKorm"_s)->trigger();
        expectMessage(see(0), at(Database::path()));
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<frmBasaKorm*>(w));
        QVERIFY(frame.findChildren<frmBasaKorm*>().isEmpty());
        QCOMPARE(bytesOf(Database::path()), before);
    };
    s["db-journal-left"] = [this] {
        const QString sum = u"select count(*) || ' ' || total(protein) from basa"_s;
        const QVariant before = readBack(sum);
        const QString copy = m_dir->filePath(u"copy.mdb"_s);
        {   // the file and its journal as a kill in the middle of a long write leaves them
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"tst-writer"_s);
            db.setDatabaseName(Database::path());
            QVERIFY(db.open());
            for (const QString& sql : {u"pragma cache_size = 10"_s, u"begin"_s, u"update basa set protein = protein + 1000"_s,
                                       u"with recursive n(i) as (select 1 union all select i + 1 from n where i < 3000) "
                                       "insert into basa select printf('Корм %05d', i), i, 0, 0, 0, 0, 0, 0, 0, 100, "
                                       "'Зерновые' from n"_s})
                QVERIFY2(!db.exec(sql).lastError().isValid(), qPrintable(sql));
            QVERIFY(QFile::copy(Database::path(), copy) && QFile::copy(Database::path() + in(0).mid(9), copy + in(0).mid(9)));
            db.exec(u"rollback"_s);
        }
        QSqlDatabase::removeDatabase(u"tst-writer"_s);
        QVERIFY(QFile::remove(Database::path()) && QFile::rename(copy, Database::path()));
        QVERIFY(QFile::rename(copy + in(0).mid(9), m_dir->filePath(in(0))));
        QVERIFY(QFileInfo(m_dir->filePath(in(0))).size() > 0);
        QVERIFY(Startup::checkDatabase());
        QVERIFY(!QFileInfo::exists(m_dir->filePath(in(0))));
        QCOMPARE(readBack(sum), before);
    };
    s["db-leftover-new"] = [this] {
        QVERIFY(QFile::remove(Database::path()));
        for (const QString& name : {in(0), in(0) + u"-journal"_s, kept(0)}) {
            QFile f(m_dir->filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("SQLite format 3") > 0 && f.flush());
            QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
        }
        QVERIFY(Startup::checkDatabase());
        QVERIFY(!QFileInfo::exists(m_dir->filePath(in(0))));
        QVERIFY(!QFileInfo::exists(m_dir->filePath(in(0) + u"-journal"_s)));
        QVERIFY(QFileInfo::exists(m_dir->filePath(kept(0))));
        QVERIFY(readBack(u"select count(*) from basa"_s).toInt() > 0 && QFileInfo::exists(m_dir->filePath(see(0))));
    };
    s["db-missing"] = [this] {
        QVERIFY(QFile::remove(Database::path()));
        QVERIFY(Startup::checkDatabase());
        for (const char* table : {"basa", "kurwi", "granica"})
            QVERIFY2(readBack(u"select count(*) from "_s + QLatin1String(table)).toInt() > 0, table);
    };
    s["db-disk-full"] = [this] {
        QVERIFY(QFile::remove(Database::path()));
        QVERIFY(TestSupport::underFileSizeLimit(4096, *m_fake, [] { Startup::checkDatabase(); }));
        expectMessage(see(0), at(Database::path()));
        QVERIFY(!QFileInfo::exists(m_dir->filePath(kept(0))));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    };
    s["db-gone"] = [this] {
        QVERIFY(QFile::remove(Database::path()));
        Navigation::newCalculation();
        expectMessage(see(0), at(Database::path()));
        QCOMPARE(find<QListWidget>(window(u"frmKurwi"_s), u"lstKurwi"_s)->count(), 0);
        QVERIFY(!QFileInfo::exists(Database::path()));
    };
    s["db-name-nul"] = [this] {
        QVERIFY(runSql(u"insert into basa select ?, ob_en, protein, calciy_, pospor, natriy, A, D, B3, granic, gruppa "
                       "from basa where basa_name_kormow = ?"_s, {in(0), in(1)}));
        frmRacion* sheet = openSheet({in(1), in(0)});
        expectMessage(see(0));
        QCOMPARE(ration().DataKorm[0][0].toString(), in(1));
        typeOver(wes(sheet, 0), u"10"_s);
        typeOver(wes(sheet, 1), u"10"_s);
        QCOMPARE(texts(sheet, {"lbl_1(2)", "lbl_2(2)"}), QStringList({u"0,85"_s, see(1)}));
    };
    s["db-group-limit-unreadable"] = [this] {
        frmRacion* sheet = openSheet({kCorn});
        const qint64 pageSize = readBack(u"pragma page_size"_s).toLongLong();
        const qint64 root = readBack(u"select rootpage from sqlite_master where name = 'granica'"_s).toLongLong();
        QFile f(Database::path());
        QVERIFY(f.open(QIODevice::ReadWrite) && f.seek((root - 1) * pageSize) && f.write(QByteArray(1, 0)) == 1);
        f.close();
        typeOver(wes(sheet, 0), in(0));
        typeOver(wes(sheet, 0), in(1));
        expectMessage(see(0), at(Database::path()));
        QCOMPARE(wes(sheet, 0)->text(), kept(0));
    };
    s["db-over-32767"] = [this] {
        QVERIFY(runSql(u"delete from basa"_s));
        QVERIFY(runSql(u"with recursive n(i) as (select 1 union all select i + 1 from n where i < ?) insert into basa "
                       "select printf('Корм %05d', i), i, 0, 0, 0, 0, 0, 0, 0, 1, 'Зерновые' from n"_s, {in(0).toInt()}));
        Navigation::showBasa();
        expectMessage(see(0));
        QCOMPARE(find<QListWidget>(window(u"frmBasa"_s), u"lstBasa"_s)->count(), 0);
        QCOMPARE(readBack(u"select count(*) from basa"_s).toString(), in(0));
    };

    // ---- the reference editors: the row's input (or an emptied cell) refused; the cell keeps
    // its value, in the grid and in the database ----
    auto refusedCell = [this](GridEditor* editor, int column) {
        std::unique_ptr<GridEditor> owner(editor);
        const QString value = m_row->in.isEmpty() ? QString() : in(0);
        QVERIFY2(editor->isReady(), qPrintable(editor->errorText()));
        const QModelIndex idx = editor->model()->index(2, column);
        const QVariant before = idx.data();
        QVERIFY(!editor->model()->setData(idx, value));
        expectMessage(see(0));
        QCOMPARE(idx.data(), before);
        QCOMPARE(editor->model()->pendingRow(), -1);
        const bool feeds = qobject_cast<frmBasaKorm*>(editor);
        QCOMPARE(readBack(u"select %1 from %2 where %3 = '%4'"_s.arg(editor->model()->record().fieldName(column),
                                                                   feeds ? "basa" : "kurwi",
                                                                   feeds ? "basa_name_kormow" : "kategoriy_ptici",
                                                                   editor->model()->index(2, 0).data().toString())),
                 before);
    };
    s["editor-number-letters"] = s["editor-number-negative"] = s["editor-number-empty"] = [refusedCell] {
        refusedCell(new frmBasaKorm, 2);
    };
    s["editor-name-empty"] = s["editor-name-quote"] = [refusedCell] { refusedCell(new frmBasaKorm, 0); };
    s["editor-name-line-break"] = [refusedCell] { refusedCell(new frmBasaKurwi, 0); };
    s["editor-new-row-without-name"] = [this] {
        auto* editor = new frmBasaKorm;
        editor->show();
        const int before = editor->model()->rowCount();
        const int inDatabase = readBack(u"select count(*) from basa"_s).toInt();
        find<QPushButton>(editor, u"cmdDobawit"_s)->click();
        QVERIFY(editor->model()->setData(editor->model()->index(before, 1), u"250"_s));
        editor->grid()->setCurrentIndex(editor->model()->index(0, 0));
        QTRY_COMPARE(editor->grid()->currentIndex().row(), before);
        expectMessage(see(0), Bind{{u"row"_s, QString::number(before + 1)}});
        QCOMPARE(editor->model()->index(before, 1).data().toDouble(), 250.0);
        QCOMPARE(readBack(u"select count(*) from basa"_s).toInt(), inDatabase);
        editor->model()->revertPending();
    };
    // The price editor inside the main window: a price that cannot be written keeps the user in
    // its row and the editor open, stays in its cell as typed, and Esc brings the stored one back.
    s["price-letters"] = s["price-negative"] = s["price-huge"] = [this] {
        QVERIFY(runSql(u"insert into cena values (?, 12.5)"_s, {kCorn}));
        MDIForm1 frame;
        frame.show();
        find<QAction>(&frame, u"mnuCena"_s)->trigger();
        QWidget* editor = frame.mdiArea()->activeSubWindow()->widget();
        auto* grid = find<QTableView>(editor, u"DataGrid1"_s);
        const QModelIndex cell = UiSupport::cellOf(grid, kCorn, 1);
        UiSupport::typeIntoCell(grid, cell, in(0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell.siblingAtRow(cell.row() ? 0 : 1)).center());
        QTRY_COMPARE(grid->currentIndex().row(), cell.row());
        find<QPushButton>(editor, u"cmdExit"_s)->click();
        expectMessage(see(0));
        expectMessage(see(0));
        QVERIFY(editor->isVisible());
        QCOMPARE(cell.data().toString(), see(1));
        QCOMPARE(readBack(u"select cena from cena where basa_name_kormow = '%1'"_s.arg(kCorn)).toDouble(),
                 *NumText::toDouble(kept(0)));
        QTest::keyClick(grid, Qt::Key_Escape);
        QCOMPARE(cell.data().toString(), see(2));
        QVERIFY(frame.close());
    };
    s["editor-no-database"] = [this] {
        QVERIFY(QFile::remove(Database::path()));
        Navigation::showFeedEditor();
        expectMessage(see(0), at(Database::path()));
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<frmBasaKorm*>(w));
        QVERIFY(menuRules().isEnabled(MenuItem::Korm));
    };

    // ---- the calculation's database figures: "Расчитать" refused, weights kept ----
    auto refusedComposition = [this](const QString& spoil) {
        QVERIFY(runSql(spoil, spoil.contains('?') ? QVariantList{kBroilers} : QVariantList()));
        frmRacion* sheet = openSheet({kCorn, u"Шрот соевый"_s});
        typeOver(wes(sheet, 0), u"40"_s);
        m_fake->messages.clear();
        find<QPushButton>(sheet, u"cmdS"_s)->click();
        expectMessage(see(0));
        QCOMPARE(texts(sheet, {"txtWes(0)", "txtWes(1)"}), QStringList({u"40"_s, u"0"_s}));
    };
    s["compose-requirement-missing"] = [refusedComposition] {
        refusedComposition(u"update kurwi set protein = null where kategoriy_ptici = ?"_s);
    };
    s["compose-no-group-limits"] = [refusedComposition] { refusedComposition(u"delete from granica"_s); };

    s["least-cost-no-price"] = [this] {
        QVERIFY(runSql(u"insert into cena values (?, 16)"_s, {kCorn}));
        MDIForm1 frame;
        frame.show();
        frmRacion* sheet = openSheet({kCorn, in(0)});
        typeOver(wes(sheet, 0), kept(0));
        QTest::mouseClick(find<QCheckBox>(sheet, u"chkCena"_s), Qt::LeftButton);
        QTest::mouseClick(find<QPushButton>(sheet, u"cmdS"_s), Qt::LeftButton);
        expectMessage(see(0));
        QCOMPARE(texts(sheet, {"txtWes(0)", "txtWes(1)"}), QStringList({kept(0), kept(1)}));
    };

    // ---- the wizard ----
    s["feed-eleventh"] = [this] {
        Navigation::showBasa();
        auto* all = find<QListWidget>(window(u"frmBasa"_s), u"lstBasa"_s);
        for (int n = 0; n < 11; ++n) {
            all->setCurrentRow(0);
            Q_EMIT all->itemDoubleClicked(all->item(0));
        }
        expectMessage(see(0));
        QCOMPARE(find<QListWidget>(window(u"frmBasa"_s), u"lstWibor"_s)->count(), kept(0).toInt());
    };
    s["daily-requirement-missing"] = [this] {
        QVERIFY(runSql(u"update kurwi set dawat_gr = null where kategoriy_ptici = ?"_s, {kBroilers}));
        frmRacion* sheet = balanced();
        find<QPushButton>(sheet, u"cmdDalee"_s)->click();
        expectMessage(see(0));
        window(u"frmBasaKurwi"_s);   // the poultry editor is open
        QVERIFY(sheet->isVisible());
        QCOMPARE(wes(sheet, 0)->text(), u"100"_s);
    };

    // ---- calculation files: a refused file leaves the ration in progress ----
    CalcFile::Contents two;   // a two-feed calculation on names of the default data
    two.iMaxKorm = 1;
    two.sKurwi = kBroilers;
    two.sKorm = {kCorn, kWheat};
    two.weights = QStringList{u"60"_s, u"40"_s};
    const QStringList good = *CalcFile::toLines(two);
    auto openRefused = [this](const QString& path, bool cancel = false) {
        RationState& r = ration();
        r.sKurwi = u"Прежняя категория"_s;
        r.sKorm[0] = u"Прежний корм"_s;
        r.DataKorm[0][1] = 123.0;
        frame();
        m_fake->openAnswers.enqueue(path);
        pick("mnuSRachet");
        if (!cancel)
            expectMessage(see(0), at(path));
        QCOMPARE(m_fake->openFilters, QStringList{FileFilters::kalk});
        QCOMPARE(r.iMaxKorm, std::int16_t(0));
        QCOMPARE(QStringList({r.sKurwi, r.sKorm[0]}), QStringList({u"Прежняя категория"_s, u"Прежний корм"_s}));
        QCOMPARE(r.DataKorm[0][1].toDouble(), 123.0);
        QVERIFY(!Navigation::racion());
        QVERIFY(menuRules().isEnabled(MenuItem::Racion));
    };
    s["calc-open-cancelled"] = [openRefused] { openRefused({}, true); };
    s["calc-open-missing"] = [this, openRefused] { openRefused(m_dir->filePath(u"нет такого.kalk"_s)); };
    s["calc-too-few-lines"] = [this, openRefused, good] { openRefused(writeCalc(good.mid(0, 46))); };
    // Line k of a good file replaced by the row's input.
    for (const auto& [id, k] : {std::pair{"calc-feed-count-out-of-range", 0}, {"calc-wrong-kind", 2}, {"calc-weight-missing", 47}})
        s[id] = [this, openRefused, good, k = k] {
            QStringList lines = good;
            lines[k] = in(0);
            openRefused(writeCalc(lines));
        };
    s["calc-open-device"] = [this, openRefused] { openRefused(in(0)); };
    s["calc-open-too-big"] = [this, openRefused, good] {
        QStringList lines = good;
        for (qsizetype bytes = TextFile::encodeLines(good)->size(); bytes < in(0).toInt(); bytes += 1002)
            lines << QString(1000, u'x');
        openRefused(writeCalc(lines));
    };
    s["calc-line-too-long"] = [this, openRefused, good] {
        QStringList lines = good;
        lines[2] = u"1234567890"_s.repeated(in(0).toInt() / 10);
        openRefused(writeCalc(lines));
    };
    s["calc-names-not-in-database"] = [this] {
        CalcFile::Contents c;
        c.sKurwi = in(1);
        c.sKorm[0] = in(0);
        c.DataKorm[0] = {c.sKorm[0], 200.0, 10.0, 0.5, 0.3, 0.1, 0.0, 0.0, 0.1, 20.0, u"Прочие"_s};
        c.NormaKur = {c.sKurwi, 280.0, 16.0, 3.0, 0.7, 0.15, 1.0, 0.2, 0.5, 300.0};
        c.weights = QStringList{u"20"_s};
        m_fake->openAnswers.enqueue(writeCalc(*CalcFile::toLines(c)));
        Navigation::openCalculation();
        expectMessage(see(0));
        QCOMPARE(wes(Navigation::racion(), 0)->text(), u"20"_s);
        QCOMPARE(ration().DataKorm[0][1].toDouble(), 200.0);
        QCOMPARE(ration().NormaKur[9].toDouble(), 300.0);
    };
    s["calc-weight-other-separator"] = [this, two]() mutable {
        two.weights = QStringList{in(0), u"87.5"_s};
        m_fake->openAnswers.enqueue(writeCalc(*CalcFile::toLines(two)));
        Navigation::openCalculation();
        QCOMPARE(texts(Navigation::racion(), {"txtWes(0)", "lblSumWes"}), QStringList({see(0), u"100"_s}));
    };

    // ---- saving a calculation, or a report from its sheet, of one feed of one category (copies of
    // default rows under the row's names): a cancelled dialog writes nothing, an unwritable folder is
    // named, a name the file cannot hold is refused before the dialog ----
    auto save = [this](bool report, const QString& answer, bool dialog, const QString& feed = kCorn,
                       const QString& category = kBroilers) {
        QVERIFY(feed == kCorn || runSql(u"insert into basa select ?, ob_en, protein, calciy_, pospor, natriy, A, D, B3, "
                                        "granic, gruppa from basa where basa_name_kormow = ?"_s, {feed, kCorn}));
        QVERIFY(category == kBroilers || runSql(u"insert into kurwi select ?, obm_en, protein, calciy_, pospor, natriy, A, "
                                                "D, B3, dawat_gr from kurwi where kategoriy_ptici = ?"_s, {category, kBroilers}));
        report ? void(openReport(feed, category)) : void(balanced(feed, category));
        const QString path = answer.isEmpty() ? answer : m_dir->filePath(answer);
        m_fake->saveAnswers.enqueue(path);
        report ? Navigation::writeReport() : Navigation::saveCalculation();
        if (!answer.isEmpty())
            expectMessage(see(0), at(path));
        const QString filter = report ? FileFilters::txt : FileFilters::kalk;
        QCOMPARE(m_fake->saveFilters, dialog ? QStringList{filter} : QStringList());
        QVERIFY(QDir(m_dir->path()).entryList({filter.section('|', 1)}, QDir::Files).isEmpty());
        QVERIFY(!QFileInfo::exists(path));
    };
    s["calc-save-cancelled"] = [save] { save(false, {}, true); };
    s["calc-save-folder-unwritable"] = [save] { save(false, u"нет такой папки/расчет.kalk"_s, true); };
    s["calc-save-double-quote"] = [this, save] { save(false, u"расчет.kalk"_s, false, kCorn, in(0)); };
    s["calc-save-line-break"] = s["calc-save-not-1251"] = [this, save] { save(false, u"расчет.kalk"_s, false, in(0)); };
    s["calc-save-name-too-long"] = [this, save] { save(false, u"расчет.kalk"_s, false, QString(in(0).toInt(), in(1).at(0))); };
    // The disk fills up (a child process may not write more than a few hundred
    // bytes) while the file is written over an earlier one.
    auto diskFull = [this](bool report) {
        frame();
        report ? void(openReport()) : void(balanced());
        const QString path = m_dir->filePath(in(0));
        QVERIFY(TextFile::writeLines(path, QStringList(100, u"прежняя строка"_s)));
        const QByteArray before = bytesOf(path);
        const QStringList files = QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden);
        m_fake->saveAnswers.enqueue(path);
        QVERIFY(TestSupport::underFileSizeLimit(200, *m_fake, [this, report] { pick(report ? "mnuSaveRacion" : "mnuSaveR"); }));
        expectMessage(see(0), at(path));
        QCOMPARE(bytesOf(path), before);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), files);
    };
    s["calc-save-disk-full"] = [diskFull] { diskFull(false); };
    s["report-disk-full"] = [diskFull] { diskFull(true); };
    s["report-cancelled"] = [save] { save(true, {}, true); };
    s["report-folder-unwritable"] = [save] { save(true, u"нет такой папки/отчет.txt"_s, true); };
    s["report-not-1251"] = [this, save] { save(true, u"отчет.txt"_s, false, kCorn, in(0)); };

    // ---- viewing a report ----
    s["view-name-with-blanks"] = [this] {
        const QString path = m_dir->filePath(in(0));
        QVERIFY(TextFile::writeLines(path, {u"      Рацион для кормления"_s}));
        const QByteArray before = bytesOf(path);
        m_fake->openAnswers.enqueue(path);
        Navigation::viewReport();
        auto viewers = QApplication::topLevelWidgets();
        viewers.removeIf([](QWidget* w) { return !qobject_cast<TextViewer*>(w); });
        QCOMPARE(viewers.size(), 1);
        QCOMPARE(viewers[0]->windowTitle(), see(0));
        QCOMPARE(static_cast<TextViewer*>(viewers[0])->text(), u"      Рацион для кормления\n"_s);
        QCOMPARE(bytesOf(path), before);
    };
    s["view-unreadable"] = [this] {
        QVERIFY(QDir(m_dir->path()).mkdir(in(0)));
        m_fake->openAnswers.enqueue(m_dir->filePath(in(0)));
        Navigation::viewReport();
        expectMessage(see(0), at(m_dir->filePath(in(0))));
    };

    // ---- help ----
    s["help-missing"] = [this] {
        const QStringList dirs{m_dir->filePath(u"bin"_s), m_dir->filePath(u"share"_s)};
        MDIForm1::setHelpDirectories(dirs);
        MDIForm1 frame;
        find<QAction>(&frame, u"lblRabota"_s)->trigger();
        expectMessage(see(0), Bind{{u"dirs"_s, QDir::toNativeSeparators(dirs.join(u", "_s))}});
        QVERIFY(m_fake->viewedFiles.isEmpty());
    };
    s["faq-help-missing"] = [this] {
        const QStringList dirs{m_dir->filePath(u"bin"_s)};
        MDIForm1::setHelpDirectories(dirs);
        MDIForm1 frame;
        find<QAction>(&frame, u"lblFaq"_s)->trigger();
        expectMessage(see(0), Bind{{u"dirs"_s, QDir::toNativeSeparators(dirs.first())}});
        QVERIFY(m_fake->viewedFiles.isEmpty() && m_fake->openedUrls.isEmpty());
        QVERIFY(frame.isEnabled());
    };
    return s;
}

QTEST_MAIN(tst_bad_input)
#include "tst_bad_input.moc"
