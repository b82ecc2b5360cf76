#pragma once

#include "engine/Batches.h"

#include <QString>
#include <QStringList>

// The batch sheet as it goes into its own text file ("Сохранить замесы...",
// Windows-1251 with CR LF like the report, so the program's report viewer
// shows it too) and onto the printed recipe.
namespace BatchSheet {

struct Sheet {
    QString category;
    QString tonnes;       // as typed on the report sheet
    QString capacity;     // the mixer's capacity, kg, as typed
    QStringList names;    // the feeds, in the plan's order
    Batches::Plan plan;
};

// "Замесы 1–10, по 500 кг", "Замес 11, 454 кг": the heading of the plan's batch kind i.
QString title(const Batches::Plan& plan, int i);

// The whole file, one string per line.
QStringList lines(const Sheet& sheet);

} // namespace BatchSheet
