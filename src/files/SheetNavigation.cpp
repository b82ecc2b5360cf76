#include "shell/Navigation.h"

#include "data/JetFile.h"
#include "data/ReferenceData.h"
#include "data/TextFile.h"
#include "editors/ExtraEditors.h"
#include "editors/frmBasaKorm.h"
#include "editors/frmBasaKurwi.h"
#include "editors/frmCena.h"
#include "editors/frmGruppa.h"
#include "engine/RacionSheet.h"
#include "files/FeedSheets.h"
#include "files/LastDirs.h"
#include "files/TextReport.h"
#include "files/frmImport.h"
#include "shell/FileFilters.h"
#include "shell/Platform.h"
#include "shell/Screens.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

// "Экспорт" and "Импорт кормов..." of the File menu. A cancelled dialog does
// nothing; a failure says what went wrong and with which file, and leaves the
// files and the database as they were.
namespace {

QPointer<frmImport> g_import;

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

void writeSheet(const QList<QStringList>& rows)
{
    const QString path = platform().saveFileName(FileFilters::csv, LastDirs::dir(LastDirs::Kind::Sheet));
    if (path.isEmpty())
        return;
    LastDirs::remember(LastDirs::Kind::Sheet, path);
    TextFile::Error error;
    if (!TextFile::writeBytes(path, FeedSheets::document(rows), &error))
        platform().message(error.message);
}

void exportTables(QString (*read)(ReferenceData&, QList<QStringList>&))
{
    ReferenceData data;
    QList<QStringList> rows;
    if (const QString why = data.isOpen() ? read(data, rows) : data.lastError(); !why.isEmpty()) {
        platform().message(why);
        return;
    }
    writeSheet(rows);
}

// The editors that show the feeds, open now, by their titles.
QStringList feedEditorsOpen()
{
    QStringList titles;
    for (QWidget* w : QApplication::allWidgets())
        if ((qobject_cast<frmBasaKorm*>(w) || qobject_cast<frmCena*>(w) || qobject_cast<frmDopKorm*>(w))
            && w->isVisible())
            titles << QStringLiteral("«%1»").arg(w->windowTitle());
    return titles;
}

} // namespace

namespace Navigation {

void exportFeeds()
{
    exportTables(&FeedSheets::feeds);
}

void exportNorms()
{
    exportTables(&FeedSheets::norms);
}

void exportRation()
{
    if (const RacionSheet* sheet = racion())
        writeSheet(FeedSheets::ration(*sheet, reportCaptions()));
}

void importFeeds()
{
    if (g_import) {
        Screens::activate(g_import);
        return;
    }
    // An editor could hold a row being typed, and would show the feeds as they were.
    if (const QStringList open = feedEditorsOpen(); !open.isEmpty()) {
        platform().message(QStringLiteral("Корма нельзя загрузить, пока открыты окна %1: закройте их и выберите "
                                          "«Импорт кормов...» снова.").arg(open.join(QStringLiteral(", "))));
        return;
    }
    const QString path = platform().openFileName(FileFilters::csv, LastDirs::dir(LastDirs::Kind::Sheet));
    if (path.isEmpty())
        return;
    LastDirs::remember(LastDirs::Kind::Sheet, path);
    // What cannot be a table of feeds is refused before a byte is read.
    const QFileInfo info(path);
    const QString tooBig = QStringLiteral("Файл %1 не загружен: это не таблица кормов — он больше %2 МБ.")
                               .arg(shown(path)).arg(FeedSheets::kMaxImportBytes / (1024 * 1024));
    if (info.exists() && !info.isFile()) {
        platform().message(QStringLiteral("Файл %1 не загружен: это не таблица кормов, а %2.")
                               .arg(shown(path), info.isDir() ? QStringLiteral("папка") : QStringLiteral("устройство или канал")));
        return;
    }
    if (info.size() > FeedSheets::kMaxImportBytes) {
        platform().message(tooBig);
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        platform().message(QStringLiteral("Не удалось открыть файл %1: %2").arg(shown(path), file.errorString()));
        return;
    }
    const QByteArray bytes = file.read(FeedSheets::kMaxImportBytes + 1);
    if (bytes.size() > FeedSheets::kMaxImportBytes) {
        platform().message(tooBig);
        return;
    }
    ReferenceData data;
    const FeedSheets::Plan plan = FeedSheets::plan(bytes, data, path);
    if (!plan.error.isEmpty()) {
        platform().message(plan.error);
        return;
    }
    g_import = new frmImport(path, bytes, plan);
    Screens::showChild(g_import);
}

void importOldDatabase()
{
    if (g_import) {
        Screens::activate(g_import);
        return;
    }
    if (!JetFile::supported()) {
        platform().message(JetFile::Reader(QString()).error());
        return;
    }
    QStringList open = feedEditorsOpen();
    for (QWidget* w : QApplication::allWidgets())
        if ((qobject_cast<frmBasaKurwi*>(w) || qobject_cast<frmGruppa*>(w)) && w->isVisible())
            open << QStringLiteral("«%1»").arg(w->windowTitle());
    if (!open.isEmpty()) {
        platform().message(QStringLiteral("Данные старой базы нельзя перенести, пока открыты окна %1: закройте их и выберите "
                                          "«Перенести из старой базы...» снова.").arg(open.join(QStringLiteral(", "))));
        return;
    }
    const QString path = platform().openFileName(QStringLiteral("Базы данных Access (*.mdb)|*.mdb"),
                                                 LastDirs::dir(LastDirs::Kind::Sheet));
    if (path.isEmpty())
        return;
    LastDirs::remember(LastDirs::Kind::Sheet, path);
    ReferenceData data;
    const FeedSheets::Plan plan = FeedSheets::planOldDatabase(path, data);
    if (!plan.error.isEmpty()) {
        platform().message(plan.error);
        return;
    }
    g_import = new frmImport(path, QByteArray(), plan);
    Screens::showChild(g_import);
}

} // namespace Navigation
