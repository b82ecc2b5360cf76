#pragma once

#include "data/Adodc.h"
#include "editors/ReferenceGrid.h"
#include "shell/MenuRules.h"
#include "shell/Screens.h"

#include <optional>

class QLabel;
class QHBoxLayout;
class QPushButton;

// The rule every editor over a grid keeps: a changed row is written when it
// is left, when another window becomes the active one or when the window
// closes; a row that cannot be written keeps the user in it, with a message,
// so nothing typed is lost, and Esc drops its changes.
class RowEditor : public Form {
    Q_OBJECT
public:
    // Writes the row being edited, if any (the open cell first). On failure
    // the user is told why and the row stays as typed.
    bool writePendingRow();

    void Form_Deactivate() override;
    bool mayClose() override { return writePendingRow(); }

protected:
    // closedEvent: what the menus hear when the editor has closed.
    explicit RowEditor(std::optional<MenuEvent> closedEvent, QWidget* parent = nullptr);
    // A grid over the model, without a header of its own: labels stand for it.
    DataGrid* makeGrid(QAbstractItemModel* model);
    // Lays the editor out: the labels over the columns, the grid, the row of
    // buttons. From now on the labels follow the columns, and the grid's rows
    // and the editor's closing keep the rule.
    void lay(QWidget* header, DataGrid* grid, PendingRows* rows, QLayout* buttons);
    virtual void placeLabels() = 0;

    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void onCurrentRowChanged(const QModelIndex& current, const QModelIndex& previous);

    DataGrid* m_rowsGrid = nullptr;
    PendingRows* m_rows = nullptr;
    std::optional<MenuEvent> m_closedEvent;
    bool m_closed = false;
};

// What the reference editors over one table share: their own connection to treba.mdb,
// a row of labels (and a heading) over the grid's columns, the grid itself,
// and the rule of RowEditor.
class GridEditor : public RowEditor {
    Q_OBJECT
public:
    // The heading stands over the columns first..last (inclusive); -1: none.
    struct Heading {
        QString text;
        int first = -1;
        int last = -1;
    };

    GridEditor(const QString& table, const QList<GridColumn>& columns, int sortColumn,
               const Heading& heading, std::optional<MenuEvent> closedEvent,
               QWidget* parent = nullptr);
    ~GridEditor() override;

    // False when the table could not be read; errorText() says why.
    bool isReady() const { return m_ready; }
    QString errorText() const { return m_error; }

    DataGrid* grid() const { return m_grid; }
    EditorModel* model() const { return m_model; }

    QSize sizeHint() const override;
    void Form_Activate() override;
    void Form_Deactivate() override;

protected:
    // "Добавить данные": one empty row appended, once the row being edited is
    // written, with the cursor in its first cell; the button (if given) goes
    // off, for one new row per opening.
    void addRow(QPushButton* button);
    // The row of buttons under the grid; each editor fills it.
    QHBoxLayout* buttonRow() const { return m_buttons; }
    QPushButton* addButton(const char* name, const QString& caption);

    void resizeEvent(QResizeEvent* event) override;

private:
    bool extraTablesMade(const QString& table);
    void tableUnreadable();
    void buildHeader(const Heading& heading);
    void placeLabels() override;

    Adodc m_adodc;
    EditorModel* m_model = nullptr;
    DataGrid* m_grid = nullptr;
    QWidget* m_header = nullptr;
    QLabel* m_heading = nullptr;
    Heading m_headingSpan;
    QList<QLabel*> m_labels;
    QHBoxLayout* m_buttons = nullptr;
    bool m_ready = false;
    QString m_error;
    int m_unmeasuredFrom = -1;   // the first row read since the widths were last fitted; -1: none
};
