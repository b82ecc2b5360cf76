#include "shell/AppInfo.h"
#include "shell/MDIForm1.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "shell/TextViewer.h"
#include "shell/frmProgramm.h"
#include "editors/GridEditor.h"
#include "support/UiSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <memory>

using namespace UiSupport;

namespace {

QAction* item(const MDIForm1& w, const char* name)
{
    if (auto* menu = w.findChild<QMenu*>(QLatin1String(name)))
        return menu->menuAction();
    return find<QAction>(&w, name);
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The fake platform, but files are shown in the program's real viewer.
struct RealViewer : TestSupport::FakePlatform {
    bool viewTextFile(const QString& path, const QString& from) override
    {
        return FakePlatform::viewTextFile(path, from) && TextViewer::open(path, nullptr, from);
    }
};

// What a user sees cut or covered on a screen: a text that does not fit its
// control, or two controls on top of each other (dividing lines aside).
QStringList faultsOf(QWidget* screen)
{
    QStringList faults;
    for (QWidget* w : screen->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(screen))
            continue;
        const QFontMetrics fm = w->fontMetrics();
        bool cut = false;
        if (auto* l = qobject_cast<QLabel*>(w); l && !l->text().isEmpty()) {
            const QRect room = l->contentsRect().marginsRemoved(QMargins(l->margin(), l->margin(), l->margin(), l->margin()));
            const QRect text = fm.boundingRect(QRect(room.topLeft(), QSize(room.width(), 10000)),
                                               (l->wordWrap() ? Qt::TextWordWrap : 0) | Qt::AlignLeft, l->text());
            cut = text.width() > room.width() || text.height() > room.height();
        } else if (auto* b = qobject_cast<QPushButton*>(w)) {
            cut = fm.horizontalAdvance(b->text().remove('&')) + 8 > b->width() || fm.height() + 4 > b->height();
        } else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
            cut = w->sizeHint().width() > w->width() || fm.height() > w->height();
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
            cut = fm.horizontalAdvance(e->text()) + 6 > e->width() || fm.height() + 2 > e->height();
        }
        if (cut)
            faults << QStringLiteral("%1 cuts \"%2\" at %3x%4").arg(w->objectName(), w->property("text").toString())
                          .arg(w->width()).arg(w->height());
    }
    // Controls side by side on the screen and on plain panels within it.
    QList<QWidget*> panels{screen};
    for (QWidget* w : screen->findChildren<QWidget*>())
        if (QByteArray(w->metaObject()->className()) == "QWidget")
            panels << w;
    for (QWidget* panel : panels) {
        QList<QWidget*> placed;
        for (QWidget* w : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            auto* f = qobject_cast<QFrame*>(w);
            const bool line = f && (f->frameShape() == QFrame::HLine || f->frameShape() == QFrame::VLine);
            if (w->isVisibleTo(screen) && !line && !w->isWindow())
                placed << w;
        }
        for (int i = 0; i < placed.size(); ++i)
            for (int j = i + 1; j < placed.size(); ++j)
                if (placed[i]->geometry().intersects(placed[j]->geometry()))
                    faults << placed[i]->objectName() + " overlaps " + placed[j]->objectName();
    }
    return faults;
}

// Keeps the application's font or palette for one test and puts it back.
struct AppLook {
    QFont font = QApplication::font();
    QPalette palette = QApplication::palette();
    ~AppLook()
    {
        QApplication::setFont(font);
        QApplication::setPalette(palette);
    }
};

// The longest texts of a list, longest first.
QStringList longest(const QListWidget* list, int count)
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
    void init()
    {
        menuRules().reset();
        MDIForm1::setHelpDirectories({});
    }

    // Each item as "name caption", "!" before the name when it starts off.
    void menuTree_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("Файл") << "mnuFile Файл"
            << QStringList{"!mnuSaveR Сохранить расчет...", "mnu5 -", "!mnuSaveRacion Записать рацион в файл...",
                           "mnuOpenRacion Смотреть\\Печатать  рацион...", "mnu2 -", "mnuExit Закрыть"};
        QTest::newRow("Расчет рациона")
            << "mnuRacion Расчет рациона" << QStringList{"mnuNRaschet Новый расчет", "mnuSRachet Открыть старый..."};
        QTest::newRow("База данных") << "mnuBasa База данных" << QStringList{"mnuKorm кормов", "mnuVargo птицы"};
        QTest::newRow("Помощь")
            << "lblHelp Помощь" << QStringList{"lblRabota Работа с программой", "lblFaq FAQ", "mnuProgramm О программе"};
    }
    void menuTree()
    {
        QFETCH(QString, menu);
        QFETCH(QStringList, items);
        MDIForm1 w;
        auto* m = find<QMenu>(&w, menu.section(' ', 0, 0));
        QCOMPARE(QString(m->title()).remove('&'), menu.section(' ', 1));
        QVERIFY(m->menuAction()->isEnabled());
        QStringList shown;
        QString keys;   // the menu's mnemonics: one per item, none twice
        for (QAction* a : m->actions()) {
            shown << (a->isEnabled() ? "" : "!") + a->objectName() + ' '
                    + (a->isSeparator() ? "-" : QString(a->text()).remove('&'));
            if (!a->isSeparator()) {
                const QKeySequence k = QKeySequence::mnemonic(a->text());
                QVERIFY2(!k.isEmpty() && !keys.contains(k.toString()), qPrintable(a->text()));
                keys += k.toString();
            }
        }
        QCOMPARE(shown, items);
        QVERIFY(!QKeySequence::mnemonic(m->title()).isEmpty());
    }

    // The usual keys, pressed on the main window, choose their item while it is on.
    void shortcuts_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QList<MenuEvent>>("before");
        QTest::addColumn<bool>("chosen");
        QTest::newRow("Ctrl+N") << QKeySequence("Ctrl+N") << "mnuNRaschet" << QList<MenuEvent>{} << true;
        QTest::newRow("Ctrl+N during a calculation")
            << QKeySequence("Ctrl+N") << "mnuNRaschet" << QList{MenuEvent::NewCalcChosen} << false;
        QTest::newRow("Ctrl+O") << QKeySequence("Ctrl+O") << "mnuSRachet" << QList<MenuEvent>{} << true;
        QTest::newRow("Ctrl+S before a weight changed") << QKeySequence("Ctrl+S") << "mnuSaveR" << QList<MenuEvent>{} << false;
        QTest::newRow("Ctrl+S") << QKeySequence("Ctrl+S") << "mnuSaveR" << QList{MenuEvent::RacionWeightChanged} << true;
        QTest::newRow("F1") << QKeySequence("F1") << "lblRabota" << QList<MenuEvent>{} << true;
        QTest::newRow("Ctrl+Q") << QKeySequence("Ctrl+Q") << "mnuExit" << QList<MenuEvent>{} << true;
    }
    void shortcuts()
    {
        QFETCH(QKeySequence, keys);
        QFETCH(QString, name);
        QFETCH(QList<MenuEvent>, before);
        QFETCH(bool, chosen);
        Fresh fresh;
        MDIForm1 w;
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        for (MenuEvent e : before)
            menuRules().report(e);
        QSignalSpy spy(item(w, qPrintable(name)), &QAction::triggered);
        QTest::keySequence(&w, keys);
        QCOMPARE(spy.count(), chosen ? 1 : 0);
    }

    // The program's icon on its windows, its desktop id, Qt's own texts in Russian.
    void desktopIdentity()
    {
        QCOMPARE(QGuiApplication::desktopFileName(), "ru.racion.Racion");
        const auto premultiplied = QImage::Format_ARGB32_Premultiplied;
        const QImage own = QImage(":/icons/racion-48.png").convertToFormat(premultiplied);
        QVERIFY(!own.isNull());
        MDIForm1 w;
        QCOMPARE(w.windowIcon().pixmap(48).toImage().convertToFormat(premultiplied), own);
        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), "Отмена");
        QLineEdit box;
        std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
        QStringList items;
        for (QAction* a : menu->actions())
            items << a->text().remove('&');
        QVERIFY2(items.contains("Вставить\tCtrl+V"), qPrintable(items.join('|')));
    }

    // The real message box: the icon that fits, the application's title, one OK.
    void messageBoxCarriesItsKind_data()
    {
        QTest::addColumn<MessageKind>("kind");
        QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::newRow("warning") << MessageKind::Warning << QMessageBox::Warning;
        QTest::newRow("information") << MessageKind::Information << QMessageBox::Information;
    }
    void messageBoxCarriesItsKind()
    {
        QFETCH(MessageKind, kind);
        QFETCH(QMessageBox::Icon, icon);
        bool checked = false;
        onNextModal(this, [&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            QCOMPARE(box->icon(), icon);
            QCOMPARE(box->text(), "Текст");
            QCOMPARE(box->windowTitle(), QApplication::applicationDisplayName());
            QCOMPARE(box->buttons().size(), 1);
            QTest::keyClick(box, Qt::Key_Return);
            checked = true;
        });
        platform().message("Текст", kind);
        QVERIFY(checked);
    }

    void frameClientAreaCentred()
    {
        MDIForm1 w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.mdiArea()->size(), Screens::scaled(QSize(729, 590)));
        // Centred before the window system adds its frame, so within a few pixels.
        const QPoint off = w.frameGeometry().center() - w.screen()->availableGeometry().center();
        QVERIFY(qAbs(off.x()) <= 4 && qAbs(off.y()) <= 4);
    }

    // The table decides; the frame's items follow it, also for a frame made
    // while a rule is in force.
    void menuFollowsTheRules_data()
    {
        QTest::addColumn<QList<MenuEvent>>("events");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("enabled");
        using E = MenuEvent;
        QTest::newRow("feed editor opened") << QList{E::KormEditorOpened} << "mnuKorm" << false;
        QTest::newRow("feed editor closed") << QList{E::KormEditorOpened, E::KormEditorClosed} << "mnuKorm" << true;
        QTest::newRow("poultry editor opened") << QList{E::VargoEditorOpened} << "mnuVargo" << false;
        QTest::newRow("about box loaded") << QList{E::AboutLoaded} << "mnuProgramm" << false;
        QTest::newRow("report sheet loaded") << QList{E::OtshetLoaded} << "mnuSaveRacion" << true;
    }
    void menuFollowsTheRules()
    {
        QFETCH(QList<MenuEvent>, events);
        QFETCH(QString, name);
        QFETCH(bool, enabled);
        MDIForm1 before;
        for (MenuEvent e : events)
            menuRules().report(e);
        MDIForm1 after;
        QCOMPARE(item(before, qPrintable(name))->isEnabled(), enabled);
        QCOMPARE(item(after, qPrintable(name))->isEnabled(), enabled);
    }

    // Each item is off while its screen is open; closing the frame closes every child.
    void menuItemsOffWhileTheirScreenIsOpen()
    {
        Fresh fresh;
        MDIForm1 w;
        w.show();
        item(w, "mnuNRaschet")->trigger();
        QVERIFY(!item(w, "mnuRacion")->isEnabled());
        item(w, "mnuKorm")->trigger();
        QVERIFY(!item(w, "mnuKorm")->isEnabled());
        item(w, "mnuKorm")->trigger();   // off: nothing happens
        QCOMPARE(w.mdiArea()->subWindowList().size(), 2);
        item(w, "mnuVargo")->trigger();
        QVERIFY(!item(w, "mnuVargo")->isEnabled());
        QCOMPARE(w.mdiArea()->subWindowList().size(), 3);
        w.mdiArea()->subWindowList().at(1)->close();
        QVERIFY(item(w, "mnuKorm")->isEnabled());
        QVERIFY(!item(w, "mnuVargo")->isEnabled());
        QVERIFY(w.close());
        QVERIFY(item(w, "mnuVargo")->isEnabled());
        QVERIFY(item(w, "mnuRacion")->isEnabled());
        QVERIFY(fresh.fake.messages.isEmpty());
    }

    void closingTheFrameWaitsForARowThatCannotBeWritten()
    {
        Fresh fresh;
        MDIForm1 w;
        w.show();
        Navigation::showFeedEditor();
        auto* editor = qobject_cast<GridEditor*>(w.mdiArea()->subWindowList().first()->widget());
        QTest::mouseClick(find<QPushButton>(editor, "cmdDobawit"), Qt::LeftButton);
        const QModelIndex cell = editor->model()->index(editor->model()->rowCount() - 1, 1);
        QVERIFY(editor->model()->setData(cell, "12"));   // a number, but no name yet
        QVERIFY(!w.close());
        QCOMPARE(fresh.fake.messages.size(), 1);
        QVERIFY(w.isVisible() && editor->isVisible());
        QCOMPARE(cell.data().toDouble(), 12.0);
        QTest::keyClick(editor->grid(), Qt::Key_Escape);
        QVERIFY(w.close());
    }

    // Every screen, reached as the user reaches it, at the desktop font of
    // each size: the screen grows as a whole, so every text fits its control,
    // no two controls cover each other, and the frame stays on the screen.
    void screensFitEveryFontSize_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<int>("points");
        for (int points : {9, 10, 11, 12})
            for (const char* screen : {"frmKurwi", "frmBasa", "frmRacion", "frmWiborRecept", "frmOtshet",
                                       "frmBasaKorm", "frmBasaKurwi", "frmGruppa", "frmProgramm"})
                QTest::addRow("%s at %d pt", screen, points) << screen << points;
    }
    void screensFitEveryFontSize()
    {
        QFETCH(QString, screen);
        QFETCH(int, points);
        AppLook look;
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), points));
        Fresh fresh;
        MDIForm1 w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QRect avail = w.screen()->availableGeometry();
        QStringList faults;
        int looked = 0;
        auto look_at = [&](QWidget* s) {
            QVERIFY2(s, qPrintable(screen));
            ++looked;
            faults << faultsOf(s);
            if (const QString dir = qEnvironmentVariable("RACION_RENDER_DIR"); !dir.isEmpty())
                s->grab().save(QStringLiteral("%1/%2-%3pt.png").arg(dir, screen).arg(points));
        };
        // Modal ones are looked at from their own loop, then closed.
        auto modal = [&](const char* closeButton) {
            onNextModal(this, [&, closeButton](QWidget* m) {
                look_at(m);
                QTest::mouseClick(find<QPushButton>(m, closeButton), Qt::LeftButton);
            });
        };
        if (screen == "frmBasaKorm" || screen == "frmGruppa") {
            item(w, "mnuKorm")->trigger();
            QWidget* editor = liveScreen("frmBasaKorm");
            if (screen == "frmGruppa") {
                modal("Command1");
                QTest::mouseClick(find<QPushButton>(editor, "Command1"), Qt::LeftButton);
            } else {
                look_at(editor);
            }
        } else if (screen == "frmBasaKurwi") {
            item(w, "mnuVargo")->trigger();
            look_at(liveScreen("frmBasaKurwi"));
        } else if (screen == "frmProgramm") {
            modal("cmdExit");
            item(w, "mnuProgramm")->trigger();
        } else {
            // The wizard as far as the screen, with the longest names of the
            // data on every screen.
            const int depth = QStringList{"frmKurwi", "frmBasa", "frmRacion", "frmWiborRecept", "frmOtshet"}.indexOf(screen);
            item(w, "mnuNRaschet")->trigger();
            QWidget* kurwi = liveScreen("frmKurwi");
            auto* categories = find<QListWidget>(kurwi, "lstKurwi");
            chooseFrom(categories, longest(categories, 1).first());
            if (depth == 0)
                look_at(kurwi);
            QWidget* sheet = nullptr;
            if (depth >= 1) {
                QTest::mouseClick(find<QPushButton>(kurwi, "cmdDalee"), Qt::LeftButton);
                QWidget* basa = liveScreen("frmBasa");
                auto* feeds = find<QListWidget>(basa, "lstBasa");
                for (const QString& feed : longest(feeds, 10)) {
                    chooseFrom(feeds, feed);
                    QTest::mouseClick(find(basa, "lblWibrat"), Qt::LeftButton);
                }
                if (depth == 1)
                    look_at(basa);
                else
                    QTest::mouseClick(find<QPushButton>(basa, "cmdDalee"), Qt::LeftButton);
            }
            if (depth >= 2) {
                sheet = liveScreen("frmRacion");
                for (int i = 0; i < 10; ++i)
                    typeOver(wes(sheet, i), "10");
                if (depth == 2)
                    look_at(sheet);
            }
            if (depth == 3)
                modal("cmdWiborRacionOk");
            if (depth == 4) {
                // Both kinds of report, one at odd sizes, one at even.
                onNextModal(this, [points](QWidget* m) {
                    QTest::mouseClick(find<QRadioButton>(m, points % 2 ? "optKombikorm" : "optRacion"), Qt::LeftButton);
                    QTest::mouseClick(find<QPushButton>(m, "cmdWiborRacionOk"), Qt::LeftButton);
                });
            }
            if (depth >= 3)
                QTest::mouseClick(find<QPushButton>(sheet, "cmdDalee"), Qt::LeftButton);
            if (depth == 4) {
                QWidget* report = liveScreen("frmOtshet");
                typeOver(find<QLineEdit>(report, "Text1"), "32767");
                look_at(report);
            }
        }
        QCOMPARE(looked, 1);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
        QVERIFY2(avail.contains(w.frameGeometry()), qPrintable(screen));
    }

    // In a dark colour scheme every label and box of the worksheet, coloured
    // or not, shows its text at a contrast of at least 4.5:1.
    void darkSchemeKeepsTheWorksheetReadable()
    {
        AppLook look;
        QPalette dark;
        for (auto [role, colour] : {std::pair{QPalette::Window, QColor(53, 53, 53)}, {QPalette::WindowText, QColor(Qt::white)},
                                    {QPalette::Base, QColor(35, 35, 35)}, {QPalette::Text, QColor(Qt::white)},
                                    {QPalette::Button, QColor(60, 60, 60)}, {QPalette::ButtonText, QColor(Qt::white)}})
            dark.setColor(role, colour);
        QApplication::setPalette(dark);
        Fresh fresh;
        MDIForm1 w;
        w.show();
        QWidget* sheet = openWorksheet({"Пшеница", "Шрот соевый", "Соль поваренная"});
        QSet<QRgb> backs;
        auto readable = [&] {
            for (QWidget* c : sheet->findChildren<QWidget*>()) {
                QColor back, text;
                if (auto* l = qobject_cast<QLabel*>(c); l && !l->text().isEmpty()) {
                    back = (l->autoFillBackground() ? l : sheet)->palette().color(QPalette::Window);
                    text = l->palette().color(QPalette::WindowText);
                } else if (auto* e = qobject_cast<QLineEdit*>(c)) {
                    back = e->palette().color(QPalette::Base);
                    text = e->palette().color(QPalette::Text);
                }
                if (!c->isVisibleTo(sheet) || !back.isValid())
                    continue;
                backs << back.rgb();
                QVERIFY2(Screens::contrast(back, text) >= 4.5,
                         qPrintable(c->objectName() + ' ' + back.name() + " / " + text.name()));
            }
        };
        readable();
        // Salt over its limit and its group's, the sum whole.
        typeOver(wes(sheet, 2), "20");
        typeOver(wes(sheet, 0), "50");
        typeOver(wes(sheet, 1), "30");
        readable();
        for (QColor coloured : {QColor(255, 128, 128), QColor(255, 192, 192), QColor(192, 255, 192), QColor(Qt::white)})
            QVERIFY2(backs.contains(coloured.rgb()), qPrintable(coloured.name()));
    }

    // A screen wider than the frame makes it grow, but never past the
    // available screen (the area scrolls), and closing it gives the size back.
    void frameGrowsWithinTheScreenAndShrinksBack()
    {
        AppLook look;
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
        Fresh fresh;
        MDIForm1 w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QSize home = w.size();
        const QRect avail = w.screen()->availableGeometry();
        item(w, "mnuKorm")->trigger();
        QWidget* editor = liveScreen("frmBasaKorm");
        QVERIFY(editor->sizeHint().width() > home.width());   // the road needs a screen that is too wide
        QVERIFY(w.width() > home.width());
        QVERIFY2(avail.contains(w.frameGeometry()), qPrintable(QStringLiteral("%1x%2").arg(w.width()).arg(w.height())));
        settle();
        QVERIFY(editor->sizeHint().width() > w.mdiArea()->viewport()->width());   // more than the screen holds
        QVERIFY(w.mdiArea()->horizontalScrollBar()->isVisible());
        QTest::mouseClick(find<QPushButton>(editor, "cmdExit"), Qt::LeftButton);
        settle();
        QCOMPARE(w.size(), home);
    }

    // The help file found first is shown in the program's viewer, decoded.
    void helpOpensTheViewer_data()
    {
        QTest::addColumn<QByteArray>("first");    // beside the program; "" = absent
        QTest::addColumn<QByteArray>("second");   // in the data directory
        QTest::addColumn<bool>("viewerWorks");
        QTest::addColumn<QString>("shown");       // "" = a message instead
        const QString text = "Корм      Вес\nПшеница   60,5\n";
        const QByteArray cp1251("\xCA\xEE\xF0\xEC      \xC2\xE5\xF1\r\n\xCF\xF8\xE5\xED\xE8\xF6\xE0   60,5\r\n");
        QTest::newRow("beside the program, Windows-1251 with CR LF") << cp1251 << QByteArray() << true << text;
        QTest::newRow("in the data directory, UTF-8") << QByteArray() << text.toUtf8() << true << text;
        QTest::newRow("both: the program's, UTF-8 with a byte order mark")
            << QByteArray("\xEF\xBB\xBF") + text.toUtf8() << QByteArray("other") << true << text;
        QTest::newRow("the viewer cannot show it") << cp1251 << QByteArray() << false << "";
    }
    void helpOpensTheViewer()
    {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(bool, viewerWorks);
        QFETCH(QString, shown);
        QTemporaryDir one, two;
        QVERIFY(first.isEmpty() || writeFile(one.filePath("Readme.hlp"), first));
        QVERIFY(second.isEmpty() || writeFile(two.filePath("Readme.hlp"), second));
        MDIForm1::setHelpDirectories({one.path(), two.path()});
        RealViewer fake;
        fake.viewResult = viewerWorks;
        MDIForm1 w;
        w.show();
        item(w, "lblRabota")->trigger();
        const auto windows = w.mdiArea()->subWindowList();
        if (shown.isEmpty()) {
            QVERIFY(windows.isEmpty());
            QCOMPARE(fake.messages.size(), 1);
            QVERIFY(fake.messages.first().contains("Readme.hlp"));
            return;
        }
        QVERIFY(fake.messages.isEmpty());
        auto* viewer = qobject_cast<TextViewer*>(windows.value(0)->widget());
        QVERIFY(viewer);
        QCOMPARE(viewer->windowTitle(), "Readme.hlp");
        QCOMPARE(viewer->text(), shown);
        auto* box = find<QPlainTextEdit>(viewer, "txtText");
        QVERIFY(box->isReadOnly() && QFontInfo(box->font()).fixedPitch());
        QCOMPARE(find<QPushButton>(viewer, "cmdPrint")->text(), "Печать...");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(one.filePath("out.pdf"));
        viewer->printTo(&printer);
        QVERIFY(QFileInfo(one.filePath("out.pdf")).size() > 0);
    }

    // The help that ships with the program is found beside it.
    void shippedHelp()
    {
        QCOMPARE(MDIForm1::helpFilePath(), QDir(QCoreApplication::applicationDirPath()).filePath("Readme.hlp"));
    }

    void aboutBox_data()
    {
        QTest::addColumn<QString>("wayOut");
        QTest::newRow("its Закрыть button") << "button";
        QTest::newRow("the title bar") << "close";
        QTest::newRow("Esc") << "escape";
        QTest::newRow("Enter, Закрыть having the focus") << "enter";
        QTest::newRow("Tab to the questions button, Enter") << "questions";
    }
    void aboutBox()
    {
        QFETCH(QString, wayOut);
        TestSupport::FakePlatform fake;
        MDIForm1 w;
        w.show();
        bool checked = false;
        onNextModal(this, [&](QWidget* modal) {
            auto* box = qobject_cast<frmProgramm*>(modal);
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), "O программе");   // a Latin O
            QCOMPARE(box->windowIcon().cacheKey(), w.windowIcon().cacheKey());
            QVERIFY(!item(w, "mnuProgramm")->isEnabled());
            QCOMPARE(textOf(box, "Label2"), "Версия вашей программы - 2.21");
            const QSize size = Screens::scaled(QSize(286, 185));
            QCOMPARE(box->size(), size);
            box->resize(600, 400);
            QCoreApplication::processEvents();
            QCOMPARE(box->size(), size);
            if (wayOut == "button")
                QTest::mouseClick(find<QPushButton>(box, "cmdExit"), Qt::LeftButton);
            else if (wayOut == "close")
                box->close();
            else if (wayOut == "escape")
                QTest::keyClick(box, Qt::Key_Escape);
            else {
                if (wayOut == "questions")
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            }
            checked = true;
        });
        item(w, "mnuProgramm")->trigger();
        QVERIFY(checked);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(item(w, "mnuProgramm")->isEnabled());
        // No site yet: the address button opens the help's questions, nothing else does.
        QCOMPARE(fake.viewedFrom, wayOut == "questions" ? QStringList{AppInfo::kHelpQuestions} : QStringList());
        QVERIFY(fake.openedUrls.isEmpty() && fake.messages.isEmpty());
    }

    // "FAQ" opens the shipped help at its questions section.
    void faqShowsTheHelpsQuestions()
    {
        RealViewer fake;
        MDIForm1 w;
        w.show();
        item(w, "lblFaq")->trigger();
        QVERIFY(fake.openedUrls.isEmpty() && fake.messages.isEmpty());
        QMdiSubWindow* sub = w.mdiArea()->subWindowList().value(0);
        auto* viewer = sub ? qobject_cast<TextViewer*>(sub->widget()) : nullptr;
        QVERIFY(viewer);
        settle();
        auto* box = find<QPlainTextEdit>(viewer, "txtText");
        QCOMPARE(box->textCursor().block().text(), AppInfo::kHelpQuestions);
        QVERIFY(box->viewport()->rect().contains(box->cursorRect()));
        QVERIFY(box->verticalScrollBar()->value() > 0);
    }
};

QTEST_MAIN(tst_shell)
#include "tst_shell.moc"
