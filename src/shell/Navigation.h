#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;
class RacionSheet;
namespace TextReport {
struct Captions;
}
namespace BatchSheet {
struct Sheet;
}

// The ways from one screen to the next, and the main window's menu actions.
// Each is implemented beside the screens it opens (wizard/, editors/,
// files/), so no screen needs to know how another one is built.
namespace Navigation {

// wizard/ — the calculation's screens
void newCalculation();     // "Новый расчет": the category choice
void showKurwi();          // category choice
void showBasa();           // feed selection
RacionSheet* showRacion(); // the worksheet: created if needed, shown, activated
RacionSheet* racion();     // the worksheet while it is loaded, else nullptr
// Closes the worksheet; one holding unsaved weights asks first (see
// settleUnsavedWork). False when it stays open.
bool closeRacion();
void showOtshet();         // the report sheet
QWidget* otshet();         // the report sheet while it is loaded, else nullptr
// What the text report shows of the loaded report sheet and the worksheet's
// deviations; nullopt while no report sheet is loaded.
std::optional<TextReport::Captions> reportCaptions();
// The report sheet's list of the extra nutrients, line by line (printed below
// the recipe, never written to the text report); empty without one.
QStringList reportExtras();
// The report sheet's batches of compound feed, once split; else nullopt.
std::optional<BatchSheet::Sheet> reportBatches();

// editors/
void showFeedEditor();     // "кормов"
void showPoultryEditor();  // "птицы"; the item is off while the editor it opened is open
void showPriceEditor();    // "цены кормов"
// The extra nutrients: the feeds' contents, the categories' norms, the
// categories' feed limits, the list of the nutrients.
void showExtraContentsEditor();
void showExtraNormsEditor();
void showFeedLimitsEditor();
void showNutrientListEditor();
// The poultry editor on the category's row, its "В сутки O/Э" cell current,
// as the worksheet opens it: the "птицы" item is left as it is.
void showPoultryEditor(const QString& category);

// files/ — the File menu and "Открыть старый..."
void saveCalculation();    // "Сохранить расчет..."
void openCalculation();    // "Открыть старый..."
// Opens that calculation file on the worksheet, with the checks and messages
// of "Открыть старый..." (the command line, "Последние расчеты").
void openCalculationFile(const QString& path);
// Before a worksheet with weights changed since the last save or open goes,
// or weights its "Назад" kept (the feed selection, the category screen or the
// program closing): "Сохранить расчет?" — "Да" saves through "Сохранить
// расчет...", "Нет" lets them go for good. False when they are to stay
// (Отмена, or no file saved).
bool settleUnsavedWork();
// The worksheet's "Назад", its weights in SaveWes: the calculation is kept as
// it stands, for settleUnsavedWork to ask about and save.
void keepUnsavedWork();
void printReport();        // "Печать...": the report sheet in the print preview
void writeReport();        // "Записать рацион в файл..."
void writeBatches();       // the report sheet's "Сохранить замесы..."
void viewReport();         // "Смотреть\Печатать  рацион..."
// "Экспорт": the feeds, the norms of the categories, the ration on the
// worksheet (and its report sheet) as spreadsheets; "Импорт кормов...": a
// table of feeds or a price list read into the feeds, after its preview.
void exportFeeds();
void exportNorms();
void exportRation();
void importFeeds();
// "Перенести из старой базы...": the feeds, categories and groups of an old
// Access database read into the database, after the same preview.
void importOldDatabase();

} // namespace Navigation
