#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

// The rows a data control's last Refresh produced, read in full, with a
// current row that the Move operations shift. Fields of a row are held as
// read: text, number or null.
class Recordset {
public:
    int RecordCount() const { return m_rowCount; }
    int FieldCount() const { return int(m_fieldNames.size()); }
    QStringList fieldNames() const { return m_fieldNames; }

    void MoveFirst() { m_current = 0; }
    void MoveLast() { m_current = m_rowCount == 0 ? 0 : m_rowCount - 1; }
    void MoveNext() { if (m_current < m_rowCount) ++m_current; }
    // True when there is a row under the cursor (false on an empty recordset
    // and after moving past the last row).
    bool hasCurrent() const { return m_current >= 0 && m_current < m_rowCount; }
    bool EOF_() const { return !hasCurrent(); }

    // Column i (0-based) of the current row; a null QVariant when there is no
    // current row or no such column. Never reads outside the rows.
    QVariant Fields(int i) const;

    // Appends an empty row (every field null) and makes it the current row.
    // It lives in this recordset only: writing a new row to its table is the
    // work of the grid's model (QSqlTableModel) that the editors bind.
    void AddNew();

private:
    friend class Adodc;
    QStringList m_fieldNames;
    // Row after row, FieldCount() fields each: one block for the whole
    // recordset, so a table of tens of thousands of rows is read at once.
    QVector<QVariant> m_fields;
    int m_rowCount = 0;
    int m_current = 0;
};

// The data control of a screen: its own connection to treba.mdb in the working
// directory, a record source (an SQL statement or a table name) that runs on
// Refresh, and the resulting recordset. Nothing here shows a message: a failed
// Refresh returns false and lastError() says why, in Russian.
class Adodc {
public:
    // Connects to the database file at once; a missing file is not created.
    explicit Adodc(const QString& databasePath = QString());
    ~Adodc();
    Adodc(const Adodc&) = delete;
    Adodc& operator=(const Adodc&) = delete;

    void setRecordSource(const QString& source) { m_recordSource = source; }
    QString RecordSource() const { return m_recordSource; }

    // Runs the record source and replaces the recordset, which then stands on
    // its first row. On failure the recordset is emptied.
    bool Refresh();
    Recordset& recordset() { return m_recordset; }
    const Recordset& recordset() const { return m_recordset; }

    bool isOpen() const;
    QString lastError() const { return m_lastError; }
    QString databasePath() const { return m_path; }
    // The connection itself, for grids bound to a table.
    QSqlDatabase database() const;

private:
    bool ensureOpen();

    QString m_connectionName;
    QString m_path;
    QString m_recordSource;
    Recordset m_recordset;
    QString m_lastError;
};
