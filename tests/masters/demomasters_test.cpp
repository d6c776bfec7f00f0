// Demo masters: counts, addresses from the postcode table, valid tax numbers,
// bank accounts and EAN codes, consistent product amounts, texts within their
// field widths, the same data for the same seed, and no second load.
#include "TestFolders.h"
#include "masters/DemoMasters.h"

#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>
#include <memory>

using namespace orvix;

namespace {

// Independent check-digit rules (not the generator's code).

// Weights 9, 7, 3, 1 repeating; the weighted sum with the check digit is ≡ 0 mod 10.
bool blockValid(const QString& digits) {
    const int w[] = {9, 7, 3, 1};
    int sum = 0;
    for (int i = 0; i < digits.size(); ++i)
        sum += digits.at(i).digitValue() * w[i % 4];
    return sum % 10 == 0;
}

bool taxNumberValid(const QString& t) {
    static const QRegularExpression form(QStringLiteral("^\\d{8}[1-5](0[2-9]|1\\d|20|4[1-4]|51)$"));
    return form.match(t).hasMatch() && blockValid(t.left(8));
}

// 16 or 24 digits: the first eight, then the rest, each a valid block (and
// for 24 digits each of the last two blocks of eight on its own).
bool bankAccountValid(const QString& a) {
    static const QRegularExpression form(QStringLiteral("^(\\d{16}|\\d{24})$"));
    if (!form.match(a).hasMatch() || !blockValid(a.left(8)) || !blockValid(a.mid(8)))
        return false;
    return a.size() == 16 || (blockValid(a.mid(8, 8)) && blockValid(a.mid(16)));
}

bool ibanValid(const QString& printed) {
    QString iban = printed;
    iban.remove(QLatin1Char(' '));
    if (!iban.startsWith(QLatin1String("HU")) || iban.size() != 28)
        return false;
    const QString moved = iban.mid(4) + QStringLiteral("1730") + iban.mid(2, 2);
    int mod = 0;
    for (const QChar c : moved)
        mod = (mod * 10 + c.digitValue()) % 97;
    return mod == 1;
}

bool eanValid(const QString& e) {
    if (!QRegularExpression(QStringLiteral("^\\d{13}$")).match(e).hasMatch())
        return false;
    int sum = 0;
    for (int i = 0; i < 13; ++i)
        sum += e.at(i).digitValue() * (i % 2 ? 3 : 1);
    return sum % 10 == 0;
}

QString roman(int n) {
    static const char* const r[] = {"I",    "II",    "III", "IV",  "V",    "VI",   "VII",  "VIII",
                                    "IX",   "X",     "XI",  "XII", "XIII", "XIV",  "XV",   "XVI",
                                    "XVII", "XVIII", "XIX", "XX",  "XXI",  "XXII", "XXIII"};
    return QLatin1String(r[n - 1]) + QLatin1Char('.');
}

// Every row of a table as text, for comparing two folders.
QStringList dump(Database& db, const QString& table, const QString& order) {
    QStringList rows;
    QSqlQuery q = db.select(QStringLiteral("SELECT * FROM %1 ORDER BY %2;").arg(table, order));
    while (q.next()) {
        QStringList values;
        for (int i = 0; i < q.record().count(); ++i)
            values << q.value(i).toString();
        rows << values.join(QLatin1Char('|'));
    }
    return rows;
}

std::unique_ptr<test::TempDataFolder> filledFolder(const DemoOptions& options, const QString& connection) {
    auto folder = std::make_unique<test::TempDataFolder>(connection);
    fillDemoMasters(folder->db, options);
    return folder;
}

} // namespace

class DemoMastersTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDataFolder> m_folder; // default options
    Database& db() { return m_folder->db; }

    QStringList column(const QString& select) { return db().fillItems(select); }

private Q_SLOTS:
    void initTestCase() { m_folder = filledFolder(DemoOptions{}, QStringLiteral("demo")); }
    void cleanupTestCase() { m_folder.reset(); }

    void counts_data() {
        QTest::addColumn<int>("customers");
        QTest::addColumn<int>("products");
        QTest::newRow("few") << 7 << 5;
        QTest::newRow("more products than names of a category") << 3 << 900;
    }
    void counts() {
        QFETCH(int, customers);
        QFETCH(int, products);
        auto folder = filledFolder({customers, products, 3}, QStringLiteral("counts"));
        Database& d = folder->db;
        QCOMPARE(d.queryInt(QStringLiteral("SELECT COUNT(*) FROM ugyfel"), -1), customers);
        QCOMPARE(d.queryInt(QStringLiteral("SELECT COUNT(*) FROM cikkszam"), -1), products);
        QCOMPARE(d.queryInt(QStringLiteral("SELECT COUNT(DISTINCT cikkszam_nev) FROM cikkszam"), -1),
                 products);
        QCOMPARE(d.queryInt(QStringLiteral("SELECT COUNT(*) FROM tulajdonos"), -1), 1);
        QCOMPARE(d.queryInt(QStringLiteral(
                                "SELECT COUNT(*) FROM ugyfel WHERE ugyfelkod IS NULL OR ugyfelkod <> ugyfel"),
                            -1),
                 0);
    }

    // Both addresses of every customer and the issuer's address name a
    // postcode and town of the postcode table; Budapest ones the district of
    // the postcode, others none.
    void addressesFromPostcodeTable() {
        QSet<QString> places;
        QSqlQuery pq = db().select(QStringLiteral("SELECT irsz, varos FROM irsz"));
        while (pq.next())
            places.insert(pq.value(0).toString() + QLatin1Char('|') + pq.value(1).toString());
        const QString selects[] = {
            QStringLiteral("SELECT szla_irsz, szla_varos, szla_kerulet, ugyfel_nev FROM ugyfel"),
            QStringLiteral("SELECT cim_irsz, cim_varos, cim_kerulet, ugyfel_nev FROM ugyfel"),
            QStringLiteral("SELECT irsz, varos, kerulet, tulajdonos FROM tulajdonos")};
        int budapest = 0;
        for (const QString& select : selects) {
            QSqlQuery q = db().select(select);
            while (q.next()) {
                const QString code = q.value(0).toString(), town = q.value(1).toString();
                const QString what =
                    q.value(3).toString() + QStringLiteral(": ") + code + QLatin1Char(' ') + town;
                QVERIFY2(places.contains(code + QLatin1Char('|') + town), qPrintable(what));
                const QString expected =
                    town == QLatin1String("Budapest") ? roman(code.mid(1, 2).toInt()) : QString();
                budapest += !expected.isEmpty();
                QCOMPARE(q.value(2).toString(), expected);
            }
        }
        QVERIFY(budapest > 0);
    }

    void taxNumbersAndAccounts() {
        QSqlQuery q =
            db().select(QStringLiteral("SELECT ugyfel_nev, adoszam, kozadoszam, bankszamla FROM ugyfel"));
        static const QRegularExpression enterprise(
            QStringLiteral("(Kft\\.|Bt\\.|Zrt\\.|Kkt\\.|Nyrt\\.|e\\.v\\.)$"));
        int taxNumbers = 0, accounts = 0;
        while (q.next()) {
            const QString name = q.value(0).toString(), tax = q.value(1).toString();
            const QString eu = q.value(2).toString(), account = q.value(3).toString();
            QVERIFY2(enterprise.match(name).hasMatch() ? taxNumberValid(tax) : tax.isEmpty(),
                     qPrintable(name + QStringLiteral(": ") + tax));
            QVERIFY2(eu.isEmpty() || eu == QStringLiteral("HU") + tax.left(8),
                     qPrintable(name + QLatin1Char(' ') + eu));
            QVERIFY2(account.isEmpty() || bankAccountValid(account),
                     qPrintable(name + QLatin1Char(' ') + account));
            taxNumbers += !tax.isEmpty();
            accounts += !account.isEmpty();
        }
        QVERIFY(taxNumbers > 50 && accounts > 50);

        QSqlQuery t = db().select(QStringLiteral(
            "SELECT tulajdonos, adoszam, kozadoszam, bankszamlaszam, iban, swift FROM tulajdonos"));
        QVERIFY(t.next());
        QVERIFY(t.value(0).toString().endsWith(QLatin1String("Kft.")));
        const QString tax = t.value(1).toString(), account = t.value(3).toString();
        QVERIFY2(taxNumberValid(tax), qPrintable(tax));
        QCOMPARE(t.value(2).toString(), QStringLiteral("HU") + tax.left(8));
        QVERIFY2(account.size() == 24 && bankAccountValid(account), qPrintable(account));
        QVERIFY2(ibanValid(t.value(4).toString()) &&
                     t.value(4).toString().remove(QLatin1Char(' ')).endsWith(account),
                 qPrintable(t.value(4).toString()));
        QCOMPARE(t.value(5).toString().size(), 8);
        QCOMPARE(db().queryText(QStringLiteral("SELECT bankszamla FROM vat WHERE vat = 'HUF'"), {}), account);
    }

    void productAmounts() {
        QSqlQuery q = db().select(
            QStringLiteral("SELECT cikkszam, netto, afa, brutto, afakulcs, tm, ean FROM cikkszam"));
        static const QRegularExpression code(QStringLiteral("^[A-Z]{2}-\\d{4}$"));
        QSet<double> rates;
        int eans = 0;
        while (q.next()) {
            const QString c = q.value(0).toString();
            const double netto = q.value(1).toDouble(), afa = q.value(2).toDouble(),
                         brutto = q.value(3).toDouble();
            const double rate = q.value(4).toDouble();
            QVERIFY2(code.match(c).hasMatch(), qPrintable(c));
            QVERIFY2(netto > 0, qPrintable(c));
            QCOMPARE(afa, netto * rate / 100.0);
            QCOMPARE(brutto, netto + afa);
            QCOMPARE(q.value(5).toString(), rate == 0 ? QStringLiteral("I") : QStringLiteral("N"));
            const QString ean = q.value(6).toString();
            QVERIFY2(ean.isEmpty() || eanValid(ean), qPrintable(c + QLatin1Char(' ') + ean));
            eans += !ean.isEmpty();
            rates.insert(rate);
        }
        QCOMPARE(rates, (QSet<double>{27, 18, 5, 0}));
        QVERIFY(eans > 0);
    }

    // Every code a customer or product refers to is in its code table.
    void codesExist_data() {
        QTest::addColumn<QString>("select");
        QTest::newRow("kategoria")
            << "SELECT cikkszam FROM cikkszam WHERE kategoria NOT IN (SELECT kategoria FROM kategoria)";
        QTest::newRow("mert") << "SELECT cikkszam FROM cikkszam WHERE mert NOT IN (SELECT mert FROM mert)";
        QTest::newRow("szarmazas")
            << "SELECT cikkszam FROM cikkszam WHERE szarmazas NOT IN (SELECT szarmazas FROM szarmazas)";
        QTest::newRow("fiztip")
            << "SELECT ugyfel_nev FROM ugyfel WHERE fiztip NOT IN (SELECT fiztip FROM fiztip)";
        QTest::newRow("vat") << "SELECT ugyfel_nev FROM ugyfel WHERE vat NOT IN (SELECT vat FROM vat)";
    }
    void codesExist() {
        QFETCH(QString, select);
        QCOMPARE(column(select), QStringList());
    }

    // No text is longer than its field (exports and windows cut at the width).
    void textsFitTheirFields_data() {
        QTest::addColumn<QString>("table");
        for (const char* t : {"ugyfel", "cikkszam", "tulajdonos", "kategoria", "szarmazas", "mert", "vat"})
            QTest::newRow(t) << QString::fromLatin1(t);
    }
    void textsFitTheirFields() {
        QFETCH(QString, table);
        for (const QString& field : db().fieldNames(table)) {
            const FieldInfo info = db().fieldInfo(table, field);
            if (info.width == 0)
                continue;
            const qint64 longest =
                db().queryInt(QStringLiteral("SELECT MAX(LENGTH(%1)) FROM %2").arg(field, table), 0);
            QVERIFY2(
                longest <= info.width,
                qPrintable(QStringLiteral("%1.%2: %3 > %4").arg(table, field).arg(longest).arg(info.width)));
        }
    }

    void customerValues() {
        QCOMPARE(column(QStringLiteral(
                     "SELECT ugyfel_nev FROM ugyfel WHERE torolve <> 'N' OR kuldve <> 'N' OR edi <> "
                     "'N' OR edi2 <> 'N' OR afas <> 'I' OR nyelv NOT IN (0, 1) OR kedvezmeny NOT "
                     "IN (0, 5, 10)")),
                 QStringList());
        // Unused parts are empty text, not null: address lines join them.
        QCOMPARE(db().queryInt(
                     QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE (szla_irsz || szla_varos || szla_cim "
                                    "|| szla_kozterulet || szla_hazszam || szla_epulet || szla_lepcsohaz || "
                                    "szla_szint || szla_ajto || szla_kerulet || adoszam || fax) IS NULL"),
                     -1),
                 0);
        QVERIFY(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE kedvezmeny > 0"), 0) > 0);
        QVERIFY(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE vat = 'EUR'"), 0) > 0);
        static const QRegularExpression mail(QStringLiteral("^[a-z0-9.-]+@[a-z0-9-]+(\\.[a-z0-9-]+)+$"));
        static const QRegularExpression phone(
            QStringLiteral("^\\+36 (1 \\d{3} \\d{4}|\\d{2} \\d{3} \\d{3,4})$"));
        QSqlQuery q = db().select(QStringLiteral("SELECT ugyfel_nev, emil, telefon, mobil, fax FROM ugyfel"));
        QSet<QString> initials;
        while (q.next()) {
            const QString name = q.value(0).toString();
            for (const char* i : {"Á", "Cs", "Ö", "Sz", "Zs"})
                if (name.startsWith(QString::fromUtf8(i)))
                    initials.insert(QString::fromUtf8(i));
            const QString m = q.value(1).toString();
            QVERIFY2(m.isEmpty() || mail.match(m).hasMatch(), qPrintable(m));
            for (int i = 2; i <= 4; ++i)
                QVERIFY2(q.value(i).toString().isEmpty() || phone.match(q.value(i).toString()).hasMatch(),
                         qPrintable(q.value(i).toString()));
        }
        QCOMPARE(initials.size(), 5);
    }

    void sameSeedSameData() {
        auto a = filledFolder({40, 40, 5}, QStringLiteral("seedA"));
        auto b = filledFolder({40, 40, 5}, QStringLiteral("seedB"));
        auto c = filledFolder({40, 40, 6}, QStringLiteral("seedC"));
        for (const auto& [table, key] : {std::pair{"ugyfel", "ugyfel"},
                                         {"cikkszam", "cikkszam"},
                                         {"tulajdonos", "tulajdonos"},
                                         {"vat", "vat"}}) {
            const QString t = QLatin1String(table), k = QLatin1String(key);
            QCOMPARE(dump(a->db, t, k), dump(b->db, t, k));
            QVERIFY2(dump(a->db, t, k) != dump(c->db, t, k), table);
        }
    }

    // A folder that already holds customers or products is refused, and
    // nothing in it changes.
    void refusesFilledFolder_data() {
        QTest::addColumn<QString>("before");
        QTest::newRow("demo data") << QString();
        QTest::newRow("own customer") << "INSERT INTO ugyfel (ugyfel_nev) VALUES ('Saját Ügyfél')";
        QTest::newRow("own product")
            << "INSERT INTO cikkszam (cikkszam, cikkszam_nev) VALUES ('X1', 'Saját termék')";
    }
    void refusesFilledFolder() {
        QFETCH(QString, before);
        test::TempDataFolder folder(QStringLiteral("refuse"));
        if (before.isEmpty())
            fillDemoMasters(folder.db, {10, 10, 1});
        else
            folder.db.execSql(before);
        const QString tables[] = {QStringLiteral("ugyfel"), QStringLiteral("cikkszam"),
                                  QStringLiteral("tulajdonos"), QStringLiteral("kategoria"),
                                  QStringLiteral("vat")};
        QList<QStringList> was;
        for (const QString& t : tables)
            was << dump(folder.db, t, QStringLiteral("1"));
        QVERIFY(hasMasters(folder.db));
        QVERIFY_THROWS_EXCEPTION(DemoDataError, fillDemoMasters(folder.db, {10, 10, 2}));
        for (int i = 0; i < int(std::size(tables)); ++i)
            QCOMPARE(dump(folder.db, tables[i], QStringLiteral("1")), was.at(i));
    }

    // An issuer the user has already entered is kept; the rest is filled.
    void keepsEnteredIssuer() {
        test::TempDataFolder folder(QStringLiteral("issuer"));
        folder.db.execSql(
            QStringLiteral("UPDATE tulajdonos SET tulajdonos = 'Saját Kft.', adoszam = '12345676242'"));
        fillDemoMasters(folder.db, {5, 5, 1});
        QCOMPARE(dump(folder.db, QStringLiteral("tulajdonos"), QStringLiteral("1")).size(), 1);
        QCOMPARE(folder.db.queryText(QStringLiteral("SELECT tulajdonos || adoszam FROM tulajdonos"), {}),
                 QStringLiteral("Saját Kft.12345676242"));
        QCOMPARE(folder.db.queryInt(QStringLiteral("SELECT COUNT(*) FROM ugyfel"), 0), 5);
    }
};

QTEST_GUILESS_MAIN(DemoMastersTest)
#include "demomasters_test.moc"
