#include "shell/Navigation.h"

#include "editors/frmBasaKorm.h"
#include "editors/frmBasaKurwi.h"
#include "shell/MenuRules.h"
#include "shell/Platform.h"
#include "shell/Screens.h"

#include <QPointer>

#include <optional>

namespace {

QPointer<frmBasaKorm> g_feedEditor;
QPointer<frmBasaKurwi> g_poultryEditor;

// One editor of each kind at a time: asked again, the open one comes forward.
template <typename Editor>
void showEditor(QPointer<Editor>& open, std::optional<MenuEvent> opened)
{
    if (!open) {
        auto* editor = new Editor;
        if (!editor->isReady()) {
            platform().message(editor->errorText());
            delete editor;
            return;
        }
        open = editor;
        Screens::showChild(editor);
    } else {
        Screens::activate(open);
    }
    if (opened)
        menuRules().report(*opened);
}

} // namespace

namespace Navigation {

void showFeedEditor()
{
    showEditor(g_feedEditor, MenuEvent::KormEditorOpened);
}

void showPoultryEditor(bool fromMenu)
{
    showEditor(g_poultryEditor, fromMenu ? std::optional(MenuEvent::VargoEditorOpened) : std::nullopt);
}

} // namespace Navigation
