// Changing one field of a table in place: SQLite cannot widen a field or
// change its type, so the table is rebuilt under a temporary name with the
// new declaration, every row copied over, the old table dropped and the new
// one renamed. Field order, rows, values, the autoincrement counter and the
// table's indexes are kept.
#pragma once

#include <QMap>
#include <QString>

namespace orvix {
class Database;
}

namespace orvix::maintenance {

// Gives `field` of `table` the declaration `declaration` ("CHAR(25) COLLATE
// HU", "FLOAT" ...). Runs inside the caller's transaction when there is one,
// otherwise in one of its own. Throws DbError.
void restructureField(Database& db, const QString& table, const QString& field, const QString& declaration);
// Several fields of one table in one rebuild: field name -> declaration.
void restructureFields(Database& db, const QString& table, const QMap<QString, QString>& declarations);

// The column definitions of a CREATE TABLE statement, split at the commas
// outside parentheses ("a CHAR(5) COLLATE HU", "PRIMARY KEY (a, b)").
QStringList columnDefinitions(const QString& createSql);

} // namespace orvix::maintenance
