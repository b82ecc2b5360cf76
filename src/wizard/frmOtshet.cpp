#include "wizard/frmOtshet.h"

#include "data/NumText.h"
#include "data/RationState.h"
#include "data/ReferenceData.h"
#include "engine/RacionSheet.h"
#include "engine/mdlRashet.h"
#include "files/BatchSheet.h"
#include "files/TextReport.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "shell/Platform.h"
#include "wizard/ExtraSection.h"
#include "wizard/WizardWidgets.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QSettings>
#include <QTableWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>
#include <cmath>

namespace {

const QString kDigits = QStringLiteral("1234567890");

// The sheet at 8 pt: its height, the buttons' top, and where the list of the
// extra nutrients begins; the list pushes the buttons down and the sheet grows.
constexpr int kHeight = 540;
constexpr int kButtonsTop = 500;
constexpr int kDopTop = 494;

// The quantity is a 16-bit number: digits only, at most 32 767. A paste of
// anything else is refused as a whole, so the box never holds a quantity
// that cannot be stored.
class QuantityValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        for (QChar c : input)
            if (!kDigits.contains(c))
                return Invalid;
        if (input.isEmpty())
            return Acceptable;
        bool ok = false;
        const int v = input.toInt(&ok);
        return ok && v <= 32767 ? Acceptable : Invalid;
    }
};

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& geometry)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(Screens::scaled(geometry));
    return l;
}

const QString kBatchesKey = QStringLiteral("report/batches");

QVariantMap& batchChoices()
{
    if (!frmOtshet::batchChoices)
        frmOtshet::batchChoices = QCoreApplication::organizationName().isEmpty()
                                      ? QVariantMap() : QSettings().value(kBatchesKey).toMap();
    return *frmOtshet::batchChoices;
}

QString recalled(const QString& key, const QString& fallback = {})
{
    return batchChoices().value(key, fallback).toString();
}

void remember(const QString& key, const QString& value)
{
    batchChoices().insert(key, value);
    if (!QCoreApplication::organizationName().isEmpty())
        QSettings().setValue(kBatchesKey, batchChoices());
}

QString stepKey(const QString& group)
{
    return QStringLiteral("step:") + group;
}

// Kilograms as typed (a point or a comma), to the gram and above 0.
bool kilograms(const QString& text)
{
    const std::optional<double> v = NumText::toDoubleLenient(text);
    return v && Batches::gramsOf(*v);
}

// A read-only grid as tall as its rows.
void fitGrid(QTableWidget* grid)
{
    grid->resizeColumnsToContents();
    int height = 2 * grid->frameWidth() + grid->horizontalHeader()->height();
    for (int r = 0; r < grid->rowCount(); ++r)
        height += grid->rowHeight(r);
    grid->resize(grid->width(), height);
}

} // namespace

frmOtshet::frmOtshet(QWidget* parent)
    : Form(parent)
{
    setObjectName(QStringLiteral("frmOtshet"));
    setWindowTitle(QStringLiteral("Лист отчета"));
    buildControls();

    // Loading: the quantity of the previous use comes back ("0" on the first
    // opening of a run, which the change handling turns into "1").
    connect(Text1, &QLineEdit::textChanged, this, &frmOtshet::Text1_Change);
    Text1->setText(QString::number(iKolGolov));
    menuRules().report(MenuEvent::OtshetLoaded);
}

frmOtshet::~frmOtshet() = default;

// Positions are pixels at 8 pt, scaled to the application's font.
void frmOtshet::buildControls()
{
    setFixedSize(Screens::scaled(QSize(720, kHeight)));
    QFont bold = font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() + 1);

    Label1 = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("Рацион для кормления"), {16, 12, 190, 24});
    Label1->setFont(bold);
    Label3 = makeLabel(this, QStringLiteral("Label3"), QString(), {210, 12, 494, 24});
    Label3->setFont(bold);

    Text1 = new QLineEdit(QStringLiteral("1"), this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(Screens::scaled(QRect(16, 46, 80, 24)));
    Text1->setMaxLength(5);
    Text1->setValidator(new QuantityValidator(Text1));
    Text1->installEventFilter(this);
    Label2 = makeLabel(this, QStringLiteral("Label2"), QStringLiteral("едениц(цы)"), {104, 48, 160, 20});
    Label2->setBuddy(Text1);   // its unit, which the report writes as shown: no underlined letter
    Text1->setAccessibleName(QStringLiteral("Количество: голов птицы или тонн комбикорма"));

    // The ration's cost, in the column of the feeds' costs below.
    Label12 = makeLabel(this, QStringLiteral("Label12"), QString(), {270, 48, 314, 20});
    Label12->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblCenaItog = makeLabel(this, QStringLiteral("lblCenaItog"), QString(), {590, 46, 114, 22});
    lblCenaItog->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lblCenaItog->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblCenaItog->setFont(bold);

    Label4 = makeLabel(this, QStringLiteral("Label4"), QStringLiteral("Суточная потребность птицы в O/Э:"),
                       {16, 80, 250, 20});
    Label6 = makeLabel(this, QStringLiteral("Label6"), QString(), {268, 80, 70, 20});
    Label7 = makeLabel(this, QStringLiteral("Label7"), QStringLiteral("ккалл"), {342, 80, 60, 20});

    Label5 = makeLabel(this, QStringLiteral("Label5"), QString(), {16, 108, 688, 68});
    Label5->setWordWrap(true);
    Label5->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    for (int i = 0; i < 10; ++i) {
        const int y = 178 + 27 * i;
        lbl_1[i] = makeLabel(this, QStringLiteral("lbl_1(%1)").arg(i), QString(), {16, y, 380, 22});
        lblWes[i] = makeLabel(this, QStringLiteral("lblWes(%1)").arg(i), QString(), {404, y, 110, 22});
        lblWes[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        lblWes[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        lblGramm[i] = makeLabel(this, QStringLiteral("lblGramm(%1)").arg(i), QStringLiteral("грамм"), {522, y, 60, 22});
        lblCena[i] = makeLabel(this, QStringLiteral("lblCena(%1)").arg(i), QString(), {590, y, 114, 22});
        lblCena[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        lblCena[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        lblCena[i]->setToolTip(QStringLiteral("Стоимость, руб."));
        for (QLabel* l : {lbl_1[i], lblWes[i], lblGramm[i], lblCena[i]})
            l->hide();
    }

    Label10 = makeLabel(this, QStringLiteral("Label10"), QStringLiteral("Рекомендуемая суточная норма дачи комбикорма"),
                        {16, 452, 380, 38});
    Label10->setWordWrap(true);
    Label10->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblObqiWes = makeLabel(this, QStringLiteral("lblObqiWes"), QString(), {404, 460, 110, 22});
    lblObqiWes->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lblObqiWes->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblObqiWes->setFont(bold);
    Label11 = makeLabel(this, QStringLiteral("Label11"), QStringLiteral("грамм"), {522, 460, 60, 22});
    lblDop = makeLabel(this, QStringLiteral("lblDop"), QString(), {16, kDopTop, 688, 0});
    lblDop->setWordWrap(true);
    lblDop->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDop->hide();

    buildBatchControls();

    cmdNazad = Wizard::button(this, "cmdNazad", QStringLiteral("&Назад"), Screens::scaled(QRect(504, kButtonsTop, 96, 28)));
    Command1 = Wizard::button(this, "Command1", QStringLiteral("&Закрыть"), Screens::scaled(QRect(608, kButtonsTop, 96, 28)));
    connect(cmdNazad, &QPushButton::clicked, this, &frmOtshet::cmdNazad_Click);
    connect(Command1, &QPushButton::clicked, this, &frmOtshet::Command1_Click);
}

// The batch sheet's controls, made before the sheet's buttons so that Tab
// meets them in the order they are shown.
void frmOtshet::buildBatchControls()
{
    lblEmkost = makeLabel(this, QStringLiteral("lblEmkost"), QStringLiteral("&Емкость смесителя, кг:"), {16, kDopTop, 190, 24});
    txtEmkost = new QLineEdit(recalled(QStringLiteral("capacity")), this);
    txtEmkost->setObjectName(QStringLiteral("txtEmkost"));
    txtEmkost->setGeometry(Screens::scaled(QRect(210, kDopTop, 80, 24)));
    lblEmkost->setBuddy(txtEmkost);
    cmdZamesy = Wizard::button(this, "cmdZamesy", QStringLiteral("Разбить на за&месы"),
                               Screens::scaled(QRect(300, kDopTop - 2, 196, 28)));
    cmdSaveZamesy = Wizard::button(this, "cmdSaveZamesy", QStringLiteral("&Сохранить замесы..."),
                                   Screens::scaled(QRect(504, kDopTop - 2, 200, 28)));
    lblShag = makeLabel(this, QStringLiteral("lblShag"), QStringLiteral("&Шаг весов, кг:"), {16, kDopTop + 32, 190, 24});
    txtShag = new QLineEdit(this);
    txtShag->setObjectName(QStringLiteral("txtShag"));
    txtShag->setGeometry(Screens::scaled(QRect(210, kDopTop + 32, 80, 24)));
    lblShag->setBuddy(txtShag);
    lblGruppa = makeLabel(this, QStringLiteral("lblGruppa"), QStringLiteral("для &группы"), {300, kDopTop + 32, 90, 24});
    cboGruppa = new QComboBox(this);
    cboGruppa->setObjectName(QStringLiteral("cboGruppa"));
    cboGruppa->setGeometry(Screens::scaled(QRect(392, kDopTop + 32, 312, 24)));
    lblGruppa->setBuddy(cboGruppa);
    lblZamesy = makeLabel(this, QStringLiteral("lblZamesy"), QString(), {16, kDopTop + 64, 688, 22});
    lblZamesy->setFont(Label1->font());
    grdZamesy = new QTableWidget(this);
    grdZamesy->setObjectName(QStringLiteral("grdZamesy"));
    grdZamesy->setAccessibleName(QStringLiteral("Корма на замес"));
    lblOtklon = makeLabel(this, QStringLiteral("lblOtklon"), QStringLiteral("Отклонение замеса от рецепта, %"), {16, 0, 688, 20});
    grdOtklon = new QTableWidget(1, Nutrients::kCount, this);
    grdOtklon->setObjectName(QStringLiteral("grdOtklon"));
    grdOtklon->setAccessibleName(lblOtklon->text());
    grdOtklon->setHorizontalHeaderLabels(Nutrients::forms(&Nutrients::Nutrient::report));
    for (QTableWidget* g : {grdZamesy, grdOtklon}) {
        g->setEditTriggers(QAbstractItemView::NoEditTriggers);
        g->setFocusPolicy(Qt::NoFocus);   // read-only figures: Tab goes from the boxes to the buttons
        g->verticalHeader()->hide();
        g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        g->setGeometry(Screens::scaled(QRect(16, 0, 688, 60)));
    }
    grdOtklon->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    lblZamesyNote = makeLabel(this, QStringLiteral("lblZamesyNote"), QString(), {16, 0, 688, 0});
    lblZamesyNote->setWordWrap(true);
    connect(cmdZamesy, &QPushButton::clicked, this, &frmOtshet::cmdZamesy_Click);
    connect(cmdSaveZamesy, &QPushButton::clicked, this, [] { Navigation::writeBatches(); });
    connect(cboGruppa, &QComboBox::currentIndexChanged, this, &frmOtshet::cboGruppa_Change);
}

int frmOtshet::Only_Number(int theParam)
{
    if (theParam == 8 || (theParam > 0 && kDigits.contains(QChar(theParam))))
        return theParam;
    return 0;
}

bool frmOtshet::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == Text1 && e->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(e);
        // Keys that type a character go through the filter; moving, deleting
        // and the clipboard keys do not type one (a paste is checked by the
        // box's validator).
        const QString t = k->text();
        if (!t.isEmpty() && t.at(0).unicode() >= 32 && Only_Number(t.at(0).unicode()) == 0)
            return true;
    }
    return Form::eventFilter(watched, e);
}

std::optional<double> frmOtshet::weight(int i) const
{
    const RacionSheet* w = Navigation::racion();
    return w ? NumText::toDouble(w->weightText(i)) : std::nullopt;
}

std::optional<double> frmOtshet::energy() const
{
    const RacionSheet* w = Navigation::racion();
    return w ? NumText::toDouble(w->sumCaption(0)) : std::nullopt;
}

TextReport::Captions frmOtshet::captions() const
{
    TextReport::Captions c;
    c.Label6 = Label6->text();
    c.Label1 = Label1->text();
    c.Label3 = Label3->text();
    c.Text1 = Text1->text();
    c.Label2 = Label2->text();
    for (int i = 0; i < ration().feedCount(); ++i) {
        c.lbl_1 << lbl_1[i]->text();
        c.lblWes << lblWes[i]->text();
        c.lblGramm << lblGramm[i]->text();
        c.lblCena << lblCena[i]->text();
    }
    c.Label12 = Label12->text();
    c.lblCenaItog = lblCenaItog->text();
    c.Label10 = Label10->text();
    c.lblObqiWes = lblObqiWes->text();
    if (const RacionSheet* w = Navigation::racion())
        for (int k = 0; k < 8; ++k)
            c.lblProcent[k] = w->procentCaption(k);
    return c;
}

void frmOtshet::Form_Activate()
{
    recalculate();
}

// Rebuilds every caption from the worksheet and the ration state. An amount
// that cannot be computed (no energy in the mix, a weight or requirement that
// is not a number) shows as "—", never as a made-up number.
void frmOtshet::recalculate()
{
    menuRules().report(MenuEvent::OtshetActivated);
    const RationState& r = ration();
    const Figure daily = CategoryRow::of(r.NormaKur).daily;
    Label6->setText(daily.text());
    Label3->setText(r.sKurwi);

    const std::optional<double> n9 = daily.value;
    const std::optional<double> e = energy();
    const std::optional<double> q = NumText::toDouble(Text1->text());
    // A mix without energy has no daily amount: E = 0 exactly is the case.
    const bool perBird = n9 && e && *e != 0.0;
    const QString undefined = mdlRashet::kUndefined;
    const int n = r.feedCount();
    // Row i: the feed's name, its amount and the unit.
    const auto showRow = [&](int i, const QString& amount, const QString& unit) {
        lblWes[i]->setText(amount);
        lblGramm[i]->setText(unit);
        lbl_1[i]->setText(r.sKorm[i]);
        for (QLabel* l : {lbl_1[i], lblWes[i], lblGramm[i]})
            l->show();
    };

    if (r.bRacion) {
        Label1->setText(QStringLiteral("Рацион для кормления"));
        Label2->setText(QStringLiteral("едениц(цы)"));
        Label10->setText(QStringLiteral("Общий вес рациона"));
        Label5->setText(QStringLiteral(
            "На этой странице Вы вводите  количество голов птицы. Потребность птицы в обменной энергии в сутки, "
            "при необходимости  меняется  в базе данных по птице.  Суточный рацион готов."));
        float total = 0.0f;
        bool totalKnown = true;
        for (int i = 0; i < n; ++i) {
            const std::optional<double> a = weight(i);
            QString text = undefined;
            if (a && q && perBird) {
                const double amount = ((*a * *q) * *n9) / *e;
                if (std::isfinite(amount))
                    text = NumText::format00(amount);
            }
            showRow(i, text, QStringLiteral("грамм"));
            // The total adds the amounts as shown, rounded, in single precision.
            if (const auto shown = NumText::toDouble(lblWes[i]->text()))
                total = float(double(total) + *shown);
            else
                totalKnown = false;
        }
        lblObqiWes->setText(totalKnown && std::isfinite(total) ? NumText::format0(total) : undefined);
        lblObqiWes->show();
    } else {
        Label1->setText(QStringLiteral("Комбикорм для"));
        Label2->setText(QStringLiteral("т"));
        Label10->setText(QStringLiteral("Рекомендуемая суточная норма дачи комбикорма на одну птицу"));
        Label5->setText(QStringLiteral(
            "На этой странице Вы вводите вес комбикорма, которое хотите получить и программа расчитает "
            "колличество необходимого корма. Потребность птицы в обменной энергии в сутки, при необходимости  "
            "меняется  в базе данных по птице. Внизу появится рекоммендация, которая действитльна если весь "
            "суточный рацион состоит только из рассчитанного комбикорма"));
        for (int i = 0; i < n; ++i) {
            const std::optional<double> a = weight(i);
            QString text = undefined;
            if (a && q) {
                // Rounded to two places first, then times 10: at most one decimal.
                if (const auto rounded = NumText::toDouble(NumText::format00(*a * *q)))
                    text = NumText::plain(*rounded * 10);
            }
            showRow(i, text, QStringLiteral("кг"));
        }
        const double perDay = perBird ? *n9 / *e * 100 : 0.0;
        lblObqiWes->setText(perBird && std::isfinite(perDay) ? NumText::format0(perDay) : undefined);
    }
    showCosts(r.bRacion);
    showBatches();
    showExtras();
    for (int i = n; i < 10; ++i) {
        for (QLabel* l : {lbl_1[i], lblWes[i], lblGramm[i], lblCena[i]})
            l->hide();
    }
}

// Beside each amount as shown (grams a day for the flock, or kilograms) its
// cost at the feed's price per kilogram; the total adds the costs as shown,
// so the column sums to it. Blank where a price or an amount is missing, and
// the total then too, rather than a total that leaves a feed out.
void frmOtshet::showCosts(bool racion)
{
    const RationState& r = ration();
    Label12->setText(racion ? QStringLiteral("Стоимость рациона в сутки, руб.:")
                            : QStringLiteral("Стоимость комбикорма, руб.:"));
    double total = 0.0;
    bool totalKnown = true;
    for (int i = 0; i < r.feedCount(); ++i) {
        const std::optional<double> amount = NumText::toDouble(lblWes[i]->text());
        QString text;
        if (amount && r.Cena[i]) {
            const double cost = (racion ? *amount / 1000.0 : *amount) * *r.Cena[i];
            if (std::isfinite(cost))
                text = NumText::format00(cost);
        }
        if (const auto shown = NumText::toDouble(text))
            total += *shown;
        else
            totalKnown = false;
        lblCena[i]->setText(text);
        lblCena[i]->show();
    }
    lblCenaItog->setText(totalKnown && std::isfinite(total) ? NumText::format00(total) : QString());
}

QStringList frmOtshet::extraLines() const
{
    const RacionSheet* w = Navigation::racion();
    return w ? ExtraSection::reportLines(*w) : QStringList();
}

void frmOtshet::showExtras()
{
    const QStringList lines = extraLines();
    const int width = lblDop->width();
    lblDop->setText(lines.join(QLatin1Char('\n')));
    lblDop->setVisible(!lines.isEmpty());
    const int batches = layoutBatches();
    const int room = (lines.isEmpty() ? 0 : lblDop->heightForWidth(width) + Screens::scaled(8)) + batches;
    lblDop->setGeometry(lblDop->x(), Screens::scaled(kDopTop) + batches, width, room - batches);
    const int buttons = Screens::scaled(kButtonsTop) + room;
    cmdNazad->move(cmdNazad->x(), buttons);
    Command1->move(Command1->x(), buttons);
    const QSize size(this->width(), Screens::scaled(kHeight) + room);
    if (size != this->size()) {
        setFixedSize(size);
        Screens::refit(this);
    }
}

// The batch sheet below the amounts of compound feed, as tall as its grids;
// the height it takes (0 for birds).
int frmOtshet::layoutBatches()
{
    const bool shown = !ration().bRacion;
    const bool planned = shown && m_plan.has_value();
    for (QWidget* w : std::initializer_list<QWidget*>{lblEmkost, txtEmkost, cmdZamesy, cmdSaveZamesy, lblShag, txtShag,
                                                      lblGruppa, cboGruppa})
        w->setVisible(shown);
    for (QWidget* w : std::initializer_list<QWidget*>{lblZamesy, grdZamesy, lblOtklon, grdOtklon})
        w->setVisible(planned);
    lblZamesyNote->setVisible(planned && !lblZamesyNote->text().isEmpty());
    if (!shown)
        return 0;
    int y = Screens::scaled(kDopTop + 60);
    if (planned) {
        y = lblZamesy->geometry().bottom() + Screens::scaled(4);
        grdZamesy->move(grdZamesy->x(), y);
        lblOtklon->move(lblOtklon->x(), grdZamesy->geometry().bottom() + Screens::scaled(8));
        grdOtklon->move(grdOtklon->x(), lblOtklon->geometry().bottom() + Screens::scaled(2));
        y = grdOtklon->geometry().bottom() + Screens::scaled(6);
        if (lblZamesyNote->isVisibleTo(this)) {
            lblZamesyNote->setGeometry(lblZamesyNote->x(), y, lblZamesyNote->width(),
                                       lblZamesyNote->heightForWidth(lblZamesyNote->width()));
            y = lblZamesyNote->geometry().bottom() + Screens::scaled(6);
        }
    }
    return y - Screens::scaled(kDopTop);
}

// The groups of the chosen feeds in the box, the batches split again with
// the choices last accepted, and the grids filled.
void frmOtshet::showBatches()
{
    const RationState& r = ration();
    QStringList groups;
    for (int i = 0; i < r.feedCount(); ++i)
        if (const QString g = FeedRow::groupOf(r.DataKorm[std::size_t(i)]); !groups.contains(g))
            groups << g;
    QStringList listed;
    for (int i = 0; i < cboGruppa->count(); ++i)
        listed << cboGruppa->itemText(i);
    if (listed != groups) {
        cboGruppa->clear();
        cboGruppa->addItems(groups);   // its change handling shows the first group's step
    }
    if (m_planned && !r.bRacion) {
        const Batches::Plan p = planWith(recalled(QStringLiteral("capacity")), m_stepGroup,
                                         recalled(stepKey(m_stepGroup), QStringLiteral("1")));
        m_plan = p.error.isEmpty() ? std::optional<Batches::Plan>(p) : std::nullopt;
    }
    cmdSaveZamesy->setEnabled(m_plan.has_value());
    if (!m_plan)
        return;
    const Batches::Plan& p = *m_plan;
    lblZamesy->setText(Batches::summary(p));
    grdZamesy->clear();
    grdZamesy->setRowCount(r.feedCount() + 1);
    grdZamesy->setColumnCount(int(p.batches.size()) + 1);
    QStringList headings{QStringLiteral("Корм")};
    for (int b = 0; b < p.batches.size(); ++b)
        headings << (p.batches.size() == 1 ? QStringLiteral("На замес, кг")
                                           : BatchSheet::title(p, b).replace(QStringLiteral(" кг"), QStringLiteral(", кг")));
    grdZamesy->setHorizontalHeaderLabels(headings);
    const auto cell = [this](int row, int column, const QString& text, bool right) {
        auto* item = new QTableWidgetItem(text);
        item->setTextAlignment(Qt::AlignVCenter | (right ? Qt::AlignRight : Qt::AlignLeft));
        grdZamesy->setItem(row, column, item);
    };
    for (int i = 0; i <= r.feedCount(); ++i) {
        cell(i, 0, i < r.feedCount() ? r.sKorm[std::size_t(i)] : QStringLiteral("Итого"), false);
        for (int b = 0; b < p.batches.size(); ++b) {
            const Batches::Batch& batch = p.batches.at(b);
            cell(i, b + 1, Batches::kg(i < r.feedCount() ? batch.weights[std::size_t(i)] : batch.size), true);
        }
    }
    fitGrid(grdZamesy);
    grdZamesy->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int k = 0; k < Nutrients::kCount; ++k) {
        auto* item = new QTableWidgetItem(Batches::percent(p.deviation[std::size_t(k)]));
        item->setTextAlignment(Qt::AlignCenter);
        grdOtklon->setItem(0, k, item);
    }
    fitGrid(grdOtklon);
    lblZamesyNote->setText(p.notes.join(QLatin1Char('\n')));
}

Batches::Plan frmOtshet::planWith(const QString& capacity, const QString& group, const QString& step) const
{
    const RationState& r = ration();
    std::vector<Batches::Feed> feeds;
    for (int i = 0; i < r.feedCount(); ++i) {
        Batches::Feed f;
        f.row = FeedRow::of(r.DataKorm[std::size_t(i)]);
        f.row.name = r.sKorm[std::size_t(i)];
        const QString g = FeedRow::groupOf(r.DataKorm[std::size_t(i)]);
        const QString typed = g == group ? step : recalled(stepKey(g), QStringLiteral("1"));
        f.step = NumText::toDoubleLenient(typed).value_or(0);
        f.grams = weight(i).value_or(-1);
        feeds.push_back(f);
    }
    const std::optional<double> tonnes = NumText::toDouble(Text1->text());
    return Batches::plan(tonnes.value_or(0) * 1000.0, NumText::toDoubleLenient(capacity).value_or(0), feeds);
}

// "Разбить на замесы": the capacity and the step shown are checked first; a
// refused one leaves the choices and the batches shown as they were.
void frmOtshet::cmdZamesy_Click()
{
    if (!kilograms(txtEmkost->text())) {
        platform().message(QStringLiteral("Емкость смесителя — число килограммов больше нуля (до грамма), например 500."));
        txtEmkost->setFocus();
        return;
    }
    if (cboGruppa->count() > 0 && !kilograms(txtShag->text())) {
        platform().message(QStringLiteral("Шаг весов — число килограммов больше нуля (до грамма), например 0,1 или 1."));
        txtShag->setFocus();
        return;
    }
    const Batches::Plan p = planWith(txtEmkost->text(), m_stepGroup, txtShag->text());
    if (!p.error.isEmpty()) {
        platform().message(p.error);
        return;
    }
    remember(QStringLiteral("capacity"), txtEmkost->text());
    if (cboGruppa->count() > 0)
        remember(stepKey(m_stepGroup), txtShag->text());
    m_plan = p;
    m_planned = true;
    recalculate();
}

// Another group chosen: the step typed for the one before is kept when it
// is a step at all, and the new group's own step is shown.
void frmOtshet::cboGruppa_Change()
{
    if (!m_stepGroup.isNull() && kilograms(txtShag->text()))
        remember(stepKey(m_stepGroup), txtShag->text());
    m_stepGroup = cboGruppa->currentIndex() < 0 ? QString() : cboGruppa->currentText();
    if (m_stepGroup.isNull())
        return;
    txtShag->setText(recalled(stepKey(m_stepGroup), QStringLiteral("1")));
    txtShag->setAccessibleName(QStringLiteral("Шаг весов, кг, для группы «%1»").arg(m_stepGroup));
}

std::optional<BatchSheet::Sheet> frmOtshet::batchSheet() const
{
    if (!m_plan || ration().bRacion)
        return std::nullopt;
    BatchSheet::Sheet s{Label3->text(), Text1->text(), recalled(QStringLiteral("capacity")), {}, *m_plan};
    for (int i = 0; i < ration().feedCount(); ++i)
        s.names << ration().sKorm[std::size_t(i)];
    return s;
}

void frmOtshet::Text1_Change()
{
    if (Text1->text().isEmpty() || Text1->text() == QLatin1String("0"))
        Text1->setText(QStringLiteral("1"));   // runs this handling once more, nested
    if (const auto v = NumText::toInt16(Text1->text()))
        iKolGolov = *v;
    recalculate();
}

void frmOtshet::cmdNazad_Click()
{
    if (const auto v = NumText::toInt16(Text1->text()))
        iKolGolov = *v;
    Wizard::closeScreen(this);   // the closing step brings the worksheet back
    menuRules().report(MenuEvent::OtshetBack);
}

void frmOtshet::Command1_Click()
{
    // The worksheet goes first: it may ask to save its weights, and the user
    // may keep the calculation, report sheet and all.
    if (!Navigation::closeRacion())
        return;
    m_endsCalculation = true;
    Wizard::closeScreen(this);
}

void frmOtshet::closeEvent(QCloseEvent* e)
{
    if (!m_unloaded) {
        m_unloaded = true;
        menuRules().report(MenuEvent::OtshetClosed);
        // Closed any way but "Закрыть" (by "Назад" or by the window's close
        // box), the sheet hands over to the worksheet hidden behind it, so
        // the balanced ration can still be seen and saved.
        if (!m_endsCalculation && Navigation::racion()) {
            Navigation::showRacion();
            menuRules().report(MenuEvent::OtshetBack);
        }
    }
    Form::closeEvent(e);
}
