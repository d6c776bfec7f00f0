// The limits of what a field can hold: text widths from the catalogue,
// amounts and percentages.
#include "core/FieldLimits.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace orvix;

class FieldLimitsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void textWidths_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("refused");

        QTest::newRow("user name at its width") << "felhasznalo" << "felhasznalo" << 15 << 15 << false;
        QTest::newRow("user name one longer") << "felhasznalo" << "felhasznalo" << 16 << 15 << true;
        QTest::newRow("user name of 300") << "felhasznalo" << "felhasznalo" << 300 << 15 << true;
        QTest::newRow("varchar field") << "ugyfel" << "szla_kerulet" << 11 << 10 << true;
        QTest::newRow("table name in other case") << "UGYFEL" << "Ugyfel_Nev" << 51 << 50 << true;
        QTest::newRow("number field has no width") << "cikkszam" << "netto" << 400 << 0 << false;
        QTest::newRow("memo has no width") << "szla" << "hmegj" << 4000 << 0 << false;
        QTest::newRow("unknown field") << "ugyfel" << "nincs" << 4000 << 0 << false;
        QTest::newRow("unknown table") << "nincs" << "ugyfel_nev" << 4000 << 0 << false;
    }
    void textWidths() {
        QFETCH(QString, table);
        QFETCH(QString, field);
        QFETCH(int, length);
        QFETCH(int, width);
        QFETCH(bool, refused);
        QCOMPARE(fieldWidth(table, field), width);
        const QString problem = textLengthProblem(table, field, QString(length, QChar(u'á')), QStringLiteral("név"));
        QCOMPARE(!problem.isEmpty(), refused);
        if (refused)
            QCOMPARE(problem, QStringLiteral("A(z) \"név\" mező legfeljebb %1 karakter lehet.").arg(width));
    }

    void amounts_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("fits");
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("zero") << 0.0 << true;
        QTest::newRow("largest") << kMaxAmount << true;
        QTest::newRow("largest negative") << -kMaxAmount << true;
        QTest::newRow("just beyond") << std::nextafter(kMaxAmount, inf) << false;
        QTest::newRow("1e300") << 1e300 << false;
        QTest::newRow("-1e300") << -1e300 << false;
        QTest::newRow("infinite") << inf << false;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << false;
    }
    void amounts() {
        QFETCH(double, value);
        QFETCH(bool, fits);
        QCOMPARE(amountFits(value), fits);
        QCOMPARE(amountProblem(value, QStringLiteral("nettó")).isEmpty(), fits);
        if (!fits)
            QVERIFY(amountProblem(value, QStringLiteral("nettó")).contains(QStringLiteral("\"nettó\"")));
    }

    void percentages_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("fits");
        QTest::newRow("low end") << 0.0 << true;
        QTest::newRow("high end") << 100.0 << true;
        QTest::newRow("fraction") << 12.5 << true;
        QTest::newRow("below") << -0.01 << false;
        QTest::newRow("above") << 100.01 << false;
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << false;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << false;
    }
    void percentages() {
        QFETCH(double, value);
        QFETCH(bool, fits);
        const QString problem = percentProblem(value, 0, 100, QStringLiteral("kedvezmény %"));
        QCOMPARE(problem.isEmpty(), fits);
        if (!fits)
            QCOMPARE(problem, QStringLiteral("A(z) \"kedvezmény %\" értéke 0 és 100 között lehet."));
    }
};

QTEST_GUILESS_MAIN(FieldLimitsTest)
#include "fieldlimits_test.moc"
