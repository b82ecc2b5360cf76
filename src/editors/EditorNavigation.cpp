#include "shell/Navigation.h"

#include "editors/frmBasaKorm.h"
#include "editors/frmBasaKurwi.h"
#include "editors/ExtraEditors.h"
#include "editors/frmCena.h"
#include "shell/MenuRules.h"
#include "shell/Platform.h"
#include "shell/Screens.h"

#include <QPointer>

#include <optional>

namespace {

QPointer<frmBasaKorm> g_feedEditor;
QPointer<frmBasaKurwi> g_poultryEditor;
QPointer<frmCena> g_priceEditor;
QPointer<frmDopKorm> g_extraContentsEditor;
QPointer<frmDopKurwi> g_extraNormsEditor;
QPointer<frmKurwiKorm> g_feedLimitsEditor;
QPointer<frmPokazatel> g_nutrientListEditor;

// One editor of each kind at a time: asked again, the open one comes forward.
template <typename Editor>
bool showEditor(QPointer<Editor>& open, std::optional<MenuEvent> opened)
{
    if (!open) {
        auto* editor = new Editor;
        if (!editor->isReady()) {
            platform().message(editor->errorText());
            delete editor;
            return false;
        }
        open = editor;
        Screens::showChild(editor);
    } else {
        Screens::activate(open);
    }
    if (opened)
        menuRules().report(*opened);
    return true;
}

} // namespace

namespace Navigation {

void showFeedEditor()
{
    showEditor(g_feedEditor, MenuEvent::KormEditorOpened);
}

void showPoultryEditor()
{
    showEditor(g_poultryEditor, MenuEvent::VargoEditorOpened);
}

void showPriceEditor()
{
    showEditor(g_priceEditor, MenuEvent::CenaEditorOpened);
}

void showExtraContentsEditor()
{
    showEditor(g_extraContentsEditor, std::nullopt);
}

void showExtraNormsEditor()
{
    showEditor(g_extraNormsEditor, std::nullopt);
}

void showFeedLimitsEditor()
{
    showEditor(g_feedLimitsEditor, std::nullopt);
}

void showNutrientListEditor()
{
    showEditor(g_nutrientListEditor, std::nullopt);
}

void showPoultryEditor(const QString& category)
{
    if (showEditor(g_poultryEditor, std::nullopt))
        g_poultryEditor->showDailyRequirement(category);
}

} // namespace Navigation
