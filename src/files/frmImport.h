#pragma once

#include "files/FeedSheets.h"
#include "shell/Form.h"

class QLabel;
class QPushButton;
class QTreeWidget;

// "Импорт кормов": what a table of feeds would add and change in the
// database, line by line (old → new values), and every line refused with its
// reason. Nothing is written before "Применить", which writes all of it in
// one transaction, or nothing; "Отмена" closes it without writing.
//
// Controls: lblFile (the file and the summary), trwImport (three groups:
// the new feeds, the changes, the refused lines; columns: line, feed, what),
// cmdPrimenit, cmdOtmena.
class frmImport : public Form {
    Q_OBJECT
public:
    frmImport(const QString& path, const QByteArray& bytes, const FeedSheets::Plan& plan, QWidget* parent = nullptr);

    void cmdPrimenit_Click();
    QSize sizeHint() const override;

private:
    void fill();

    QString m_path;
    QByteArray m_bytes;
    FeedSheets::Plan m_plan;
    QLabel* lblFile = nullptr;
    QTreeWidget* trwImport = nullptr;
    QPushButton* cmdPrimenit = nullptr;
    QPushButton* cmdOtmena = nullptr;
};
