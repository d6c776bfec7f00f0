// The identifier checks of the master windows on real and deliberately
// spoiled numbers: tax number with its check digit, bank account with the
// check digits of both parts, IBAN with its mod-97 check, EU tax number,
// postcode; and the lowering of an error to a warning for a value kept as it
// was stored. Numbers of foreign businesses are questioned, never refused.
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
                 {"check digit off by one", "10773382-2-44", CheckLevel::Warning},
                 {"two digits swapped", "10737381-2-44", CheckLevel::Warning},
                 {"VAT code 0", "10773381-0-44", CheckLevel::Warning},
                 {"VAT code 6", "10773381-6-44", CheckLevel::Warning},
                 {"ten digits", "10773381-2-4", CheckLevel::Warning},
                 {"twelve digits", "10773381-2-444", CheckLevel::Warning},
                 {"letter inside", "1077338A-2-44", CheckLevel::Warning},
                 {"foreign tax number", "ATU1358562", CheckLevel::Warning},
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
                 {"bad bank check digit", "10032001-06056353", CheckLevel::Warning},
                 {"bad account check digit", "10032000-06056354", CheckLevel::Warning},
                 {"3x8 bad last digit", "11773016-12345678-00000000", CheckLevel::Warning},
                 {"15 digits", "10032000-0605635", CheckLevel::Warning},
                 {"20 digits", "10032000-06056353-0000", CheckLevel::Warning},
                 {"Hungarian IBAN", "HU42117730161111101800000000", CheckLevel::Ok},
                 {"German IBAN in groups", "DE89 3704 0044 0532 0130 00", CheckLevel::Ok},
                 {"British IBAN, lower case", "gb29nwbk60161331926819", CheckLevel::Ok},
                 {"IBAN with a wrong check digit", "DE88370400440532013000", CheckLevel::Warning},
                 {"IBAN with two digits swapped", "DE89370400440523013000", CheckLevel::Warning},
                 {"IBAN too short", "DE8937040044", CheckLevel::Warning},
                 {"foreign account of its own form", "123-456789/0100", CheckLevel::Ok}});
    }
    void bankAccount() {
        QFETCH(QString, text);
        QFETCH(CheckLevel, level);
        QCOMPARE(checkBankAccount(text).level, level);
    }

    void iban_data() {
        addRows({{"empty", "", CheckLevel::Ok},
                 {"Hungarian", "HU42 1177 3016 1111 1018 0000 0000", CheckLevel::Ok},
                 {"Austrian", "AT611904300234573201", CheckLevel::Ok},
                 {"wrong check digits", "AT621904300234573201", CheckLevel::Warning},
                 {"domestic account in the IBAN field", "11773016-11111018", CheckLevel::Warning},
                 {"letter where a digit belongs", "AT61190430023457320X", CheckLevel::Warning}});
    }
    void iban() {
        QFETCH(QString, text);
        QFETCH(CheckLevel, level);
        QCOMPARE(checkIban(text).level, level);
    }

    void euTaxNumber_data() {
        addRows({{"empty", "", CheckLevel::Ok},
                 {"Hungarian", "HU10773381", CheckLevel::Ok},
                 {"lower case and spaces", "hu 1077 3381", CheckLevel::Ok},
                 {"Hungarian bad check digit", "HU10773382", CheckLevel::Warning},
                 {"Hungarian nine digits", "HU107733811", CheckLevel::Warning},
                 {"Hungarian with letter", "HU1077338A", CheckLevel::Warning},
                 {"German", "DE129273398", CheckLevel::Ok},
                 {"Austrian with letter", "ATU13585627", CheckLevel::Ok},
                 {"Greek prefix EL", "EL094014201", CheckLevel::Ok},
                 {"no prefix", "10773381", CheckLevel::Warning},
                 {"one letter", "H10773381", CheckLevel::Warning},
                 {"body too short", "DE1", CheckLevel::Warning},
                 {"body too long", "DE1234567890123", CheckLevel::Warning},
                 {"hyphen in body", "DE-129273398", CheckLevel::Warning},
                 {"not a member state", "US123456789", CheckLevel::Warning},
                 {"Swiss", "CHE123456789", CheckLevel::Warning}});
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
        QCOMPARE(normalizeBankAccount(QStringLiteral("10032000-06056353")), QStringLiteral("1003200006056353"));
        QCOMPARE(normalizeBankAccount(QStringLiteral("de89 3704 0044 0532 0130 00")),
                 QStringLiteral("DE89370400440532013000"));
        QCOMPARE(normalizeBankAccount(QStringLiteral(" 123-456789/0100 ")), QStringLiteral("123-456789/0100"));
    }

    void storedValueIsOnlyWarned() {
        const CheckResult bad = checkPostcode(QStringLiteral("113"));
        QCOMPARE(relaxForStoredValue(bad, false).level, CheckLevel::Error);
        const CheckResult relaxed = relaxForStoredValue(bad, true);
        QCOMPARE(relaxed.level, CheckLevel::Warning);
        QCOMPARE(relaxed.message, bad.message);
        QCOMPARE(warningQuestion(checkTaxNumber(QStringLiteral("10773382-2-44"))),
                 QStringLiteral("Az adószám ellenőrző számjegye (a 8. számjegy) hibás.\nMégis menti?"));
        QCOMPARE(relaxForStoredValue(CheckResult{}, true).level, CheckLevel::Ok);
    }
};

QTEST_GUILESS_MAIN(ValidationTest)
#include "validation_test.moc"
