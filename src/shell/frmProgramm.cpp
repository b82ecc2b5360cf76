#include "shell/frmProgramm.h"

#include "shell/AppInfo.h"
#include "shell/MenuRules.h"
#include "shell/Screens.h"
#include "shell/Startup.h"
#include "shell/WebPages.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>

frmProgramm::frmProgramm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmProgramm"));
    setWindowTitle(QStringLiteral("O программе"));   // the first letter is a Latin O
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Отзывы и пожелания по улучшению программы, обновление "
                                       "программы и баз данных, на сайте программы:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setGeometry(Screens::scaled(QRect(16, 10, 254, 62)));

    Command1 = new QPushButton(AppInfo::kSiteUrl.isEmpty() ? AppInfo::kQuestionsCaption : AppInfo::kSiteUrl, this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Screens::scaled(QRect(40, 78, 206, 33)));

    Label2 = new QLabel(AppInfo::kVersionText, this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    Label2->setGeometry(Screens::scaled(QRect(16, 118, 254, 20)));

    // Which treba.mdb this copy works on (another folder has its own), whole:
    // a line may break after any separator of the path.
    const QString base = QDir::toNativeSeparators(Startup::databaseInUse());
    QString breakable = base;
    breakable.replace(QDir::separator(), QString(QDir::separator()) + QChar(0x200B));
    lblBasa = new QLabel(QStringLiteral("База данных: ") + breakable, this);
    lblBasa->setObjectName(QStringLiteral("lblBasa"));
    lblBasa->setWordWrap(true);
    lblBasa->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblBasa->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblBasa->setToolTip(base);
    const QRect basaRect = Screens::scaled(QRect(16, 142, 254, 20));
    lblBasa->setGeometry(basaRect.adjusted(0, 0, 0, qMax(0, lblBasa->heightForWidth(basaRect.width()) - basaRect.height())));
    const int below = lblBasa->geometry().bottom() + 1 - basaRect.top() + Screens::scaled(4);

    cmdExit = new QPushButton(QStringLiteral("&Закрыть"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdExit->setGeometry(Screens::scaled(QRect(100, 146, 86, 28)).translated(0, below));
    cmdExit->setDefault(true);
    cmdExit->setFocus();   // Enter at once closes the box

    // Whatever size the user gives it, the box keeps its own (at 8 pt; it
    // grows with the application's font as the rest of the screens do).
    setFixedSize(Screens::scaled(QSize(kClientWidth, kClientHeight)) + QSize(0, below));

    connect(Command1, &QPushButton::clicked, this,
            [this] {
                // Without a site the help opens in the frame; the box makes way for it.
                if (AppInfo::kSiteUrl.isEmpty())
                    accept();
                Shell::openSitePage(QString());
            });
    connect(cmdExit, &QPushButton::clicked, this, &QDialog::accept);

    menuRules().report(MenuEvent::AboutLoaded);
}

frmProgramm::~frmProgramm()
{
    reportClosed();
}

// Every way out (the button, the title bar, Esc) ends here.
void frmProgramm::done(int result)
{
    reportClosed();
    QDialog::done(result);
}

void frmProgramm::reportClosed()
{
    if (m_closedReported)
        return;
    m_closedReported = true;
    menuRules().report(MenuEvent::AboutClosed);
}
