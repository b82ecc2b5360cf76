#include "wizard/frmBasa.h"

#include "data/Adodc.h"
#include "data/Database.h"
#include "data/RationState.h"
#include "data/NumText.h"
#include "data/mdlAddItem.h"
#include "editors/ReferenceGrid.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "shell/Platform.h"
#include "wizard/WizardWidgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QAbstractListModel>
#include <QScrollBar>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <limits>

namespace {

const char* const kStatement = "Select basa_name_kormow from basa order by 1";
constexpr int kFirstRows = 1000;    // the first screens of the list
constexpr int kPiece = 4000;        // then read on in pieces of this many
constexpr int kReadOnAfterMs = 100;

// Whether basa has no more rows than the program works with. Counting reads
// the whole table, so it is done only when the row ids, looked up at both
// ends, span more than the limit.
bool withinLimit(const QSqlDatabase& db)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("select (select min(rowid) from basa), (select max(rowid) from basa)")) || !q.next())
        return false;
    if (q.value(1).isNull() || quint64(q.value(1).toLongLong()) - quint64(q.value(0).toLongLong()) < Database::kMaxRecords)
        return true;
    return q.exec(QStringLiteral("select count(*) from basa")) && q.next() && q.value(0).toLongLong() <= Database::kMaxRecords;
}

QLabel* heading(QWidget* parent, const char* name, const QString& text, QRect r)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(r);
    return l;
}

} // namespace

// The names in the list of all feeds, held as one list of texts: tens of
// thousands of them are shown without an object for each. The first names
// are read as the screen opens and the rest piece by piece (read()), so the
// screen is shown at once even on the largest table.
class FeedNames : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    // Starts reading the names, all but those in `skip` (one entry each), in
    // the order of the statement; false when it cannot run.
    bool start(const QSqlDatabase& db, const QString& sql, QStringList skip)
    {
        m_query = QSqlQuery(db);
        m_query.setForwardOnly(true);
        m_skip = std::move(skip);
        return m_query.exec(sql);
    }
    bool reading() const { return m_query.isActive(); }
    // Reads on for at most `rows` rows; false when a row cannot be read.
    bool read(int rows)
    {
        QStringList piece;
        while (rows-- > 0 && m_query.next()) {
            const QString name = NumText::variantText(m_query.value(0));
            if (!m_skip.removeOne(name))
                piece << name;
        }
        const bool failed = m_query.lastError().isValid();
        if (rows >= 0 || failed)
            m_query = QSqlQuery();   // nothing stays open on the file
        if (!piece.isEmpty()) {
            beginInsertRows({}, int(m_names.size()), int(m_names.size() + piece.size() - 1));
            m_names += piece;
            endInsertRows();
        }
        return !failed;
    }

    const QStringList& names() const { return m_names; }
    void reset(QStringList names)
    {
        beginResetModel();
        m_names = std::move(names);
        endResetModel();
    }
    void insert(int at, const QString& name)
    {
        beginInsertRows({}, at, at);
        m_names.insert(at, name);
        endInsertRows();
    }
    void remove(int row)
    {
        beginRemoveRows({}, row, row);
        m_names.removeAt(row);
        endRemoveRows();
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_names.size()); }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_names.size() || (role != Qt::DisplayRole && role != Qt::EditRole))
            return {};
        return m_names.at(index.row());
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
    }

private:
    QStringList m_names;
    QSqlQuery m_query;
    QStringList m_skip;
};

namespace {

// Every entry of the list of all feeds takes the size of its widest name:
// the list lays out tens of thousands of names at once without measuring
// each, and no name is cut. The widest is found again as names come and go.
class WidestNameDelegate : public QStyledItemDelegate {
public:
    WidestNameDelegate(QListView* list, const FeedNames* model)
        : QStyledItemDelegate(list)
    {
        const auto names = [model](int first, int last) { return model->names().mid(first, last - first + 1); };
        QObject::connect(model, &QAbstractItemModel::rowsInserted, list,
                         [this, list, names](const QModelIndex&, int first, int last) {
                             m_widest = widestText(list->fontMetrics(), names(first, last) << m_widest);
                         });
        QObject::connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, list,
                         [this, names](const QModelIndex&, int first, int last) {
                             m_widestLeaves = names(first, last).contains(m_widest);
                         });
        const auto findAgain = [this, list, model] { m_widest = widestText(list->fontMetrics(), model->names()); };
        QObject::connect(model, &QAbstractItemModel::rowsRemoved, list, [this, findAgain] {
            if (m_widestLeaves)
                findAgain();
            m_widestLeaves = false;
        });
        QObject::connect(model, &QAbstractItemModel::modelReset, list, findAgain);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        opt.text = m_widest;
        const QWidget* w = option.widget;
        return (w ? w->style() : QApplication::style())->sizeFromContents(QStyle::CT_ItemViewItem, &opt, QSize(), w);
    }

private:
    QString m_widest;
    bool m_widestLeaves = false;
};

template<class List>
List* feedList(QWidget* parent, const char* name, QRect r, const QString& tip)
{
    auto* list = new List(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setGeometry(r);
    list->setToolTip(tip);
    return list;
}

QString selectedText(const QListView* list)
{
    const QModelIndex current = list->currentIndex();
    return current.isValid() && list->selectionModel()->isSelected(current) ? current.data().toString() : QString();
}

// After a move nothing is selected in either list (a list selects the entry
// after one taken out of it), so another click of an arrow moves nothing.
void clearChoice(QListView* a, QListView* b)
{
    for (QListView* list : {a, b})
        list->selectionModel()->clear();
}

} // namespace

frmBasa::frmBasa(QWidget* parent)
    : Form(parent)
    , Adodc1(std::make_unique<Adodc>())
{
    setObjectName(QStringLiteral("frmBasa"));
    setWindowTitle(QStringLiteral("Выбор кормов"));

    // Both lists are wider than 3015 twips so the longest feed names fit; the
    // arrows and the right-hand column move right with them.
    QLabel* basaLabel = heading(this, "Label3", QStringLiteral("База данных по &кормам"), Wizard::twips(120, 120, 4650, 300));
    lstBasa = feedList<QListView>(this, "lstBasa", Wizard::twips(120, 480, 4650, 7470),
                                  QStringLiteral("Список кормов, доступных для рассчета рациона"));
    m_basa = new FeedNames(lstBasa);
    lstBasa->setModel(m_basa);
    lstBasa->setItemDelegate(new WidestNameDelegate(lstBasa, m_basa));
    lstBasa->setUniformItemSizes(true);
    basaLabel->setBuddy(lstBasa);
    lstBasa->setAccessibleName(QStringLiteral("База данных по кормам"));

    lblWibrat = Wizard::button(this, "lblWibrat", QStringLiteral("> > >"), Wizard::twips(4890, 1320, 855, 375));
    lblUdalit = Wizard::button(this, "lblUdalit", QStringLiteral("< < <"), Wizard::twips(4890, 1920, 855, 495));
    lblWibrat->setAccessibleName(QStringLiteral("Перенести в выбранные"));
    lblUdalit->setAccessibleName(QStringLiteral("Убрать из выбранных"));
    for (QPushButton* arrow : {lblWibrat, lblUdalit}) {
        QFont f = arrow->font();
        f.setBold(true);
        arrow->setFont(f);
    }

    QLabel* wiborLabel = heading(this, "Label4", QStringLiteral("&Выбранные корма"), Wizard::twips(5880, 120, 4650, 300));
    lstWibor = feedList<QListWidget>(this, "lstWibor", Wizard::twips(5880, 480, 4650, 2460), QStringLiteral("Выбранные корма"));
    wiborLabel->setBuddy(lstWibor);
    Wizard::showNamesWhole(lstWibor);
    lstWibor->setAccessibleName(QStringLiteral("Выбранные корма"));

    auto* label5 = heading(this, "Label5",
        QStringLiteral("В столбце с лева выберите имеющийся у Вас корм и двойным кликом на выбранном корме или "
                       "нажатием стрелки направо перенесите его в правый столбец, и так пока не выберете все "
                       "имеющиеся у Вас корма, но не более 10.  При неправильном выборе, отметье ошибочный корм "
                       "в правом столбце и нажатием стрелки влево (или двойным кликом) удалите его из выбранного "
                       "корма. После выбора всех кормов нажмите кнопку \"Далее\""),
        Wizard::twips(5880, 3840, 4950, 2900));
    label5->setWordWrap(true);
    label5->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    cmdNasad = Wizard::button(this, "cmdNasad", QStringLiteral("&Назад"), Wizard::twips(7680, 8040, 975, 375));
    cmdDalee = Wizard::button(this, "cmdDalee", QStringLiteral("&Далее"), Wizard::twips(8760, 8040, 915, 375));
    cmdDalee->setEnabled(false);
    cmdExit = Wizard::button(this, "cmdExit", QStringLiteral("&Закрыть"), Wizard::twips(9720, 8040, 1035, 375));

    setFixedSize(Wizard::twips(0, 0, 10875, 8580).size());

    lstBasa->installEventFilter(this);
    lstBasa->viewport()->installEventFilter(this);
    lstBasa->verticalScrollBar()->installEventFilter(this);
    lstBasa->horizontalScrollBar()->installEventFilter(this);
    lstWibor->installEventFilter(this);
    connect(lblWibrat, &QPushButton::clicked, this, &frmBasa::lblWibrat_Click);
    connect(lstBasa, &QListView::doubleClicked, this, &frmBasa::lblWibrat_Click);
    connect(lblUdalit, &QPushButton::clicked, this, &frmBasa::lblUdalit_Click);
    connect(lstWibor, &QListWidget::itemDoubleClicked, this, &frmBasa::lblUdalit_Click);
    connect(cmdDalee, &QPushButton::clicked, this, &frmBasa::cmdDalee_Click);
    connect(cmdNasad, &QPushButton::clicked, this, &frmBasa::cmdNasad_Click);
    connect(cmdExit, &QPushButton::clicked, this, [this] { Wizard::closeScreen(this); });

    Form_Load();
}

frmBasa::~frmBasa() = default;

void frmBasa::Form_Load()
{
    const RationState& s = ration();
    if (s.bNazad)
        for (int i = 0; i < s.feedCount(); ++i)
            lstWibor->addItem(s.sKorm[i]);
    // Within the limit the first names are read now and the rest while the
    // user looks at them (from the first touch of the list on, at once). A
    // table over the limit, or one that cannot be read, takes the whole read,
    // which says why.
    QStringList chosen;
    for (int i = 0; i < lstWibor->count(); ++i)
        chosen << lstWibor->item(i)->text();
    const bool quick = withinLimit(Adodc1->database())
                       && m_basa->start(Adodc1->database(), QString::fromLatin1(kStatement), chosen)
                       && m_basa->read(kFirstRows);
    menuRules().report(MenuEvent::BasaLoaded);
    if (!quick)
        readAll();
    else if (m_basa->reading())
        QTimer::singleShot(kReadOnAfterMs, m_basa, [this] { readOn(); });
    if (lstWibor->count() > 0)
        cmdDalee->setEnabled(true);
}

void frmBasa::readAll()
{
    // Only the names are shown: only they are read.
    Adodc1->setRecordSource(QString::fromLatin1(kStatement));
    if (!Adodc1->Refresh()) {
        platform().message(Adodc1->lastError());
    } else {
        QStringList names;
        const mdlAddItem::Result r = mdlAddItem::ZapolnitSpisok(*Adodc1, names);
        if (!r.ok)
            platform().message(r.error);
        // No feed stands in both lists.
        for (int i = 0; i < lstWibor->count(); ++i)
            if (const qsizetype k = names.indexOf(lstWibor->item(i)->text()); k >= 0)
                names.removeAt(k);
        m_basa->reset(std::move(names));
    }
}

void frmBasa::readOn()
{
    if (!m_basa->reading())
        return;
    if (!m_basa->read(kPiece))
        readAll();
    else if (m_basa->reading())
        QTimer::singleShot(0, m_basa, [this] { readOn(); });
}

void frmBasa::readRest()
{
    // A piece that cannot be read leaves no part of the table passed off as
    // the whole: the whole read then lists all or says why it cannot.
    if (m_basa->reading() && !m_basa->read(std::numeric_limits<int>::max()))
        readAll();
}

void frmBasa::Form_Deactivate()
{
    // Another screen may write to the file: the statement does not stay open.
    readRest();
}

void frmBasa::lblWibrat_Click()
{
    readRest();
    if (lstWibor->count() >= kMaxChosen) {
        platform().message(QStringLiteral("Извените, не больше 10 видов кормов"));
        return;
    }
    const QString name = selectedText(lstBasa);
    if (name.isEmpty())
        return;
    lstWibor->addItem(name);
    m_basa->remove(lstBasa->currentIndex().row());
    // A feed added after a return has no saved weight: it starts at 0 rather
    // than taking a weight left in that slot by an earlier worksheet.
    if (ration().bNazad)
        ration().SaveWes[lstWibor->count() - 1] = Fixed4();
    clearChoice(lstBasa, lstWibor);
    cmdDalee->setEnabled(true);
}

void frmBasa::lblUdalit_Click()
{
    readRest();
    const QString name = selectedText(lstWibor);
    if (name.isEmpty())
        return;
    // Back into the left list at its place in the statement's order (by code
    // point, as "order by 1" sorts the names).
    const QStringList& all = m_basa->names();
    int at = 0;
    while (at < all.size() && all.at(at) < name)
        ++at;
    m_basa->insert(at, name);

    const int r = lstWibor->currentRow();
    delete lstWibor->takeItem(r);
    const int n = lstWibor->count();

    // The saved weights keep step with the list.
    RationState& s = ration();
    for (int k = 0; k < s.feedCount(); ++k) {
        if (k < r)
            continue;
        if (k == n)
            s.SaveWes[k] = Fixed4();
        else
            s.SaveWes[k] = k + 1 < RationState::kMaxFeeds ? s.SaveWes[k + 1] : Fixed4();
    }
    clearChoice(lstBasa, lstWibor);
    if (n == 0)
        cmdDalee->setEnabled(false);
}

void frmBasa::listNewFeeds(const QStringList& names)
{
    for (QWidget* w : QApplication::allWidgets())
        if (auto* basa = qobject_cast<frmBasa*>(w); basa && !names.isEmpty()) {
            basa->readRest();
            for (const QString& name : names) {
                const QStringList& all = basa->m_basa->names();
                const QByteArray key = name.toUtf8();
                int at = 0;
                while (at < all.size() && all.at(at).toUtf8() < key)
                    ++at;
                basa->m_basa->insert(at, name);
            }
        }
}

void frmBasa::copyChoice()
{
    RationState& s = ration();
    for (int i = 0; i < lstWibor->count() && i < RationState::kMaxFeeds; ++i)
        s.sKorm[i] = lstWibor->item(i)->text();
}

void frmBasa::leave(bool forward)
{
    copyChoice();
    // The count goes with the names, either way: a shorter list must not
    // bring back a stale name from beyond it on the next visit.
    ration().iMaxKorm = std::int16_t(lstWibor->count() - 1);
    m_goingOn = true;
    Wizard::closeScreen(this);
    if (forward)
        Navigation::showRacion();
    else
        Navigation::showKurwi();
}

void frmBasa::cmdDalee_Click() { leave(true); }
void frmBasa::cmdNasad_Click() { leave(false); }

bool frmBasa::eventFilter(QObject* watched, QEvent* event)
{
    // The list touched (a key, a click, the wheel, its scroll bars): every
    // name is there for it, the last for End and each for type-to-search.
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick
         || type == QEvent::Wheel)
        && (watched == lstBasa || watched == lstBasa->viewport() || watched == lstBasa->verticalScrollBar()
            || watched == lstBasa->horizontalScrollBar()))
        readRest();
    // The mouse resting on a feed shows its whole name.
    if (event->type() == QEvent::ToolTip && watched == lstBasa->viewport()) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (const QModelIndex index = lstBasa->indexAt(help->pos()); index.isValid()) {
            QToolTip::showText(help->globalPos(), index.data().toString(), lstBasa->viewport(), lstBasa->visualRect(index));
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress && (watched == lstBasa || watched == lstWibor)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (key->modifiers() & ~Qt::KeypadModifier)
            return Form::eventFilter(watched, event);
        if (watched == lstBasa && (enter || key->key() == Qt::Key_Right)) {
            lblWibrat_Click();
            return true;
        }
        if (watched == lstWibor && (enter || key->key() == Qt::Key_Left)) {
            lblUdalit_Click();
            return true;
        }
    }
    return Form::eventFilter(watched, event);
}

void frmBasa::closeEvent(QCloseEvent* e)
{
    // Closed any way but "Далее" or "Назад", the screen ends the calculation:
    // weights kept by the worksheet's "Назад" are asked about first.
    if (!m_goingOn && !Navigation::settleUnsavedWork()) {
        e->ignore();
        return;
    }
    menuRules().report(MenuEvent::BasaClosed);
    Form::closeEvent(e);
}
