#include "files/frmImport.h"

#include "data/ReferenceData.h"
#include "shell/Platform.h"
#include "shell/Screens.h"
#include "wizard/frmBasa.h"
#include "wizard/frmRacion.h"

#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The entries of one table of an old database.
qsizetype count(const QList<FeedSheets::Entry>& entries, int table)
{
    return std::ranges::count(entries, table, &FeedSheets::Entry::table);
}

} // namespace

frmImport::frmImport(const QString& path, const QByteArray& bytes, const FeedSheets::Plan& plan, QWidget* parent)
    : Form(parent)
    , m_path(path)
    , m_bytes(bytes)
    , m_plan(plan)
{
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(plan.oldDatabase ? QStringLiteral("Перенос из старой базы") : QStringLiteral("Импорт кормов"));
    setAttribute(Qt::WA_DeleteOnClose);

    lblFile = new QLabel(this);
    lblFile->setObjectName(QStringLiteral("lblFile"));
    lblFile->setWordWrap(true);
    lblFile->setTextInteractionFlags(Qt::TextSelectableByMouse);

    trwImport = new QTreeWidget(this);
    trwImport->setObjectName(QStringLiteral("trwImport"));
    trwImport->setHeaderLabels({QStringLiteral("Строка"), plan.oldDatabase ? QStringLiteral("Название") : QStringLiteral("Корм"),
                                QStringLiteral("Что будет записано")});
    trwImport->setWordWrap(true);
    trwImport->setUniformRowHeights(false);
    trwImport->setAccessibleName(QStringLiteral("Что изменится в базе данных"));
    trwImport->header()->setStretchLastSection(true);
    lblFile->setBuddy(trwImport);

    cmdPrimenit = new QPushButton(QStringLiteral("&Применить"), this);
    cmdPrimenit->setObjectName(QStringLiteral("cmdPrimenit"));
    cmdOtmena = new QPushButton(QStringLiteral("&Отмена"), this);
    cmdOtmena->setObjectName(QStringLiteral("cmdOtmena"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdPrimenit);
    buttons->addWidget(cmdOtmena);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblFile);
    layout->addWidget(trwImport, 1);
    layout->addLayout(buttons);

    connect(cmdPrimenit, &QPushButton::clicked, this, &frmImport::cmdPrimenit_Click);
    connect(cmdOtmena, &QPushButton::clicked, this, [this] { Screens::closeWindow(this); });
    fill();
}

QSize frmImport::sizeHint() const
{
    return Screens::scaled(QSize(680, 400));
}

void frmImport::fill()
{
    const FeedSheets::Plan& p = m_plan;
    QString summary = QStringLiteral("Файл %1.\n").arg(QDir::toNativeSeparators(m_path));
    if (p.writes.isEmpty() && p.rows.isEmpty())
        summary += QStringLiteral("Изменять нечего: ");
    if (p.oldDatabase)
        summary += QStringLiteral("новых кормов %1, категорий птицы %2, групп кормов %3; изменится кормов %4, категорий птицы %5, "
                                  "групп кормов %6; без изменений %7, не принято строк %8.")
                       .arg(count(p.added, 0)).arg(count(p.added, 1)).arg(count(p.added, 2))
                       .arg(count(p.changed, 0)).arg(count(p.changed, 1)).arg(count(p.changed, 2))
                       .arg(p.unchanged).arg(p.refused.size());
    else
        summary += QStringLiteral("новых кормов %1, изменится кормов %2, без изменений %3, не принято строк %4.")
                       .arg(p.added.size()).arg(p.changed.size()).arg(p.unchanged).arg(p.refused.size());
    lblFile->setText(summary);
    trwImport->clear();
    const auto group = [this](const QString& caption, QList<FeedSheets::Entry> entries, int table = -1) {
        if (table >= 0)
            entries.removeIf([table](const FeedSheets::Entry& e) { return e.table != table; });
        if (entries.isEmpty())
            return;
        auto* top = new QTreeWidgetItem(trwImport, {QStringLiteral("%1 (%2)").arg(caption).arg(entries.size())});
        top->setFirstColumnSpanned(true);
        for (const FeedSheets::Entry& e : entries) {
            // A value, a change or a reason a line.
            QString text = e.text;
            auto* item = new QTreeWidgetItem(top, {QString::number(e.line), e.feed, text.replace(QStringLiteral("; "), QStringLiteral("\n"))});
            item->setToolTip(2, e.text);
            item->setTextAlignment(0, Qt::AlignRight | Qt::AlignTop);
            item->setTextAlignment(1, Qt::AlignLeft | Qt::AlignTop);
        }
        top->setExpanded(true);
    };
    if (p.oldDatabase) {
        group(QStringLiteral("Новые корма"), p.added, 0);
        group(QStringLiteral("Новые категории птицы"), p.added, 1);
        group(QStringLiteral("Новые группы кормов"), p.added, 2);
        group(QStringLiteral("Изменения кормов"), p.changed, 0);
        group(QStringLiteral("Изменения категорий птицы"), p.changed, 1);
        group(QStringLiteral("Изменения групп кормов"), p.changed, 2);
        group(QStringLiteral("Не приняты строки таблицы кормов (basa)"), p.refused, 0);
        group(QStringLiteral("Не приняты строки таблицы птицы (kurwi)"), p.refused, 1);
        group(QStringLiteral("Не приняты строки таблицы групп (granica)"), p.refused, 2);
    } else {
        group(QStringLiteral("Новые корма"), p.added);
        group(QStringLiteral("Изменения"), p.changed);
        group(QStringLiteral("Не приняты строки"), p.refused);
    }
    trwImport->setColumnWidth(0, Screens::scaled(60));
    trwImport->setColumnWidth(1, Screens::scaled(170));
    const bool nothing = p.writes.isEmpty() && p.rows.isEmpty();
    cmdPrimenit->setEnabled(!nothing);
    (nothing ? cmdOtmena : cmdPrimenit)->setDefault(true);
}

void frmImport::cmdPrimenit_Click()
{
    ReferenceData data;
    // What the database holds now is read again: an editor may have written
    // meanwhile, and what was shown is what is written, or nothing.
    const FeedSheets::Plan now = m_plan.oldDatabase ? FeedSheets::planOldDatabase(m_path, data) : FeedSheets::plan(m_bytes, data, m_path);
    if (!now.error.isEmpty() || now.writes != m_plan.writes || now.rows != m_plan.rows || now.added != m_plan.added
        || now.changed != m_plan.changed || now.refused != m_plan.refused) {
        m_plan = now;
        fill();
        platform().message(now.error.isEmpty()
                               ? QStringLiteral("База данных изменилась, пока была открыта эта таблица. Проверьте, что "
                                                "будет записано теперь, и нажмите «Применить» снова.")
                               : now.error);
        return;
    }
    if (const QString why = m_plan.oldDatabase ? data.writeRows(m_plan.rows) : data.writeFeeds(m_plan.writes); !why.isEmpty()) {
        platform().message(QStringLiteral("%1 не записаны в базу данных %2, она оставлена как была: %3")
                               .arg(m_plan.oldDatabase ? QStringLiteral("Данные старой базы") : QStringLiteral("Корма"),
                                    QDir::toNativeSeparators(data.databasePath()), why));
        return;
    }
    // The worksheet reads its feeds and prices again; the feed selection
    // lists the new feeds among the others, in the order of their names.
    if (frmRacion* sheet = frmRacion::instance())
        sheet->Form_Activate();
    QStringList feeds;
    for (const FeedSheets::Entry& e : m_plan.added)
        if (e.table == 0)
            feeds << e.feed;
    frmBasa::listNewFeeds(feeds);
    const FeedSheets::Plan& p = m_plan;
    platform().message(p.oldDatabase ? QStringLiteral("Записано в базу данных: новых кормов %1, категорий птицы %2, групп кормов %3; "
                                                      "изменено кормов %4, категорий птицы %5, групп кормов %6.")
                                           .arg(count(p.added, 0)).arg(count(p.added, 1)).arg(count(p.added, 2))
                                           .arg(count(p.changed, 0)).arg(count(p.changed, 1)).arg(count(p.changed, 2))
                                     : QStringLiteral("Записано в базу данных: новых кормов %1, изменено кормов %2.")
                                           .arg(p.added.size()).arg(p.changed.size()),
                       MessageKind::Information);
    Screens::closeWindow(this);
}
