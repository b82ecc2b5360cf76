// The shown main window as a desktop user meets it: its menus and keys, its
// look at every font size and in a dark scheme, the question before unsaved
// weights are thrown away, the help, the about box and the questions, one
// copy of the program per database.

#include "data/Database.h"
#include "data/TextFile.h"
#include "shell/Colours.h"
#include "shell/AppInfo.h"
#include "shell/MDIForm1.h"
#include "shell/Navigation.h"
#include "shell/OneCopy.h"
#include "shell/Screens.h"
#include "shell/Startup.h"
#include "support/UiSupport.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QProxyStyle>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOption>
#include <QToolButton>

using namespace UiSupport;

namespace {

// What a user sees cut, covered or faint on a screen: a text that does not
// fit its control, two controls on top of each other (dividing lines aside),
// a text too close in colour to its background.
QStringList faultsOf(QWidget* screen)
{
    QStringList faults;
    QList<QWidget*> placed;   // the controls on the screen and on its plain panels
    for (QWidget* w : screen->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(screen))
            continue;
        auto* f = qobject_cast<QFrame*>(w);
        QWidget* parent = w->parentWidget();
        if ((parent == screen || QByteArray(parent->metaObject()->className()) == "QWidget") && !w->isWindow()
            && !(f && (f->frameShape() == QFrame::HLine || f->frameShape() == QFrame::VLine)))
            placed << w;
        const QFontMetrics fm = w->fontMetrics();
        auto* l = qobject_cast<QLabel*>(w);
        auto* e = qobject_cast<QLineEdit*>(w);
        bool cut = false;
        if (l && !l->text().isEmpty()) {
            const QRect room = l->contentsRect().marginsRemoved(QMargins(l->margin(), l->margin(), l->margin(), l->margin()));
            const QRect text = fm.boundingRect(QRect(room.topLeft(), QSize(room.width(), 10000)),
                                               (l->wordWrap() ? Qt::TextWordWrap : 0) | (l->buddy() ? Qt::TextShowMnemonic : 0) | Qt::AlignLeft, l->text());
            cut = text.width() > room.width() || text.height() > room.height();
            // A number cell holds a contribution or a total with four decimals.
            cut = cut || (l->frameShape() == QFrame::Panel && fm.horizontalAdvance("000,0000") > room.width());
        } else if (auto* b = qobject_cast<QPushButton*>(w)) {
            cut = fm.horizontalAdvance(b->text().remove('&')) + 8 > b->width() || fm.height() + 4 > b->height();
        } else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
            cut = w->sizeHint().width() > w->width() || fm.height() > w->height();
        } else if (e) {   // a box, or a combo box's line: its text within the style's contents rectangle
            QStyleOptionFrame o;
            o.initFrom(e);
            o.lineWidth = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &o, e) : 0;
            const QRect room = e->style()->subElementRect(QStyle::SE_LineEditContents, &o, e).marginsRemoved(e->textMargins());
            cut = fm.horizontalAdvance(e->text()) + 2 * 2 + 1 > room.width() || fm.height() > room.height();
        }
        if (cut)
            faults << QStringLiteral("%1 cuts \"%2\" at %3x%4").arg(w->objectName(), w->property("text").toString())
                          .arg(w->width()).arg(w->height());
        // As in the active window (a style may grey the texts of one in the background).
        const QColor back = e ? e->palette().color(QPalette::Active, QPalette::Base)
                              : (l && l->autoFillBackground() ? l : screen)->palette().color(QPalette::Active, QPalette::Window);
        const QColor text = w->palette().color(QPalette::Active, e ? QPalette::Text : QPalette::WindowText);
        if ((e || (l && !l->text().isEmpty())) && Screens::contrast(back, text) < 4.5)
            faults << w->objectName() + " shows its text faintly: " + back.name() + " / " + text.name();
    }
    for (int i = 0; i < placed.size(); ++i)
        for (int j = i + 1; j < placed.size(); ++j)
            if (placed[i]->parentWidget() == placed[j]->parentWidget() && placed[i]->geometry().intersects(placed[j]->geometry()))
                faults << placed[i]->objectName() + " overlaps " + placed[j]->objectName();
    return faults;
}

// The longest texts of a list, longest first.
QStringList longest(const QAbstractItemView* list, int count)
{
    QStringList all = itemTexts(list);
    std::stable_sort(all.begin(), all.end(), [](const QString& a, const QString& b) { return a.size() > b.size(); });
    return all.mid(0, count);
}

} // namespace

class tst_shell : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { startUi(); }

    // The main window on the desktop, set up as the program starts: no
    // application's name added to any window's title, message boxes of both
    // kinds with the program's title, the
    // program's icon and desktop id, Qt's own texts in Russian, the frame
    // centred; the menus with a mnemonic for every item, the usual keys, the
    // help, the about box with the database's path, and each item off while its screen is open.
    void desktop()
    {
        const auto name = qScopeGuard([n = QCoreApplication::applicationName()] { QCoreApplication::setApplicationName(n); });
        Startup::configureApplication(*qApp);
        // Qt adds a display name of the application's own to every title ("Выбор — Рацион").
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
        QStringList boxes;   // the icon and the title of each
        for (auto kind : {MessageKind::Warning, MessageKind::Information}) {
            onNextModal(this, [&](QWidget* box) { boxes << QString("%1 %2").arg(qobject_cast<QMessageBox*>(box)->icon()).arg(box->windowTitle()); box->close(); });
            platform().message("Текст", kind);
        }
        QCOMPARE(boxes, (QStringList{QString("%1 Рацион").arg(QMessageBox::Warning), QString("%1 Рацион").arg(QMessageBox::Information)}));
        FreshFrame fresh;
        MDIForm1& w = fresh.frame;
        const auto argb = QImage::Format_ARGB32_Premultiplied;
        QCOMPARE(w.windowIcon().pixmap(48).toImage().convertToFormat(argb), QImage(":/icons/racion-48.png").convertToFormat(argb));
        // Too narrow for its menus, the menu bar shows its arrow with the style's own picture.
        const QSize wide = w.size();
        w.resize(Screens::scaled(90), wide.height());
        QTRY_VERIFY(w.menuBar()->findChild<QToolButton*>("qt_menubar_ext_button")->isVisible());
        const QIcon arrow = w.menuBar()->findChild<QToolButton*>("qt_menubar_ext_button")->icon();
        const QStyle* base = qobject_cast<QProxyStyle*>(QApplication::style())->baseStyle();
        QCOMPARE(arrow.pixmap(16).toImage(), base->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton).pixmap(16).toImage());
        w.resize(wide);
        QCOMPARE(QDialogButtonBox(QDialogButtonBox::Cancel).buttons().value(0)->text(), "Отмена");
        // Centred before the window system adds its frame, so within a few pixels.
        const QPoint off = w.frameGeometry().center() - w.screen()->availableGeometry().center();
        QVERIFY(qAbs(off.x()) <= 4 && qAbs(off.y()) <= 4);

        for (QAction* m : w.menuBar()->actions()) {   // a mnemonic for every menu and item, none twice in a menu
            QString keys = QKeySequence::mnemonic(m->text()).toString();
            for (QAction* a : m->menu()->actions()) {
                const QString k = QKeySequence::mnemonic(a->text()).toString();
                QVERIFY2(a->isSeparator() || (!k.isEmpty() && !keys.contains(k)), qPrintable(a->text()));
                keys += k;
            }
        }
        // The usual keys choose their item while it is on.
        auto pressed = [&](const char* keys, const char* name) {
            QSignalSpy spy(menuItem(name), &QAction::triggered);
            QTest::keySequence(&w, QKeySequence(keys));
            return spy.count();
        };
        QCOMPARE(pressed("Ctrl+S", "mnuSaveR"), 0);   // no calculation
        QCOMPARE(pressed("Ctrl+O", "mnuSRachet"), 1);   // the dialog is cancelled
        // The help from its start, or (with no site yet) at its questions
        // from "FAQ" and from the about box's address button.
        QCOMPARE(pressed("F1", "lblRabota"), 1);
        menuItem("lblFaq")->trigger();
        QString about;
        onNextModal(this, [&](QWidget* box) {
            QCOMPARE(box->windowIcon().cacheKey(), w.windowIcon().cacheKey());
            about = textOf(box, "lblBasa").remove(QChar(0x200B));   // breakable after a "/"
            QVERIFY(!menuItem("mnuProgramm")->isEnabled());
            // The box's own focus: on a busy machine the window system may not have made it active yet.
            QTest::keyClick(box->focusWidget(), Qt::Key_Tab);
            QTest::keyClick(box->focusWidget(), Qt::Key_Return);
        }, "frmProgramm");
        menuItem("mnuProgramm")->trigger();
        QVERIFY(!QApplication::activeModalWidget() && menuItem("mnuProgramm")->isEnabled());
        QVERIFY(about.endsWith(": " + QDir::toNativeSeparators(QFileInfo(fresh.dir.filePath("treba.mdb")).canonicalFilePath())));
        QCOMPARE(fresh.fake.viewedFrom, (QStringList{"", AppInfo::kHelpQuestions, AppInfo::kHelpQuestions}));
        QVERIFY(fresh.fake.openedUrls.isEmpty());
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));

        QCOMPARE(pressed("Ctrl+N", "mnuNRaschet"), 1);
        QCOMPARE(pressed("Ctrl+N", "mnuNRaschet"), 0);   // not during a calculation
        menuItem("mnuKorm")->trigger();
        QCOMPARE(pressed("Ctrl+Q", "mnuExit"), 1);   // closing the frame closes every screen in it
        QVERIFY(!w.isVisible() && menuItem("mnuRacion")->isEnabled() && menuItem("mnuKorm")->isEnabled());
        QVERIFY(fresh.fake.messages.isEmpty());
    }

    // A start of the program on the database of the copy running (here the
    // test's own, which takes over the lock of a copy killed on it) hands it
    // the calculation file or, without one, brings it to the front, and ends;
    // a file comes with a message while another calculation is open. A start
    // on another folder's database runs on its own.
    void oneCopyPerDatabase()
    {
        FreshFrame fresh;
        MDIForm1& w = fresh.frame;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", fresh.settings.path());
        const auto start = [&](QProcess& p, const QString& folder, const QStringList& args) {
            p.setProcessEnvironment(env);
            p.setWorkingDirectory(folder);
            p.start(QCoreApplication::applicationDirPath() + "/racion", QStringList{"-platform", "offscreen"} + args);
            return p.waitForStarted();
        };
        const auto handedOver = [&](const QStringList& args) {   // this event loop answers meanwhile
            QProcess p;
            QSignalSpy ended(&p, &QProcess::finished);
            return start(p, fresh.dir.path(), args) && ended.wait(60000) && p.exitStatus() == QProcess::NormalExit && !p.exitCode();
        };
        QProcess killed;
        QLocalSocket probe;
        QVERIFY(start(killed, fresh.dir.path(), {}));
        QTRY_VERIFY_WITH_TIMEOUT((probe.abort(), probe.connectToServer(OneCopy::serverName(Database::path())), probe.waitForConnected(100)), 60000);
        killed.kill();
        QVERIFY(killed.waitForFinished());
        OneCopy one(Database::path());
        QCOMPARE(one.start(QString()), OneCopy::Outcome::First);
        one.serve([&w](const QString& file) { Startup::takeHandedOver(w, file); });

        openWorksheet({"Кукуруза", "Пшеница"}, kBroilers, {"60", "40"});
        fresh.fake.saveAnswers << fresh.dir.filePath("r.kalk");
        QTest::keySequence(&w, QKeySequence("Ctrl+S"));
        QVERIFY(closeWorksheet());
        for (const QString file : {"r.kalk", "", "r.kalk"}) {
            w.showMinimized();
            QVERIFY(handedOver(file.isEmpty() ? QStringList() : QStringList{file}));   // named relative to its folder
            QTRY_VERIFY(!w.isMinimized() && worksheet());
            QCOMPARE(textsOf(worksheet(), "txtWes(%1)", 2), (QStringList{"60", "40"}));
        }
        QTRY_VERIFY2_WITH_TIMEOUT(fresh.fake.messages.size() == 1 && fresh.fake.messages[0].contains("r.kalk не открыт: сейчас идет другой расчет"), qPrintable(fresh.fake.messages.join("|")), 60000);
        QTemporaryDir other;
        QProcess alone;
        QVERIFY(start(alone, other.path(), {}));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(other.filePath("treba.mdb")), 60000);   // past the hand-over: running
        alone.kill();
        QVERIFY(alone.waitForFinished());
        const QString left = OneCopy::serverName(QDir(other.path()).filePath("treba.mdb"));   // by the copy killed
        QVERIFY(QLocalServer::removeServer(left) && (QFile::remove(left + ".lock") || !left.contains('/')));
    }

    // What reaches the copy running on its socket: a request in pieces is
    // taken once whole and answered; bytes of no request, or more than a file
    // name, close the connection and take nothing. The copy keeps serving.
    void oneCopyRequests_data()
    {
        QTest::addColumn<QList<QByteArray>>("pieces");   // written one after another
        QTest::addColumn<QString>("taken");              // "-": nothing
        const auto request = [](const QString& file) {
            QByteArray bytes;
            QDataStream out(&bytes, QIODevice::WriteOnly);
            out << file;
            return bytes;
        };
        const QByteArray whole = request("/tmp/r.kalk");
        QTest::newRow("whole") << QList<QByteArray>{whole} << "/tmp/r.kalk";
        QTest::newRow("no file: to the front") << QList<QByteArray>{request(QString())} << "";
        QTest::newRow("in three pieces") << QList<QByteArray>{whole.left(2), whole.mid(2, 9), whole.mid(11)} << "/tmp/r.kalk";
        QTest::newRow("an odd length") << QList<QByteArray>{QByteArray::fromHex("00000003616263")} << "-";
        QTest::newRow("a length beyond a file name") << QList<QByteArray>{QByteArray::fromHex("00100000") + QByteArray(70000, 'a')} << "-";
    }
    void oneCopyRequests()
    {
        QFETCH(QList<QByteArray>, pieces);
        QFETCH(QString, taken);
        Fresh fresh;
        OneCopy one(Database::path());
        QCOMPARE(one.start(QString()), OneCopy::Outcome::First);
        // A copy of an earlier version, which keeps a lock file of Qt's, finds the lock held.
        const QString name = OneCopy::serverName(Database::path());
        QLockFile earlier((name.contains('/') ? name : QDir(QDir::tempPath()).filePath(name)) + ".lock");
        QVERIFY(!earlier.tryLock(0) && earlier.error() == QLockFile::LockFailedError);
        QStringList files;
        one.serve([&](const QString& file) { files << file; });
        for (int round = 0; round < 2; ++round) {   // the second: the copy still serves
            QLocalSocket socket;
            socket.connectToServer(OneCopy::serverName(Database::path()));
            QVERIFY(socket.waitForConnected(5000));
            for (const QByteArray& piece : pieces) {
                socket.write(piece);
                QTRY_COMPARE(socket.bytesToWrite(), 0);   // this thread's event loop serves the copy too
                QTest::qWait(20);
            }
            if (taken == "-") {
                QTRY_COMPARE(socket.state(), QLocalSocket::UnconnectedState);
                QTest::qWait(50);
                QVERIFY(files.isEmpty());
            } else {
                QByteArray answer;
                QTRY_COMPARE(answer += socket.readAll(), QByteArray("ok\n"));
                QTRY_COMPARE(files, QStringList(round + 1, taken));
            }
        }
    }

    // Weights changed since the last save or open are not lost without a
    // word: "Сохранить расчет?" before the worksheet or the program closes.
    void unsavedWorkIsAsked_data()
    {
        QTest::addColumn<QString>("closing");   // program, worksheet, feed selection
        QTest::addColumn<QString>("before");    // what happens to the weights 60 and 40 first
        QTest::addColumn<QString>("answer");    // "" = nothing is asked
        QTest::addColumn<QString>("saveAs");    // the save dialog's answer, "" = cancelled
        for (const QString closing : {"program", "worksheet"}) {
            QTest::addRow("%s: Да saves and closes", qPrintable(closing)) << closing << "" << "Да" << "r.kalk";
            QTest::addRow("%s: Да, save cancelled, stays", qPrintable(closing)) << closing << "" << "Да" << "";
            QTest::addRow("%s: Нет closes", qPrintable(closing)) << closing << "" << "Нет" << "";
            QTest::addRow("%s: Отмена stays", qPrintable(closing)) << closing << "" << "Отмена" << "";
        }
        QTest::newRow("saved, then 60 typed as 60,0: nothing asked") << "worksheet" << "save" << "" << "";
        QTest::newRow("saved, then changed: asked") << "program" << "save, 50" << "Нет" << "";
        QTest::newRow("all weights 0: nothing asked") << "program" << "zero" << "" << "";
        // Kept by "Назад", the weights are the calculation still.
        QTest::newRow("Назад, feed selection: Да saves and closes") << "feed selection" << "Назад" << "Да" << "r.kalk";
        QTest::newRow("Назад, feed selection: Отмена stays") << "feed selection" << "Назад" << "Отмена" << "";
        QTest::newRow("Назад, program: Нет closes") << "program" << "Назад" << "Нет" << "";
        // An editor that cannot write its row keeps every window open, the worksheet unasked.
        QTest::newRow("a price refused: nothing asked or closed") << "program" << "дорого" << "" << "";
    }
    void unsavedWorkIsAsked()
    {
        QFETCH(QString, closing);
        QFETCH(QString, before);
        QFETCH(QString, answer);
        QFETCH(QString, saveAs);
        const bool closed = before != "дорого" && (answer.isEmpty() || answer == "Нет" || (answer == "Да" && !saveAs.isEmpty()));
        FreshFrame fresh;
        MDIForm1& w = fresh.frame;
        QWidget* sheet = openWorksheet({"Кукуруза", "Пшеница"});
        typeOver(wes(sheet, 0), "60");
        typeOver(wes(sheet, 1), "40");
        if (before.startsWith("save")) {
            fresh.fake.saveAnswers << fresh.dir.filePath("first.kalk");
            QTest::keySequence(&w, QKeySequence("Ctrl+S"));
            QVERIFY(QFile::exists(fresh.dir.filePath("first.kalk")));
            typeOver(wes(sheet, 0), before == "save" ? "60,0" : "50");
        } else if (before == "zero") {
            typeOver(wes(sheet, 0), "0");
            typeOver(wes(sheet, 1), "0");
        } else if (before == "Назад") {
            press(sheet, "cmdNasad");
        } else if (before == "дорого") {
            menuItem("mnuCena")->trigger();
            auto* grid = find<QTableView>(liveScreen("frmCena"), "DataGrid1");
            typeIntoCell(grid, cellOf(grid, "Кукуруза", 1), before);
        }
        fresh.fake.answers << (answer == "Да" ? Platform::Answer::Yes : answer == "Нет" ? Platform::Answer::No : Platform::Answer::Cancel);
        fresh.fake.saveAnswers << (saveAs.isEmpty() ? QString() : fresh.dir.filePath(saveAs));
        if (closing == "program")
            menuItem("mnuExit")->trigger();
        else
            QTest::mouseClick(find<QPushButton>(closing == "worksheet" ? sheet : liveScreen("frmBasa"), "cmdExit"), Qt::LeftButton);
        settle();
        QCOMPARE(fresh.fake.questions, answer.isEmpty() ? QStringList() : QStringList{"Сохранить расчет?"});
        QWidget* open = before == "Назад" ? liveScreen("frmBasa") : worksheet();
        QCOMPARE(!open, closed);
        QCOMPARE(w.isVisible(), closing != "program" || !closed);
        if (!closed && before == "Назад")
            press(open, "cmdDalee");
        if (!closed)
            QCOMPARE(textsOf(worksheet(), "txtWes(%1)", 2), (QStringList{"60", "40"}));
        const auto saved = TextFile::readLines(fresh.dir.filePath(saveAs));
        QCOMPARE(saved.value_or(QStringList()).mid(46), (saveAs.isEmpty() ? QStringList() : QStringList{"\"60\"", "\"40\""}));
        QCOMPARE(fresh.fake.messages.size(), before == "дорого" ? 1 : 0);
    }

    // Every screen, reached as the user reaches it with the longest names of
    // the data, at the desktop font of each size: the screen grows as a
    // whole, so every text fits its control, no two controls cover each
    // other, and the frame grows but stays on the screen, scrolling what does
    // not fit, and shrinks back when they close; in a dark colour scheme too,
    // every text readable. RACION_RENDER_DIR=dir saves each screen there as
    // a picture.
    void screensFitEveryFontSize_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("dark");
        QTest::addColumn<QString>("style");
        for (int points : {9, 10, 11, 12, 14})   // 14 pt: a desktop font of 9 pt at 144 dpi
            QTest::addRow("%d pt", points) << points << false << "Fusion";
        QTest::newRow("10 pt, a dark colour scheme") << 10 << true << "Fusion";
        // Wide frames and paddings round the boxes (tools/setup.sh installs the style for the tests).
        QTest::newRow("10 pt, Adwaita") << 10 << false << "Adwaita";
        QTest::newRow("12 pt, Adwaita-Dark") << 12 << false << "Adwaita-Dark";
    }
    void screensFitEveryFontSize()
    {
        QFETCH(int, points);
        QFETCH(bool, dark);
        QFETCH(QString, style);
        const auto restore = qScopeGuard([font = QApplication::font(), palette = QApplication::palette(),
                                          was = Screens::styleName()] {
            Screens::markFocus(was);
            QApplication::setFont(font);
            QApplication::setPalette(palette);
        });
        if (style.startsWith("Adwaita") && QSysInfo::productType() == "windows")
            QSKIP("Adwaita is a style of Linux desktops; Windows has none of it");
        QVERIFY2(Screens::markFocus(style), qPrintable(style + " is not installed"));
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), points));
        if (dark)   // white texts on dark grey
            QApplication::setPalette(QPalette(Qt::white, QColor(60, 60, 60), Qt::gray, Qt::black, Qt::darkGray, Qt::white,
                                              Qt::white, QColor(35, 35, 35), QColor(53, 53, 53)));
        FreshFrame fresh;
        MDIForm1& w = fresh.frame;
        const QSize home = w.size();
        QStringList faults;
        int looked = 0;
        auto lookAt = [&](QWidget* s) {
            ++looked;
            faults << faultsOf(s);
            if (!w.screen()->availableGeometry().contains(s->isWindow() ? s->frameGeometry() : w.frameGeometry()))
                faults << s->objectName() + " takes its window off the screen";
            settle();
            if (!s->isWindow())   // every control of a screen in the frame can be scrolled to
                for (QWidget* c : s->findChildren<QWidget*>())
                    if (c->isVisibleTo(s) && !reachablePart().contains(placeOf(c)))
                        faults << QStringLiteral("%1 cannot be scrolled to %2").arg(s->objectName(), c->objectName());
            if (const QString dir = qEnvironmentVariable("RACION_RENDER_DIR"); !dir.isEmpty())
                s->grab().save(QStringLiteral("%1/%2-%3pt%4.png").arg(dir, s->objectName()).arg(points).arg((dark ? "-dark-" : "-") + style));
        };
        auto lookAtModal = [&](const char* button) {
            onNextModal(this, [&, button](QWidget* m) {
                lookAt(m);
                if (auto* kind = m->findChild<QRadioButton*>(points % 2 ? "optKombikorm" : "optRacion"))
                    QTest::mouseClick(kind, Qt::LeftButton);   // both kinds of report, one at odd sizes
                QTest::mouseClick(find<QPushButton>(m, button), Qt::LeftButton);
            });
        };
        menuItem("mnuNRaschet")->trigger();
        QWidget* kurwi = liveScreen("frmKurwi");
        auto* categories = find<QListWidget>(kurwi, "lstKurwi");
        chooseFrom(categories, longest(categories, 1).first());
        lookAt(kurwi);
        QTest::mouseClick(find<QPushButton>(kurwi, "cmdDalee"), Qt::LeftButton);
        QWidget* basa = liveScreen("frmBasa");
        auto* feeds = find<QListView>(basa, "lstBasa");
        for (const QString& feed : longest(feeds, 10)) {
            chooseFrom(feeds, feed);
            QTest::mouseClick(find(basa, "lblWibrat"), Qt::LeftButton);
        }
        lookAt(basa);
        QTest::mouseClick(find<QPushButton>(basa, "cmdDalee"), Qt::LeftButton);
        QWidget* sheet = liveScreen("frmRacion");
        for (int i = 0; i < 10; ++i)   // a weight with four decimals
            typeOver(wes(sheet, i), i ? "10" : "10,0009");
        lookAt(sheet);
        lookAtModal("cmdWiborRacionOk");
        QTest::mouseClick(find<QPushButton>(sheet, "cmdDalee"), Qt::LeftButton);
        QWidget* report = liveScreen("frmOtshet");
        typeOver(find<QLineEdit>(report, "Text1"), "32767");
        lookAt(report);

        menuItem("mnuKorm")->trigger();
        lookAt(liveScreen("frmBasaKorm"));
        lookAtModal("Command1");
        QTest::mouseClick(find<QPushButton>(liveScreen("frmBasaKorm"), "Command1"), Qt::LeftButton);
        for (auto [menu, screen] : {std::pair{"mnuVargo", "frmBasaKurwi"}, {"mnuCena", "frmCena"}}) {
            menuItem(menu)->trigger();
            lookAt(liveScreen(screen));
        }
        lookAtModal("cmdExit");
        menuItem("mnuProgramm")->trigger();
        QCOMPARE(looked, 10);   // the five screens of the wizard, the three editors, the group limits, the about box
        for (const char* name : {"mnuRacion", "mnuKorm", "mnuVargo", "mnuCena"})   // off while their screens are open
            QVERIFY2(!menuItem(name)->isEnabled(), name);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
        QVERIFY(points > 10 || w.height() > home.height());   // from 11 pt on the frame starts as large as the screen
        w.mdiArea()->closeAllSubWindows();   // the frame gives back what the screens took
        settle();
        QCOMPARE(w.size(), home);
        for (const char* name : {"mnuRacion", "mnuKorm", "mnuVargo", "mnuCena"})
            QVERIFY2(menuItem(name)->isEnabled(), name);
    }
};

QTEST_MAIN(tst_shell)
#include "tst_shell.moc"
