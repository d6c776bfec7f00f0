// The shared text and number routines: amount in words, parsing typed numbers
// and dates, rounding, folding codes and file names, the old code page.
#include "core/TextUtil.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvix;

class TextUtilTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void amountInWords_data();
    void amountInWords();
    void parseNumber_data();
    void parseNumber();
    void parseInt_data();
    void parseInt();
    void parseDate_data();
    void parseDate();
    void round2_data();
    void round2();
    void fieldValues();
    void textEditing();
    void foldCode_data();
    void foldCode();
    void safeFileName_data();
    void safeFileName();
    void hungarianLettersRoundTrip();
    void fixLineBreaks();
    void months();
};

void TextUtilTest::amountInWords_data() {
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("words");
    QTest::newRow("0") << 0.0 << QStringLiteral("nulla");
    QTest::newRow("2.5") << 2.5 << QStringLiteral("három");
    QTest::newRow("-2.5") << -2.5 << QStringLiteral("mínusz kettő");
    QTest::newRow("11") << 11.0 << QStringLiteral("tizenegy");
    QTest::newRow("21") << 21.0 << QStringLiteral("huszonegy");
    QTest::newRow("30") << 30.0 << QStringLiteral("harminc");
    QTest::newRow("110") << 110.0 << QStringLiteral("egyszáztíz");
    QTest::newRow("1000") << 1000.0 << QStringLiteral("egyezer ");
    QTest::newRow("1001") << 1001.0 << QStringLiteral("egyezer egy");
    QTest::newRow("2021") << 2021.0 << QStringLiteral("kettőezer huszonegy");
    QTest::newRow("10000") << 10000.0 << QStringLiteral("tízezer");
    QTest::newRow("10010") << 10010.0 << QStringLiteral("tízezertíz");
    QTest::newRow("12345") << 12345.0 << QStringLiteral("tizenkettőezer háromszáznegyvenöt");
    QTest::newRow("100001") << 100001.0 << QStringLiteral("egyszázezeregy");
    QTest::newRow("123456") << 123456.0 << QStringLiteral("egyszázhuszonháromezer négyszázötvenhat");
    QTest::newRow("1200000") << 1200000.0 << QStringLiteral("egymillió kettőszázezer");
    QTest::newRow("20000000") << 20000000.0 << QStringLiteral("húszmillió");
    QTest::newRow("123456789") << 123456789.0
                               << QStringLiteral("egyszázhuszonhárommillió négyszázötvenhatezer "
                                                 "hétszáznyolcvankilenc");
    QTest::newRow("2000000000") << 2000000000.0 << QStringLiteral("kettőmilliárd");
    QTest::newRow("-1234") << -1234.0 << QStringLiteral("mínusz egyezer kettőszázharmincnégy");
    // Beyond the table: the sign is kept for -10 and -20 too, and negative
    // amounts that round to zero read "nulla".
    QTest::newRow("-10") << -10.0 << QStringLiteral("mínusz tíz");
    QTest::newRow("-20") << -20.0 << QStringLiteral("mínusz húsz");
    QTest::newRow("-0.4") << -0.4 << QStringLiteral("nulla");
    QTest::newRow("3.5 up") << 3.5 << QStringLiteral("négy");
    QTest::newRow("-3.5 to even") << -3.5 << QStringLiteral("mínusz négy");
    QTest::newRow("half just below in binary")
        << 1234.4999999999998 << QStringLiteral("egyezer kettőszázharmincöt");
    QTest::newRow("tens of thousands after a million") << 1020000.0 << QStringLiteral("egymillió húszezer");
    QTest::newRow("hundred millions alone") << 300000000.0 << QStringLiteral("háromszázmillió");
    QTest::newRow("above 2^31") << 2147483648.0
                                << QStringLiteral("kettőmilliárdegyszáznegyvenhétmillió "
                                                  "négyszáznyolcvanháromezer hatszáznegyvennyolc");
    QTest::newRow("ten thousand millions") << 12000000000.0 << QStringLiteral("tizenkettőmilliárd");
    QTest::newRow("out of range") << 1e18 << QString();
}

void TextUtilTest::amountInWords() {
    QFETCH(double, amount);
    QFETCH(QString, words);
    QCOMPARE(orvix::amountInWords(amount), words);
}

void TextUtilTest::parseNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("isNumber");
    QTest::newRow("grouped, decimal comma") << QStringLiteral("1 234,5") << 1234.5 << true;
    QTest::newRow("no-break space group") << QStringLiteral("1\u00A0234,5") << 1234.5 << true;
    QTest::newRow("point means comma") << QStringLiteral(" 12.25 ") << 12.25 << true;
    QTest::newRow("negative") << QStringLiteral("-7,5") << -7.5 << true;
    QTest::newRow("currency ignored") << QStringLiteral("1 500 Ft") << 1500.0 << true;
    QTest::newRow("no digits") << QStringLiteral("abc") << 0.0 << false;
    QTest::newRow("empty") << QString() << 0.0 << false;
    QTest::newRow("two separators") << QStringLiteral("1.234,5") << 0.0 << false;
    QTest::newRow("misplaced minus") << QStringLiteral("12-3") << 0.0 << false;
    QTest::newRow("minus alone") << QStringLiteral("-") << 0.0 << false;
}

void TextUtilTest::parseNumber() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(bool, isNumber);
    QCOMPARE(orvix::parseNumber(text), value);
    QCOMPARE(tryParseNumber(text).has_value(), isNumber);
}

void TextUtilTest::parseInt_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("value");
    QTest::newRow("grouped") << QStringLiteral(" 1 234 ") << qint64(1234);
    QTest::newRow("fraction refused") << QStringLiteral("12,5") << qint64(0);
    QTest::newRow("point refused") << QStringLiteral("1.5") << qint64(0);
    QTest::newRow("letters") << QStringLiteral("abc") << qint64(0);
    QTest::newRow("too large") << QStringLiteral("99999999999999999999") << qint64(0);
}

void TextUtilTest::parseInt() {
    QFETCH(QString, text);
    QFETCH(qint64, value);
    QCOMPARE(orvix::parseInt(text), value);
}

void TextUtilTest::parseDate_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");
    QTest::newRow("program form") << QStringLiteral("2024.03.05") << QDate(2024, 3, 5);
    QTest::newRow("closing point") << QStringLiteral("2024.03.05.") << QDate(2024, 3, 5);
    QTest::newRow("iso") << QStringLiteral("2024-12-31") << QDate(2024, 12, 31);
    QTest::newRow("one-digit parts, blanks") << QStringLiteral(" 2024.3.5 ") << QDate(2024, 3, 5);
    QTest::newRow("leap day") << QStringLiteral("2024.02.29") << QDate(2024, 2, 29);
    QTest::newRow("no such day") << QStringLiteral("2023.02.29") << QDate();
    QTest::newRow("day first") << QStringLiteral("05.03.2024") << QDate();
    QTest::newRow("empty") << QString() << QDate();
}

void TextUtilTest::parseDate() {
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QCOMPARE(orvix::parseDate(text), date);
}

void TextUtilTest::round2_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("rounded");
    QTest::newRow("half to even down") << 0.125 << 0.12;
    QTest::newRow("half to even up") << 0.375 << 0.38;
    QTest::newRow("negative half") << -0.125 << -0.12;
    QTest::newRow("1.005 is a half") << 1.005 << 1.0;
    QTest::newRow("1.015 is a half") << 1.015 << 1.02;
    QTest::newRow("2.675 is a half") << 2.675 << 2.68;
    QTest::newRow("large amount half") << 12345678.905 << 12345678.9;
    QTest::newRow("large amount odd half") << 12345678.915 << 12345678.92;
    QTest::newRow("sum of tenths") << 0.1 + 0.2 << 0.3;
    QTest::newRow("below half") << 1.0049 << 1.0;
    QTest::newRow("above half") << 1.0051 << 1.01;
}

void TextUtilTest::round2() {
    QFETCH(double, x);
    QFETCH(double, rounded);
    QCOMPARE(orvix::round2(x), rounded);
}

void TextUtilTest::fieldValues() {
    const QVariant nullText{QMetaType::fromType<QString>()};
    const QVariant nullInt{QMetaType::fromType<qlonglong>()};
    QCOMPARE(varText(nullText, QStringLiteral("x")), QStringLiteral("x"));
    QCOMPARE(varText(QString(), QStringLiteral("x")), QStringLiteral("x"));
    QCOMPARE(varText(1234.5), QStringLiteral("1234,5"));
    QCOMPARE(varText(QDate(2024, 3, 5)), QStringLiteral("2024.03.05"));
    QCOMPARE(varInt(nullInt, 7), qint64(7));
    QCOMPARE(varInt(QStringLiteral("abc"), 7), qint64(7));
    QCOMPARE(varInt(QStringLiteral(" 42 ")), qint64(42));
    QCOMPARE(varInt(2.5), qint64(2));
    QCOMPARE(varInt(3.5), qint64(4));
    QCOMPARE(varFloat(QStringLiteral("12.5")), 12.5);
    QCOMPARE(varFloat(QStringLiteral("12,5")), 12.5);
    QCOMPARE(varFloat(nullText, -1), -1.0);
    QCOMPARE(varIntText(nullInt), QStringLiteral("0"));
    QCOMPARE(fixedWidth(QStringLiteral("abcdef"), 4), QStringLiteral("abcd"));
    QCOMPARE(fixedWidth(QStringLiteral("ab"), 4), QStringLiteral("ab  "));
    QCOMPARE(fixedWidth(nullText, 3), QStringLiteral("   "));
    QCOMPARE(padLeft(QStringLiteral("abcdef"), 4), QStringLiteral("abcdef"));
    QCOMPARE(padLeft(12, 4), QStringLiteral("  12"));
    QVERIFY(isYes(QStringLiteral("I")));
    QVERIFY(!isYes(QStringLiteral("i")));
    QVERIFY(!isYes(QStringLiteral("I ")));
}

void TextUtilTest::textEditing() {
    QCOMPARE(field(QStringLiteral("a;;c"), QLatin1Char(';'), 3), QStringLiteral("c"));
    QCOMPARE(field(QStringLiteral("a;;c"), QLatin1Char(';'), 2), QString());
    QCOMPARE(field(QStringLiteral("a;;c"), QLatin1Char(';'), 1), QStringLiteral("a"));
    QCOMPARE(field(QStringLiteral("a;;c"), QLatin1Char(';'), 4), QString());
    QCOMPARE(field(QStringLiteral("a;;c"), QLatin1Char(';'), 0), QString());

    QCOMPARE(joinLines(QStringLiteral("a\r\nb\nc\r\n"), QStringLiteral(",")), QStringLiteral("a,b,c"));
    QCOMPARE(joinLines(QStringLiteral("a\n\nc"), QStringLiteral(", ")), QStringLiteral("a, , c"));
    QCOMPARE(joinLines(QStringLiteral("abc"), QString()), QStringLiteral("abc"));
    QCOMPARE(joinLines(QString(), QStringLiteral(",")), QString());

    QCOMPARE(blankInsideQuotes(QStringLiteral("1;\"a;b\";c;\"d;\""), QLatin1Char(';')),
             QStringLiteral("1;\"a b\";c;\"d \""));
    QCOMPARE(removeSpaces(QStringLiteral(" 1 234\u00A0567 ")), QStringLiteral("1234567"));
    QCOMPARE(replaceChar(QString(), QLatin1Char('a'), QLatin1Char('b')), QString());

    QCOMPARE(zeroPad(42, 5), QStringLiteral("00042"));
    QCOMPARE(zeroPad(123456, 3), QStringLiteral("123456"));
    QCOMPARE(zeroPad(-7, 4), QStringLiteral("-007"));
    QCOMPARE(zeroPad(-7, 4, QLatin1Char(' ')), QStringLiteral("  -7"));
    QCOMPARE(safeDivide(1, 0), 0.0);
}

void TextUtilTest::foldCode_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("folded");
    QTest::newRow("product code") << QStringLiteral("öt'kő") << QStringLiteral("OT KO");
    QTest::newRow("all accented letters")
        << QStringLiteral("áéíóöőúüű ÁÉÍÓÖŐÚÜŰ") << QStringLiteral("AEIOOOUUU AEIOOOUUU");
    QTest::newRow("double quote") << QStringLiteral("a\"b") << QStringLiteral("A B");
    QTest::newRow("foreign letters") << QStringLiteral("čä€x") << QStringLiteral("###X");
}

void TextUtilTest::foldCode() {
    QFETCH(QString, text);
    QFETCH(QString, folded);
    QCOMPARE(orvix::foldCode(text), folded);
}

void TextUtilTest::safeFileName_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::newRow("punctuation") << QStringLiteral(" !\"#%&'*+/:?@\\") << QStringLiteral("--------------");
    QTest::newRow("customer name") << QStringLiteral("Kovács és Társa Kft.")
                                   << QStringLiteral("kov_cs-_s-t_rsa-kft.");
    QTest::newRow("path cannot escape")
        << QStringLiteral("../../etc/passwd") << QStringLiteral("..-..-etc-passwd");
    QTest::newRow("parent folder") << QStringLiteral("..") << QStringLiteral("__");
    QTest::newRow("line break") << QStringLiteral("a\nb") << QStringLiteral("a_b");
}

void TextUtilTest::safeFileName() {
    QFETCH(QString, text);
    QFETCH(QString, name);
    QCOMPARE(orvix::safeFileName(text), name);
}

void TextUtilTest::hungarianLettersRoundTrip() {
    const QString letters = QStringLiteral("áéíóöőúüűÁÉÍÓÖŐÚÜŰ");
    const QByteArray cp1250("\xE1\xE9\xED\xF3\xF6\xF5\xFA\xFC\xFB\xC1\xC9\xCD\xD3\xD6\xD5\xDA\xDC\xDB");
    QCOMPARE(toUtf8(cp1250), letters.toUtf8());
    QCOMPARE(fromUtf8(letters.toUtf8()), cp1250);
    // The look-alikes of older files.
    QCOMPARE(fromUtf8(QStringLiteral("õû").toUtf8()), QByteArray("\xF5\xFB"));
    // Other bytes and sequences are left alone.
    QCOMPARE(toUtf8(QByteArray("a\x8A;z")), QByteArray("a\x8A;z"));
    QCOMPARE(fromUtf8(QStringLiteral("Šx").toUtf8()), QStringLiteral("Šx").toUtf8());
    QCOMPARE(fromUtf8(QByteArray("\xC3")), QByteArray("\xC3"));
}

void TextUtilTest::fixLineBreaks() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("\nelso\r\nmasodik\nharmadik\r\n\n");
    f.close();
    QVERIFY(orvix::fixLineBreaks(path));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("\r\nelso\r\nmasodik\r\nharmadik\r\n\r\n"));
    f.close();
    QVERIFY(!orvix::fixLineBreaks(dir.filePath(QStringLiteral("missing.txt"))));
}

void TextUtilTest::months() {
    QCOMPARE(monthEnd(QDate(2024, 2, 10)), QDate(2024, 2, 29));
    QCOMPARE(monthEnd(QDate(2023, 12, 31)), QDate(2023, 12, 31));
    QCOMPARE(monthStart(QDate(2023, 12, 31)), QDate(2023, 12, 1));
    QVERIFY(!monthEnd(QDate()).isValid());
}

QTEST_GUILESS_MAIN(TextUtilTest)
#include "textutil_test.moc"
