#pragma once

#include "data/Nutrients.h"
#include "editors/EditorRules.h"

#include <QHash>
#include <QList>
#include <QSqlTableModel>
#include <QStyledItemDelegate>
#include <QTableView>

#include <memory>
#include <optional>

class QKeyEvent;

// One column of a reference grid: the table's column, the label above it, its
// width in pixels and what it accepts.
struct GridColumn {
    QString field;
    QString caption;
    int width = 50;
    EditorRules::Kind kind = EditorRules::Kind::Number;
    // Kind::Choice: the statement that gives the values the column takes and,
    // beside each, the text shown for it (null: the value itself); `unknown`
    // refuses any other value, "%1" standing for what was typed.
    QString choices = {};
    QString unknown = {};
    // A least value: the column of its greatest, which it may not pass.
    int atMost = -1;
    // A code: no two rows share one, and none is one of `reserved`.
    bool distinct = false;
    QStringList reserved = {};
};

// The text among `texts` that is widest in the font of `fm`, found without
// laying every text out: each is first sized by the advances of its
// characters, and only those that come near the greatest are measured whole.
// Empty for no texts.
QString widestText(const QFontMetrics& fm, const QStringList& texts);

// A value a Kind::Choice column takes, and the text the grid shows for it.
struct GridChoice {
    QString value;
    QString shown;
};

// A column for each nutrient: its column of the table (Nutrient::basaColumn
// or kurwiColumn), the editors' caption, a number.
QList<GridColumn> nutrientColumns(QString Nutrients::Nutrient::*column, int width);

// What the rule of writing a row when it is left asks of an editor's rows.
class PendingRows {
public:
    virtual ~PendingRows() = default;
    // The row with changes not yet written, or -1.
    virtual int pendingRow() const = 0;
    // A new row nobody typed into: it is dropped when left, not written.
    virtual bool pendingRowIsUntouchedNew() const { return false; }
    // Checks and writes the pending row. True when nothing is pending or it
    // is written; otherwise the reason in Russian, and the row keeps its edits.
    virtual bool writePending(QString* reason) = 0;
    // Drops the pending row's changes.
    virtual void revertPending() = 0;
};

// A table of treba.mdb for a grid. A cell takes only what its column accepts
// (anything else is refused with `inputRefused`); a changed row is held until
// writeRow() is called for it, which checks the whole row first and keeps the
// row's edits when the database does not take it. A row is written where it
// was read (by SQLite's rowid; the tables have no key), so an edit never
// reaches another row that holds the same values.
class EditorModel : public QSqlTableModel, public PendingRows {
    Q_OBJECT
public:
    EditorModel(const QSqlDatabase& db, const QString& table, const QList<GridColumn>& columns,
                QObject* parent = nullptr);

    // The rows read at once on opening: more than the tallest grid shows (the
    // model reads 256 rows in its first batch); a larger table is read on by
    // readRest() and as the grid scrolls.
    static constexpr int kFirstRows = 250;
    // A table of no more rows than this is read whole on opening: a damaged
    // page in it keeps the editor from opening, rather than from staying open.
    static constexpr int kWholeRows = 2000;

    // Reads the table, sorted by `sortColumn` (-1: table order), its first
    // kFirstRows rows at once, and the values of its choice columns. False
    // with lastError() when the table cannot be read.
    bool load(int sortColumn);
    // Reads the rest of the table: at once (true when all of it is read;
    // false with lastError() when a row cannot be read), or, with
    // `inPieces`, a part now and the next when the program is idle, until
    // it is read or readFailed() says it cannot be.
    bool readRest(bool inPieces = false);
    // Reads the values the choice columns take again (a feed or a code added
    // meanwhile); false, the old ones kept, when they cannot be read.
    bool loadChoices();
    QList<GridChoice> choices(int column) const { return m_choices.value(column); }

    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    // A text cell's tooltip is its whole text (a long name is cut in the grid);
    // a choice shows its text ("лизин, %"), its value is what is edited.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The view asks for these on Enter and Esc; rows are written when they
    // are left (writeRow), and Esc in a cell undoes only that cell.
    bool submit() override { return true; }
    void revert() override {}

    int pendingRow() const override { return m_pendingRow; }
    bool writePending(QString* reason) override;
    // A row renamed (column 0) takes with it, in the same transaction, the
    // rows of every other table that refer to it by that name: the tables
    // with a column of column 0's name (a feed's price in cena).
    void setCarriesRenames(bool carries) { m_carriesRenames = carries; }
    // A new row disappears.
    void revertPending() override;
    // Appends one empty row, which becomes the pending row.
    bool appendRow();
    // True when the pending row is a new row (nobody typed into it yet).
    bool pendingRowIsNew() const;
    bool pendingRowIsUntouchedNew() const override;
    bool isNumberColumn(int column) const;

    const QList<GridColumn>& columns() const { return m_columns; }
    // The table's columns; the rowid read with each row is not one of them.
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;

Q_SIGNALS:
    void inputRefused(const QString& message);
    // The rest of the table could not be read (lastError() says why).
    void readFailed();

protected:
    QString selectStatement() const override;
    bool selectRow(int row) override;
    bool insertRowIntoTable(const QSqlRecord& values) override;
    bool updateRowInTable(int row, const QSqlRecord& values) override;

private:
    std::optional<QString> storedName(int row) const;
    QString rowProblem(const QSqlRecord& rec) const;
    bool carryRename(const QString& from, const QString& to);

    QList<GridColumn> m_columns;
    int m_pendingRow = -1;
    bool m_carriesRenames = false;
    QHash<int, qint64> m_addedRowIds;   // rows added in this visit: their rowid
    QHash<int, QList<GridChoice>> m_choices;   // by column
};

// Shows and edits cells as plain text: numbers with a point, and a comma
// typed into a number enters a point (names keep their commas). A choice is
// edited in a combo box of the values it takes, which also takes one typed.
class CellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& value, const QLocale& locale) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;
};

// The grid `DataGrid1`: a table view that hands a comma or a point typed
// into a number on as the locale's decimal separator,
// lets Esc drop the changes of a row not yet written, and can commit the cell
// being edited (before the row is written or the window closes).
class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(QWidget* parent = nullptr);
    // Puts an open cell editor's text into the model and closes the editor.
    void commitOpenEditor();
    // Makes `index` current again once the change of the current row under
    // way has run its course: the row that still has to be put right.
    void returnTo(const QModelIndex& index);

    // A key event for a comma or a point, as the locale's decimal separator
    // (the one the cells show); null for any other event, and for that one.
    static std::unique_ptr<QKeyEvent> asDecimalSeparator(const QEvent* event);

Q_SIGNALS:
    void revertRowRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
