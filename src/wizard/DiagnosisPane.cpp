#include "wizard/DiagnosisPane.h"

#include "data/NumText.h"
#include "data/RationState.h"
#include "engine/DiagnosisText.h"
#include "engine/LinearProgramme.h"
#include "engine/RacionSheet.h"
#include "engine/mdlRashet.h"
#include "shell/Screens.h"
#include "wizard/WizardWidgets.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int kListHeight = 58;   // three suggestions, at 8 pt

// The diagnosis's words. Its height comes from its width (the pane is as wide
// as the sheet); a word-wrapped label would reckon its sizes by laying the
// whole text out again at other widths (one word to a line for the least),
// at every change of the text.
class DiagnosisLabel : public QLabel {
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override { return {0, fontMetrics().height()}; }
    QSize sizeHint() const override { return {fontMetrics().averageCharWidth() * 40, fontMetrics().height()}; }
    // Asked again and again by the layout for the same text and width.
    int heightForWidth(int w) const override
    {
        if (w != m_width || text() != m_text || font() != m_font) {
            m_width = w;
            m_text = text();
            m_font = font();
            m_height = QLabel::heightForWidth(w);
        }
        return m_height;
    }

private:
    mutable int m_width = -1, m_height = 0;
    mutable QString m_text;
    mutable QFont m_font;
};
}

DiagnosisPane::DiagnosisPane(RacionSheet& sheet, QWidget* parent)
    : QFrame(parent)
    , m_sheet(sheet)
    , m_data(std::make_unique<ReferenceData>())
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("pnlDiagnosis"));
    setFrameShape(QFrame::StyledPanel);

    auto* title = new QLabel(QStringLiteral("Разбор рациона"), this);
    title->setObjectName(QStringLiteral("lblDiagnosisTitle"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    cmdClose = new QToolButton(this);
    cmdClose->setObjectName(QStringLiteral("cmdDiagnosisClose"));
    cmdClose->setText(QStringLiteral("✕"));
    cmdClose->setToolTip(QStringLiteral("Закрыть разбор"));
    cmdClose->setAccessibleName(cmdClose->toolTip());
    cmdClose->setAutoRaise(true);

    // What the sheet shows now, the analysis, and what the cheapest ration
    // costs: three labels, so that a weight written lays out again only the
    // lines that follow the weights, not the whole analysis. Those two lines
    // change at every weight and are plain labels; the analysis can be
    // selected and copied (a selectable label lays its words out as a
    // document, three times over at each change).
    const auto words = [this](const char* name, bool selectable) {
        auto* label = new DiagnosisLabel(this);
        label->setObjectName(QLatin1String(name));
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        if (selectable)
            label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    };
    lblNaListe = words("lblNaListe", false);
    lblDiagnosis = words("lblDiagnosis", true);
    lblCenaRaciona = words("lblCenaRaciona", false);
    lblCenaRaciona->hide();

    // Above the suggestions, and before them in the tab order.
    lstCeny = new QListWidget(this);
    lstCeny->setObjectName(QStringLiteral("lstCeny"));
    lstCeny->setAccessibleName(QStringLiteral("Цены кормов и ограничения, от которых зависит стоимость самого дешевого рациона"));
    lstCeny->setToolTip(QStringLiteral("При каких ценах самый дешевый рацион остается тем же и какие ограничения его удорожают"));
    lstCeny->hide();
    lstSovet = new QListWidget(this);
    lstSovet->setObjectName(QStringLiteral("lstSovet"));
    lstSovet->setFixedHeight(Screens::scaled(kListHeight));
    lstSovet->setToolTip(QStringLiteral("Двойной щелчок добавит корм на лист (или сделает замену)"));
    lstSovet->setAccessibleName(QStringLiteral("Корма, с которыми рацион можно сбалансировать"));
    lstSovet->setAccessibleDescription(QStringLiteral("Enter или двойной щелчок добавит корм на лист (или сделает замену)"));
    lstSovet->installEventFilter(this);
    cmdPodstavit = new QPushButton(QStringLiteral("Подс&тавить"), this);
    cmdPodstavit->setObjectName(QStringLiteral("cmdPodstavit"));
    cmdPodstavit->setToolTip(QStringLiteral("Записать веса сбалансированного рациона, ближайшего к норме"));

    auto* top = new QHBoxLayout;
    top->addWidget(title, 1);
    top->addWidget(cmdClose);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lstSovet, 1);
    bottom->addWidget(cmdPodstavit, 0, Qt::AlignTop);
    auto* layout = Wizard::column(this, QMargins(8, 4, 8, 8), 4);
    layout->addLayout(top);
    layout->addWidget(lblNaListe);
    layout->addWidget(lblDiagnosis);
    layout->addWidget(lblCenaRaciona);
    layout->addStretch(1);   // room the pane keeps from taller words, above the lists
    layout->addWidget(lstCeny);
    layout->addLayout(bottom);

    m_timer->setSingleShot(true);
    m_timer->setInterval(0);
    connect(m_timer, &QTimer::timeout, this, &DiagnosisPane::refresh);
    connect(cmdClose, &QToolButton::clicked, this, &DiagnosisPane::closePane);
    connect(cmdPodstavit, &QPushButton::clicked, this, &DiagnosisPane::cmdPodstavit_Click);
    connect(lstSovet, &QListWidget::itemDoubleClicked, this, &DiagnosisPane::lstSovet_DblClick);

    // The worksheet as it is built: the pane goes below all of it.
    setGeometry(Screens::scaled(4), parent->height(), parent->width() - 2 * Screens::scaled(4), 0);
    hide();
}

DiagnosisPane::~DiagnosisPane() = default;

void DiagnosisPane::open()
{
    m_open = true;
    show();
    refresh();
    // Below a sheet taller than the frame, the pane is scrolled into view.
    Screens::ensureVisible(this);
}

void DiagnosisPane::closePane()
{
    m_open = false;
    m_timer->stop();
    hide();
    fit();
}

void DiagnosisPane::refreshLater()
{
    if (m_open && !m_timer->isActive())
        m_timer->start();
}

void DiagnosisPane::refresh()
{
    m_timer->stop();
    if (!m_open)
        return;
    const GroupRecords groups = m_sheet.groupRecords();
    Bands::Reading reading = Bands::read(ration(), groups.records, m_sheet.toleranceText(),
                                         m_sheet.vitaminSurplusText(), m_sheet.vitaminsChecked());
    if (!groups.ok)
        reading.faults.prepend(QStringLiteral("ограничения групп кормов (%1)").arg(groups.error));
    const bool solvable = Lp::available();
    if (!solvable)
        reading.faults.prepend(QStringLiteral("не загружена библиотека GLPK (libglpk.so.40), которой идет разбор; "
                                              "переустановите программу"));
    const QVariant version = m_sheet.fileVersion();
    const bool reread = !m_tableRead || !version.isValid() || version != m_tableVersion;
    if (reread) {
        m_table = m_data->feeds();
        m_tableVersion = version;
        m_tableRead = true;
        m_contentsRead = false;
    }
    // With norms, the candidates need their contents and the category's limits.
    Bands::Extras extras;
    if (!reading.model.norms.empty()) {
        if (!m_contentsRead) {
            m_contents.clear();
            m_data->extraContents(m_contents);
            m_contentsRead = true;
        }
        extras.contents = m_contents;
        m_data->feedShares(ration().sKurwi, extras.shares);
    }
    const bool same = m_analysed && reading.model == m_reading.model && reading.faults == m_reading.faults
                      && reading.outOfRange == m_reading.outOfRange;
    std::optional<Bands::Candidates> candidates;
    if (!same || reread)
        candidates = Bands::candidates(m_table, reading.model, extras);
    if (!same || (candidates && !(*candidates == m_candidates))) {
        if (!groups.ok || !solvable)
            reading.limitsUnknown = true;
        m_diagnosis = Bands::diagnose(reading, *candidates);
        m_reading = std::move(reading);
        m_candidates = std::move(*candidates);
        m_analysed = true;
        m_costed = false;
    }

    const QString cost = costLine();
    bool changed = showWords(lblNaListe, currentState());
    changed = showWords(lblDiagnosis, DiagnosisText::lines(m_reading, m_candidates, m_diagnosis).join(QLatin1Char('\n')))
              || changed;
    changed = showWords(lblCenaRaciona, cost) || changed;
    cmdPodstavit->setEnabled(m_diagnosis.balanced.has_value());
    // Filled anew only when the suggestions change: a chosen one keeps its place.
    const QStringList suggestions = DiagnosisText::suggestions(m_reading.model, m_diagnosis);
    if (suggestions != m_suggestions) {
        lstSovet->clear();
        lstSovet->addItems(suggestions);
        m_suggestions = suggestions;
        changed = true;
    }
    lstSovet->setEnabled(!suggestions.isEmpty());
    changed = showPrices(!cost.isEmpty()) || changed;
    // The height is worked out again (laying out every line) only when the
    // lines or the room for them changed.
    if (changed || m_fittedWidth != parentWidget()->width())
        fit();
}

// A label shown with `text`, hidden without; whether anything changed.
bool DiagnosisPane::showWords(QLabel* label, const QString& text)
{
    if (label->text() == text && label->isVisibleTo(this) == !text.isEmpty())
        return false;
    label->setText(text);
    label->setVisible(!text.isEmpty());
    return true;
}

// What the worksheet shows now: every nutrient out of its tolerance, the
// vitamins too whether or not the calculation takes them into account, and a
// sum of weights other than 100. Vitamins out of norm while the box is
// unticked are named once more, with what ticking it does.
QString DiagnosisPane::currentState() const
{
    QStringList out, vitamins;
    for (int k = 0; k < Bands::kNutrients; ++k)
        if (m_sheet.procentColor(k) == SheetColor::LightRed) {
            out << QStringLiteral("%1 %2 %").arg(Bands::nutrientName(k + 1), m_sheet.procentCaption(k));
            if (k >= 5)
                vitamins << Bands::nutrientName(k + 1);
        }
    QString text = QStringLiteral("На листе сейчас: ");
    if (m_sheet.sumWesCaption() != QLatin1String("100"))
        text += QStringLiteral("сумма весов %1 г; ").arg(m_sheet.sumWesCaption());
    text += out.isEmpty() ? QStringLiteral("все вещества в норме.")
                          : QStringLiteral("вне нормы %1.").arg(out.join(QStringLiteral(", ")));
    if (!vitamins.isEmpty() && !m_sheet.vitaminsChecked())
        text += QStringLiteral("\nВитамины вне нормы (%1): «Расчитать» учитывает их, только когда отмечено "
                               "«авторасчет с учетом витаминов». Отметьте его, чтобы сбалансировать и витамины.")
                    .arg(vitamins.join(QStringLiteral(", ")));
    return text;
}

// With a price for every chosen feed: what 1 kg of the cheapest balanced
// ration costs (its weights as "Расчитать" would write them) beside what the
// mix on the sheet costs. Empty without prices or a ration whose written
// weights the worksheet judges balanced.
QString DiagnosisPane::costLine()
{
    const RationState& s = ration();
    std::vector<double> prices;
    for (int i = 0; i < s.feedCount(); ++i) {
        if (!s.Cena[i])
            return {};
        prices.push_back(*s.Cena[i]);
    }
    if (!m_reading.complete() || prices.empty())
        return {};
    if (!m_costed || prices != m_prices) {
        m_cheapest.reset();
        m_sensitivity.reset();
        const std::optional<Bands::Ration> cheapest = Bands::leastCost(m_reading.model, prices);
        if (cheapest && cheapest->judgedBalanced) {
            m_cheapest = Bands::costPerKg(cheapest->written, prices);
            m_sensitivity = cheapest->sensitivity;
        }
        m_prices = std::move(prices);
        m_costed = true;
    }
    if (!m_cheapest)
        return {};
    QString onSheet = mdlRashet::kUndefined;
    std::vector<double> weights;
    for (int i = 0; i < s.feedCount(); ++i)
        if (const std::optional<double> weight = NumText::toDouble(m_sheet.weightText(i)))
            weights.push_back(*weight);
    if (int(weights.size()) == s.feedCount())
        onSheet = QStringLiteral("%1 руб./кг").arg(NumText::format00(Bands::costPerKg(weights, m_prices)));
    return QStringLiteral("Самый дешевый сбалансированный рацион: %1 руб./кг, на листе: %2")
        .arg(NumText::format00(*m_cheapest), onSheet);
}

// The cheapest ration's prices and limits, a line each (the whole line as its
// tooltip, should the pane be narrower); the list as tall as its lines, up to
// a few, and only while the cost line is shown.
bool DiagnosisPane::showPrices(bool costed)
{
    const QStringList lines = costed && m_sensitivity ? DiagnosisText::prices(m_reading.model, *m_sensitivity)
                                                         : QStringList();
    // Filled anew only when the lines change: a weight typed keeps its place in it.
    QStringList shown;
    for (int i = 0; i < lstCeny->count(); ++i)
        shown << lstCeny->item(i)->text();
    if (shown == lines)
        return false;
    lstCeny->clear();
    for (const QString& line : lines) {
        auto* item = new QListWidgetItem(line, lstCeny);
        item->setToolTip(line);
    }
    lstCeny->setVisible(!lines.isEmpty());
    if (lines.isEmpty())
        return true;
    constexpr int kMostRows = 8;
    const int rows = std::min(int(lines.size()), kMostRows);
    // Room for the sideways scroll bar only where a line is wider than the pane.
    const int inside = parentWidget()->width() - 2 * x() - layout()->contentsMargins().left()
                       - layout()->contentsMargins().right() - 2 * lstCeny->frameWidth();
    const int scrollBar = lstCeny->sizeHintForColumn(0) > inside ? lstCeny->horizontalScrollBar()->sizeHint().height() : 0;
    lstCeny->setFixedHeight(rows * lstCeny->sizeHintForRow(0) + 2 * lstCeny->frameWidth() + scrollBar);
    return true;
}

// While the pane stays open at one width it only grows: a shorter text leaves
// it as tall as it was (the room left over goes above the lists), so the
// suggestions and «Подставить» stay where they are under the mouse, and the
// sheet above is not laid out and drawn again at every weight typed or click.
// Opened anew, or at another width, it fits its text exactly.
void DiagnosisPane::fit()
{
    const bool stays = m_open && m_fittedWidth == parentWidget()->width() && isVisible();
    m_fittedWidth = m_open ? parentWidget()->width() : -1;
    int h = 0;
    if (m_open) {
        const int width = parentWidget()->width() - 2 * x();
        // So does the room of what the sheet shows now, so that the analysis
        // below it stays in its place too.
        const QMargins m = layout()->contentsMargins();
        const int need = lblNaListe->heightForWidth(width - 2 * frameWidth() - m.left() - m.right());
        lblNaListe->setMinimumHeight(stays ? std::max(lblNaListe->minimumHeight(), need) : need);
        h = std::max(layout()->totalHeightForWidth(width), layout()->totalMinimumSize().height());
        if (stays)
            h = std::max(h, height());
        setGeometry(x(), y(), width, h);
    }
    Q_EMIT roomWanted(h ? h + x() : 0);
}

void DiagnosisPane::cmdPodstavit_Click()
{
    if (!m_diagnosis.balanced)
        return;
    const std::vector<double>& w = m_diagnosis.balanced->written;
    const int n = std::min(int(w.size()), ration().feedCount());
    // Every box to 0 first, so no sum on the way passes 100 and is cut.
    m_sheet.writeAll([&](RacionSheet& sheet) {
        for (int i = 0; i < n; ++i)
            sheet.setWeightText(i, QStringLiteral("0"));
        for (int i = 0; i < n; ++i)
            sheet.setWeightText(i, NumText::fixed(w[std::size_t(i)], 2));
    });
}

// Enter on a suggestion takes it as a double click does.
bool DiagnosisPane::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lstSovet && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !(key->modifiers() & ~Qt::KeypadModifier)
            && lstSovet->currentItem()) {
            lstSovet_DblClick(lstSovet->currentItem());
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void DiagnosisPane::lstSovet_DblClick(QListWidgetItem* item)
{
    const int row = lstSovet->row(item);
    if (row < 0 || row >= int(m_diagnosis.suggestions.size()))
        return;
    // The list is filled anew once the feed is on the worksheet: not inside
    // its own double-click handling.
    const Bands::Suggestion s = m_diagnosis.suggestions[std::size_t(row)];
    QTimer::singleShot(0, this, [this, s] { take(s); });
}

void DiagnosisPane::take(const Bands::Suggestion& s)
{
    Q_EMIT feedChosen(s.name, s.replaced);
    refresh();
}
