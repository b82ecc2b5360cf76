#pragma once

#include "engine/BandAnalyses.h"

#include <QString>
#include <QStringList>

// The diagnosis in the pane's words: what the band analyses found (numbers,
// Bands::Diagnosis) said line by line, and the suggestions as listed.
namespace DiagnosisText {

// What the pane says of the ration read, line by line.
QStringList lines(const Bands::Reading& r, const Bands::Candidates& candidates, const Bands::Diagnosis& d);

// The suggestions as listed: "Известняк (известняковая мука) — 8,6 г",
// "заменить Кукуруза на Мел кормовой — 7 г".
QStringList suggestions(const Bands::Model& m, const Bands::Diagnosis& d);

// The cheapest ration's prices and limits, a line for each chosen feed and
// each limit that holds its cost up: "Кукуруза: рацион тот же при цене от
// 11,80 до 16,35 руб./кг", "Шрот подсолнечный войдет в рацион при цене ниже
// 14,20 руб./кг", "кальций не менее 70 % нормы: на 1 % нормы ниже — дешевле
// на 0,04 руб./кг".
QStringList prices(const Bands::Model& m, const Bands::Sensitivity& s);

} // namespace DiagnosisText
