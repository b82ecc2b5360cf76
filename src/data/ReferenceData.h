#pragma once

#include "data/Figure.h"
#include "data/Nutrients.h"
#include "data/Prices.h"
#include "data/RationState.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <array>
#include <memory>
#include <optional>
#include <vector>

class Adodc;


// A row of basa as the ration state holds it: column 0 the feed's name, 1..8
// the contents of the nutrients in 100 g, 9 the feeding limit (grams in 100 g
// of feed), 10 the group.
using FeedFields = std::array<QVariant, RationState::kFeedFields>;
// A row of kurwi as the ration state holds it: column 0 the category, 1..8
// the requirements in 100 g of feed, 9 the daily energy requirement of a bird.
using CategoryFields = std::array<QVariant, RationState::kKurwiFields>;

struct FeedRow {
    static constexpr int kLimitColumn = 1 + Nutrients::kCount;
    static constexpr int kGroupColumn = kLimitColumn + 1;

    QString name;
    std::array<Figure, Nutrients::kCount> content;   // nutrient j at j - 1
    Figure limit;
    QString group;

    static FeedRow of(const FeedFields& fields);
    // The group alone, for the group checks that run on every change of a weight.
    static QString groupOf(const FeedFields& fields);
};

struct CategoryRow {
    static constexpr int kDailyColumn = 1 + Nutrients::kCount;

    QString name;
    std::array<Figure, Nutrients::kCount> requirement;   // nutrient j at j - 1
    Figure daily;

    static CategoryRow of(const CategoryFields& fields);
};

// One record of granica: a group and its largest share in grams of 100 g.
struct GroupRecord {
    QString gruppa;
    Figure procent;

    GroupRecord() = default;
    GroupRecord(const QVariant& group, const QVariant& percent);
};

// Every record of granica in record order, or why they could not be read.
struct GroupRecords {
    bool ok = false;
    QList<GroupRecord> records;
    QString error;   // Russian, when !ok
};

// A feed of basa with its price, as the price editor lists them.
struct PricedFeed {
    QString name;
    Prices::Price price;
};

// The feeds' contents of the extra nutrients, by feed name and then code, as
// stored (the first row of a pair counts).
using ExtraContents = QHash<QString, QHash<QString, Figure>>;

// What an import writes of one feed: its row of basa (a new one whole, else
// the columns given), its contents of extra nutrients by code and its price
// (null: none), each only where given.
struct FeedWrite {
    QString name;
    bool isNew = false;
    QHash<int, QVariant> basa;          // by column of basa
    QHash<QString, QVariant> extras;    // by code
    std::optional<QVariant> price;
    bool operator==(const FeedWrite&) const = default;
};

// What a carrying over from an old database writes of one row of basa,
// kurwi or granica (table 0, 1, 2 of Database::tables()): a new one whole,
// else the columns given, in every row of the name.
struct RowWrite {
    int table = 0;
    QString name;
    bool isNew = false;
    QHash<int, QVariant> columns;   // by column of the table; a new row's missing ones stay empty
    bool operator==(const RowWrite&) const = default;
};

// The one road to the reference tables of treba.mdb (basa, kurwi, granica)
// and to the prices (cena): every statement the program runs against them to
// read or write a row goes through here, over a data control, and comes back
// as typed rows. Nothing here shows a message; a failure comes back with its
// reason in Russian.
class ReferenceData {
public:
    // Over a data control of its own, on treba.mdb in the working directory.
    ReferenceData();
    // Over a screen's data control (its record source is changed).
    explicit ReferenceData(Adodc& control);
    ~ReferenceData();
    ReferenceData(const ReferenceData&) = delete;
    ReferenceData& operator=(const ReferenceData&) = delete;

    bool isOpen() const;
    QString lastError() const;
    QString databasePath() const;

    // A row looked up by name exactly (the first one of that name): ok false
    // when the statement failed (error says why); no row when none has it.
    template <typename Row>
    struct Found {
        bool ok = true;
        QString error;
        std::optional<Row> row;
    };
    Found<FeedFields> feed(const QString& name);
    Found<CategoryFields> category(const QString& name);
    Found<Figure> groupLimit(const QString& group);   // granica.procent
    Found<Prices::Price> price(const QString& feed);

    // Every record of granica, in table order.
    GroupRecords groupLimits();
    // Every feed of basa in the order of its name; empty when the table
    // cannot be read.
    std::vector<FeedRow> feeds();
    // The extra nutrients, their norms for one category and the category's
    // feed limits for the chosen feeds, with the chosen feeds' contents: all
    // the sheet's section and the band model need (RationExtras::error says
    // why when they cannot be read).
    RationExtras rationExtras(const QString& category, const std::vector<QString>& feeds);
    // Every feed's contents of the extra nutrients; false when unreadable.
    bool extraContents(ExtraContents& out);
    // The category's feed limits by feed name; false when unreadable.
    bool feedShares(const QString& category, QHash<QString, FeedShare>& out);

    // SQLite's data version of this connection: it changes when another
    // connection (an editor, another program) has written to the file. Null
    // when it cannot be read.
    QVariant dataVersion();

    // Every feed of basa in the order of its name with its price. On failure
    // the reason; a price table missing from a file that takes it is made.
    QString priceList(std::vector<PricedFeed>& out);
    // Stores the price of a feed (none: its rows go), every row of its name
    // replaced in one transaction. Empty when done, else SQLite's reason.
    QString storePrice(const QString& feed, std::optional<double> price);
    // Every row the statement gives, read at once; empty when done, else the
    // reason in Russian.
    QString rows(const QString& statement, QList<QVariantList>& out);
    // Writes the feeds in one transaction: every row of each name is changed,
    // a new feed is added, its contents and price replace the old ones. All
    // or nothing: empty when done, else SQLite's reason.
    QString writeFeeds(const QList<FeedWrite>& feeds);
    // Writes the rows of the three tables in one transaction, all or nothing:
    // empty when done, else SQLite's reason.
    QString writeRows(const QList<RowWrite>& rows);

    // After the price table could not be read: when it is missing, it is made
    // now if the file takes it (*made set: read it again); else the reason in
    // Russian, which says so when the file is read-only. Empty when the table
    // is there (its failure is another one) or made now.
    QString priceTableMissing(bool* made);

private:
    bool run(const QString& statement);
    template <typename Row>
    Found<Row> lookUp(const QString& statement);

    std::unique_ptr<Adodc> m_own;
    Adodc& m_control;
};
