// The engine when things go wrong: number literals that must read back
// exactly, the failures a user meets explained in Hungarian, a damaged file
// that stops every further write, and new data folders that appear whole or
// not at all.
#include "common/Database.h"
#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <cstring>

using namespace orvix;

namespace {

bool sameDouble(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Overwrites the b-tree header of a table's first page, as a failing disk or
// an interrupted copy would.
void damageTable(const QString& folder, const QString& table) {
    qint64 page = 0, pageSize = 0;
    {
        Database db(QStringLiteral("damage"));
        db.open(folder);
        page = db.queryInt(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE type='table' AND name=?"), 0,
                           {table});
        pageSize = db.queryInt(QStringLiteral("PRAGMA page_size"), 0);
    }
    QVERIFY(page > 1 && pageSize > 0);
    QFile f(Database::databaseFile(folder));
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek((page - 1) * pageSize));
    QVERIFY(f.write(QByteArray(12, '\x7f')) == 12);
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

class EngineFaultsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString newFolder(const QString& name) {
        const QString folder = m_dir.filePath(name);
        Database db(QStringLiteral("make"));
        data::createDataFolder(db, folder);
        db.execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel, ugyfel_nev) VALUES (1, 'Kovács Béla')"));
        db.execSql(QStringLiteral("INSERT INTO cikkszam (cikkszam, cikkszam_nev) VALUES ('A1', 'Alma')"));
        return folder;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QLocale::setDefault(QLocale(QLocale::Hungarian, QLocale::Hungary));
    }

    void numberLiteralsReadBack_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("literal"); // empty: any text that reads back
        QTest::newRow("small") << 1e-7 << "1e-07";
        QTest::newRow("decimal comma locale") << 1234.5 << "1234.5";
        QTest::newRow("negative fraction") << -0.1 << "-0.1";
        QTest::newRow("whole") << 27.0 << "27";
        QTest::newRow("sum that is not 0.3") << 0.1 + 0.2 << "0.30000000000000004";
        QTest::newRow("third") << 1.0 / 3.0 << "0.3333333333333333";
        QTest::newRow("large") << 1e21 << "1e+21";
        QTest::newRow("unrounded amount") << 1234567.8912345678 << "";
        // The engine reads the shortest text of these one unit off.
        QTest::newRow("engine reads shortest off 1") << 6760.493844364089 << "";
        QTest::newRow("engine reads shortest off 2") << -453300081.0264633 << "";
        QTest::newRow("engine reads shortest off 3") << 3.847129295273111e-06 << "";
    }
    void numberLiteralsReadBack() {
        QFETCH(double, value);
        QFETCH(QString, literal);
        const QString folder = m_dir.filePath(QStringLiteral("numbers"));
        Database db(QStringLiteral("numbers"));
        if (Database::isDataFolder(folder))
            db.open(folder);
        else
            db.create(folder, [](Database& d) { d.execSql(QStringLiteral("CREATE TABLE t (x FLOAT)")); });
        const QString text = sqlFloat(value);
        if (!literal.isEmpty())
            QCOMPARE(text, literal);
        const double back = db.queryFloat(QStringLiteral("SELECT %1").arg(text), std::nan(""));
        QVERIFY2(sameDouble(back, value), qPrintable(text));
    }

    void numberLiteralsReadBackAtRandom() {
        const QString folder = m_dir.filePath(QStringLiteral("numbers_random"));
        Database db(QStringLiteral("numbers_random"));
        db.create(folder, [](Database& d) { d.execSql(QStringLiteral("CREATE TABLE t (x FLOAT)")); });
        QRandomGenerator random(20260);
        for (int i = 0; i < 20000; ++i) {
            // Unrounded amounts and rates of every size a document holds.
            const double value = (random.bounded(2) ? -1 : 1) * std::pow(10.0, random.bounded(-9.0) + random.bounded(21.0));
            const QString text = sqlFloat(value);
            const double back = db.queryFloat(QStringLiteral("SELECT %1").arg(text), std::nan(""));
            if (!sameDouble(back, value))
                QFAIL(qPrintable(QStringLiteral("%1 read back as %2").arg(text).arg(back, 0, 'g', 17)));
        }
        QVERIFY_THROWS_EXCEPTION(DbError, sqlFloat(INFINITY));
        QVERIFY_THROWS_EXCEPTION(DbError, sqlFloat(-INFINITY));
        QVERIFY_THROWS_EXCEPTION(DbError, sqlFloat(std::nan("")));
    }

    // Each failure a user meets gets a Hungarian explanation that names the
    // folder and what to do, with the engine's text as the last line, and no
    // SQL statement.
    void engineFailuresExplained_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<QString>("detail");
        QTest::newRow("read-only") << "readonly" << int(DbError::Kind::ReadOnly) << "csak olvasható"
                                   << "readonly database";
        QTest::newRow("locked by another workstation")
            << "busy" << int(DbError::Kind::Busy) << "másik munkaállomás" << "locked";
        QTest::newRow("disk full") << "full" << int(DbError::Kind::DiskFull) << "Betelt a lemez" << "full";
        QTest::newRow("journal cannot be made")
            << "journal" << int(DbError::Kind::IoError) << "hálózati hiba" << "I/O error";
        QTest::newRow("not a database") << "notadb" << int(DbError::Kind::NotDatabase) << "Orvix_Szamla_Upd"
                                        << "not a database";
        QTest::newRow("damaged") << "damaged" << int(DbError::Kind::Damaged) << "Orvix_Szamla_Upd" << "malformed";
    }
    void engineFailuresExplained() {
        QFETCH(QString, fault);
        QFETCH(int, kind);
        QFETCH(QString, phrase);
        QFETCH(QString, detail);
        const QString folder = newFolder(QStringLiteral("fault_") + fault);
        Database other(QStringLiteral("other"));
        Database db(QStringLiteral("faulty"));
        const QString insert = QStringLiteral("INSERT INTO ugyfel (ugyfel, ugyfel_nev) VALUES (2, 'Új Ügyfél')");
        std::function<void()> action = [&] { db.execSql(insert); };
        if (fault == QLatin1String("readonly")) {
            db.open(folder);
            db.execSql(QStringLiteral("PRAGMA query_only = 1"));
        } else if (fault == QLatin1String("busy")) {
            other.open(folder);
            other.execSql(QStringLiteral("BEGIN IMMEDIATE"));
            db.open(folder);
            db.execSql(QStringLiteral("PRAGMA busy_timeout = 100"));
        } else if (fault == QLatin1String("full")) {
            db.open(folder);
            const qint64 pages = db.queryInt(QStringLiteral("PRAGMA page_count"), 0);
            db.queryInt(QStringLiteral("PRAGMA max_page_count = %1").arg(pages), 0);
            action = [&] {
                db.execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel, ugyfel_nev, kapcsolat) VALUES (2, 'Új', ?)"),
                           {QString(200000, QLatin1Char('x'))});
            };
        } else if (fault == QLatin1String("journal")) {
            db.open(folder);
            QVERIFY(QDir(folder).mkdir(QLatin1String(Database::FileName) + QStringLiteral("-journal")));
        } else if (fault == QLatin1String("notadb")) {
            QFile f(Database::databaseFile(folder));
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(QByteArray(8192, 'x'));
            f.close();
            action = [&] { db.open(folder); };
        } else if (fault == QLatin1String("damaged")) {
            damageTable(folder, QStringLiteral("ugyfel"));
            db.open(folder);
        }
        try {
            action();
            QFAIL("the fault must be reported");
        } catch (const DbError& e) {
            QVERIFY2(int(e.kind()) == kind, qPrintable(e.text()));
            QVERIFY2(e.text().contains(phrase), qPrintable(e.text()));
            QVERIFY2(e.text().contains(QDir::toNativeSeparators(QDir(folder).absolutePath())), qPrintable(e.text()));
            const QStringList lines = e.text().split(QLatin1Char('\n'));
            QVERIFY2(lines.last().startsWith(QStringLiteral("Részletek: ")) && lines.last().contains(detail),
                     qPrintable(e.text()));
            QVERIFY2(!e.text().contains(QStringLiteral("INSERT")), qPrintable(e.text()));
        }
        if (fault == QLatin1String("busy")) {
            other.execSql(QStringLiteral("ROLLBACK"));
            db.execSql(insert); // free again: the same statement goes through
        }
        if (fault == QLatin1String("journal")) {
            QVERIFY(QDir(folder).rmdir(QLatin1String(Database::FileName) + QStringLiteral("-journal")));
            db.execSql(insert);
        }
    }

    // Once the engine reports the file damaged, nothing more is written into
    // it by this object, not even into tables that still read well.
    void damagedFileStopsWrites() {
        const QString folder = newFolder(QStringLiteral("damaged"));
        const QString sound = newFolder(QStringLiteral("sound"));
        damageTable(folder, QStringLiteral("ugyfel"));
        Database db(QStringLiteral("damaged"));
        db.open(folder);
        // Not noticed yet: a sound table can be written.
        db.execSql(QStringLiteral("INSERT INTO cikkszam (cikkszam, cikkszam_nev) VALUES ('B1', 'Banán')"));
        QVERIFY(!db.writesStopped());
        QVERIFY_THROWS_EXCEPTION(DbError, db.queryText(QStringLiteral("SELECT fax FROM ugyfel"), QString()));
        QVERIFY(db.writesStopped());

        const auto refused = [&](const std::function<void()>& write) {
            try {
                write();
                return false;
            } catch (const DbError& e) {
                return e.kind() == DbError::Kind::WritesStopped && e.text().contains(QStringLiteral("Orvix_Szamla_Upd"));
            }
        };
        QVERIFY(refused([&] {
            db.execSql(QStringLiteral("INSERT INTO cikkszam (cikkszam, cikkszam_nev) VALUES ('C1', 'Citrom')"));
        }));
        QVERIFY(refused([&] { db.execSql(QStringLiteral("UPDATE cikkszam SET cikkszam_nev = 'x'")); }));
        QVERIFY(refused([&] { Database::Transaction tr(db); }));
        QVERIFY(refused([&] { db.execSql(QStringLiteral("  delete from cikkszam")); }));
        QVERIFY(refused([&] {
            db.execSql(QStringLiteral("WITH k AS (SELECT 1) INSERT INTO cikkszam (cikkszam) SELECT 'D1' FROM k"));
        }));
        // Reading goes on, so that lists can still be shown and saved elsewhere.
        QCOMPARE(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM cikkszam"), -1), 2);
        QCOMPARE(db.queryText(QStringLiteral("SELECT cikkszam_nev FROM cikkszam WHERE cikkszam='B1'"), QString()),
                 QStringLiteral("Banán"));

        // Reopened, the same file stays refused; another folder is written again.
        db.open(folder);
        QVERIFY(refused([&] { db.execSql(QStringLiteral("DELETE FROM cikkszam")); }));
        db.open(sound);
        QVERIFY(!db.writesStopped());
        db.execSql(QStringLiteral("INSERT INTO cikkszam (cikkszam, cikkszam_nev) VALUES ('C1', 'Citrom')"));
        QCOMPARE(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM cikkszam"), -1), 2);
    }

    // A damaged page met while a transaction is open undoes the transaction.
    void damageInsideTransactionUndoesIt() {
        const QString folder = newFolder(QStringLiteral("damaged_tx"));
        damageTable(folder, QStringLiteral("ugyfel"));
        Database db(QStringLiteral("damaged_tx"));
        db.open(folder);
        try {
            Database::Transaction tr(db);
            db.execSql(QStringLiteral("INSERT INTO cikkszam (cikkszam, cikkszam_nev) VALUES ('B1', 'Banán')"));
            db.queryInt(QStringLiteral("SELECT MAX(ugyfel) FROM ugyfel"), 0);
            tr.commit();
            QFAIL("the damaged table must be reported");
        } catch (const DbError& e) {
            QCOMPARE(int(e.kind()), int(DbError::Kind::Damaged));
        }
        QVERIFY(!db.inTransaction());
        QCOMPARE(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM cikkszam"), -1), 1);
    }

    // A new database gets its name only when complete; a failed creation
    // leaves the folder as it found it.
    void creationIsWholeOrNothing() {
        const QString folder = m_dir.filePath(QStringLiteral("create"));
        QDir().mkpath(folder);
        // Leftovers of a creation that was killed, and an empty file an engine
        // left behind when stopped right after making it.
        for (const QString& name : {QStringLiteral("szamla.sqlite3.uj-0123456789ab"),
                                    QStringLiteral("szamla.sqlite3.uj-0123456789ab-journal"),
                                    QStringLiteral("szamla.sqlite3")}) {
            QFile f(QDir(folder).filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(!Database::isDataFolder(folder));
        Database db(QStringLiteral("create"));
        QVERIFY_THROWS_EXCEPTION(DbError, db.open(folder));

        bool sawOwnName = true;
        QVERIFY_THROWS_EXCEPTION(DbError, db.create(folder, [&](Database& fresh) {
            sawOwnName = QFileInfo(Database::databaseFile(folder)).size() > 0;
            data::createSchema(fresh);
            throw DbError(QStringLiteral("megszakítva"));
        }));
        QVERIFY(!sawOwnName);
        QVERIFY(!db.isOpen());
        QCOMPARE(filesIn(folder), QStringList{QStringLiteral("szamla.sqlite3")});
        QCOMPARE(QFileInfo(Database::databaseFile(folder)).size(), 0);

        data::createDataFolder(db, folder);
        QVERIFY(db.isOpen());
        QCOMPARE(filesIn(folder), QStringList{QStringLiteral("szamla.sqlite3")});
        QVERIFY(data::missingTables(db).isEmpty());
        QCOMPARE(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM vat"), 0), 3);
        db.close();

        // A whole database is never replaced.
        Database again(QStringLiteral("again"));
        try {
            data::createDataFolder(again, folder);
            QFAIL("an existing database must be refused");
        } catch (const DbError& e) {
            QVERIFY2(e.text().contains(QStringLiteral("már van adatbázis")), qPrintable(e.text()));
        }
        QCOMPARE(filesIn(folder), QStringList{QStringLiteral("szamla.sqlite3")});
        db.open(folder);
        QCOMPARE(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM vat"), 0), 3);
    }
};

QTEST_GUILESS_MAIN(EngineFaultsTest)
#include "enginefaults_test.moc"
