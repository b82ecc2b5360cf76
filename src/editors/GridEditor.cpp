#include "editors/GridEditor.h"

#include "data/Database.h"
#include "shell/Platform.h"

#include <QDir>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QPushButton>
#include <QScrollBar>
#include <QSqlError>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

// The rest of a large table is read this long after the editor opens.
constexpr int kReadOnAfterMs = 100;

// Wide enough for the caption's longest word, so a wrapped label never cuts one.
int widthFor(const QFontMetrics& fm, const GridColumn& col)
{
    int widest = 0;
    for (const QString& word : col.caption.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        widest = qMax(widest, fm.horizontalAdvance(word));
    return qMax(Screens::scaled(col.width), widest + 4);
}

// Names and groups are shown whole: their columns take the longest entry of
// the rows first..last (up to a limit, so that one absurdly long name does not
// make the editor unwieldy).
int textWidth(const QAbstractItemModel& model, int column, const QFontMetrics& fm, int first, int last)
{
    const int kWidest = Screens::scaled(460);
    QStringList texts;
    texts.reserve(last - first + 1);
    for (int r = first; r <= last; ++r)
        texts << model.data(model.index(r, column)).toString();
    return qMin(fm.horizontalAdvance(widestText(fm, texts)) + 12, kWidest);
}

bool showsText(const GridColumn& col)
{
    return col.kind == EditorRules::Kind::Name || col.kind == EditorRules::Kind::Text
        || col.kind == EditorRules::Kind::Choice;
}

} // namespace

RowEditor::RowEditor(std::optional<MenuEvent> closedEvent, QWidget* parent)
    : Form(parent)
    , m_closedEvent(closedEvent)
{
}

DataGrid* RowEditor::makeGrid(QAbstractItemModel* model)
{
    auto* grid = new DataGrid(this);
    grid->setModel(model);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    return grid;
}

void RowEditor::lay(QWidget* header, DataGrid* grid, PendingRows* rows, QLayout* buttons)
{
    auto* layout = new QVBoxLayout(this);
    const int margin = Screens::scaled(6);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(0);
    layout->addWidget(header);
    layout->addWidget(grid, 1);
    layout->addSpacing(Screens::scaled(8));
    layout->addLayout(buttons);

    m_rowsGrid = grid;
    m_rows = rows;
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &RowEditor::onCurrentRowChanged);
    connect(grid, &DataGrid::revertRowRequested, this, [rows] { rows->revertPending(); });
    connect(grid->horizontalHeader(), &QHeaderView::sectionResized, this, [this] { placeLabels(); });
    connect(grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { placeLabels(); });
}

void RowEditor::showEvent(QShowEvent* event)
{
    Form::showEvent(event);
    if (m_rowsGrid)
        m_rowsGrid->setAccessibleName(windowTitle());   // a reader names the table by its window
    // The layout settles once the window is shown.
    QTimer::singleShot(0, this, [this] { placeLabels(); });
    placeLabels();
}

void RowEditor::onCurrentRowChanged(const QModelIndex& current, const QModelIndex& previous)
{
    const int pending = m_rows->pendingRow();
    if (pending < 0 || !previous.isValid() || previous.row() != pending || current.row() == pending)
        return;
    if (m_rows->pendingRowIsUntouchedNew()) {
        m_rows->revertPending();
        return;
    }
    QString reason;
    if (m_rows->writePending(&reason))
        return;
    platform().message(reason);
    m_rowsGrid->returnTo(previous);
}

bool RowEditor::writePendingRow()
{
    if (!m_rows)
        return true;
    m_rowsGrid->commitOpenEditor();
    if (m_rows->pendingRowIsUntouchedNew()) {
        m_rows->revertPending();
        return true;
    }
    QString reason;
    if (m_rows->writePending(&reason))
        return true;
    platform().message(reason);
    return false;
}

// Another window made active leaves the row as a click on another row does;
// what it holds is written before that window reads anything.
void RowEditor::Form_Deactivate()
{
    writePendingRow();
}

void RowEditor::closeEvent(QCloseEvent* event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    if (!writePendingRow()) {
        event->ignore();
        return;
    }
    m_closed = true;
    if (m_closedEvent)
        menuRules().report(*m_closedEvent);
    event->accept();
}

GridEditor::GridEditor(const QString& table, const QList<GridColumn>& columns, int sortColumn,
                       const Heading& heading, std::optional<MenuEvent> closedEvent,
                       QWidget* parent)
    : RowEditor(closedEvent, parent)
    , m_headingSpan(heading)
{
    if (!m_adodc.isOpen()) {
        m_error = m_adodc.lastError();
        return;
    }
    m_model = new EditorModel(m_adodc.database(), table, columns, this);
    bool loaded = m_model->load(sortColumn);
    if (!loaded)
        loaded = extraTablesMade(table) && m_model->load(sortColumn);
    if (!loaded) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("Не удалось прочитать таблицу %1 базы данных %2: %3")
                          .arg(table, QDir::toNativeSeparators(m_adodc.databasePath()), m_model->lastError().text());
        return;
    }
    connect(m_model, &EditorModel::inputRefused, this,
            [](const QString& message) { platform().message(message); });

    m_header = new QWidget(this);
    m_grid = makeGrid(m_model);
    const QFontMetrics fm = fontMetrics();
    for (int c = 0; c < columns.size(); ++c) {
        int width = widthFor(fm, columns.at(c));
        if (showsText(columns.at(c)))
            width = qMax(width, textWidth(*m_model, c, m_grid->fontMetrics(), 0, m_model->rowCount() - 1));
        m_grid->setColumnWidth(c, width);
    }
    // The first rows give the widths; the rows read later widen a column
    // whose longest text comes further down, so no text is ever cut. They
    // come in batches of a few hundred: all that came are measured together
    // once the reading pauses.
    connect(m_model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int) {
        if (m_unmeasuredFrom < 0)
            QTimer::singleShot(0, this, [this] {
                const int from = std::exchange(m_unmeasuredFrom, -1);
                for (int c = 0; c < m_model->columns().size() && from < m_model->rowCount(); ++c)
                    if (showsText(m_model->columns().at(c)))
                        m_grid->setColumnWidth(c, qMax(m_grid->columnWidth(c),
                                                       textWidth(*m_model, c, m_grid->fontMetrics(), from,
                                                                 m_model->rowCount() - 1)));
            });
        m_unmeasuredFrom = m_unmeasuredFrom < 0 ? first : qMin(m_unmeasuredFrom, first);
    });
    buildHeader(heading);

    m_buttons = new QHBoxLayout;
    lay(m_header, m_grid, m_model, m_buttons);

    if (m_model->rowCount() > 0)
        m_grid->setCurrentIndex(m_model->index(0, 0));
    m_ready = true;
    // A large table is read on once the editor is on screen and waits for
    // the user.
    connect(m_model, &EditorModel::readFailed, this, &GridEditor::tableUnreadable);
    QTimer::singleShot(kReadOnAfterMs, m_model, [model = m_model] { model->readRest(true); });
}

// The rest of the table cannot be read (a damaged page): the editor says so
// and closes, as it does not open on such a table.
void GridEditor::tableUnreadable()
{
    platform().message(QStringLiteral("Не удалось прочитать таблицу %1 базы данных %2: %3")
                           .arg(m_model->tableName(), QDir::toNativeSeparators(m_adodc.databasePath()),
                                m_model->lastError().text()));
    Screens::closeWindow(this);
}

// Another window may write to the file: the table is read to its end first.
void GridEditor::Form_Deactivate()
{
    if (m_ready && !m_model->readRest())
        tableUnreadable();
    RowEditor::Form_Deactivate();
}

// A file of an earlier version lacks the tables of the extra nutrients: an
// editor of one of them makes them now, as the start does, when the file
// takes them; otherwise m_error says why it cannot open.
bool GridEditor::extraTablesMade(const QString& table)
{
    const QList<Database::Table>& extra = Database::extraTables();
    if (std::ranges::find(extra, table, &Database::Table::name) == extra.end())
        return false;
    const QStringList present = m_adodc.database().tables();
    if (std::ranges::all_of(extra, [&](const Database::Table& t) { return present.contains(t.name, Qt::CaseInsensitive); }))
        return false;   // they are there; another fault
    bool readOnly = false;
    const QString why = Database::addExtraTablesIfMissing(m_adodc.databasePath(), &readOnly);
    if (why.isEmpty())
        return true;
    m_error = readOnly
        ? QStringLiteral("Файл базы данных %1 доступен только для чтения, а таблиц аминокислот и других показателей "
                         "в нем нет (это файл прежней версии программы): хранить их негде.")
              .arg(QDir::toNativeSeparators(m_adodc.databasePath()))
        : QStringLiteral("В базе данных %1 нет таблиц аминокислот и других показателей, и создать их не удалось: %2")
              .arg(QDir::toNativeSeparators(m_adodc.databasePath()), why);
    return false;
}

// A feed, a category or a code added elsewhere meanwhile can be chosen.
void GridEditor::Form_Activate()
{
    if (m_ready)
        m_model->loadChoices();
}

// The grid and its model go before the connection they use.
GridEditor::~GridEditor()
{
    delete m_grid;
    delete m_model;
}

void GridEditor::buildHeader(const Heading& heading)
{
    const QList<GridColumn>& columns = m_model->columns();
    const QFontMetrics fm = fontMetrics();
    int labelHeight = 0;
    for (int c = 0; c < columns.size(); ++c) {
        auto* label = new QLabel(columns.at(c).caption, m_header);
        m_model->setHeaderData(c, Qt::Horizontal, columns.at(c).caption);   // what a reader says of the column
        label->setObjectName(QStringLiteral("lblColumn(%1)").arg(c));
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        m_labels << label;
        const QRect r = fm.boundingRect(QRect(0, 0, m_grid->columnWidth(c) - 2, 1000),
                                        Qt::TextWordWrap | Qt::AlignHCenter, columns.at(c).caption);
        labelHeight = qMax(labelHeight, r.height());
    }
    int headingHeight = 0;
    if (heading.first >= 0) {
        m_heading = new QLabel(heading.text, m_header);
        m_heading->setObjectName(QStringLiteral("lblHeading"));
        m_heading->setAlignment(Qt::AlignCenter);
        headingHeight = fm.height() + 6;
    }
    m_header->setFixedHeight(headingHeight + labelHeight + 4);
}

void GridEditor::placeLabels()
{
    if (!m_ready)
        return;
    const int origin = m_grid->x() - m_header->x() + m_grid->viewport()->x();
    const int headingHeight = m_heading ? fontMetrics().height() + 6 : 0;
    const int labelHeight = m_header->height() - headingHeight - 2;
    QHeaderView* h = m_grid->horizontalHeader();
    for (int c = 0; c < m_labels.size(); ++c)
        m_labels.at(c)->setGeometry(origin + h->sectionViewportPosition(c) + 1, headingHeight,
                                    h->sectionSize(c) - 2, labelHeight);
    if (m_heading) {
        const int left = origin + h->sectionViewportPosition(m_headingSpan.first);
        const int right = origin + h->sectionViewportPosition(m_headingSpan.last)
            + h->sectionSize(m_headingSpan.last);
        m_heading->setGeometry(left, 0, right - left, headingHeight);
    }
}

QSize GridEditor::sizeHint() const
{
    if (!m_ready)
        return Form::sizeHint();
    int width = 0;
    for (int c = 0; c < m_model->columnCount(); ++c)
        width += m_grid->columnWidth(c);
    const int rowHeight = m_grid->verticalHeader()->defaultSectionSize();
    const QMargins margins = contentsMargins() + layout()->contentsMargins();
    width += m_grid->verticalHeader()->sizeHint().width() + 2 * m_grid->frameWidth()
        + m_grid->verticalScrollBar()->sizeHint().width() + margins.left() + margins.right();
    const int height = m_header->height() + 14 * rowHeight + 2 * m_grid->frameWidth() + 8
        + m_buttons->sizeHint().height() + margins.top() + margins.bottom();
    // Inside the frame a wider editor makes the frame grow (Screens::showChild).
    return {width, height};
}

QPushButton* GridEditor::addButton(const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

void GridEditor::addRow(QPushButton* button)
{
    if (!writePendingRow() || !m_model->appendRow())
        return;
    if (button)
        button->setEnabled(false);
    const QModelIndex first = m_model->index(m_model->rowCount() - 1, 0);
    m_grid->setCurrentIndex(first);
    m_grid->scrollTo(first);
    m_grid->setFocus();
}

void GridEditor::resizeEvent(QResizeEvent* event)
{
    Form::resizeEvent(event);
    placeLabels();
}
