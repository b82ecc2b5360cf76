// Times one keystroke's recalculation on the worksheet with ten feeds,
// through the real widgets offscreen: a digit typed into a weight box runs
// the change handling, the group check (a database query), the contributions,
// totals and deviations; then the same with "учитывать аминокислоты и
// клетчатку" ticked, its section below the sheet following every keystroke.
//
//   QT_QPA_PLATFORM=offscreen ./bench_keystroke [keystrokes]

#include "data/Database.h"
#include "data/RationState.h"
#include "shell/Navigation.h"
#include "shell/Platform.h"
#include "wizard/frmRacion.h"

#include <QApplication>
#include <QCheckBox>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableWidget>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Nothing may wait on a message box while timing.
class SilentPlatform : public Platform {
public:
    void message(const QString& text, MessageKind) override { std::printf("message: %s\n", qPrintable(text)); }
    QString saveFileName(const QString&, const QString&) override { return {}; }
    QString openFileName(const QString&, const QString&) override { return {}; }
    bool openUrl(const QUrl&) override { return false; }
    bool viewTextFile(const QString&, const QString&) override { return false; }
    Answer question(const QString&) override { return Answer::No; }
    QString printPreview(QTextDocument&, const QString&) override { return {}; }
};

void typeKey(QLineEdit* box, Qt::Key key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(box, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(box, &release);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const int rounds = argc > 1 ? std::max(10, atoi(argv[1])) : 400;
    SilentPlatform silent;
    setPlatform(&silent);

    QTemporaryDir work;
    QDir::setCurrent(work.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work.path());   // the box ticked here stays here
    if (!Database::ensure().ok)
        return 1;

    RationState& s = ration();
    s.sKurwi = QStringLiteral("Бройлеры: старт (1-3 нед.)");
    const QStringList feeds = {"Кукуруза", "Пшеница", "Ячмень", "Шрот соевый", "Шрот подсолнечный",
                               "Мука рыбная", "Масло подсолнечное", "Известняк (известняковая мука)",
                               "Монокальцийфосфат", "Соль поваренная"};
    for (int i = 0; i < 10; ++i)
        s.sKorm[i] = feeds[i];
    s.iMaxKorm = 9;
    auto* sheet = dynamic_cast<frmRacion*>(Navigation::showRacion());
    const QStringList weights = {"30", "20", "10", "15", "5", "4", "3", "5", "1", "0"};
    for (int i = 0; i < 10; ++i)
        sheet->setWeightText(i, weights[i]);
    auto* box = sheet->findChild<QLineEdit*>(QStringLiteral("txtWes(9)"));
    box->setFocus();
    box->end(false);

    // Alternately type a digit and take it back: each is one keystroke and
    // one full recalculation of row 9.
    const auto time = [&](const char* what) {
        std::vector<double> micros;
        micros.reserve(rounds);
        QElapsedTimer t;
        for (int r = 0; r < rounds; ++r) {
            t.start();
            if (r % 2 == 0)
                typeKey(box, Qt::Key_5, QStringLiteral("5"));
            else
                typeKey(box, Qt::Key_Backspace, QString());
            micros.push_back(double(t.nsecsElapsed()) / 1000.0);
        }
        std::sort(micros.begin(), micros.end());
        double sum = 0;
        for (double m : micros)
            sum += m;
        std::printf("one keystroke's recalculation, ten feeds%s, %d keystrokes: median %.1f us, mean %.1f us, "
                    "90th percentile %.1f us\n",
                    what, rounds, micros[micros.size() / 2], sum / double(micros.size()),
                    micros[micros.size() * 9 / 10]);
    };
    time("");

    // Every extra nutrient normed for the category, and a bound on sodium,
    // with a content in every feed: the section at its fullest. Ticked, the
    // box reads them as the sheet is activated.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench"));
        db.setDatabaseName(Database::path());
        QSqlQuery q(db);
        const QString category = s.sKurwi;
        bool ok = db.open() && q.exec(QStringLiteral("delete from kurwi_pokazatel")) && q.exec(QStringLiteral("delete from basa_pokazatel"));
        ok = ok && q.prepare(QStringLiteral("insert into kurwi_pokazatel select ?, kod, 0.5, 1.5 from pokazatel "
                                            "union all select ?, 'natriy', 0.15, 0.2"));
        q.addBindValue(category);
        q.addBindValue(category);
        ok = ok && q.exec();
        for (const QString& feed : feeds) {
            ok = ok && q.prepare(QStringLiteral("insert into basa_pokazatel select ?, kod, 0.1 * poryadok from pokazatel"));
            q.addBindValue(feed);
            ok = ok && q.exec();
        }
        if (!ok) {
            std::printf("the norms could not be written: %s\n", qPrintable(q.lastError().text()));
            return 1;
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench"));
    sheet->findChild<QCheckBox*>(QStringLiteral("chkDop"))->setChecked(true);
    sheet->Form_Activate();
    box->setFocus();
    box->end(false);
    std::printf("the section's lines: %d\n", sheet->findChild<QTableWidget*>(QStringLiteral("grdDop"))->rowCount());
    time(", the extra nutrients shown");
    sheet->close();
    setPlatform(nullptr);
    return 0;
}
