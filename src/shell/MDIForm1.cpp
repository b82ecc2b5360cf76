#include "shell/MDIForm1.h"

#include "shell/Screens.h"

#include <QMdiArea>

MDIForm1::MDIForm1(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MDIForm1"));
    setWindowTitle(QStringLiteral("Программа для составления рациона"));
    m_area = new QMdiArea(this);
    setCentralWidget(m_area);
    Screens::setMdiArea(m_area);
}

MDIForm1::~MDIForm1()
{
    Screens::setMdiArea(nullptr);
}
