#include "shell/TextViewer.h"

#include "data/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

TextViewer::TextViewer(QWidget* parent)
    : Form(parent)
{
    setObjectName(QStringLiteral("TextViewer"));
    m_print = new QPushButton(QStringLiteral("Пе&чать..."), this);
    m_print->setObjectName(QStringLiteral("cmdPrint"));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("txtText"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(Screens::columnFont());
    // Read-only, but the keyboard still moves through the text and selects it.
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_print);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_text, 1);

    connect(m_print, &QPushButton::clicked, this, &TextViewer::print);
    resize(Screens::scaled(QSize(640, 460)));
}

QString TextViewer::decode(const QByteArray& bytes)
{
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        text = QString::fromUtf8(bytes.mid(3));
    else if (TextFile::looksLikeUtf8(bytes))
        text = QString::fromUtf8(bytes);
    else
        text = TextFile::decode1251(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

bool TextViewer::load(const QString& path, QString* error)
{
    QFile f(path);
    const auto fail = [&](const QString& reason) {
        if (error)
            *error = QStringLiteral("Не удалось открыть файл %1: %2")
                         .arg(QDir::toNativeSeparators(path), reason);
        return false;
    };
    if (QFileInfo(path).isDir())
        return fail(QStringLiteral("это папка, а не файл."));
    if (!f.open(QIODevice::ReadOnly))
        return fail(f.errorString());
    if (f.size() > kMaxBytes)
        return fail(QStringLiteral("файл слишком велик для просмотра."));
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return fail(f.errorString());
    m_path = path;
    m_text->setPlainText(decode(bytes));
    setWindowTitle(QFileInfo(path).fileName());
    return true;
}

QString TextViewer::text() const
{
    return m_text->toPlainText();
}

void TextViewer::print()
{
    QPrinter printer;
    printer.setDocName(windowTitle());
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Печать"));
    if (dialog.exec() == QDialog::Accepted)
        printTo(&printer);
}

void TextViewer::printTo(QPrinter* printer)
{
    m_text->print(printer);
}

bool TextViewer::showLine(const QString& line)
{
    const QString wanted = line.trimmed();
    for (QTextBlock b = m_text->document()->firstBlock(); b.isValid(); b = b.next()) {
        if (b.text().trimmed() != wanted)
            continue;
        QTextCursor c(b);
        // To the end first, so the line comes to the top rather than the bottom.
        m_text->moveCursor(QTextCursor::End);
        m_text->setTextCursor(c);
        m_text->ensureCursorVisible();
        return true;
    }
    return false;
}

bool TextViewer::open(const QString& path, QString* error, const QString& from)
{
    auto* viewer = new TextViewer;
    if (!viewer->load(path, error)) {
        delete viewer;
        return false;
    }
    Screens::showChild(viewer);
    // Inside the frame the text gets the whole client area, in front.
    if (QMdiSubWindow* sub = Screens::subWindowOf(viewer)) {
        if (QMdiArea* area = sub->mdiArea())
            sub->setGeometry(QRect(QPoint(0, 0), area->viewport()->size()));
    }
    if (!from.isEmpty())
        viewer->showLine(from);
    return true;
}
