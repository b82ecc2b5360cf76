#pragma once

#include <QString>

// Every file-dialog filter of the program, in the "description|pattern" form
// the program has always used; toQtFilter turns one into Qt's form.
namespace FileFilters {

inline const QString kalk = QStringLiteral("Файл калькулятора (*.kalk)|*.kalk");
inline const QString txt = QStringLiteral("Текстовые файлы(*.txt)|*.txt");
// The spreadsheets the feed library goes out and comes in as.
inline const QString csv = QStringLiteral("Таблицы CSV (*.csv)|*.csv");

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

// The extension a save dialog adds to a name typed without one: "kalk".
inline QString suffix(const QString& filter)
{
    const int dot = int(filter.lastIndexOf(QStringLiteral("|*.")));
    return dot < 0 ? QString() : filter.mid(dot + 3);
}

// The title of the dialog that saves or opens this kind of file.
inline QString dialogTitle(const QString& filter, bool save)
{
    if (filter == csv)
        return save ? QStringLiteral("Экспорт в таблицу") : QStringLiteral("Импорт кормов");
    if (filter == kalk)
        return save ? QStringLiteral("Сохранить расчет") : QStringLiteral("Открыть старый расчет");
    return save ? QStringLiteral("Записать рацион в файл") : QStringLiteral("Смотреть или печатать рацион");
}

} // namespace FileFilters
