#include "maintenance/Reindex.h"

#include "common/Database.h"
#include "data/Schema.h"
#include "maintenance/Session.h"

#include <QSqlQuery>
#include <algorithm>

namespace orvix::maintenance {

namespace {

QString quoted(const QString& name) {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// One statement of a data fix; its failure stops the run.
void fix(Database& db, Reporter& reporter, const QString& statement) {
    try {
        const int rows = db.execSql(statement);
        if (rows > 0)
            reporter.step(QStringLiteral("%1 (%2 sor)").arg(statement).arg(rows));
    } catch (const DbError& e) {
        throw MaintenanceError(statement, e.text());
    }
}

// Drops every index of the table and makes the catalogue's indexes again;
// an index the catalogue does not know is made again as it was. The primary
// key's own index is rebuilt in place.
void rebuildTable(Database& db, const data::TableDef& table) {
    const QString name = QLatin1String(table.name);
    if (!db.hasTable(name))
        throw DbError(QStringLiteral("A tábla nem létezik."));
    QStringList known;
    for (const data::IndexDef& i : table.indexes)
        known << QLatin1String(i.name).toString().toLower();
    QStringList drop;
    QStringList others;
    {
        QSqlQuery q = db.select(QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type='index' AND "
                                               "lower(tbl_name)=lower(?) AND sql IS NOT NULL ORDER BY name"),
                                {name});
        while (q.next()) {
            drop << q.value(0).toString();
            if (!known.contains(q.value(0).toString().toLower()))
                others << q.value(1).toString();
        }
    }
    for (const QString& index : drop)
        db.execSql(QStringLiteral("DROP INDEX %1").arg(quoted(index)));
    db.rebuildIndexes(name);
    for (const QString& statement : data::createIndexSql(table))
        db.execSql(statement);
    for (const QString& statement : others)
        db.execSql(statement);
}

} // namespace

QStringList reindexTables() {
    QStringList names;
    for (const data::TableDef& t : data::catalogue())
        if (!t.lookupOnly)
            names << QLatin1String(t.name);
    std::sort(names.begin(), names.end());
    return names;
}

QStringList rebuildIndexes(Database& db, Reporter& reporter) {
    const QStringList tables = reindexTables();
    QStringList failed;
    int done = 0;
    for (const QString& name : tables) {
        reporter.progress(++done, int(tables.size()));
        reporter.status(QStringLiteral("Index készítés: ") + name);
        const data::TableDef* table = data::findTable(name);
        try {
            Database::Transaction tr(db);
            rebuildTable(db, *table);
            tr.commit();
            reporter.step(QStringLiteral("Index készítés: ") + name);
        } catch (const DbError& e) {
            failed << name;
            reporter.error(QStringLiteral("Ismeretlen hiba: %1\n%2").arg(name, e.text()));
        }
        if (name == QLatin1String("szla") && db.hasTable(name)) {
            fix(db, reporter,
                QStringLiteral("update szla set vat='HUF' where (vat='I') or (vat='') or (vat is null);"));
            fix(db, reporter, QStringLiteral("update szla set afas='I' where (afas is null) or (afas='');"));
        }
    }
    if (db.hasTable(QStringLiteral("szla"))) {
        for (const char* field : {"netto", "afa", "brutto", "penzfizetve"})
            fix(db, reporter, QStringLiteral("UPDATE szla SET %1=0 WHERE %1 IS NULL;").arg(QLatin1String(field)));
    }
    return failed;
}

QString checkAndAnalyze(Database& db, Reporter& reporter) {
    reporter.status(QStringLiteral("Adatbázis ellenőrzése"));
    QString integrity;
    try {
        integrity = db.integrityCheck();
    } catch (const DbError& e) {
        integrity = e.text();
    }
    if (integrity != QLatin1String("ok")) {
        reporter.error(QStringLiteral("Az adatbázis ellenőrzése hibát talált:\n") + integrity);
        return integrity;
    }
    reporter.step(QStringLiteral("Ellenőrzés (integrity_check): rendben"));
    reporter.status(QStringLiteral("Statisztika készítése"));
    try {
        db.execSql(QStringLiteral("ANALYZE"));
        reporter.step(QStringLiteral("ANALYZE"));
    } catch (const DbError& e) {
        reporter.error(e.text());
        return e.text();
    }
    return integrity;
}

ReindexResult reindexFolder(const QString& folder, Reporter& reporter) {
    ReindexResult result;
    Session session(folder);
    result.failedTables = rebuildIndexes(session.db(), reporter);
    try {
        session.commit();
    } catch (const DbError& e) {
        throw MaintenanceError(QStringLiteral("Mentés lemezre"), e.text());
    }
    result.integrity = checkAndAnalyze(session.db(), reporter);
    reporter.status(QString());
    reporter.progress(0, int(reindexTables().size()));
    return result;
}

} // namespace orvix::maintenance
