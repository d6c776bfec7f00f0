// The VAT rate change of the product master: both price modes, products
// that had the new rate already, refused input leaving every price alone,
// and the command line.
#include "TestFolders.h"

#include "common/Database.h"
#include "masters/VatChange.h"

#include <QProcess>
#include <QtTest>

using namespace orvix;
using namespace orvix::test;

namespace {

void product(Database& db, const QString& code, double rate, double net, double gross, const QString& deleted = "N") {
    db.execSql(QStringLiteral("INSERT INTO cikkszam (cikkszam, cikkszam_nev, afakulcs, netto, afa, brutto, torolve) "
                              "VALUES (?, ?, ?, ?, ?, ?, ?)"),
               {code, code, rate, net, gross - net, gross, deleted});
}

struct Prices {
    double rate, net, vat, gross;
};

Prices prices(Database& db, const QString& code) {
    QSqlQuery q = db.select(QStringLiteral("SELECT afakulcs, netto, afa, brutto FROM cikkszam WHERE cikkszam=?"), {code});
    q.next();
    return {q.value(0).toDouble(), q.value(1).toDouble(), q.value(2).toDouble(), q.value(3).toDouble()};
}

} // namespace

class VatChangeTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void change_data() {
        QTest::addColumn<bool>("keepNet");
        QTest::addColumn<QString>("code");
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("net");
        QTest::addColumn<double>("vat");
        QTest::addColumn<double>("gross");
        // A: 25 %, net 1000, gross 1250; B: 27 % already, net 100, gross 200
        // (inconsistent on purpose); C: 18 %, untouched; D: deleted 25 %.
        QTest::newRow("keep net, moved") << true << "A" << 27.0 << 1000.0 << 270.0 << 1270.0;
        QTest::newRow("keep net, had the rate") << true << "B" << 27.0 << 100.0 << 27.0 << 127.0;
        QTest::newRow("keep net, other rate") << true << "C" << 18.0 << 100.0 << 18.0 << 118.0;
        QTest::newRow("keep net, deleted moved too") << true << "D" << 27.0 << 1000.0 << 270.0 << 1270.0;
        QTest::newRow("keep gross, moved") << false << "A" << 27.0 << 1250 / 1.27 << 1250 - 1250 / 1.27 << 1250.0;
        QTest::newRow("keep gross, had the rate") << false << "B" << 27.0 << 200 / 1.27 << 200 - 200 / 1.27 << 200.0;
    }
    void change() {
        QFETCH(bool, keepNet);
        QFETCH(QString, code);
        TempDataFolder f;
        product(f.db, "A", 25, 1000, 1250);
        product(f.db, "B", 27, 100, 200);
        product(f.db, "C", 18, 100, 118);
        product(f.db, "D", 25, 1000, 1250, "I");
        QCOMPARE(productVatRates(f.db), (QList<double>{18, 25, 27}));
        QCOMPARE(changeVatRate(f.db, 25, QStringLiteral("27"), keepNet ? VatKeep::Net : VatKeep::Gross), 3);
        const Prices p = prices(f.db, code);
        QTEST(p.rate, "rate");
        QTEST(p.net, "net");
        QTEST(p.vat, "vat");
        QTEST(p.gross, "gross");
        if (!keepNet && code == QLatin1String("A")) {
            QCOMPARE(QString::number(p.net, 'f', 5), QStringLiteral("984.25197"));
            QCOMPARE(QString::number(p.vat, 'f', 5), QStringLiteral("265.74803"));
        }
        const QList<VatRateUse> use = productVatRatesInUse(f.db);
        QCOMPARE(use.size(), 2);
        QCOMPARE(use[1].rate, 27.0);
        QCOMPARE(use[1].products, 2);
    }

    // A new rate that is empty or not a rate is refused; so is an old rate
    // that no product has. Nothing changes.
    void refused_data() {
        QTest::addColumn<double>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << 25.0 << "  " << "Adja meg az új áfa kulcsot!";
        QTest::newRow("letters") << 25.0 << "huszonhét" << "nem érvényes";
        QTest::newRow("two signs") << 25.0 << "2,7,5" << "nem érvényes";
        QTest::newRow("over 100") << 25.0 << "270" << "nem érvényes";
        QTest::newRow("negative") << 25.0 << "-5" << "nem érvényes";
        QTest::newRow("no product of the rate") << 5.0 << "27" << "Nincs 5 %-os áfa kulcsú cikk.";
    }
    void refused() {
        QFETCH(double, from);
        QFETCH(QString, to);
        QFETCH(QString, message);
        TempDataFolder f;
        product(f.db, "A", 25, 1000, 1250);
        try {
            changeVatRate(f.db, from, to, VatKeep::Net);
            QFAIL("not refused");
        } catch (const VatChangeError& e) {
            QVERIFY2(e.text().contains(message), qPrintable(e.text()));
        }
        const Prices p = prices(f.db, QStringLiteral("A"));
        QCOMPARE(p.rate, 25.0);
        QCOMPARE(p.gross, 1250.0);
    }

    void decimalRates_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("rate");
        QTest::newRow("comma") << "5,5" << 5.5;
        QTest::newRow("point") << "5.5" << 5.5;
        QTest::newRow("percent sign") << " 18 % " << 18.0;
        QTest::newRow("zero") << "0" << 0.0;
    }
    void decimalRates() {
        QFETCH(QString, text);
        QTEST(parseVatRate(text).value_or(-1), "rate");
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<double>("gross");
        QTest::newRow("keep net") << QStringList{"--from", "25", "--to", "27", "--keep", "net"} << 0 << 1270.0;
        QTest::newRow("keep gross") << QStringList{"--from", "25", "--to", "27", "--keep", "gross"} << 0 << 1250.0;
        QTest::newRow("no product of the rate") << QStringList{"--from", "5", "--to", "27", "--keep", "net"} << 1 << 1250.0;
        QTest::newRow("empty --to") << QStringList{"--from", "25", "--to", "", "--keep", "net"} << 2 << 1250.0;
        QTest::newRow("bad --keep") << QStringList{"--from", "25", "--to", "27", "--keep", "both"} << 2 << 1250.0;
    }
    void commandLine() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        TempDataFolder f;
        product(f.db, "A", 25, 1000, 1250);
        f.db.close();
        QProcess p;
        p.start(QString::fromLocal8Bit(qgetenv("ORVIX_CLI")), QStringList{"change-vat", f.folder} + args);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), exitCode);
        f.db.open(f.folder);
        QTEST(prices(f.db, QStringLiteral("A")).gross, "gross");
    }
};

QTEST_GUILESS_MAIN(VatChangeTest)
#include "vatchange_test.moc"
