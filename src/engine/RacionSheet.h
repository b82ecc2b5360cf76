#pragma once
// The engine folder holds the calculation itself: the balance recalculation
// after a weight changes (mdlRashet), the simplex solver and the automatic
// composition. None of it touches a widget: it reaches the worksheet only
// through RacionSheet, which the worksheet screen implements and the engine's
// tests implement with plain data.

#include "data/ReferenceData.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

// The back colours the calculation paints. The worksheet maps them to the
// palette: light red RGB 255,192,192, light green 192,255,192, white, and the
// platform's button face (a feed name within its feeding limit).
enum class SheetColor { Other, LightRed, LightGreen, White, ButtonFace };

// The worksheet as the calculation sees it. Indexes are those of the screen:
// feed i = 0..9 (weight box txtWes(i), label row lbl_<i+1>), nutrient column
// k = 0..7 (lblSum(k), lblProcent(k)) for nutrient j = k + 1.
class RacionSheet {
public:
    virtual ~RacionSheet() = default;

    // Weight boxes txtWes(i).
    virtual QString weightText(int i) const = 0;
    // Writes the box's text. When the text differs from what the box holds,
    // the box's change handling (which runs the recalculation for that box)
    // runs to its end, nested, before this returns; the caller then reads
    // the state that nested run left. Writing the same text changes nothing.
    virtual void setWeightText(int i, const QString& text) = 0;
    virtual void setWeightColor(int i, SheetColor c) = 0;
    virtual SheetColor weightColor(int i) const = 0;

    // Feed rows: element 0 is the feed's name, 1..8 its contributions.
    // Makes txtWes(i), SpinButton(i) and the whole label row i visible.
    virtual void showFeedRow(int i) = 0;
    virtual void setFeedCaption(int i, int element, const QString& text) = 0;
    virtual QString feedCaption(int i, int element) const = 0;
    virtual void setFeedNameColor(int i, SheetColor c) = 0;
    virtual SheetColor feedNameColor(int i) const = 0;

    // Totals lblSum(k) and deviations lblProcent(k).
    virtual void setSumCaption(int k, const QString& text) = 0;
    virtual QString sumCaption(int k) const = 0;
    virtual void setProcentCaption(int k, const QString& text) = 0;
    virtual QString procentCaption(int k) const = 0;
    virtual void setProcentColor(int k, SheetColor c) = 0;
    virtual SheetColor procentColor(int k) const = 0;

    // The sum of the weights, lblSumWes. Writing it runs the label's
    // caption-change handling (its colour, "Далее") before it returns.
    virtual void setSumWesCaption(const QString& text) = 0;
    virtual QString sumWesCaption() const = 0;

    // Combo1: the tolerance in percent (and the vitamins' lower bound);
    // Combo2: the vitamins' permitted surplus; Check1: the automatic
    // composition takes the vitamins into account.
    virtual QString toleranceText() const = 0;
    virtual QString vitaminSurplusText() const = 0;
    virtual bool vitaminsChecked() const = 0;

    // The largest share of a group (granica.procent, rounded to a whole
    // number, ties to even), looked up through the worksheet's data control.
    // nullopt: the group has no row (or the lookup failed), so it has no limit.
    virtual std::optional<std::int16_t> groupLimit(const QString& group) = 0;

    // Runs `write`, a step that writes many weights, as one: the worksheet
    // may let it write on a copy of itself (SheetBuffer), where each write
    // still runs its whole change handling, and then show the end state at
    // once. What the sheet holds at the end is the same either way.
    virtual void writeAll(const std::function<void(RacionSheet&)>& write) { write(*this); }

    // Every group limit, read through the worksheet's data control Adodc3
    // with "Select * from granica " (ReferenceData::groupLimits does the reading).
    // A worksheet without that data control reads nothing, and the automatic
    // composition refuses to run.
    virtual GroupRecords groupRecords()
    {
        return {false, {}, QStringLiteral("ограничения групп кормов недоступны")};
    }

    // What tells whether another connection has changed treba.mdb since it
    // was last asked (SQLite's data_version through Adodc3), so that what was
    // read from it may be kept. Invalid: unknown, read everything again.
    virtual QVariant fileVersion() { return QVariant(); }
};
