// The product master on a real data folder: the net/gross recomputation,
// exempt products, editing without the duplicate checks, the refusals, the
// defaults and the soft delete. (The duplicate checks of a new product are
// tested through the product window.)
#include "ScriptedDialogs.h"
#include "TestFolders.h"

#include "common/Database.h"
#include "core/Settings.h"
#include "masters/Products.h"

#include <QSqlQuery>
#include <QtTest>
#include <memory>

using namespace orvix;
using orvix::test::ScriptedDialogs;
using orvix::test::TempDataFolder;

namespace {

void addProduct(Database& db, const QString& code, const QString& name,
                const QString& torolve = QStringLiteral("N")) {
    db.execSql(
        QStringLiteral("INSERT INTO cikkszam (cikkszam, cikkszam_nev, torolve, eloleg, netto, afa, brutto, "
                       "afakulcs) VALUES (?, ?, ?, 'N', 100, 27, 127, 27)"),
        {code, name, torolve});
}

Product product(const QString& code, const QString& name) {
    Product p;
    p.cikkszam = code;
    p.cikkszam_nev = name;
    p.afakulcs = 27;
    return p;
}

qint64 count(Database& db) {
    return db.queryInt(QStringLiteral("SELECT COUNT(*) FROM cikkszam"), -1);
}

} // namespace

class ProductsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataFolder> m_folder;
    Database& db() { return m_folder->db; }

private Q_SLOTS:
    void init() { m_folder = std::make_unique<TempDataFolder>(); }
    void cleanup() { m_folder.reset(); }

    void prices_data() {
        QTest::addColumn<bool>("grossBased");
        QTest::addColumn<double>("entered");
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("netto");
        QTest::addColumn<double>("afa");
        QTest::addColumn<double>("brutto");
        QTest::newRow("net 1000 at 27") << false << 1000.0 << 27.0 << 1000.0 << 270.0 << 1270.0;
        QTest::newRow("gross 1250 at 25") << true << 1250.0 << 25.0 << 1000.0 << 250.0 << 1250.0;
        QTest::newRow("gross 1000 at 27, unrounded")
            << true << 1000.0 << 27.0 << 1000.0 / 1.27 << 1000.0 - 1000.0 / 1.27 << 1000.0;
        QTest::newRow("net at 0") << false << 500.0 << 0.0 << 500.0 << 0.0 << 500.0;
        QTest::newRow("net 0,1 at 5") << false << 0.1 << 5.0 << 0.1 << 0.005 << 0.105;
    }
    void prices() {
        QFETCH(bool, grossBased);
        QFETCH(double, entered);
        QFETCH(double, rate);
        QFETCH(double, netto);
        QFETCH(double, afa);
        QFETCH(double, brutto);
        const Prices p = grossBased ? pricesFromGross(entered, rate) : pricesFromNet(entered, rate);
        QCOMPARE(p.netto, netto);
        QCOMPARE(p.afa, afa);
        QCOMPARE(p.brutto, brutto);
    }

    // An exempt product is stored at rate 0, VAT 0 and gross := net. In
    // gross-based entry the net price is the one the typed gross price gives
    // at the rate shown, so 1270 typed at 27 % is stored as 1000.
    void exemptSaved_data() {
        QTest::addColumn<bool>("grossBased");
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("entered");
        QTest::addColumn<double>("stored");
        QTest::newRow("net-based, rate 27") << false << 27.0 << 500.0 << 500.0;
        QTest::newRow("gross-based, rate 27") << true << 27.0 << 1270.0 << 1000.0;
        QTest::newRow("gross-based, rate 0") << true << 0.0 << 800.0 << 800.0;
    }
    void exemptSaved() {
        QFETCH(bool, grossBased);
        QFETCH(double, rate);
        QFETCH(double, entered);
        QFETCH(double, stored);
        Product p = product(QStringLiteral("MENTES"), QStringLiteral("Tanfolyam"));
        p.tm = true;
        p.afakulcs = rate;
        const Prices shown = grossBased ? pricesFromGross(entered, rate) : pricesFromNet(entered, rate);
        p.netto = shown.netto;
        p.afa = shown.afa;
        p.brutto = shown.brutto;
        ScriptedDialogs d;
        QVERIFY(saveProduct(db(), d, p, std::nullopt, grossBased).saved);
        QSqlQuery q = db().select(QStringLiteral("SELECT afakulcs, afa, netto, brutto, tm FROM cikkszam"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toDouble(), 0.0);
        QCOMPARE(q.value(1).toDouble(), 0.0);
        QCOMPARE(q.value(2).toDouble(), stored);
        QCOMPARE(q.value(3).toDouble(), stored);
        QCOMPARE(q.value(4).toString(), QStringLiteral("I"));
    }

    // Editing skips both duplicate checks; the code of an existing product
    // stays its key. An unchanged old price is not recomputed.
    void editSkipsChecks() {
        addProduct(db(), QStringLiteral("A1"), QStringLiteral("Csavar"));
        addProduct(db(), QStringLiteral("A2"), QStringLiteral("Csavar"));
        db().execSql(QStringLiteral("UPDATE cikkszam SET brutto=130 WHERE cikkszam='A2'"));
        std::optional<Product> stored = loadProduct(db(), QStringLiteral("A2"));
        QVERIFY(stored);
        Product p = *stored;
        p.cikkszam = QStringLiteral("A1");
        p.megjegyzes = QStringLiteral("új megjegyzés");
        ScriptedDialogs d;
        QVERIFY(saveProduct(db(), d, p, stored, false).saved);
        QCOMPARE(d.asked, QStringList());
        QCOMPARE(p.cikkszam, QStringLiteral("A2"));
        QCOMPARE(db().queryText(QStringLiteral("SELECT megjegyzes FROM cikkszam WHERE cikkszam='A2'"), {}),
                 QStringLiteral("új megjegyzés"));
        QCOMPARE(db().queryFloat(QStringLiteral("SELECT brutto FROM cikkszam WHERE cikkszam='A2'"), 0),
                 130.0);

        // A new rate recomputes from the entered price.
        stored = loadProduct(db(), QStringLiteral("A2"));
        p = *stored;
        p.afakulcs = 5;
        QVERIFY(saveProduct(db(), d, p, stored, false).saved);
        QCOMPARE(db().queryFloat(QStringLiteral("SELECT brutto FROM cikkszam WHERE cikkszam='A2'"), 0),
                 105.0);
    }

    void refusals_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("rate");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<double>("net");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("focus");
        const QString bad = QStringLiteral("error: Hiányos, vagy hibás adatmegadás\n");
        const QString rateRange = bad + QStringLiteral("A(z) \"áfakulcs\" értéke 0 és 100 között lehet.");
        const QString tooLarge = bad + QStringLiteral("A(z) \"nettó\" mező értéke érvénytelen: az összeg "
                                                      "legfeljebb 1 000 000 000 000 lehet (előjeltől függetlenül).");
        QTest::newRow("no code") << " " << "Csavar" << 27.0 << "" << 0.0
                                 << bad + "Adja meg a cikkszámot!" << "cikkszam";
        QTest::newRow("no name") << "CS1" << "" << 27.0 << "" << 0.0
                                 << bad + "Adja meg a megnevezést!" << "cikkszam_nev";
        QTest::newRow("rate over 100") << "CS1" << "Csavar" << 127.0 << "" << 0.0 << rateRange << "afakulcs";
        QTest::newRow("rate not a number") << "CS1" << "Csavar" << qQNaN() << "" << 0.0 << rateRange
                                           << "afakulcs";
        QTest::newRow("code too long") << "CS12345678901234" << "Csavar" << 27.0 << "" << 0.0
                                       << bad + "A(z) \"cikkszám\" mező legfeljebb 15 karakter lehet."
                                       << "cikkszam";
        QTest::newRow("name too long") << "CS1" << QString(51, QLatin1Char('n')) << 27.0 << "" << 0.0
                                       << bad + "A(z) \"megnevezés\" mező legfeljebb 50 karakter lehet."
                                       << "cikkszam_nev";
        QTest::newRow("unit not in its table") << "CS1" << "Csavar" << 27.0 << "hordó" << 0.0
                                               << "error: Érvénytelen adat megadás" << "mert";
        QTest::newRow("net 1e300") << "CS1" << "Csavar" << 27.0 << "" << 1e300 << tooLarge << "netto";
        QTest::newRow("net infinite") << "CS1" << "Csavar" << 27.0 << "" << qInf() << tooLarge << "netto";
        QTest::newRow("net fits, its gross does not")
            << "CS1" << "Csavar" << 27.0 << "" << 0.9e12 << tooLarge << "netto";
        QTest::newRow("negative beyond the bound") << "CS1" << "Csavar" << 0.0 << "" << -2e12 << tooLarge
                                                   << "netto";
    }
    void refusals() {
        QFETCH(QString, code);
        QFETCH(QString, name);
        QFETCH(double, rate);
        QFETCH(QString, unit);
        QFETCH(double, net);
        QFETCH(QString, reason);
        QFETCH(QString, focus);
        Product p = product(code, name);
        p.afakulcs = rate;
        p.mert = unit;
        p.netto = net;
        ScriptedDialogs d;
        const SaveResult r = saveProduct(db(), d, p, std::nullopt, false);
        QVERIFY(!r.saved);
        QCOMPARE(d.asked, QStringList{reason});
        QCOMPARE(r.focusField, focus);
        QCOMPARE(count(db()), qint64(0));
    }

    // A new advance item adds the category and unit it names, in the same
    // transaction as itself; an ordinary product may not.
    void advanceItemBringsItsCodes() {
        db().execSql(QStringLiteral("DELETE FROM mert WHERE mert='db'"));
        Product item = product(QStringLiteral("0ELO2710"), QStringLiteral("Előleg"));
        item.kategoria = QStringLiteral("ELOLEG");
        item.mert = QStringLiteral("Db");
        item.eloleg = true;
        item.ugyfel = 7;
        Product plain = item;
        plain.cikkszam = QStringLiteral("SIMA");
        plain.eloleg = false;
        ScriptedDialogs d;
        QVERIFY(!saveProduct(db(), d, plain, std::nullopt, false).saved);
        QCOMPARE(d.asked, QStringList{QStringLiteral("error: Érvénytelen adat megadás")});
        QVERIFY(saveProduct(db(), d, item, std::nullopt, false).saved);
        QCOMPARE(db().queryText(QStringLiteral("SELECT kategoria_nev FROM kategoria WHERE kategoria='ELOLEG'"),
                                {}),
                 QStringLiteral("Előleg"));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM mert WHERE mert='Db'"), -1), 1);
        QCOMPARE(db().queryText(QStringLiteral("SELECT eloleg FROM cikkszam WHERE cikkszam='0ELO2710'"), {}),
                 QStringLiteral("I"));

        // A second item finds them in place; a refused item adds nothing.
        Product second = item;
        second.cikkszam = QStringLiteral("0ELO2711");
        QVERIFY(saveProduct(db(), d, second, std::nullopt, false).saved);
        db().execSql(QStringLiteral("DELETE FROM kategoria"));
        Product refused = item;
        refused.cikkszam = QStringLiteral("0ELO2710"); // code in use
        QVERIFY(!saveProduct(db(), d, refused, std::nullopt, false).saved);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM kategoria"), -1), 0);
    }

    void newProductDefaults() {
        Settings s;
        s.alapafakulcs = 18;
        s.alapmert = QStringLiteral("db");
        Product p = orvix::newProductDefaults(s);
        QCOMPARE(p.afakulcs, 18.0);
        QCOMPARE(p.mert, QStringLiteral("db"));
        QVERIFY(!p.tm && !p.neta && !p.kozv_szolgaltatas && !p.eloleg);
        QCOMPARE(p.kulonb_szer_szab, 0);
        QCOMPARE(p.ugyfel, qint64(0));

        p.cikkszam = QStringLiteral("új1");
        p.cikkszam_nev = QStringLiteral("Új termék");
        p.netto = 100;
        ScriptedDialogs d;
        QVERIFY(saveProduct(db(), d, p, std::nullopt, false).saved);
        QSqlQuery q =
            db().select(QStringLiteral("SELECT cikkszam, torolve, eloleg, ugyfel, tm, kozv_szolgaltatas, "
                                       "neta, kulonb_szer_szab, brutto FROM cikkszam"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("ÚJ1"));
        for (int i = 1; i <= 6; ++i) {
            if (i != 3)
                QCOMPARE(q.value(i).toString(), QStringLiteral("N"));
        }
        QCOMPARE(q.value(3).toInt(), 0);
        QCOMPARE(q.value(7).toInt(), 0);
        QCOMPARE(q.value(8).toDouble(), 118.0);
    }

    void softDelete() {
        addProduct(db(), QStringLiteral("A1"), QStringLiteral("Csavar"));
        ScriptedDialogs d;
        d.answers = {false, true};
        QVERIFY(
            !softDeleteProduct(db(), d, QStringLiteral("A1"), QStringLiteral("Valóban töröljem a sort?")));
        QCOMPARE(db().queryText(QStringLiteral("SELECT torolve FROM cikkszam"), {}), QStringLiteral("N"));
        QVERIFY(softDeleteProduct(db(), d, QStringLiteral("A1"), QStringLiteral("Valóban töröljem a sort?")));
        QCOMPARE(d.asked.first(), QStringLiteral("question: Megerősítés | Valóban töröljem a sort?"));
        QCOMPARE(db().queryText(QStringLiteral("SELECT torolve FROM cikkszam"), {}), QStringLiteral("I"));
        QCOMPARE(count(db()), qint64(1));
    }
};

QTEST_GUILESS_MAIN(ProductsTest)
#include "products_test.moc"
