#pragma once

#include <QObject>

// The main window's menu enabling table, kept in one place. Screens only
// report what happened to them (loaded, activated, closed, ...); this table
// decides which items that switches on or off, and the main window follows.
enum class MenuItem {
    Racion,      // mnuRacion, the whole "Расчет рациона" menu
    SaveR,       // mnuSaveR "Сохранить расчет..."
    SaveRacion,  // mnuSaveRacion "Записать рацион в файл..."
    Korm,        // mnuKorm "кормов"
    Vargo,       // mnuVargo "птицы"
    Programm,    // mnuProgramm "О программе"
    Cena,        // mnuCena "цены кормов"
    ExportRacion, // mnuExportRacion "Рацион...": while a worksheet or a report sheet is open
};
inline constexpr int kMenuItemCount = 8;

enum class MenuEvent {
    NewCalcChosen,        // "Новый расчет"
    OpenCalcChosen,       // "Открыть старый..."
    OpenCalcFailed,
    KurwiActivated,
    KurwiClosed,
    BasaLoaded,
    BasaClosed,
    RacionActivated,
    RacionWeightChanged,  // a weight box changed to a number
    RacionClosed,
    OtshetLoaded,
    OtshetActivated,
    OtshetBack,           // the report sheet's "Назад"
    OtshetClosed,
    KormEditorOpened,
    KormEditorClosed,
    VargoEditorOpened,
    VargoEditorClosed,
    CenaEditorOpened,
    CenaEditorClosed,
    AboutLoaded,
    AboutClosed,
};

class MenuRules : public QObject {
    Q_OBJECT
public:
    MenuRules();
    bool isEnabled(MenuItem item) const;
    void report(MenuEvent event);
    // Back to the start-up states ("Сохранить расчет...",
    // "Записать рацион в файл..." and the ration's export off, everything else on).
    void reset();

Q_SIGNALS:
    void changed(MenuItem item, bool enabled);

private:
    void set(MenuItem item, bool enabled);
    void sheetOpen(bool* which, bool open);
    bool m_enabled[kMenuItemCount];
    bool m_racionOpen = false;
    bool m_otshetOpen = false;
};

// The one table of the program.
MenuRules& menuRules();
