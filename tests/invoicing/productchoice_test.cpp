// Product choice: the chooser's lists for its four uses and its search, the
// detailed search over products and customers, advance-item codes, and the
// price dialog's arithmetic.
#include "EditorFixture.h"

#include "invoicing/PriceEntry.h"
#include "invoicing/ProductChoice.h"

using namespace orvix;
using namespace orvix::test;

class ProductChoiceTest : public QObject {
    Q_OBJECT

    std::unique_ptr<EditorFolder> m_f;
    Database& db() { return m_f->db(); }

    QString codes(const QString& condition) {
        QStringList out;
        QSqlQuery q = db().select(QStringLiteral("SELECT cikkszam FROM cikkszam WHERE ") + condition +
                                  QStringLiteral(" ORDER BY cikkszam"));
        while (q.next())
            out << q.value(0).toString();
        return out.join(QLatin1Char(' '));
    }

private Q_SLOTS:
    void init() {
        m_f = std::make_unique<EditorFolder>();
        insertRow(db(), QStringLiteral("cikkszam"),
                  {{QStringLiteral("cikkszam"), QStringLiteral("X1")},
                   {QStringLiteral("cikkszam_nev"), QStringLiteral("xAbCy")},
                   {QStringLiteral("cikkszam_nev2"), QStringLiteral("50% kedvezmény")},
                   {QStringLiteral("torolve"), QStringLiteral("N")},
                   {QStringLiteral("eloleg"), QStringLiteral("N")}});
        insertRow(db(), QStringLiteral("cikkszam"),
                  {{QStringLiteral("cikkszam"), QStringLiteral("ELO2")},
                   {QStringLiteral("cikkszam_nev"), QStringLiteral("Előleg másé")},
                   {QStringLiteral("torolve"), QStringLiteral("N")},
                   {QStringLiteral("eloleg"), QStringLiteral("I")},
                   {QStringLiteral("ugyfel"), m_f->otherCustomer}});
    }
    void cleanup() { m_f.reset(); }

    void chooserLists_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("expected");
        const int plain = int(ProductChoiceMode::Plain);
        const int line = int(ProductChoiceMode::Line);
        const int advance = int(ProductChoiceMode::Advance);
        QTest::newRow("plain: no advance items, nothing deleted") << plain << ""
                                                                  << "ALMA FEL K18 K5 MENTES NETA X1";
        QTest::newRow("with name: the same") << int(ProductChoiceMode::PlainWithName) << ""
                                             << "ALMA FEL K18 K5 MENTES NETA X1";
        QTest::newRow("line: the customer's advance items too") << line << ""
                                                                << "ALMA ELO1 FEL K18 K5 MENTES NETA X1";
        QTest::newRow("advance: only the customer's") << advance << ""
                                                      << "ELO1";
        QTest::newRow("search in the name, letter case ignored") << plain << "abc"
                                                                 << "X1";
        QTest::newRow("search in the code") << line << "elo"
                                            << "ELO1";
        QTest::newRow("search in the second name") << plain << "(2)"
                                                   << "ALMA FEL K18 K5 MENTES NETA";
        QTest::newRow("accents ignored") << plain << "KONYV"
                                         << "K5";
        QTest::newRow("a percent sign is no wildcard") << plain << "0%"
                                                       << "X1";
        QTest::newRow("an underscore is no wildcard") << plain << "k_"
                                                      << "";
        QTest::newRow("a quote") << plain << "x'"
                                 << "";
    }
    void chooserLists() {
        QFETCH(int, mode);
        QFETCH(QString, search);
        QFETCH(QString, expected);
        QCOMPARE(codes(productChooserCondition(ProductChoiceMode(mode), m_f->customer, search)), expected);
    }

    void lookup() {
        const std::optional<ProductChoiceResult> p = LookupProduct(db(), QStringLiteral("ELO1"));
        QVERIFY(p);
        QVERIFY(p->isAdvance());
        QCOMPARE(p->cikkszam_nev2, QStringLiteral("Előleg (2)"));
        QCOMPARE(p->afakulcs, 27.0);
        QVERIFY(LookupProduct(db(), QStringLiteral("TOROLT")));
        QVERIFY(!LookupProduct(db(), QStringLiteral("alma")));
    }

    void detailedSearch_data() {
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("method");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // the first shown column of the rows
        const int products = int(SearchTarget::Products);
        const int customers = int(SearchTarget::Customers);
        QTest::newRow("anywhere, in the code too") << products << 1 << "k1"
                                                   << "K18";
        QTest::newRow("anywhere, in the name") << products << 1 << "ény"
                                               << "K18";
        QTest::newRow("beginning of the name") << products << 2 << "al"
                                               << "ALMA";
        QTest::newRow("beginning is not the middle") << products << 2 << "lma"
                                                     << "";
        QTest::newRow("whole name") << products << 3 << "alma"
                                    << "ALMA";
        QTest::newRow("whole name, not a part") << products << 3 << "alm"
                                                << "";
        QTest::newRow("deleted products not found") << products << 1 << "régi"
                                                    << "";
        QTest::newRow("customers anywhere") << customers << 1 << "kft"
                                            << "Vevő Kft.";
        QTest::newRow("customers beginning") << customers << 2 << "má"
                                             << "Másik Zrt.";
    }
    void detailedSearch() {
        QFETCH(int, target);
        QFETCH(int, method);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const QStringList lines = detailedSearchQuery(SearchTarget(target), SearchMethod(method), text);
        QVERIFY(lines.last().startsWith(QStringLiteral("ORDER BY")));
        QStringList got;
        QSqlQuery q = db().select(lines.join(QLatin1Char('\n')));
        while (q.next())
            got << q.value(1).toString();
        QCOMPARE(got.join(QLatin1Char('|')), expected);
    }

    void advanceItems() {
        QCOMPARE(advanceItemCode(10000), QStringLiteral("0ELO2710"));
        QCOMPARE(advanceItemCode(75534), QStringLiteral("0ELO1270E"));
        QCOMPARE(advanceItemCode(0xFFFFFFFF), QStringLiteral("0ELOFFFFFF"));
        m_f->settings.alapafakulcs = 27;
        const Product p = newAdvanceItem(db(), m_f->settings, m_f->customer);
        QVERIFY(p.cikkszam.startsWith(QStringLiteral("0ELO")));
        const uint value = p.cikkszam.mid(4).toUInt(nullptr, 16);
        QVERIFY(value >= 10000 && value <= 75534);
        QCOMPARE(p.cikkszam_nev, QStringLiteral("Előleg"));
        QCOMPARE(p.kategoria, QStringLiteral("ELOLEG"));
        QCOMPARE(p.mert, QStringLiteral("db")); // the unit table's own spelling
        QCOMPARE(p.afakulcs, 27.0);
        QVERIFY(p.eloleg);
        QCOMPARE(p.ugyfel, m_f->customer);
        // Starting the item writes nothing: its category comes with its save.
        QVERIFY(!codeTableHas(db(), QStringLiteral("kategoria"), p.kategoria));
    }

    // The price dialog: the offered price rounded by the amount format when
    // accepted untouched, typing on either page, "- %".
    void priceEntry() {
        PriceEntry untouched(787.40, 27, QString());
        QCOMPARE(untouched.netText(), QStringLiteral("787"));
        QCOMPARE(untouched.grossText(), QStringLiteral("1 000"));
        QCOMPARE(untouched.netDiscountInfo(), QStringLiteral("kedvezmény: 0"));
        QCOMPARE(untouched.result(true), 787.0);
        QCOMPARE(untouched.result(false), 1000 / 1.27);

        PriceEntry gross(787.40, 25, QString());
        gross.typeGross(QStringLiteral("1000"));
        QCOMPARE(gross.netText(), QStringLiteral("800,00000"));
        QCOMPARE(gross.netInfo(), QStringLiteral("Nettó áron: 800"));
        QCOMPARE(gross.grossDiscountInfo(), QStringLiteral("kedvezmény: -16"));
        QCOMPARE(gross.result(false), 800.0);

        PriceEntry net(1000, 27, QStringLiteral("### ### ##0.00"));
        net.typeNet(QStringLiteral("1 200,5"));
        QCOMPARE(net.grossText(), QStringLiteral("1524,63500"));
        QCOMPARE(net.grossInfo(), QStringLiteral("Bruttó áron: 1 524,64"));
        QCOMPARE(net.netDiscountInfo(), QStringLiteral("kedvezmény: -200,50"));
        QCOMPARE(net.result(true), 1200.5);
        net.typeNet(QStringLiteral("abc"));
        QCOMPARE(net.result(true), 0.0);

        PriceEntry percent(1000, 27, QString());
        percent.reduceByPercent(QStringLiteral("10"));
        QCOMPARE(percent.netText(), QStringLiteral("900"));
        QCOMPARE(percent.grossText(), QStringLiteral("1143,00000"));
        QCOMPARE(percent.result(true), 900.0);
        QCOMPARE(percent.result(false), 900.0);
    }
};

QTEST_GUILESS_MAIN(ProductChoiceTest)
#include "productchoice_test.moc"
