// The issuer row: masked values stored as digits, doubtful numbers
// questioned when newly typed and kept silently from older data, the row
// saved by its key, nothing written when nothing changed, a save that finds
// no row reported as a failure.
#include "ScriptedDialogs.h"
#include "TestFolders.h"
#include "masters/Issuer.h"

#include <QtTest>

using namespace orvix;
using orvix::test::ScriptedDialogs;
using orvix::test::TempDataFolder;

class IssuerTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataFolder> m_folder;
    Database& db() { return m_folder->db; }

    QString stored(const char* field) {
        return db().queryText(QStringLiteral("SELECT %1 FROM tulajdonos").arg(QLatin1String(field)), {});
    }

    // The stored row with some fields typed over.
    QMap<QString, QString> edited(const Issuer& issuer,
                                  std::initializer_list<std::pair<const char*, const char*>> typed) {
        QMap<QString, QString> values = issuer.values;
        for (const auto& [field, text] : typed)
            values.insert(QLatin1String(field), QString::fromUtf8(text));
        return values;
    }

private Q_SLOTS:
    void init() { m_folder = std::make_unique<TempDataFolder>(); }
    void cleanup() { m_folder.reset(); }

    void fieldsInOrder() {
        QStringList fields;
        for (const IssuerField& f : issuerFields())
            fields << f.field;
        QCOMPARE(fields.size(), 22);
        QCOMPARE(fields.first(), QStringLiteral("tulajdonos"));
        QCOMPARE(fields.mid(14, 2), (QStringList{"adoszam", "kozadoszam"}));
        QCOMPARE(fields.last(), QStringLiteral("swift"));
        for (const QString& f : fields)
            QVERIFY2(db().hasField(QStringLiteral("tulajdonos"), f), qPrintable(f));
    }

    void typedValuesAreStoredInTheirForm() {
        ScriptedDialogs d;
        const Issuer issuer = loadIssuer(db());
        QVERIFY(issuer.exists);
        QVERIFY(saveIssuer(db(), d, issuer,
                           edited(issuer, {{"tulajdonos", "Árvíztűrő Kft."},
                                           {"adoszam", "10773381-2-44"},
                                           {"kozadoszam", "hu 10773381"},
                                           {"bankszamlaszam", "11773016-11111018-"},
                                           {"irsz", "1138"},
                                           {"varos", "Budapest"}})));
        QVERIFY2(d.asked.isEmpty(), qPrintable(d.asked.join('\n')));
        QCOMPARE(stored("tulajdonos"), QStringLiteral("Árvíztűrő Kft."));
        QCOMPARE(stored("adoszam"), QStringLiteral("10773381244"));
        QCOMPARE(stored("kozadoszam"), QStringLiteral("HU10773381"));
        QCOMPARE(stored("bankszamlaszam"), QStringLiteral("1177301611111018"));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM tulajdonos"), 0), 1);
    }

    void refusals_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reason");
        QTest::newRow("bad postcode") << "irsz"
                                      << "113"
                                      << "Az irányítószám négy számjegy (1000–9999).";
        QTest::newRow("no name") << "tulajdonos"
                                 << "  "
                                 << "A tulajdonos neve nem lehet üres.";
        QTest::newRow("name too long") << "tulajdonos" << QString(51, QLatin1Char('x'))
                                       << "A(z) \"tulajdonos\" mező legfeljebb 50 karakter lehet.";
        QTest::newRow("IBAN too long") << "iban" << QString(51, QLatin1Char('1'))
                                       << "A(z) \"IBAN\" mező legfeljebb 50 karakter lehet.";
    }
    void refusals() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, reason);
        db().execSql(QStringLiteral("UPDATE tulajdonos SET tulajdonos='Régi Bt.'"));
        const Issuer issuer = loadIssuer(db());
        QMap<QString, QString> values = issuer.values;
        values.insert(field, text);
        ScriptedDialogs d;
        QVERIFY(!saveIssuer(db(), d, issuer, values));
        QCOMPARE(d.asked, QStringList{QStringLiteral("error: Hiba az adatok mentése során\n") + reason});
        QCOMPARE(stored("tulajdonos"), QStringLiteral("Régi Bt."));
        QCOMPARE(stored(qPrintable(field)),
                 field == QLatin1String("tulajdonos") ? QStringLiteral("Régi Bt.") : QString());
    }

    // A number that fails its check digits, or has a form of another country,
    // is asked about ("… Mégis menti?"), never refused.
    void doubtfulNumbersAreQuestioned_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("storedForm");
        QTest::newRow("bad check digit") << "adoszam" << "10773382-2-44"
                                         << "Az adószám ellenőrző számjegye (a 8. számjegy) hibás."
                                         << "10773382244";
        QTest::newRow("tax number cut short") << "adoszam" << "10773381-2-"
                                              << "Az adószám formája 12345678-1-12 (11 számjegy)."
                                              << "107733812";
        QTest::newRow("bad account") << "bankszamlaszam" << "10032000-06056354-"
                                     << "A bankszámlaszám ellenőrző számjegye hibás."
                                     << "1003200006056354";
        QTest::newRow("EU number without country")
            << "kozadoszam" << "10773381"
            << "A közösségi adószám két betűs országkóddal kezdődik (pl. HU12345676)." << "10773381";
        QTest::newRow("IBAN with a wrong check") << "iban" << "HU43 1177 3016 1111 1018 0000 0000"
                                                 << "Az IBAN ellenőrző számjegyei hibásak."
                                                 << "HU43 1177 3016 1111 1018 0000 0000";
    }
    void doubtfulNumbersAreQuestioned() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, reason);
        QFETCH(QString, storedForm);
        db().execSql(QStringLiteral("UPDATE tulajdonos SET tulajdonos='Régi Bt.'"));
        const Issuer issuer = loadIssuer(db());
        QMap<QString, QString> values = issuer.values;
        values.insert(field, text);
        ScriptedDialogs d;
        d.answers = {false};
        QVERIFY(!saveIssuer(db(), d, issuer, values));
        const QStringList question{QStringLiteral("question: Kérdés | ") + reason +
                                   QStringLiteral("\nMégis menti?")};
        QCOMPARE(d.asked, question);
        QCOMPARE(stored(qPrintable(field)), QString());
        d.asked.clear();
        d.answers = {true};
        QVERIFY(saveIssuer(db(), d, issuer, values));
        QCOMPARE(d.asked, question);
        QCOMPARE(stored(qPrintable(field)), storedForm);
    }

    void validForeignIbanIsSavedWithoutQuestion() {
        const Issuer issuer = loadIssuer(db());
        ScriptedDialogs d;
        QVERIFY(saveIssuer(db(), d, issuer,
                           edited(issuer, {{"tulajdonos", "Teszt Kft."}, {"iban", "DE89 3704 0044 0532 0130 00"}})));
        QVERIFY2(d.asked.isEmpty(), qPrintable(d.asked.join('\n')));
        QCOMPARE(stored("iban"), QStringLiteral("DE89 3704 0044 0532 0130 00"));
    }

    void olderDoubtfulDataIsKept() {
        // A tax number with a bad check digit and a foreign form of account
        // from older data: kept as they are while another field is changed.
        db().execSql(QStringLiteral("UPDATE tulajdonos SET tulajdonos='Régi Bt.', adoszam='10773382244', "
                                    "bankszamlaszam='HU42 1177 3016'"));
        const Issuer issuer = loadIssuer(db());
        const QMap<QString, QString> values = edited(issuer, {{"telefon", "+36 1 234 5678"}});
        ScriptedDialogs d;
        QVERIFY(saveIssuer(db(), d, issuer, values));
        QVERIFY2(d.asked.isEmpty(), qPrintable(d.asked.join('\n')));
        QCOMPARE(stored("telefon"), QStringLiteral("+36 1 234 5678"));
        QCOMPARE(stored("adoszam"), QStringLiteral("10773382244"));
        QCOMPARE(stored("bankszamlaszam"), QStringLiteral("HU42 1177 3016"));
    }

    void euNumberOfAnotherBusinessIsQuestioned() {
        const Issuer issuer = loadIssuer(db());
        ScriptedDialogs d;
        d.answers = {false};
        QVERIFY(!saveIssuer(db(), d, issuer,
                            edited(issuer, {{"tulajdonos", "Teszt Kft."},
                                            {"adoszam", "10773381-2-44"},
                                            {"kozadoszam", "HU10625790"}})));
        QCOMPARE(d.asked, QStringList{QStringLiteral("question: Kérdés | ") + kIssuerEuMismatchMessage +
                                      QStringLiteral("\nMégis menti?")});
        QVERIFY(stored("tulajdonos").isEmpty());
    }

    // The row is updated by its key exactly as stored: an older folder whose
    // second row differs only in trailing blanks keeps that row as it was.
    void savedByItsKey() {
        db().execSql(QStringLiteral("UPDATE tulajdonos SET tulajdonos='Régi Bt.'"));
        db().execSql(QStringLiteral("INSERT INTO tulajdonos (tulajdonos, telefon) VALUES ('Régi Bt.  ', '1')"));
        const Issuer issuer = loadIssuer(db());
        QCOMPARE(issuer.key.toString(), QStringLiteral("Régi Bt."));
        ScriptedDialogs d;
        QVERIFY(saveIssuer(db(), d, issuer, edited(issuer, {{"telefon", "2"}})));
        QVERIFY2(d.asked.isEmpty(), qPrintable(d.asked.join('\n')));
        QCOMPARE(db().queryText(QStringLiteral("SELECT telefon FROM tulajdonos WHERE tulajdonos='Régi Bt.'"), {}),
                 QStringLiteral("2"));
        QCOMPARE(db().queryText(QStringLiteral("SELECT telefon FROM tulajdonos WHERE tulajdonos='Régi Bt.  '"), {}),
                 QStringLiteral("1"));
    }

    // The row renamed at another workstation while the window was open: the
    // save finds no row, says so and writes nothing.
    void saveThatFindsNoRowFails() {
        db().execSql(QStringLiteral("UPDATE tulajdonos SET tulajdonos='Régi Bt.'"));
        const Issuer issuer = loadIssuer(db());
        db().execSql(QStringLiteral("UPDATE tulajdonos SET tulajdonos='Más Kft.'"));
        ScriptedDialogs d;
        QVERIFY(!saveIssuer(db(), d, issuer, edited(issuer, {{"telefon", "+36 1 234 5678"}})));
        QCOMPARE(d.asked, QStringList{QStringLiteral("error: Hiba az adatok mentése során\n") +
                                      kIssuerRowGoneMessage});
        QVERIFY(stored("telefon").isEmpty());
        QCOMPARE(stored("tulajdonos"), QStringLiteral("Más Kft."));
    }

    void unchangedWritesNothing() {
        db().execSql(QStringLiteral("UPDATE tulajdonos SET tulajdonos='Régi Bt.', adoszam='10773382244'"));
        const Issuer issuer = loadIssuer(db());
        ScriptedDialogs d;
        // The masked box gives the stored digits back with hyphens: no change, no question.
        QVERIFY(saveIssuer(db(), d, issuer, edited(issuer, {{"adoszam", "10773382-2-44"}})));
        QVERIFY(d.asked.isEmpty());
    }

    void missingRowIsCreated() {
        db().execSql(QStringLiteral("DELETE FROM tulajdonos"));
        const Issuer issuer = loadIssuer(db());
        QVERIFY(!issuer.exists);
        ScriptedDialogs d;
        QVERIFY(saveIssuer(db(), d, issuer, edited(issuer, {{"tulajdonos", "Új Kft."}})));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM tulajdonos"), 0), 1);
        QCOMPARE(stored("tulajdonos"), QStringLiteral("Új Kft."));
    }
};

QTEST_GUILESS_MAIN(IssuerTest)
#include "issuer_test.moc"
