#include "support/UiSupport.h"

#include "data/RationState.h"
#include "files/LastDirs.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "shell/Startup.h"
#include "wizard/frmOtshet.h"

#include <QTimer>

namespace UiSupport {

void startUi()
{
    TestSupport::pinRussianLocale();
    QApplication::setQuitOnLastWindowClosed(false);
    Startup::setUpDesktop(*qApp);
}

Fresh::Fresh()
{
    resetRation();
    menuRules().reset();
    LastDirs::reset();
    frmOtshet::iKolGolov = 0;
}

Fresh::~Fresh()
{
    closeAll();
}

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void closeAll()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        w->close();
    settle();
}

QWidget* liveScreen(const QString& name)
{
    for (QWidget* w : QApplication::allWidgets())
        if (w->objectName() == name && w->isVisible())
            return w;
    return nullptr;
}

QString textOf(const QWidget* parent, const QString& name)
{
    if (auto* box = parent ? parent->findChild<QLineEdit*>(name) : nullptr)
        return box->text();
    return find<QLabel>(parent, name)->text();
}

QStringList textsOf(const QWidget* parent, const QString& pattern, int count)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << textOf(parent, pattern.arg(i));
    return out;
}

QStringList itemTexts(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void typeOver(QLineEdit* box, const QString& keys)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, keys);
}

void chooseFrom(QListWidget* list, const QString& text)
{
    QListWidgetItem* item = list->findItems(text, Qt::MatchExactly).value(0);
    if (!item)
        qFatal("no item %s", qPrintable(text));
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

QWidget* openWorksheet(const QStringList& feeds, const QString& category)
{
    RationState& s = ration();
    s.sKurwi = category;
    for (int i = 0; i < feeds.size(); ++i)
        s.sKorm[i] = feeds[i];
    s.iMaxKorm = std::int16_t(feeds.size() - 1);
    QWidget* sheet = Navigation::showRacion();
    if (!sheet)
        qFatal("no worksheet");
    return sheet;
}

void onNextModal(QObject* context, const std::function<void(QWidget*)>& act)
{
    auto* poll = new QTimer(context);
    QObject::connect(poll, &QTimer::timeout, context, [poll, act] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            act(modal);
        }
    });
    poll->start(5);
}

} // namespace UiSupport
