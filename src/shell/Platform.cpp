#include "shell/Platform.h"

#include "shell/FileFilters.h"
#include "shell/TextViewer.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextDocument>

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
    Answer question(const QString& text) override
    {
        QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), text,
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, dialogParent());
        box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
        box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("Отмена"));
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        switch (box.exec()) {
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        default: return Answer::Cancel;
        }
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
    void printPreview(QTextDocument& document) override
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(document.metaInformation(QTextDocument::DocumentTitle));
        QPrintPreviewDialog preview(&printer, dialogParent());
        preview.setWindowTitle(QStringLiteral("Предварительный просмотр печати"));
        QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                         [&document](QPrinter* p) { document.print(p); });
        preview.exec();
    }
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
