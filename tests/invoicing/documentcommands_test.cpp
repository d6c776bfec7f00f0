// The new-document and counter-document commands as a script runs them: exit
// codes, printed key and number, messages, and what lands in the data folder.
//
// The executable runs a command itself when started with --run COMMAND …, so
// that its output and exit code are seen as a user sees them.
#include "TestFolders.h"

#include "common/Database.h"
#include "invoicing/DocumentCommands.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

#include <memory>

using namespace orvix;
using namespace orvix::test;

namespace {

const QString kRunArgument = QStringLiteral("--run");

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

QVariantMap row(Database& db, const QString& select, const QVariantList& params = {}) {
    QSqlQuery q = db.select(select, params);
    QVariantMap out;
    if (q.next())
        for (int i = 0; i < q.record().count(); ++i)
            out.insert(q.record().fieldName(i), q.value(i));
    return out;
}

} // namespace

class DocumentCommandsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataFolder> m_folder;
    qint64 m_huf = 0;     // customer paying in HUF with a 10 % discount
    qint64 m_eur = 0;     // customer paying in EUR
    qint64 m_deleted = 0; // a deleted customer
    QString m_year;

    Database& db() { return m_folder->db; }
    QString folder() const { return m_folder->folder; }

    Run run(const QString& command, const QStringList& args) {
        // The folder is free while the command runs.
        db().close();
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), QStringList{kRunArgument, command} + args);
        Run r;
        if (p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit)
            r = {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                 QString::fromUtf8(p.readAllStandardError())};
        db().open(folder());
        return r;
    }

    qint64 count(const QString& table) {
        return db().queryInt(QStringLiteral("SELECT COUNT(*) FROM ") + table, -1);
    }

private Q_SLOTS:
    void init() {
        m_folder = std::make_unique<TempDataFolder>();
        m_year = QString::number(QDate::currentDate().year());
        db().execSql(
            QStringLiteral("INSERT INTO ugyfel (ugyfel_nev, kedvezmeny, fiztip) VALUES ('Forintos', 10, 2)"));
        m_huf = db().queryInt(QStringLiteral("SELECT MAX(ugyfel) FROM ugyfel"), 0);
        db().execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev, vat) VALUES ('Eurós', 'EUR')"));
        m_eur = db().queryInt(QStringLiteral("SELECT MAX(ugyfel) FROM ugyfel"), 0);
        db().execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev, torolve) VALUES ('Régi', 'I')"));
        m_deleted = db().queryInt(QStringLiteral("SELECT MAX(ugyfel) FROM ugyfel"), 0);
        db().execSql(
            QStringLiteral("INSERT INTO cikkszam (cikkszam, cikkszam_nev, mert, netto, afakulcs, tm) VALUES "
                           "('ALMA', 'Alma', 'kg', 1000, 27, 'N'), ('KONYV', 'Könyv', 'db', 500, 5, 'N'), "
                           "('POSTA', 'Bélyeg', 'db', 200, 0, 'I')"));
        db().execSql(
            QStringLiteral("INSERT INTO cikkszam (cikkszam, cikkszam_nev, netto, afakulcs, torolve) VALUES "
                           "('RÉGI', 'Régi', 10, 27, 'I')"));
    }
    void cleanup() { m_folder.reset(); }

    void help_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("expected");
        QTest::newRow("new-document") << "new-document"
                                      << "--line CODE:QTY[:NETPRICE]";
        QTest::newRow("counter-document") << "counter-document"
                                          << "--kind W|J";
    }
    void help() {
        QFETCH(QString, command);
        QFETCH(QString, expected);
        const Run r = run(command, {QStringLiteral("--help")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains(QStringLiteral("Használat:")) && r.out.contains(expected), qPrintable(r.out));
    }

    void newDocument() {
        const Run r =
            run(QStringLiteral("new-document"),
                {folder(), QStringLiteral("--kind"), QStringLiteral("S"), QStringLiteral("--customer"),
                 QString::number(m_huf), QStringLiteral("--line"), QStringLiteral("ALMA:2"),
                 QStringLiteral("--line=konyv:3:450,5"), QStringLiteral("--line"), QStringLiteral("POSTA:1"),
                 QStringLiteral("--user"), QStringLiteral("pisti")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out.trimmed(), QStringLiteral("1 SA0000001-S/") + m_year);

        const QVariantMap h = row(db(), QStringLiteral("SELECT * FROM szla WHERE szla=1"));
        QCOMPARE(h.value("ugyfel").toLongLong(), m_huf);
        QCOMPARE(h.value("alkalmazott").toString(), QStringLiteral("pisti"));
        QCOMPARE(h.value("fa").toString(), QStringLiteral("N"));
        QCOMPARE(h.value("fiztip_nev").toString(), QStringLiteral("Átutalás"));
        QCOMPARE(h.value("arfolyam").toDouble(), 1.0);
        // ALMA: 1000 less 10 % = 900 × 2 at 27 %; KONYV: 450.5 as given × 3 at
        // 5 %; POSTA: 200 less 10 % = 180 at 0 %, subject-exempt.
        const double net = 1800 + 1351.5 + 180;
        const double vat = 486 + 67.575;
        QVERIFY(qAbs(h.value("netto").toDouble() - net) < 1e-9);
        QVERIFY(qAbs(h.value("afa").toDouble() - vat) < 1e-9);
        QVERIFY(qAbs(h.value("brutto").toDouble() - (net + vat)) < 1e-9);

        QSqlQuery q = db().select(
            QStringLiteral("SELECT sor, cikkszam, cikkszam_nev, db, egysar, afakulcs, netto25, netto0, tm "
                           "FROM szla_sor WHERE szla=1 ORDER BY sor"));
        QStringList lines;
        while (q.next())
            lines << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9")
                         .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                              q.value(3).toString(), q.value(4).toString(), q.value(5).toString(),
                              q.value(6).toString(), q.value(7).toString(), q.value(8).toString());
        QCOMPARE(lines, (QStringList{"1 ALMA Alma 2 900 27 900 0 0", "2 KONYV Könyv 3 450.5 5 0 450.5 0",
                                     "3 POSTA Bélyeg 1 180 0 0 0 180"}));
    }

    void reverseChargeAndCurrency() {
        db().execSql(QStringLiteral("UPDATE beallit SET vanfa='I'"));
        Run r = run(QStringLiteral("new-document"),
                    {folder(), QStringLiteral("--kind"), QStringLiteral("p"), QStringLiteral("--customer"),
                     QString::number(m_eur), QStringLiteral("--reverse-charge"),
                     QStringLiteral("--exchange-rate"), QStringLiteral("401.25"), QStringLiteral("--line"),
                     QStringLiteral("ALMA:1:10")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out.trimmed(), QStringLiteral("1 SA0000001-P/") + m_year);
        const QVariantMap h =
            row(db(), QStringLiteral("SELECT fa, vat, arfolyam, netto, afa, prntip FROM szla"));
        QCOMPARE(h.value("fa").toString(), QStringLiteral("I"));
        QCOMPARE(h.value("vat").toString(), QStringLiteral("EUR"));
        QCOMPARE(h.value("arfolyam").toDouble(), 401.25);
        QCOMPARE(h.value("netto").toDouble(), 10.0);
        QCOMPARE(h.value("afa").toDouble(), 0.0);
        QCOMPARE(db().queryFloat(QStringLiteral("SELECT afakulcs FROM szla_sor"), -1), 0.0);

        // A rate given for a forint customer does not count.
        r = run(QStringLiteral("new-document"),
                {folder(), QStringLiteral("--kind"), QStringLiteral("J"), QStringLiteral("--customer"),
                 QString::number(m_huf), QStringLiteral("--exchange-rate"), QStringLiteral("380"),
                 QStringLiteral("--line"), QStringLiteral("ALMA:-1")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out.trimmed(), QStringLiteral("2 SA0000001-J/") + m_year);
        QCOMPARE(db().queryFloat(QStringLiteral("SELECT arfolyam FROM szla WHERE szla=2"), -1), 1.0);
    }

    // A bad command line: exit code 2, a Hungarian message, nothing written.
    void badArguments_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        const QStringList line{QStringLiteral("--line"), QStringLiteral("ALMA:1")};
        QTest::newRow("no folder") << "new-document" << QStringList{"--kind", "S", "--customer", "1"} + line
                                   << "adatmappát vár";
        QTest::newRow("no kind") << "new-document" << QStringList{"@", "--customer", "1"} + line
                                 << "hiányzik a bizonylat fajtája";
        QTest::newRow("bad kind") << "new-document"
                                  << QStringList{"@", "--kind", "X", "--customer", "1"} + line
                                  << "érvénytelen bizonylatfajta: \"X\"";
        QTest::newRow("no customer") << "new-document" << QStringList{"@", "--kind", "S"} + line
                                     << "hiányzik az ügyfél";
        QTest::newRow("customer not a number")
            << "new-document" << QStringList{"@", "--kind", "S", "--customer", "abc"} + line
            << "pozitív egész";
        QTest::newRow("no line") << "new-document" << QStringList{"@", "--kind", "S", "--customer", "1"}
                                 << "legalább egy tétel";
        QTest::newRow("line without quantity")
            << "new-document" << QStringList{"@", "--kind", "S", "--customer", "1", "--line", "ALMA"}
            << "hibás tétel";
        QTest::newRow("quantity not a number")
            << "new-document" << QStringList{"@", "--kind", "S", "--customer", "1", "--line", "ALMA:2x"}
            << "a mennyiség nem szám";
        QTest::newRow("zero quantity")
            << "new-document" << QStringList{"@", "--kind", "S", "--customer", "1", "--line", "ALMA:0"}
            << "nem lehet nulla";
        QTest::newRow("rate below 1")
            << "new-document"
            << QStringList{"@", "--kind", "S", "--customer", "1", "--exchange-rate", "0.5"} + line
            << "az árfolyam legalább 1";
        QTest::newRow("kind twice") << "new-document"
                                    << QStringList{"@", "--kind", "S", "--kind", "P", "--customer", "1"} +
                                           line
                                    << "csak egyszer";
        QTest::newRow("unknown option")
            << "new-document" << QStringList{"@", "--kind", "S", "--customer", "1", "--gyorsan"} + line
            << "ismeretlen kapcsoló: --gyorsan";
        QTest::newRow("counter: no key")
            << "counter-document" << QStringList{"@", "--kind", "W"} << "(DIR KEY)";
        QTest::newRow("counter: bad key")
            << "counter-document" << QStringList{"@", "x1", "--kind", "W"} << "pozitív egész";
        QTest::newRow("counter: bad kind")
            << "counter-document" << QStringList{"@", "1", "--kind", "S"} << "W vagy J lehet";
    }
    void badArguments() {
        QFETCH(QString, command);
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        args.replaceInStrings(QRegularExpression(QStringLiteral("^@$")), folder());
        db().execSql(QStringLiteral("INSERT INTO szla (prntip, szlaszam) VALUES ('S', 1)"));
        const Run r = run(command, args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("--help")), qPrintable(r.err));
        QCOMPARE(r.out, QString());
        QCOMPARE(count(QStringLiteral("szla")), qint64(1));
    }

    // A refused document: exit code 1, the reason, nothing written.
    void refused_data() {
        QTest::addColumn<QStringList>("args"); // after DIR; CUSTOMER/EUR/DELETED stand for the keys
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown customer")
            << QStringList{"--kind", "S", "--customer", "999", "--line", "ALMA:1"}
            << "Nem létező ügyfél: 999";
        QTest::newRow("deleted customer")
            << QStringList{"--kind", "S", "--customer", "DELETED", "--line", "ALMA:1"} << "törölve van";
        QTest::newRow("unknown product, after a good one")
            << QStringList{"--kind", "S", "--customer", "CUSTOMER", "--line", "ALMA:1", "--line", "NINCS:1"}
            << "Nem létező cikkszám: NINCS";
        QTest::newRow("deleted product")
            << QStringList{"--kind", "S", "--customer", "CUSTOMER", "--line", "RÉGI:1"}
            << "Törölt cikkszám: RÉGI";
        QTest::newRow("foreign currency without a rate")
            << QStringList{"--kind", "S", "--customer", "EUR", "--line", "ALMA:1"}
            << "pénzneme EUR: az árfolyamot meg kell adni (--exchange-rate R)";
        QTest::newRow("foreign currency at 1")
            << QStringList{"--kind", "S", "--customer", "EUR", "--exchange-rate", "1", "--line", "ALMA:1"}
            << "Érvénytelen árfolyam, vagy hibás devizanem";
        QTest::newRow("reverse charge not enabled")
            << QStringList{"--kind", "S", "--customer", "CUSTOMER", "--reverse-charge", "--line", "ALMA:1"}
            << "fordított adózás a beállításokban nincs engedélyezve";
    }
    void refused() {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        args.replaceInStrings(QRegularExpression(QStringLiteral("^CUSTOMER$")), QString::number(m_huf));
        args.replaceInStrings(QRegularExpression(QStringLiteral("^EUR$")), QString::number(m_eur));
        args.replaceInStrings(QRegularExpression(QStringLiteral("^DELETED$")), QString::number(m_deleted));
        const Run r = run(QStringLiteral("new-document"), QStringList{folder()} + args);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(r.out, QString());
        QCOMPARE(count(QStringLiteral("szla")), qint64(0));
        QCOMPARE(count(QStringLiteral("szla_sor")), qint64(0));
    }

    void notADataFolder() {
        const Run r = run(QStringLiteral("new-document"),
                          {m_folder->dir.filePath(QStringLiteral("nincs")), QStringLiteral("--kind"),
                           QStringLiteral("S"), QStringLiteral("--customer"), QStringLiteral("1"),
                           QStringLiteral("--line"), QStringLiteral("ALMA:1")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("nincs adatbázis")), qPrintable(r.err));
        QVERIFY(!QFileInfo::exists(m_folder->dir.filePath(QStringLiteral("nincs"))));
    }

    void counterDocument() {
        Run r = run(QStringLiteral("new-document"),
                    {folder(), QStringLiteral("--kind"), QStringLiteral("S"), QStringLiteral("--customer"),
                     QString::number(m_huf), QStringLiteral("--line"), QStringLiteral("ALMA:2:100"),
                     QStringLiteral("--line"), QStringLiteral("KONYV:1:50")});
        QCOMPARE(r.exitCode, 0);
        r = run(QStringLiteral("counter-document"),
                {folder(), QStringLiteral("1"), QStringLiteral("--kind"), QStringLiteral("w"),
                 QStringLiteral("--user"), QStringLiteral("juci")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out.trimmed(), QStringLiteral("2 SA0000002-W/") + m_year);
        const QVariantMap h = row(db(), QStringLiteral("SELECT * FROM szla WHERE szla=2"));
        QCOMPARE(h.value("eredeti").toInt(), 1);
        QCOMPARE(h.value("eredetistr").toString(), QStringLiteral("SA0000001-S/") + m_year);
        QCOMPARE(h.value("netto").toDouble(), -250.0);
        QCOMPARE(h.value("alkalmazott").toString(), QStringLiteral("juci"));
        QCOMPARE(db().queryFloat(QStringLiteral("SELECT SUM(db) FROM szla_sor WHERE szla=2"), 0), -3.0);

        // A credit note is made of invoices only, and nothing of proformas.
        r = run(QStringLiteral("counter-document"),
                {folder(), QStringLiteral("2"), QStringLiteral("--kind"), QStringLiteral("J")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("csak számláról (S)")), qPrintable(r.err));
        db().execSql(QStringLiteral("INSERT INTO szla (prntip, szlaszam) VALUES ('P', 1)"));
        r = run(QStringLiteral("counter-document"),
                {folder(), QStringLiteral("3"), QStringLiteral("--kind"), QStringLiteral("W")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("Proformáról nem készül ellenbizonylat")), qPrintable(r.err));
        r = run(QStringLiteral("counter-document"),
                {folder(), QStringLiteral("42"), QStringLiteral("--kind"), QStringLiteral("W")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("Nem létező bizonylat: 42")), qPrintable(r.err));
        QCOMPARE(count(QStringLiteral("szla")), qint64(3));
    }

    // An older folder without the number index gets it from the commands;
    // one with repeated numbers is warned about and still served.
    void numberIndexOfOlderFolders() {
        db().execSql(QStringLiteral("DROP INDEX idx_szla_szlaszam"));
        db().execSql(QStringLiteral("INSERT INTO szla (prntip, szlaszam) VALUES ('S', 4), ('J', 4)"));
        Run r = run(QStringLiteral("new-document"),
                    {folder(), QStringLiteral("--kind"), QStringLiteral("S"), QStringLiteral("--customer"),
                     QString::number(m_huf), QStringLiteral("--line"), QStringLiteral("ALMA:1")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.contains(QStringLiteral("Figyelmeztetés: Több bizonylatnak azonos a sorszáma")),
                 qPrintable(r.err));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT szlaszam FROM szla WHERE szla=3"), -1), qint64(5));

        db().execSql(QStringLiteral("UPDATE szla SET szlaszam=6 WHERE szla=3"));
        db().execSql(QStringLiteral("UPDATE szla SET szlaszam=5 WHERE prntip='J'"));
        r = run(QStringLiteral("counter-document"),
                {folder(), QStringLiteral("1"), QStringLiteral("--kind"), QStringLiteral("W")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QString());
        QCOMPARE(db().queryInt(
                     QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name='idx_szla_szlaszam'"), 0),
                 qint64(1));
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 2 && args.at(1) == kRunArgument) {
        return cli::runCommand({&documentCommands()}, args.mid(2));
    }
    DocumentCommandsTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "documentcommands_test.moc"
