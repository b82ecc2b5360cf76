#include "wizard/frmRacion.h"

#include "data/Adodc.h"
#include "data/NumText.h"
#include "data/RationState.h"
#include "data/ReferenceData.h"
#include "engine/BandAnalyses.h"
#include "engine/BandComposition.h"
#include "engine/Composition.h"
#include "engine/SheetBuffer.h"
#include "engine/mdlRashet.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "shell/Platform.h"
#include "wizard/DiagnosisPane.h"
#include "wizard/ExtraSection.h"
#include "wizard/WizardWidgets.h"
#include "wizard/frmWiborRecept.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace {

QPointer<frmRacion> g_instance;

const QString kNotANumber = QStringLiteral("Проверте правильность ввода числа");
const QString kDopKey = QStringLiteral("racion/extraNutrients");

// Positions below are pixels at 8 pt (15 twips to the pixel); every one is
// scaled to the application's font as it is placed.

// Column k (0..7) of the requirement, difference and feed rows; the totals
// stand 120 twips further right.
constexpr int columnLeft(int k) { return 4920 / 15 + k * 720 / 15; }
constexpr int totalLeft(int k) { return 5040 / 15 + k * 720 / 15; }
constexpr int rowTop(int i) { return 2640 / 15 + i * 360 / 15; }
constexpr int kColumnWidth = 46;
constexpr int kCellHeight = 20;

QString indexed(const char* name, int i)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(i);
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, QRect r,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(Screens::scaled(r));
    l->setAlignment(align);
    return l;
}

// The widest number a cell shows: a contribution or a total with four decimals.
QString widestNumber()
{
    return QStringLiteral("000") + NumText::locale().decimalPoint() + QStringLiteral("0000");
}

// A number cell: its font is 7/8 of the screen's, smaller still where the
// font's own figures need it, so that a total such as "325,5095" fits the
// 720-twip column at every size.
QLabel* cell(QWidget* parent, const QString& name, QRect r)
{
    QLabel* l = label(parent, name, QStringLiteral("0"), r, Qt::AlignCenter);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setMargin(0);
    const QFont base = l->font();
    const QString widest = widestNumber();
    double points = 7;
    QFont f = Screens::relativeFont(base, points);
    while (points > 4 && QFontMetrics(f).horizontalAdvance(widest) > l->contentsRect().width())
        f = Screens::relativeFont(base, points -= 0.25);
    l->setFont(f);
    return l;
}

// Places a control at (left, top) as wide as its text needs, at least
// minWidth; returns its right edge (all at 8 pt).
int placeFitting(QWidget* w, int left, int top, int height, int minWidth = 0)
{
    const int width = std::max(minWidth, int(std::ceil(w->sizeHint().width() / Screens::fontScale())) + 2);
    w->setGeometry(Screens::scaled(QRect(left, top, width, height)));
    return left + width;
}

void line(QWidget* parent, int n, QRect r, bool horizontal)
{
    auto* f = new QFrame(parent);
    f->setObjectName(QStringLiteral("Line%1").arg(n));
    f->setFrameShape(horizontal ? QFrame::HLine : QFrame::VLine);
    f->setFrameShadow(QFrame::Sunken);
    f->setGeometry(Screens::scaled(r));
    f->lower();
}

} // namespace

frmRacion::frmRacion(QWidget* parent)
    : Form(parent)
    , Adodc1(std::make_unique<Adodc>())
    , Adodc2(std::make_unique<Adodc>())
    , Adodc3(std::make_unique<Adodc>())
{
    setObjectName(QStringLiteral("frmRacion"));
    setWindowTitle(QStringLiteral("Расчет рациона на 1 еденицу"));

    buildHeadings();
    buildRows();
    buildTotalsAndButtons();
    setFixedSize(std::max(Screens::scaled(736), cmdExit->geometry().right() + 1 + Screens::scaled(16)),
                 Screens::scaled(596));
    m_baseHeight = height();
    // The cells a change of a weight writes keep their size whatever they
    // show: a new text then repaints the cell alone, and asks no new layout
    // of the sheet (nor of the frame's window around it).
    for (int i = 0; i < 10; ++i)
        for (QLabel* l : lblFeed[i])
            l->setFixedSize(l->size());
    for (QLabel* l : {lblSumWes, lblCena})
        l->setFixedSize(l->size());
    for (int k = 0; k < 8; ++k)
        for (QLabel* l : {lblSum[k], lblProcent[k]})
            l->setFixedSize(l->size());
    m_extras = new ExtraSection(*this, this);
    addDiagnosis();

    // A new worksheet starts from zero contributions: nothing of an earlier
    // calculation leaks into its totals.
    mdlRashet::clearContributions();
    g_instance = this;
}

frmRacion::~frmRacion()
{
    if (g_instance == this)
        g_instance = nullptr;
}

frmRacion* frmRacion::instance()
{
    return g_instance;
}

void frmRacion::addDiagnosis()
{
    m_diagnosis = new DiagnosisPane(*this, this);
    // "Почему?" beside "Расчитать" opens it.
    auto* why = new QPushButton(QStringLiteral("Поч&ему?"), this);
    why->setObjectName(QStringLiteral("cmdPochemu"));
    why->setToolTip(QStringLiteral("Разобрать, можно ли сбалансировать рацион из выбранных кормов"));
    why->setGeometry(cmdS->geometry().right() + Screens::scaled(7), cmdS->y(), Screens::scaled(80), cmdS->height());
    connect(why, &QPushButton::clicked, m_diagnosis, &DiagnosisPane::open);
    // The sheet grows while the pane is open below it.
    connect(m_diagnosis, &DiagnosisPane::roomWanted, this, [this](int room) {
        m_paneRoom = room;
        fitBelow();
    });
    connect(m_diagnosis, &DiagnosisPane::feedChosen, this, &frmRacion::takeFeed);
    // Tab goes as the eye does: the boxes, then the bottom lines left to right,
    // the section below them, the pane last.
    QWidget* order[] = {txtWes[9], chkCena, Check1, cmdS, why, Combo1, Combo2, cmdNasad, cmdDalee, cmdExit, chkDop,
                        findChild<QWidget*>(QStringLiteral("grdDop")), findChild<QWidget*>(QStringLiteral("cmdDiagnosisClose")),
                        findChild<QWidget*>(QStringLiteral("lstSovet")), findChild<QWidget*>(QStringLiteral("cmdPodstavit"))};
    for (std::size_t k = 1; k < std::size(order); ++k)
        setTabOrder(order[k - 1], order[k]);
    // Whatever the analysis reads from the sheet brings a new one.
    for (QComboBox* combo : {Combo1, Combo2})
        connect(combo, &QComboBox::currentTextChanged, m_diagnosis, &DiagnosisPane::refreshLater);
    for (QCheckBox* box : {Check1, chkCena, chkDop})
        connect(box, &QCheckBox::toggled, m_diagnosis, &DiagnosisPane::refreshLater);
    for (QLineEdit* box : txtWes)
        connect(box, &QLineEdit::textChanged, m_diagnosis, &DiagnosisPane::refreshLater);
}

void frmRacion::fitBelow()
{
    const int top = m_baseHeight + m_extras->room();
    m_extras->move(m_extras->x(), m_baseHeight);
    m_diagnosis->move(m_diagnosis->x(), top);
    if (height() == top + m_paneRoom)
        return;
    setFixedSize(width(), top + m_paneRoom);
    Screens::refit(this);
}

void frmRacion::buildHeadings()
{
    label(this, QStringLiteral("Label2"), QStringLiteral("Необходимо в 100гр. корма для"), QRect(8, 16, 300, 20));
    // Over the requirements: the main nutrients named in full, the vitamins
    // lower down.
    const QFont small = Screens::relativeFont(font(), 7);
    for (int k = 0; k < Nutrients::kCount; ++k) {
        const Nutrients::Nutrient& n = Nutrients::all().at(k);
        if (n.vitamin) {
            label(this, indexed("lblSoderganie", 8 + k - Nutrients::kMain), n.shortName,
                  QRect(columnLeft(k), 22, kColumnWidth, 20), Qt::AlignHCenter | Qt::AlignBottom)->setFont(small);
            continue;
        }
        // The first heading's long word takes the room left of its column.
        const int extra = k == 0 ? 15 : 0;
        QLabel* l = label(this, indexed("lblWeshestwo", k), n.shortName,
                          QRect(columnLeft(k) - 1 - extra, 6, 48 + extra, 36), Qt::AlignHCenter | Qt::AlignBottom);
        l->setWordWrap(true);
        l->setFont(small);
    }

    // A long category name takes a second line.
    lblKuri[0] = label(this, indexed("lblKuri", 0), QString(), QRect(8, 44, 4335 / 15, 30));
    lblKuri[0]->setWordWrap(true);
    QFont bold = font();
    bold.setBold(true);
    lblKuri[0]->setFont(bold);
    for (int k = 1; k <= 8; ++k)
        lblKuri[k] = cell(this, indexed("lblKuri", k), QRect(columnLeft(k - 1), 48, kColumnWidth, kCellHeight));
    for (int k = 1; k <= 8; ++k)
        lblKuri[k]->setText(QString());

    label(this, QStringLiteral("Label7"), QStringLiteral("Разница между необход. и рассч. в %"),
          QRect(8, 96, 300, kCellHeight));
    for (int k = 0; k < 8; ++k) {
        lblProcent[k] = cell(this, indexed("lblProcent", k), QRect(columnLeft(k), 96, kColumnWidth, kCellHeight));
        lblProcent[k]->setToolTip(QStringLiteral("Красный-не набрали нормы, зеленый-в пределах нормы"));
    }

    label(this, QStringLiteral("Label9"), QStringLiteral(" содержание в %"), QRect(3120 / 15 - 8, 144, 112, 20));
    for (int k = 0; k < Nutrients::kCount; ++k)
        label(this, indexed("lblSoderganie", k), Nutrients::all().at(k).column, QRect(columnLeft(k) - 1, 152, 48, 20),
              Qt::AlignCenter)->setFont(small);

    line(this, 1, QRect(8, 76, 720, 3), true);
    line(this, 2, QRect(8, 124, 720, 3), true);
    line(this, 3, QRect(8, 172, 720, 3), true);
    line(this, 4, QRect(8, 430, 720, 3), true);
    line(this, 5, QRect(8, 470, 720, 3), true);
    for (int k = 0; k < 8; ++k)
        line(this, 6 + k, QRect(columnLeft(k) - 3, 44, 3, 428), false);
}

void frmRacion::buildRows()
{
    const QString nameTip = QStringLiteral("Красный фон-превысили норму дачи данного");
    for (int i = 0; i < 10; ++i) {
        const int top = rowTop(i);
        const QString arrayName = QStringLiteral("lbl_%1").arg(i + 1);
        // The name is wider than 2415 twips and wraps over the row's whole
        // height, so long feed names fit.
        QLabel* name = label(this, QStringLiteral("%1(0)").arg(arrayName), QStringLiteral("0"),
                             QRect(8, top - 1, 188, 24));
        name->setWordWrap(true);
        name->setToolTip(nameTip);
        name->setFont(Screens::relativeFont(name->font(), 7));
        Wizard::setLabelBack(name, colourOf(SheetColor::ButtonFace));
        lblFeed[i][0] = name;
        for (int j = 1; j <= 8; ++j)
            lblFeed[i][j] = cell(this, QStringLiteral("%1(%2)").arg(arrayName).arg(j),
                                 QRect(columnLeft(j - 1), top + 1, kColumnWidth, kCellHeight));

        // Wider than 495 twips, so four decimals fit; it starts a little
        // further left to keep the spin button at its place, and further
        // still where the style pads its boxes more, the name giving way.
        auto* box = new QLineEdit(QStringLiteral("0"), this);
        box->setObjectName(indexed("txtWes", i));
        box->setGeometry(Screens::scaled(QRect(3120 / 15 - 12, top, 60, 22)));
        const QString heaviest = QStringLiteral("99") + NumText::locale().decimalPoint() + QStringLiteral("9999");
        const int wider = Screens::boxWidthFor(box, heaviest, box->width()) - box->width();
        box->setGeometry(box->geometry().adjusted(-wider, 0, 0, 0));
        name->resize(name->width() - wider, name->height());
        box->setToolTip(QStringLiteral("Окно для ввода веса компонента"));
        box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        box->setAccessibleDescription(box->toolTip());
        Wizard::setBoxBack(box, Qt::white);
        box->installEventFilter(this);
        txtWes[i] = box;

        auto* s = new SpinButton(this);
        s->setObjectName(indexed("SpinButton", i));
        s->setGeometry(Screens::scaled(QRect(3840 / 15, top + 2, 17, 18)));
        spin[i] = s;

        box->hide();
        s->hide();
        for (QLabel* l : lblFeed[i])
            l->hide();

        connect(box, &QLineEdit::textChanged, this, [this, i] { txtWes_Change(i); });
        connect(s, &SpinButton::SpinUp, this, [this, i] { SpinButton_SpinUp(i); });
        connect(s, &SpinButton::SpinDown, this, [this, i] { SpinButton_SpinDown(i); });
    }
    for (int i = 1; i < 10; ++i)
        setTabOrder(txtWes[i - 1], txtWes[i]);
}

void frmRacion::buildTotalsAndButtons()
{
    QLabel* l13 = label(this, QStringLiteral("Label13"),
                        QStringLiteral("Общий вес(грамм)  и сумм. содежание веществ в корме"),
                        QRect(8, 434, 186, 34));
    l13->setWordWrap(true);

    lblSumWes = cell(this, QStringLiteral("lblSumWes"), QRect(3120 / 15 - 12, 440, 60, kCellHeight));
    lblSumWes->setToolTip(QStringLiteral("Красный-корм не набран, зеленый-вес достигнут"));
    Wizard::setLabelBack(lblSumWes, QColor(255, 128, 128));
    for (int k = 0; k < 8; ++k)
        lblSum[k] = cell(this, indexed("lblSum", k), QRect(totalLeft(k) - 6, 440, kColumnWidth, kCellHeight));
    lblSum[0]->setToolTip(QStringLiteral("Суммарное содержание О/Э в компонентах"));

    // Below the totals, left of the check box; a long feed name wraps.
    lblCena = label(this, QStringLiteral("lblCena"), QString(), QRect(8, 476, 272, 56),
                    Qt::AlignLeft | Qt::AlignTop);
    lblCena->setWordWrap(true);

    // The bottom lines are laid out left to right in the order of their
    // twip positions, each text as wide as it needs.
    Check1 = new QCheckBox(QStringLiteral("&авторасчет с учетом витаминов"), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    placeFitting(Check1, 4680 / 15 - 24, 494, 22);
    // The other choice for "Расчитать", above the vitamins box.
    chkCena = new QCheckBox(QStringLiteral("по наи&меньшей стоимости"), this);
    chkCena->setObjectName(QStringLiteral("chkCena"));
    chkCena->setToolTip(QStringLiteral("Расчитать самый дешевый рацион в пределах погрешности по ценам кормов"));
    placeFitting(chkCena, 4680 / 15 - 24, 472, 20);
    cmdS = new QPushButton(QStringLiteral("Рас&читать"), this);
    cmdS->setObjectName(QStringLiteral("cmdS"));
    cmdS->setGeometry(Screens::scaled(QRect(7680 / 15, 7320 / 15 + 2, 100, 27)));

    QLabel* toleranceLabel = label(this, QStringLiteral("Lbel7"), QStringLiteral("&Считать с погрешностью не более (в %):"),
                                   QRect());
    Combo1 = new QComboBox(this);
    toleranceLabel->setBuddy(Combo1);   // before it is measured: the "&" is not shown then
    int x = placeFitting(toleranceLabel, 8, 538, 22);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setCompleter(nullptr);   // "1" stays 1, never completed to the listed 10
    Combo1->addItems({QStringLiteral("3"), QStringLiteral("5"), QStringLiteral("10"), QStringLiteral("15"),
                      QStringLiteral("30")});
    Combo1->setEditText(QStringLiteral("30"));
    Combo1->setGeometry(Screens::scaled(QRect(x + 2, 536, 50, 24)));
    // As wide as the style needs to show a tolerance of three figures whole;
    // what stands right of it moves along.
    const int combo1Left = x + 2;
    Combo1->resize(Screens::boxWidthFor(Combo1, QStringLiteral("100"), Combo1->width()), Combo1->height());
    const int combo1Right = combo1Left + 6
                            + (Combo1->width() > Screens::scaled(50) ? int(std::ceil(Combo1->width() / Screens::fontScale())) : 50);

    x = placeFitting(label(this, QStringLiteral("Label6"), QStringLiteral("Витамины  с погрешностью (в %) не <"),
                           QRect()), 8, 564, 22);
    label(this, QStringLiteral("Label8"), QStringLiteral("_"), QRect(std::max(x, combo1Left - 14), 560, 12, 22),
          Qt::AlignCenter);

    QLabel* surplusLabel = label(this, QStringLiteral("Label3"), QStringLiteral("&Витамины (в %) не   >"), QRect());
    Combo2 = new QComboBox(this);
    surplusLabel->setBuddy(Combo2);
    x = placeFitting(surplusLabel, combo1Right, 538, 22);
    x = placeFitting(label(this, QStringLiteral("Label5"), QStringLiteral("+"), QRect(), Qt::AlignCenter), x, 538, 22);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Combo2->setEditable(true);
    Combo2->setInsertPolicy(QComboBox::NoInsert);
    Combo2->setCompleter(nullptr);
    Combo2->addItems({QStringLiteral("30"), QStringLiteral("50"), QStringLiteral("75"), QStringLiteral("100"),
                      QStringLiteral("150")});
    Combo2->setEditText(QStringLiteral("100"));
    Combo2->setGeometry(Screens::scaled(QRect(x + 1, 536, 54, 24)));
    // A reader says the label (the buddy), not the number in the box.
    Combo1->lineEdit()->setAccessibleName(QStringLiteral("Погрешность, %"));
    Combo2->lineEdit()->setAccessibleName(QStringLiteral("Избыток витаминов, %"));
    Combo2->resize(Screens::boxWidthFor(Combo2, QStringLiteral("100"), Combo2->width()), Combo2->height());

    // Below the tolerance boxes: the extra nutrients shown and balanced, as
    // the user left it last time.
    chkDop = new QCheckBox(QStringLiteral("&учитывать аминокислоты и клетчатку"), this);
    chkDop->setObjectName(QStringLiteral("chkDop"));
    chkDop->setToolTip(QStringLiteral("Показать лизин, метионин, треонин, триптофан, клетчатку, доступный фосфор и "
                                      "другие нормы категории и учитывать их в «Расчитать»"));
    // Kept in the settings of a program that has them (the program itself,
    // not the tests), else for this run in the ration state.
    const bool persistent = !QCoreApplication::organizationName().isEmpty();
    chkDop->setChecked(persistent ? QSettings().value(kDopKey, false).toBool() : ration().bDop);
    ration().bDop = chkDop->isChecked();
    placeFitting(chkDop, combo1Right, 566, 22);

    cmdNasad = new QPushButton(QStringLiteral("&Назад"), this);
    cmdNasad->setObjectName(QStringLiteral("cmdNasad"));
    cmdNasad->setGeometry(Screens::scaled(QRect(7680 / 15, 536, 62, 27)));
    cmdDalee = new QPushButton(QStringLiteral("&Далее"), this);
    cmdDalee->setObjectName(QStringLiteral("cmdDalee"));
    cmdDalee->setGeometry(Screens::scaled(QRect(8760 / 15 - 6, 536, 62, 27)));
    cmdDalee->setEnabled(false);
    cmdExit = new QPushButton(QStringLiteral("&Закрыть"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdExit->setGeometry(Screens::scaled(QRect(9720 / 15 - 4, 536, 76, 27)));
    // Where the style's boxes leave the tolerances no room before the
    // buttons, the buttons move right, and the sheet grows with them.
    const int overflow = std::max(0, Combo2->geometry().right() + 1 + Screens::scaled(6) - cmdNasad->x());
    for (QPushButton* b : {cmdS, cmdNasad, cmdDalee, cmdExit})
        b->move(b->x() + overflow, b->y());
    for (int n = 1; n <= 5; ++n)   // the dividing lines reach as far as the buttons
        if (auto* divider = findChild<QFrame*>(QStringLiteral("Line%1").arg(n)))
            divider->resize(divider->width() + overflow, divider->height());

    connect(Combo1->lineEdit(), &QLineEdit::editingFinished, this, [this] { checkTolerance(Combo1, m_lastCombo1); });
    connect(Combo2->lineEdit(), &QLineEdit::editingFinished, this, [this] { checkTolerance(Combo2, m_lastCombo2); });
    connect(cmdS, &QPushButton::clicked, this, &frmRacion::cmdS_Click);
    connect(cmdNasad, &QPushButton::clicked, this, &frmRacion::cmdNasad_Click);
    connect(cmdDalee, &QPushButton::clicked, this, &frmRacion::cmdDalee_Click);
    connect(cmdExit, &QPushButton::clicked, this, [this] { Wizard::closeScreen(this); });
    // A tolerance, or the vitamins box, changed: the sheet is judged again at once.
    for (QComboBox* combo : {Combo1, Combo2})
        connect(combo, &QComboBox::currentTextChanged, this, [this] { mdlRashet::judgeAgain(*this); });
    connect(Check1, &QCheckBox::toggled, this, [this] { mdlRashet::judgeAgain(*this); });
    connect(chkDop, &QCheckBox::toggled, this, [this](bool on) {
        if (!QCoreApplication::organizationName().isEmpty())
            QSettings().setValue(kDopKey, on);
        ration().bDop = on;
        mdlRashet::judgeAgain(*this);
        m_extras->rebuild();
        fitBelow();
    });
}

// ---- colours ----

QColor frmRacion::colourOf(SheetColor c)
{
    switch (c) {
    case SheetColor::LightRed: return Wizard::kLightRed;
    case SheetColor::LightGreen: return Wizard::kLightGreen;
    case SheetColor::White: return QColor(Qt::white);
    case SheetColor::ButtonFace: return QApplication::palette().color(QPalette::Button);
    case SheetColor::Other: break;
    }
    return QColor();
}

SheetColor frmRacion::sheetColourOf(const QColor& c)
{
    for (SheetColor s : {SheetColor::LightRed, SheetColor::LightGreen, SheetColor::White, SheetColor::ButtonFace})
        if (colourOf(s).rgb() == c.rgb())
            return s;
    return SheetColor::Other;
}

// ---- RacionSheet ----

QString frmRacion::weightText(int i) const { return txtWes[i]->text(); }

void frmRacion::setWeightText(int i, const QString& text)
{
    // QLineEdit reports the change at once, so the change handling runs
    // nested, before this returns.
    if (txtWes[i]->text() != text)
        txtWes[i]->setText(text);
}

void frmRacion::setWeightColor(int i, SheetColor c)
{
    Wizard::setBoxBack(txtWes[i], colourOf(c));
    describeRow(i);
}
SheetColor frmRacion::weightColor(int i) const { return sheetColourOf(txtWes[i]->palette().color(QPalette::Base)); }

void frmRacion::showFeedRow(int i)
{
    txtWes[i]->show();
    spin[i]->show();
    for (QLabel* l : lblFeed[i])
        l->show();
}

void frmRacion::setFeedCaption(int i, int element, const QString& text)
{
    lblFeed[i][element]->setText(text);
    if (element == 0)
        describeRow(i);
}
QString frmRacion::feedCaption(int i, int element) const { return lblFeed[i][element]->text(); }
void frmRacion::setFeedNameColor(int i, SheetColor c)
{
    Wizard::setLabelBack(lblFeed[i][0], colourOf(c));
    describeRow(i);
}

// What the row's colours show, in words for a reader: the feed's name on the
// weight box and its arrows, a red name or a red box said after it.
void frmRacion::describeRow(int i)
{
    const QString feed = lblFeed[i][0]->text();
    const bool overFeed = feedNameColor(i) == SheetColor::LightRed;
    const bool overGroup = weightColor(i) == SheetColor::LightRed;
    QString state = overFeed ? QStringLiteral(", превышена норма дачи корма") : QString();
    if (overGroup)
        state += QStringLiteral(", превышено ограничение группы");
    const QString name = QStringLiteral("Вес: %1, граммов в 100 г%2").arg(feed, state);
    if (txtWes[i]->accessibleName() == name)
        return;
    txtWes[i]->setAccessibleName(name);
    lblFeed[i][0]->setAccessibleDescription(overFeed ? QStringLiteral("превышена норма дачи") : QString());
    spin[i]->upArrow()->setAccessibleName(QStringLiteral("Больше: %1").arg(feed));
    spin[i]->downArrow()->setAccessibleName(QStringLiteral("Меньше: %1").arg(feed));
}

// A deviation as a reader says it: "Отклонение: протеин, -10 %, вне нормы".
void frmRacion::describeDeviation(int k)
{
    const SheetColor c = procentColor(k);
    const QString state = c == SheetColor::LightGreen ? QStringLiteral("в норме")
                          : c == SheetColor::LightRed ? QStringLiteral("вне нормы")
                                                      : QStringLiteral("не оценено");
    lblProcent[k]->setAccessibleName(
        QStringLiteral("Отклонение: %1, %2 %, %3").arg(Nutrients::all().at(k).name, lblProcent[k]->text(), state));
    lblProcent[k]->setAccessibleDescription(state);
}
SheetColor frmRacion::feedNameColor(int i) const
{
    return sheetColourOf(lblFeed[i][0]->palette().color(QPalette::Window));
}
void frmRacion::setSumCaption(int k, const QString& text) { lblSum[k]->setText(text); }
QString frmRacion::sumCaption(int k) const { return lblSum[k]->text(); }
void frmRacion::setProcentCaption(int k, const QString& text)
{
    lblProcent[k]->setText(text);
    describeDeviation(k);
}
QString frmRacion::procentCaption(int k) const { return lblProcent[k]->text(); }
void frmRacion::setProcentColor(int k, SheetColor c)
{
    Wizard::setLabelBack(lblProcent[k], colourOf(c));
    describeDeviation(k);
}
SheetColor frmRacion::procentColor(int k) const
{
    return sheetColourOf(lblProcent[k]->palette().color(QPalette::Window));
}

void frmRacion::setSumWesCaption(const QString& text)
{
    lblSumWes->setText(text);
    lblSumWes_Change();
}

QString frmRacion::sumWesCaption() const { return lblSumWes->text(); }
QString frmRacion::toleranceText() const { return Combo1->currentText(); }
QString frmRacion::vitaminSurplusText() const { return Combo2->currentText(); }
bool frmRacion::vitaminsChecked() const { return Check1->isChecked(); }

std::optional<std::int16_t> frmRacion::groupLimit(const QString& group)
{
    if (mdlAddItem::lookupRefused(group))
        return std::nullopt;
    // In a click the limits are taken from the groups it has read, the first
    // record of the name as the statement would find it.
    if (m_holdGroups && !group.isEmpty()) {
        const GroupRecords held = groupRecords();
        for (const GroupRecord& record : held.records)
            if (held.ok && record.gruppa == group)
                return record.procent.value ? NumText::toInt16(*record.procent.value) : std::nullopt;
    }
    const auto found = ReferenceData(*Adodc3).groupLimit(group);
    if (!found.ok) {
        // Said once, not at every change of a weight; the group counts as
        // having no limit meanwhile.
        if (found.error != m_reportedGroupError)
            platform().message(QStringLiteral("Не удалось прочитать ограничение группы кормов «%1»; "
                                              "пока оно не проверяется. %2")
                                   .arg(mdlAddItem::shownName(group), found.error));
        m_reportedGroupError = found.error;
        return std::nullopt;
    }
    if (!found.row || !found.row->value)
        return std::nullopt;
    return NumText::toInt16(*found.row->value);
}

QVariant frmRacion::fileVersion()
{
    if (m_holdGroups && m_heldVersion)
        return *m_heldVersion;
    const QVariant version = ReferenceData(*Adodc3).dataVersion();
    if (m_holdGroups)
        m_heldVersion = version;
    return version;
}

GroupRecords frmRacion::groupRecords()
{
    if (m_holdGroups && m_heldGroups)
        return *m_heldGroups;
    const QVariant version = fileVersion();
    // A failed read is not kept: the next one tries again and says why.
    if (!m_groups.ok || !version.isValid() || version != m_groupsVersion) {
        m_groups = ReferenceData(*Adodc3).groupLimits();
        m_groupsVersion = version;
    }
    if (m_holdGroups)
        m_heldGroups = m_groups;
    return m_groups;
}

void frmRacion::setKuriCaption(int k, const QString& text)
{
    if (k >= 0 && k <= 8)
        lblKuri[k]->setText(text);
}

// ---- events ----

void frmRacion::txtWes_Change(int index)
{
    if (m_showing)
        return;
    const NumText::LocaleScope numbers;
    switch (mdlRashet::txtWes_Change(*this, std::int16_t(index))) {
    case mdlRashet::WeightChange::Recalculated:
        menuRules().report(MenuEvent::RacionWeightChanged);
        break;
    case mdlRashet::WeightChange::NotANumber:
        // The sum cannot stand for a box without a number: it shows "—" and
        // "Далее" goes off until the box is put right.
        mdlRashet::RashetSumWes(*this);
        platform().message(kNotANumber);
        break;
    case mdlRashet::WeightChange::Replaced:
        break;
    }
    showCost();
    m_extras->follow();
}

// The cost of 1 kg of the mix on the sheet: each weight (grams in 100 g) times
// its feed's price per kilogram, over 100. Every chosen feed needs a price,
// even at weight 0, so that the line never leaves one out unseen.
void frmRacion::showCost()
{
    const RationState& s = ration();
    for (int i = 0; i < s.feedCount(); ++i) {
        if (!s.Cena[i]) {
            lblCena->setText(QStringLiteral("Стоимость: нет цены для «%1»").arg(mdlAddItem::shownName(s.sKorm[i])));
            return;
        }
    }
    std::vector<double> weights, prices;
    for (int i = 0; i < s.feedCount(); ++i) {
        const std::optional<double> weight = NumText::toDouble(txtWes[i]->text());
        if (!weight) {
            lblCena->setText(QStringLiteral("Стоимость 1 кг корма: ") + mdlRashet::kUndefined);
            return;
        }
        weights.push_back(*weight);
        prices.push_back(*s.Cena[i]);
    }
    const double cost = Bands::costPerKg(weights, prices);
    lblCena->setText(QStringLiteral("Стоимость 1 кг корма: %1 руб.").arg(NumText::format00(cost)));
}

void frmRacion::lblSumWes_Change()
{
    const bool complete = lblSumWes->text() == QLatin1String("100");
    cmdDalee->setEnabled(complete);
    Wizard::setLabelBack(lblSumWes, complete ? Wizard::kLightGreen : Wizard::kLightRed);
    lblSumWes->setAccessibleName(QStringLiteral("Общий вес: %1, %2").arg(lblSumWes->text(),
        complete ? QStringLiteral("вес достигнут") : QStringLiteral("корм не набран")));
}

void frmRacion::checkTolerance(QComboBox* combo, QString& lastGood)
{
    const QString text = combo->currentText();
    if (mdlRashet::readTolerance(text)) {
        lastGood = text;
        return;
    }
    // The last good tolerance stays in force, and the box shows it again.
    combo->setEditText(lastGood);
    platform().message(kNotANumber);
}

void frmRacion::loadRows()
{
    RationState& s = ration();
    ReferenceData feedRows(*Adodc1), categoryRow(*Adodc2);
    const mdlAddItem::Result feeds = mdlAddItem::ZagruzitKorm(feedRows);
    const mdlAddItem::Result category = mdlAddItem::ZagruzitKurwi(categoryRow, this);
    QStringList errors;
    for (const auto* r : {&feeds, &category})
        if (!r->ok && !errors.contains(r->error))
            errors << r->error;

    // A row that was not found keeps what it held only when that is the same
    // feed (a calculation file's values); another feed's values would be
    // made-up numbers, so the row shows its name and nothing else.
    for (int i = 0; i < s.feedCount(); ++i) {
        if (NumText::variantText(s.DataKorm[i][0]) == s.sKorm[i])
            continue;
        for (QVariant& v : s.DataKorm[i])
            v = QVariant();
        s.DataKorm[i][0] = s.sKorm[i];
    }
    if (NumText::variantText(s.NormaKur[0]) != s.sKurwi) {
        for (QVariant& v : s.NormaKur)
            v = QVariant();
        s.NormaKur[0] = s.sKurwi;
        for (int k = 0; k <= 8; ++k)
            setKuriCaption(k, NumText::variantText(s.NormaKur[k]));
    }

    // The extra nutrients with them: cheap to read, and ready for the box.
    s.Dop = ReferenceData(*Adodc1).rationExtras(s.sKurwi, std::vector<QString>(s.sKorm.begin(), s.sKorm.begin() + s.feedCount()));

    const QStringList missing = feeds.notFound + category.notFound;
    if (!missing.isEmpty() && missing != m_reportedMissing)
        errors << QStringLiteral("В базе данных не найдены по названию: %1. "
                                 "Для них оставлены прежние значения, а где их нет, стоит прочерк.")
                      .arg(missing.join(QStringLiteral(", ")));
    m_reportedMissing = missing;
    const QStringList refused = feeds.refused + category.refused;
    if (refused != m_reportedRefused)
        for (const QString& name : refused)
            errors << QStringLiteral("Название «%1» нельзя найти в базе данных: в нем есть нулевой символ "
                                     "(здесь он показан как ␀). Для него оставлены прежние значения, а где их нет, "
                                     "стоит прочерк. Исправьте название в базе данных.")
                          .arg(mdlAddItem::shownName(name));
    m_reportedRefused = refused;
    for (const QString& e : errors)
        platform().message(e);
}

void frmRacion::Form_Activate()
{
    RationState& s = ration();
    menuRules().report(MenuEvent::RacionActivated);
    loadRows();
    // Prices are read with the rows; a table that cannot be read leaves every
    // feed without one, which the cost line says.
    ReferenceData prices(*Adodc1);
    mdlAddItem::loadPrices(prices);
    mdlRashet::PokazatKorm(*this);
    if (s.bNazad)
        for (int i = 0; i < s.feedCount(); ++i)
            setWeightText(i, s.SaveWes[i].toText());
    // Weights restored after a return, or rows just read that may differ from
    // those the contributions were computed from (an editor beside the sheet
    // changed a feed or the requirement): every row is computed again, so no
    // figure on the sheet, and none handed on to the report, stays old.
    if (s.bNazad || std::any_of(txtWes, txtWes + s.feedCount(),
                                [](const QLineEdit* box) { return box->text() != QLatin1String("0"); }))
        for (int i = 0; i < s.feedCount(); ++i)
            mdlRashet::Rashet(*this, std::int16_t(i));
    s.bNazad = false;
    showCost();
    m_extras->rebuild();
    fitBelow();
    // A calculation being opened writes its weights right after this returns,
    // in the same handler; the group check stays skipped until it is done.
    if (s.bOpenKalk)
        QTimer::singleShot(0, qApp, &frmRacion::endOpening);
    m_diagnosis->refreshLater();   // the feeds or their rows may have changed
}

void frmRacion::endOpening()
{
    ration().bOpenKalk = false;
}

void frmRacion::cmdDalee_Click()
{
    const auto daily = CategoryRow::of(ration().NormaKur).daily.value;
    if (!daily || *daily == 0.0) {
        platform().message(
            QStringLiteral("Для расчета рациона введите в базу данных суточную потребность птицы в О/Э"));
        Navigation::showPoultryEditor(ration().sKurwi);
        return;
    }
    Wizard::hideScreen(this);
    frmWiborRecept::choose();
}

void frmRacion::saveWeights()
{
    RationState& s = ration();
    for (int i = 0; i < RationState::kMaxFeeds; ++i) {
        // A box without a number saves 0; slots beyond the chosen feeds are
        // cleared so that none of them returns with a feed added later.
        s.SaveWes[i] = i < s.feedCount() ? Fixed4::fromText(txtWes[i]->text()).value_or(Fixed4()) : Fixed4();
    }
    s.bNazad = true;
}

void frmRacion::takeFeed(const QString& name, int replaced)
{
    // As a return from the feed selection with the feed added: the weights in
    // the boxes kept, the new feed at 0.
    RationState& s = ration();
    const int n = s.feedCount();
    if (replaced < 0 && n >= RationState::kMaxFeeds)
        return;
    saveWeights();
    s.sKorm[replaced >= 0 ? replaced : n] = name;
    if (replaced >= 0)
        s.SaveWes[replaced] = Fixed4();
    else
        s.iMaxKorm = std::int16_t(n);
    Form_Activate();
}

void frmRacion::cmdNasad_Click()
{
    saveWeights();
    m_weightsKept = true;
    Navigation::keepUnsavedWork();   // still unsaved work, asked about if it would be lost
    Wizard::closeScreen(this);
    Navigation::showBasa();
}

void frmRacion::cmdS_Click()
{
    // An unbalanced end opens the diagnosis, so it stands beside the message;
    // so does a vitamin left out of norm while the click did not take the
    // vitamins into account: the pane names it.
    // With the extra nutrients ticked the band model balances them all; the
    // specified composition knows only the eight.
    using BandComposition::Goal;
    m_holdGroups = true;
    const auto release = qScopeGuard([this] {
        m_holdGroups = false;
        m_heldGroups.reset();
        m_heldVersion.reset();
    });
    Composition::Outcome out;
    writeAll([&](RacionSheet& sheet) {
        out = chkCena->isChecked() ? BandComposition::compose(sheet, Goal::Cheapest)
              : chkDop->isChecked() ? BandComposition::compose(sheet, Goal::Closest)
                                    : Composition::compose(sheet);
    });
    bool vitaminRed = false;
    for (int k = 5; k < 8; ++k)
        vitaminRed = vitaminRed || procentColor(k) == SheetColor::LightRed;
    if (out.status == Composition::Status::NotSolved
        || (out.status == Composition::Status::Balanced && !Check1->isChecked() && vitaminRed))
        m_diagnosis->open();
    if (!out.message.isEmpty())
        platform().message(out.message);
}

SheetState frmRacion::sheetState() const
{
    SheetState st;
    for (int i = 0; i < 10; ++i) {
        st.weights[std::size_t(i)] = weightText(i);
        st.weightColors[std::size_t(i)] = weightColor(i);
        st.nameColors[std::size_t(i)] = feedNameColor(i);
        for (int e = 0; e < 9; ++e)
            st.feed[std::size_t(i)][std::size_t(e)] = feedCaption(i, e);
    }
    for (int k = 0; k < 8; ++k) {
        st.sums[std::size_t(k)] = sumCaption(k);
        st.procents[std::size_t(k)] = procentCaption(k);
        st.procentColors[std::size_t(k)] = procentColor(k);
    }
    st.sumWes = sumWesCaption();
    return st;
}

// The weights are written on a copy of the sheet, each with its whole change
// handling, and the screen shows where they ended once.
void frmRacion::writeAll(const std::function<void(RacionSheet&)>& write)
{
    const NumText::LocaleScope numbers;
    const SheetState before = sheetState();
    SheetBuffer buffer(*this, before);
    write(buffer);
    showState(before, buffer);
}

// Only what differs is written, so only that is repainted; the boxes' own
// change handling has run on the copy already.
void frmRacion::showState(const SheetState& before, const SheetBuffer& buffer)
{
    const SheetState& st = buffer.state();
    m_showing = true;
    for (int i = 0; i < 10; ++i) {
        const auto n = std::size_t(i);
        if (st.weights[n] != before.weights[n])
            txtWes[i]->setText(st.weights[n]);
        for (int e = 0; e < 9; ++e)
            if (st.feed[n][std::size_t(e)] != before.feed[n][std::size_t(e)])
                lblFeed[i][e]->setText(st.feed[n][std::size_t(e)]);
        if (st.weightColors[n] != before.weightColors[n])
            Wizard::setBoxBack(txtWes[i], colourOf(st.weightColors[n]));
        if (st.nameColors[n] != before.nameColors[n])
            Wizard::setLabelBack(lblFeed[i][0], colourOf(st.nameColors[n]));
        describeRow(i);
    }
    m_showing = false;
    for (int k = 0; k < 8; ++k) {
        const auto n = std::size_t(k);
        if (st.sums[n] != before.sums[n])
            lblSum[k]->setText(st.sums[n]);
        if (st.procents[n] != before.procents[n])
            lblProcent[k]->setText(st.procents[n]);
        if (st.procentColors[n] != before.procentColors[n])
            Wizard::setLabelBack(lblProcent[k], colourOf(st.procentColors[n]));
        describeDeviation(k);
    }
    if (st.sumWes != before.sumWes) {
        lblSumWes->setText(st.sumWes);
        lblSumWes_Change();
    }
    if (buffer.recalculated())
        menuRules().report(MenuEvent::RacionWeightChanged);
    showCost();
    m_extras->follow();
    if (buffer.notANumber())
        platform().message(kNotANumber);
}

void frmRacion::closeEvent(QCloseEvent* e)
{
    if (g_instance == this && !m_weightsKept && !Navigation::settleUnsavedWork()) {
        e->ignore();
        return;
    }
    if (g_instance == this)
        g_instance = nullptr;
    menuRules().report(MenuEvent::RacionClosed);
    Form::closeEvent(e);
}
