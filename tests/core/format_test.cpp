// Number pictures and dates in the program's own forms.
#include "core/Locale.h"
#include "core/TextUtil.h"

#include <QLocale>
#include <QtTest>

using namespace orvix;

class FormatTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void formatFloat_data();
    void formatFloat();
    void defaultPictures();
    void hungarianLocale();
};

void FormatTest::formatFloat_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    // Literal spaces as group separators.
    const QString grouped = QStringLiteral("### ### ##0");
    QTest::newRow("spaces literal") << grouped << 1234567.0 << QStringLiteral("1 234 567");
    QTest::newRow("spaces, short number") << grouped << 42.0 << QStringLiteral("42");
    QTest::newRow("spaces, zero") << grouped << 0.0 << QStringLiteral("0");
    QTest::newRow("spaces, negative") << grouped << -1234567.0 << QStringLiteral("-1 234 567");
    QTest::newRow("spaces, rounded up") << grouped << 999.5 << QStringLiteral("1 000");
    QTest::newRow("spaces, more digits than places")
        << grouped << 1234567890.0 << QStringLiteral("1234 567 890");
    QTest::newRow("spaces, decimals")
        << QStringLiteral("### ### ##0.00") << 1234.5 << QStringLiteral("1 234,50");
    QTest::newRow("spaces, one decimal") << QStringLiteral("### ### ##0.0") << 5.0 << QStringLiteral("5,0");

    // Placeholders.
    QTest::newRow("leading zeros") << QStringLiteral("00000") << 42.0 << QStringLiteral("00042");
    QTest::newRow("one decimal") << QStringLiteral("0.0") << 5.0 << QStringLiteral("5,0");
    QTest::newRow("optional decimals used") << QStringLiteral("0.##") << 1.5 << QStringLiteral("1,5");
    QTest::newRow("optional decimals unused") << QStringLiteral("0.##") << 1.0 << QStringLiteral("1");
    QTest::newRow("mixed decimals") << QStringLiteral("0.0#") << 2.0 << QStringLiteral("2,0");
    QTest::newRow("no integer digit") << QStringLiteral("#.##") << 0.5 << QStringLiteral(",5");
    QTest::newRow("hash on zero") << QStringLiteral("#") << 0.0 << QString();
    QTest::newRow("thousands comma") << QStringLiteral("#,##0.00") << 1234567.891
                                     << QStringLiteral("1 234 567,89");
    QTest::newRow("thousands comma, small") << QStringLiteral("#,##0") << 999.0 << QStringLiteral("999");
    QTest::newRow("only decimals in picture") << QStringLiteral(".00") << 12.5 << QStringLiteral("12,50");
    QTest::newRow("second point ignored") << QStringLiteral("0.0.0") << 1.25 << QStringLiteral("1,25");

    // Rounding on the decimal value, half away from zero.
    QTest::newRow("2.675") << QStringLiteral("0.00") << 2.675 << QStringLiteral("2,68");
    QTest::newRow("1.005") << QStringLiteral("0.00") << 1.005 << QStringLiteral("1,01");
    QTest::newRow("-2.5") << QStringLiteral("0") << -2.5 << QStringLiteral("-3");
    QTest::newRow("rounds to zero") << QStringLiteral("0.00") << -0.001 << QStringLiteral("0,00");
    QTest::newRow("tiny") << QStringLiteral("0.00") << 1e-20 << QStringLiteral("0,00");
    QTest::newRow("huge") << QStringLiteral("#,##0") << 1e20 << QStringLiteral("100 000 000 000 000 000 000");

    // Sections and literals.
    const QString sections = QStringLiteral("0.00;(0.00);'nulla'");
    QTest::newRow("section positive") << sections << 1.5 << QStringLiteral("1,50");
    QTest::newRow("section negative") << sections << -1.5 << QStringLiteral("(1,50)");
    QTest::newRow("section zero") << sections << 0.0 << QStringLiteral("nulla");
    QTest::newRow("section zero after rounding") << sections << -0.004 << QStringLiteral("nulla");
    QTest::newRow("empty negative section") << QStringLiteral("0;;-") << -3.0 << QStringLiteral("-3");
    QTest::newRow("quoted ; and 0") << QStringLiteral("0 'Ft; 0'") << 7.0 << QStringLiteral("7 Ft; 0");
    QTest::newRow("double-quoted") << QStringLiteral("\"#\"0") << 7.0 << QStringLiteral("#7");
    QTest::newRow("literal suffix") << QStringLiteral("# Ft") << 0.0 << QStringLiteral(" Ft");
    QTest::newRow("prefix and sign") << QStringLiteral("'HUF '#,##0") << -1500.0
                                     << QStringLiteral("-HUF 1 500");
    QTest::newRow("literal between zeros")
        << QStringLiteral("000-000") << 1234.0 << QStringLiteral("001-234");

    // No picture: the shortest general form.
    QTest::newRow("general") << QString() << 1234.5 << QStringLiteral("1234,5");
    QTest::newRow("general whole") << QString() << 1000000.0 << QStringLiteral("1000000");
    QTest::newRow("general sum") << QString() << 0.1 + 0.2 << QStringLiteral("0,3");
    QTest::newRow("general negative") << QString() << -0.25 << QStringLiteral("-0,25");
}

void FormatTest::formatFloat() {
    QFETCH(QString, format);
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(orvix::formatFloat(format, value), text);
}

void FormatTest::defaultPictures() {
    QCOMPARE(formatMoney(1234567.4, QString()), QStringLiteral("1 234 567"));
    QCOMPARE(formatMoney(1234.5, QStringLiteral("### ### ##0.00")), QStringLiteral("1 234,50"));
    QCOMPARE(formatQuantity(2.5, QString()), QStringLiteral("3"));
    QCOMPARE(formatQuantity(2.5, QStringLiteral("0.###")), QStringLiteral("2,5"));
    QCOMPARE(formatDate(QDate(2024, 3, 5)), QStringLiteral("2024.03.05"));
    QCOMPARE(formatDate(QDate()), QString());
    // What is shown reads back.
    QCOMPARE(parseDate(formatDate(QDate(2024, 12, 31))), QDate(2024, 12, 31));
    QCOMPARE(parseNumber(orvix::formatFloat(QStringLiteral("#,##0.00"), 1234567.5)), 1234567.5);
}

void FormatTest::hungarianLocale() {
    QLocale::setDefault(QLocale::c());
    // The program's forms do not depend on the locale of the system.
    QCOMPARE(orvix::formatFloat(QStringLiteral("0.0"), 5.0), QStringLiteral("5,0"));
    QCOMPARE(parseNumber(QStringLiteral("2,5")), 2.5);
    installHungarianLocale();
    QCOMPARE(QLocale().decimalPoint(), QStringLiteral(","));
    QCOMPARE(QLocale().toString(2.5), QStringLiteral("2,5"));
}

QTEST_GUILESS_MAIN(FormatTest)
#include "format_test.moc"
