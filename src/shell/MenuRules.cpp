#include "shell/MenuRules.h"

MenuRules::MenuRules()
{
    reset();
}

bool MenuRules::isEnabled(MenuItem item) const
{
    return m_enabled[int(item)];
}

void MenuRules::set(MenuItem item, bool enabled)
{
    if (m_enabled[int(item)] == enabled)
        return;
    m_enabled[int(item)] = enabled;
    Q_EMIT changed(item, enabled);
}

void MenuRules::sheetOpen(bool* which, bool open)
{
    *which = open;
    set(MenuItem::ExportRacion, m_racionOpen || m_otshetOpen);
}

void MenuRules::reset()
{
    for (bool& e : m_enabled)
        e = true;
    m_enabled[int(MenuItem::SaveR)] = false;
    m_enabled[int(MenuItem::SaveRacion)] = false;
    m_enabled[int(MenuItem::ExportRacion)] = false;
    m_racionOpen = m_otshetOpen = false;
    for (int i = 0; i < kMenuItemCount; ++i)
        Q_EMIT changed(MenuItem(i), m_enabled[i]);
}

void MenuRules::report(MenuEvent event)
{
    switch (event) {
    case MenuEvent::NewCalcChosen:
    case MenuEvent::OpenCalcChosen:
    case MenuEvent::KurwiActivated:
    case MenuEvent::BasaLoaded:
    case MenuEvent::RacionActivated:
        set(MenuItem::Racion, false);
        if (event == MenuEvent::RacionActivated)
            sheetOpen(&m_racionOpen, true);
        break;
    case MenuEvent::OpenCalcFailed:
    case MenuEvent::KurwiClosed:
    case MenuEvent::BasaClosed:
        set(MenuItem::Racion, true);
        break;
    case MenuEvent::RacionWeightChanged:
        set(MenuItem::SaveR, true);
        break;
    case MenuEvent::RacionClosed:
        set(MenuItem::Racion, true);
        set(MenuItem::SaveR, false);
        sheetOpen(&m_racionOpen, false);
        break;
    case MenuEvent::OtshetLoaded:
        set(MenuItem::SaveRacion, true);
        sheetOpen(&m_otshetOpen, true);
        break;
    case MenuEvent::OtshetActivated:
        // "Сохранить расчет..." stays as the worksheet left it: the calculation
        // behind the report can be saved from here too.
        set(MenuItem::SaveRacion, true);
        sheetOpen(&m_otshetOpen, true);
        break;
    case MenuEvent::OtshetBack:
        set(MenuItem::SaveR, true);
        break;
    case MenuEvent::OtshetClosed:
        set(MenuItem::Racion, true);
        set(MenuItem::SaveRacion, false);
        sheetOpen(&m_otshetOpen, false);
        break;
    case MenuEvent::KormEditorOpened:
        set(MenuItem::Korm, false);
        break;
    case MenuEvent::KormEditorClosed:
        set(MenuItem::Korm, true);
        break;
    case MenuEvent::VargoEditorOpened:
        set(MenuItem::Vargo, false);
        break;
    case MenuEvent::VargoEditorClosed:
        set(MenuItem::Vargo, true);
        break;
    case MenuEvent::CenaEditorOpened:
        set(MenuItem::Cena, false);
        break;
    case MenuEvent::CenaEditorClosed:
        set(MenuItem::Cena, true);
        break;
    case MenuEvent::AboutLoaded:
        set(MenuItem::Programm, false);
        break;
    case MenuEvent::AboutClosed:
        set(MenuItem::Programm, true);
        break;
    }
}

MenuRules& menuRules()
{
    static MenuRules rules;
    return rules;
}
