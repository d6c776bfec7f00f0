// Maintenance tool on a large data folder: the re-indexing, then the version
// change from the oldest layout (the folder is first brought down to it).
// Works on the folder given, which it changes: run it on a copy.
//
//   upd_bench DIR
#include "OldLayouts.h"
#include "common/Database.h"
#include "data/Schema.h"
#include "maintenance/Reindex.h"
#include "maintenance/Upgrade.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <cstdio>

using namespace orvix;

namespace {

// Rebuilds every table in the oldest layout, keeping the rows' values of the
// fields that layout has.
void downgrade(const QString& folder) {
    const test::OldLayout old = test::oldestLayout();
    QTemporaryDir scratch;
    const QString model = scratch.filePath(QStringLiteral("model"));
    Database m(QStringLiteral("model"));
    test::createOldFolder(m, model, old);
    Database db(QStringLiteral("down"));
    db.open(folder);
    Database::Transaction tr(db);
    for (const QString& table : db.tableNames()) {
        const data::TableDef* t = data::findTable(table);
        if (!t || t->lookupOnly)
            continue;
        if (!m.hasTable(table)) {
            db.execSql(QStringLiteral("DROP TABLE %1").arg(table));
            continue;
        }
        const QString create = m.queryText(QStringLiteral("SELECT sql FROM sqlite_master WHERE name=?"), {}, {table});
        const QStringList fields = m.fieldNames(table);
        db.execSql(QStringLiteral("ALTER TABLE %1 RENAME TO regi_%1").arg(table));
        db.execSql(create);
        db.execSql(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM regi_%1").arg(table, fields.join(',')));
        db.execSql(QStringLiteral("DROP TABLE regi_%1").arg(table));
    }
    tr.commit();
    db.execSql(QStringLiteral("VACUUM"));
}

struct Quiet : maintenance::Reporter {
    void error(const QString& t) override { std::fprintf(stderr, "%s\n", qPrintable(t)); }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "upd_bench DIR (a copy of a large data folder; it is changed)\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    Quiet quiet;
    QElapsedTimer t;
    t.start();
    const maintenance::ReindexResult r = maintenance::reindexFolder(folder, quiet);
    std::printf("re-indexing:            %7.1f s  (limit 60 s) %s\n", t.elapsed() / 1000.0,
                r.clean() ? "ok" : "ERRORS");
    t.restart();
    downgrade(folder);
    std::printf("(oldest layout made in  %7.1f s)\n", t.elapsed() / 1000.0);
    t.restart();
    const maintenance::UpgradeResult u = maintenance::upgradeFolder(folder, quiet);
    std::printf("version change:         %7.1f s  (limit 60 s, archive copy and re-indexing included) %s\n",
                t.elapsed() / 1000.0, u.reindex.clean() ? "ok" : "ERRORS");
    QFile::remove(u.archive);
    return u.reindex.clean() && r.clean() ? 0 : 1;
}
