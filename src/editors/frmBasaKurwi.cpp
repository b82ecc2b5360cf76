#include "editors/frmBasaKurwi.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace {
using Kind = EditorRules::Kind;

QList<GridColumn> kurwiColumns()
{
    return QList<GridColumn>{{QStringLiteral("kategoriy_ptici"), QStringLiteral("Категория птицы"), 173, Kind::Name}}
        + nutrientColumns(&Nutrients::Nutrient::kurwiColumn, 53)
        + QList<GridColumn>{{QStringLiteral("dawat_gr"), QStringLiteral("В сутки O/Э"), 53, Kind::OptionalNumber}};
}
} // namespace

frmBasaKurwi::frmBasaKurwi(QWidget* parent)
    : GridEditor(QStringLiteral("kurwi"), kurwiColumns(), 0,
                 {QStringLiteral("Содержание в 100 граммах корма"), 1, Nutrients::kCount},
                 MenuEvent::VargoEditorClosed, parent)
{
    setObjectName(QStringLiteral("frmBasaKurwi"));
    setWindowTitle(QStringLiteral("База данных по птице"));
    if (!isReady())
        return;
    model()->setCarriesRenames(true);   // a category's norms and feed limits go with it when it is renamed
    cmdDobawit = addButton("cmdDobawit", QStringLiteral("&Добавить данные"));
    Command1 = addButton("Command1", QStringLiteral("&Закрыть"));
    buttonRow()->addWidget(cmdDobawit);
    buttonRow()->addStretch(1);
    buttonRow()->addWidget(Command1);
    connect(cmdDobawit, &QPushButton::clicked, this, &frmBasaKurwi::cmdDobawit_Click);
    connect(Command1, &QPushButton::clicked, this, [this] { Screens::closeWindow(this); });
}

void frmBasaKurwi::showDailyRequirement(const QString& category)
{
    EditorModel* m = model();
    while (m->canFetchMore())
        m->fetchMore();
    const int column = m->fieldIndex(QStringLiteral("dawat_gr"));
    for (int row = 0; row < m->rowCount(); ++row) {
        if (m->index(row, 0).data().toString() != category)
            continue;
        const QModelIndex cell = m->index(row, column);
        grid()->setCurrentIndex(cell);
        grid()->scrollTo(cell);
        grid()->setFocus();
        return;
    }
}
