#include "data/Adodc.h"
#include "data/Database.h"
#include "data/Fixed4.h"
#include "data/RationState.h"
#include "data/TextFile.h"
#include "editors/frmBasaKorm.h"
#include "editors/frmBasaKurwi.h"
#include "files/CalcFile.h"
#include "files/LastDirs.h"
#include "shell/MDIForm1.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "shell/Startup.h"
#include "shell/TextViewer.h"
#include "support/TestSupport.h"
#include "wizard/frmOtshet.h"
#include "wizard/frmRacion.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

#include <functional>

// docs/BAD_INPUT.md, the table of every bad input and what the user sees,
// checked row by row: each row's scenario drives the real screens and files,
// and compares what appears with the texts the row gives in `code`. The
// messages are taken from the table, so the table and the program cannot
// drift apart.
namespace {

using TestSupport::FakePlatform;
using TestSupport::TempWorkDir;

const QString kBroilers = QStringLiteral("Бройлеры: старт (1-3 нед.)");

struct Row {
    QString id, where, input, sees, kept;
    QStringList inSpans, seeSpans, keptSpans;
};

// The texts in `code` in a cell, with "\n" made a line break.
QStringList codeSpans(const QString& cell)
{
    static const QRegularExpression span(QStringLiteral("`([^`]*)`"));
    QStringList out;
    for (auto it = span.globalMatch(cell); it.hasNext();)
        out << it.next().captured(1).replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    return out;
}

// The cells of a table line; "\|" stands for a bar inside a cell.
QStringList cellsOf(QString line)
{
    line = line.trimmed();
    if (line.startsWith(QLatin1Char('|')))
        line.remove(0, 1);
    if (line.endsWith(QLatin1Char('|')) && !line.endsWith(QStringLiteral("\\|")))
        line.chop(1);
    line.replace(QStringLiteral("\\|"), QChar(0xE000));
    QStringList cells = line.split(QLatin1Char('|'));
    for (QString& c : cells)
        c = c.replace(QChar(0xE000), QLatin1Char('|')).trimmed();
    return cells;
}

// The rows of the table, or the reason they cannot be read.
QList<Row> readTable(const QString& path, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("cannot read %1").arg(path);
        return {};
    }
    const QStringList expectedHeader{QStringLiteral("id"), QStringLiteral("where"), QStringLiteral("input"),
                                     QStringLiteral("what the user sees"), QStringLiteral("what stays unchanged")};
    QList<Row> rows;
    bool inTable = false;
    int lineNo = 0;
    for (const QString& raw : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        ++lineNo;
        const QString line = raw.trimmed();
        if (!line.startsWith(QLatin1Char('|')))
            continue;
        const QStringList cells = cellsOf(line);
        if (!inTable) {
            if (cells != expectedHeader) {
                *error = QStringLiteral("line %1: the header must be %2").arg(lineNo).arg(expectedHeader.join(" | "));
                return {};
            }
            inTable = true;
            continue;
        }
        if (cells.first().startsWith(QStringLiteral("---")) || cells.first().startsWith(QStringLiteral("-")))
            continue;
        if (cells.size() != expectedHeader.size()) {
            *error = QStringLiteral("line %1: %2 cells, not %3").arg(lineNo).arg(cells.size()).arg(expectedHeader.size());
            return {};
        }
        Row r{cells[0], cells[1], cells[2], cells[3], cells[4], {}, {}, {}};
        const QStringList id = codeSpans(r.id);
        if (id.size() != 1 || id.first().isEmpty()) {
            *error = QStringLiteral("line %1: the id must be one `code` text").arg(lineNo);
            return {};
        }
        r.id = id.first();
        r.inSpans = codeSpans(r.input);
        r.seeSpans = codeSpans(r.sees);
        r.keptSpans = codeSpans(r.kept);
        rows << r;
    }
    if (rows.isEmpty())
        *error = QStringLiteral("no table rows in %1").arg(path);
    return rows;
}

using Bind = QMap<QString, QString>;

// A message of the table against the one shown: {name} takes the bound
// value; {reason} (the system's own words) takes any text.
bool matches(const QString& pattern, const QString& shown, const Bind& bind, QString* why)
{
    static const QRegularExpression placeholder(QStringLiteral("\\{(\\w+)\\}"));
    QString re = QStringLiteral("^");
    qsizetype pos = 0;
    for (auto it = placeholder.globalMatch(pattern); it.hasNext();) {
        const auto m = it.next();
        re += QRegularExpression::escape(pattern.mid(pos, m.capturedStart() - pos));
        const QString name = m.captured(1);
        if (bind.contains(name)) {
            re += QRegularExpression::escape(bind.value(name));
        } else if (name == QLatin1String("reason")) {
            re += QStringLiteral(".+");
        } else {
            *why = QStringLiteral("the scenario gives no value for {%1}").arg(name);
            return false;
        }
        pos = m.capturedEnd();
    }
    re += QRegularExpression::escape(pattern.mid(pos)) + QStringLiteral("$");
    if (QRegularExpression(re, QRegularExpression::DotMatchesEverythingOption).match(shown).hasMatch())
        return true;
    *why = QStringLiteral("\n  table: %1\n  shown: %2").arg(pattern, shown);
    return false;
}

bool messagesAre(const QStringList& shown, const QStringList& patterns, const Bind& bind, QString* why)
{
    if (shown.size() != patterns.size()) {
        *why = QStringLiteral("%1 message(s) shown, %2 expected:\n%3")
                   .arg(shown.size())
                   .arg(patterns.size())
                   .arg(shown.join(QStringLiteral("\n")));
        return false;
    }
    for (int i = 0; i < shown.size(); ++i)
        if (!matches(patterns.at(i), shown.at(i), bind, why))
            return false;
    return true;
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Statements on treba.mdb through a connection of the test's own; each
// statement may carry values to bind.
bool runSql(const QList<QPair<QString, QVariantList>>& statements, const QString& path = Database::path())
{
    const QString name = QStringLiteral("tst-bad-input");
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        ok = db.open();
        for (const auto& [sql, values] : statements) {
            if (!ok)
                break;
            QSqlQuery q(db);
            ok = q.prepare(sql);
            for (const QVariant& v : values)
                q.addBindValue(v);
            ok = ok && q.exec();
            if (!ok)
                qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

bool runSql(const QString& sql, const QVariantList& values = {})
{
    return runSql({{sql, values}});
}

// A copy of a default row under another name.
bool copyFeed(const QString& from, const QString& to)
{
    return runSql(QStringLiteral("insert into basa select ?, ob_en, protein, calciy_, pospor, natriy, A, D, B3, "
                                 "granic, gruppa from basa where basa_name_kormow = ?"),
                  {to, from});
}

bool copyCategory(const QString& from, const QString& to)
{
    return runSql(QStringLiteral("insert into kurwi select ?, obm_en, protein, calciy_, pospor, natriy, A, D, B3, "
                                 "dawat_gr from kurwi where kategoriy_ptici = ?"),
                  {to, from});
}

QVariant readBack(const QString& sql)
{
    Adodc fresh;
    fresh.setRecordSource(sql);
    if (!fresh.Refresh() || !fresh.recordset().hasCurrent())
        return QVariant();
    return fresh.recordset().Fields(0);
}

// A fake platform that can also show files in the program's real viewer.
class ScenarioPlatform : public FakePlatform {
public:
    bool realViewer = false;
    bool viewTextFile(const QString& path) override
    {
        if (!realViewer)
            return FakePlatform::viewTextFile(path);
        viewedFiles << path;
        return TextViewer::open(path);
    }
};

// A two-feed calculation on names of the default data.
CalcFile::Contents twoFeeds(const QStringList& weights)
{
    CalcFile::Contents c;
    c.iMaxKorm = 1;
    c.sKurwi = kBroilers;
    c.sKorm[0] = QStringLiteral("Кукуруза");
    c.sKorm[1] = QStringLiteral("Пшеница");
    c.DataKorm[0] = {c.sKorm[0], 335.0, 8.5, 0.02, 0.28, 0.02, 0.1, 0.0, 0.1, 70.0, QStringLiteral("Зерновые")};
    c.DataKorm[1] = {c.sKorm[1], 305.0, 12.5, 0.05, 0.35, 0.02, 0.0, 0.0, 0.12, 60.0, QStringLiteral("Зерновые")};
    c.NormaKur = {kBroilers, 310.0, 23.0, 1.0, 0.7, 0.2, 1.1, 0.3, 0.6, 185.0};
    c.weights = weights;
    return c;
}

} // namespace

// The table's message check: the messages shown are exactly these.
#define EXPECT_MESSAGES(patterns, bind)                                                                    \
    do {                                                                                                   \
        QString why_;                                                                                      \
        QVERIFY2(messagesAre(m_fake->messages, patterns, bind, &why_), qPrintable(why_));                  \
    } while (false)

class tst_bad_input : public QObject {
    Q_OBJECT

    QString m_tablePath;
    QList<Row> m_rows;
    QString m_tableError;
    std::unique_ptr<TempWorkDir> m_dir;
    std::unique_ptr<ScenarioPlatform> m_fake;

    // The row being checked, and which of its `code` texts the scenario used.
    const Row* m_row = nullptr;
    QSet<QString> m_used;
    QStringList m_spanErrors;

    QString span(const QStringList& spans, const char* column, int k)
    {
        m_used << QStringLiteral("%1%2").arg(QLatin1String(column)).arg(k);
        if (k < spans.size())
            return spans.at(k);
        m_spanErrors << QStringLiteral("the row has no `code` text %1 in its %2 column").arg(k).arg(QLatin1String(column));
        return QStringLiteral("<no such text in the table>");
    }
    // The k-th `code` text of the row's input, what-the-user-sees and
    // what-stays-unchanged columns.
    QString in(int k) { return span(m_row->inSpans, "input", k); }
    QString see(int k) { return span(m_row->seeSpans, "sees", k); }
    QString kept(int k) { return span(m_row->keptSpans, "kept", k); }

    // ---- the screens ----

    frmRacion* openSheet(const QStringList& feeds, const QString& category = kBroilers)
    {
        RationState& s = ration();
        s.sKurwi = category;
        for (int i = 0; i < feeds.size(); ++i)
            s.sKorm[i] = feeds[i];
        s.iMaxKorm = std::int16_t(feeds.size() - 1);
        auto* sheet = qobject_cast<frmRacion*>(Navigation::showRacion());
        if (!sheet)
            qFatal("no worksheet");
        return sheet;
    }
    template <class T = QWidget> static T* find(const QObject* parent, const QString& name)
    {
        T* w = parent->findChild<T*>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    static QLineEdit* wes(QWidget* s, int i) { return find<QLineEdit>(s, QStringLiteral("txtWes(%1)").arg(i)); }
    static QString text(QWidget* s, const QString& name) { return find<QLabel>(s, name)->text(); }
    static void typeOver(QLineEdit* box, const QString& keys)
    {
        box->selectAll();
        QTest::keyClicks(box, keys);
    }
    static void erase(QLineEdit* box)
    {
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
    }
    // What a paste does: the clipboard's text inserted over the selection.
    static void paste(QLineEdit* box, const QString& text)
    {
        box->selectAll();
        box->insert(text);
    }
    static void leave(QComboBox* combo, const QString& typed)
    {
        combo->setEditText(typed);
        Q_EMIT combo->lineEdit()->editingFinished();
    }

    // The report sheet over a worksheet balanced at 100 on one feed.
    QWidget* openReport(const QString& feed = QStringLiteral("Кукуруза"), const QString& category = kBroilers)
    {
        frmRacion* s = openSheet({feed}, category);
        typeOver(wes(s, 0), QStringLiteral("100"));
        ration().bRacion = true;
        ration().bKombikorm = false;
        Navigation::showOtshet();
        QWidget* o = Navigation::otshet();
        if (!o)
            qFatal("no report sheet");
        return o;
    }

    QStringList filesIn(const QString& pattern) const
    {
        return QDir(m_dir->path()).entryList({pattern}, QDir::Files);
    }

    // A calculation file of the given lines in the working folder.
    QString writeCalc(const QStringList& lines, const QString& name = QStringLiteral("расчет.kalk"))
    {
        const QString path = m_dir->filePath(name);
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
        m_dir = std::make_unique<TempWorkDir>();
        m_fake = std::make_unique<ScenarioPlatform>();
        m_used.clear();
        m_spanErrors.clear();
    }
    void cleanup()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<Form*>(w) || qobject_cast<MDIForm1*>(w))
                delete w;
        MDIForm1::setHelpDirectories({});
        m_fake.reset();
        m_dir.reset();
        m_row = nullptr;
    }

    void tableIsReadable()
    {
        QVERIFY2(m_tableError.isEmpty(), qPrintable(m_tableError));
        QSet<QString> ids;
        for (const Row& r : m_rows) {
            QVERIFY2(!ids.contains(r.id), qPrintable(QStringLiteral("row id %1 twice").arg(r.id)));
            ids << r.id;
        }
    }

    void everyScenarioHasARow()
    {
        QSet<QString> ids;
        for (const Row& r : m_rows)
            ids << r.id;
        for (const QString& id : scenarios().keys())
            QVERIFY2(ids.contains(id), qPrintable(QStringLiteral("scenario %1 has no row in %2").arg(id, m_tablePath)));
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
        QVERIFY2(all.contains(m_row->id), qPrintable(QStringLiteral("row %1 has no scenario").arg(m_row->id)));
        all.value(m_row->id)();
        if (QTest::currentTestFailed())
            return;
        QVERIFY2(m_spanErrors.isEmpty(), qPrintable(m_spanErrors.join(QLatin1Char('\n'))));
        // Every text the row promises in its last two columns is checked.
        for (int k = 0; k < m_row->seeSpans.size(); ++k)
            QVERIFY2(m_used.contains(QStringLiteral("sees%1").arg(k)),
                     qPrintable(QStringLiteral("`%1` of the row is not checked").arg(m_row->seeSpans.at(k))));
        for (int k = 0; k < m_row->keptSpans.size(); ++k)
            QVERIFY2(m_used.contains(QStringLiteral("kept%1").arg(k)),
                     qPrintable(QStringLiteral("`%1` of the row is not checked").arg(m_row->keptSpans.at(k))));
    }
};

QMap<QString, std::function<void()>> tst_bad_input::scenarios()
{
    QMap<QString, std::function<void()>> s;

    // ---- weight boxes ----
    s[QStringLiteral("weight-letters-typed")] = [this] {
        frmRacion* sheet = openSheet({QStringLiteral("Кукуруза")});
        typeOver(wes(sheet, 0), in(0));
        QCOMPARE(wes(sheet, 0)->text(), see(0));
        QVERIFY(m_fake->messages.isEmpty());
    };
    s[QStringLiteral("weight-letters-pasted")] = [this] {
        frmRacion* sheet = openSheet({QStringLiteral("Кукуруза"), QStringLiteral("Пшеница")});
        typeOver(wes(sheet, 0), in(1));
        const QString contribution = text(sheet, QStringLiteral("lbl_1(2)"));
        paste(wes(sheet, 0), in(0));
        EXPECT_MESSAGES({see(0)}, {});
        QCOMPARE(wes(sheet, 0)->text(), see(1));
        QCOMPARE(text(sheet, QStringLiteral("lblSumWes")), see(2));
        QVERIFY(!find<QPushButton>(sheet, QStringLiteral("cmdDalee"))->isEnabled());
        QCOMPARE(wes(sheet, 1)->text(), QStringLiteral("0"));
        QCOMPARE(text(sheet, QStringLiteral("lbl_1(2)")), contribution);
    };
    s[QStringLiteral("weight-huge-pasted")] = [this] {
        frmRacion* sheet = openSheet({QStringLiteral("Кукуруза"), QStringLiteral("Пшеница")});
        typeOver(wes(sheet, 1), QStringLiteral("30"));
        const QString contribution = text(sheet, QStringLiteral("lbl_2(2)"));
        paste(wes(sheet, 0), in(0));
        EXPECT_MESSAGES({see(0)}, {});
        QCOMPARE(wes(sheet, 0)->text(), see(1));
        QCOMPARE(text(sheet, QStringLiteral("lblSumWes")), see(2));
        QVERIFY(!find<QPushButton>(sheet, QStringLiteral("cmdDalee"))->isEnabled());
        QCOMPARE(wes(sheet, 1)->text(), QStringLiteral("30"));
        QCOMPARE(text(sheet, QStringLiteral("lbl_2(2)")), contribution);
    };
    s[QStringLiteral("weight-negative-pasted")] = [this] {
        frmRacion* sheet = openSheet({QStringLiteral("Кукуруза"), QStringLiteral("Пшеница")});
        typeOver(wes(sheet, 1), QStringLiteral("30"));
        paste(wes(sheet, 0), in(0));
        QCOMPARE(wes(sheet, 0)->text(), see(0));
        QCOMPARE(wes(sheet, 1)->text(), QStringLiteral("30"));
        QVERIFY(m_fake->messages.isEmpty());
    };
    s[QStringLiteral("weight-empty")] = [this] {
        frmRacion* sheet = openSheet({QStringLiteral("Кукуруза"), QStringLiteral("Пшеница")});
        typeOver(wes(sheet, 1), QStringLiteral("30"));
        typeOver(wes(sheet, 0), QStringLiteral("20"));
        erase(wes(sheet, 0));
        QCOMPARE(wes(sheet, 0)->text(), see(0));
        QCOMPARE(wes(sheet, 1)->text(), QStringLiteral("30"));
        QVERIFY(m_fake->messages.isEmpty());
    };
    s[QStringLiteral("weight-point-typed")] = [this] {
        frmRacion* sheet = openSheet({QStringLiteral("Кукуруза")});
        typeOver(wes(sheet, 0), in(0));
        QCOMPARE(wes(sheet, 0)->text(), see(0));
        QVERIFY(m_fake->messages.isEmpty());
    };
    s[QStringLiteral("weight-many-decimals")] = [this] {
        frmRacion* sheet = openSheet({QStringLiteral("Кукуруза")});
        typeOver(wes(sheet, 0), in(0));
        QCOMPARE(wes(sheet, 0)->text(), see(0));
        QCOMPARE(text(sheet, QStringLiteral("lblSumWes")), see(1));
        QVERIFY(m_fake->messages.isEmpty());
    };
    s[QStringLiteral("weight-sum-above-100")] = [this] {
        frmRacion* sheet = openSheet({QStringLiteral("Кукуруза"), QStringLiteral("Пшеница")});
        typeOver(wes(sheet, 0), in(0));
        typeOver(wes(sheet, 1), in(1));
        QCOMPARE(wes(sheet, 1)->text(), see(0));
        QCOMPARE(text(sheet, QStringLiteral("lblSumWes")), see(1));
        QCOMPARE(find<QLabel>(sheet, QStringLiteral("lblSumWes"))->palette().color(QPalette::Window),
                 QColor(192, 255, 192));
        QVERIFY(find<QPushButton>(sheet, QStringLiteral("cmdDalee"))->isEnabled());
        QCOMPARE(wes(sheet, 0)->text(), kept(0));
        QVERIFY(m_fake->messages.isEmpty());
    };

    // ---- tolerances ----
    // The box shows the last good value again, and that value stays in force
    // (a recalculation takes the tolerances from the boxes).
    auto refusedTolerance = [this](const char* comboName, bool surplus, bool checkKept) {
        frmRacion* sheet = openSheet({QStringLiteral("Кукуруза")});
        leave(find<QComboBox>(sheet, QLatin1String(comboName)), in(0));
        EXPECT_MESSAGES({see(0)}, {});
        QCOMPARE(find<QComboBox>(sheet, QLatin1String(comboName))->currentText(), see(1));
        typeOver(wes(sheet, 0), QStringLiteral("100"));
        const Fixed4 inForce = surplus ? ration().cyPogrWit : ration().cyPogr;
        QCOMPARE(inForce, *Fixed4::fromText(see(1)));
        if (checkKept)
            QCOMPARE(inForce, *Fixed4::fromText(kept(0)));
    };
    s[QStringLiteral("tolerance-letters")] = [refusedTolerance] { refusedTolerance("Combo1", false, true); };
    s[QStringLiteral("tolerance-huge")] = [refusedTolerance] { refusedTolerance("Combo2", true, true); };
    s[QStringLiteral("tolerance-too-many-digits")] = [refusedTolerance] { refusedTolerance("Combo1", false, false); };
    s[QStringLiteral("tolerance-negative")] = [refusedTolerance] { refusedTolerance("Combo1", false, true); };

    // ---- the report sheet's quantity ----
    s[QStringLiteral("quantity-letters-typed")] = [this] {
        QWidget* o = openReport();
        typeOver(find<QLineEdit>(o, QStringLiteral("Text1")), in(0));
        QCOMPARE(find<QLineEdit>(o, QStringLiteral("Text1"))->text(), see(0));
        QVERIFY(m_fake->messages.isEmpty());
    };
    s[QStringLiteral("quantity-letters-pasted")] = [this] {
        QWidget* o = openReport();
        paste(find<QLineEdit>(o, QStringLiteral("Text1")), in(0));
        QCOMPARE(find<QLineEdit>(o, QStringLiteral("Text1"))->text(), kept(0));
        QVERIFY(m_fake->messages.isEmpty());
    };
    s[QStringLiteral("quantity-empty")] = [this] {
        QWidget* o = openReport();
        auto* box = find<QLineEdit>(o, QStringLiteral("Text1"));
        const QString forOne = text(o, QStringLiteral("lblWes(0)"));
        typeOver(box, QStringLiteral("5"));
        QVERIFY(text(o, QStringLiteral("lblWes(0)")) != forOne);
        erase(box);
        QCOMPARE(box->text(), see(0));
        QCOMPARE(text(o, QStringLiteral("lblWes(0)")), forOne);
        QVERIFY(m_fake->messages.isEmpty());
    };
    s[QStringLiteral("quantity-zero")] = [this] {
        QWidget* o = openReport();
        typeOver(find<QLineEdit>(o, QStringLiteral("Text1")), in(0));
        QCOMPARE(find<QLineEdit>(o, QStringLiteral("Text1"))->text(), see(0));
        QVERIFY(m_fake->messages.isEmpty());
    };
    s[QStringLiteral("quantity-zeros")] = [this] {
        QWidget* o = openReport();
        auto* box = find<QLineEdit>(o, QStringLiteral("Text1"));
        typeOver(box, in(0));
        box->home(false);
        QTest::keyClick(box, Qt::Key_Delete);
        QCOMPARE(box->text(), in(1));
        QCOMPARE(box->text(), see(1));
        QCOMPARE(text(o, QStringLiteral("lblWes(0)")), see(2));
        QCOMPARE(frmOtshet::iKolGolov, std::int16_t(0));
        typeOver(box, see(0));   // a lone zero is corrected
        QCOMPARE(box->text(), QStringLiteral("1"));
        QVERIFY(m_fake->messages.isEmpty());
    };
    s[QStringLiteral("quantity-above-limit-typed")] = [this] {
        QWidget* o = openReport();
        typeOver(find<QLineEdit>(o, QStringLiteral("Text1")), in(0));
        QCOMPARE(find<QLineEdit>(o, QStringLiteral("Text1"))->text(), see(0));
        QVERIFY(m_fake->messages.isEmpty());
    };
    s[QStringLiteral("quantity-above-limit-pasted")] = [this] {
        QWidget* o = openReport();
        auto* box = find<QLineEdit>(o, QStringLiteral("Text1"));
        typeOver(box, kept(0));
        paste(box, in(0));
        QCOMPARE(box->text(), kept(0));
        QCOMPARE(frmOtshet::iKolGolov, std::int16_t(kept(0).toInt()));
        QVERIFY(m_fake->messages.isEmpty());
    };
    s[QStringLiteral("quantity-energy-zero")] = [this] {
        QWidget* o = openReport(QStringLiteral("Известняк (известняковая мука)"));
        QCOMPARE(text(Navigation::racion(), QStringLiteral("lblSum(0)")), in(0));
        typeOver(find<QLineEdit>(o, QStringLiteral("Text1")), in(1));
        QCOMPARE(text(o, QStringLiteral("lblWes(0)")), see(0));
        QCOMPARE(text(o, QStringLiteral("lblObqiWes")), see(0));
        QCOMPARE(wes(Navigation::racion(), 0)->text(), QStringLiteral("100"));
        QVERIFY(m_fake->messages.isEmpty());
    };

    // ---- the database file ----
    auto refusedAtStart = [this](const std::function<void()>& spoil) {
        spoil();
        if (QTest::currentTestFailed())
            return;
        const QString path = Database::path();
        const QByteArray before = bytesOf(path);
        QVERIFY(!Startup::checkDatabase());
        EXPECT_MESSAGES({see(0)}, (Bind{{QStringLiteral("path"), path}}));
        QCOMPARE(bytesOf(path), before);
    };
    s[QStringLiteral("db-missing")] = [this] {
        QVERIFY(QFile::remove(Database::path()));
        QVERIFY(Startup::checkDatabase());
        QVERIFY(m_fake->messages.isEmpty());
        for (const QString& table : {QStringLiteral("basa"), QStringLiteral("kurwi"), QStringLiteral("granica")})
            QVERIFY2(readBack(QStringLiteral("select count(*) from ") + table).toInt() > 0, qPrintable(table));
    };
    s[QStringLiteral("db-not-sqlite")] = [refusedAtStart] {
        refusedAtStart([] {
            QFile f(Database::path());
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(QStringLiteral("Это не база данных\r\n").toUtf8());
        });
    };
    s[QStringLiteral("db-other-sqlite")] = [refusedAtStart] {
        refusedAtStart([] {
            QVERIFY(QFile::remove(Database::path()));
            QVERIFY(runSql({{QStringLiteral("create table notes (id integer, text text)"), {}},
                            {QStringLiteral("insert into notes values (1, 'x')"), {}}}));
        });
    };
    s[QStringLiteral("db-table-missing")] = [refusedAtStart] {
        refusedAtStart([] { QVERIFY(runSql(QStringLiteral("drop table granica"))); });
    };
    s[QStringLiteral("db-column-missing")] = [refusedAtStart] {
        refusedAtStart([] { QVERIFY(runSql(QStringLiteral("alter table kurwi drop column dawat_gr"))); });
    };
    s[QStringLiteral("db-locked")] = [this] {
        const QString path = Database::path();
        const QByteArray before = bytesOf(path);
        const QString holder = QStringLiteral("tst-holder");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), holder);
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY2(q.exec(QStringLiteral("BEGIN EXCLUSIVE")), qPrintable(q.lastError().text()));
            QElapsedTimer t;
            t.start();
            const bool ok = Startup::checkDatabase();
            const qint64 waited = t.elapsed();
            q.exec(QStringLiteral("ROLLBACK"));
            db.close();
            QVERIFY(!ok);
            QVERIFY2(waited < 3 * Database::kBusyTimeoutMs, qPrintable(QString::number(waited)));
        }
        QSqlDatabase::removeDatabase(holder);
        EXPECT_MESSAGES({see(0)}, (Bind{{QStringLiteral("path"), path}}));
        QCOMPARE(bytesOf(path), before);
    };
    s[QStringLiteral("db-gone")] = [this] {
        const QString path = Database::path();
        QVERIFY(QFile::remove(path));
        Navigation::newCalculation();
        EXPECT_MESSAGES({see(0)}, (Bind{{QStringLiteral("path"), path}}));
        QWidget* kurwi = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("frmKurwi") && w->isVisible())
                kurwi = w;
        QVERIFY(kurwi);
        QCOMPARE(find<QListWidget>(kurwi, QStringLiteral("lstKurwi"))->count(), 0);
        QVERIFY(!QFileInfo::exists(path));
    };
    s[QStringLiteral("db-over-32767")] = [this] {
        const int rows = in(0).toInt();
        QVERIFY(runSql({{QStringLiteral("delete from basa"), {}},
                        {QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < ?) "
                                        "insert into basa select printf('Корм %05d', i), i, 0, 0, 0, 0, 0, 0, 0, 1, "
                                        "'Зерновые' from n"),
                         {rows}}}));
        Navigation::showBasa();
        EXPECT_MESSAGES({see(0)}, {});
        QWidget* basa = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("frmBasa") && w->isVisible())
                basa = w;
        QVERIFY(basa);
        QCOMPARE(find<QListWidget>(basa, QStringLiteral("lstBasa"))->count(), 0);
        QCOMPARE(readBack(QStringLiteral("select count(*) from basa")).toInt(), rows);
    };

    // ---- the reference editors ----
    auto refusedCell = [this](GridEditor* editor, int column) {
        std::unique_ptr<GridEditor> owner(editor);
        QVERIFY2(editor->isReady(), qPrintable(editor->errorText()));
        const QModelIndex idx = editor->model()->index(2, column);
        const QVariant before = idx.data();
        const QString name = editor->model()->index(2, 0).data().toString();
        QVERIFY(!editor->model()->setData(idx, in(0)));
        EXPECT_MESSAGES({see(0)}, {});
        QCOMPARE(idx.data(), before);
        QCOMPARE(editor->model()->pendingRow(), -1);
        const QString table = qobject_cast<frmBasaKorm*>(editor) ? QStringLiteral("basa") : QStringLiteral("kurwi");
        const QString key = table == QLatin1String("basa") ? QStringLiteral("basa_name_kormow")
                                                           : QStringLiteral("kategoriy_ptici");
        const QString field = editor->model()->record().fieldName(column);
        QCOMPARE(readBack(QStringLiteral("select %1 from %2 where %3 = '%4'").arg(field, table, key, name)), before);
    };
    s[QStringLiteral("editor-number-letters")] = [refusedCell] { refusedCell(new frmBasaKorm, 2); };
    s[QStringLiteral("editor-number-negative")] = [refusedCell] { refusedCell(new frmBasaKorm, 2); };
    s[QStringLiteral("editor-number-empty")] = [this] {
        std::unique_ptr<frmBasaKorm> editor(new frmBasaKorm);
        const QModelIndex idx = editor->model()->index(2, 2);
        const QVariant before = idx.data();
        QVERIFY(!editor->model()->setData(idx, QString()));
        EXPECT_MESSAGES({see(0)}, {});
        QCOMPARE(idx.data(), before);
    };
    s[QStringLiteral("editor-name-empty")] = [this] {
        std::unique_ptr<frmBasaKorm> editor(new frmBasaKorm);
        const QModelIndex idx = editor->model()->index(2, 0);
        const QVariant before = idx.data();
        QVERIFY(!editor->model()->setData(idx, QString()));
        EXPECT_MESSAGES({see(0)}, {});
        QCOMPARE(idx.data(), before);
    };
    s[QStringLiteral("editor-name-quote")] = [refusedCell] { refusedCell(new frmBasaKorm, 0); };
    s[QStringLiteral("editor-name-line-break")] = [refusedCell] { refusedCell(new frmBasaKurwi, 0); };
    s[QStringLiteral("editor-new-row-without-name")] = [this] {
        auto* editor = new frmBasaKorm;
        editor->show();
        const int before = editor->model()->rowCount();
        const int inDatabase = readBack(QStringLiteral("select count(*) from basa")).toInt();
        find<QPushButton>(editor, QStringLiteral("cmdDobawit"))->click();
        QVERIFY(editor->model()->setData(editor->model()->index(before, 1), QStringLiteral("250")));
        editor->grid()->setCurrentIndex(editor->model()->index(0, 0));
        QTRY_COMPARE(editor->grid()->currentIndex().row(), before);
        EXPECT_MESSAGES({see(0)}, (Bind{{QStringLiteral("row"), QString::number(before + 1)}}));
        QCOMPARE(editor->model()->index(before, 1).data().toDouble(), 250.0);
        QCOMPARE(readBack(QStringLiteral("select count(*) from basa")).toInt(), inDatabase);
        editor->model()->revertPending();
    };
    s[QStringLiteral("editor-no-database")] = [this] {
        const QString path = Database::path();
        QVERIFY(QFile::remove(path));
        Navigation::showFeedEditor();
        EXPECT_MESSAGES({see(0)}, (Bind{{QStringLiteral("path"), path}}));
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<frmBasaKorm*>(w));
        QVERIFY(menuRules().isEnabled(MenuItem::Korm));
    };

    // ---- the calculation's database figures ----
    auto refusedComposition = [this] {
        frmRacion* sheet = openSheet({QStringLiteral("Кукуруза"), QStringLiteral("Шрот соевый")});
        typeOver(wes(sheet, 0), QStringLiteral("40"));
        m_fake->messages.clear();
        find<QPushButton>(sheet, QStringLiteral("cmdS"))->click();
        EXPECT_MESSAGES({see(0)}, {});
        QCOMPARE(wes(sheet, 0)->text(), QStringLiteral("40"));
        QCOMPARE(wes(sheet, 1)->text(), QStringLiteral("0"));
    };
    s[QStringLiteral("compose-requirement-missing")] = [refusedComposition] {
        QVERIFY(runSql(QStringLiteral("update kurwi set protein = null where kategoriy_ptici = ?"), {kBroilers}));
        refusedComposition();
    };
    s[QStringLiteral("compose-no-group-limits")] = [refusedComposition] {
        QVERIFY(runSql(QStringLiteral("delete from granica")));
        refusedComposition();
    };

    // ---- the wizard ----
    s[QStringLiteral("feed-eleventh")] = [this] {
        Navigation::showBasa();
        QWidget* basa = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("frmBasa") && w->isVisible())
                basa = w;
        QVERIFY(basa);
        auto* all = find<QListWidget>(basa, QStringLiteral("lstBasa"));
        auto* chosen = find<QListWidget>(basa, QStringLiteral("lstWibor"));
        for (int n = 0; n < 11; ++n) {
            all->setCurrentRow(0);
            Q_EMIT all->itemDoubleClicked(all->item(0));
        }
        EXPECT_MESSAGES({see(0)}, {});
        QCOMPARE(chosen->count(), kept(0).toInt());
    };
    s[QStringLiteral("daily-requirement-missing")] = [this] {
        QVERIFY(runSql(QStringLiteral("update kurwi set dawat_gr = null where kategoriy_ptici = ?"), {kBroilers}));
        frmRacion* sheet = openSheet({QStringLiteral("Кукуруза")});
        typeOver(wes(sheet, 0), QStringLiteral("100"));
        find<QPushButton>(sheet, QStringLiteral("cmdDalee"))->click();
        EXPECT_MESSAGES({see(0)}, {});
        QVERIFY(!menuRules().isEnabled(MenuItem::Vargo));   // the poultry editor is open
        QVERIFY(sheet->isVisible());
        QCOMPARE(wes(sheet, 0)->text(), QStringLiteral("100"));
    };

    // ---- calculation files ----
    auto openRefused = [this](const QString& path, const QString& pattern) {
        RationState& r = ration();
        r.iMaxKorm = 0;
        r.sKurwi = QStringLiteral("Прежняя категория");
        r.sKorm[0] = QStringLiteral("Прежний корм");
        r.DataKorm[0][1] = 123.0;
        m_fake->openAnswers.enqueue(path);
        Navigation::openCalculation();
        EXPECT_MESSAGES({pattern}, (Bind{{QStringLiteral("path"), QDir::toNativeSeparators(path)}}));
        QCOMPARE(r.iMaxKorm, std::int16_t(0));
        QCOMPARE(r.sKurwi, QStringLiteral("Прежняя категория"));
        QCOMPARE(r.sKorm[0], QStringLiteral("Прежний корм"));
        QCOMPARE(r.DataKorm[0][1].toDouble(), 123.0);
        QVERIFY(!Navigation::racion());
        QVERIFY(menuRules().isEnabled(MenuItem::Racion));
    };
    const QStringList good = *CalcFile::toLines(twoFeeds({QStringLiteral("60"), QStringLiteral("40")}));
    s[QStringLiteral("calc-open-cancelled")] = [this] {
        ration().sKurwi = QStringLiteral("Прежняя категория");
        Navigation::openCalculation();
        QVERIFY(m_fake->messages.isEmpty());
        QCOMPARE(m_fake->openFilters.size(), 1);
        QVERIFY(!Navigation::racion());
        QCOMPARE(ration().sKurwi, QStringLiteral("Прежняя категория"));
        QVERIFY(menuRules().isEnabled(MenuItem::Racion));
    };
    s[QStringLiteral("calc-open-missing")] = [this, openRefused] {
        openRefused(m_dir->filePath(QStringLiteral("нет такого.kalk")), see(0));
    };
    s[QStringLiteral("calc-too-few-lines")] = [this, openRefused, good] {
        openRefused(writeCalc(good.mid(0, 46)), see(0));
    };
    s[QStringLiteral("calc-feed-count-out-of-range")] = [this, openRefused, good] {
        QStringList lines = good;
        lines[0] = in(0);
        openRefused(writeCalc(lines), see(0));
    };
    s[QStringLiteral("calc-wrong-kind")] = [this, openRefused, good] {
        QStringList lines = good;
        lines[2] = in(0);
        openRefused(writeCalc(lines), see(0));
    };
    s[QStringLiteral("calc-weight-missing")] = [this, openRefused, good] {
        QStringList lines = good;
        lines[47] = in(0);
        openRefused(writeCalc(lines), see(0));
    };
    s[QStringLiteral("calc-names-not-in-database")] = [this] {
        CalcFile::Contents c;
        c.iMaxKorm = 0;
        c.sKurwi = in(1);
        c.sKorm[0] = in(0);
        c.DataKorm[0] = {c.sKorm[0], 200.0, 10.0, 0.5, 0.3, 0.1, 0.0, 0.0, 0.1, 20.0, QStringLiteral("Прочие")};
        c.NormaKur = {c.sKurwi, 280.0, 16.0, 3.0, 0.7, 0.15, 1.0, 0.2, 0.5, 300.0};
        c.weights = {QStringLiteral("20")};
        m_fake->openAnswers.enqueue(writeCalc(*CalcFile::toLines(c)));
        Navigation::openCalculation();
        EXPECT_MESSAGES({see(0)}, {});
        QWidget* sheet = Navigation::racion();
        QVERIFY(sheet);
        QCOMPARE(wes(sheet, 0)->text(), QStringLiteral("20"));
        QCOMPARE(ration().DataKorm[0][1].toDouble(), 200.0);
        QCOMPARE(ration().NormaKur[9].toDouble(), 300.0);
    };
    s[QStringLiteral("calc-weight-other-separator")] = [this] {
        m_fake->openAnswers.enqueue(writeCalc(*CalcFile::toLines(twoFeeds({in(0), QStringLiteral("87.5")}))));
        Navigation::openCalculation();
        QVERIFY2(m_fake->messages.isEmpty(), qPrintable(m_fake->messages.join('\n')));
        QWidget* sheet = Navigation::racion();
        QVERIFY(sheet);
        QCOMPARE(wes(sheet, 0)->text(), see(0));
        QCOMPARE(text(sheet, QStringLiteral("lblSumWes")), QStringLiteral("100"));
    };
    s[QStringLiteral("calc-save-cancelled")] = [this] {
        typeOver(wes(openSheet({QStringLiteral("Кукуруза")}), 0), QStringLiteral("100"));
        Navigation::saveCalculation();
        QCOMPARE(m_fake->saveFilters.size(), 1);
        QVERIFY(m_fake->messages.isEmpty());
        QVERIFY(filesIn(QStringLiteral("*.kalk")).isEmpty());
    };
    auto saveRefused = [this](const QString& feed, const QString& category) {
        typeOver(wes(openSheet({feed}, category), 0), QStringLiteral("100"));
        m_fake->saveAnswers.enqueue(m_dir->filePath(QStringLiteral("расчет.kalk")));
        Navigation::saveCalculation();
        EXPECT_MESSAGES({see(0)}, {});
        QVERIFY(m_fake->saveFilters.isEmpty());   // no file dialog
        QVERIFY(filesIn(QStringLiteral("*.kalk")).isEmpty());
    };
    s[QStringLiteral("calc-save-double-quote")] = [this, saveRefused] {
        QVERIFY(copyCategory(kBroilers, in(0)));
        saveRefused(QStringLiteral("Кукуруза"), in(0));
    };
    s[QStringLiteral("calc-save-line-break")] = [this, saveRefused] {
        QVERIFY(copyFeed(QStringLiteral("Кукуруза"), in(0)));
        saveRefused(in(0), kBroilers);
    };
    s[QStringLiteral("calc-save-not-1251")] = [this, saveRefused] {
        QVERIFY(copyFeed(QStringLiteral("Кукуруза"), in(0)));
        saveRefused(in(0), kBroilers);
    };
    s[QStringLiteral("calc-save-folder-unwritable")] = [this] {
        typeOver(wes(openSheet({QStringLiteral("Кукуруза")}), 0), QStringLiteral("100"));
        const QString path = m_dir->filePath(QStringLiteral("нет такой папки/расчет.kalk"));
        m_fake->saveAnswers.enqueue(path);
        Navigation::saveCalculation();
        EXPECT_MESSAGES({see(0)}, (Bind{{QStringLiteral("path"), path}}));
        QVERIFY(!QFileInfo::exists(path));
    };

    // ---- report targets ----
    s[QStringLiteral("report-cancelled")] = [this] {
        openReport();
        Navigation::writeReport();
        QCOMPARE(m_fake->saveFilters.size(), 1);
        QVERIFY(m_fake->messages.isEmpty());
        QVERIFY(filesIn(QStringLiteral("*.txt")).isEmpty());
    };
    s[QStringLiteral("report-folder-unwritable")] = [this] {
        openReport();
        const QString path = m_dir->filePath(QStringLiteral("нет такой папки/отчет.txt"));
        m_fake->saveAnswers.enqueue(path);
        Navigation::writeReport();
        EXPECT_MESSAGES({see(0)}, (Bind{{QStringLiteral("path"), path}}));
        QVERIFY(!QFileInfo::exists(path));
    };
    s[QStringLiteral("report-not-1251")] = [this] {
        QVERIFY(copyCategory(kBroilers, in(0)));
        openReport(QStringLiteral("Кукуруза"), in(0));
        m_fake->saveAnswers.enqueue(m_dir->filePath(QStringLiteral("отчет.txt")));
        Navigation::writeReport();
        EXPECT_MESSAGES({see(0)}, {});
        QVERIFY(m_fake->saveFilters.isEmpty());
        QVERIFY(filesIn(QStringLiteral("*.txt")).isEmpty());
    };
    s[QStringLiteral("view-name-with-blanks")] = [this] {
        m_fake->realViewer = true;
        const QString path = m_dir->filePath(in(0));
        QVERIFY(TextFile::writeLines(path, {QStringLiteral("      Рацион для кормления")}));
        const QByteArray before = bytesOf(path);
        m_fake->openAnswers.enqueue(path);
        Navigation::viewReport();
        QVERIFY(m_fake->messages.isEmpty());
        TextViewer* viewer = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* v = qobject_cast<TextViewer*>(w))
                viewer = v;
        QVERIFY(viewer);
        QCOMPARE(viewer->windowTitle(), see(0));
        QCOMPARE(viewer->text(), QStringLiteral("      Рацион для кормления\n"));
        QCOMPARE(bytesOf(path), before);
    };
    s[QStringLiteral("view-unreadable")] = [this] {
        m_fake->realViewer = true;
        const QString path = m_dir->filePath(in(0));
        QVERIFY(QDir(m_dir->path()).mkdir(in(0)));
        m_fake->openAnswers.enqueue(path);
        Navigation::viewReport();
        EXPECT_MESSAGES({see(0)}, (Bind{{QStringLiteral("path"), QDir::toNativeSeparators(path)}}));
    };

    // ---- help and the web address ----
    s[QStringLiteral("help-missing")] = [this] {
        const QStringList dirs{m_dir->filePath(QStringLiteral("bin")), m_dir->filePath(QStringLiteral("share"))};
        MDIForm1::setHelpDirectories(dirs);
        MDIForm1 frame;
        find<QAction>(&frame, QStringLiteral("lblRabota"))->trigger();
        QStringList shown;
        for (const QString& d : dirs)
            shown << QDir::toNativeSeparators(d);
        EXPECT_MESSAGES({see(0)}, (Bind{{QStringLiteral("dirs"), shown.join(QStringLiteral(", "))}}));
        QVERIFY(m_fake->viewedFiles.isEmpty());
    };
    s[QStringLiteral("url-handler-fails")] = [this] {
        m_fake->urlResult = false;
        MDIForm1 frame;
        find<QAction>(&frame, QStringLiteral("lblFaq"))->trigger();
        EXPECT_MESSAGES({see(0)}, {});
        QCOMPARE(m_fake->openedUrls.size(), 1);
        QVERIFY(frame.isEnabled());
    };
    return s;
}

QTEST_MAIN(tst_bad_input)
#include "tst_bad_input.moc"
