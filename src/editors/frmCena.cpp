#include "editors/frmCena.h"

#include "data/NumText.h"
#include "editors/EditorRules.h"

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

namespace {

const QString kPriceCaption = QStringLiteral("Цена за 1 кг, руб.");
constexpr int kPriceWidth = 110;   // pixels at 8 pt, as every layout

} // namespace

// The editor's rows, held plainly so that the largest table opens at once
// (a price is put in words only when it is shown): each feed's name and its
// price as stored, and the price typed over one row until it is written.
// Only the price is edited, one row at a time: another row takes no edit
// while one is pending.
class CenaModel : public QAbstractTableModel, public PendingRows {
public:
    CenaModel(ReferenceData& data, QObject* parent)
        : QAbstractTableModel(parent)
        , m_data(data)
    {
    }
    std::vector<PricedFeed> rows;

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(rows.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 2; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return {};
        const PricedFeed& r = rows[std::size_t(index.row())];
        const bool price = index.column() == 1;
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return price ? text(index.row()) : r.name;
        case Qt::ToolTipRole:
            return price ? unused(r) : r.name;
        case Qt::TextAlignmentRole:
            return price ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
        case Qt::BackgroundRole:   // the worksheet's light red
            return price && !r.price.refusal.isEmpty() ? QVariant(QBrush(QColor(255, 192, 192))) : QVariant();
        default:
            return {};
        }
    }
    // The columns by their captions (the grid's header is hidden; a reader says them).
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return section == 0 ? QStringLiteral("Наименование корма") : kPriceCaption;
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    // A feed without a name cannot be looked up, so it takes no price.
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        const Qt::ItemFlags shown = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        return index.column() == 1 && !rows[std::size_t(index.row())].name.isEmpty() ? shown | Qt::ItemIsEditable : shown;
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (role != Qt::EditRole || index.column() != 1 || (m_pending >= 0 && m_pending != index.row()))
            return false;
        m_typed = value.toString();
        m_pending = m_typed != rows[std::size_t(index.row())].price.shown() ? index.row() : -1;
        Q_EMIT dataChanged(index, index);
        return true;
    }

    int pendingRow() const override { return m_pending; }
    bool writePending(QString* reason) override
    {
        if (m_pending < 0)
            return true;
        const QString feed = rows[std::size_t(m_pending)].name;
        const EditorRules::Check c = EditorRules::price(feed, m_typed);
        if (!c.ok) {
            *reason = c.message;
            return false;
        }
        const std::optional<double> price = c.value.isNull() ? std::nullopt : std::optional(c.value.toDouble());
        if (const QString why = m_data.storePrice(feed, price); !why.isEmpty()) {
            *reason = QStringLiteral("Цена корма «%1» не записана: база данных ее не приняла (%2). Введенная цена "
                                     "осталась в таблице; повторите попытку позже или нажмите Esc, чтобы вернуть "
                                     "прежнюю.")
                          .arg(feed, why);
            return false;
        }
        m_pending = -1;
        // Every row of that name shows the price now stored.
        const Prices::Price stored = Prices::Price::of(price ? QVariant(*price) : QVariant());
        for (std::size_t r = 0; r < rows.size(); ++r) {
            if (rows[r].name == feed) {
                rows[r].price = stored;
                Q_EMIT dataChanged(index(int(r), 0), index(int(r), 1));
            }
        }
        return true;
    }
    void revertPending() override
    {
        if (m_pending < 0)
            return;
        const int row = m_pending;
        m_pending = -1;
        Q_EMIT dataChanged(index(row, 0), index(row, 1));
    }

private:
    QString text(int row) const { return row == m_pending ? m_typed : rows[std::size_t(row)].price.shown(); }
    // Why a stored price is not used (another program's), beside the button.
    static QString unused(const PricedFeed& r)
    {
        if (r.price.refusal.isEmpty())
            return QString();
        return QStringLiteral("Записанная цена «%1» не используется: %2. В расчете у корма «%3» нет цены, пока ее "
                              "не исправить или не очистить графу.")
            .arg(r.price.shown(), r.price.refusal, r.name);
    }

    ReferenceData& m_data;
    int m_pending = -1;
    QString m_typed;
};

namespace {

// Names are shown whole, up to a limit that keeps the editor within reach.
int nameWidth(const CenaModel& model, const QFontMetrics& fm)
{
    QStringList names{QStringLiteral("Наименование корма")};
    for (int r = 0; r < qMin(model.rowCount(), 2000); ++r)
        names << model.rows[std::size_t(r)].name;
    return qMin(fm.horizontalAdvance(widestText(fm, names)) + 12, Screens::scaled(460));
}

} // namespace

frmCena::frmCena(QWidget* parent)
    : RowEditor(MenuEvent::CenaEditorClosed, parent)
{
    setObjectName(QStringLiteral("frmCena"));
    setWindowTitle(QStringLiteral("Цены кормов"));
    if (!m_data.isOpen()) {
        m_error = m_data.lastError();
        return;
    }
    m_model = new CenaModel(m_data, this);
    m_error = m_data.priceList(m_model->rows);
    if (!m_error.isEmpty())
        return;

    // Labels above the columns stand for the grid's own header, as in the
    // other editors.
    m_header = new QWidget(this);
    m_labels[0] = new QLabel(QStringLiteral("Наименование корма"), m_header);
    m_labels[1] = new QLabel(kPriceCaption, m_header);
    for (int c = 0; c < 2; ++c) {
        m_labels[c]->setObjectName(QStringLiteral("lblColumn(%1)").arg(c));
        m_labels[c]->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    }
    m_header->setFixedHeight(fontMetrics().height() + 6);

    DataGrid1 = makeGrid(m_model);
    DataGrid1->setColumnWidth(0, nameWidth(*m_model, DataGrid1->fontMetrics()));
    DataGrid1->setColumnWidth(1, qMax(Screens::scaled(kPriceWidth), fontMetrics().horizontalAdvance(kPriceCaption) + 8));

    cmdExit = new QPushButton(QStringLiteral("&Закрыть"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdExit->setAutoDefault(false);
    // Beside the button: why the current row's stored price is not used.
    lblNote = new QLabel(this);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblNote->setWordWrap(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblNote, 1);
    buttons->addWidget(cmdExit);

    lay(m_header, DataGrid1, m_model, buttons);
    connect(DataGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &frmCena::showNote);
    connect(m_model, &CenaModel::dataChanged, this, &frmCena::showNote);
    connect(cmdExit, &QPushButton::clicked, this, [this] { Screens::closeWindow(this); });

    if (m_model->rowCount() > 0)
        DataGrid1->setCurrentIndex(m_model->index(0, 1));
    m_ready = true;
}

frmCena::~frmCena()
{
    delete DataGrid1;
    delete m_model;
}

void frmCena::showNote()
{
    lblNote->setText(DataGrid1->currentIndex().siblingAtColumn(1).data(Qt::ToolTipRole).toString());
}

void frmCena::placeLabels()
{
    if (!m_ready)
        return;
    const int origin = DataGrid1->x() - m_header->x() + DataGrid1->viewport()->x();
    QHeaderView* h = DataGrid1->horizontalHeader();
    for (int c = 0; c < 2; ++c)
        m_labels[c]->setGeometry(origin + h->sectionViewportPosition(c) + 1, 0, h->sectionSize(c) - 2,
                                 m_header->height());
}

QSize frmCena::sizeHint() const
{
    if (!m_ready)
        return Form::sizeHint();
    const QMargins margins = contentsMargins() + layout()->contentsMargins();
    const int width = DataGrid1->columnWidth(0) + DataGrid1->columnWidth(1)
        + DataGrid1->verticalHeader()->sizeHint().width() + 2 * DataGrid1->frameWidth()
        + DataGrid1->verticalScrollBar()->sizeHint().width() + margins.left() + margins.right();
    const int height = m_header->height() + 16 * DataGrid1->verticalHeader()->defaultSectionSize()
        + 2 * DataGrid1->frameWidth() + Screens::scaled(8) + cmdExit->sizeHint().height() + margins.top() + margins.bottom();
    return {width, height};
}
