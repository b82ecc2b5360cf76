#include "editors/frmBasaKorm.h"

#include "editors/frmGruppa.h"
#include "shell/Platform.h"

#include <QEventLoop>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>

namespace {
using Kind = EditorRules::Kind;

QList<GridColumn> basaColumns()
{
    return QList<GridColumn>{{QStringLiteral("basa_name_kormow"), QStringLiteral("Наименование корма"), 158, Kind::Name}}
        + nutrientColumns(&Nutrients::Nutrient::basaColumn, 41)
        + QList<GridColumn>{{QStringLiteral("granic"), QStringLiteral("Огранич. в %"), 41, Kind::Number},
                            {QStringLiteral("gruppa"), QStringLiteral("Принадлежит к группе"), 102, Kind::Text}};
}
} // namespace

frmBasaKorm::frmBasaKorm(QWidget* parent)
    : GridEditor(QStringLiteral("basa"), basaColumns(), 0,
                 {QStringLiteral("Содержание в 100 граммах корма"), 1, Nutrients::kCount},
                 MenuEvent::KormEditorClosed, parent)
{
    setObjectName(QStringLiteral("frmBasaKorm"));
    setWindowTitle(QStringLiteral("База данных по кормам"));
    if (!isReady())
        return;
    model()->setCarriesRenames(true);   // a feed's price goes with it when it is renamed
    cmdDobawit = addButton("cmdDobawit", QStringLiteral("&Добавить данные"));
    Command1 = addButton("Command1", QStringLiteral("&Групповые ограничения"));
    cmdExit = addButton("cmdExit", QStringLiteral("&Закрыть"));
    buttonRow()->addWidget(cmdDobawit);
    buttonRow()->addStretch(1);
    buttonRow()->addWidget(Command1);
    buttonRow()->addStretch(1);
    buttonRow()->addWidget(cmdExit);
    connect(cmdDobawit, &QPushButton::clicked, this, &frmBasaKorm::cmdDobawit_Click);
    connect(Command1, &QPushButton::clicked, this, &frmBasaKorm::Command1_Click);
    connect(cmdExit, &QPushButton::clicked, this, [this] { Screens::closeWindow(this); });
}

// Shown modally: the feed editor takes no input until the group-limit editor
// is closed, and the call returns then.
void frmBasaKorm::Command1_Click()
{
    // A feed row being edited is written first, as when any other window is
    // brought forward.
    if (!writePendingRow())
        return;
    QPointer<frmGruppa> box = new frmGruppa(this);
    if (!box->isReady()) {
        platform().message(box->errorText());
        delete box;
        return;
    }
    QEventLoop loop;
    connect(box, &QObject::destroyed, &loop, &QEventLoop::quit);
    box->show();
    Screens::activate(box);
    if (box)
        loop.exec();
}
