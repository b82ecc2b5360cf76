#include "shell/MDIForm1.h"

#include "shell/AppInfo.h"
#include "shell/Form.h"
#include "shell/Hosting.h"
#include "shell/Metrics.h"
#include "shell/Navigation.h"
#include "shell/Platform.h"
#include "shell/RecentCalculations.h"
#include "shell/WebPages.h"
#include "shell/frmProgramm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QUrl>

#ifndef RACION_DATA_INSTALL_DIR
#define RACION_DATA_INSTALL_DIR "/usr/share/racion"
#endif

namespace {
QStringList g_helpDirectories;
}

MDIForm1::MDIForm1(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MDIForm1"));
    setWindowTitle(QStringLiteral("Программа для составления рациона"));
    m_area = new QMdiArea(this);
    m_area->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(m_area);
    Screens::setMdiArea(m_area);

    createMenus();
    applyMenuRules();

    // A screen that does not fit the area is scrolled.
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    QSize size = Screens::scaled(QSize(kClientWidth, kClientHeight)) + QSize(0, menuBar()->sizeHint().height());
    if (QScreen* s = screen()) {
        size = size.boundedTo(s->availableGeometry().size());
        resize(size);
        QRect r = rect();
        r.moveCenter(s->availableGeometry().center());
        move(r.topLeft());
    } else {
        resize(size);
    }
}

MDIForm1::~MDIForm1()
{
    if (Screens::mdiArea() == m_area)
        Screens::setMdiArea(nullptr);
}

QAction* MDIForm1::addItem(QMenu* menu, const char* name, const QString& caption)
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

void MDIForm1::addSeparator(QMenu* menu, const char* name)
{
    menu->addSeparator()->setObjectName(QString::fromLatin1(name));
}

void MDIForm1::createMenus()
{
    mnuFile = menuBar()->addMenu(QStringLiteral("&Файл"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuSaveR = addItem(mnuFile, "mnuSaveR", QStringLiteral("&Сохранить расчет..."));
    mnuRecent = mnuFile->addMenu(QStringLiteral("Последние &расчеты"));
    mnuRecent->setObjectName(QStringLiteral("mnuRecent"));
    mnuRecent->menuAction()->setObjectName(QStringLiteral("mnuRecent"));
    addSeparator(mnuFile, "mnu5");
    mnuSaveRacion = addItem(mnuFile, "mnuSaveRacion", QStringLiteral("&Записать рацион в файл..."));
    QAction* mnuOpenRacion =
        addItem(mnuFile, "mnuOpenRacion", QStringLiteral("Смо&треть\\Печатать  рацион..."));
    mnuPrint = addItem(mnuFile, "mnuPrint", QStringLiteral("&Печать..."));
    mnuPrint->setShortcut(QKeySequence::Print);
    addSeparator(mnuFile, "mnuSheetSep");
    QMenu* mnuExport = mnuFile->addMenu(QStringLiteral("&Экспорт"));
    mnuExport->setObjectName(QStringLiteral("mnuExport"));
    mnuExport->menuAction()->setObjectName(QStringLiteral("mnuExport"));
    QAction* mnuExportBasa = addItem(mnuExport, "mnuExportBasa", QStringLiteral("&Корма..."));
    QAction* mnuExportKurwi = addItem(mnuExport, "mnuExportKurwi", QStringLiteral("&Нормы птицы..."));
    mnuExportRacion = addItem(mnuExport, "mnuExportRacion", QStringLiteral("&Рацион..."));
    QAction* mnuImportBasa = addItem(mnuFile, "mnuImportBasa", QStringLiteral("&Импорт кормов..."));
    addSeparator(mnuFile, "mnu2");
    QAction* mnuExit = addItem(mnuFile, "mnuExit", QStringLiteral("За&крыть"));

    mnuRacion = menuBar()->addMenu(QStringLiteral("&Расчет рациона"));
    mnuRacion->setObjectName(QStringLiteral("mnuRacion"));
    mnuRacion->menuAction()->setObjectName(QStringLiteral("mnuRacion"));
    QAction* mnuNRaschet = addItem(mnuRacion, "mnuNRaschet", QStringLiteral("&Новый расчет"));
    QAction* mnuSRachet = addItem(mnuRacion, "mnuSRachet", QStringLiteral("&Открыть старый..."));

    mnuBasa = menuBar()->addMenu(QStringLiteral("&База данных"));
    mnuBasa->setObjectName(QStringLiteral("mnuBasa"));
    mnuKorm = addItem(mnuBasa, "mnuKorm", QStringLiteral("&кормов"));
    mnuVargo = addItem(mnuBasa, "mnuVargo", QStringLiteral("&птицы"));
    mnuCena = addItem(mnuBasa, "mnuCena", QStringLiteral("&цены кормов"));
    addSeparator(mnuBasa, "mnuDopSep");
    QAction* mnuDopKorm = addItem(mnuBasa, "mnuDopKorm", QStringLiteral("&Аминокислоты и др. в кормах"));
    QAction* mnuDopKurwi = addItem(mnuBasa, "mnuDopKurwi", QStringLiteral("&Нормы аминокислот и др. для птицы"));
    QAction* mnuKurwiKorm = addItem(mnuBasa, "mnuKurwiKorm", QStringLiteral("&Ограничения кормов по видам птицы"));
    QAction* mnuPokazatel = addItem(mnuBasa, "mnuPokazatel", QStringLiteral("&Список показателей"));
    addSeparator(mnuBasa, "mnuJetSep");
    QAction* mnuImportJet = addItem(mnuBasa, "mnuImportJet", QStringLiteral("Перенести из с&тарой базы..."));

    lblHelp = menuBar()->addMenu(QStringLiteral("&Помощь"));
    lblHelp->setObjectName(QStringLiteral("lblHelp"));
    QAction* lblRabota = addItem(lblHelp, "lblRabota", QStringLiteral("&Работа с программой"));
    QAction* lblFaq = addItem(lblHelp, "lblFaq", QStringLiteral("&FAQ"));
    mnuProgramm = addItem(lblHelp, "mnuProgramm", QStringLiteral("&О программе"));

    // The usual keys; each works only while its item is on.
    mnuSaveR->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    mnuNRaschet->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuSRachet->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    lblRabota->setShortcut(QKeySequence(Qt::Key_F1));

    connect(mnuSaveR, &QAction::triggered, this, [] { Navigation::saveCalculation(); });
    connect(mnuSaveRacion, &QAction::triggered, this, [] { Navigation::writeReport(); });
    connect(mnuOpenRacion, &QAction::triggered, this, [] { Navigation::viewReport(); });
    connect(mnuExportBasa, &QAction::triggered, this, [] { Navigation::exportFeeds(); });
    connect(mnuExportKurwi, &QAction::triggered, this, [] { Navigation::exportNorms(); });
    connect(mnuExportRacion, &QAction::triggered, this, [] { Navigation::exportRation(); });
    connect(mnuImportBasa, &QAction::triggered, this, [] { Navigation::importFeeds(); });
    connect(mnuPrint, &QAction::triggered, this, [] { Navigation::printReport(); });
    connect(&recentCalculations(), &RecentCalculations::changed, this, &MDIForm1::fillRecent);
    fillRecent();
    connect(mnuExit, &QAction::triggered, this, &QWidget::close);
    connect(mnuNRaschet, &QAction::triggered, this, &MDIForm1::mnuNRaschet_Click);
    connect(mnuSRachet, &QAction::triggered, this, [] { Navigation::openCalculation(); });
    connect(mnuKorm, &QAction::triggered, this, [] { Navigation::showFeedEditor(); });
    connect(mnuVargo, &QAction::triggered, this, [] { Navigation::showPoultryEditor(); });
    connect(mnuCena, &QAction::triggered, this, [] { Navigation::showPriceEditor(); });
    connect(mnuDopKorm, &QAction::triggered, this, [] { Navigation::showExtraContentsEditor(); });
    connect(mnuDopKurwi, &QAction::triggered, this, [] { Navigation::showExtraNormsEditor(); });
    connect(mnuKurwiKorm, &QAction::triggered, this, [] { Navigation::showFeedLimitsEditor(); });
    connect(mnuPokazatel, &QAction::triggered, this, [] { Navigation::showNutrientListEditor(); });
    connect(mnuImportJet, &QAction::triggered, this, [] { Navigation::importOldDatabase(); });
    connect(lblRabota, &QAction::triggered, this, &MDIForm1::lblRabota_Click);
    connect(lblFaq, &QAction::triggered, this, &MDIForm1::lblFaq_Click);
    connect(mnuProgramm, &QAction::triggered, this, &MDIForm1::mnuProgramm_Click);
}

QAction* MDIForm1::actionFor(MenuItem item) const
{
    switch (item) {
    case MenuItem::Racion: return mnuRacion->menuAction();
    case MenuItem::SaveR: return mnuSaveR;
    case MenuItem::SaveRacion: return mnuSaveRacion;
    case MenuItem::Korm: return mnuKorm;
    case MenuItem::Vargo: return mnuVargo;
    case MenuItem::Programm: return mnuProgramm;
    case MenuItem::Cena: return mnuCena;
    case MenuItem::ExportRacion: return mnuExportRacion;
    }
    return nullptr;
}

void MDIForm1::applyMenuRules()
{
    for (int i = 0; i < kMenuItemCount; ++i)
        actionFor(MenuItem(i))->setEnabled(menuRules().isEnabled(MenuItem(i)));
    // Printing needs the report sheet, as writing the report does; a recent
    // calculation opens only when "Открыть старый..." could open one.
    const auto followers = [this] {
        mnuPrint->setEnabled(menuRules().isEnabled(MenuItem::SaveRacion));
        mnuRecent->menuAction()->setEnabled(menuRules().isEnabled(MenuItem::Racion)
                                            && !recentCalculations().files().isEmpty());
    };
    followers();
    connect(&menuRules(), &MenuRules::changed, this, [this, followers](MenuItem item, bool enabled) {
        if (QAction* a = actionFor(item))
            a->setEnabled(enabled);
        followers();
    });
    connect(&recentCalculations(), &RecentCalculations::changed, this, followers);
}

void MDIForm1::fillRecent()
{
    mnuRecent->clear();
    const QStringList files = recentCalculations().files();
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files.at(i);
        QString name = QFileInfo(path).fileName();
        name.replace(QLatin1Char('&'), QStringLiteral("&&"));   // a name's own & is no mnemonic
        QAction* a = mnuRecent->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(name));
        a->setObjectName(QStringLiteral("mnuRecent(%1)").arg(i));
        a->setToolTip(QDir::toNativeSeparators(path));
        a->setStatusTip(QDir::toNativeSeparators(path));
        connect(a, &QAction::triggered, this, [path] { Navigation::openCalculationFile(path); });
    }
}

void MDIForm1::mnuNRaschet_Click()
{
    menuRules().report(MenuEvent::NewCalcChosen);
    Navigation::newCalculation();
}

QStringList MDIForm1::helpDirectories()
{
    if (!g_helpDirectories.isEmpty())
        return g_helpDirectories;
    return {QCoreApplication::applicationDirPath(), QStringLiteral(RACION_DATA_INSTALL_DIR)};
}

void MDIForm1::setHelpDirectories(const QStringList& dirs)
{
    g_helpDirectories = dirs;
}

QString MDIForm1::helpFilePath()
{
    for (const QString& dir : helpDirectories()) {
        const QString candidate = QDir(dir).filePath(AppInfo::kHelpFileName);
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return QString();
}

bool MDIForm1::showHelp(const QString& from)
{
    const QString path = helpFilePath();
    if (path.isEmpty()) {
        QStringList dirs;
        for (const QString& d : helpDirectories())
            dirs << QDir::toNativeSeparators(d);
        platform().message(QStringLiteral("Файл справки %1 не найден. Он должен лежать в папке "
                                          "программы или в папке ее данных: %2.")
                               .arg(AppInfo::kHelpFileName, dirs.join(QStringLiteral(", "))));
        return false;
    }
    if (!platform().viewTextFile(path, from)) {
        platform().message(QStringLiteral("Не удалось открыть файл справки %1.")
                               .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    return true;
}

void MDIForm1::lblRabota_Click()
{
    showHelp();
}

void MDIForm1::lblFaq_Click()
{
    Shell::openSitePage(AppInfo::kForumPath);
}

void MDIForm1::mnuProgramm_Click()
{
    frmProgramm box(this);
    box.exec();
}

// Shown, the frame knows its window frame: frame included, it stays within
// the available screen.
void MDIForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    Screens::keepOnScreen(this);
}

void MDIForm1::closeEvent(QCloseEvent* event)
{
    // Every window is asked before any closes, so that a user kept by one of
    // them finds every screen as it was: each editor writes the row it holds
    // (one that cannot says why and keeps the program open), then weights not
    // saved are asked about, the worksheet's or those its "Назад" kept. Only
    // then do the windows close, the calculation first, none asking again.
    for (QMdiSubWindow* sub : m_area->subWindowList()) {
        if (auto* form = qobject_cast<Form*>(sub->widget()); form && !form->mayClose()) {
            event->ignore();
            return;
        }
    }
    if (!Navigation::settleUnsavedWork() || !Navigation::closeRacion()) {
        event->ignore();
        return;
    }
    m_area->closeAllSubWindows();
    for (QMdiSubWindow* sub : m_area->subWindowList()) {
        if (!sub->isHidden()) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

namespace Shell {

bool openWebAddress(const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (url.isValid() && platform().openUrl(url))
        return true;
    platform().message(QStringLiteral("Не удалось открыть адрес %1 в браузере. "
                                      "Откройте его в браузере вручную.")
                           .arg(address));
    return false;
}

bool openSitePage(const QString& path)
{
    if (!AppInfo::kSiteUrl.isEmpty())
        return openWebAddress(AppInfo::kSiteUrl + path);
    return MDIForm1::showHelp(AppInfo::kHelpQuestions);
}

} // namespace Shell
