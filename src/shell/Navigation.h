#pragma once

class QWidget;

// The ways from one screen to the next, and the main window's menu actions.
// Each is implemented beside the screens it opens (wizard/, editors/,
// files/), so no screen needs to know how another one is built.
namespace Navigation {

// wizard/ — the calculation's screens
void newCalculation();     // "Новый расчет": the category choice
void showKurwi();          // category choice
void showBasa();           // feed selection
QWidget* showRacion();     // the worksheet: created if needed, shown, activated
QWidget* racion();         // the worksheet while it is loaded, else nullptr
void showOtshet();         // the report sheet
QWidget* otshet();         // the report sheet while it is loaded, else nullptr

// editors/
void showFeedEditor();     // "кормов"
// "птицы"; the item is off while the editor it opened is open. The worksheet
// opens the same editor with fromMenu false, leaving the item as it is.
void showPoultryEditor(bool fromMenu = true);

// files/ — the File menu and "Открыть старый..."
void saveCalculation();    // "Сохранить расчет..."
void openCalculation();    // "Открыть старый..."
void writeReport();        // "Записать рацион в файл..."
void viewReport();         // "Смотреть\Печатать  рацион..."

} // namespace Navigation
