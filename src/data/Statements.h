#pragma once

#include <QString>

// Every statement the program issues against treba.mdb, with its exact text.
// A name goes between the apostrophes with each apostrophe in it doubled, so it
// is looked up exactly and can never change the statement; a name without an
// apostrophe gives the text unchanged.
namespace Statements {

inline QString quoted(const QString& name)
{
    QString n = name;
    n.replace(QLatin1Char('\''), QStringLiteral("''"));
    return n + QLatin1Char('\'');
}

inline const QString kurwiList = QStringLiteral("Select * from kurwi order by 1");
inline const QString basaList = QStringLiteral("Select * from basa order by 1");
inline QString korm(const QString& feedName)
{
    return QStringLiteral("Select *  From basa  Where basa_name_kormow  =  '") + quoted(feedName);
}
inline QString kurwi(const QString& categoryName)
{
    return QStringLiteral("Select *  From kurwi  Where kategoriy_ptici  =  '") + quoted(categoryName);
}
inline QString groupLimit(const QString& groupName)
{
    return QStringLiteral("Select procent from granica where gruppa =  '") + quoted(groupName);
}
// The price of a feed (table cena), and every feed with its price for the
// price editor.
inline QString cena(const QString& feedName)
{
    return QStringLiteral("Select cena From cena Where basa_name_kormow = '") + quoted(feedName);
}
inline const QString cenaEditor = QStringLiteral(
    "Select b.basa_name_kormow, (Select c.cena From cena c Where c.basa_name_kormow = b.basa_name_kormow "
    "Limit 1) From basa b Order by b.basa_name_kormow");
// The extra nutrients, their contents, the categories' norms of them and the
// per-category feed limits.
inline const QString pokazatelList = QStringLiteral("Select kod, nazvanie, edinica From pokazatel Order by poryadok, rowid");
inline const QString allExtraContents = QStringLiteral(
    "Select basa_name_kormow, kod, znachenie From basa_pokazatel Order by rowid");
inline QString extraContents(const QString& feedName)
{
    return QStringLiteral("Select kod, znachenie From basa_pokazatel Where basa_name_kormow = '") + quoted(feedName)
        + QStringLiteral(" Order by rowid");
}
inline QString extraNorms(const QString& categoryName)
{
    return QStringLiteral("Select kod, min_norma, max_norma From kurwi_pokazatel Where kategoriy_ptici = '")
        + quoted(categoryName) + QStringLiteral(" Order by rowid");
}
inline QString feedShares(const QString& categoryName)
{
    return QStringLiteral("Select basa_name_kormow, min_dacha, max_dacha From kurwi_korm Where kategoriy_ptici = '")
        + quoted(categoryName) + QStringLiteral(" Order by rowid");
}
// The whole tables as the spreadsheets take them out.
inline const QString allPrices = QStringLiteral("Select basa_name_kormow, cena From cena Order by rowid");
inline const QString allExtraNorms = QStringLiteral(
    "Select kategoriy_ptici, kod, min_norma, max_norma From kurwi_pokazatel Order by rowid");
inline const QString allGroups = QStringLiteral("Select * from granica ");
inline const QString kurwiEditor = QStringLiteral("Select * from kurwi order by kategoriy_ptici");
inline const QString basaEditor = QStringLiteral("Select * from basa order by basa_name_kormow");
inline const QString granicaEditor = QStringLiteral("granica");

} // namespace Statements
