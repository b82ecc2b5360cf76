// Renders the pictures of the README offscreen from the default data: the
// main window with the worksheet of a ration balanced by "Расчитать", the
// report sheet of that ration for a flock, the price editor with example
// prices beside the worksheet, the diagnosis pane of a worksheet that
// "Расчитать" cannot balance, the worksheet of the first ration with
// "учитывать аминокислоты и клетчатку" ticked, the batch sheet of that
// ration as 5 t of compound feed, and the preview of a laboratory's table of
// feeds brought in by "Импорт кормов...".
//
//   QT_QPA_PLATFORM=offscreen ./render_readme <output directory>

#include "data/Database.h"
#include "shell/MDIForm1.h"
#include "shell/Platform.h"
#include "shell/Screens.h"
#include "shell/Startup.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QSettings>
#include <QMdiSubWindow>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>

namespace {

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

QWidget* screen(MDIForm1& w, const QString& name)
{
    for (QWidget* s : w.findChildren<QWidget*>(name))
        if (s->isVisible())
            return s;
    return nullptr;
}

template <typename T>
T* child(QWidget* parent, const QString& name)
{
    T* c = parent ? parent->findChild<T*>(name) : nullptr;
    if (!c) {
        std::fprintf(stderr, "no control %s\n", qPrintable(name));
        std::exit(1);
    }
    return c;
}

void choose(QAbstractItemView* list, const QString& text)
{
    QAbstractItemModel* model = list->model();
    const auto items = model->match(model->index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchExactly);
    if (items.isEmpty()) {
        std::fprintf(stderr, "no entry %s\n", qPrintable(text));
        std::exit(1);
    }
    list->setCurrentIndex(items.first());
    list->scrollTo(items.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(items.first()).center());
}

// Messages are dropped and questions answered "Нет".
class QuietPlatform : public Platform {
public:
    void message(const QString&, MessageKind) override {}
    Answer question(const QString&) override { return Answer::No; }
    QString saveFileName(const QString&, const QString&) override { return {}; }
    QString openFileName(const QString&, const QString&) override { return openAnswer; }
    QString openAnswer;
    bool openUrl(const QUrl&) override { return false; }
    bool viewTextFile(const QString&, const QString&) override { return false; }
    QString printPreview(QTextDocument&, const QString&) override { return {}; }
};

// "Новый расчет", the category and the feeds by clicks, "Далее": the worksheet.
QWidget* openWorksheet(MDIForm1& w, const QString& category, const QStringList& feeds)
{
    w.findChild<QAction*>(QStringLiteral("mnuNRaschet"))->trigger();
    settle();
    QWidget* kurwi = screen(w, QStringLiteral("frmKurwi"));
    choose(child<QListWidget>(kurwi, QStringLiteral("lstKurwi")), category);
    child<QPushButton>(kurwi, QStringLiteral("cmdDalee"))->click();
    settle();
    QWidget* basa = screen(w, QStringLiteral("frmBasa"));
    for (const QString& feed : feeds) {
        choose(child<QListView>(basa, QStringLiteral("lstBasa")), feed);
        QTest::mouseClick(child<QWidget>(basa, QStringLiteral("lblWibrat")), Qt::LeftButton);
    }
    child<QPushButton>(basa, QStringLiteral("cmdDalee"))->click();
    settle();
    return screen(w, QStringLiteral("frmRacion"));
}

bool save(QWidget& w, const QString& dir, const QString& name)
{
    const QString path = QDir(dir).filePath(name);
    const bool ok = w.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    Startup::configureApplication(app);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QString out = QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".")).absolutePath();
    QDir().mkpath(out);

    QTemporaryDir work;
    QDir::setCurrent(work.path());
    // Settings of its own: every picture starts from the boxes as they first
    // come, and the user's are left alone.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work.path());
    if (!Database::ensure().ok)
        return 1;

    // No message or question waits for a click: "Расчитать" ending unbalanced,
    // "Сохранить расчет?" when the report closes the worksheet.
    QuietPlatform quiet;
    setPlatform(&quiet);
    MDIForm1 w;
    w.show();
    settle();

    const QStringList feeds{
        QStringLiteral("Кукуруза"), QStringLiteral("Пшеница"), QStringLiteral("Шрот соевый"),
        QStringLiteral("Мука рыбная"), QStringLiteral("Масло подсолнечное"),
        QStringLiteral("Известняк (известняковая мука)"), QStringLiteral("Монокальцийфосфат"),
        QStringLiteral("Соль поваренная"), QStringLiteral("Премикс для бройлеров и родительского стада 1%")};
    const QString broilers = QStringLiteral("Бройлеры: старт (1-3 нед.)");
    QWidget* racion = openWorksheet(w, broilers, feeds);
    child<QAbstractButton>(racion, QStringLiteral("Check1"))->setChecked(true);
    child<QPushButton>(racion, QStringLiteral("cmdS"))->click();
    settle();

    // Example prices (roubles per kilogram), typed into the price editor as a
    // user does; the worksheet reads them when it is active again.
    w.findChild<QAction*>(QStringLiteral("mnuCena"))->trigger();
    settle();
    QWidget* prices = screen(w, QStringLiteral("frmCena"));
    auto* grid = child<QTableView>(prices, QStringLiteral("DataGrid1"));
    const QStringList examples{"16,5", "14", "42", "110", "95", "4,5", "85", "9", "250"};
    for (int k = 0; k < feeds.size(); ++k) {
        const QModelIndex name = grid->model()->match(grid->model()->index(0, 0), Qt::DisplayRole, feeds[k], 1,
                                                      Qt::MatchExactly).value(0);
        const QModelIndex cell = name.siblingAtColumn(1);
        grid->scrollTo(cell);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
        QTest::keyClick(grid, Qt::Key_F2);
        for (QLineEdit* box : grid->findChildren<QLineEdit*>()) {
            if (box->isVisible()) {
                QTest::keyClicks(box, examples[k]);
                QTest::keyClick(box, Qt::Key_Return);
            }
        }
        QCoreApplication::processEvents();   // the cell goes into the model from the event loop
    }
    QTest::keyClick(grid, Qt::Key_Up);   // the last price is written as its row is left
    Screens::activate(racion);
    settle();
    bool ok = save(w, out, QStringLiteral("worksheet.png"));
    // The editor over the right of the worksheet, its cost line left in view.
    QMdiSubWindow* sub = qobject_cast<QMdiSubWindow*>(prices->parentWidget());
    sub->move(w.mdiArea()->width() - sub->width(), 0);
    grid->scrollTo(grid->model()->index(0, 0));
    Screens::activate(prices);
    settle();
    ok &= save(w, out, QStringLiteral("prices.png"));
    sub->close();
    Screens::activate(racion);
    settle();

    // "Далее" opens the recipe kind modally; "Да" is pressed from the loop.
    QTimer poll;
    bool compound = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            if (auto* yes = modal->findChild<QPushButton*>(QStringLiteral("cmdWiborRacionOk"))) {
                if (compound)
                    QTest::mouseClick(child<QAbstractButton>(modal, QStringLiteral("optKombikorm")), Qt::LeftButton);
                poll.stop();
                yes->click();
            }
        }
    });
    poll.start(10);
    child<QPushButton>(racion, QStringLiteral("cmdDalee"))->click();
    settle();
    QWidget* otshet = screen(w, QStringLiteral("frmOtshet"));
    auto* quantity = child<QLineEdit>(otshet, QStringLiteral("Text1"));
    quantity->setFocus();
    quantity->selectAll();
    QTest::keyClicks(quantity, QStringLiteral("1000"));
    settle();
    ok &= save(w, out, QStringLiteral("report.png"));

    // The same ration as 5 t of compound feed for a 500 kg mixer, the
    // minerals and the premix weighed to 0,1 kg: the batch sheet.
    child<QPushButton>(otshet, QStringLiteral("cmdNazad"))->click();
    settle();
    compound = true;
    poll.start(10);
    child<QPushButton>(racion, QStringLiteral("cmdDalee"))->click();
    settle();
    otshet = screen(w, QStringLiteral("frmOtshet"));
    child<QLineEdit>(otshet, QStringLiteral("Text1"))->setText(QStringLiteral("5"));
    child<QLineEdit>(otshet, QStringLiteral("txtEmkost"))->setText(QStringLiteral("500"));
    for (const QString& group : {QStringLiteral("Минеральные"), QStringLiteral("Премиксы")}) {
        child<QComboBox>(otshet, QStringLiteral("cboGruppa"))->setCurrentText(group);
        child<QLineEdit>(otshet, QStringLiteral("txtShag"))->setText(QStringLiteral("0,1"));
    }
    child<QPushButton>(otshet, QStringLiteral("cmdZamesy"))->click();
    settle();
    ok &= save(*otshet, out, QStringLiteral("batches.png"));

    // The same feeds without the limestone, at 10 %: "Расчитать" cannot
    // balance them, and the diagnosis opens below the worksheet.
    child<QPushButton>(otshet, QStringLiteral("Command1"))->click();
    settle();
    QStringList noCalcium = feeds;
    noCalcium.removeAll(QStringLiteral("Известняк (известняковая мука)"));
    racion = openWorksheet(w, broilers, noCalcium);
    child<QComboBox>(racion, QStringLiteral("Combo1"))->setEditText(QStringLiteral("10"));
    child<QPushButton>(racion, QStringLiteral("cmdS"))->click();
    settle();
    // The worksheet alone: with the pane it may be taller than the frame.
    ok &= save(*racion, out, QStringLiteral("diagnosis.png"));

    // The first ration again, balanced, then the box of the extra nutrients
    // ticked: their section below the worksheet.
    child<QPushButton>(racion, QStringLiteral("cmdExit"))->click();
    settle();
    racion = openWorksheet(w, broilers, feeds);
    child<QAbstractButton>(racion, QStringLiteral("Check1"))->setChecked(true);
    child<QPushButton>(racion, QStringLiteral("cmdS"))->click();
    settle();
    child<QAbstractButton>(racion, QStringLiteral("chkDop"))->setChecked(true);
    settle();
    ok &= save(*racion, out, QStringLiteral("extras.png"));

    // A laboratory's table: a new feed, a change, a line refused.
    QFile lab(work.filePath(QStringLiteral("лаборатория.csv")));
    ok &= lab.open(QIODevice::WriteOnly)
        && lab.write(QStringLiteral("basa_name_kormow;protein;lizin;ob_en;calciy_;pospor;natriy;A;D;B3;granic;cena\r\n"
                                    "Кукуруза;9,2;0,28;;;;;;;;;16\r\n"
                                    "Горох (партия 12);21,5;1,45;285;0,12;0,42;0,04;0;0;0,18;25;21,5\r\n"
                                    "Шрот соевый;45,о;;;;;;;;;;\r\n").toUtf8()) > 0;
    lab.close();
    quiet.openAnswer = lab.fileName();
    w.findChild<QAction*>(QStringLiteral("mnuImportBasa"))->trigger();
    settle();
    if (QWidget* preview = screen(w, QStringLiteral("frmImport")))
        ok &= save(*preview, out, QStringLiteral("import.png"));
    else
        ok = false;
    return ok ? 0 : 1;
}
