// The data folder engine: one Database object per open data folder.
//
// A data folder is a folder holding one SQLite file, szamla.sqlite3. Every
// connection gets Unicode-aware UPPER, LOWER and LIKE functions and the
// Hungarian collation "HU", journal mode DELETE, synchronous FULL and a busy
// timeout, so that several workstations can share a folder on a network drive.
#pragma once

#include "common/Hungarian.h"

#include <QDate>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <memory>
#include <stdexcept>
#include <unordered_map>

namespace orvix {

// An error of the engine, carrying the text for the message box: for the
// failures a user meets (a read-only, locked, full or damaged data folder) a
// Hungarian explanation naming the folder and what to do, with the engine's
// own text as the last line; otherwise the engine's text and the statement.
class DbError : public std::runtime_error {
public:
    enum class Kind {
        Other,
        ReadOnly,     // the folder or the file may not be written
        Busy,         // another workstation holds the lock
        DiskFull,
        CannotOpen,   // the file or its journal cannot be opened
        IoError,      // the disk or the network share failed
        Damaged,      // the engine found the file damaged
        NotDatabase,  // the file is not a database (or damaged beyond it)
        WritesStopped // writing was refused because the file was found damaged
    };
    explicit DbError(const QString& text, Kind kind = Kind::Other)
        : std::runtime_error(text.toStdString()), m_text(text), m_kind(kind) {}
    const QString& text() const { return m_text; }
    Kind kind() const { return m_kind; }

private:
    QString m_text;
    Kind m_kind;
};

// Type and width of one field as the folder's catalogue declares it.
struct FieldInfo {
    QString name;
    QString type; // AUTOINC, INT, SMALLINT, FLOAT, CHAR, VARCHAR, DATE, BOOLEAN, MEMO, TEXT
    int width = 0;
    bool valid() const { return !name.isEmpty(); }
};

class Database {
public:
    static constexpr const char* DefaultConnection = "Mirtal7";
    static constexpr const char* FileName = "szamla.sqlite3";

    explicit Database(const QString& connectionName = QString::fromLatin1(DefaultConnection));
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // The database file of a data folder, and whether the folder holds one.
    static QString databaseFile(const QString& folder);
    static bool isDataFolder(const QString& folder);

    // Opens an existing data folder; throws DbError when the folder holds no
    // database or the engine refuses it. Never creates a database.
    void open(const QString& folder);
    // Creates a new database in the folder (and the folder with its parents):
    // the file is made under a temporary name, layout lays its tables and rows,
    // and only then is it renamed to szamla.sqlite3 and opened, so that a
    // killed or failed creation never leaves a half-made database behind.
    // Throws when the folder already holds a database (an empty, 0-byte file
    // is none and is replaced).
    void create(const QString& folder, const std::function<void(Database&)>& layout);
    void close();
    bool isOpen() const;
    QString folder() const { return m_folder; }
    QString connectionName() const { return m_name; }
    QSqlDatabase sql() const;

    // Scratch-query operations. Each runs its own statement to the end and
    // throws DbError with the engine's text on failure. execSql returns the
    // number of rows an INSERT, UPDATE or DELETE changed.
    int execSql(const QString& statement, const QVariantList& params = {});
    qint64 nextId(const QString& field, const QString& table = {});
    qint64 queryInt(const QString& select, qint64 defaultValue, const QVariantList& params = {});
    double queryFloat(const QString& select, double defaultValue, const QVariantList& params = {});
    QString queryText(const QString& select, const QString& defaultValue, const QVariantList& params = {});
    QVariant queryValue(const QString& select, const QVariantList& params = {});
    // First column of every row, after the optional first item.
    QStringList fillItems(const QString& select, const QString& firstItem = {}, bool withFirstItem = false);
    // A prepared, executed query for reading many rows. Throws on error.
    QSqlQuery select(const QString& select, const QVariantList& params = {});

    // Catalogue of the open folder. Names are compared without regard to case.
    QStringList tableNames() const;
    bool hasTable(const QString& table) const;
    QStringList fieldNames(const QString& table) const;
    bool hasField(const QString& table, const QString& field) const;
    FieldInfo fieldInfo(const QString& table, const QString& field) const;

    // True once the engine reported the open file damaged (or not a
    // database): from then on this object refuses every write for the rest of
    // the run with DbError::Kind::WritesStopped, so that nothing more is
    // written into a damaged file. Opening another folder clears it.
    bool writesStopped() const { return m_writesStopped; }
    // Whether the engine reported a damaged file anywhere in this process
    // (also in rows that a caller's own loop could not read), and the
    // explanation to give when no error raised so far has told the user.
    static bool damageReported();
    static bool damageExplained();
    static QString damageNotice();

    // Drops and rebuilds every index of one table (primary key included).
    void rebuildIndexes(const QString& table);
    // SQLite's own consistency check; "ok" when the file is sound.
    QString integrityCheck();

    // A transaction that takes the write lock at once (so that two
    // workstations do not both read a running number and then both write).
    // Rolled back on destruction unless committed. Transactions nest: an inner
    // one is a savepoint of the outer one, so an operation that is atomic by
    // itself can also run inside a larger batch.
    class Transaction {
    public:
        enum class Lock { Immediate, Exclusive };
        // Exclusive also keeps readers out until the end (schema changes of
        // the maintenance tool); it fails at once when another connection
        // holds the file.
        explicit Transaction(Database& db, Lock lock = Lock::Immediate);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        void commit();

    private:
        Database& m_db;
        int m_level = 0;
        bool m_done = false;
    };
    bool inTransaction() const { return m_txDepth > 0; }

private:
    void openFile(const QString& file, const QString& folder);
    void configureConnection();
    QSqlQuery run(const QString& statement, const QVariantList& params);
    QSqlQuery& cached(const QString& statement, const QVariantList& params);
    void refuseWriteWhenStopped(const QString& statement) const;
    [[noreturn]] void fail(const QSqlError& error, const QString& statement) const;

    QString m_name;
    QString m_folder;
    // The folder whose file was found damaged; writes stay refused while the
    // object works on it.
    mutable QString m_damagedFolder;
    mutable bool m_writesStopped = false;
    // The process's count of damage reports when the file was opened.
    mutable unsigned m_damageReportsSeen = 0;
    int m_txDepth = 0;
    std::unordered_map<QString, std::unique_ptr<QSqlQuery>> m_cache;
    mutable std::unordered_map<QString, QStringList> m_fieldCache;
};

// SQL literal builders.
QString sqlDateUs(const QDate& date);  // '12/31/2024'
QString sqlDate(const QDate& date);    // '2024-12-31', the form the engine takes
// The shortest decimal form (point as separator) that the engine reads back
// as the same double; throws DbError for infinity and NaN, which no SQL
// literal can carry.
QString sqlFloat(double value);
QString varQuoted(const QVariant& value);
// Replace the first line starting with ORDER / WHERE (case-insensitive).
QStringList setOrderBy(const QStringList& lines, const QString& columns);
QStringList setWhere(const QStringList& lines, const QString& condition);

} // namespace orvix
