#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "shell/Screens.h"
#include "wizard/frmBasa.h"
#include "wizard/frmKurwi.h"
#include "wizard/frmRacion.h"
#include "wizard/WizardWidgets.h"

#include <QPointer>

namespace Navigation {

namespace {
QPointer<frmKurwi> g_kurwi;
QPointer<frmBasa> g_basa;
} // namespace

void newCalculation()
{
    menuRules().report(MenuEvent::NewCalcChosen);
    showKurwi();
}

void showKurwi()
{
    if (!g_kurwi || !g_kurwi->isVisible())
        g_kurwi = new frmKurwi;
    Screens::showChild(g_kurwi);
}

void showBasa()
{
    if (!g_basa || !g_basa->isVisible())
        g_basa = new frmBasa;
    Screens::showChild(g_basa);
}

RacionSheet* showRacion()
{
    frmRacion* sheet = frmRacion::instance();
    if (!sheet)
        sheet = new frmRacion;
    Screens::showChild(sheet);
    return sheet;
}

RacionSheet* racion()
{
    return frmRacion::instance();
}

bool closeRacion()
{
    if (frmRacion* sheet = frmRacion::instance())
        Wizard::closeScreen(sheet);   // its closing step asks about unsaved weights
    return !frmRacion::instance();
}

} // namespace Navigation
