#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The nutrients a ration is balanced for, each with every name the program
// gives it and its columns in the reference tables. The screens, the report
// and the engine take captions and columns from this list and go over it in
// its order, which is the order of the columns of basa (after the feed's
// name) and of kurwi (after the category's).
namespace Nutrients {

struct Nutrient {
    QString name;         // in sentences: "обменная энергия", "витамин A"
    QString shortName;    // the worksheet's requirement headings, the automatic composition's messages: "вит.А"
    QString column;       // the worksheet's column captions: "О/Э", "вит.А"
    QString report;       // the text report's columns: "О/Э", "Протеин", "Вит.А"
    QString symbol;       // the editors' column captions, before the unit: "о/э", "Ca"
    QString unit;         // per 100 g of feed: "ккал", "гр", "тыс.Ме", "мГр"
    QString basaColumn;   // "ob_en"
    QString kurwiColumn;  // "obm_en"
    bool vitamin = false; // judged against the permitted surplus, balanced only when asked

    // The editors' column caption: "о/э ккал", "A тыс.Ме".
    QString editorCaption() const { return symbol + QLatin1Char(' ') + unit; }
};

// Every nutrient, in column order.
const QList<Nutrient>& all();
// One form of every nutrient's name, in column order: forms(&Nutrient::report).
QStringList forms(QString Nutrient::*form);

// The fixed-size arrays of the ration state and of the engine hold this many,
// the main ones (energy, protein, calcium, phosphorus, sodium) first.
inline constexpr int kCount = 8;
inline constexpr int kMain = 5;

// Nutrient j, counted from 1 as the worksheet's columns count them (1..kCount).
const Nutrient& at(int j);

} // namespace Nutrients
