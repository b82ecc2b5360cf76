#include "data/Adodc.h"
#include "data/RationState.h"
#include "data/TextFile.h"
#include "files/CalcFile.h"
#include "files/LastDirs.h"
#include "shell/MDIForm1.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "shell/Platform.h"
#include "support/UiSupport.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

// Saving a calculation from the real worksheet and opening it again.
namespace {

// The weights, the totals and the deviations the worksheet shows.
QStringList shown(QWidget* sheet, int feeds)
{
    QStringList out;
    for (int i = 0; i < feeds; ++i)
        out << sheet->findChild<QLineEdit*>(u"txtWes(%1)"_s.arg(i))->text();
    for (int k = 0; k < 8; ++k)
        out << sheet->findChild<QLabel*>(u"lblSum(%1)"_s.arg(k))->text()
            << sheet->findChild<QLabel*>(u"lblProcent(%1)"_s.arg(k))->text();
    return out;
}

void closeWorksheet()   // a top-level window: the tests have no frame
{
    QPointer<QWidget> sheet = Navigation::racion();
    if (sheet)
        sheet->close();
    QTRY_VERIFY(sheet.isNull());
}

// The fake platform, but with the program's real file dialogs.
class RealFileDialogs : public TestSupport::FakePlatform {
public:
    QString saveFileName(const QString& filter, const QString& dir) override
    {
        return real([&] { return platform().saveFileName(filter, dir); });
    }
    QString openFileName(const QString& filter, const QString& dir) override
    {
        return real([&] { return platform().openFileName(filter, dir); });
    }

private:
    template <class F> QString real(F dialog)
    {
        setPlatform(nullptr);
        const QString answer = dialog();
        setPlatform(this);
        return answer;
    }
};

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class tst_calcroundtrip : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { UiSupport::startUi(); }
    void init()
    {
        resetRation();
        menuRules().reset();
        LastDirs::reset();
    }
    void cleanup() { closeWorksheet(); }

    void saveThenOpenGivesTheSameWorksheet()
    {
        TestSupport::TempWorkDir dir;
        TestSupport::FakePlatform fake;
        RationState& r = ration();
        r.sKurwi = u"Бройлеры: старт (1-3 нед.)"_s;
        r.iMaxKorm = 2;
        r.sKorm = {u"Кукуруза"_s, u"Шрот соевый"_s, u"Пшеница"_s};
        QWidget* sheet = Navigation::showRacion();
        const QStringList weights{u"50,5"_s, u"30"_s, u"19,5"_s};
        for (int i = 0; i < 3; ++i)
            sheet->findChild<QLineEdit*>(u"txtWes(%1)"_s.arg(i))->setText(weights[i]);
        const QStringList before = shown(sheet, 3);
        QCOMPARE(before.mid(0, 3), weights);

        const QString path = dir.filePath(u"расчет.kalk"_s);
        fake.saveAnswers << path;
        Navigation::saveCalculation();
        QCOMPARE(TextFile::readLines(path)->size(), CalcFile::lineCount(3));
        closeWorksheet();
        r.sKurwi = u"Бройлеры: рост (4-5 нед.)"_s;
        r.iMaxKorm = 0;
        r.sKorm[0] = u"Овес"_s;

        fake.openAnswers << path;
        Navigation::openCalculation();
        QVERIFY2(fake.messages.isEmpty(), qPrintable(fake.messages.join('\n')));
        QCOMPARE(r.iMaxKorm, std::int16_t(2));
        QCOMPARE(r.sKurwi, u"Бройлеры: старт (1-3 нед.)"_s);
        QCOMPARE(shown(Navigation::racion(), 3), before);
        QVERIFY(!menuRules().isEnabled(MenuItem::Racion));
        QTRY_VERIFY(!r.bOpenKalk);
    }

    // Stored weights come back as they were, even where a group holds more
    // than its limit: the group step is skipped while they are restored.
    void restoredWeightsSkipTheGroupLimit()
    {
        TestSupport::TempWorkDir dir;
        TestSupport::FakePlatform fake;
        CalcFile::Contents c;
        c.iMaxKorm = 1;
        c.sKurwi = u"Бройлеры: старт (1-3 нед.)"_s;
        c.sKorm = {u"Кукуруза"_s, u"Пшеница"_s};
        c.weights = QStringList{u"50"_s, u"50"_s};
        const QString path = dir.filePath(u"зерно.kalk"_s);
        QVERIFY(TextFile::writeLines(path, *CalcFile::toLines(c)));
        fake.openAnswers << path;
        Navigation::openCalculation();
        QCOMPARE(shown(Navigation::racion(), 2).mid(0, 2), c.weights);
        QVERIFY2(fake.messages.isEmpty(), qPrintable(fake.messages.join('\n')));
    }

    // The real dialogs from the main window's menus, in a home without a
    // documents folder: the save dialog starts at home with no name offered,
    // adds the extension to a name typed without it and so asks before it
    // replaces a file of that name; the open dialog finds the file again.
    void realDialogsFromTheMenus()
    {
        using namespace UiSupport;
        Fresh fresh;
        QTemporaryDir home;
        TestSupport::HomeAt at(home.path());
        RealFileDialogs dialogs;
        MDIForm1 w;
        w.show();
        typeOver(wes(openWorksheet({u"Кукуруза"_s}), 0), u"100"_s);
        const QString earlier = home.filePath(u"ration.kalk"_s);
        QVERIFY(TextFile::writeLines(earlier, {u"прежний"_s}));
        const QByteArray before = bytesOf(earlier);

        // The dialog's title, folder and offered name, then whether it asked.
        auto typeName = [this](const QString& name, QStringList* seen, std::optional<bool> replace) {
            onNextModal(this, [=](QWidget* modal) {
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                auto* box = find<QLineEdit>(dialog, u"fileNameEdit"_s);
                *seen << dialog->windowTitle() << dialog->directory().absolutePath() << box->text();
                if (replace)
                    onNextModal(dialog, [=](QWidget* question) {
                        *seen << u"asked"_s;
                        static_cast<QMessageBox*>(question)->button(*replace ? QMessageBox::Yes : QMessageBox::No)->click();
                        if (!*replace)
                            QTimer::singleShot(0, dialog, &QDialog::reject);
                    }, "QMessageBox");
                box->setFocus();
                QTest::keyClicks(box, name);
                QTest::keyClick(box, Qt::Key_Return);
            }, "QFileDialog");
        };
        const auto menu = [&w](const char* name) { find<QAction>(&w, QLatin1String(name))->trigger(); };
        for (const bool replace : {false, true}) {
            QStringList seen;
            typeName(u"ration"_s, &seen, replace);
            menu("mnuSaveR");
            QCOMPARE(seen, QStringList({u"Сохранить расчет"_s, home.path(), QString(), u"asked"_s}));
            QCOMPARE(bytesOf(earlier) == before, !replace);
        }
        QCOMPARE(TextFile::readLines(earlier)->size(), CalcFile::lineCount(1));
        QCOMPARE(QDir(home.path()).entryList(QDir::Files), QStringList{u"ration.kalk"_s});

        find<QPushButton>(Navigation::racion(), u"cmdExit"_s)->click();
        settle();
        QStringList seen;
        typeName(u"ration.kalk"_s, &seen, std::nullopt);
        menu("mnuSRachet");
        QCOMPARE(seen, QStringList({u"Открыть старый расчет"_s, home.path(), QString()}));
        QCOMPARE(wes(liveScreen(u"frmRacion"_s), 0)->text(), u"100"_s);
        QCOMPARE(dialogs.messages, QStringList());
    }

    // What the format allows opens from the main window, whether this program
    // wrote it (a blank name from a database made elsewhere) or another:
    // no feeds, text after a closing quote, lines after the last weight.
    void filesTheFormatAllowsOpen_data()
    {
        QTest::addColumn<QString>("feed");
        QTest::addColumn<QStringList>("edits");   // "line=text" replaces a line, "+text" adds one, "-first,count" drops
        QTest::addColumn<QStringList>("weights");
        QTest::newRow("blank feed name") << u" "_s << QStringList() << QStringList{u"100"_s};
        QTest::newRow("no feeds") << u"Кукуруза"_s << QStringList{u"1=-1"_s, u"-3,17"_s, u"-30,1"_s} << QStringList();
        QTest::newRow("text after a closing quote")
            << u"Кукуруза"_s << QStringList{u"8=\"Кукуруза\" 12"_s, u"30=\"100\" грамм"_s} << QStringList{u"100"_s};
        QTest::newRow("lines after the last weight")
            << u"Кукуруза"_s << QStringList{u"+"_s, u"+\"что-то еще\""_s} << QStringList{u"100"_s};
    }
    void filesTheFormatAllowsOpen()
    {
        QFETCH(QString, feed);
        QFETCH(QStringList, edits);
        QFETCH(QStringList, weights);
        using namespace UiSupport;
        Fresh fresh;
        MDIForm1 w;
        w.show();
        if (feed.trimmed().isEmpty()) {   // a copy of a feed under a blank name, as another program may leave
            Adodc db;
            db.setRecordSource(u"insert into basa select '%1', ob_en, protein, calciy_, pospor, natriy, A, D, B3, granic, "
                               "gruppa from basa where basa_name_kormow = 'Кукуруза'"_s.arg(feed));
            QVERIFY(db.Refresh());
        }
        typeOver(wes(openWorksheet({feed}), 0), u"100"_s);
        const QString path = fresh.dir.filePath(u"расчет.kalk"_s);
        fresh.fake.saveAnswers << path;
        find<QAction>(&w, u"mnuSaveR"_s)->trigger();
        QStringList lines = *TextFile::readLines(path);
        QCOMPARE(lines.size(), CalcFile::lineCount(1));
        std::ranges::reverse(edits);   // from the end, so line numbers stay those of the file as written
        for (const QString& e : edits) {
            if (e.startsWith(u'+'))
                lines.append(e.mid(1));
            else if (e.startsWith(u'-'))
                lines.remove(e.mid(1).section(u',', 0, 0).toInt() - 1, e.section(u',', 1).toInt());
            else
                lines[e.section(u'=', 0, 0).toInt() - 1] = e.section(u'=', 1);
        }
        QVERIFY(TextFile::writeLines(path, lines));
        find<QPushButton>(Navigation::racion(), u"cmdExit"_s)->click();
        settle();

        fresh.fake.openAnswers << path;
        find<QAction>(&w, u"mnuSRachet"_s)->trigger();
        settle();
        QCOMPARE(fresh.fake.messages, QStringList());
        QWidget* sheet = liveScreen(u"frmRacion"_s);
        QVERIFY(sheet);
        QCOMPARE(ration().sKurwi, kBroilers);
        QCOMPARE(textsOf(sheet, u"txtWes(%1)"_s, int(weights.size())), weights);
        QCOMPARE(ration().feedCount(), int(weights.size()));
        QCOMPARE(textOf(sheet, u"lblKuri(0)"_s), kBroilers);
    }
};

QTEST_MAIN(tst_calcroundtrip)
#include "tst_calcroundtrip.moc"
