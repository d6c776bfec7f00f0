// Writing one row of a table from field name -> value pairs, as the editor
// and the line entry write document headers and lines. Fields the table does
// not have (an older data folder) are left out; dates are written as ISO text.
#pragma once

#include <QString>
#include <QVariantList>
#include <QVariantMap>

class QSqlQuery;

namespace orvix {

class Database;

// INSERT INTO table (…) VALUES (…). Throws DbError.
void InsertRow(Database& db, const QString& table, const QVariantMap& values);
// UPDATE table SET … WHERE condition; nothing is run for no values. Throws DbError.
void UpdateRow(Database& db, const QString& table, const QVariantMap& values, const QString& condition,
               const QVariantList& conditionParams);
// The current row of a query as lower-case field name -> value.
QVariantMap RowMap(const QSqlQuery& q);
// A value as the engine stores it (dates as ISO text).
QVariant StoredValue(const QVariant& v);

} // namespace orvix
