#pragma once

#include <QString>
#include <QStringList>

class Adodc;
class QListWidget;
class ReferenceData;

// The reading the wizard screens share: filling a list from a data control,
// and loading the chosen feeds' rows and prices and the chosen category's row
// into the ration state by name (through ReferenceData). Nothing here shows a
// message; the result says what went wrong and which names were not found,
// and the screen tells the user.
namespace mdlAddItem {

struct Result {
    bool ok = true;          // false: the statement failed or the table is too large
    QString error;           // Russian, when !ok
    QStringList notFound;    // names with no row in the database (their values were kept)
    QStringList refused;     // names that cannot be looked up (a NUL character in them)
};

// A NUL character would end the statement text early: such a name is never
// looked up, and the message shows each NUL as "␀".
bool lookupRefused(const QString& name);
QString shownName(const QString& name);

// Receives the requirement captions that ZagruzitKurwi writes (the worksheet's
// lblKuri(0..8)): element 0 the category's name, 1..8 the requirement values.
class RequirementCaptions {
public:
    virtual ~RequirementCaptions() = default;
    virtual void setKuriCaption(int k, const QString& text) = 0;
};

// Fills the list with column 0 of every row of the data control's current
// recordset (the caller has set the record source and refreshed). The list is
// emptied first, so a second fill never shows the names twice. A null name
// shows as an empty entry. More than 32 767 rows is refused and the list is
// left as it was.
Result ZapolnitSpisok(Adodc& adodc, QListWidget& list);
// The same, into a list of texts (for callers without a list box).
Result ZapolnitSpisok(Adodc& adodc, QStringList& names);

// For each chosen feed 0..iMaxKorm, looks its row up by sKorm(i) and stores
// columns 0..10 in DataKorm(i, ..). A feed with no row keeps what DataKorm
// held and is reported in notFound. When a statement fails, DataKorm is left
// entirely as it was.
Result ZagruzitKorm(ReferenceData& data);
// Looks up the row of sKurwi, stores columns 0..9 in NormaKur and writes
// columns 0..8 as text to the captions (when given). A category with no row
// keeps what NormaKur held (the captions show those values) and is reported.
Result ZagruzitKurwi(ReferenceData& data, RequirementCaptions* captions);

// Loads the price of every chosen feed sKorm(0..iMaxKorm) into Cena; a feed
// whose name cannot be looked up (a NUL in it) has none, the others keep
// theirs. When the table cannot be read every price is unknown and the reason
// is returned; when it is missing from a read-only file, CenaNowhere says so.
QString loadPrices(ReferenceData& data);

} // namespace mdlAddItem
