#include "maintenance/Restructure.h"

#include "common/Database.h"

#include <QSqlQuery>

namespace orvix::maintenance {

namespace {

QString quoted(const QString& name) {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// The name a column definition starts with, without its quotes.
QString definedName(const QString& definition) {
    const QString d = definition.trimmed();
    if (d.isEmpty())
        return {};
    const QChar open = d.at(0);
    if (open == QLatin1Char('"') || open == QLatin1Char('`') || open == QLatin1Char('[')) {
        const QChar close = open == QLatin1Char('[') ? QLatin1Char(']') : open;
        const int end = d.indexOf(close, 1);
        return end > 0 ? d.mid(1, end - 1) : d.mid(1);
    }
    int end = 0;
    while (end < d.size() && !d.at(end).isSpace() && d.at(end) != QLatin1Char('('))
        ++end;
    return d.left(end);
}

} // namespace

QStringList columnDefinitions(const QString& createSql) {
    const int open = createSql.indexOf(QLatin1Char('('));
    const int close = createSql.lastIndexOf(QLatin1Char(')'));
    QStringList out;
    if (open < 0 || close <= open)
        return out;
    const QString body = createSql.mid(open + 1, close - open - 1);
    int depth = 0;
    QChar quote;
    QString current;
    for (const QChar c : body) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'') || c == QLatin1Char('`')) {
            quote = c;
        } else if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            --depth;
        } else if (c == QLatin1Char(',') && depth == 0) {
            out << current.trimmed();
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.trimmed().isEmpty())
        out << current.trimmed();
    return out;
}

void restructureField(Database& db, const QString& table, const QString& field, const QString& declaration) {
    restructureFields(db, table, {{field, declaration}});
}

void restructureFields(Database& db, const QString& table, const QMap<QString, QString>& declarations) {
    Database::Transaction tr(db);
    const QString createSql = db.queryText(
        QStringLiteral("SELECT sql FROM sqlite_master WHERE type='table' AND lower(name)=lower(?)"), QString(), {table});
    if (createSql.isEmpty())
        throw DbError(QStringLiteral("A(z) %1 tábla nem létezik.").arg(table));
    QStringList defs = columnDefinitions(createSql);
    int found = 0;
    for (QString& d : defs) {
        const QString name = definedName(d);
        for (auto it = declarations.cbegin(); it != declarations.cend(); ++it) {
            if (name.compare(it.key(), Qt::CaseInsensitive) != 0)
                continue;
            const QString& declaration = it.value();
            // Written bare, as the catalogue writes its names: the engine's
            // field reading recognises an autoincrement key by it.
            d = name + QLatin1Char(' ') + declaration;
            ++found;
        }
    }
    if (found != declarations.size())
        throw DbError(QStringLiteral("A(z) %1 táblában nincs %2 mező.")
                          .arg(table, QStringList(declarations.keys()).join(QStringLiteral(", "))));

    const QStringList columns = db.fieldNames(table);
    QStringList quotedColumns;
    for (const QString& c : columns)
        quotedColumns << quoted(c);
    QStringList indexSql;
    {
        QSqlQuery q = db.select(QStringLiteral("SELECT sql FROM sqlite_master WHERE type='index' AND "
                                               "lower(tbl_name)=lower(?) AND sql IS NOT NULL ORDER BY rowid"),
                                {table});
        while (q.next())
            indexSql << q.value(0).toString();
    }
    const bool hasSequence = db.queryInt(
        QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type='table' AND name='sqlite_sequence'"), 0);
    const QVariant sequence =
        hasSequence ? db.queryValue(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE lower(name)=lower(?)"),
                                    {table})
                    : QVariant();

    const QString temporary = QStringLiteral("orvix_atalakit_") + table;
    db.execSql(QStringLiteral("DROP TABLE IF EXISTS %1").arg(quoted(temporary)));
    db.execSql(QStringLiteral("CREATE TABLE %1 (\n  %2\n)").arg(quoted(temporary), defs.join(QStringLiteral(",\n  "))));
    const QString list = quotedColumns.join(QStringLiteral(", "));
    db.execSql(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3").arg(quoted(temporary), list, quoted(table)));
    db.execSql(QStringLiteral("DROP TABLE %1").arg(quoted(table)));
    db.execSql(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoted(temporary), quoted(table)));
    for (const QString& s : indexSql)
        db.execSql(s);
    // The counter of an autoincrement key may stand above the largest key
    // left (deleted rows); numbers once given are not given again.
    if (sequence.isValid() && !sequence.isNull())
        db.execSql(QStringLiteral("UPDATE sqlite_sequence SET seq = MAX(seq, ?) WHERE lower(name)=lower(?)"),
                   {sequence, table});
    tr.commit();
}

} // namespace orvix::maintenance
