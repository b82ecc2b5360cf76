#pragma once

#include <QString>
#include <QStringList>
#include <array>

// The text report of a finished ration: the captions of the report sheet and
// the worksheet's deviations laid out in fixed columns. Built as lines here;
// TextFile::writeLines puts them on disk in Windows-1251 with CR LF.
namespace TextReport {

// Column (from 1) where a feed's amount begins, and where its unit begins.
constexpr int kAmountColumn = 48;
constexpr int kUnitColumn = 56;

// What the report shows, each text exactly as its control shows it.
struct Captions {
    QString Label6;        // daily energy requirement of one bird
    QString Label1;        // "Рацион для кормления" / "Комбикорм для"
    QString Label3;        // the category
    QString Text1;         // the number of birds, or the tonnes
    QString Label2;        // its unit
    QStringList lbl_1;     // feed names, one per chosen feed
    QStringList lblWes;    // their amounts
    QStringList lblGramm;  // their units
    QString Label10;       // caption of the bottom line
    QString lblObqiWes;    // its value (grams)
    std::array<QString, 8> lblProcent;   // the worksheet's deviations, nutrient 1..8
    // Printed only (PrintedRecipe): each feed's cost, and the total with its
    // caption (blank where a price is missing).
    QStringList lblCena;
    QString Label12;
    QString lblCenaItog;
};

// The whole report, one string per line (15 + 2 per feed + 2 lines when no
// feed line has to be broken).
QStringList lines(const Captions& captions);

// One feed's line: the amount from column 48, the unit from `unitColumn`; a
// part that would begin at or after its column goes on a new line instead.
QStringList feedLines(const QString& name, const QString& amount, const QString& unit,
                      int unitColumn = kUnitColumn);

} // namespace TextReport
