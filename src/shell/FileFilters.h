#pragma once

#include <QString>

// Every file-dialog filter of the program, in the "description|pattern" form
// the program has always used; toQtFilter turns one into Qt's form.
namespace FileFilters {

inline const QString kalk = QStringLiteral("Файл калькулятора (*.kalk)|*.kalk");
inline const QString txt = QStringLiteral("Текстовые файлы(*.txt)|*.txt");

// "Файл калькулятора (*.kalk)|*.kalk" -> "Файл калькулятора (*.kalk)"
inline QString toQtFilter(const QString& filter)
{
    const int bar = int(filter.indexOf(QLatin1Char('|')));
    if (bar < 0)
        return filter;
    const QString description = filter.left(bar);
    const QString pattern = filter.mid(bar + 1);
    if (description.contains(pattern))
        return description;
    return description + QStringLiteral(" (") + pattern + QLatin1Char(')');
}

} // namespace FileFilters
