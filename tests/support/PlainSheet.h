#pragma once
// A worksheet made of plain data for the engine's tests: no widgets, but the
// same nesting as the screen. Writing a weight runs the box's change handling
// (mdlRashet::txtWes_Change) before the write returns, and only when the text
// differs from what the box holds.

#include "engine/RacionSheet.h"

#include <QList>
#include <QPair>
#include <QString>

namespace TestSupport {

class PlainSheet : public RacionSheet {
public:
    PlainSheet();

    QString weights[10];
    SheetColor weightColors[10] = {};
    QString feed[10][9];
    SheetColor nameColors[10] = {};
    QString sums[8], procents[8];
    SheetColor procentColors[8] = {};
    QString sumWes;
    QString combo1 = QStringLiteral("30");   // the start values of a new worksheet
    QString combo2 = QStringLiteral("100");
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
