#include "data/Nutrients.h"

using namespace Qt::StringLiterals;

namespace Nutrients {

const QList<Nutrient>& all()
{
    // name, shortName, column, report, symbol, unit, basaColumn, kurwiColumn, vitamin
    static const QList<Nutrient> list = {
        {u"обменная энергия"_s, u"обменная энергия"_s, u"О/Э"_s, u"О/Э"_s, u"о/э"_s, u"ккал"_s, u"ob_en"_s, u"obm_en"_s, false},
        {u"протеин"_s, u"протеин"_s, u"протеин"_s, u"Протеин"_s, u"сП"_s, u"гр"_s, u"protein"_s, u"protein"_s, false},
        {u"кальций"_s, u"кальций"_s, u"кальций"_s, u"Кальций"_s, u"Ca"_s, u"гр"_s, u"calciy_"_s, u"calciy_"_s, false},
        {u"фосфор"_s, u"фосфор"_s, u"фосфор"_s, u"Фосфор"_s, u"P"_s, u"гр"_s, u"pospor"_s, u"pospor"_s, false},
        {u"натрий"_s, u"натрий"_s, u"натрий"_s, u"Натрий"_s, u"Na"_s, u"гр"_s, u"natriy"_s, u"natriy"_s, false},
        {u"витамин A"_s, u"вит.А"_s, u"вит.А"_s, u"Вит.А"_s, u"A"_s, u"тыс.Ме"_s, u"A"_s, u"A"_s, true},
        {u"витамин D3"_s, u"вит.D3"_s, u"вит.D3"_s, u"Вит.D3"_s, u"D3"_s, u"тыс.Ме"_s, u"D"_s, u"D"_s, true},
        {u"витамин B2"_s, u"вит.B2"_s, u"вит.B2"_s, u"Вит.B3"_s, u"B2"_s, u"мГр"_s, u"B3"_s, u"B3"_s, true},
    };
    return list;
}

QStringList forms(QString Nutrient::*form)
{
    QStringList out;
    for (const Nutrient& n : all())
        out << n.*form;
    return out;
}

const Nutrient& at(int j)
{
    return all().at(j - 1);
}

} // namespace Nutrients
