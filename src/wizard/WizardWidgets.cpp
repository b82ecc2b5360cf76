#include "wizard/WizardWidgets.h"

#include "shell/Screens.h"

#include <QListWidget>
#include <QMdiSubWindow>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace Wizard {

void setLabelBack(QWidget* label, const QColor& colour)
{
    // A new palette costs the widget a round of change events and a repaint:
    // the worksheet colours every cell at each change of a weight, mostly as
    // it already is.
    const QColor text = Screens::textColourFor(colour);
    if (label->autoFillBackground() && label->palette().color(QPalette::Window) == colour
        && label->palette().color(QPalette::WindowText) == text)
        return;
    QPalette p = label->palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::WindowText, text);
    label->setPalette(p);
    label->setAutoFillBackground(true);
}

QPushButton* button(QWidget* screen, const char* name, const QString& caption, const QRect& geometry)
{
    auto* b = new QPushButton(caption, screen);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(geometry);
    return b;
}

void showNamesWhole(QListWidget* list)
{
    // Entries of one size would all take the size of one of them, and a
    // longer name would be cut to it.
    list->setUniformItemSizes(false);
    QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, list, [list](const QModelIndex&, int first, int last) {
        for (int i = first; i <= last; ++i)
            if (QListWidgetItem* item = list->item(i))
                item->setToolTip(item->text());
    });
}

QVBoxLayout* column(QWidget* window, const QMargins& margins, int spacing)
{
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(Screens::scaled(margins.left()), Screens::scaled(margins.top()),
                               Screens::scaled(margins.right()), Screens::scaled(margins.bottom()));
    layout->setSpacing(Screens::scaled(spacing));
    return layout;
}

void setBoxBack(QWidget* box, const QColor& colour)
{
    const QColor text = Screens::textColourFor(colour);
    if (box->palette().color(QPalette::Base) == colour && box->palette().color(QPalette::Text) == text)
        return;
    QPalette p = box->palette();
    p.setColor(QPalette::Base, colour);
    p.setColor(QPalette::Text, text);
    box->setPalette(p);
}

void closeScreen(QWidget* screen)
{
    if (QMdiSubWindow* sub = Screens::subWindowOf(screen))
        sub->close();
    else
        screen->close();
}

void hideScreen(QWidget* screen)
{
    if (QMdiSubWindow* sub = Screens::subWindowOf(screen))
        sub->hide();
    screen->hide();
}

} // namespace Wizard
