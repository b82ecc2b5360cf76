#include "shell/Navigation.h"

#include "shell/Screens.h"
#include "wizard/frmOtshet.h"

#include <QPointer>

namespace {
QPointer<frmOtshet> g_otshet;
} // namespace

namespace Navigation {

void showOtshet()
{
    if (!g_otshet || g_otshet->unloaded())
        g_otshet = new frmOtshet();
    Screens::showChild(g_otshet);
}

QWidget* otshet()
{
    return g_otshet && !g_otshet->unloaded() ? g_otshet.data() : nullptr;
}

} // namespace Navigation
