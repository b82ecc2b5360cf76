#include "editors/frmCena.h"

#include "data/NumText.h"
#include "data/Prices.h"
#include "data/Statements.h"
#include "editors/ReferenceGrid.h"
#include "shell/MenuRules.h"
#include "shell/Platform.h"

#include <QAbstractTableModel>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace {

const QString kPriceCaption = QStringLiteral("Цена за 1 кг, руб.");
constexpr int kPriceWidth = 110;   // pixels at 8 pt, as every layout

} // namespace

// The editor's rows, held plainly so that the largest table opens at once
// (a price is put in words only when it is shown): each feed's name, its
// price as stored and as typed over it until written, and why a stored price
// is not used. Only the price is edited.
class CenaModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;
    struct Row {
        QString name;
        QVariant stored;               // as the table holds it
        std::optional<QString> typed;
        QString unused;
        QString storedText() const
        {
            const std::optional<double> price = NumText::variantNumber(stored);
            return price || stored.isNull() ? Prices::text(price) : NumText::variantText(stored);
        }
        QString text() const { return typed ? *typed : storedText(); }
        bool changed() const { return typed && *typed != storedText(); }
    };
    std::vector<Row> rows;

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(rows.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 2; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return {};
        const Row& r = rows[std::size_t(index.row())];
        const bool price = index.column() == 1;
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return price ? r.text() : r.name;
        case Qt::ToolTipRole:
            return price ? r.unused : r.name;
        case Qt::TextAlignmentRole:
            return price ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
        case Qt::BackgroundRole:   // the worksheet's light red
            return price && !r.unused.isEmpty() ? QVariant(QBrush(QColor(255, 192, 192))) : QVariant();
        default:
            return {};
        }
    }
    // A feed without a name cannot be looked up, so it takes no price.
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        const Qt::ItemFlags shown = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        return index.column() == 1 && !rows[std::size_t(index.row())].name.isEmpty() ? shown | Qt::ItemIsEditable : shown;
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (role != Qt::EditRole || index.column() != 1)
            return false;
        rows[std::size_t(index.row())].typed = value.toString();
        Q_EMIT dataChanged(index, index);
        return true;
    }
    // The row shows its stored price again, `stored` when given (just written).
    void showStored(int row, const std::optional<QVariant>& stored = std::nullopt)
    {
        Row& r = rows[std::size_t(row)];
        r.typed.reset();
        if (stored) {
            r.stored = *stored;
            r.unused.clear();
        }
        Q_EMIT dataChanged(index(row, 0), index(row, 1));
    }
};

namespace {

// Names are shown whole, up to a limit that keeps the editor within reach.
int nameWidth(const CenaModel& model, const QFontMetrics& fm)
{
    int widest = fm.horizontalAdvance(QStringLiteral("Наименование корма"));
    for (int r = 0; r < qMin(model.rowCount(), 2000); ++r)
        widest = qMax(widest, fm.horizontalAdvance(model.rows[std::size_t(r)].name));
    return qMin(widest + 12, Screens::scaled(460));
}

QString refused(const QString& feed, const QString& why)
{
    return QStringLiteral("Цена корма «%1» не записана: %2 Исправьте цену или нажмите Esc, "
                          "чтобы вернуть прежнюю.")
        .arg(feed, why);
}

} // namespace

frmCena::Check frmCena::checkPrice(const QString& feed, const QString& text)
{
    Check c;
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        c.ok = true;
        return c;
    }
    // A comma or a point, whatever the locale, as in the weight boxes.
    const std::optional<double> v = NumText::toDoubleLenient(QString(t).replace(QLatin1Char(','), QLatin1Char('.')));
    if (!v || !std::isfinite(*v)) {
        c.message = refused(feed, QStringLiteral("«%1» — не число. Введите цену 1 кг в рублях, например %2, "
                                                 "или оставьте графу пустой, если цены нет.")
                                      .arg(t, NumText::plain(14.5)));
    } else if (*v < 0) {
        c.message = refused(feed, QStringLiteral("цена не может быть отрицательной (введено «%1»).").arg(t));
    } else if (*v > Prices::kMax) {
        c.message = refused(feed, QStringLiteral("цена не может быть больше %1 руб. за 1 кг (введено «%2»).")
                                      .arg(NumText::plain(Prices::kMax), t));
    } else {
        c.ok = true;
        c.value = *v == 0 ? 0.0 : *v;   // never a negative zero
    }
    return c;
}

frmCena::frmCena(QWidget* parent)
    : Form(parent)
{
    setObjectName(QStringLiteral("frmCena"));
    setWindowTitle(QStringLiteral("Цены кормов"));
    if (!Adodc1.isOpen()) {
        m_error = Adodc1.lastError();
        return;
    }
    m_model = new CenaModel(this);
    if (!load())
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

    DataGrid1 = new DataGrid(this);
    DataGrid1->setModel(m_model);
    DataGrid1->horizontalHeader()->hide();
    DataGrid1->verticalHeader()->setDefaultSectionSize(DataGrid1->fontMetrics().height() + 6);
    DataGrid1->setColumnWidth(0, nameWidth(*m_model, DataGrid1->fontMetrics()));
    DataGrid1->setColumnWidth(1, qMax(Screens::scaled(kPriceWidth), fontMetrics().horizontalAdvance(kPriceCaption) + 8));

    cmdExit = new QPushButton(QStringLiteral("Закрыть"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdExit->setAutoDefault(false);
    // Beside the button: why the current row's stored price is not used.
    lblNote = new QLabel(this);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblNote->setWordWrap(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblNote, 1);
    buttons->addWidget(cmdExit);

    auto* layout = new QVBoxLayout(this);
    const int margin = Screens::scaled(6);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(0);
    layout->addWidget(m_header);
    layout->addWidget(DataGrid1, 1);
    layout->addSpacing(Screens::scaled(8));
    layout->addLayout(buttons);

    connect(m_model, &CenaModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) { onItemChanged(from.row(), to.column()); });
    connect(DataGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &frmCena::onCurrentRowChanged);
    connect(DataGrid1, &DataGrid::revertRowRequested, this, &frmCena::revertPendingRow);
    connect(DataGrid1->horizontalHeader(), &QHeaderView::sectionResized, this, &frmCena::placeLabels);
    connect(DataGrid1->horizontalScrollBar(), &QScrollBar::valueChanged, this, &frmCena::placeLabels);
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

// Every feed of basa with its price; feeds keep the order of their names.
// Read row by row into the editor's own rows, all at once, so that no
// statement stays open on the file.
bool frmCena::load()
{
    QSqlQuery q(Adodc1.database());
    q.setForwardOnly(true);
    bool ok = q.exec(Statements::cenaEditor);
    if (!ok) {
        // A file of an earlier version gains the table now, when it can.
        bool made = false;
        if (const QString missing = Prices::missingTable(Adodc1, &made); !missing.isEmpty()) {
            m_error = missing;
            return false;
        }
        ok = made && q.exec(Statements::cenaEditor);
    }
    while (ok && q.next()) {
        CenaModel::Row row;
        row.name = NumText::variantText(q.value(0));
        row.stored = q.value(1);
        // A stored price the worksheet does not use (another program's) is
        // shown as stored, with the reason.
        if (const QString why = Prices::refusal(row.stored); !why.isEmpty())
            row.unused = QStringLiteral("Записанная цена «%1» не используется: %2. В расчете у корма «%3» нет "
                                        "цены, пока ее не исправить или не очистить графу.")
                             .arg(row.storedText(), why, row.name);
        m_model->rows.push_back(std::move(row));
    }
    if (!ok || q.lastError().isValid()) {
        m_error = QStringLiteral("Не удалось прочитать цены кормов из базы данных %1. %2")
                      .arg(Adodc1.databasePath(), q.lastError().text());
        return false;
    }
    return true;
}

void frmCena::onItemChanged(int row, int column)
{
    if (column != 1 || m_writing)
        return;
    if (m_model->rows[std::size_t(row)].changed())
        m_pendingRow = row;
    else if (m_pendingRow == row)
        m_pendingRow = -1;
}

bool frmCena::writeRow(int row, QString* reason)
{
    const QString feed = m_model->rows[std::size_t(row)].name;
    const Check c = checkPrice(feed, m_model->rows[std::size_t(row)].text());
    if (!c.ok) {
        *reason = c.message;
        return false;
    }
    // One row per priced feed: the old rows of the name go, the new one comes,
    // together or not at all.
    QSqlDatabase db = Adodc1.database();
    QSqlQuery q(db);
    bool ok = db.transaction();
    ok = ok && q.prepare(QStringLiteral("Delete From cena Where basa_name_kormow = ?"));
    if (ok) {
        q.addBindValue(feed);
        ok = q.exec();
    }
    if (ok && c.value) {
        ok = q.prepare(QStringLiteral("Insert Into cena (basa_name_kormow, cena) Values (?, ?)"));
        q.addBindValue(feed);
        q.addBindValue(*c.value);
        ok = ok && q.exec();
    }
    if (ok)
        ok = db.commit();
    if (!ok) {
        const QString why = q.lastError().isValid() ? q.lastError().text() : db.lastError().text();
        db.rollback();
        *reason = QStringLiteral("Цена корма «%1» не записана: база данных ее не приняла (%2). Введенная цена "
                                 "осталась в таблице; повторите попытку позже или нажмите Esc, чтобы вернуть "
                                 "прежнюю.")
                      .arg(feed, why);
        return false;
    }
    // Every row of that name shows the price now stored.
    m_writing = true;
    for (int r = 0; r < m_model->rowCount(); ++r)
        if (m_model->rows[std::size_t(r)].name == feed)
            m_model->showStored(r, c.value ? QVariant(*c.value) : QVariant());
    m_writing = false;
    m_pendingRow = -1;
    lblNote->setText(DataGrid1->currentIndex().siblingAtColumn(1).data(Qt::ToolTipRole).toString());
    return true;
}

bool frmCena::writePendingRow()
{
    if (!m_ready)
        return true;
    DataGrid1->commitOpenEditor();
    if (m_pendingRow < 0)
        return true;
    QString reason;
    if (writeRow(m_pendingRow, &reason))
        return true;
    platform().message(reason);
    return false;
}

void frmCena::revertPendingRow()
{
    if (m_pendingRow < 0)
        return;
    const int row = m_pendingRow;
    m_pendingRow = -1;
    m_writing = true;
    m_model->showStored(row);
    m_writing = false;
}

void frmCena::onCurrentRowChanged(const QModelIndex& current, const QModelIndex& previous)
{
    lblNote->setText(current.siblingAtColumn(1).data(Qt::ToolTipRole).toString());
    if (m_pendingRow < 0 || !previous.isValid() || previous.row() != m_pendingRow
        || current.row() == m_pendingRow)
        return;
    QString reason;
    if (writeRow(m_pendingRow, &reason))
        return;
    platform().message(reason);
    DataGrid1->returnTo(previous);
}

// Another window became active: the price typed here is written before that
// window reads the prices (the worksheet reads them on its activation).
void frmCena::onDeactivated()
{
    if (!m_ready || m_closed || m_writing)
        return;
    DataGrid1->commitOpenEditor();
    if (m_pendingRow < 0)
        return;
    QString reason;
    if (writeRow(m_pendingRow, &reason))
        return;
    // Told once the other window's activation is over; the price stays here.
    QTimer::singleShot(0, this, [reason] { platform().message(reason); });
}

bool frmCena::event(QEvent* e)
{
    if (e->type() == QEvent::WindowDeactivate && isWindow())
        onDeactivated();
    return Form::event(e);
}

void frmCena::showEvent(QShowEvent* e)
{
    Form::showEvent(e);
    // Inside the frame the editor stops being active when its sub-window does,
    // which the sub-window says before the next one is reported active.
    if (QMdiSubWindow* sub = Screens::subWindowOf(this); sub && !m_watchingSubWindow) {
        m_watchingSubWindow = true;
        connect(sub, &QMdiSubWindow::windowStateChanged, this,
                [this](Qt::WindowStates before, Qt::WindowStates now) {
                    if ((before & Qt::WindowActive) && !(now & Qt::WindowActive))
                        onDeactivated();
                });
    }
    QTimer::singleShot(0, this, &frmCena::placeLabels);
    placeLabels();
}

void frmCena::closeEvent(QCloseEvent* e)
{
    if (m_closed) {
        e->accept();
        return;
    }
    if (!writePendingRow()) {
        e->ignore();
        return;
    }
    m_closed = true;
    menuRules().report(MenuEvent::CenaEditorClosed);
    e->accept();
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
