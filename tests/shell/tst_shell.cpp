#include "shell/AppInfo.h"
#include "shell/MDIForm1.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "shell/TextViewer.h"
#include "shell/frmProgramm.h"
#include "support/TestSupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using TestSupport::FakePlatform;
using TestSupport::TempWorkDir;

namespace {

QAction* item(const MDIForm1& w, const char* name)
{
    if (auto* menu = w.findChild<QMenu*>(QLatin1String(name)))
        return menu->menuAction();
    return w.findChild<QAction*>(QLatin1String(name));
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class tst_shell : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        TestSupport::pinRussianLocale();
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void init()
    {
        menuRules().reset();
        MDIForm1::setHelpDirectories({});
    }

    void menuTree_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("menuCaption");
        QTest::addColumn<QStringList>("items");      // names, in order
        QTest::addColumn<QStringList>("captions");   // "-" for a separator
        QTest::addColumn<QList<bool>>("enabled");
        QTest::newRow("Файл") << "mnuFile" << "Файл"
            << QStringList{"mnuSaveR", "mnu5", "mnuSaveRacion", "mnuOpenRacion", "mnu2", "mnuExit"}
            << QStringList{"Сохранить расчет...", "-", "Записать рацион в файл...",
                           "Смотреть\\Печатать  рацион...", "-", "Закрыть"}
            << QList<bool>{false, true, false, true, true, true};
        QTest::newRow("Расчет рациона") << "mnuRacion" << "Расчет рациона"
            << QStringList{"mnuNRaschet", "mnuSRachet"} << QStringList{"Новый расчет", "Открыть старый..."}
            << QList<bool>{true, true};
        QTest::newRow("База данных") << "mnuBasa" << "База данных" << QStringList{"mnuKorm", "mnuVargo"}
            << QStringList{"кормов", "птицы"} << QList<bool>{true, true};
        QTest::newRow("Помощь") << "lblHelp" << "Помощь"
            << QStringList{"lblRabota", "lblFaq", "mnuProgramm"}
            << QStringList{"Работа с программой", "FAQ", "О программе"} << QList<bool>{true, true, true};
    }
    void menuTree()
    {
        QFETCH(QString, menu);
        QFETCH(QString, menuCaption);
        QFETCH(QStringList, items);
        QFETCH(QStringList, captions);
        QFETCH(QList<bool>, enabled);
        MDIForm1 w;
        auto* m = w.findChild<QMenu*>(menu);
        QVERIFY(m);
        QCOMPARE(m->title(), menuCaption);
        QVERIFY(m->menuAction()->isEnabled());
        const QList<QAction*> actions = m->actions();
        QCOMPARE(actions.size(), items.size());
        for (int i = 0; i < items.size(); ++i) {
            QCOMPARE(actions.at(i)->objectName(), items.at(i));
            if (captions.at(i) == QLatin1String("-"))
                QVERIFY(actions.at(i)->isSeparator());
            else
                QCOMPARE(actions.at(i)->text(), captions.at(i));
            QCOMPARE(actions.at(i)->isEnabled(), enabled.at(i));
        }
    }

    void frameCaptionAndClientArea()
    {
        MDIForm1 w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.windowTitle(), QStringLiteral("Программа для составления рациона"));
        QCOMPARE(w.mdiArea()->size(), QSize(729, 590));
        const QRect screen = w.screen()->availableGeometry();
        // Centred before the window system adds its frame, so within a few pixels.
        QVERIFY(qAbs(w.frameGeometry().center().x() - screen.center().x()) <= 4);
        QVERIFY(qAbs(w.frameGeometry().center().y() - screen.center().y()) <= 4);
    }

    // The table decides; the frame's items follow it, also for a frame made
    // while a rule is in force.
    void menuFollowsTheRules_data()
    {
        QTest::addColumn<QList<int>>("events");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("enabled");
        const auto ev = [](MenuEvent e) { return int(e); };
        QTest::newRow("feed editor opened") << QList<int>{ev(MenuEvent::KormEditorOpened)} << "mnuKorm" << false;
        QTest::newRow("feed editor closed")
            << QList<int>{ev(MenuEvent::KormEditorOpened), ev(MenuEvent::KormEditorClosed)} << "mnuKorm" << true;
        QTest::newRow("poultry editor opened") << QList<int>{ev(MenuEvent::VargoEditorOpened)} << "mnuVargo" << false;
        QTest::newRow("about box loaded") << QList<int>{ev(MenuEvent::AboutLoaded)} << "mnuProgramm" << false;
        QTest::newRow("worksheet active") << QList<int>{ev(MenuEvent::RacionActivated)} << "mnuRacion" << false;
        QTest::newRow("weight changed") << QList<int>{ev(MenuEvent::RacionWeightChanged)} << "mnuSaveR" << true;
        QTest::newRow("report sheet loaded") << QList<int>{ev(MenuEvent::OtshetLoaded)} << "mnuSaveRacion" << true;
    }
    void menuFollowsTheRules()
    {
        QFETCH(QList<int>, events);
        QFETCH(QString, name);
        QFETCH(bool, enabled);
        MDIForm1 before;
        for (int e : events)
            menuRules().report(MenuEvent(e));
        MDIForm1 after;
        QCOMPARE(item(before, qPrintable(name))->isEnabled(), enabled);
        QCOMPARE(item(after, qPrintable(name))->isEnabled(), enabled);
    }

    void newCalculationTurnsTheCalculationMenuOff()
    {
        TempWorkDir dir;
        FakePlatform fake;
        MDIForm1 w;
        w.show();
        item(w, "mnuNRaschet")->trigger();
        QVERIFY(!item(w, "mnuRacion")->isEnabled());
        w.close();
    }

    void editorItemOffWhileItsEditorIsOpen()
    {
        TempWorkDir dir;
        FakePlatform fake;
        MDIForm1 w;
        w.show();
        item(w, "mnuKorm")->trigger();
        QVERIFY(!item(w, "mnuKorm")->isEnabled());
        item(w, "mnuKorm")->trigger();   // off: nothing happens
        QCOMPARE(w.mdiArea()->subWindowList().size(), 1);
        item(w, "mnuVargo")->trigger();
        QVERIFY(!item(w, "mnuVargo")->isEnabled());
        QCOMPARE(w.mdiArea()->subWindowList().size(), 2);
        w.mdiArea()->subWindowList().first()->close();
        QVERIFY(item(w, "mnuKorm")->isEnabled());
        QVERIFY(!item(w, "mnuVargo")->isEnabled());
        QVERIFY(w.close());
        QVERIFY(item(w, "mnuVargo")->isEnabled());
        QVERIFY(fake.messages.isEmpty());
    }

    void closingTheFrameWaitsForARowThatCannotBeWritten()
    {
        TempWorkDir dir;
        FakePlatform fake;
        MDIForm1 w;
        w.show();
        Navigation::showFeedEditor();
        QWidget* editor = w.mdiArea()->subWindowList().first()->widget();
        QTest::mouseClick(editor->findChild<QPushButton*>("cmdDobawit"), Qt::LeftButton);
        auto* grid = editor->findChild<QAbstractItemView*>("DataGrid1");
        const QModelIndex cell = grid->model()->index(grid->model()->rowCount() - 1, 1);
        QVERIFY(grid->model()->setData(cell, "12"));   // a number, but no name yet
        QVERIFY(!w.close());
        QCOMPARE(fake.messages.size(), 1);
        QVERIFY(w.isVisible());
        QVERIFY(editor->isVisible());
        QCOMPARE(grid->model()->index(cell.row(), 1).data().toDouble(), 12.0);
        QTest::keyClick(grid, Qt::Key_Escape);
        QVERIFY(w.close());
    }

    void helpShowsTheFileFoundFirst_data()
    {
        QTest::addColumn<bool>("inFirst");
        QTest::addColumn<bool>("inSecond");
        QTest::addColumn<int>("expected");   // 0, 1, or -1 for none
        QTest::newRow("beside the program") << true << false << 0;
        QTest::newRow("in the data directory") << false << true << 1;
        QTest::newRow("both: the program's wins") << true << true << 0;
        QTest::newRow("nowhere") << false << false << -1;
    }
    void helpShowsTheFileFoundFirst()
    {
        QFETCH(bool, inFirst);
        QFETCH(bool, inSecond);
        QFETCH(int, expected);
        QTemporaryDir first, second;
        if (inFirst)
            QVERIFY(writeFile(first.filePath("Readme.hlp"), "help one"));
        if (inSecond)
            QVERIFY(writeFile(second.filePath("Readme.hlp"), "help two"));
        MDIForm1::setHelpDirectories({first.path(), second.path()});
        FakePlatform fake;
        MDIForm1 w;
        item(w, "lblRabota")->trigger();
        if (expected < 0) {
            QVERIFY(fake.viewedFiles.isEmpty());
            QCOMPARE(fake.messages.size(), 1);
            QVERIFY(fake.messages.first().contains("Readme.hlp"));
        } else {
            QVERIFY(fake.messages.isEmpty());
            QCOMPARE(fake.viewedFiles,
                     QStringList{(expected == 0 ? first : second).filePath("Readme.hlp")});
        }
    }

    void helpTheViewerCannotShowGivesAMessage()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("Readme.hlp"), "help"));
        MDIForm1::setHelpDirectories({dir.path()});
        FakePlatform fake;
        fake.viewResult = false;
        MDIForm1 w;
        item(w, "lblRabota")->trigger();
        QCOMPARE(fake.messages.size(), 1);
        QVERIFY(fake.messages.first().contains("Readme.hlp"));
    }

    void helpIsBesideTheProgram()
    {
        QCOMPARE(MDIForm1::helpFilePath(),
                 QDir(QCoreApplication::applicationDirPath()).filePath("Readme.hlp"));
        QFile f(MDIForm1::helpFilePath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = TextViewer::decode(f.readAll());
        QVERIFY(text.contains(QStringLiteral("рацион")));
        for (const QString& line : text.split('\n'))
            QVERIFY2(line.size() <= 78, qPrintable(line));
    }

    void viewerShowsTheDecodedText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        const QString text = QStringLiteral("Корм      Вес\nПшеница   60,5\n");
        QTest::newRow("Windows-1251 with CR LF")
            << QByteArray("\xCA\xEE\xF0\xEC      \xC2\xE5\xF1\r\n\xCF\xF8\xE5\xED\xE8\xF6\xE0   60,5\r\n")
            << text;
        QTest::newRow("UTF-8") << QString(text).toUtf8() << text;
        QTest::newRow("UTF-8 with a byte order mark") << QByteArray("\xEF\xBB\xBF") + text.toUtf8() << text;
        QTest::newRow("plain ASCII") << QByteArray("a b\r\nc\r\n") << QStringLiteral("a b\nc\n");
    }
    void viewerShowsTheDecodedText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath("otchet.txt");
        QVERIFY(writeFile(path, bytes));
        MDIForm1 w;
        w.show();
        QVERIFY(platform().viewTextFile(path));
        QCOMPARE(w.mdiArea()->subWindowList().size(), 1);
        auto* viewer = qobject_cast<TextViewer*>(w.mdiArea()->subWindowList().first()->widget());
        QVERIFY(viewer);
        QCOMPARE(viewer->windowTitle(), QStringLiteral("otchet.txt"));
        QCOMPARE(viewer->text(), expected);
        auto* text = viewer->findChild<QPlainTextEdit*>("txtText");
        QVERIFY(text->isReadOnly());
        QVERIFY(QFontInfo(text->font()).fixedPitch());
        QCOMPARE(viewer->findChild<QPushButton*>("cmdPrint")->text(), QStringLiteral("Печать..."));

        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("out.pdf"));
        viewer->printTo(&printer);
        QVERIFY(QFileInfo(dir.filePath("out.pdf")).size() > 0);
    }

    void viewerRefusesWhatItCannotRead()
    {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!TextViewer::open(dir.filePath("absent.txt"), &error));
        QVERIFY(error.contains("absent.txt"));
        QVERIFY(!TextViewer::open(dir.path(), &error));
        QVERIFY(!platform().viewTextFile(dir.filePath("absent.txt")));
    }

    void forumOpensThroughTheUrlHandler_data()
    {
        QTest::addColumn<bool>("handlerOpens");
        QTest::newRow("opened") << true;
        QTest::newRow("refused by the handler") << false;
    }
    void forumOpensThroughTheUrlHandler()
    {
        QFETCH(bool, handlerOpens);
        FakePlatform fake;
        fake.urlResult = handlerOpens;
        MDIForm1 w;
        item(w, "lblFaq")->trigger();
        QCOMPARE(fake.openedUrls.size(), 1);
        QCOMPARE(fake.openedUrls.first().host(), AppInfo::kSiteHost);
        QVERIFY(fake.openedUrls.first().toString().endsWith("/viewforum.php?f=10"));
        QCOMPARE(fake.messages.size(), handlerOpens ? 0 : 1);
        if (!handlerOpens)
            QVERIFY(fake.messages.first().contains(AppInfo::kForumUrl));
        QVERIFY(!QFileInfo::exists(QDir(QCoreApplication::applicationDirPath()).filePath("temp.url")));
    }

    void aboutBox_data()
    {
        QTest::addColumn<QString>("wayOut");
        QTest::newRow("its Закрыть button") << "button";
        QTest::newRow("the title bar") << "close";
        QTest::newRow("Esc") << "escape";
    }
    void aboutBox()
    {
        QFETCH(QString, wayOut);
        FakePlatform fake;
        fake.urlResult = false;
        MDIForm1 w;
        w.show();
        bool checked = false;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<frmProgramm*>(QApplication::activeModalWidget());
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), QStringLiteral("O программе"));
            QCOMPARE(box->windowTitle().at(0), QLatin1Char('O'));
            QVERIFY(!item(w, "mnuProgramm")->isEnabled());
            QCOMPARE(box->findChild<QLabel*>("Label2")->text(), QStringLiteral("Версия вашей программы - 2.21"));
            QVERIFY(box->findChild<QLabel*>("Label1")->text().startsWith("Отзывы и пожелания"));
            auto* address = box->findChild<QPushButton*>("Command1");
            QCOMPARE(address->text(), AppInfo::kSiteUrl);
            const QSize size = box->size();
            QCOMPARE(size, QSize(286, 185));
            box->resize(600, 400);
            QCoreApplication::processEvents();
            QCOMPARE(box->size(), size);

            QTest::mouseClick(address, Qt::LeftButton);   // the handler refuses: a message, the box stays
            QCOMPARE(fake.openedUrls.size(), 1);
            QCOMPARE(fake.openedUrls.first().toString(), AppInfo::kSiteUrl);
            QCOMPARE(fake.messages.size(), 1);
            QVERIFY(box->isVisible());

            if (wayOut == "button")
                QTest::mouseClick(box->findChild<QPushButton*>("cmdExit"), Qt::LeftButton);
            else if (wayOut == "close")
                box->close();
            else
                QTest::keyClick(box, Qt::Key_Escape);
            checked = true;
        });
        item(w, "mnuProgramm")->trigger();
        QVERIFY(checked);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(item(w, "mnuProgramm")->isEnabled());
    }

    void render()
    {
        const QString out = qEnvironmentVariable("RACION_RENDER_DIR");
        if (out.isEmpty())
            QSKIP("set RACION_RENDER_DIR to render the frame and the about box");
        TempWorkDir dir;
        MDIForm1 w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        item(w, "mnuKorm")->trigger();
        QTest::qWait(50);
        w.grab().save(out + "/MDIForm1.png");
        // The feed editor, the widest screen, fits the frame without a scroll bar.
        auto* grid = w.findChild<QAbstractItemView*>("DataGrid1");
        QVERIFY(grid);
        QCOMPARE(grid->horizontalScrollBar()->maximum(), 0);
        w.findChild<QMenu*>("mnuFile")->popup(w.mapToGlobal(QPoint(0, 20)));
        QTest::qWait(50);
        w.findChild<QMenu*>("mnuFile")->grab().save(out + "/mnuFile.png");
        w.findChild<QMenu*>("mnuFile")->hide();
        frmProgramm box(&w);
        box.show();
        QTest::qWait(50);
        box.grab().save(out + "/frmProgramm.png");
        box.accept();
        QString err;
        QVERIFY(TextViewer::open(MDIForm1::helpFilePath(), &err));
        QTest::qWait(50);
        QCOMPARE(w.mdiArea()->activeSubWindow()->geometry(), QRect(QPoint(0, 0), w.mdiArea()->viewport()->size()));
        w.grab().save(out + "/help.png");
        w.close();
    }
};

QTEST_MAIN(tst_shell)
#include "tst_shell.moc"
