#include "editors/ReferenceGrid.h"

#include "data/NumText.h"

#include <QComboBox>
#include <QCompleter>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <vector>

namespace {
const char* const kNumberCell = "numberCell";
const QString kRowId = QStringLiteral("rowid");

// The row numbers beside the grid. Its width is found from the numbers of a
// couple of hundred rows, again whenever rows come; where the font's digits
// are all as wide (as in most fonts), numbers of as many digits are as wide,
// and one of them is laid out for all.
class RowNumbers : public QHeaderView {
public:
    explicit RowNumbers(QWidget* parent)
        : QHeaderView(Qt::Vertical, parent)
    {
        setSectionsClickable(true);
        setHighlightSections(true);
    }

protected:
    QSize sectionSizeFromContents(int logicalIndex) const override
    {
        if (!model())
            return QHeaderView::sectionSizeFromContents(logicalIndex);
        if (!m_evenDigits) {
            QFont bold = font();   // the font the sections are measured in
            bold.setBold(true);
            const QFontMetrics fm(bold);
            const int zero = fm.horizontalAdvance(QLatin1Char('0'));
            m_evenDigits = true;
            for (char d = '1'; d <= '9'; ++d)
                *m_evenDigits = *m_evenDigits && fm.horizontalAdvance(QLatin1Char(d)) == zero;
        }
        QString key = model()->headerData(logicalIndex, orientation()).toString();
        for (QChar& c : key)
            if (*m_evenDigits && c >= QLatin1Char('1') && c <= QLatin1Char('9'))
                c = QLatin1Char('0');
        auto it = m_sizes.constFind(key);
        if (it == m_sizes.cend())
            it = m_sizes.insert(key, QHeaderView::sectionSizeFromContents(logicalIndex));
        return it.value();
    }
    void changeEvent(QEvent* event) override
    {
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
            m_sizes.clear();
            m_evenDigits.reset();
        }
        QHeaderView::changeEvent(event);
    }

private:
    mutable std::optional<bool> m_evenDigits;
    mutable QHash<QString, QSize> m_sizes;   // by the text, its digits as '0' when they are even
};
}

QList<GridColumn> nutrientColumns(QString Nutrients::Nutrient::*column, int width)
{
    QList<GridColumn> out;
    for (const Nutrients::Nutrient& n : Nutrients::all())
        out.append({n.*column, n.editorCaption(), width, EditorRules::Kind::Number});
    return out;
}

QString widestText(const QFontMetrics& fm, const QStringList& texts)
{
    // Laying a text out costs some microseconds; the advance of one character,
    // once known, nothing. The sum of the advances differs from the laid-out
    // width by kerning only, so the widest text is among those whose sum comes
    // within a few characters of the greatest sum; texts of equal sums (names
    // numbered alike) are as wide as each other, and a few of them suffice.
    constexpr int kMeasured = 64;
    // By UTF-16 unit, in pages of 256 made when a character of theirs comes
    // (a name uses a page or two); -1: not yet measured.
    std::vector<std::unique_ptr<int[]>> bmp(0x100);
    QHash<QString, int> others;          // characters beyond it, by their pair
    std::vector<std::pair<qint64, int>> sums;   // (sum of advances, index)
    sums.reserve(std::size_t(texts.size()));
    qint64 greatest = 0;
    for (int i = 0; i < texts.size(); ++i) {
        const QString& text = texts.at(i);
        qint64 sum = 0;
        for (qsizetype k = 0; k < text.size(); ++k) {
            const QChar c = text.at(k);
            if (c.isHighSurrogate() && k + 1 < text.size() && text.at(k + 1).isLowSurrogate()) {
                const QString pair = text.mid(k++, 2);
                auto it = others.constFind(pair);
                if (it == others.cend())
                    it = others.insert(pair, fm.horizontalAdvance(pair));
                sum += it.value();
                continue;
            }
            std::unique_ptr<int[]>& page = bmp[c.unicode() >> 8];
            if (!page) {
                page = std::make_unique<int[]>(0x100);
                std::fill_n(page.get(), 0x100, -1);
            }
            int& a = page[c.unicode() & 0xff];
            if (a < 0)
                a = fm.horizontalAdvance(c);
            sum += a;
        }
        greatest = std::max(greatest, sum);
        sums.emplace_back(sum, i);
    }
    const qint64 near = greatest - 3 * qint64(fm.maxWidth());
    std::erase_if(sums, [near](const auto& s) { return s.first < near; });
    if (sums.size() > std::size_t(kMeasured)) {
        std::ranges::nth_element(sums, sums.begin() + kMeasured, std::greater<>());
        sums.resize(std::size_t(kMeasured));
    }
    QString widest;
    int widestWidth = -1;
    for (const auto& s : sums) {
        const int w = fm.horizontalAdvance(texts.at(s.second));
        if (w > widestWidth) {
            widestWidth = w;
            widest = texts.at(s.second);
        }
    }
    return widest;
}

EditorModel::EditorModel(const QSqlDatabase& db, const QString& table,
                         const QList<GridColumn>& columns, QObject* parent)
    : QSqlTableModel(parent, db)
    , m_columns(columns)
{
    // A row is written as a whole when it is left; until then the other rows
    // wait (the model refuses edits elsewhere while one row is pending).
    setEditStrategy(QSqlTableModel::OnRowChange);
    setTable(table);
    // Without a key an edit would be matched by all the row's old values, and
    // every equal row would take it.
    QSqlIndex key(QString(), kRowId);
    key.append(QSqlField(kRowId, QMetaType(QMetaType::LongLong), table));
    setPrimaryKey(key);
}

int EditorModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

// The table's columns, then its rowid.
QString EditorModel::selectStatement() const
{
    QSqlRecord fields = database().record(tableName());
    fields.append(QSqlField(kRowId, QMetaType(QMetaType::LongLong), tableName()));
    QString sql = database().driver()->sqlStatement(QSqlDriver::SelectStatement, tableName(), fields, false);
    if (sql.isEmpty())
        return QSqlTableModel::selectStatement();
    if (!filter().isEmpty())
        sql += QStringLiteral(" WHERE ") + filter();
    const QString order = orderByClause();
    if (!order.isEmpty())
        sql += QLatin1Char(' ') + order;
    return sql;
}

// A row added in this visit was not read with its rowid; what was written is
// what it shows.
bool EditorModel::selectRow(int row)
{
    if (m_addedRowIds.contains(row))
        return true;
    return QSqlTableModel::selectRow(row);
}

bool EditorModel::insertRowIntoTable(const QSqlRecord& values)
{
    if (!QSqlTableModel::insertRowIntoTable(values))
        return false;
    QSqlQuery q(database());
    if (q.exec(QStringLiteral("select last_insert_rowid()")) && q.next())
        m_addedRowIds.insert(m_pendingRow, q.value(0).toLongLong());
    return true;
}

bool EditorModel::updateRowInTable(int row, const QSqlRecord& values)
{
    const auto added = m_addedRowIds.constFind(row);
    if (added == m_addedRowIds.cend())
        return QSqlTableModel::updateRowInTable(row, values);
    const QString set = database().driver()->sqlStatement(QSqlDriver::UpdateStatement, tableName(), values, true);
    if (set.isEmpty())
        return true;
    QSqlQuery q(database());
    if (q.prepare(set + QStringLiteral(" WHERE rowid = ?"))) {
        for (int c = 0; c < values.count(); ++c)
            if (values.isGenerated(c))
                q.addBindValue(values.value(c));
        q.addBindValue(added.value());
        if (q.exec())
            return true;
    }
    setLastError(q.lastError());
    return false;
}

bool EditorModel::load(int sortColumn)
{
    if (sortColumn >= 0)
        setSort(sortColumn, Qt::AscendingOrder);
    if (!select())
        return false;
    // The first screens of the grid and the widths of its columns need only
    // the first rows; the table is read on while the program waits for the
    // user (readRest), so that the statement does not stay open on the file
    // and other connections can write to it.
    while (canFetchMore() && rowCount() < kFirstRows)
        fetchMore();
    if (canFetchMore()) {   // more than the first rows: is it more than kWholeRows?
        QSqlQuery probe(database());
        const bool large = probe.exec(QStringLiteral("SELECT 1 FROM %1 LIMIT 1 OFFSET %2")
                                          .arg(database().driver()->escapeIdentifier(tableName(), QSqlDriver::TableName))
                                          .arg(kWholeRows))
            && probe.next();
        while (!large && canFetchMore())
            fetchMore();
    }
    // A row that cannot be read (a damaged page) ends the fetch early; the
    // grid must not pass a part of the table off as the whole.
    if (query().lastError().isValid()) {
        setLastError(query().lastError());
        return false;
    }
    m_pendingRow = -1;
    m_addedRowIds.clear();
    return loadChoices();
}

bool EditorModel::readRest(bool inPieces)
{
    constexpr int kPiece = 4000;
    const int until = inPieces ? rowCount() + kPiece : std::numeric_limits<int>::max();
    while (canFetchMore() && rowCount() < until)
        fetchMore();
    if (query().lastError().isValid()) {
        setLastError(query().lastError());
        if (inPieces)
            Q_EMIT readFailed();
        return false;
    }
    if (inPieces && canFetchMore())
        QTimer::singleShot(0, this, [this] { readRest(true); });
    return true;
}

bool EditorModel::loadChoices()
{
    QHash<int, QList<GridChoice>> read;
    for (int c = 0; c < m_columns.size(); ++c) {
        if (m_columns.at(c).kind != EditorRules::Kind::Choice)
            continue;
        QSqlQuery q(database());
        q.setForwardOnly(true);
        if (!q.exec(m_columns.at(c).choices)) {
            setLastError(q.lastError());
            return false;
        }
        QList<GridChoice>& list = read[c];
        while (q.next()) {
            const QString value = q.value(0).toString();
            const QVariant shown = q.record().count() > 1 ? q.value(1) : QVariant();
            list.append({value, shown.isNull() || shown.toString().isEmpty() ? value : shown.toString()});
        }
        if (q.lastError().isValid()) {
            setLastError(q.lastError());
            return false;
        }
    }
    m_choices = read;
    return true;
}

QVariant EditorModel::data(const QModelIndex& index, int role) const
{
    if (role == Qt::ToolTipRole) {
        if (isNumberColumn(index.column()))
            return QVariant();
        return data(index, Qt::DisplayRole);
    }
    if (role == Qt::DisplayRole && m_choices.contains(index.column())) {
        const QString value = QSqlTableModel::data(index, role).toString();
        for (const GridChoice& c : m_choices[index.column()])
            if (c.value == value)
                return c.shown;
    }
    return QSqlTableModel::data(index, role);
}

bool EditorModel::isNumberColumn(int column) const
{
    if (column < 0 || column >= m_columns.size())
        return false;
    const auto kind = m_columns.at(column).kind;
    return kind == EditorRules::Kind::Number || kind == EditorRules::Kind::OptionalNumber;
}

bool EditorModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole)
        return QSqlTableModel::setData(index, value, role);
    if (!index.isValid() || index.column() >= m_columns.size())
        return false;
    if (m_pendingRow >= 0 && m_pendingRow != index.row())
        return false;   // another row has to be written first
    const GridColumn& col = m_columns.at(index.column());
    EditorRules::Check check = EditorRules::cell(col.kind, col.caption, value);
    if (check.ok && col.kind == EditorRules::Kind::Choice) {
        // The value itself, or the text shown for it.
        const QString typed = check.value.toString();
        const QList<GridChoice> list = m_choices.value(index.column());
        auto found = std::ranges::find(list, typed, &GridChoice::value);
        if (found == list.end())
            found = std::ranges::find(list, typed, &GridChoice::shown);
        check.ok = found != list.end();
        check.value = check.ok ? found->value : QVariant();
        check.message = QString(col.unknown).arg(typed);
    }
    if (!check.ok) {
        Q_EMIT inputRefused(check.message);
        return false;
    }
    if (!QSqlTableModel::setData(index, check.value, role))
        return false;
    if (isDirty(index))
        m_pendingRow = index.row();
    return true;
}

// The model marks a row it has not yet inserted into the table with "*".
bool EditorModel::pendingRowIsNew() const
{
    return m_pendingRow >= 0
        && headerData(m_pendingRow, Qt::Vertical).toString() == QLatin1String("*");
}

bool EditorModel::pendingRowIsUntouchedNew() const
{
    if (!pendingRowIsNew())
        return false;
    const QSqlRecord rec = record(m_pendingRow);
    for (int c = 0; c < rec.count(); ++c) {
        const QVariant v = rec.value(c);
        if (!v.isNull() && !v.toString().isEmpty())
            return false;
    }
    return true;
}

bool EditorModel::writePending(QString* reason)
{
    if (m_pendingRow < 0)
        return true;
    // A code is checked against every row, and the write finds no statement
    // of this table still open on the file.
    const bool whole = readRest();
    const QSqlRecord rec = record(m_pendingRow);
    {
        const QString problem = whole ? rowProblem(rec) : QString();
        if (!problem.isEmpty()) {
            if (reason)
                *reason = QStringLiteral("Строка %1 не записана в базу данных. %2 Исправьте строку "
                                         "или нажмите Esc, чтобы отменить ее изменения.")
                              .arg(m_pendingRow + 1)
                              .arg(problem);
            return false;
        }
    }
    // A row already in the file that changes its name takes the rows keyed by
    // the old name with it, in one transaction: all of it is written or none.
    const int row = m_pendingRow;
    const std::optional<QString> renamedFrom = m_carriesRenames ? storedName(row) : std::nullopt;
    const bool carry = renamedFrom && !renamedFrom->isEmpty() && *renamedFrom != rec.value(0).toString();
    bool written = whole;
    QSqlDatabase db = database();
    if (carry && !db.transaction()) {
        setLastError(db.lastError());
        written = false;
    }
    written = written && (!carry || carryRename(*renamedFrom, rec.value(0).toString())) && submitAll();
    if (carry && written && !db.commit()) {
        // Not kept after all: the row shows the file's values, then the edits
        // again, to be written once more.
        setLastError(db.lastError());
        db.rollback();
        selectRow(row);
        for (int c = 0; c < rec.count() && c < m_columns.size(); ++c)
            QSqlTableModel::setData(index(row, c), rec.value(c));
        written = false;
    } else if (carry && !written) {
        db.rollback();
    }
    if (!written) {
        // The model keeps the row's values when the database refuses them.
        if (reason)
            *reason = QStringLiteral("База данных не приняла строку %1. Введенные данные "
                                     "остались в таблице; повторите попытку позже или нажмите "
                                     "Esc, чтобы отменить изменения строки. Ответ SQLite: %2")
                          .arg(row + 1)
                          .arg(lastError().text());
        return false;
    }
    m_pendingRow = -1;
    return true;
}

// Why the row cannot be written: a value its column does not take, a least
// value above its greatest, a code another row has. Empty when it can.
QString EditorModel::rowProblem(const QSqlRecord& rec) const
{
    const auto quoted = [](const QString& text) { return QStringLiteral("«") + text + QStringLiteral("»"); };
    for (int c = 0; c < m_columns.size() && c < rec.count(); ++c) {
        const GridColumn& col = m_columns.at(c);
        const QString problem = EditorRules::rowValue(col.kind, col.caption, rec.value(c));
        if (!problem.isEmpty())
            return problem;
    }
    for (int c = 0; c < m_columns.size() && c < rec.count(); ++c) {
        const GridColumn& col = m_columns.at(c);
        const QVariant least = rec.value(c);
        const QVariant most = col.atMost >= 0 ? rec.value(col.atMost) : QVariant();
        if (!least.isNull() && !most.isNull() && least.toDouble() > most.toDouble())
            return QStringLiteral("В графе %1 (%2) больше, чем в графе %3 (%4): наименьшее значение не может "
                                  "быть больше наибольшего.")
                .arg(quoted(col.caption), EditorRules::numberText(least.toDouble()),
                     quoted(m_columns.at(col.atMost).caption), EditorRules::numberText(most.toDouble()));
        if (!col.distinct)
            continue;
        const QString code = rec.value(c).toString();
        if (col.reserved.contains(code, Qt::CaseInsensitive))
            return QStringLiteral("Код %1 занят: так обозначен один из восьми основных показателей (%2).")
                .arg(quoted(code), col.reserved.join(QStringLiteral(", ")));
        for (int r = 0; r < rowCount(); ++r)
            if (r != m_pendingRow && QSqlTableModel::data(index(r, c)).toString().compare(code, Qt::CaseInsensitive) == 0)
                return QStringLiteral("Код %1 уже есть в строке %2: коды показателей не могут повторяться.")
                    .arg(quoted(code))
                    .arg(r + 1);
    }
    return QString();
}

// The name the file holds for a row already written to it (read or added in
// this visit); nullopt for a row not yet in the file, or when it cannot be read.
std::optional<QString> EditorModel::storedName(int row) const
{
    if (pendingRowIsNew())
        return std::nullopt;
    const auto added = m_addedRowIds.constFind(row);
    QSqlQuery q(database());
    q.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                  .arg(m_columns.value(0).field, database().driver()->escapeIdentifier(tableName(), QSqlDriver::TableName)));
    q.addBindValue(added != m_addedRowIds.cend() ? added.value() : primaryValues(row).value(0).toLongLong());
    if (!q.exec() || !q.next())
        return std::nullopt;
    return q.value(0).toString();
}

// The rows of other tables keyed by the old name are moved to the new one.
// While another row here keeps the old name, they stay with that row. Rows of
// the new name that belong to no row here (left behind by a rename before
// renames carried them) go first, so that none is taken for this row's.
bool EditorModel::carryRename(const QString& from, const QString& to)
{
    const QString field = m_columns.value(0).field;
    QSqlDriver* driver = database().driver();
    QSqlQuery q(database());
    const auto rowsNamed = [&](const QString& name) -> std::optional<qint64> {
        q.prepare(QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = ?")
                      .arg(driver->escapeIdentifier(tableName(), QSqlDriver::TableName), field));
        q.addBindValue(name);
        if (q.exec() && q.next())
            return q.value(0).toLongLong();
        setLastError(q.lastError());
        return std::nullopt;
    };
    const std::optional<qint64> keepOld = rowsNamed(from);   // the renamed row is stored under it still
    const std::optional<qint64> haveNew = rowsNamed(to);
    if (!keepOld || !haveNew)
        return false;
    if (*keepOld > 1)
        return true;
    for (const QString& table : database().tables()) {
        if (table.compare(tableName(), Qt::CaseInsensitive) == 0 || !database().record(table).contains(field))
            continue;
        const QString t = driver->escapeIdentifier(table, QSqlDriver::TableName);
        QList<std::pair<QString, QVariantList>> statements;
        if (*haveNew == 0)
            statements.append({QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(t, field), {to}});
        statements.append({QStringLiteral("UPDATE %1 SET %2 = ? WHERE %2 = ?").arg(t, field), {to, from}});
        for (const auto& [sql, values] : statements) {
            q.prepare(sql);
            for (const QVariant& v : values)
                q.addBindValue(v);
            if (!q.exec()) {
                setLastError(q.lastError());
                return false;
            }
        }
    }
    return true;
}

void EditorModel::revertPending()
{
    if (m_pendingRow < 0)
        return;
    const int row = m_pendingRow;
    m_pendingRow = -1;
    revertRow(row);
}

bool EditorModel::appendRow()
{
    // The new row comes after the last row of the table.
    if (m_pendingRow >= 0 || !readRest())
        return false;
    const int row = rowCount();
    if (!insertRow(row))
        return false;
    m_pendingRow = row;
    return true;
}

QString CellDelegate::displayText(const QVariant& value, const QLocale& locale) const
{
    const int type = value.typeId();
    if (type == QMetaType::Double || type == QMetaType::Float)
        return value.isNull() ? QString() : EditorRules::numberText(value.toDouble());
    if (type == QMetaType::LongLong || type == QMetaType::Int)
        return QString::number(value.toLongLong());
    return QStyledItemDelegate::displayText(value, locale);
}

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                                    const QModelIndex& index) const
{
    const auto* model = qobject_cast<const EditorModel*>(index.model());
    if (model && model->columns().value(index.column()).kind == EditorRules::Kind::Choice) {
        // Picked from the list, or typed (the list completes it); a value not
        // in it is refused when the cell is put into the model.
        auto* combo = new QComboBox(parent);
        combo->setFrame(false);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMaxVisibleItems(20);
        for (const GridChoice& c : model->choices(index.column()))
            combo->addItem(c.shown, c.value);
        combo->completer()->setCaseSensitivity(Qt::CaseInsensitive);
        return combo;
    }
    auto* edit = new QLineEdit(parent);
    edit->setFrame(false);
    edit->setProperty(kNumberCell, model && model->isNumberColumn(index.column()));
    return edit;
}

void CellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setCurrentIndex(combo->findData(index.data(Qt::EditRole).toString()));
        combo->setEditText(index.data(Qt::DisplayRole).toString());
        return;
    }
    auto* edit = qobject_cast<QLineEdit*>(editor);
    if (!edit)
        return;
    const QVariant v = index.data(Qt::EditRole);
    edit->setText(v.isNull() ? QString() : displayText(v, QLocale::c()));
}

void CellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const
{
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        // The item picked is its value (two may show the same text); typed, the text.
        const int i = combo->currentIndex();
        const QString text = combo->currentText();
        model->setData(index, i >= 0 && combo->itemText(i) == text ? combo->itemData(i) : QVariant(text), Qt::EditRole);
    } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        model->setData(index, edit->text(), Qt::EditRole);
    }
}

bool CellDelegate::eventFilter(QObject* object, QEvent* event)
{
    if (object->property(kNumberCell).toBool()) {
        if (auto point = DataGrid::asDecimalSeparator(event)) {
            QCoreApplication::sendEvent(object, point.get());
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

DataGrid::DataGrid(QWidget* parent)
    : QTableView(parent)
{
    setObjectName(QStringLiteral("DataGrid1"));
    setVerticalHeader(new RowNumbers(this));
    setItemDelegate(new CellDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    setWordWrap(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSortingEnabled(false);
    // Tab moves from cell to cell; Ctrl+Tab leaves the grid (an open cell
    // included) for the buttons. A shortcut, so the frame's own use of
    // Ctrl+Tab (going to the next window) does not take the key first.
    auto* leave = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this, nullptr, nullptr,
                                Qt::WidgetWithChildrenShortcut);
    connect(leave, &QShortcut::activated, this, [this] { QWidget::focusNextPrevChild(true); });
}

std::unique_ptr<QKeyEvent> DataGrid::asDecimalSeparator(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return nullptr;
    const auto* key = static_cast<const QKeyEvent*>(event);
    const QString separator = NumText::locale().decimalPoint();
    if ((key->text() != QLatin1String(",") && key->text() != QLatin1String(".")) || key->text() == separator)
        return nullptr;
    const int code = separator == QLatin1String(",") ? Qt::Key_Comma
                     : separator == QLatin1String(".") ? Qt::Key_Period : Qt::Key_unknown;
    return std::make_unique<QKeyEvent>(QEvent::KeyPress, code, key->modifiers(), separator,
                                       key->isAutoRepeat(), key->count());
}

void DataGrid::commitOpenEditor()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void DataGrid::returnTo(const QModelIndex& index)
{
    QTimer::singleShot(0, this, [this, back = QPersistentModelIndex(index)] {
        if (back.isValid())
            setCurrentIndex(back);
    });
}

void DataGrid::keyPressEvent(QKeyEvent* event)
{
    const auto* m = qobject_cast<const EditorModel*>(model());
    if (m && m->isNumberColumn(currentIndex().column())) {
        if (auto point = asDecimalSeparator(event)) {
            QTableView::keyPressEvent(point.get());
            event->setAccepted(point->isAccepted());
            return;
        }
    }
    if (event->key() == Qt::Key_Escape && state() != QAbstractItemView::EditingState) {
        Q_EMIT revertRowRequested();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}
