// The layout of a data folder as data: every table once, with its fields,
// primary key, named secondary indexes and seed rows. Creating a new data
// folder, the start-up field patches, the upgrade tool and re-indexing all
// read this one catalogue.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace orvix {
class Database;
}

namespace orvix::data {

enum class FieldType { AutoInc, Int, SmallInt, Float, Char, VarChar, Date, Boolean, Memo, Text };

struct FieldDef {
    const char* name;
    FieldType type;
    int width = 0; // characters, for Char and VarChar
};

struct IndexDef {
    const char* name;
    const char* field;
    bool descending = false;
    bool unique = false;
    // Index key written out (expressions, several columns); used instead of
    // field when set. field still names the main column.
    const char* expression = nullptr;
};

// One seed row: field names and their values, in the same order.
struct SeedRow {
    QStringList fields;
    QVariantList values;
};

struct TableDef {
    const char* name;
    std::vector<FieldDef> fields;
    std::vector<const char*> primaryKey;
    std::vector<IndexDef> indexes;
    std::vector<SeedRow> seeds;
    // Tables that the upgrade tool never creates nor re-indexes (irsz).
    bool lookupOnly = false;

    const FieldDef* field(const QString& name) const;
};

// Every table of a data folder, in creation order.
const std::vector<TableDef>& catalogue();
const TableDef* findTable(const QString& name);

// The width in characters of a text field (CHAR, VARCHAR) of the catalogue:
// the most a window, a file or the command line may store in it. 0 for a
// field without a width (numbers, dates, memos) and for a table or field
// that the catalogue does not hold.
int fieldWidth(const QString& table, const QString& field);

// Type in the engine's column declaration ("CHAR(15)", "FLOAT" ...).
QString typeName(FieldType type);
QString declaredType(const FieldDef& field);
// CREATE TABLE and CREATE INDEX statements of one table.
QString createTableSql(const TableDef& table);
QStringList createIndexSql(const TableDef& table);
// "ALTER TABLE t ADD f TYPE;" for one field of the catalogue.
QString addFieldSql(const TableDef& table, const FieldDef& field);

// Lays every table, index and seed row into an empty, open database, and
// fills the postcode table, in one transaction.
void createSchema(Database& db);
// Creates a new data folder at the given path (which must not hold a
// database yet) and leaves db open on it.
void createDataFolder(Database& db, const QString& folder);
// The catalogue's tables that the open database lacks (the lookup-only ones
// aside); every one of them for a file that holds no schema at all.
QStringList missingTables(Database& db);

// Postcode rows of the shipped postcode list: (postcode, town).
std::vector<std::pair<QString, QString>> postcodeRows();

} // namespace orvix::data
