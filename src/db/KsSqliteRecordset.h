#pragma once
// The rows of a statement on a catalogue file, read with SQLite's own calls
// on the handle of the open connection. No row is copied: a field becomes a
// QVariant or a text only when it is asked for, and then exactly the value
// Qt's SQLite driver would have made of it.

#include "db/KsRecordset.h"

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace ks {

class SqliteRecordset final : public Recordset {
public:
    using Recordset::strictText;
    using Recordset::text;
    using Recordset::value;

    // How the database keeps its text: UTF-8 is read and converted by the
    // record set itself, anything else is left to SQLite's conversion.
    enum class Storage { Utf8, Other };

    // Prepares `sql` on `handle` and runs it up to its first row. Raises
    // ks::Error with SQLite's message when the statement cannot be prepared
    // or its first step fails, "No query" when `sql` holds no statement and
    // "Unable to execute multiple statements at a time" when it holds more.
    SqliteRecordset(sqlite3 *handle, const QString &sql, Storage storage);
    ~SqliteRecordset() override;
    SqliteRecordset(const SqliteRecordset &) = delete;
    SqliteRecordset &operator=(const SqliteRecordset &) = delete;

    bool eof() const override { return m_eof; }
    // Steps to the next row; a failing step (corruption, an interrupt, a
    // function's error) raises ks::Error with SQLite's message and leaves the
    // record set at its end.
    void moveNext() override;
    int fieldCount() const override { return int(m_names.size()); }
    int fieldIndex(const QString &name) const override;
    QVariant value(int index) const override;
    QString text(int index) const override;
    QString strictText(int index) const override;
    void close() override;

private:
    struct Finalizer {
        void operator()(sqlite3_stmt *statement) const noexcept;
    };
    using Statement = std::unique_ptr<sqlite3_stmt, Finalizer>;

    void step();
    // The statement positioned on a row, after the checks every field read makes.
    sqlite3_stmt *rowFor(int index) const;
    QString columnText(sqlite3_stmt *statement, int index) const;

    sqlite3 *m_handle;
    Statement m_statement; // let go of at the end of the rows
    QStringList m_names;
    Storage m_storage;
    bool m_eof = true;
    bool m_closed = false;
};

// How the database open on `handle` keeps its text, asked of SQLite once.
SqliteRecordset::Storage sqliteTextStorage(sqlite3 *handle);

} // namespace ks
