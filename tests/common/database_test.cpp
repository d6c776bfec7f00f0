// The engine layer on real SQLite files: Unicode search and Hungarian order,
// the scratch-query operations, literals, catalogue reads and transactions.
#include "common/Database.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvix;

class DatabaseTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    Database m_db{QStringLiteral("dbtest")};

private Q_SLOTS:
    void initTestCase();
    void unicodeSearch_data();
    void unicodeSearch();
    void hungarianOrder();
    void collationKeepsEqualityExact();
    void scratchQueries();
    void literals();
    void sqlTextEditing();
    void queryToCsv();
    void catalogue();
    void transactionRollsBack();
    void openRefusesFolderWithoutDatabase();
    void openRefusesForeignFile();
    void failedStatementReportsEngineText();
    void integrityCheckFindsADamagedIndex_data();
    void integrityCheckFindsADamagedIndex();
};

void DatabaseTest::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_db.create(m_dir.filePath(QStringLiteral("Data")), [](Database& db) {
        db.execSql(QStringLiteral("CREATE TABLE ugyfel (ugyfel INTEGER PRIMARY KEY AUTOINCREMENT, "
                                  "ugyfel_nev CHAR(50) COLLATE HU, adoszam CHAR(11) COLLATE HU)"));
    });
    const QStringList names = {QStringLiteral("Kovács Béla"),     QStringLiteral("KÖVES Kft."),
                               QStringLiteral("Árvíztűrő Bt."),   QStringLiteral("Kiss Anna"),
                               QStringLiteral("kovalszki józsef"), QStringLiteral("Tükörfúrógép Zrt.")};
    for (const QString& n : names)
        m_db.execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev) VALUES (?)"), {n});
}

void DatabaseTest::unicodeSearch_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("prefix any case and accent")
        << "kov%" << QStringList{"Kovács Béla", "KÖVES Kft.", "kovalszki józsef"};
    QTest::newRow("accented lower finds capital") << "árvíz%" << QStringList{"Árvíztűrő Bt."};
    QTest::newRow("unaccented finds accented") << "arviz%" << QStringList{"Árvíztűrő Bt."};
    QTest::newRow("inside the text") << "%fúró%" << QStringList{"Tükörfúrógép Zrt."};
    QTest::newRow("long vowels fold") << "TUKORFURO%" << QStringList{"Tükörfúrógép Zrt."};
    QTest::newRow("underscore") << "kis_ anna" << QStringList{"Kiss Anna"};
    QTest::newRow("nothing") << "zz%" << QStringList{};
}

void DatabaseTest::unicodeSearch() {
    QFETCH(QString, pattern);
    QFETCH(QStringList, found);
    QSqlQuery q = m_db.select(QStringLiteral("SELECT ugyfel_nev FROM ugyfel WHERE ugyfel_nev LIKE ? ORDER BY ugyfel"),
                              {pattern});
    QStringList got;
    while (q.next())
        got << q.value(0).toString();
    QCOMPARE(got, found);
    QCOMPARE(m_db.queryText(QStringLiteral("SELECT UPPER('árvíztűrő tükörfúrógép')"), QString()),
             QStringLiteral("ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP"));
    QCOMPARE(m_db.queryText(QStringLiteral("SELECT LOWER('ÁRVÍZTŰRŐ')"), QString()), QStringLiteral("árvíztűrő"));
}

void DatabaseTest::hungarianOrder() {
    m_db.execSql(QStringLiteral("CREATE TABLE nevek (nev CHAR(30) COLLATE HU)"));
    m_db.execSql(QStringLiteral("CREATE INDEX idx_nevek_nev ON nevek (nev)"));
    const QStringList expected = {
        QStringLiteral("12 Bt."),  QStringLiteral("Ábel"),   QStringLiteral("Adorján"), QStringLiteral("Cukor"),
        QStringLiteral("Csaba"),   QStringLiteral("Cseh"),   QStringLiteral("Dénes"),   QStringLiteral("Dzsida"),
        QStringLiteral("Egon"),    QStringLiteral("Éva"),    QStringLiteral("Gusztáv"), QStringLiteral("Gyula"),
        QStringLiteral("Kis Anna"), QStringLiteral("kis Anna"), QStringLiteral("Kisasszony"), QStringLiteral("Olga"),
        QStringLiteral("Ottó"),    QStringLiteral("Ödön"),   QStringLiteral("Őze"),     QStringLiteral("Sándor"),
        QStringLiteral("Szabó"),   QStringLiteral("Zoltán"), QStringLiteral("Zsolt")};
    QStringList shuffled = expected;
    std::reverse(shuffled.begin(), shuffled.end());
    std::rotate(shuffled.begin(), shuffled.begin() + 7, shuffled.end());
    for (const QString& n : shuffled)
        m_db.execSql(QStringLiteral("INSERT INTO nevek VALUES (?)"), {n});
    QSqlQuery q = m_db.select(QStringLiteral("SELECT nev FROM nevek ORDER BY nev"));
    QStringList got;
    while (q.next())
        got << q.value(0).toString();
    // "kis Anna" and "Kis Anna" differ only in case: lower case first.
    QStringList want = expected;
    want.swapItemsAt(12, 13);
    QCOMPARE(got, want);
    QCOMPARE(m_db.integrityCheck(), QStringLiteral("ok"));
    // A doubled double letter counts as the letter twice: "kassza" after "kasza".
    QVERIFY(compareHungarian(QStringLiteral("kassza"), QStringLiteral("kasza")) > 0);
    QVERIFY(compareHungarian(QStringLiteral("Ábel"), QStringLiteral("abel")) > 0);
    QVERIFY(compareHungarian(QStringLiteral("abel"), QStringLiteral("Ábel")) < 0);
}

void DatabaseTest::collationKeepsEqualityExact() {
    QCOMPARE(m_db.queryInt(QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE ugyfel_nev = 'kovács béla'"), -1), 0);
    QCOMPARE(m_db.queryInt(QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE ugyfel_nev = 'Kovács Béla'"), -1), 1);
    QCOMPARE(compareHungarian(QStringLiteral("Kovács"), QStringLiteral("Kovács")), 0);
}

void DatabaseTest::scratchQueries() {
    m_db.execSql(QStringLiteral("CREATE TABLE minta (minta INT, minta_nev CHAR(50) COLLATE HU)"));
    QCOMPARE(m_db.nextId(QStringLiteral("minta")), 1);
    QCOMPARE(m_db.queryInt(QStringLiteral("SELECT MAX(minta) FROM minta"), -5), -5);
    QCOMPARE(m_db.queryFloat(QStringLiteral("SELECT SUM(minta) FROM minta"), 2.5), 2.5);
    QCOMPARE(m_db.queryText(QStringLiteral("SELECT MAX(minta_nev) FROM minta"), QStringLiteral("x")),
             QStringLiteral("x"));
    m_db.execSql(QStringLiteral("INSERT INTO minta VALUES (41, 'a')"));
    m_db.execSql(QStringLiteral("INSERT INTO minta VALUES (7, 'b')"));
    QCOMPARE(m_db.nextId(QStringLiteral("minta"), QStringLiteral("minta")), 42);
    QCOMPARE(m_db.fillItems(QStringLiteral("SELECT minta_nev FROM minta ORDER BY minta"), QStringLiteral("(mind)"), true),
             (QStringList{QStringLiteral("(mind)"), QStringLiteral("b"), QStringLiteral("a")}));
    // The rows a change touched, so that a caller can tell a save that found
    // no row from one that did (the same prepared statement run twice too).
    const QString rename = QStringLiteral("UPDATE minta SET minta_nev=? WHERE minta=?");
    QCOMPARE(m_db.execSql(rename, {QStringLiteral("c"), 7}), 1);
    QCOMPARE(m_db.execSql(rename, {QStringLiteral("c"), 8}), 0);
    QCOMPARE(m_db.execSql(QStringLiteral("UPDATE minta SET minta_nev='d'")), 2);
}

void DatabaseTest::literals() {
    QLocale::setDefault(QLocale(QLocale::Hungarian, QLocale::Hungary));
    const QDate d(2024, 3, 5);
    QCOMPARE(sqlDateUs(d), QStringLiteral("'03/05/2024'"));
    QCOMPARE(sqlDate(d), QStringLiteral("'2024-03-05'"));
    QCOMPARE(sqlFloat(1234.5), QStringLiteral("1234.5"));
    QCOMPARE(sqlFloat(-0.1), QStringLiteral("-0.1"));
    QCOMPARE(sqlFloat(27), QStringLiteral("27"));
    QCOMPARE(varQuoted(QStringLiteral("a'b")), QStringLiteral("'a''b'"));
    QCOMPARE(varQuoted(QVariant()), QStringLiteral("''"));
    // The literals are what the engine compares against stored ISO dates.
    QCOMPARE(m_db.queryText(QStringLiteral("SELECT %1").arg(sqlDate(d)), QString()), QStringLiteral("2024-03-05"));
}

void DatabaseTest::sqlTextEditing() {
    const QStringList sql = {QStringLiteral("SELECT *"), QStringLiteral("FROM szla"), QStringLiteral("where 1=1"),
                             QStringLiteral("ORDER BY szla DESC;")};
    QCOMPARE(setWhere(sql, QStringLiteral("prntip='S'")).at(2), QStringLiteral("WHERE prntip='S'"));
    QCOMPARE(setOrderBy(sql, QStringLiteral("ugyfel_nev")).at(3), QStringLiteral("ORDER BY ugyfel_nev;"));
    const QStringList noWhere = {QStringLiteral("SELECT *"), QStringLiteral("FROM szla")};
    QCOMPARE(setWhere(noWhere, QStringLiteral("x")), noWhere);
    QCOMPARE(setOrderBy(noWhere, QStringLiteral("x")), noWhere);
}

void DatabaseTest::queryToCsv() {
    const QString path = m_dir.filePath(QStringLiteral("out.csv"));
    m_db.queryToCsv(QStringLiteral("SELECT 'a;b' AS nev, 12 AS szam, 'Árvíz' AS varos"), path);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(f.readAll()), QStringLiteral("nev;szam;varos;\r\na,b;12;Árvíz;\r\n"));
}

void DatabaseTest::catalogue() {
    QVERIFY(m_db.hasTable(QStringLiteral("UGYFEL")));
    QVERIFY(!m_db.hasTable(QStringLiteral("szla")));
    QVERIFY(m_db.hasField(QStringLiteral("ugyfel"), QStringLiteral("UGYFEL_NEV")));
    const FieldInfo nev = m_db.fieldInfo(QStringLiteral("Ugyfel"), QStringLiteral("ugyfel_NEV"));
    QCOMPARE(nev.type, QStringLiteral("CHAR"));
    QCOMPARE(nev.width, 50);
    QCOMPARE(m_db.fieldInfo(QStringLiteral("ugyfel"), QStringLiteral("ugyfel")).type, QStringLiteral("AUTOINC"));
    QVERIFY(!m_db.fieldInfo(QStringLiteral("ugyfel"), QStringLiteral("nincs")).valid());
    m_db.execSql(QStringLiteral("ALTER TABLE ugyfel ADD kuldve CHAR(1) COLLATE HU;"));
    QCOMPARE(m_db.fieldInfo(QStringLiteral("ugyfel"), QStringLiteral("kuldve")).width, 1);
    m_db.rebuildIndexes(QStringLiteral("ugyfel"));
}

void DatabaseTest::transactionRollsBack() {
    const qint64 before = m_db.queryInt(QStringLiteral("SELECT COUNT(*) FROM ugyfel"), 0);
    try {
        Database::Transaction tr(m_db);
        m_db.execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev) VALUES ('félbehagyott')"));
        m_db.execSql(QStringLiteral("INSERT INTO nincs_ilyen_tabla VALUES (1)"));
        tr.commit();
        QFAIL("the failing statement must throw");
    } catch (const DbError&) {
    }
    QCOMPARE(m_db.queryInt(QStringLiteral("SELECT COUNT(*) FROM ugyfel"), 0), before);
    {
        Database::Transaction tr(m_db);
        m_db.execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev) VALUES ('megmarad')"));
        tr.commit();
    }
    QCOMPARE(m_db.queryInt(QStringLiteral("SELECT COUNT(*) FROM ugyfel"), 0), before + 1);

    // An inner transaction that fails undoes only its own part of the batch.
    {
        Database::Transaction outer(m_db);
        m_db.execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev) VALUES ('külső')"));
        try {
            Database::Transaction inner(m_db);
            m_db.execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev) VALUES ('belső')"));
            m_db.execSql(QStringLiteral("INSERT INTO nincs_ilyen_tabla VALUES (1)"));
            inner.commit();
        } catch (const DbError&) {
        }
        {
            Database::Transaction inner(m_db);
            m_db.execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev) VALUES ('belső 2')"));
            inner.commit();
        }
        outer.commit();
    }
    QCOMPARE(m_db.queryInt(QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE ugyfel_nev IN "
                                          "('külső', 'belső', 'belső 2')"),
                           0),
             2);
    QVERIFY(!m_db.inTransaction());
}

void DatabaseTest::openRefusesFolderWithoutDatabase() {
    const QString empty = m_dir.filePath(QStringLiteral("Ures"));
    QDir().mkpath(empty);
    Database other(QStringLiteral("other"));
    QVERIFY_THROWS_EXCEPTION(DbError, other.open(empty));
    QVERIFY(!QFile::exists(Database::databaseFile(empty)));
    QVERIFY(!other.isOpen());
    QVERIFY_THROWS_EXCEPTION(DbError, other.create(m_db.folder(), {}));
}

void DatabaseTest::openRefusesForeignFile() {
    const QString folder = m_dir.filePath(QStringLiteral("Rossz"));
    QDir().mkpath(folder);
    QFile f(Database::databaseFile(folder));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("this is not a database file at all, just text that fills the header page........");
    f.close();
    Database other(QStringLiteral("other2"));
    QVERIFY_THROWS_EXCEPTION(DbError, other.open(folder));
    QVERIFY(!other.isOpen());
}

void DatabaseTest::failedStatementReportsEngineText() {
    try {
        m_db.execSql(QStringLiteral("SELECT nincs FROM ugyfel"));
        QFAIL("must throw");
    } catch (const DbError& e) {
        QVERIFY2(e.text().contains(QStringLiteral("nincs")), qPrintable(e.text()));
    }
}

void DatabaseTest::integrityCheckFindsADamagedIndex_data() {
    QTest::addColumn<QString>("index");
    QTest::addColumn<QByteArray>("key");
    // The table with the most indexes is checked on a second connection,
    // the others (and the page structure) on the folder's own: damage in
    // either is found.
    QTest::newRow("most indexes") << QStringLiteral("idx_termek_nev") << QByteArray("Citrom");
    QTest::newRow("other table") << QStringLiteral("idx_vevo_nev") << QByteArray("Kerekes");
}

void DatabaseTest::integrityCheckFindsADamagedIndex() {
    // A key of a Hungarian-ordered index overwritten in the file: the check
    // (which reads the file through a memory map) reports it, and the map
    // does not outlive the check.
    QFETCH(QString, index);
    QFETCH(QByteArray, key);
    const QString folder = m_dir.filePath(QStringLiteral("Serult_") + index);
    Database db(QStringLiteral("damaged"));
    db.create(folder, [](Database& d) {
        d.execSql(QStringLiteral("CREATE TABLE termek (termek INTEGER PRIMARY KEY, nev CHAR(30) COLLATE HU, ar INTEGER)"));
        d.execSql(QStringLiteral("CREATE INDEX idx_termek_nev ON termek (nev)"));
        d.execSql(QStringLiteral("CREATE INDEX idx_termek_ar ON termek (ar)"));
        d.execSql(QStringLiteral("CREATE TABLE vevo (vevo INTEGER PRIMARY KEY, nev CHAR(30) COLLATE HU)"));
        d.execSql(QStringLiteral("CREATE INDEX idx_vevo_nev ON vevo (nev)"));
        for (const char* name : {"Alma", "Barack", "Citrom", "Dinnye", "Eper", "Füge", "Gesztenye"})
            d.execSql(QStringLiteral("INSERT INTO termek (nev, ar) VALUES (?, 10)"), {QString::fromUtf8(name)});
        for (const char* name : {"Ábel", "Kerekes", "Őry", "Zala"})
            d.execSql(QStringLiteral("INSERT INTO vevo (nev) VALUES (?)"), {QString::fromUtf8(name)});
    });
    QCOMPARE(db.integrityCheck(), QStringLiteral("ok"));
    QCOMPARE(db.queryInt(QStringLiteral("PRAGMA mmap_size"), -1), 0);
    const qint64 pageSize = db.queryInt(QStringLiteral("PRAGMA page_size"), 0);
    const qint64 root =
        db.queryInt(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name=?"), 0, {index});
    db.close();

    QFile file(Database::databaseFile(folder));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek((root - 1) * pageSize));
    QByteArray page = file.read(pageSize);
    const qsizetype at = page.indexOf(key);
    QVERIFY(at > 0);
    page.replace(at, key.size(), QByteArray(key.size(), 'z'));
    QVERIFY(file.seek((root - 1) * pageSize));
    QCOMPARE(file.write(page), pageSize);
    file.close();

    db.open(folder);
    const QString result = db.integrityCheck();
    QVERIFY2(result != QLatin1String("ok") && result.contains(index), qPrintable(result));
    QCOMPARE(db.queryInt(QStringLiteral("PRAGMA mmap_size"), -1), 0);
    db.close();
}

QTEST_GUILESS_MAIN(DatabaseTest)
#include "database_test.moc"
