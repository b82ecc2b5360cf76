#include "data/Csv.h"

namespace Csv {

std::optional<QList<Record>> parse(QStringView text, int* badLine, QChar separator)
{
    QList<Record> out;
    Record record;
    QString field;
    int line = 1;
    bool inQuotes = false;
    bool closed = false;    // the field's closing quote has been read
    bool started = false;   // the record holds something, if only a comma
    const auto fail = [&](int at) {
        if (badLine)
            *badLine = at;
        return std::nullopt;
    };
    const auto endRecord = [&] {
        if (started || closed || !field.isEmpty()) {
            record.fields << field;
            out << record;
        }
        record = Record{line + 1, {}};
        field.clear();
        started = closed = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (inQuotes) {
            if (c != u'"') {
                line += c == u'\n';
                field += c;
            } else if (i + 1 < text.size() && text[i + 1] == u'"') {
                field += c;
                ++i;
            } else {
                inQuotes = false;
                closed = true;
            }
        } else if (c == separator) {
            record.fields << field;
            field.clear();
            started = true;
            closed = false;
        } else if (c == u'\n' || (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')) {
            i += c == u'\r';
            endRecord();
            ++line;
        } else if (closed || (c == u'"' && !field.isEmpty())) {
            return fail(line);
        } else if (c == u'"') {
            inQuotes = started = true;
        } else {
            field += c;
        }
    }
    if (inQuotes)
        return fail(record.line);
    endRecord();
    return out;
}

QString field(const QString& text, QChar separator)
{
    if (!text.contains(separator) && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

} // namespace Csv
