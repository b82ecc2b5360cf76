#include "files/frmImport.h"

#include "data/ReferenceData.h"
#include "shell/Platform.h"
#include "shell/Screens.h"
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

frmImport::frmImport(const QString& path, const QByteArray& bytes, const FeedSheets::Plan& plan, QWidget* parent)
    : Form(parent)
    , m_path(path)
    , m_bytes(bytes)
    , m_plan(plan)
{
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(QStringLiteral("Импорт кормов"));
    setAttribute(Qt::WA_DeleteOnClose);

    lblFile = new QLabel(this);
    lblFile->setObjectName(QStringLiteral("lblFile"));
    lblFile->setWordWrap(true);
    lblFile->setTextInteractionFlags(Qt::TextSelectableByMouse);

    trwImport = new QTreeWidget(this);
    trwImport->setObjectName(QStringLiteral("trwImport"));
    trwImport->setHeaderLabels({QStringLiteral("Строка"), QStringLiteral("Корм"), QStringLiteral("Что будет записано")});
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
    if (p.writes.isEmpty())
        summary += QStringLiteral("Изменять нечего: ");
    summary += QStringLiteral("новых кормов %1, изменится кормов %2, без изменений %3, не принято строк %4.")
                   .arg(p.added.size()).arg(p.changed.size()).arg(p.unchanged).arg(p.refused.size());
    lblFile->setText(summary);
    trwImport->clear();
    const auto group = [this](const QString& caption, const QList<FeedSheets::Entry>& entries) {
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
    group(QStringLiteral("Новые корма"), p.added);
    group(QStringLiteral("Изменения"), p.changed);
    group(QStringLiteral("Не приняты строки"), p.refused);
    trwImport->setColumnWidth(0, Screens::scaled(60));
    trwImport->setColumnWidth(1, Screens::scaled(170));
    cmdPrimenit->setEnabled(!p.writes.isEmpty());
    (p.writes.isEmpty() ? cmdOtmena : cmdPrimenit)->setDefault(true);
}

void frmImport::cmdPrimenit_Click()
{
    ReferenceData data;
    // What the database holds now is read again: an editor may have written
    // meanwhile, and what was shown is what is written, or nothing.
    const FeedSheets::Plan now = FeedSheets::plan(m_bytes, data, m_path);
    if (!now.error.isEmpty() || now.writes != m_plan.writes || now.added != m_plan.added || now.changed != m_plan.changed
        || now.refused != m_plan.refused) {
        m_plan = now;
        fill();
        platform().message(now.error.isEmpty()
                               ? QStringLiteral("База данных изменилась, пока была открыта эта таблица. Проверьте, что "
                                                "будет записано теперь, и нажмите «Применить» снова.")
                               : now.error);
        return;
    }
    if (const QString why = data.writeFeeds(m_plan.writes); !why.isEmpty()) {
        platform().message(QStringLiteral("Корма не записаны в базу данных %1, она оставлена как была: %2")
                               .arg(QDir::toNativeSeparators(data.databasePath()), why));
        return;
    }
    // The worksheet reads its feeds and prices again; the feed selection
    // lists the new feeds among the others, in the order of their names.
    if (frmRacion* sheet = frmRacion::instance())
        sheet->Form_Activate();
    for (QWidget* w : QApplication::allWidgets())
        if (auto* list = qobject_cast<QListWidget*>(w); list && list->objectName() == QLatin1String("lstBasa"))
            for (const FeedSheets::Entry& e : m_plan.added) {
                int at = 0;
                while (at < list->count() && list->item(at)->text().toUtf8() < e.feed.toUtf8())
                    ++at;
                list->insertItem(at, e.feed);
            }
    platform().message(QStringLiteral("Записано в базу данных: новых кормов %1, изменено кормов %2.")
                           .arg(m_plan.added.size()).arg(m_plan.changed.size()),
                       MessageKind::Information);
    Screens::closeWindow(this);
}
