#include "editors/ExtraEditors.h"

#include "data/Nutrients.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace {
using Kind = EditorRules::Kind;

const QString kFeedCaption = QStringLiteral("Наименование корма");
const QString kCategoryCaption = QStringLiteral("Категория птицы");
const QString kCodeCaption = QStringLiteral("Показатель");

GridColumn feedColumn()
{
    return {QStringLiteral("basa_name_kormow"), kFeedCaption, 158, Kind::Choice,
            QStringLiteral("Select basa_name_kormow From basa Order by 1"),
            QStringLiteral("Корма «%1» нет в базе данных кормов. Выберите корм из списка. Прежнее значение оставлено.")};
}

GridColumn categoryColumn()
{
    return {QStringLiteral("kategoriy_ptici"), kCategoryCaption, 173, Kind::Choice,
            QStringLiteral("Select kategoriy_ptici From kurwi Order by 1"),
            QStringLiteral("Категории «%1» нет в базе данных по птице. Выберите категорию из списка. "
                           "Прежнее значение оставлено.")};
}

// The extra nutrients as "лизин, %", in their order; with the eight of kurwi
// after them when a norm may bound one of those.
GridColumn codeColumn(bool withMain)
{
    QString sql = QStringLiteral("Select kod, nazvanie || ifnull(', ' || nullif(edinica, ''), ''), 0, poryadok, rowid "
                                 "From pokazatel");
    if (withMain) {
        int order = 0;
        for (const Nutrients::Nutrient& n : Nutrients::all())
            sql += QStringLiteral(" Union All Select '%1', '%2, %3', 1, %4, 0")
                       .arg(n.kurwiColumn, n.name, n.unit)
                       .arg(++order);
    }
    return {QStringLiteral("kod"), kCodeCaption, 150, Kind::Choice, QStringLiteral("Select * From (%1) Order by 3, 4, 5").arg(sql),
            QStringLiteral("Показателя «%1» нет в списке показателей. Выберите показатель из списка или добавьте его "
                           "в «Список показателей». Прежнее значение оставлено.")};
}

} // namespace

ExtraEditor::ExtraEditor(const char* name, const QString& title, const QString& table,
                         const QList<GridColumn>& columns, int sortColumn, const Heading& heading)
    : GridEditor(table, columns, sortColumn, heading, std::nullopt)
{
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(title);
    if (!isReady())
        return;
    cmdDobawit = addButton("cmdDobawit", QStringLiteral("&Добавить данные"));
    cmdExit = addButton("cmdExit", QStringLiteral("&Закрыть"));
    buttonRow()->addWidget(cmdDobawit);
    buttonRow()->addStretch(1);
    buttonRow()->addWidget(cmdExit);
    connect(cmdDobawit, &QPushButton::clicked, this, [this] { addRow(nullptr); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { Screens::closeWindow(this); });
}

frmDopKorm::frmDopKorm()
    : ExtraEditor("frmDopKorm", QStringLiteral("Аминокислоты и др. в кормах"), QStringLiteral("basa_pokazatel"),
                  {feedColumn(), codeColumn(false),
                   {QStringLiteral("znachenie"), QStringLiteral("Содержание в корме"), 80, Kind::OptionalNumber}},
                  0, {})
{
}

frmDopKurwi::frmDopKurwi()
    : ExtraEditor("frmDopKurwi", QStringLiteral("Нормы аминокислот и др. для птицы"), QStringLiteral("kurwi_pokazatel"),
                  {categoryColumn(), codeColumn(true),
                   {QStringLiteral("min_norma"), QStringLiteral("не менее"), 70, Kind::OptionalNumber, {}, {}, 3},
                   {QStringLiteral("max_norma"), QStringLiteral("не более"), 70, Kind::OptionalNumber}},
                  0, {QStringLiteral("Норма в корме"), 2, 3})
{
}

frmKurwiKorm::frmKurwiKorm()
    : ExtraEditor("frmKurwiKorm", QStringLiteral("Ограничения кормов по видам птицы"), QStringLiteral("kurwi_korm"),
                  {categoryColumn(), feedColumn(),
                   {QStringLiteral("min_dacha"), QStringLiteral("не менее"), 70, Kind::Share, {}, {}, 3},
                   {QStringLiteral("max_dacha"), QStringLiteral("не более"), 70, Kind::Share}},
                  0, {QStringLiteral("Доля в рационе, %"), 2, 3})
{
}

frmPokazatel::frmPokazatel()
    : ExtraEditor("frmPokazatel", QStringLiteral("Список показателей"), QStringLiteral("pokazatel"),
                  {{QStringLiteral("kod"), QStringLiteral("Код"), 90, Kind::Name, {}, {}, -1, true,
                    Nutrients::forms(&Nutrients::Nutrient::kurwiColumn)},
                   {QStringLiteral("nazvanie"), QStringLiteral("Название"), 160, Kind::Name},
                   {QStringLiteral("edinica"), QStringLiteral("Единица"), 60, Kind::Text},
                   {QStringLiteral("poryadok"), QStringLiteral("Порядок"), 60, Kind::OptionalNumber}},
                  3, {})
{
    if (isReady())
        model()->setCarriesRenames(true);   // the contents and norms of a code go with it
}
