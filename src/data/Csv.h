#pragma once

#include <QList>
#include <QStringList>
#include <QStringView>
#include <optional>

// Comma-separated text as RFC 4180 writes it (the default data set's tables),
// or with another separator (a spreadsheet's ';').
namespace Csv {

// One record, and the line (from 1) it begins on.
struct Record {
    int line = 1;
    QStringList fields;
    bool operator==(const Record&) const = default;
};

// The records of the text: fields separated by commas, records by CR LF or
// LF, blank lines passed over. A field in double quotes may hold commas, line
// breaks and quotes, each of these written twice. nullopt when the text is
// not such CSV (a quote in an unquoted field, text after a closing quote, a
// quote that never closes); *badLine is then the line of the fault.
std::optional<QList<Record>> parse(QStringView text, int* badLine = nullptr, QChar separator = u',');

// A field as a record holds it: in double quotes, each quote written twice,
// when it holds the separator, a quote or a line break; else as it is.
QString field(const QString& text, QChar separator = u',');

} // namespace Csv
