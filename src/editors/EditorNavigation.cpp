#include "shell/Navigation.h"

#include "editors/frmBasaKorm.h"
#include "editors/frmBasaKurwi.h"
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

void showPoultryEditor(const QString& category)
{
    if (showEditor(g_poultryEditor, std::nullopt))
        g_poultryEditor->showDailyRequirement(category);
}

} // namespace Navigation
