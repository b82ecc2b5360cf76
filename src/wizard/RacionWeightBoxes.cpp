#include "wizard/frmRacion.h"

#include "data/Fixed4.h"
#include "data/NumText.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

// The worksheet's weight boxes as they meet the keyboard and the mouse: the
// characters a box takes, the first click that selects its text, the Up and
// Down keys and the spin arrows that step a weight.

SpinButton::SpinButton(QWidget* parent)
    : QWidget(parent)
    , m_up(new QToolButton(this))
    , m_down(new QToolButton(this))
{
    m_up->setObjectName(QStringLiteral("up"));
    m_down->setObjectName(QStringLiteral("down"));
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* b : {m_up, m_down}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        b->setIconSize(Screens::scaled(QSize(7, 7)));
        layout->addWidget(b);
    }
    connect(m_up, &QToolButton::clicked, this, &SpinButton::SpinUp);
    connect(m_down, &QToolButton::clicked, this, &SpinButton::SpinDown);
}

int frmRacion::Only_Number(int theParam)
{
    static const QString allowed = QStringLiteral(".1234567890,");
    if (theParam == 8)
        return theParam;
    if (theParam <= 0 || theParam > 0xFFFF || !allowed.contains(QChar(theParam)))
        return 0;
    if (theParam == '.' || theParam == ',') {
        const QString dec = NumText::locale().decimalPoint();
        return dec.isEmpty() ? ',' : dec.at(0).unicode();
    }
    return theParam;
}

bool frmRacion::eventFilter(QObject* watched, QEvent* event)
{
    // The first click into a weight box since it took the focus (by that
    // click, by Tab, or as the sheet opened) selects its whole text, so that
    // what is typed replaces it: "20" typed after a click left of the "0" is
    // 20, not 200. A drag that selects a part wins; a later click, or one
    // after typing, places the cursor.
    if (event->type() == QEvent::FocusIn)
        m_firstClick = qobject_cast<QLineEdit*>(watched);
    else if (watched == m_firstClick && (event->type() == QEvent::FocusOut || event->type() == QEvent::KeyPress))
        m_firstClick = nullptr;
    else if (watched == m_firstClick && event->type() == QEvent::MouseButtonRelease) {
        m_firstClick = nullptr;
        if (!static_cast<QLineEdit*>(watched)->hasSelectedText())
            static_cast<QLineEdit*>(watched)->selectAll();
    }
    if (event->type() == QEvent::KeyPress) {
        auto* box = qobject_cast<QLineEdit*>(watched);
        const auto* key = static_cast<QKeyEvent*>(event);
        // Up and Down step the weight as the box's spin arrows do.
        if (box && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)
            && !(key->modifiers() & ~Qt::KeypadModifier)) {
            const auto* i = std::find(txtWes, txtWes + 10, box);
            if (i != txtWes + 10) {
                if (key->key() == Qt::Key_Up)
                    SpinButton_SpinUp(int(i - txtWes));
                else
                    SpinButton_SpinDown(int(i - txtWes));
                return true;
            }
        }
        const QString text = key->text();
        // Only typed characters are filtered; editing keys and shortcuts
        // (paste included, which the change handling checks) pass.
        if (box && text.size() == 1 && text.at(0).isPrint()
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            const int code = Only_Number(text.at(0).unicode());
            if (code == 0)
                return true;
            if (code != text.at(0).unicode()) {
                box->insert(QString(QChar(code)));
                return true;
            }
        }
    }
    return Form::eventFilter(watched, event);
}

void frmRacion::SpinButton_SpinUp(int index)
{
    if (lblSumWes->text() == QLatin1String("100"))
        return;
    const QString t = txtWes[index]->text();
    const auto v = Fixed4::fromText(t);
    if (!v)
        return;   // a box without a number is left to its message
    // The step is chosen by comparing the texts, character by character.
    const bool small = QString::compare(t, QStringLiteral("1"), Qt::CaseSensitive) < 0 || t == QLatin1String("0");
    const Fixed4 step = small ? Fixed4::fromRaw(Fixed4::Scale / 10) : Fixed4::fromInt(1);
    // At the top of the range there is no next value: the box stays.
    if (const auto next = *v + step)
        setWeightText(index, next->toText());
}

void frmRacion::SpinButton_SpinDown(int index)
{
    const QString t = txtWes[index]->text();
    const auto v = Fixed4::fromText(t);
    if (!v || *v == Fixed4())
        return;
    const bool small = QString::compare(t, QStringLiteral("0"), Qt::CaseSensitive) > 0
                       && QString::compare(t, QStringLiteral("1"), Qt::CaseSensitive) <= 0;
    const Fixed4 step = small ? Fixed4::fromRaw(Fixed4::Scale / 10) : Fixed4::fromInt(1);
    if (const auto next = *v - step)
        setWeightText(index, next->toText());
}
