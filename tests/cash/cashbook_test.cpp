// The cash book of a desk and period, the hand entry and the comment change,
// and the posting and cash-book commands as a script runs them.
#include "../invoicing/PostingFixture.h"
#include "ScriptedDialogs.h"
#include "TestFolders.h"

#include "cash/CashBook.h"
#include "common/Database.h"
#include "core/AppContext.h"

#include <QProcess>
#include <QtTest>

using namespace orvix;
using namespace orvix::test;

namespace {

const QDate kToday(2026, 3, 14);

class ScriptedTypes : public CashTypeChooser {
public:
    std::optional<CashMovementTypeChoice> answer;
    int asked = 0;
    std::optional<CashMovementTypeChoice> chooseCashType() override {
        ++asked;
        return answer;
    }
};

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

class CashBookTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataFolder> m_folder;
    Database& db() { return m_folder->db; }

    Run cli(const QStringList& args) {
        db().close();
        QProcess p;
        p.start(QString::fromLocal8Bit(qgetenv("ORVIX_CLI")), args);
        p.waitForFinished(120000);
        Run r{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
        db().open(m_folder->folder);
        return r;
    }

private Q_SLOTS:
    void init() {
        m_folder = std::make_unique<TempDataFolder>();
        addProduct(db(), QStringLiteral("A"));
        insertRow(db(), QStringLiteral("ugyfel"), {{"ugyfel", 1}, {"ugyfel_nev", QStringLiteral("Teszt")}});
    }
    void cleanup() { m_folder.reset(); }

    // "Új sor": the right, the type, the amount and partner, then the entry
    // with the signed amount.
    void handEntry_data() {
        QTest::addColumn<bool>("administrator");
        QTest::addColumn<QString>("type"); // empty: the chooser cancelled
        QTest::addColumn<int>("szorzo");
        QTest::addColumn<QVariantList>("inputs"); // amount and partner per try; invalid: cancelled
        QTest::addColumn<double>("amount");       // stored; 0: nothing stored
        QTest::addColumn<double>("balance");
        QTest::addColumn<QStringList>("errors");
        QTest::newRow("expense 1 200 on 5 000")
            << true << "K" << -1 << QVariantList{QVariantList{1200, QStringLiteral("Bolt")}} << -1200.0 << 3800.0
            << QStringList();
        QTest::newRow("income") << true << "C" << 1 << QVariantList{QVariantList{250.5, QStringLiteral("Pénztáros")}}
                                << 250.5 << 5250.5 << QStringList();
        QTest::newRow("no administrator right") << false << "K" << -1 << QVariantList{} << 0.0 << 5000.0
                                                << QStringList{"Nincs jogosultság a művelethez."};
        QTest::newRow("type chooser cancelled") << true << "" << 1 << QVariantList{} << 0.0 << 5000.0 << QStringList();
        QTest::newRow("amount cancelled") << true << "C" << 1 << QVariantList{QVariant()} << 0.0 << 5000.0
                                          << QStringList();
        QTest::newRow("zero, then negative, then right")
            << true << "P" << -1
            << QVariantList{QVariantList{0, QStringLiteral("x")}, QVariantList{-5, QStringLiteral("x")},
                            QVariantList{5, QStringLiteral("x")}}
            << -5.0 << 4995.0
            << QStringList{"Az összeg pozitív szám legyen; az irányt a kassza típusa adja.",
                           "Az összeg pozitív szám legyen; az irányt a kassza típusa adja."};
        QTest::newRow("partner too long, then cancelled")
            << true << "C" << 1 << QVariantList{QVariantList{5, QString(51, QLatin1Char('x'))}, QVariant()} << 0.0
            << 5000.0 << QStringList{"A(z) \"Kinek történik a kifizetés/bevételezés?\" legfeljebb 50 karakter lehet (most 51)."};
    }
    void handEntry() {
        QFETCH(bool, administrator);
        QFETCH(QString, type);
        QFETCH(int, szorzo);
        QFETCH(QVariantList, inputs);
        QFETCH(double, amount);
        QFETCH(double, balance);
        QFETCH(QStringList, errors);
        WriteCashEntry(db(), CashEntry{2, kToday, QStringLiteral("C"), 5000, 5000, {}, {}, {}, {}, {}, {}});
        CurrentUser user;
        user.rendszergazda = administrator;
        ScriptedDialogs dialogs;
        for (const QVariant& v : inputs)
            dialogs.answers.push_back(v);
        ScriptedTypes types;
        if (!type.isEmpty())
            types.answer = CashMovementTypeChoice{type, szorzo};
        const auto written = AddHandEntry(db(), dialogs, types, user, 2, kToday);
        QCOMPARE(dialogs.askedOf("error"), errors);
        QCOMPARE(types.asked, administrator ? 1 : 0);
        QCOMPARE(bool(written), amount != 0);
        QCOMPARE(DeskBalance(db(), 2), balance);
        if (!written) {
            QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM cassa"), 0), qint64(1));
            return;
        }
        QCOMPARE(dialogs.askedOf("inputNumberText").first(), QStringLiteral("Összeg megadás | Add meg az összeget!"));
        QSqlQuery q = db().select(QStringLiteral("SELECT cassak, bizszam, cassatip, osszeg, penzvan, mozgas, "
                                                 "megjegyzes, ugyfel_nev, datum FROM cassa WHERE cassa=?"),
                                  {written->key});
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toLongLong(), qint64(2));
        QCOMPARE(q.value(1).toLongLong(), qint64(2));
        QCOMPARE(q.value(2).toString(), type);
        QCOMPARE(q.value(3).toDouble(), amount);
        QCOMPARE(q.value(4).toDouble(), balance);
        QVERIFY(q.value(5).isNull());
        QCOMPARE(q.value(6).toString(), q.value(7).toString());
        QCOMPARE(q.value(8).toString(), QStringLiteral("2026-03-14"));
    }

    // "Megjegyzés" changes the comment only; balances stay.
    void commentChange_data() {
        QTest::addColumn<QVariantList>("answers");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<int>("errors");
        QTest::newRow("changed") << QVariantList{QStringLiteral("áthozat")} << "áthozat" << 0;
        QTest::newRow("cancelled") << QVariantList{QVariant()} << "eredeti" << 0;
        QTest::newRow("too long, then fitting")
            << QVariantList{QString(51, QLatin1Char('y')), QStringLiteral("rövid")} << "rövid" << 1;
    }
    void commentChange() {
        QFETCH(QVariantList, answers);
        QFETCH(QString, comment);
        QFETCH(int, errors);
        const auto w = WriteCashEntry(db(), CashEntry{0, kToday, QStringLiteral("C"), 10, 10, {}, {}, {}, {}, {},
                                                      QStringLiteral("eredeti")});
        ScriptedDialogs dialogs;
        for (const QVariant& v : answers)
            dialogs.answers.push_back(v);
        QCOMPARE(ChangeEntryComment(db(), dialogs, w.key), comment != QLatin1String("eredeti"));
        QCOMPARE(dialogs.askedOf("inputText").first(), QStringLiteral("Megjegyzés | Add meg a megjegyzést"));
        QCOMPARE(dialogs.askedOf("error").size(), errors);
        QCOMPARE(db().queryText(QStringLiteral("SELECT megjegyzes FROM cassa WHERE cassa=?"), QString(), {w.key}),
                 comment);
        QCOMPARE(DeskBalance(db(), 0), 10.0);
    }

    // The list shows the desk's entries of the period; entries outside it
    // still count in the balances of later ones.
    void listOfDeskAndPeriod() {
        const auto add = [&](qint64 desk, const QDate& day, double amount) {
            CashEntry e{desk, day, amount < 0 ? QStringLiteral("P") : QStringLiteral("C"), amount, amount, {}, {},
                        {}, {}, {}, QStringLiteral("k")};
            return WriteCashEntry(db(), e);
        };
        add(0, QDate(2026, 2, 28), 1000);
        add(0, QDate(2026, 3, 1), -300);
        add(1, QDate(2026, 3, 2), 50);
        add(0, QDate(2026, 3, 31), 20);
        add(0, QDate(2026, 4, 1), 5);
        BookCombinedPayment(db(), 0, 1, 100, QDate(2026, 3, 15));
        const auto rows = CashBookRows(db(), 0, QDate(2026, 3, 1), QDate(2026, 3, 31));
        QCOMPARE(int(rows.size()), 3);
        QCOMPARE(rows[0].balance, 700.0);
        QCOMPARE(rows[0].voucher, qint64(2));
        QCOMPARE(rows[0].typeName, QStringLiteral("Kp kivét"));
        QCOMPARE(rows[1].balance, 720.0);
        QCOMPARE(rows[2].amount, 100.0);
        QCOMPARE(rows[2].balance, 825.0);
        QCOMPARE(DocumentNumberText(rows[2].documentNumber), QString()); // combined payment: -1
        QCOMPARE(DocumentNumberText(42), QStringLiteral("00042"));
        QCOMPARE(DeskCaption(db(), 0), QStringLiteral("Alap kassza (HUF)"));
        QCOMPARE(DeskCaption(db(), 9), QStringLiteral("9"));
        QCOMPARE(PeriodCaption(QDate(2026, 3, 1), QDate(2026, 3, 31)), QStringLiteral("2026.03.01 - 2026.03.31"));
        const QStringList lines = CashBookLines(rows);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[1], QStringLiteral("2;2026-03-01;Kp kivét;;;-300;700;;k"));
        QCOMPARE(lines[3], QStringLiteral("5;2026-03-15;Bevétel eladásból;;;100;825;Teszt;Teszt"));
    }

    // post, cancel, credit-note and cash-book as a script runs them.
    void commands() {
        DocSpec paid;
        paid.number = 5;
        paid.fizetve = QStringLiteral("I");
        paid.fiztip = 1;
        const qint64 invoice = addDoc(db(), paid, {{QStringLiteral("A"), 2, 635, 27}});
        DocSpec foreign;
        foreign.number = 6;
        foreign.vat = QStringLiteral("EUR");
        const qint64 euro = addDoc(db(), foreign, {{QStringLiteral("A"), 1, 10, 27}});
        const QString dir = m_folder->folder;
        const QString key = QString::number(invoice);

        Run r = cli({QStringLiteral("post"), dir, key, QStringLiteral("--user"), QStringLiteral("anna")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains(QStringLiteral("-S/2024 pénztár: 1")), qPrintable(r.out));
        QCOMPARE(docRow(db(), invoice).value("felhasznalo").toString(), QStringLiteral("anna"));
        r = cli({QStringLiteral("post"), dir, key});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains(QStringLiteral("A bizonylat már könyvelve lett.")));
        r = cli({QStringLiteral("post"), dir, QString::number(euro)});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains(QStringLiteral("Érvénytelen árfolyam, vagy hibás devizanem")));
        QCOMPARE(cli({QStringLiteral("post"), dir, QStringLiteral("abc")}).exitCode, 2);
        QCOMPARE(cli({QStringLiteral("post"), dir}).exitCode, 2);
        QCOMPARE(cli({QStringLiteral("post"), dir, QStringLiteral("999")}).exitCode, 1);

        r = cli({QStringLiteral("credit-note"), dir, key});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains(QStringLiteral("-J/")), qPrintable(r.out));
        QCOMPARE(cli({QStringLiteral("credit-note"), dir, QString::number(r.out.section(QLatin1Char(' '), 0, 0).toLongLong())})
                     .exitCode,
                 1); // not an invoice

        r = cli({QStringLiteral("cancel"), dir, QString::number(euro)});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains(QStringLiteral("A bizonylat még nem lett könyvelve!")));
        r = cli({QStringLiteral("cancel"), dir, key});
        QCOMPARE(r.exitCode, 0);
        const qint64 cancelling = r.out.section(QLatin1Char(' '), 0, 0).toLongLong();
        QCOMPARE(docRow(db(), cancelling).value("prntip").toString(), QStringLiteral("W"));
        QCOMPARE(cli({QStringLiteral("post"), dir, QString::number(cancelling)}).exitCode, 0);

        r = cli({QStringLiteral("cash-book"), dir, QStringLiteral("--desk"), QStringLiteral("0"),
                 QStringLiteral("--from"), QStringLiteral("2000.01.01"), QStringLiteral("--to"),
                 QStringLiteral("2099-12-31")});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.trimmed().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines[1].startsWith(QStringLiteral("1;")) && lines[1].contains(QStringLiteral(";00005;Számla;1270;1270;")),
                 qPrintable(lines[1]));
        QVERIFY2(lines[2].contains(QStringLiteral(";1270;0;Teszt;W")), qPrintable(lines[2]));
        QCOMPARE(cli({QStringLiteral("cash-book"), dir, QStringLiteral("--desk"), QStringLiteral("0"),
                      QStringLiteral("--from"), QStringLiteral("2026.13.01"), QStringLiteral("--to"),
                      QStringLiteral("2026.12.31")})
                     .exitCode,
                 2);
        QCOMPARE(cli({QStringLiteral("cash-book"), dir, QStringLiteral("--desk"), QStringLiteral("7"),
                      QStringLiteral("--from"), QStringLiteral("2026.01.01"), QStringLiteral("--to"),
                      QStringLiteral("2026.12.31")})
                     .exitCode,
                 1);

        // Posted, but the Zentra program could not be fed: stopped part-way.
        db().execSql(QStringLiteral("UPDATE beallit SET vanzentra='I', evautvonal='/nincs/ilyen'"));
        DocSpec other;
        other.number = 9;
        const qint64 third = addDoc(db(), other, {{QStringLiteral("A"), 1, 100, 27}});
        r = cli({QStringLiteral("post"), dir, QString::number(third)});
        QCOMPARE(r.exitCode, 3);
        QVERIFY(r.err.contains(QStringLiteral("Nem létező Zentra adatbázis")));
        QCOMPARE(docRow(db(), third).value("konyvelve").toString(), QStringLiteral("I"));
    }
};

QTEST_GUILESS_MAIN(CashBookTest)
#include "cashbook_test.moc"
