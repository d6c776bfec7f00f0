// The identifier checks of the master windows on real and deliberately
// spoiled numbers: tax number with its check digit, bank account with the
// check digits of both parts, EU tax number, postcode; and the lowering of an
// error to a warning for a value kept as it was stored.
#include "masters/Validation.h"

#include <QtTest>

using namespace orvix;

Q_DECLARE_METATYPE(orvix::CheckLevel)

class ValidationTest : public QObject {
    Q_OBJECT

    static void addRows(const std::initializer_list<std::tuple<const char*, const char*, CheckLevel>>& rows) {
        QTest::addColumn<QString>("text");
        QTest::addColumn<CheckLevel>("level");
        for (const auto& [name, text, level] : rows)
            QTest::newRow(name) << QString::fromUtf8(text) << level;
    }

private Q_SLOTS:
    void taxNumber_data() {
        addRows({{"empty", "", CheckLevel::Ok},
                 {"Magyar Telekom", "10773381-2-44", CheckLevel::Ok},
                 {"MOL, check digit 0", "10625790-4-44", CheckLevel::Ok},
                 {"OTP, digits only", "10537914444", CheckLevel::Ok},
                 {"spaces instead of hyphens", "10773381 2 44", CheckLevel::Ok},
                 {"Budapest county 41", "12345676-2-41", CheckLevel::Ok},
                 {"check digit off by one", "10773382-2-44", CheckLevel::Error},
                 {"two digits swapped", "10737381-2-44", CheckLevel::Error},
                 {"VAT code 0", "10773381-0-44", CheckLevel::Error},
                 {"VAT code 6", "10773381-6-44", CheckLevel::Error},
                 {"ten digits", "10773381-2-4", CheckLevel::Error},
                 {"twelve digits", "10773381-2-444", CheckLevel::Error},
                 {"letter inside", "1077338A-2-44", CheckLevel::Error},
                 {"unknown county 99", "10773381-2-99", CheckLevel::Warning},
                 {"county 01 unused", "10773381-2-01", CheckLevel::Warning}});
    }
    void taxNumber() {
        QFETCH(QString, text);
        QFETCH(CheckLevel, level);
        const CheckResult r = checkTaxNumber(text);
        QCOMPARE(r.level, level);
        QCOMPARE(r.message.isEmpty(), level == CheckLevel::Ok);
    }

    void bankAccount_data() {
        addRows({{"empty", "", CheckLevel::Ok},
                 {"tax authority 2x8", "10032000-06056353", CheckLevel::Ok},
                 {"tax authority VAT 2x8", "10032000-01076019", CheckLevel::Ok},
                 {"3x8 with zero block", "11773016-11111018-00000000", CheckLevel::Ok},
                 // The check digit of a 3×8 account is the last of the 16 account digits,
                 // so the middle block alone need not sum to a multiple of 10.
                 {"3x8 check over both blocks", "11773016-12345678-00000008", CheckLevel::Ok},
                 {"digits without hyphens", "1003200006056353", CheckLevel::Ok},
                 {"spaces", "10032000 06056353", CheckLevel::Ok},
                 {"bad bank check digit", "10032001-06056353", CheckLevel::Error},
                 {"bad account check digit", "10032000-06056354", CheckLevel::Error},
                 {"3x8 bad last digit", "11773016-12345678-00000000", CheckLevel::Error},
                 {"15 digits", "10032000-0605635", CheckLevel::Error},
                 {"20 digits", "10032000-06056353-0000", CheckLevel::Error},
                 {"IBAN is not a domestic account", "HU42117730161111101800000000", CheckLevel::Error}});
    }
    void bankAccount() {
        QFETCH(QString, text);
        QFETCH(CheckLevel, level);
        QCOMPARE(checkBankAccount(text).level, level);
    }

    void euTaxNumber_data() {
        addRows({{"empty", "", CheckLevel::Ok},
                 {"Hungarian", "HU10773381", CheckLevel::Ok},
                 {"lower case and spaces", "hu 1077 3381", CheckLevel::Ok},
                 {"Hungarian bad check digit", "HU10773382", CheckLevel::Error},
                 {"Hungarian nine digits", "HU107733811", CheckLevel::Error},
                 {"Hungarian with letter", "HU1077338A", CheckLevel::Error},
                 {"German", "DE129273398", CheckLevel::Ok},
                 {"Austrian with letter", "ATU13585627", CheckLevel::Ok},
                 {"Greek prefix EL", "EL094014201", CheckLevel::Ok},
                 {"no prefix", "10773381", CheckLevel::Error},
                 {"one letter", "H10773381", CheckLevel::Error},
                 {"body too short", "DE1", CheckLevel::Error},
                 {"body too long", "DE1234567890123", CheckLevel::Error},
                 {"hyphen in body", "DE-129273398", CheckLevel::Error},
                 {"not a member state", "US123456789", CheckLevel::Warning}});
    }
    void euTaxNumber() {
        QFETCH(QString, text);
        QFETCH(CheckLevel, level);
        QCOMPARE(checkEuTaxNumber(text).level, level);
    }

    void postcode_data() {
        addRows({{"empty", "", CheckLevel::Ok},
                 {"Budapest XIII", "1138", CheckLevel::Ok},
                 {"Zalaegerszeg", "8900", CheckLevel::Ok},
                 {"surrounding spaces", " 6720 ", CheckLevel::Ok},
                 {"leading zero", "0138", CheckLevel::Error},
                 {"three digits", "113", CheckLevel::Error},
                 {"five digits", "11380", CheckLevel::Error},
                 {"letter", "11a8", CheckLevel::Error},
                 {"space inside", "11 38", CheckLevel::Error}});
    }
    void postcode() {
        QFETCH(QString, text);
        QFETCH(CheckLevel, level);
        QCOMPARE(checkPostcode(text).level, level);
    }

    void storedForms() {
        QCOMPARE(digitsOnly(QStringLiteral("10773381-2-44")), QStringLiteral("10773381244"));
        QCOMPARE(normalizeTaxNumber(QStringLiteral("10773381-2-44")), QStringLiteral("10773381244"));
        // Something that is not a tax number is kept whole rather than losing its letters.
        QCOMPARE(normalizeTaxNumber(QStringLiteral(" HU1077 ")), QStringLiteral("HU1077"));
        QCOMPARE(formatTaxNumber(QStringLiteral("10773381244")), QStringLiteral("10773381-2-44"));
        QCOMPARE(formatTaxNumber(QStringLiteral("123")), QStringLiteral("123"));
        QCOMPARE(formatBankAccount(QStringLiteral("1003200006056353")), QStringLiteral("10032000-06056353"));
        QCOMPARE(formatBankAccount(QStringLiteral("117730161111101800000000")),
                 QStringLiteral("11773016-11111018-00000000"));
        QCOMPARE(normalizeEuTaxNumber(QStringLiteral("hu 1077 3381")), QStringLiteral("HU10773381"));
    }

    void storedValueIsOnlyWarned() {
        const CheckResult bad = checkTaxNumber(QStringLiteral("10773382-2-44"));
        QCOMPARE(relaxForStoredValue(bad, false).level, CheckLevel::Error);
        const CheckResult relaxed = relaxForStoredValue(bad, true);
        QCOMPARE(relaxed.level, CheckLevel::Warning);
        QCOMPARE(relaxed.message, bad.message);
        QVERIFY(warningQuestion(relaxed).endsWith(QStringLiteral("\nMégis elmenti?")));
        QCOMPARE(relaxForStoredValue(CheckResult{}, true).level, CheckLevel::Ok);
    }
};

QTEST_GUILESS_MAIN(ValidationTest)
#include "validation_test.moc"
