#include "shell/Navigation.h"

#include "data/RationState.h"
#include "data/TextFile.h"
#include "engine/RacionSheet.h"
#include "engine/mdlRashet.h"
#include "files/CalcFile.h"
#include "files/CalcHistory.h"
#include "files/LastDirs.h"
#include "files/PrintedRecipe.h"
#include "files/TextReport.h"
#include "shell/FileFilters.h"
#include "shell/MenuRules.h"
#include "shell/Platform.h"
#include "shell/RecentCalculations.h"

#include <QDir>
#include <QFileInfo>
#include <QTextDocument>

// The File menu's actions and "Открыть старый...". A cancelled dialog does
// nothing and says nothing; every real failure says what went wrong and with
// which file, and leaves files and the ration state as they were.
namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

CalcHistory::Sheet sheetOf(const CalcFile::Contents& c)
{
    CalcHistory::Sheet s;
    s.category = c.sKurwi;
    for (int i = 0; i < c.feedCount(); ++i)
        s.feeds << c.sKorm[std::size_t(i)];
    s.weights = c.weights;
    return s;
}

CalcFile::Contents contentsOf(const RacionSheet& sheet)
{
    QStringList weights;
    for (int i = 0; i < ration().feedCount(); ++i)
        weights << sheet.weightText(i);
    return CalcFile::fromRation(ration(), weights);
}

// What the worksheet held when its "Назад" closed it: the calculation in
// progress while no worksheet is open and its weights are kept for the next
// one (bNazad). The feed selection's changes are not a calculation yet.
std::optional<CalcFile::Contents> g_kept;

std::optional<CalcFile::Contents> calculationNow()
{
    if (const RacionSheet* sheet = Navigation::racion())
        return contentsOf(*sheet);
    if (g_kept && ration().bNazad)
        return g_kept;
    return std::nullopt;
}

} // namespace

namespace Navigation {

void saveCalculation()
{
    const std::optional<CalcFile::Contents> calculation = calculationNow();
    if (!calculation)
        return;
    CalcFile::Error error;
    const auto lines = CalcFile::toLines(*calculation, &error);
    if (!lines) {
        platform().message(error.message);
        return;
    }
    const QString path = platform().saveFileName(FileFilters::kalk, LastDirs::dir(LastDirs::Kind::Calculation));
    if (path.isEmpty())
        return;
    LastDirs::remember(LastDirs::Kind::Calculation, path);
    TextFile::Error writeError;
    if (!TextFile::writeLines(path, *lines, &writeError)) {
        platform().message(writeError.message);
        return;
    }
    CalcHistory::markSaved(sheetOf(*calculation));
    recentCalculations().add(path);
}

void keepUnsavedWork()
{
    QStringList weights;   // as they come back on the worksheet
    for (int i = 0; i < ration().feedCount(); ++i)
        weights << ration().SaveWes[std::size_t(i)].toText();
    g_kept = CalcFile::fromRation(ration(), weights);
}

void openCalculation()
{
    menuRules().report(MenuEvent::OpenCalcChosen);
    const QString path = platform().openFileName(FileFilters::kalk, LastDirs::dir(LastDirs::Kind::Calculation));
    if (path.isEmpty()) {
        menuRules().report(MenuEvent::OpenCalcFailed);
        return;
    }
    openCalculationFile(path);
}

void openCalculationFile(const QString& path)
{
    menuRules().report(MenuEvent::OpenCalcChosen);
    LastDirs::remember(LastDirs::Kind::Calculation, path);

    auto refuse = [](const QString& message) {
        platform().message(message);
        menuRules().report(MenuEvent::OpenCalcFailed);
    };
    // What cannot be a calculation file is refused before a byte is read:
    // a device or a pipe may never end, a huge file would fill the memory.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return refuse(QStringLiteral("Файл %1 не открыт: это не файл расчета, а %2.")
                          .arg(shown(path), info.isDir() ? QStringLiteral("папка") : QStringLiteral("устройство или канал")));
    if (info.size() > CalcFile::kMaxFileBytes)
        return refuse(QStringLiteral("Файл %1 не открыт: это не файл расчета — он больше %2 КБ.")
                          .arg(shown(path)).arg(CalcFile::kMaxFileBytes / 1024));

    // The whole file is read and checked before the ration state is touched.
    TextFile::Error readError;
    const auto lines = TextFile::readLines(path, &readError, CalcFile::kMaxFileBytes);
    if (!lines) {
        if (!QFileInfo::exists(path))
            recentCalculations().remove(path);
        return refuse(readError.message);
    }
    CalcFile::Error error;
    const auto contents = CalcFile::fromLines(*lines, &error);
    if (!contents)
        return refuse(QStringLiteral("Файл %1 не открыт: это не файл расчета или он испорчен.\n"
                                     "Строка %2: %3.")
                          .arg(shown(path)).arg(error.line).arg(error.message));

    RationState& r = ration();
    CalcFile::applyTo(*contents, r);
    // The file's weights, not those kept from an earlier return to the feed
    // selection, go into the boxes.
    r.bNazad = false;
    r.bOpenKalk = true;
    RacionSheet* sheet = showRacion();
    if (!sheet) {
        r.bOpenKalk = false;
        menuRules().report(MenuEvent::OpenCalcFailed);
        return;
    }
    // The worksheet's activation has reloaded the rows from the database. The
    // weights go in one by one with the group check skipped, and then every
    // group is judged against its limit with all of them in.
    r.bOpenKalk = true;
    for (int i = 0; i < contents->feedCount(); ++i)
        sheet->setWeightText(i, contents->weights.at(i));
    r.bOpenKalk = false;
    mdlRashet::checkGroupLimits(*sheet);
    CalcHistory::markSaved(sheetOf(contentsOf(*sheet)));
    recentCalculations().add(path);
}

// Lines of a text file the user names (the report's folder offered): refused
// with `refusal` before the dialog when they cannot be written in Windows-1251.
static void saveTextLines(const QStringList& lines, const QString& refusal)
{
    TextFile::Error error;
    if (!TextFile::encodeLines(lines, &error)) {
        platform().message(refusal + error.message);
        return;
    }
    const QString path = platform().saveFileName(FileFilters::txt, LastDirs::dir(LastDirs::Kind::Report));
    if (path.isEmpty())
        return;
    LastDirs::remember(LastDirs::Kind::Report, path);
    if (!TextFile::writeLines(path, lines, &error))
        platform().message(error.message);
}

void writeReport()
{
    const std::optional<TextReport::Captions> captions = reportCaptions();
    if (!captions)
        return;
    saveTextLines(TextReport::lines(*captions), QStringLiteral("Отчет нельзя записать: "));
}

void writeBatches()
{
    const std::optional<BatchSheet::Sheet> sheet = reportBatches();
    if (!sheet)
        return;
    saveTextLines(BatchSheet::lines(*sheet), QStringLiteral("Замесы нельзя записать: "));
}

void viewReport()
{
    const QString path = platform().openFileName(FileFilters::txt, LastDirs::dir(LastDirs::Kind::Report));
    if (path.isEmpty())
        return;
    LastDirs::remember(LastDirs::Kind::Report, path);
    if (!platform().viewTextFile(path))
        platform().message(QStringLiteral("Не удалось показать файл %1.").arg(shown(path)));
}

bool settleUnsavedWork()
{
    const std::optional<CalcFile::Contents> calculation = calculationNow();
    if (!calculation)
        return true;
    const CalcHistory::Sheet sheet = sheetOf(*calculation);
    if (!CalcHistory::unsaved(sheet))
        return true;
    switch (platform().question(QStringLiteral("Сохранить расчет?"))) {
    case Platform::Answer::Yes:
        saveCalculation();
        return !CalcHistory::unsaved(sheet);   // a cancelled or failed save keeps it
    case Platform::Answer::No:
        // Let go: the windows that close after this answer do not ask again,
        // and kept weights no longer come back on the feed selection.
        CalcHistory::markLetGo(sheet);
        if (!racion())
            ration().bNazad = false;
        return true;
    case Platform::Answer::Cancel:
        break;
    }
    return false;
}

void printReport()
{
    const std::optional<TextReport::Captions> captions = reportCaptions();
    if (!captions)
        return;
    const RationState& r = ration();
    PrintedRecipe::Recipe recipe{*captions, reportExtras(), r.bRacion, {}, QDate::currentDate()};
    recipe.batches = reportBatches();
    for (int i = 0; i < r.feedCount(); ++i)
        recipe.priced << r.Cena[std::size_t(i)].has_value();
    QTextDocument document;
    PrintedRecipe::build(document, recipe);
    const QString name = PrintedRecipe::pdfFileName(r.bRacion, captions->Label3);
    document.setMetaInformation(QTextDocument::DocumentTitle, name.chopped(4));
    const QString pdf = platform().printPreview(document, QDir(LastDirs::dir(LastDirs::Kind::Pdf)).filePath(name));
    if (pdf.isEmpty())
        return;
    // A PDF engine that cannot open its file writes nothing; one it opens is
    // written anew, never left with the bytes of an earlier recipe.
    if (QFileInfo(pdf).size() <= 0) {
        platform().message(QStringLiteral("Рецепт не записан в файл %1.").arg(shown(pdf)));
        return;
    }
    LastDirs::remember(LastDirs::Kind::Pdf, pdf);
    platform().message(QStringLiteral("Рецепт записан в файл %1.").arg(shown(pdf)), MessageKind::Information);
}

} // namespace Navigation
