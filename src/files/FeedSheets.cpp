#include "files/FeedSheets.h"

#include "data/Csv.h"
#include "data/Database.h"
#include "data/JetFile.h"
#include "data/NumText.h"
#include "data/RationState.h"
#include "data/Statements.h"
#include "data/TextFile.h"
#include "editors/EditorRules.h"
#include "engine/RacionSheet.h"
#include "files/TextReport.h"

#include <QDir>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <QStringDecoder>
#include <cmath>

namespace FeedSheets {

namespace {

constexpr QChar kSeparator = u';';

using Rows = QList<QVariantList>;

// The lines (or rows) a name stands on, as a refusal lists them: "3, 7".
QString lineList(const QList<int>& lines)
{
    QStringList at;
    for (int l : lines)
        at << QString::number(l);
    return at.join(QStringLiteral(", "));
}

// The first row of each name (as every lookup by name takes it).
QHash<QString, QVariantList> byName(const Rows& rows)
{
    QHash<QString, QVariantList> out;
    for (const QVariantList& row : rows)
        if (!out.contains(NumText::variantText(row.value(0))))
            out.insert(NumText::variantText(row.value(0)), row);
    return out;
}

// name → code → value, the first row of each pair.
QHash<QString, QHash<QString, QVariant>> byNameAndCode(const Rows& rows, int valueColumn)
{
    QHash<QString, QHash<QString, QVariant>> out;
    for (const QVariantList& row : rows) {
        QHash<QString, QVariant>& of = out[NumText::variantText(row.value(0))];
        const QString code = NumText::variantText(row.value(1));
        if (!of.contains(code))
            of.insert(code, row.value(valueColumn));
    }
    return out;
}

QStringList codesOf(const Rows& pokazatel)
{
    QStringList codes;
    for (const QVariantList& row : pokazatel)
        if (!codes.contains(NumText::variantText(row.value(0))))
            codes << NumText::variantText(row.value(0));
    return codes;
}

// A number as a cell holds it: a comma or a point, no thousands separator.
std::optional<double> number(QString text)
{
    text = text.trimmed().replace(u',', u'.');
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double v = c.toDouble(text, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v == 0 ? 0.0 : v;
}

bool same(const QVariant& stored, const QVariant& now)
{
    if (now.typeId() == QMetaType::Double)
        return !stored.isNull() && NumText::variantNumber(stored) == now.toDouble();
    return NumText::variantText(stored) == now.toString() && !stored.isNull();
}

QString shownOld(const QVariant& stored)
{
    return stored.isNull() ? QStringLiteral("пусто") : cell(stored);
}

} // namespace

QByteArray document(const QList<QStringList>& rows)
{
    QString text;
    for (const QStringList& row : rows) {
        QStringList fields;
        for (const QString& f : row)
            fields << Csv::field(f, kSeparator);
        text += fields.join(kSeparator) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QString cell(const QVariant& value)
{
    if (value.isNull())
        return QString();
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    bool ok = false;
    const double v = value.toDouble(&ok);
    if (!ok)
        return value.toString();
    return QLocale::c().toString(v, 'f', QLocale::FloatingPointShortest).replace(u'.', u',');
}

QString feeds(ReferenceData& data, QList<QStringList>& out)
{
    Rows basa, pokazatel, extras, prices;
    for (const auto& [statement, rows] : {std::pair{&Statements::basaList, &basa}, {&Statements::pokazatelList, &pokazatel},
                                          {&Statements::allExtraContents, &extras}, {&Statements::allPrices, &prices}})
        if (const QString why = data.rows(*statement, *rows); !why.isEmpty())
            return why;
    const QStringList codes = codesOf(pokazatel);
    const auto contents = byNameAndCode(extras, 2);
    const auto priced = byName(prices);
    out << Database::tables().at(0).columns + codes + QStringList{kPriceColumn};
    for (const QVariantList& row : basa) {
        QStringList line;
        for (const QVariant& v : row)
            line << cell(v);
        const QString name = NumText::variantText(row.value(0));
        for (const QString& code : codes)
            line << cell(contents.value(name).value(code));
        line << cell(priced.value(name).value(1));
        out << line;
    }
    return QString();
}

QString norms(ReferenceData& data, QList<QStringList>& out)
{
    Rows kurwi, pokazatel, extra;
    for (const auto& [statement, rows] : {std::pair{&Statements::kurwiList, &kurwi}, {&Statements::pokazatelList, &pokazatel},
                                          {&Statements::allExtraNorms, &extra}})
        if (const QString why = data.rows(*statement, *rows); !why.isEmpty())
            return why;
    // The listed nutrients first, then any own bound on one of the eight.
    QStringList codes = codesOf(pokazatel);
    for (const QVariantList& row : extra)
        if (!codes.contains(NumText::variantText(row.value(1))))
            codes << NumText::variantText(row.value(1));
    const auto lows = byNameAndCode(extra, 2), highs = byNameAndCode(extra, 3);
    QStringList header = Database::tables().at(1).columns;
    for (const QString& code : codes)
        header << code + QStringLiteral(" min_norma") << code + QStringLiteral(" max_norma");
    out << header;
    for (const QVariantList& row : kurwi) {
        QStringList line;
        for (const QVariant& v : row)
            line << cell(v);
        const QString name = NumText::variantText(row.value(0));
        for (const QString& code : codes)
            line << cell(lows.value(name).value(code)) << cell(highs.value(name).value(code));
        out << line;
    }
    return QString();
}

QList<QStringList> ration(const RacionSheet& sheet, const std::optional<TextReport::Captions>& report)
{
    const RationState& r = ::ration();
    QList<QStringList> out{{QStringLiteral("Рацион для"), r.sKurwi}, {}};
    out << QStringList{QStringLiteral("Корм"), QStringLiteral("Вес, г в 100 г")} + Nutrients::forms(&Nutrients::Nutrient::column);
    for (int i = 0; i < r.feedCount(); ++i) {
        QStringList line{sheet.feedCaption(i, 0), sheet.weightText(i)};
        for (int k = 1; k <= Nutrients::kCount; ++k)
            line << sheet.feedCaption(i, k);
        out << line;
    }
    QStringList totals{QStringLiteral("Итого"), sheet.sumWesCaption()}, deviations{QStringLiteral("Отклонение от нормы, %"), {}};
    for (int k = 0; k < Nutrients::kCount; ++k) {
        totals << sheet.sumCaption(k);
        deviations << sheet.procentCaption(k);
    }
    out << totals << deviations;
    if (report) {
        out << QStringList() << QStringList{report->Label1, report->Label3, report->Text1, report->Label2};
        for (int i = 0; i < report->lbl_1.size(); ++i)
            out << QStringList{report->lbl_1.value(i), report->lblWes.value(i), report->lblGramm.value(i),
                               report->lblCena.value(i)};
        out << QStringList{report->Label10, report->lblObqiWes};
        if (!report->lblCenaItog.isEmpty())
            out << QStringList{report->Label12, report->lblCenaItog};
    }
    return out;
}

Plan plan(const QByteArray& bytes, ReferenceData& data, const QString& fileName)
{
    Plan p;
    const QString file = QDir::toNativeSeparators(fileName);
    const auto refuse = [&](const QString& why) {
        p.error = QStringLiteral("Файл %1 не загружен: %2").arg(file, why);
        return p;
    };
    if (bytes.trimmed().isEmpty())
        return refuse(QStringLiteral("он пуст."));
    for (const char c : bytes)
        if ((c >= 0 && c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7f)
            return refuse(QStringLiteral("это не таблица, а двоичный файл."));
    QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(body);
    if (utf8.hasError())
        text = TextFile::decode1251(body);   // an older spreadsheet program's own encoding
    int badLine = 0;
    const auto records = Csv::parse(text, &badLine, kSeparator);
    if (!records)
        return refuse(QStringLiteral("строка %1 не разобрана: кавычка не на месте.").arg(badLine));
    if (records->isEmpty())
        return refuse(QStringLiteral("он пуст."));

    // The header: every column known, none twice, the name's among them.
    Rows basaRows, pokazatel, extraRows, priceRows;
    for (const auto& [statement, rows] : {std::pair{&Statements::basaList, &basaRows}, {&Statements::pokazatelList, &pokazatel},
                                          {&Statements::allExtraContents, &extraRows}, {&Statements::allPrices, &priceRows}})
        if (const QString why = data.rows(*statement, *rows); !why.isEmpty()) {
            p.error = why;
            return p;
        }
    const QStringList basaColumns = Database::tables().at(0).columns;
    const QStringList codes = codesOf(pokazatel);
    const QStringList known = basaColumns + codes + QStringList{kPriceColumn};
    const QStringList header = records->first().fields;
    if (header.size() == 1 && (header.first().contains(u',') || header.first().contains(u'\t')))
        return refuse(QStringLiteral("столбцы в нем разделены не точкой с запятой (;). Сохраните таблицу в формате "
                                     "«CSV (разделитель — точка с запятой)»."));
    QList<int> columnOf;   // the index in `known` of each column of the file; -1: an empty column passed over
    for (int c = 0; c < header.size(); ++c) {
        const QString name = header.at(c).trimmed();
        const int k = int(known.indexOf(name));
        if (name.isEmpty()) {
            for (qsizetype n = 1; n < records->size(); ++n)
                if (!records->at(n).fields.value(c).trimmed().isEmpty())
                    return refuse(QStringLiteral("у столбца %1 нет заголовка.").arg(c + 1));
        } else if (k < 0) {
            return refuse(QStringLiteral("неизвестный столбец «%1» (столбец %2). Известные столбцы: %3.")
                              .arg(TextFile::excerpt(name), QString::number(c + 1), known.join(QStringLiteral(", "))));
        } else if (columnOf.contains(k)) {
            return refuse(QStringLiteral("столбец «%1» встречается в нем дважды.").arg(name));
        }
        columnOf << (name.isEmpty() ? -1 : k);
    }
    if (!columnOf.contains(0))
        return refuse(QStringLiteral("в его первой строке нет столбца «%1» с названиями кормов.").arg(basaColumns.first()));

    const auto basa = byName(basaRows);
    const auto contents = byNameAndCode(extraRows, 2);
    const auto prices = byName(priceRows);
    const int nameAt = int(columnOf.indexOf(0));
    QHash<QString, QList<int>> linesOf;
    for (qsizetype n = 1; n < records->size(); ++n)
        linesOf[records->at(n).fields.value(nameAt).trimmed()] << records->at(n).line;

    for (qsizetype n = 1; n < records->size(); ++n) {
        const int line = records->at(n).line;
        const QStringList& fields = records->at(n).fields;
        const QString name = fields.value(nameAt).trimmed();
        const auto refused = [&](const QString& why) { p.refused << Entry{line, name, why}; };
        if (fields.size() != header.size()) {
            refused(QStringLiteral("в строке %1 полей, а столбцов %2").arg(fields.size()).arg(header.size()));
            continue;
        }
        if (name.isEmpty()) {
            refused(QStringLiteral("нет названия корма"));
            continue;
        }
        if (const auto check = EditorRules::cell(EditorRules::Kind::Name, basaColumns.first(), name); !check.ok) {
            refused(check.message);
            continue;
        }
        if (linesOf.value(name).size() > 1) {
            refused(QStringLiteral("корм с этим названием встречается в файле не один раз (строки %1)").arg(lineList(linesOf.value(name))));
            continue;
        }
        const bool isNew = !basa.contains(name);
        FeedWrite write{name, isNew, {}, {}, {}};
        QStringList shown, why;
        for (int c = 0; c < fields.size(); ++c) {
            const int k = columnOf.at(c);
            const QString raw = fields.at(c).trimmed();
            if (k <= 0 || raw.isEmpty())
                continue;   // the name, a column passed over, or a value left as it is
            const QString column = known.at(k);
            QVariant value;
            QVariant old;
            if (column == kPriceColumn) {
                const Prices::Price price = Prices::Price::of(number(raw) ? QVariant(*number(raw)) : QVariant(raw));
                if (!price.refusal.isEmpty()) {
                    why << QStringLiteral("в столбце «%1» «%2»: %3").arg(column, raw, price.refusal);
                    continue;
                }
                value = *price.value;
                old = prices.value(name).value(1);
            } else if (column == basaColumns.last()) {   // the group: a text
                if (const auto check = EditorRules::cell(EditorRules::Kind::Text, column, raw); !check.ok) {
                    why << check.message;
                    continue;
                }
                value = raw;
                old = basa.value(name).value(k);
            } else {
                const std::optional<double> v = number(raw);
                if (!v || *v < 0) {
                    why << (v ? QStringLiteral("в столбце «%1» отрицательное число «%2»")
                              : QStringLiteral("в столбце «%1» не число: «%2»")).arg(column, TextFile::excerpt(raw));
                    continue;
                }
                value = *v;
                old = k < basaColumns.size() ? basa.value(name).value(k) : contents.value(name).value(column);
            }
            if (!isNew && same(old, value))
                continue;
            shown << (isNew ? QStringLiteral("%1 %2").arg(column, cell(value))
                            : QStringLiteral("%1 %2 → %3").arg(column, shownOld(old), cell(value)));
            if (column == kPriceColumn)
                write.price = value;
            else if (k < basaColumns.size())
                write.basa.insert(k, value);
            else
                write.extras.insert(column, value);
        }
        if (isNew) {
            QStringList missing;
            for (int k = 1; k < basaColumns.size() - 1; ++k)
                if (!write.basa.contains(k))
                    missing << basaColumns.at(k);
            if (!missing.isEmpty() && why.isEmpty())
                why << QStringLiteral("такого корма в базе данных нет, а для нового корма нужны столбцы %1, в файле их нет "
                                      "или они пусты").arg(missing.join(QStringLiteral(", ")));
        }
        if (!why.isEmpty()) {
            refused(why.join(QStringLiteral("; ")));
        } else if (shown.isEmpty()) {
            ++p.unchanged;
        } else {
            (isNew ? p.added : p.changed) << Entry{line, name, shown.join(QStringLiteral("; "))};
            p.writes << write;
        }
    }
    return p;
}

Plan planOldDatabase(const QString& path, ReferenceData& data)
{
    Plan p;
    p.oldDatabase = true;
    const QList<Database::Table>& tables = Database::tables();
    QList<Rows> old(tables.size()), now(tables.size());
    QString why;
    if (JetFile::formatOf(path) == JetFile::Format::NotJet)
        why = QStringLiteral("это не база данных Access 97–2003");
    JetFile::Reader jet(path);
    if (why.isEmpty())
        why = jet.error();
    for (int t = 0; t < tables.size() && why.isEmpty(); ++t) {
        why = jet.read(tables.at(t).name, tables.at(t).columns, [&](const QVariantList& row) {
            old[t] << row;
            return old[t].size() <= Database::kMaxRecords;
        });
        if (why.isEmpty() && old[t].size() > Database::kMaxRecords)
            why = QStringLiteral("в таблице %1 больше %2 записей").arg(tables.at(t).name).arg(Database::kMaxRecords);
    }
    if (!why.isEmpty()) {
        p.error = QStringLiteral("Данные из файла %1 не перенесены: %2. Файл оставлен без изменений.")
                      .arg(QDir::toNativeSeparators(path), why);
        return p;
    }
    for (int t = 0; t < tables.size(); ++t)
        if (const QString error = data.rows(t == 0 ? Statements::basaList : t == 1 ? Statements::kurwiList : Statements::allGroups, now[t]);
            !error.isEmpty()) {
            p.error = error;
            return p;
        }
    for (int t = 0; t < tables.size(); ++t) {
        const QStringList& columns = tables.at(t).columns;
        const auto stored = byName(now[t]);
        QHash<QString, QList<int>> linesOf;
        for (int n = 0; n < old[t].size(); ++n)
            linesOf[NumText::variantText(old[t].at(n).value(0)).trimmed()] << n + 1;
        int added = 0;
        for (int n = 0; n < old[t].size(); ++n) {
            const QVariantList& row = old[t].at(n);
            const QString name = NumText::variantText(row.value(0)).trimmed();
            const auto refused = [&](const QString& reason) { p.refused << Entry{n + 1, name, reason, t}; };
            if (name.isEmpty()) {
                refused(QStringLiteral("нет названия"));
                continue;
            }
            if (const auto check = EditorRules::cell(EditorRules::Kind::Name, columns.first(), name); !check.ok) {
                refused(check.message);
                continue;
            }
            if (linesOf.value(name).size() > 1) {
                refused(QStringLiteral("это название встречается в таблице %1 не один раз (строки %2)")
                            .arg(tables.at(t).name, lineList(linesOf.value(name))));
                continue;
            }
            const bool isNew = !stored.contains(name);
            RowWrite write{t, name, isNew, {}};
            QStringList shown, bad;
            for (int c = 1; c < columns.size(); ++c) {
                const QVariant& value = row.value(c);
                if (value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isEmpty()))
                    continue;   // nothing there: a value stays as it is
                const bool text = value.typeId() == QMetaType::QString;
                if (text != (tables.at(t).types.at(c) == QLatin1String("TEXT"))) {
                    bad << QStringLiteral("в столбце «%1» %2").arg(columns.at(c), text ? QStringLiteral("не число: «%1»").arg(TextFile::excerpt(value.toString()))
                                                                                 : QStringLiteral("число вместо текста"));
                    continue;
                }
                if (text) {
                    if (const auto check = EditorRules::cell(EditorRules::Kind::Text, columns.at(c), value); !check.ok) {
                        bad << check.message;
                        continue;
                    }
                } else if (!std::isfinite(value.toDouble()) || value.toDouble() < 0) {
                    bad << (std::isfinite(value.toDouble()) ? QStringLiteral("в столбце «%1» отрицательное число «%2»")
                                                            : QStringLiteral("в столбце «%1» не число: «%2»"))
                               .arg(columns.at(c), cell(value));
                    continue;
                }
                const QVariant was = stored.value(name).value(c);
                if (!isNew && (text ? !was.isNull() && NumText::variantText(was) == value.toString() : same(was, value)))
                    continue;
                write.columns.insert(c, value);
                shown << (isNew ? QStringLiteral("%1 %2").arg(columns.at(c), cell(value))
                                : QStringLiteral("%1 %2 → %3").arg(columns.at(c), shownOld(was), cell(value)));
            }
            if (!bad.isEmpty()) {
                refused(bad.join(QStringLiteral("; ")));
            } else if (!isNew && shown.isEmpty()) {
                ++p.unchanged;
            } else {
                (isNew ? p.added : p.changed) << Entry{n + 1, name, shown.join(QStringLiteral("; ")), t};
                p.rows << write;
                added += isNew;
            }
        }
        if (now[t].size() + added > Database::kMaxRecords) {
            p = Plan{};
            p.oldDatabase = true;
            p.error = QStringLiteral("Данные из файла %1 не перенесены: в таблице %2 стало бы больше %3 записей. "
                                     "Файл оставлен без изменений.")
                          .arg(QDir::toNativeSeparators(path), tables.at(t).name).arg(Database::kMaxRecords);
            return p;
        }
    }
    return p;
}

} // namespace FeedSheets
