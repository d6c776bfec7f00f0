// The data folder engine: one Database object per open data folder.
//
// A data folder is a folder holding one SQLite file, szamla.sqlite3. Every
// connection gets Unicode-aware UPPER, LOWER and LIKE functions and the
// Hungarian collation "HU", journal mode DELETE, synchronous FULL and a busy
// timeout, so that several workstations can share a folder on a network drive.
#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <memory>
#include <stdexcept>
#include <unordered_map>

namespace orvix {

// An error of the engine, carrying the engine's own text for the message box.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
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
    // Creates the folder (and parents) and an empty database file in it, then
    // opens it. The caller lays the schema (data/Schema). Throws when a
    // database already exists there.
    void createEmpty(const QString& folder);
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
    // Whole result into a ";"-separated text file (header line of field names,
    // CR LF line ends, ";" inside a value written as ",").
    void queryToCsv(const QString& select, const QString& path);
    // A prepared, executed query for reading many rows. Throws on error.
    QSqlQuery select(const QString& select, const QVariantList& params = {});

    // Catalogue of the open folder. Names are compared without regard to case.
    QStringList tableNames() const;
    bool hasTable(const QString& table) const;
    QStringList fieldNames(const QString& table) const;
    bool hasField(const QString& table, const QString& field) const;
    FieldInfo fieldInfo(const QString& table, const QString& field) const;

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
        explicit Transaction(Database& db);
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
    void configureConnection();
    QSqlQuery run(const QString& statement, const QVariantList& params);
    QSqlQuery& cached(const QString& statement, const QVariantList& params);

    QString m_name;
    QString m_folder;
    int m_txDepth = 0;
    std::unordered_map<QString, std::unique_ptr<QSqlQuery>> m_cache;
    mutable std::unordered_map<QString, QStringList> m_fieldCache;
};

// Registers UPPER, LOWER, LIKE and the collation HU on a raw SQLite handle.
// Database does it for its own connections; exposed for tests and tools.
void registerHungarianFunctions(void* sqliteHandle);

// Hungarian alphabetical comparison used by the HU collation: accents and case
// only break ties (Á sorts with A), the double letters cs, dz, dzs, gy, ly, ny,
// sz, ty, zs are letters of their own (Cs after C). Only identical texts compare
// equal, so equality tests stay exact.
int compareHungarian(const QString& a, const QString& b);
// The same comparison on UTF-8 texts, as the collation HU calls it: the result
// is -1, 0 or 1. Malformed bytes stand for themselves.
int compareHungarianUtf8(const void* a, int na, const void* b, int nb);
// The same comparison done the long way (both texts decoded and split into
// letters whole before comparing); the yardstick of the one above.
int compareHungarianUtf8Reference(const void* a, int na, const void* b, int nb);
// Case- and accent-insensitive form of a text (lower case, accents removed),
// the basis of LIKE and of the search boxes.
QString foldForSearch(const QString& text);

// SQL literal builders.
QString sqlDateUs(const QDate& date);  // '12/31/2024'
QString sqlDate(const QDate& date);    // '2024-12-31', the form the engine takes
QString sqlFloat(double value);        // shortest form, decimal point
QString varQuoted(const QVariant& value);
// Replace the first line starting with ORDER / WHERE (case-insensitive).
QStringList setOrderBy(const QStringList& lines, const QString& columns);
QStringList setWhere(const QStringList& lines, const QString& condition);

} // namespace orvix
