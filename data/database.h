#pragma once

// The one route to the database: one connection for the process, statements with bound
// values, record sets read into memory, and a transaction guard. Errors throw DbError.

#include "record_set_fwd.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

namespace qm {

// The folder that holds QMDK/qmdata.mdb: the program's own folder, or a test's temporary one.
void setProgramFolder(const QString& folder);
QString programFolder();
QString dataFolder();
QString databaseFilePath();

// Opens the database file when no connection is open, brings books of an earlier version up to
// date and checks the month totals. Never creates a file: a missing or unreadable file throws,
// and so do books that cannot be brought up to date, leaving the connection closed.
bool openConnection();
void closeConnection();
bool isConnectionOpen();
// Throws when the books file was moved, deleted or replaced since this run first opened it; from
// then on every statement is refused the same way until the program starts again. Each statement
// outside a transaction checks it, and each reopening of the connection; so does work that
// copies or replaces the file.
void checkBooksFileInPlace();
// The file now at the database's place is the books (a restore, a compaction or new books put it
// there): the next opening takes it as this run's file.
void adoptBooksFile();

// Runs one statement (trimmed) with its values bound in order. A SELECT returns its rows;
// any other statement returns an empty record set. A null QString binds as empty text; a null
// value (QVariant(), or a NULL read from the database) binds as NULL.
RecordSet openRecordset(const QString& statement, const QVariantList& values = {});
// The same with values bound by name: each key is a parameter as the statement spells it
// (":code"), which may stand there many times. Every parameter is named and has a value, and
// every value is used, or the statement throws.
RecordSet openRecordset(const QString& statement, const QVariantMap& values);
// Runs an action statement and returns the number of rows it changed.
int execute(const QString& statement, const QVariantList& values = {});
int execute(const QString& statement, const QVariantMap& values);
// Writes every row of `rows` into `table`, the fields to the table's columns in order ("表 (列,
// 列)" names them), through one prepared statement: a work table of a hundred thousand rows made
// in code costs no statement a row. Runs inside the caller's transaction; without one, each row
// is a transaction of its own.
void insertRows(const QString& table, const RecordSet& rows);

// Writes `rows` rows into `table` ("表 (列, 列)" names the columns) cell by cell as the caller
// makes them, straight into prepared statements of many rows each, with no record set in between.
// Texts are bound where they lie, so they must stay valid until finish(), which checks that
// every row came. Runs inside the caller's transaction; a writer dropped before finish() leaves
// its last rows unwritten.
class RowWriter {
public:
    RowWriter(const QString& table, int columns, int rows);
    ~RowWriter();
    RowWriter(const RowWriter&) = delete;
    RowWriter& operator=(const RowWriter&) = delete;

    void appendNull() { ++m_cell; }  // the bindings are cleared after every statement
    void appendInteger(qint64 value);
    void appendReal(double value);
    void appendText(const char* utf8, int bytes);
    void appendText(const QByteArray& utf8) { appendText(utf8.constData(), int(utf8.size())); }
    void appendCell(const RecordSet& from, int row, int field);
    void endRow();
    void finish();

private:
    friend void closeConnection();
    // The connection is closing under the writer: its statements go, and so does every later row.
    void finalizeStatements();
    void checkNotFinalized() const;
    void check(int result);
    void startStatement();

    QString m_table;
    int m_columns;
    int m_rowsLeft;           // rows not yet begun
    int m_rowsPerStatement;
    void* m_full = nullptr;   // the statement of m_rowsPerStatement rows
    void* m_tail = nullptr;   // the statement of the last, shorter run of rows
    void* m_current = nullptr;
    int m_cell = 0;           // cells bound to the current statement
    int m_cellsInStatement = 0;
    bool m_finalized = false;
};

// Empties a work table ("DELETE FROM 表") or drops one ("DROP TABLE IF EXISTS 表"). Its freed
// pages are not overwritten with zeros on the way, which would cost writing and journalling each
// of them: the work tables hold only copies of what the books hold.
void clearWorkTable(const QString& statement);
// The first column of the first row, or a null QVariant when there is no row.
QVariant scalar(const QString& statement, const QVariantList& values = {});
QVariant scalar(const QString& statement, const QVariantMap& values);

enum class DatabaseFileState { Usable, Missing, NoAccess, Busy, Damaged, Newer };
struct DatabaseFileCheck {
    DatabaseFileState state;
    QString detail;  // the database's own words on what is wrong
};
// Whether the file at `path` opens as SQLite, passes the quick check, holds the settings row and
// is of a version this program knows (Newer: made by a later program, whose tables and triggers
// this one would not keep).
// Uses a connection of its own and writes nothing, except that a journal left by a program that
// died is rolled back, as SQLite does on any opening.
DatabaseFileCheck checkDatabaseFile(const QString& path);
bool isDatabaseOfThisProgram(const QString& path);
// The rollback journal SQLite keeps beside the database file at `path`.
QString journalOf(const QString& path);
// The books file at `path`, closed by this program (or open with no change under way), judged as
// SQLite judges it under its own locks and held still while this lives: a journal SQLite counts
// as hot (a change cut off after it began writing the file) has been played back into the file,
// one it ignores (a change cut off before that) is gone, and the file's write lock is ours, so no
// other program can begin a change until this ends. A change another program has under way is
// never touched: its journal stays and the file is InUse. With nothing beside it the file is
// Whole even when SQLite cannot lock it (damaged books): it is all there is of them.
class HeldBooksFile {
public:
    enum class State {
        Whole,        // the file alone is the books as last committed
        InUse,        // another program holds the books
        HalfWritten,  // a hot journal could not be played back (a failing disk)
        NotWritable,  // a journal is there, and the file or its folder cannot be written to clear it
    };
    explicit HeldBooksFile(const QString& path);
    ~HeldBooksFile();
    HeldBooksFile(const HeldBooksFile&) = delete;
    HeldBooksFile& operator=(const HeldBooksFile&) = delete;

    State state() const { return m_state; }
    // Why the file is not Whole, in a sentence for the user (empty when it is).
    QString explanation() const;

private:
    QString m_path;
    void* m_db = nullptr;
    State m_state = State::Whole;
};

// What to tell the user of books at `path` made by a later version of the program.
QString newerBooksText(const QString& path);

// Builds a new database file at `path` (mode 0600, its folder made 0700 when missing): `fill`
// runs on it inside one transaction, and only a complete file is moved into place. Leaves the
// connection closed.
void createDatabaseFile(const QString& path, const std::function<void()>& fill);

// A change whose commit passed its commit point (the journal deleted) but whose last sync the
// disk refused is saved, and its commit returns as usual; the warning owed to the user for it is
// taken here once (empty when none is owed).
QString takeUnconfirmedSaveWarning();
// Owes that warning for a file put in the books' place (a restore, a compaction) whose folder the
// disk could not sync after the rename.
void noteUnconfirmedSave();

// While one lives, what fails is building a view of the books (a ledger, a table, a statement
// in its work tables), not a change the user made: the explanation says the view could not be
// made, rather than that a change was not saved.
class ViewWork {
public:
    ViewWork();
    ~ViewWork();
    ViewWork(const ViewWork&) = delete;
    ViewWork& operator=(const ViewWork&) = delete;
};

// All or nothing: what runs between construction and commit() is rolled back unless
// commit() is reached. Guards nest (an inner guard is a savepoint of the outer one). The
// outermost guard begins and commits the transaction itself; when it fails it rolls back
// everything, and a connection that even then is not out of the transaction (a failed write
// can leave it so) is closed, to be opened afresh by the next statement. commit() returns only
// once the change is on the disk.
class Transaction {
public:
    Transaction();
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    bool isLive() const;

    QString m_name;  // the savepoint of an inner guard; empty for the outermost
    int m_generation = 0;
    bool m_done = false;
};

}  // namespace qm
