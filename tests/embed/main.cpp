#include "data/Fixed4.h"
#include <QLocale>
int main() { return Fixed4::fromText(QStringLiteral("2.5"), QLocale::c()).value_or(Fixed4()).raw() == 25000 ? 0 : 1; }
