#pragma once

#include "engine/RacionSheet.h"

#include <QHash>
#include <array>

// Everything the calculation writes on the worksheet, as plain data.
struct SheetState {
    std::array<QString, 10> weights;
    std::array<SheetColor, 10> weightColors{};
    std::array<std::array<QString, 9>, 10> feed;
    std::array<SheetColor, 10> nameColors{};
    std::array<QString, 8> sums, procents;
    std::array<SheetColor, 8> procentColors{};
    QString sumWes;
};

// A worksheet held in memory for the length of one step that writes many
// weights (a click of "Расчитать"): every write goes through the same change
// handling as a box typed into (the recalculation nested, the cut, the
// colours), on a copy of the sheet, and the screen then shows the end state
// once. The tolerances, the vitamins box and the group limits cannot change
// during such a step: they are read from the real sheet, each group's limit
// once.
class SheetBuffer : public RacionSheet {
public:
    // `start` is `sheet` as it stands.
    explicit SheetBuffer(RacionSheet& sheet, SheetState start);

    const SheetState& state() const { return m_state; }
    // Whether a write was recalculated, and whether one held no number.
    bool recalculated() const { return m_recalculated; }
    bool notANumber() const { return m_notANumber; }

    QString weightText(int i) const override { return m_state.weights[std::size_t(i)]; }
    void setWeightText(int i, const QString& text) override;
    void setWeightColor(int i, SheetColor c) override { m_state.weightColors[std::size_t(i)] = c; }
    SheetColor weightColor(int i) const override { return m_state.weightColors[std::size_t(i)]; }
    void showFeedRow(int) override {}
    void setFeedCaption(int i, int e, const QString& t) override { m_state.feed[std::size_t(i)][std::size_t(e)] = t; }
    QString feedCaption(int i, int e) const override { return m_state.feed[std::size_t(i)][std::size_t(e)]; }
    void setFeedNameColor(int i, SheetColor c) override { m_state.nameColors[std::size_t(i)] = c; }
    SheetColor feedNameColor(int i) const override { return m_state.nameColors[std::size_t(i)]; }
    void setSumCaption(int k, const QString& t) override { m_state.sums[std::size_t(k)] = t; }
    QString sumCaption(int k) const override { return m_state.sums[std::size_t(k)]; }
    void setProcentCaption(int k, const QString& t) override { m_state.procents[std::size_t(k)] = t; }
    QString procentCaption(int k) const override { return m_state.procents[std::size_t(k)]; }
    void setProcentColor(int k, SheetColor c) override { m_state.procentColors[std::size_t(k)] = c; }
    SheetColor procentColor(int k) const override { return m_state.procentColors[std::size_t(k)]; }
    void setSumWesCaption(const QString& t) override { m_state.sumWes = t; }
    QString sumWesCaption() const override { return m_state.sumWes; }
    QString toleranceText() const override { return m_tolerance; }
    QString vitaminSurplusText() const override { return m_surplus; }
    bool vitaminsChecked() const override { return m_vitamins; }
    std::optional<std::int16_t> groupLimit(const QString& group) override;
    GroupRecords groupRecords() override { return m_sheet.groupRecords(); }

private:
    RacionSheet& m_sheet;
    SheetState m_state;
    QString m_tolerance, m_surplus;
    bool m_vitamins = false;
    QHash<QString, std::optional<std::int16_t>> m_limits;
    bool m_recalculated = false;
    bool m_notANumber = false;
};
