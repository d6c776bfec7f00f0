// An older data folder gets the indexes of the catalogue it lacks, and a
// unique index whose key rows already repeat is reported, not forced.
#include "TestFolders.h"
#include "data/Indexes.h"
#include "data/Schema.h"

#include <QtTest>
#include <memory>

using namespace orvix;
using namespace orvix::data;

class IndexesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDataFolder> m_folder;
    Database& db() { return m_folder->db; }

    bool present(const QString& name) {
        return db().queryInt(
                   QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type='index' AND name=?"), 0,
                   {name}) == 1;
    }
    void insertDocument(const QString& kind, const QVariant& number) {
        db().execSql(QStringLiteral("INSERT INTO szla (prntip, szlaszam) VALUES (?, ?)"), {kind, number});
    }

private Q_SLOTS:
    void init() { m_folder = std::make_unique<test::TempDataFolder>(); }
    void cleanup() { m_folder.reset(); }

    // Whatever an older folder lacks is made, and only that; a second run
    // changes nothing.
    void missingIndexesAreMade_data() {
        QTest::addColumn<QStringList>("dropped");
        QTest::newRow("none") << QStringList{};
        QTest::newRow("register sort indexes") << QStringList{"idx_szla_ugyfel_nev", "idx_szla_szam"};
        QTest::newRow("number index") << QStringList{"idx_szla_szlaszam"};
        QTest::newRow("descending key") << QStringList{"idx_szla"};
        QTest::newRow("several tables") << QStringList{"idx_ugyfel_nev", "idx_cikkszam_nev", "idx_irsz_irsz"};
    }
    void missingIndexesAreMade() {
        QFETCH(QStringList, dropped);
        QVERIFY(present(QStringLiteral("idx_szla_ugyfel_nev"))); // a new folder has them all
        const QString before = db().queryText(
            QStringLiteral("SELECT group_concat(sql, ';') FROM (SELECT sql FROM sqlite_master WHERE "
                           "type='index' AND sql IS NOT NULL ORDER BY name)"),
            QString());
        for (const QString& name : dropped)
            db().execSql(QStringLiteral("DROP INDEX %1").arg(name));

        const IndexCheck check = ensureIndexes(db());
        QStringList created = check.created;
        created.sort();
        dropped.sort();
        QCOMPARE(created, dropped);
        QVERIFY(check.warnings.isEmpty());
        // Made exactly as a new folder makes them.
        QCOMPARE(
            db().queryText(QStringLiteral("SELECT group_concat(sql, ';') FROM (SELECT sql FROM sqlite_master "
                                          "WHERE type='index' AND sql IS NOT NULL ORDER BY name)"),
                           QString()),
            before);
        QVERIFY(ensureIndexes(db()).created.isEmpty());
        QVERIFY(!db().inTransaction());
    }

    // A table that an older folder does not have yet is left to the upgrade.
    void tablesNotThereAreSkipped() {
        db().execSql(QStringLiteral("DROP TABLE cassak"));
        db().execSql(QStringLiteral("DROP INDEX idx_ugyfel_nev"));
        const IndexCheck check = ensureIndexes(db());
        QCOMPARE(check.created, QStringList{QStringLiteral("idx_ugyfel_nev")});
        QVERIFY(!db().hasTable(QStringLiteral("cassak")));
    }

    // Documents sharing a number keep the number index out: the warning names
    // the repeated numbers of each sequence, the other missing indexes are
    // still made, and once the numbers are put right the next run makes it.
    void repeatedNumbersAreReported() {
        db().execSql(QStringLiteral("DROP INDEX idx_szla_szlaszam"));
        db().execSql(QStringLiteral("DROP INDEX idx_szla_netto"));
        insertDocument(QStringLiteral("S"), 7);
        insertDocument(QStringLiteral("P"), 7); // proformas count on their own
        insertDocument(QStringLiteral("J"), 7);
        insertDocument(QStringLiteral("P"), 7);
        insertDocument(QStringLiteral("S"), 8);
        insertDocument(QStringLiteral("S"), QVariant()); // no number yet: no repeat
        insertDocument(QStringLiteral("S"), QVariant());

        IndexCheck check = ensureIndexes(db());
        QCOMPARE(check.created, QStringList{QStringLiteral("idx_szla_netto")});
        QCOMPARE(check.warnings.size(), 1);
        const QString warning = check.warnings.first();
        QVERIFY2(warning.startsWith(QStringLiteral("Több bizonylatnak azonos a sorszáma")),
                 qPrintable(warning));
        QVERIFY2(
            warning.contains(QStringLiteral("Ismétlődő sorszámok: 00007 (2 bizonylat), proforma 00007 (2 "
                                            "bizonylat)")),
            qPrintable(warning));
        QVERIFY2(!warning.contains(QStringLiteral("00008")), qPrintable(warning));
        QVERIFY(!present(QStringLiteral("idx_szla_szlaszam")));
        QVERIFY(!db().inTransaction());

        db().execSql(QStringLiteral("UPDATE szla SET szlaszam=9 WHERE prntip='J'"));
        db().execSql(
            QStringLiteral("DELETE FROM szla WHERE szla=(SELECT MAX(szla) FROM szla WHERE prntip='P')"));
        check = ensureIndexes(db());
        QCOMPARE(check.created, QStringList{QStringLiteral("idx_szla_szlaszam")});
        QVERIFY(check.warnings.isEmpty());
        QVERIFY_THROWS_EXCEPTION(DbError, insertDocument(QStringLiteral("J"), 8));
    }

    // More than ten repeated numbers: ten are named, the rest counted.
    void manyRepeatsAreCounted() {
        db().execSql(QStringLiteral("DROP INDEX idx_szla_szlaszam"));
        for (int n = 1; n <= 12; ++n) {
            insertDocument(QStringLiteral("S"), n);
            insertDocument(QStringLiteral("S"), n);
        }
        const QStringList warnings = ensureIndexes(db()).warnings;
        QCOMPARE(warnings.size(), 1);
        QVERIFY2(warnings.first().contains(QStringLiteral("00010 (2 bizonylat), és még 2")),
                 qPrintable(warnings.first()));
        QVERIFY(!warnings.first().contains(QStringLiteral("00011")));
    }
};

QTEST_GUILESS_MAIN(IndexesTest)
#include "indexes_test.moc"
