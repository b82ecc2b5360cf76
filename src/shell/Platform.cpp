#include "shell/Platform.h"

#include "shell/AppInfo.h"
#include "shell/FileFilters.h"
#include "shell/TextViewer.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextDocument>
#include <QStyle>
#include <QToolBar>

#include <algorithm>

namespace {

QWidget* dialogParent()
{
    return QApplication::activeWindow();
}

// Qt's own dialog, the same on every desktop: it adds the extension to a name
// typed without one before it asks whether to replace an existing file (a
// desktop's dialog would ask about the name as typed). It starts in the
// folder itself, with no file name offered.
QString fileName(QFileDialog::AcceptMode mode, const QString& filter, const QString& initialDir)
{
    const bool save = mode == QFileDialog::AcceptSave;
    QFileDialog dialog(dialogParent(), FileFilters::dialogTitle(filter, save));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(FileFilters::toQtFilter(filter));
    if (save)
        dialog.setDefaultSuffix(FileFilters::suffix(filter));
    dialog.setDirectory(QFileInfo(initialDir).isDir() ? initialDir : QDir::homePath());
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

// The preview's print button answers Ctrl+P and is reached by Tab, as the
// rest of the program is used from the keyboard. It ends the preview's bar.
void printFromKeyboard(QPrintPreviewDialog& preview)
{
    auto* bar = preview.findChild<QToolBar*>();
    if (!bar || bar->actions().isEmpty())
        return;
    QAction* print = bar->actions().constLast();
    print->setShortcut(QKeySequence::Print);
    if (QWidget* button = bar->widgetForAction(print))
        button->setFocusPolicy(Qt::TabFocus);
    // Wide enough for the whole bar: otherwise the print button hides behind its overflow arrow.
    const QSize hint = preview.sizeHint();
    preview.resize(std::max(hint.width(), bar->sizeHint().width() + 2 * bar->style()->pixelMetric(QStyle::PM_LayoutLeftMargin)),
                   hint.height());
}

class RealPlatform : public Platform {
public:
    void message(const QString& text, MessageKind kind) override
    {
        const QMessageBox::Icon icon =
            kind == MessageKind::Information ? QMessageBox::Information : QMessageBox::Warning;
        QMessageBox box(icon, AppInfo::kTitle, text,
                        QMessageBox::Ok, dialogParent());
        box.exec();
    }
    Answer question(const QString& text) override
    {
        QMessageBox box(QMessageBox::Question, AppInfo::kTitle, text,
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
        return fileName(QFileDialog::AcceptSave, filter, initialDir);
    }
    QString openFileName(const QString& filter, const QString& initialDir) override
    {
        return fileName(QFileDialog::AcceptOpen, filter, initialDir);
    }
    bool openUrl(const QUrl& url) override
    {
        return QDesktopServices::openUrl(url);
    }
    bool viewTextFile(const QString& path, const QString& from) override;
    QString printPreview(QTextDocument& document, const QString& pdfPath) override
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(document.metaInformation(QTextDocument::DocumentTitle));
        // The print dialog offers this file for "Print to File (PDF)" (else it
        // makes one up from the title, in the working folder); a printer of
        // the system, where there is one, stays the one chosen.
        printer.setOutputFileName(pdfPath);
        printer.setOutputFormat(QPrinter::NativeFormat);
        QPrintPreviewDialog preview(&printer, dialogParent());
        preview.setWindowTitle(QStringLiteral("Предварительный просмотр печати"));
        printFromKeyboard(preview);
        QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                         [&document](QPrinter* p) { document.print(p); });
        const bool printed = preview.exec() == QDialog::Accepted;
        return printed && printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
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
