#include "shell/Platform.h"

#include "shell/FileFilters.h"
#include "shell/TextViewer.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

namespace {

QWidget* dialogParent()
{
    return QApplication::activeWindow();
}

class RealPlatform : public Platform {
public:
    void message(const QString& text, MessageKind kind) override
    {
        const QMessageBox::Icon icon =
            kind == MessageKind::Information ? QMessageBox::Information : QMessageBox::Warning;
        QMessageBox box(icon, QApplication::applicationDisplayName(), text,
                        QMessageBox::Ok, dialogParent());
        box.exec();
    }
    QString saveFileName(const QString& filter, const QString& initialDir) override
    {
        return QFileDialog::getSaveFileName(dialogParent(), QString(), initialDir,
                                            FileFilters::toQtFilter(filter));
    }
    QString openFileName(const QString& filter, const QString& initialDir) override
    {
        return QFileDialog::getOpenFileName(dialogParent(), QString(), initialDir,
                                            FileFilters::toQtFilter(filter));
    }
    bool openUrl(const QUrl& url) override
    {
        return QDesktopServices::openUrl(url);
    }
    bool viewTextFile(const QString& path, const QString& from) override;
};

Platform* g_current = nullptr;

} // namespace

// The program's own viewer stands in for the platform's text editor; it opens
// inside the main frame when there is one.
bool RealPlatform::viewTextFile(const QString& path, const QString& from)
{
    return TextViewer::open(path, nullptr, from);
}

Platform& platform()
{
    static RealPlatform real;
    return g_current ? *g_current : real;
}

void setPlatform(Platform* p)
{
    g_current = p;
}
