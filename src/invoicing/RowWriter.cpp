#include "invoicing/RowWriter.h"

#include "common/Database.h"

#include <QDate>
#include <QSqlQuery>
#include <QSqlRecord>

namespace orvix {

QVariant StoredValue(const QVariant& v) {
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().isValid() ? QVariant(v.toDate().toString(Qt::ISODate)) : QVariant();
    return v;
}

void InsertRow(Database& db, const QString& table, const QVariantMap& values) {
    const QStringList existing = db.fieldNames(table);
    QStringList names, marks;
    QVariantList params;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (!existing.contains(it.key(), Qt::CaseInsensitive))
            continue;
        names << it.key();
        marks << QStringLiteral("?");
        params << StoredValue(it.value());
    }
    db.execSql(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3);")
                   .arg(table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
               params);
}

void UpdateRow(Database& db, const QString& table, const QVariantMap& values, const QString& condition,
               const QVariantList& conditionParams) {
    const QStringList existing = db.fieldNames(table);
    QStringList sets;
    QVariantList params;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (!existing.contains(it.key(), Qt::CaseInsensitive))
            continue;
        sets << it.key() + QStringLiteral("=?");
        params << StoredValue(it.value());
    }
    if (sets.isEmpty())
        return;
    db.execSql(
        QStringLiteral("UPDATE %1 SET %2 WHERE %3;").arg(table, sets.join(QStringLiteral(", ")), condition),
        params + conditionParams);
}

QVariantMap RowMap(const QSqlQuery& q) {
    QVariantMap row;
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i)
        row.insert(rec.fieldName(i).toLower(), q.value(i));
    return row;
}

} // namespace orvix
