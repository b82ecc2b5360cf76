#pragma once
// For the engine's tests: the rations they start from, a worksheet made of
// plain data, and a GLPK model of a ration written apart from the program's
// own models.

#include "engine/RacionSheet.h"
#include "engine/mdlSimplex.h"

#include <QPair>
#include <QStringList>
#include <vector>

class ReferenceData;

namespace TestSupport {

// A fresh ration state of n feeds "Корм 0" .. "Корм n-1", each with every
// nutrient at `content`, the feeding limit `granic` and the group `group`;
// every requirement of the category "Куры" at `requirement`; no contributions.
void startRation(int n, const QVariant& content = 10, const QVariant& granic = 100,
                 const QString& group = QStringLiteral("Зерновые"), const QVariant& requirement = 10);

// A fresh ration state of these feeds for that category, loaded from the
// database behind `data` as the worksheet loads it (every name must be
// there); the records of granica.
QList<GroupRecord> loadRation(ReferenceData& data, const QString& category, const QStringList& feeds);

// The ration state's chosen feeds as a GLPK programme written from their rows
// alone, apart from the program's own models: grams within the feeding limits
// and the group limits, 100 g in all, and (tolerance >= 0) every main nutrient
// within ±tolerance % of the requirement. The optimum of `objective` (per gram
// of each feed), or nullopt when there is none; its grams into `x` if given.
std::optional<double> glpkOptimum(const QList<GroupRecord>& groups, const std::vector<double>& objective,
                                  double tolerance = -1, bool maximise = false, std::vector<double>* x = nullptr);

// The optimum of the programme a tableau holds, by GLPK: the negated
// objective row maximised over x_1 .. x_n >= 0 within the constraint rows.
std::optional<double> glpkOptimum(const mdlSimplex::Tableau& t, int n);

// A worksheet made of plain data: no widgets, but the same nesting as the
// screen. Writing a weight runs the box's change handling
// (mdlRashet::txtWes_Change) before the write returns, and only when the text
// differs from what the box holds.
class PlainSheet : public RacionSheet {
public:
    // Combo1 and Combo2; these and the weights as on a new worksheet.
    explicit PlainSheet(const QString& tolerance = "30", const QString& surplus = "100") : combo1(tolerance), combo2(surplus) {}

    QString combo1, combo2;
    QString weights[10] = {"0", "0", "0", "0", "0", "0", "0", "0", "0", "0"};
    SheetColor weightColors[10] = {};
    QString feed[10][9];
    SheetColor nameColors[10] = {};
    QString sums[8], procents[8];
    SheetColor procentColors[8] = {};
    QString sumWes;
    bool check1 = false;
    // The records of granica, as the worksheet reads them: a group's limit is
    // its first record's.
    QList<GroupRecord> groups;
    // Every write that changed a box, in order.
    QList<QPair<int, QString>> writes;

    // As the user or a program step would: the change handling runs nested.
    void type(int i, const QString& text) { setWeightText(i, text); }

    QString weightText(int i) const override { return weights[i]; }
    void setWeightText(int i, const QString& text) override;
    void setWeightColor(int i, SheetColor c) override { weightColors[i] = c; }
    SheetColor weightColor(int i) const override { return weightColors[i]; }
    void showFeedRow(int) override {}
    void setFeedCaption(int i, int e, const QString& t) override { feed[i][e] = t; }
    QString feedCaption(int i, int e) const override { return feed[i][e]; }
    void setFeedNameColor(int i, SheetColor c) override { nameColors[i] = c; }
    SheetColor feedNameColor(int i) const override { return nameColors[i]; }
    void setSumCaption(int k, const QString& t) override { sums[k] = t; }
    QString sumCaption(int k) const override { return sums[k]; }
    void setProcentCaption(int k, const QString& t) override { procents[k] = t; }
    QString procentCaption(int k) const override { return procents[k]; }
    void setProcentColor(int k, SheetColor c) override { procentColors[k] = c; }
    SheetColor procentColor(int k) const override { return procentColors[k]; }
    void setSumWesCaption(const QString& t) override { sumWes = t; }
    QString sumWesCaption() const override { return sumWes; }
    QString toleranceText() const override { return combo1; }
    QString vitaminSurplusText() const override { return combo2; }
    bool vitaminsChecked() const override { return check1; }
    std::optional<std::int16_t> groupLimit(const QString& group) override;
    GroupRecords groupRecords() override { return {true, groups, QString()}; }
};

} // namespace TestSupport
