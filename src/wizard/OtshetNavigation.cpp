#include "shell/Navigation.h"

#include "files/BatchSheet.h"
#include "files/TextReport.h"
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

std::optional<TextReport::Captions> reportCaptions()
{
    if (!otshet())
        return std::nullopt;
    return g_otshet->captions();
}

QStringList reportExtras()
{
    return otshet() ? g_otshet->extraLines() : QStringList();
}

std::optional<BatchSheet::Sheet> reportBatches()
{
    return otshet() ? g_otshet->batchSheet() : std::nullopt;
}

} // namespace Navigation
