#include "data/mdlAddItem.h"

#include "data/Adodc.h"
#include "data/Database.h"
#include "data/NumText.h"
#include "data/RationState.h"
#include "data/ReferenceData.h"

#include <QListWidget>

namespace mdlAddItem {

bool lookupRefused(const QString& name)
{
    return name.contains(QChar(0));
}

QString shownName(const QString& name)
{
    QString shown = name;
    return shown.replace(QChar(0), QChar(0x2400));
}

Result ZapolnitSpisok(Adodc& adodc, QStringList& names)
{
    Result r;
    Recordset& rs = adodc.recordset();
    rs.MoveLast();
    rs.MoveFirst();
    if (rs.RecordCount() > Database::kMaxRecords) {
        r.ok = false;
        r.error = QStringLiteral("В таблице %1 записей, а программа работает не более чем с %2. "
                                 "Список не заполнен.")
                      .arg(rs.RecordCount()).arg(Database::kMaxRecords);
        return r;
    }
    const auto n = static_cast<std::int16_t>(rs.RecordCount());
    names.clear();
    names.reserve(n);
    // The counter is wider than the count: a 16-bit counter could never pass
    // 32 767 and would run on for ever at the limit.
    for (int i = 1; i <= n; ++i) {
        names.append(NumText::variantText(rs.Fields(0)));
        rs.MoveNext();
    }
    return r;
}

Result ZapolnitSpisok(Adodc& adodc, QListWidget& list)
{
    QStringList names;
    Result r = ZapolnitSpisok(adodc, names);
    if (!r.ok)
        return r;
    list.setUpdatesEnabled(false);
    list.clear();
    list.addItems(names);
    list.setUpdatesEnabled(true);
    return r;
}

Result ZagruzitKorm(ReferenceData& data)
{
    Result r;
    RationState& s = ration();
    // Rows are gathered first and stored only when every statement ran, so a
    // failure half-way leaves DataKorm as it was.
    auto rows = s.DataKorm;
    for (int i = 0; i < s.feedCount(); ++i) {
        if (lookupRefused(s.sKorm[i])) {
            r.refused << s.sKorm[i];
            continue;
        }
        const auto found = data.feed(s.sKorm[i]);
        if (!found.ok) {
            r.ok = false;
            r.error = found.error;
            r.notFound.clear();
            r.refused.clear();
            return r;
        }
        if (found.row)
            rows[i] = *found.row;
        else
            r.notFound << s.sKorm[i];
    }
    s.DataKorm = rows;
    return r;
}

Result ZagruzitKurwi(ReferenceData& data, RequirementCaptions* captions)
{
    Result r;
    RationState& s = ration();
    if (lookupRefused(s.sKurwi)) {
        r.refused << s.sKurwi;
    } else {
        const auto found = data.category(s.sKurwi);
        if (!found.ok) {
            r.ok = false;
            r.error = found.error;
            return r;
        }
        if (found.row)
            s.NormaKur = *found.row;
        else
            r.notFound << s.sKurwi;
    }
    if (captions)
        for (int k = 0; k <= 8; ++k)
            captions->setKuriCaption(k, NumText::variantText(s.NormaKur[k]));
    return r;
}

QString loadPrices(ReferenceData& data)
{
    RationState& s = ration();
    s.Cena = {};
    s.CenaNowhere.clear();
    for (int i = 0; i < s.feedCount(); ++i) {
        // Such a name would cut the statement short; the cost line names it.
        if (lookupRefused(s.sKorm[i]))
            continue;
        const auto found = data.price(s.sKorm[i]);
        if (!found.ok) {
            s.Cena = {};
            bool made = false;   // a table made just now holds no price yet
            s.CenaNowhere = data.priceTableMissing(&made);
            return found.error;
        }
        if (found.row)
            s.Cena[i] = found.row->used();
    }
    return QString();
}

} // namespace mdlAddItem
