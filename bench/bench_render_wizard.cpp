// Renders each screen of the wizard to a PNG, offscreen, with the default
// reference data: the category choice, the feed selection, the worksheet
// with ten feeds balanced by hand, and the recipe-kind dialog.
//
//   QT_QPA_PLATFORM=offscreen ./bench_render_wizard [output directory]

#include "data/Database.h"
#include "data/RationState.h"
#include "shell/Navigation.h"
#include "wizard/frmBasa.h"
#include "wizard/frmKurwi.h"
#include "wizard/frmRacion.h"
#include "wizard/frmWiborRecept.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QTemporaryDir>
#include <cstdio>

namespace {

bool save(QWidget& w, const QString& dir, const QString& name)
{
    w.adjustSize();
    const QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
    const bool ok = w.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/wizard_png");
    QDir().mkpath(out);

    QTemporaryDir work;
    QDir::setCurrent(work.path());
    if (!Database::ensure().ok)
        return 1;

    bool ok = true;
    {
        frmKurwi kurwi;
        kurwi.show();
        kurwi.Form_Activate();
        auto* list = kurwi.findChild<QListWidget*>(QStringLiteral("lstKurwi"));
        list->setCurrentRow(2);
        ok &= save(kurwi, out, QStringLiteral("frmKurwi"));
    }
    {
        frmBasa basa;
        basa.show();
        auto* list = basa.findChild<QListView*>(QStringLiteral("lstBasa"));
        for (int n = 0; n < 4; ++n) {
            list->setCurrentIndex(list->model()->index(n * 3, 0));
            basa.lblWibrat_Click();
        }
        ok &= save(basa, out, QStringLiteral("frmBasa"));
    }
    {
        RationState& s = ration();
        s.sKurwi = QStringLiteral("Бройлеры: финиш (6 нед. и старше)");
        const QStringList feeds = {QStringLiteral("Кукуруза"), QStringLiteral("Пшеница"),
                                   QStringLiteral("Ячмень"), QStringLiteral("Соя полножирная экструдированная"),
                                   QStringLiteral("Шрот подсолнечный"), QStringLiteral("Мука рыбная"),
                                   QStringLiteral("Масло подсолнечное"), QStringLiteral("Известняк (известняковая мука)"),
                                   QStringLiteral("Монокальцийфосфат"),
                                   QStringLiteral("Премикс для бройлеров и родительского стада 1%")};
        for (int i = 0; i < 10; ++i)
            s.sKorm[i] = feeds[i];
        s.iMaxKorm = 9;
        frmRacion sheet;
        sheet.show();
        sheet.Form_Activate();
        const QStringList weights = {"33,3333", "15", "10", "12,5", "12", "5", "4", "4,6667", "2,5", "1"};
        for (int i = 0; i < 10; ++i)
            sheet.setWeightText(i, weights[i]);
        ok &= save(sheet, out, QStringLiteral("frmRacion"));
    }
    {
        frmWiborRecept dialog;
        dialog.show();
        ok &= save(dialog, out, QStringLiteral("frmWiborRecept"));
    }
    return ok ? 0 : 1;
}
