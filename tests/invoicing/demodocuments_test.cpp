// Demo documents made through the document logic: every kind, consistent
// totals and numbering, spread over the years, never loaded twice.
#include "TestFolders.h"
#include "invoicing/DemoDocuments.h"
#include "masters/DemoMasters.h"

#include <QSqlQuery>
#include <QtTest>

using namespace orvix;
using orvix::test::TempDataFolder;

class DemoDocumentsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void documentsAreConsistent();
    void refusals();
};

void DemoDocumentsTest::documentsAreConsistent() {
    TempDataFolder t;
    DemoOptions masters;
    masters.customers = 40;
    masters.products = 30;
    fillDemoMasters(t.db, masters);
    DemoDocumentOptions o;
    o.documents = 400;
    o.batch = 150;
    o.first = QDate(2020, 1, 1);
    o.last = QDate(2026, 12, 1);
    int batches = 0;
    o.progress = [&](int) { ++batches; };
    fillDemoDocuments(t.db, o);
    Database& db = t.db;

    QCOMPARE(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), 0), 400);
    QCOMPARE(batches, 3);
    for (const char* kind : {"S", "J", "W", "P"})
        QVERIFY2(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE prntip = ?"), 0, {QLatin1String(kind)}) > 0,
                 kind);
    // Every cancelling document refers to a cancelled invoice.
    QCOMPARE(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla w JOIN szla s ON s.szla = w.eredeti "
                                        "WHERE w.prntip = 'W' AND s.storno = 'I'"),
                         0),
             db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE prntip = 'W'"), 0));
    // Header totals are the sums of the lines.
    QCOMPARE(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla h WHERE ABS(h.brutto - (SELECT SUM(l.brutto * l.db) "
                                        "FROM szla_sor l WHERE l.szla = h.szla)) > 0.005"),
                         -1),
             0);
    QVERIFY(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla_sor"), 0) >= 400);
    // Both sequences run without gaps; numbers follow the issue dates.
    for (const QString& where : {QStringLiteral("prntip = 'P'"), QStringLiteral("prntip <> 'P'")}) {
        const qint64 n = db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE ") + where, 0);
        QCOMPARE(db.queryInt(QStringLiteral("SELECT MAX(szlaszam) - MIN(szlaszam) + 1 FROM szla WHERE ") + where, 0), n);
        QCOMPARE(db.queryInt(QStringLiteral("SELECT COUNT(DISTINCT szlaszam) FROM szla WHERE ") + where, 0), n);
    }
    QCOMPARE(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla a JOIN szla b ON b.szla = a.szla + 1 "
                                        "WHERE b.dat_kiadva < a.dat_kiadva"),
                         -1),
             0);
    QCOMPARE(db.queryText(QStringLiteral("SELECT MIN(dat_kiadva) FROM szla"), QString()), QStringLiteral("2020-01-01"));
    QVERIFY(db.queryText(QStringLiteral("SELECT MAX(dat_kiadva) FROM szla"), QString()) >= QStringLiteral("2026-11"));
    // Posted documents are the rule; unpaid ones owe their whole gross.
    QVERIFY(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE konyvelve = 'I'"), 0) > 300);
    QCOMPARE(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE fizetve = 'I' AND konyvelve = 'I' "
                                        "AND prntip = 'S' AND ABS(penzfizetve - brutto) > 0.005"),
                         -1),
             0);
    QCOMPARE(db.integrityCheck(), QStringLiteral("ok"));
}

void DemoDocumentsTest::refusals() {
    TempDataFolder t;
    DemoDocumentOptions o;
    o.documents = 5;
    QVERIFY_THROWS_EXCEPTION(DemoDataError, fillDemoDocuments(t.db, o)); // no masters
    DemoOptions masters;
    masters.customers = 5;
    masters.products = 5;
    fillDemoMasters(t.db, masters);
    fillDemoDocuments(t.db, o);
    QVERIFY_THROWS_EXCEPTION(DemoDataError, fillDemoDocuments(t.db, o)); // never twice
    QCOMPARE(t.db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), 0), 5);
}

QTEST_GUILESS_MAIN(DemoDocumentsTest)
#include "demodocuments_test.moc"
