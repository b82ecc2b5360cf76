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

} // namespace DiagnosisText
