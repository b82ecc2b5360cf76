#include "wizard/frmWiborRecept.h"

#include "data/RationState.h"
#include "shell/Navigation.h"
#include "shell/Screens.h"
#include "wizard/WizardWidgets.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

frmWiborRecept::frmWiborRecept(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmWiborRecept"));
    setWindowTitle(QStringLiteral("Выбор"));
    setModal(true);

    auto* label1 = new QLabel(QStringLiteral("Составить"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    optRacion = new QRadioButton(QStringLiteral("&Рецепт рациона"), this);
    optRacion->setObjectName(QStringLiteral("optRacion"));
    optRacion->setChecked(true);
    optKombikorm = new QRadioButton(QStringLiteral("Рецепт &комбикорма"), this);
    optKombikorm->setObjectName(QStringLiteral("optKombikorm"));
    cmdWiborRacionOk = new QPushButton(QStringLiteral("&Да"), this);
    cmdWiborRacionOk->setObjectName(QStringLiteral("cmdWiborRacionOk"));
    cmdWiborRacionOk->setAutoDefault(false);
    cmdWiborRacionOk->setDefault(false);

    auto* layout = Wizard::column(this, QMargins(24, 16, 24, 16), 8);
    layout->addWidget(label1);
    layout->addWidget(optRacion);
    layout->addWidget(optKombikorm);
    layout->addSpacing(Screens::scaled(8));
    layout->addWidget(cmdWiborRacionOk, 0, Qt::AlignHCenter);
    cmdWiborRacionOk->setMinimumWidth(Screens::scaled(80));

    setTabOrder(optRacion, optKombikorm);
    setTabOrder(optKombikorm, cmdWiborRacionOk);
    optRacion->setFocus();

    optRacion->installEventFilter(this);
    optKombikorm->installEventFilter(this);
    connect(cmdWiborRacionOk, &QPushButton::clicked, this, &frmWiborRecept::cmdWiborRacionOk_Click);
}

bool frmWiborRecept::eventFilter(QObject* watched, QEvent* event)
{
    // The choice is recorded as the focus leaves an option.
    if (event->type() == QEvent::FocusOut && (watched == optRacion || watched == optKombikorm))
        recordChoice(static_cast<QRadioButton*>(watched));
    return QDialog::eventFilter(watched, event);
}

// "Да" is not the default button: Enter presses it only when it has the focus.
void frmWiborRecept::keyPressEvent(QKeyEvent* e)
{
    if (Screens::enterPressesFocusedButton(this, e))
        return;
    QDialog::keyPressEvent(e);
}

void frmWiborRecept::recordChoice(QRadioButton* left)
{
    RationState& s = ration();
    s.bRacion = left == optRacion;
    s.bKombikorm = left == optKombikorm;
}

void frmWiborRecept::cmdWiborRacionOk_Click()
{
    // The option selected as "Да" is pressed is the one that counts.
    recordChoice(optKombikorm->isChecked() ? optKombikorm : optRacion);
    accept();
    Navigation::showOtshet();
}

void frmWiborRecept::choose()
{
    QWidget* parent = Screens::mdiArea() ? Screens::mdiArea()->window() : nullptr;
    frmWiborRecept dialog(parent);
    const int result = dialog.exec();
    // Closed without "Да", or no report sheet came up: the worksheet again.
    if (result != QDialog::Accepted || !Navigation::otshet())
        Navigation::showRacion();
}
