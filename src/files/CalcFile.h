#pragma once
// The files folder holds what the program keeps on disk for the user: the
// calculation file (.kalk) with a ration in progress, the text report of a
// finished ration, the folder last used for each kind of file, and the File
// menu actions that tie them to the screens.

#include "data/RationState.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <cstdint>
#include <optional>

// The calculation file: one value per line, Windows-1251, CR LF after every
// line. Line 1 iMaxKorm; line 2 sKurwi; each feed's name six times; each
// feed's eleven basa fields; the ten kurwi fields; each feed's weight as the
// text its box shows. Texts are quoted, missing values are "#NULL#", numbers
// use a point whatever the locale. Nothing here touches a screen or shows a
// message: the File menu actions do that.
namespace CalcFile {

inline const QString kNull = QStringLiteral("#NULL#");

// What one file holds. Rows above iMaxKorm are not part of it.
struct Contents {
    std::int16_t iMaxKorm = 0;
    QString sKurwi;
    std::array<QString, RationState::kMaxFeeds> sKorm;
    std::array<std::array<QVariant, RationState::kFeedFields>, RationState::kMaxFeeds> DataKorm;
    std::array<QVariant, RationState::kKurwiFields> NormaKur;
    QStringList weights;   // iMaxKorm + 1 texts, as the weight boxes show them

    int feedCount() const { return int(iMaxKorm) + 1; }
};

struct Error {
    QString message;   // Russian, without the file's name
    int line = 0;      // 1-based line of the file, 0 when none
};

// 12 + 18 lines per feed.
constexpr int lineCount(int feeds) { return 12 + 18 * feeds; }

// A text in the file (a name, a text field, a weight) holds at most this many
// characters; the writer refuses a longer one.
constexpr int kMaxText = 255;
// The longest line: a quoted text of kMaxText, or a number written out in
// full (a double has up to 309 digits before the point, and a sign).
constexpr int kMaxLineBytes = 310 + 2;
// Anything larger cannot be a calculation file and is not read. Ten feeds of
// the longest lines take under 60 KB; the rest is room to spare.
constexpr qint64 kMaxFileBytes = 256 * 1024;
static_assert(lineCount(RationState::kMaxFeeds) * kMaxLineBytes < kMaxFileBytes / 4);

// The ration state and the weight texts of the chosen feeds 0..iMaxKorm.
Contents fromRation(const RationState& state, const QStringList& weights);

// One value as its line: a text quoted, a number with a point, null "#NULL#".
QString valueLine(const QVariant& value);
// A number in plain decimal notation with a point: up to 15 significant
// digits, no exponent, no trailing zeros, a leading zero below 1.
QString numberText(double value);

// The lines of the file. Refuses (nullopt, with the reason) a text holding a
// double quote, a line break or a character Windows-1251 cannot hold (the
// format has no escape, so such a file would read back different), or longer
// than kMaxText. Whatever it writes, fromLines reads back.
std::optional<QStringList> toLines(const Contents& contents, Error* error = nullptr);

// Reads and checks a whole file before anything is used: the values it needs,
// in order (iMaxKorm -1..9, -1 being no feeds, then the lines that implies),
// each of the kind it must be; what follows a value on its line, and the
// lines after the last weight, are not read. nullopt with the first line that
// is wrong.
std::optional<Contents> fromLines(const QStringList& lines, Error* error = nullptr);

// Puts what a checked file holds into the ration state: iMaxKorm, sKurwi, and
// sKorm and DataKorm of the feeds 0..iMaxKorm, NormaKur. Rows above stay.
void applyTo(const Contents& contents, RationState& state);

// A weight text written with the other decimal separator than the locale's
// ("12.5" where the comma is the separator) turned into the locale's form;
// any other text comes back unchanged.
QString weightForLocale(const QString& text);

} // namespace CalcFile
