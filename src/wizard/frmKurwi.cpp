#include "wizard/frmKurwi.h"

#include "data/Adodc.h"
#include "data/RationState.h"
#include "data/Statements.h"
#include "data/mdlAddItem.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "shell/Platform.h"
#include "wizard/WizardWidgets.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <functional>

namespace {
const QString kNotChosen = QStringLiteral("Не выбрано");

// The category list. It tells the screen when the user's keys move its
// current entry; the focus or a refill making an entry current is no choice.
class CategoryList : public QListWidget {
public:
    using QListWidget::QListWidget;
    std::function<void()> movedByKey;

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        const int before = currentRow();
        QListWidget::keyPressEvent(e);
        if (currentRow() != before && movedByKey)
            movedByKey();
    }
};
} // namespace

frmKurwi::frmKurwi(QWidget* parent)
    : Form(parent)
    , Adodc1(std::make_unique<Adodc>())
{
    setObjectName(QStringLiteral("frmKurwi"));
    setWindowTitle(QStringLiteral("Выбор категории птицы для рассчета рациона"));

    auto* list = new CategoryList(this);
    list->movedByKey = [this] { lstKurwi_Click(); };
    lstKurwi = list;
    Wizard::showNamesWhole(lstKurwi);
    lstKurwi->setObjectName(QStringLiteral("lstKurwi"));
    // Wider than 3975 twips, so the longest category names fit.
    lstKurwi->setGeometry(Wizard::twips(360, 120, 5850, 6690));
    lstKurwi->setToolTip(QStringLiteral("Список птиц, для которых можно создать рацион. "));
    lstKurwi->setAccessibleName(QStringLiteral("Категории птицы"));

    auto* label3 = new QLabel(this);
    label3->setObjectName(QStringLiteral("Label3"));
    label3->setText(QStringLiteral("Выберите в левом столбце категорию птицы для которой хотите рассчитать рацион.  "
                                   "После выбора нажмите кнопку \"Далее\""));
    label3->setWordWrap(true);
    label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label3->setGeometry(Wizard::twips(6420, 120, 3375, 1500));

    auto* label2 = new QLabel(QStringLiteral("Выбрана категория"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setGeometry(Wizard::twips(600, 7200, 3615, 300));

    Label1 = new QLabel(kNotChosen, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    // As wide as the list and taller than 3615 x 255, so long names fit.
    Label1->setGeometry(Wizard::twips(360, 7560, 5850, 375));
    Label1->setToolTip(QStringLiteral("Выбранная категория птицы."));
    Wizard::setLabelBack(Label1, Wizard::kLightYellow);

    cmdDalee = Wizard::button(this, "cmdDalee", QStringLiteral("&Далее"), Wizard::twips(6420, 7440, 1215, 495));
    cmdDalee->setEnabled(false);

    cmdZakrit = Wizard::button(this, "cmdZakrit", QStringLiteral("&Закрыть"), Wizard::twips(7740, 7440, 1215, 495));

    setFixedSize(Wizard::twips(0, 0, 10020, 8160).size());

    connect(lstKurwi, &QListWidget::itemClicked, this, &frmKurwi::lstKurwi_Click);
    connect(cmdDalee, &QPushButton::clicked, this, &frmKurwi::cmdDalee_Click);
    connect(cmdZakrit, &QPushButton::clicked, this, [this] { Wizard::closeScreen(this); });
}

frmKurwi::~frmKurwi() = default;

void frmKurwi::Form_Activate()
{
    Adodc1->setRecordSource(Statements::kurwiList);
    const bool refreshed = Adodc1->Refresh();
    menuRules().report(MenuEvent::KurwiActivated);
    if (!refreshed) {
        platform().message(Adodc1->lastError());
    } else {
        // The list is refilled, never appended to.
        const mdlAddItem::Result r = mdlAddItem::ZapolnitSpisok(*Adodc1, *lstKurwi);
        if (!r.ok)
            platform().message(r.error);
    }
    // A choice made on this screen stands; until then the remembered one.
    if (!m_chosenHere) {
        const QString chosen = ration().sKurwi;
        if (!chosen.isEmpty()) {
            Label1->setText(chosen);
            cmdDalee->setEnabled(true);
        } else {
            Label1->setText(kNotChosen);
        }
    }
    // The list's cursor stands on the category shown, so the arrow keys go on
    // from it (the refill took the cursor away).
    const QList<QListWidgetItem*> shown = lstKurwi->findItems(Label1->text(), Qt::MatchExactly);
    if (Label1->text() != kNotChosen && !shown.isEmpty()) {
        lstKurwi->setCurrentItem(shown.first());
        lstKurwi->scrollToItem(shown.first());
    }
}

void frmKurwi::lstKurwi_Click()
{
    const QListWidgetItem* item = lstKurwi->currentItem();
    if (!item)
        return;
    Label1->setText(item->text());
    m_chosenHere = true;
    if (!Label1->text().isEmpty())
        cmdDalee->setEnabled(true);
}

void frmKurwi::cmdDalee_Click()
{
    m_goingOn = true;
    Wizard::closeScreen(this);
    Navigation::showBasa();
}

void frmKurwi::closeEvent(QCloseEvent* e)
{
    // Closed any way but "Далее", the screen ends the calculation: weights
    // kept by the worksheet's "Назад" are asked about first.
    if (!m_goingOn && !Navigation::settleUnsavedWork()) {
        e->ignore();
        return;
    }
    if (Label1->text() != kNotChosen)
        ration().sKurwi = Label1->text();
    menuRules().report(MenuEvent::KurwiClosed);
    Form::closeEvent(e);
}
