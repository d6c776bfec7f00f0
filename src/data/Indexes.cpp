#include "data/Indexes.h"

#include "common/Database.h"
#include "data/Schema.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlRecord>

#include <utility>
#include <vector>

namespace orvix::data {

namespace {

// How many repeated keys a warning names before it only counts the rest.
constexpr int kNamedKeys = 10;

QStringList existingIndexes(Database& db) {
    const bool postgres = db.sql().driverName() == QLatin1String("QPSQL");
    QSqlQuery q = db.select(postgres ? QStringLiteral("SELECT indexname FROM pg_indexes;")
                                     : QStringLiteral("SELECT name FROM sqlite_master WHERE type='index';"));
    QStringList names;
    while (q.next())
        names << q.value(0).toString().toLower();
    return names;
}

using IndexRef = std::pair<const TableDef*, const IndexDef*>;

std::vector<IndexRef> missingIndexes(Database& db) {
    const QStringList present = existingIndexes(db);
    QStringList tables;
    for (const QString& t : db.tableNames())
        tables << t.toLower();
    std::vector<IndexRef> missing;
    for (const TableDef& t : catalogue()) {
        if (!tables.contains(QLatin1String(t.name).toString().toLower()))
            continue;
        for (const IndexDef& i : t.indexes)
            if (!present.contains(QLatin1String(i.name).toString().toLower()))
                missing.emplace_back(&t, &i);
    }
    return missing;
}

bool isNumberIndex(const IndexDef& index) {
    return QLatin1String(index.name) == QLatin1String("idx_szla_szlaszam");
}

// One repeated key as the warning names it. The number index's key is the
// sequence (proformas count on their own) and the number.
QString keyText(const IndexDef& index, const QSqlQuery& q, int keyColumns) {
    if (isNumberIndex(index))
        return (q.value(0).toInt() == 1 ? QStringLiteral("proforma ") : QString()) +
               QString::number(q.value(1).toLongLong()).rightJustified(5, QLatin1Char('0'));
    QStringList parts;
    for (int c = 0; c < keyColumns; ++c)
        parts << q.value(c).toString().trimmed();
    return parts.join(QStringLiteral(", "));
}

// The warning for a unique index whose key rows already repeat; empty when
// none repeats and the index can be made.
QString repeatedKeyWarning(Database& db, const TableDef& table, const IndexDef& index) {
    const QString key = QLatin1String(index.expression ? index.expression : index.field);
    QSqlQuery q = db.select(QStringLiteral("SELECT %1, COUNT(*) FROM %2 WHERE %3 IS NOT NULL GROUP BY %1 "
                                           "HAVING COUNT(*) > 1 ORDER BY %1;")
                                .arg(key, QLatin1String(table.name), QLatin1String(index.field)));
    const int keyColumns = q.record().count() - 1;
    const QString rows = isNumberIndex(index) ? QStringLiteral("bizonylat") : QStringLiteral("sor");
    QStringList repeated;
    int count = 0;
    while (q.next()) {
        if (++count > kNamedKeys)
            continue;
        repeated << QStringLiteral("%1 (%2 %3)")
                        .arg(keyText(index, q, keyColumns))
                        .arg(q.value(keyColumns).toLongLong())
                        .arg(rows);
    }
    if (count == 0)
        return {};
    if (count > kNamedKeys)
        repeated << QStringLiteral("és még %1").arg(count - kNamedKeys);
    if (isNumberIndex(index))
        return QStringLiteral(
                   "Több bizonylatnak azonos a sorszáma, ezért a sorszámok egyediségét őrző index nem "
                   "hozható létre, és két munkahely ugyanazt a sorszámot adhatja ki.\n"
                   "Ismétlődő sorszámok: %1")
            .arg(repeated.join(QStringLiteral(", ")));
    return QStringLiteral(
               "A(z) %1 tábla több sorának azonos a kulcsa, ezért a(z) %2 egyedi index nem hozható "
               "létre.\nIsmétlődő kulcsok: %3")
        .arg(QLatin1String(table.name), QLatin1String(index.name), repeated.join(QStringLiteral(", ")));
}

} // namespace

IndexCheck ensureIndexes(Database& db) {
    IndexCheck result;
    // The usual case reads only: no write lock at every start.
    if (missingIndexes(db).empty())
        return result;
    Database::Transaction tr(db);
    for (const auto& [table, index] : missingIndexes(db)) {
        if (index->unique) {
            const QString warning = repeatedKeyWarning(db, *table, *index);
            if (!warning.isEmpty()) {
                result.warnings << warning;
                continue;
            }
        }
        const TableDef only{table->name, {}, {}, {*index}, {}};
        for (const QString& statement : createIndexSql(only))
            db.execSql(statement);
        result.created << QLatin1String(index->name);
    }
    tr.commit();
    return result;
}

} // namespace orvix::data
