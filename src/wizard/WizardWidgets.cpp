#include "wizard/WizardWidgets.h"

#include "shell/Screens.h"

#include <QMdiSubWindow>
#include <QPalette>
#include <QPushButton>
#include <QWidget>

namespace Wizard {

void setLabelBack(QWidget* label, const QColor& colour)
{
    QPalette p = label->palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::WindowText, Screens::textColourFor(colour));
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

void setBoxBack(QWidget* box, const QColor& colour)
{
    QPalette p = box->palette();
    p.setColor(QPalette::Base, colour);
    p.setColor(QPalette::Text, Screens::textColourFor(colour));
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
