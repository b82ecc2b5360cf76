#include "editors/frmGruppa.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace {
using Kind = EditorRules::Kind;

QList<GridColumn> granicaColumns()
{
    return {
        {QStringLiteral("gruppa"), QStringLiteral("Наименование группы"), 167, Kind::Name},
        {QStringLiteral("procent"), QStringLiteral("Ограничение в %"), 50, Kind::Number},
    };
}
} // namespace

frmGruppa::frmGruppa(QWidget* parent)
    : GridEditor(QStringLiteral("granica"), granicaColumns(), -1, {}, std::nullopt, parent)
{
    setObjectName(QStringLiteral("frmGruppa"));
    setWindowTitle(QStringLiteral("Групповые ограничения"));
    setWindowFlag(Qt::Window, true);
    setWindowModality(Qt::ApplicationModal);
    if (!isReady())
        return;
    Command1 = addButton("Command1", QStringLiteral("&Закрыть"));
    buttonRow()->addStretch(1);
    buttonRow()->addWidget(Command1);
    buttonRow()->addStretch(1);
    connect(Command1, &QPushButton::clicked, this, [this] { Screens::closeWindow(this); });
    resize(sizeHint());
}
