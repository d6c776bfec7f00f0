// Posting, cancelling, credit notes and posting everything unposted, on real
// data folders.
#include "PostingFixture.h"
#include "ScriptedDialogs.h"
#include "TestFolders.h"

#include "common/Database.h"
#include "core/Settings.h"
#include "invoicing/Payments.h"
#include "invoicing/Posting.h"

#include <QtTest>

using namespace orvix;
using namespace orvix::test;

namespace {

const QDate kToday(2026, 3, 14);

CurrentUser poster() {
    CurrentUser u;
    u.name = QStringLiteral("kata");
    return u;
}

class ScriptedCreditUi : public CreditNoteUi {
public:
    std::optional<qint64> customer;
    std::optional<bool> reverse = false;
    QStringList asked;
    std::optional<qint64> chooseCustomer() override {
        asked << QStringLiteral("customer");
        return customer;
    }
    std::optional<bool> chooseReverseCharge() override {
        asked << QStringLiteral("reverse");
        return reverse;
    }
};

} // namespace

class PostingTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataFolder> m_folder;
    Database& db() { return m_folder->db; }

private Q_SLOTS:
    void init() {
        m_folder = std::make_unique<TempDataFolder>();
        addProduct(db(), QStringLiteral("A"));
        addProduct(db(), QStringLiteral("NETA1"), QStringLiteral("I"));
        addProduct(db(), QStringLiteral("NETA2"), QStringLiteral("I"));
        addProduct(db(), QStringLiteral("ELO"), QStringLiteral("N"), QStringLiteral("I"));
        insertRow(db(), QStringLiteral("ugyfel"), {{"ugyfel", 1}, {"ugyfel_nev", QStringLiteral("Teszt")}});
    }
    void cleanup() { m_folder.reset(); }

    // What posting derives from the document: paid amount, date, flags.
    void postedFields_data() {
        QTest::addColumn<QString>("fizetve");
        QTest::addColumn<QString>("tkata");
        QTest::addColumn<QString>("fa");
        QTest::addColumn<QStringList>("lines"); // code:rate
        QTest::addColumn<double>("paid");
        QTest::addColumn<bool>("paidDate");
        QTest::addColumn<QString>("adomentHiv");
        QTest::addColumn<QString>("neta");
        QTest::newRow("paid at issue") << "I" << "N" << "N" << QStringList{"A:27"} << 1270.0 << true << "N"
                                       << "N";
        QTest::newRow("transfer") << "N" << "N" << "N" << QStringList{"A:27"} << 0.0 << false << "N" << "N";
        QTest::newRow("all lines at 0 %") << "N" << "N" << "N" << QStringList{"A:0", "A:0"} << 0.0 << false
                                          << "I" << "N";
        QTest::newRow("lowest rate counts") << "N" << "N" << "N" << QStringList{"A:27", "A:0"} << 0.0 << false
                                            << "I" << "N";
        QTest::newRow("reverse charge") << "N" << "N" << "I" << QStringList{"A:0"} << 0.0 << false << "N"
                                        << "N";
        QTest::newRow("small taxpayer") << "N" << "I" << "N" << QStringList{"A:0"} << 0.0 << false << "N"
                                        << "N";
        QTest::newRow("empty kata flag is not N") << "N" << "" << "N" << QStringList{"A:0"} << 0.0 << false
                                                  << "N" << "N";
        QTest::newRow("every product NETA") << "N" << "N" << "N" << QStringList{"NETA1:27", "NETA2:27"} << 0.0
                                            << false << "N" << "I";
        QTest::newRow("one product not NETA") << "N" << "N" << "N" << QStringList{"NETA1:27", "A:27"} << 0.0
                                              << false << "N" << "N";
    }
    void postedFields() {
        QFETCH(QString, fizetve);
        QFETCH(QString, tkata);
        QFETCH(QString, fa);
        QFETCH(QStringList, lines);
        QFETCH(double, paid);
        QFETCH(bool, paidDate);
        QFETCH(QString, adomentHiv);
        QFETCH(QString, neta);
        DocSpec d;
        d.fizetve = fizetve;
        d.tkata = tkata;
        d.fa = fa;
        d.fiztip = fizetve == QLatin1String("I") ? 1 : 2;
        std::vector<LineSpec> specs;
        for (const QString& l : lines) {
            const double rate = l.section(QLatin1Char(':'), 1).toDouble();
            specs.push_back({l.section(QLatin1Char(':'), 0, 0), 1, 1270.0 / lines.size(), rate});
        }
        const qint64 key = addDoc(db(), d, specs);
        ScriptedDialogs dialogs;
        const PostResult r = PostDocument(db(), dialogs, Settings{}, poster(), key, kToday);
        QVERIFY(r.posted);
        QCOMPARE(dialogs.asked, QStringList());
        const QVariantMap h = docRow(db(), key);
        QCOMPARE(h.value("konyvelve").toString(), QStringLiteral("I"));
        QCOMPARE(h.value("felhasznalo").toString(), QStringLiteral("kata"));
        QCOMPARE(h.value("penzfizetve").toDouble(), paid);
        QCOMPARE(h.value("dat_fizetve").isNull(), !paidDate);
        if (paidDate)
            QCOMPARE(h.value("dat_fizetve").toString(), QStringLiteral("2026-03-14"));
        QCOMPARE(h.value("adoment_hiv").toString(), adomentHiv);
        QCOMPARE(h.value("neta").toString(), neta);
        // Only a paid-at-issue document is booked.
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM cassa"), -1), qint64(paidDate ? 1 : 0));
    }

    // Refusals change nothing and say why.
    void refusals_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<double>("rate");
        QTest::addColumn<QString>("currency");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<bool>("withLines");
        QTest::addColumn<QString>("posted");
        QTest::addColumn<QString>("message"); // empty: posted
        QTest::newRow("rate below 1") << "S" << 0.5 << "HUF" << "" << true << "N" << "Érvénytelen árfolyam";
        QTest::newRow("foreign currency at 1")
            << "S" << 1.0 << "EUR" << "" << true << "N" << "Érvénytelen árfolyam, vagy hibás devizanem";
        QTest::newRow("HUF at 300 passes") << "S" << 300.0 << "HUF" << "" << true << "N" << "";
        QTest::newRow("EUR at 390 passes") << "S" << 390.0 << "EUR" << "" << true << "N" << "";
        QTest::newRow("credit note without reference")
            << "J" << 1.0 << "HUF" << "" << true << "N" << "Eredeti bizonylat megadás kötelező.";
        QTest::newRow("credit note with reference") << "J" << 1.0 << "HUF" << "SA0000001-S/2024" << true << "N"
                                                    << "";
        QTest::newRow("proforma without reference")
            << "P" << 1.0 << "HUF" << "" << true << "N" << "Eredeti bizonylat megadás kötelező.";
        QTest::newRow("no lines") << "S" << 1.0 << "HUF" << "" << false << "N" << "A bizonylatnak nincsenek tételei.";
        QTest::newRow("posted twice") << "S" << 1.0 << "HUF" << "" << true << "I" << "A bizonylat már könyvelve lett.";
    }
    void refusals() {
        QFETCH(QString, kind);
        QFETCH(double, rate);
        QFETCH(QString, currency);
        QFETCH(QString, reference);
        QFETCH(bool, withLines);
        QFETCH(QString, posted);
        QFETCH(QString, message);
        DocSpec d;
        d.kind = kind;
        d.arfolyam = rate;
        d.vat = currency;
        d.eredetistr = reference;
        d.konyvelve = posted;
        d.fizetve = QStringLiteral("I");
        d.fiztip = 1;
        std::vector<LineSpec> lines;
        if (withLines)
            lines.push_back({QStringLiteral("A"), 2, 635, 27});
        const qint64 key = addDoc(db(), d, lines);
        const QVariantMap before = docRow(db(), key);
        ScriptedDialogs dialogs;
        dialogs.transactionWatch = &db();
        const PostResult r = PostAction(db(), dialogs, Settings{}, poster(), key, kToday);
        // A refusal is shown once the write lock is given back.
        QCOMPARE(dialogs.shownInTransaction, QStringList());
        if (message.isEmpty()) {
            QVERIFY(r.posted);
            QCOMPARE(dialogs.askedOf("error"), QStringList());
            return;
        }
        QVERIFY(!r.posted);
        QCOMPARE(dialogs.askedOf("error"), QStringList{message});
        QCOMPARE(docRow(db(), key), before);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM cassa"), -1), qint64(0));
    }

    // A document posted by S consumes the advance products on its lines; an
    // advance invoice itself does not.
    void advanceLinesConsumeTheirProduct_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("torolve");
        QTest::newRow("invoice") << "S" << "I";
        QTest::newRow("advance invoice") << "E" << "N";
    }
    void advanceLinesConsumeTheirProduct() {
        QFETCH(QString, kind);
        QFETCH(QString, torolve);
        DocSpec d;
        d.kind = kind;
        d.eredetistr = QStringLiteral("x");
        const qint64 key = addDoc(db(), d,
                                  {{QStringLiteral("A"), 1, 100, 27},
                                   {QStringLiteral("ELO"), -1, 50, 27, QStringLiteral("E")}});
        ScriptedDialogs dialogs;
        QVERIFY(PostDocument(db(), dialogs, Settings{}, poster(), key, kToday).posted);
        QCOMPARE(db().queryText(QStringLiteral("SELECT torolve FROM cikkszam WHERE cikkszam='ELO'"), QString()),
                 torolve);
        QCOMPARE(db().queryText(QStringLiteral("SELECT torolve FROM cikkszam WHERE cikkszam='A'"), QString()),
                 QStringLiteral("N"));
    }

    // The cash entry of a paid-at-issue document: the money follows the
    // document's sign; a payment method without a desk books on desk 0.
    void cashEntryOfPosting_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<double>("unitGross");
        QTest::addColumn<int>("fiztip");
        QTest::addColumn<QString>("type");
        QTest::addColumn<double>("balance");
        QTest::addColumn<qint64>("desk");
        QTest::newRow("invoice 12 700") << "S" << 12700.0 << 1 << "B" << 17700.0 << qint64(0);
        QTest::newRow("cancelling document") << "W" << -12700.0 << 1 << "V" << -7700.0 << qint64(0);
        QTest::newRow("credit note") << "J" << -2000.0 << 1 << "V" << 3000.0 << qint64(0);
        // Money taken in against a proforma raises the balance.
        QTest::newRow("paid proforma") << "P" << 800.0 << 1 << "B" << 5800.0 << qint64(0);
        QTest::newRow("desk of the payment method") << "S" << 100.0 << 3 << "B" << 100.0 << qint64(2);
        QTest::newRow("payment method missing") << "S" << 100.0 << 99 << "B" << 5100.0 << qint64(0);
    }
    void cashEntryOfPosting() {
        QFETCH(QString, kind);
        QFETCH(double, unitGross);
        QFETCH(int, fiztip);
        QFETCH(QString, type);
        QFETCH(double, balance);
        QFETCH(qint64, desk);
        insertRow(db(), QStringLiteral("cassak"), {{"cassak", 2}, {"cassak_nev", QStringLiteral("Bolt")}});
        db().execSql(QStringLiteral("UPDATE fiztip SET cassak=2, fizetve='I' WHERE fiztip=3"));
        // Desk 0 holds 5 000 already.
        insertRow(db(), QStringLiteral("cassa"),
                  {{"cassak", 0}, {"bizszam", 1}, {"cassatip", QStringLiteral("C")}, {"osszeg", 5000.0},
                   {"penzvan", 5000.0}, {"datum", QStringLiteral("2026-01-01")}});
        DocSpec d;
        d.kind = kind;
        d.number = 42;
        d.fizetve = QStringLiteral("I");
        d.fiztip = fiztip;
        d.eredetistr = QStringLiteral("SA0000041-S/2026");
        const qint64 key = addDoc(db(), d, {{QStringLiteral("A"), 1, unitGross, 27}});
        ScriptedDialogs dialogs;
        const PostResult r = PostDocument(db(), dialogs, Settings{}, poster(), key, kToday);
        QVERIFY(r.posted);
        QSqlQuery q = db().select(QStringLiteral("SELECT cassak, bizszam, datum, cassatip, osszeg, penzvan, mozgas, "
                                                 "mozgaz, prntip, torol, megjegyzes, ugyfel_nev FROM cassa WHERE cassa=?"),
                                  {r.cashEntry});
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toLongLong(), desk);
        QCOMPARE(q.value(1).toLongLong(), qint64(desk == 0 ? 2 : 1));
        QCOMPARE(q.value(2).toString(), QStringLiteral("2026-03-14"));
        QCOMPARE(q.value(3).toString(), type);
        QCOMPARE(q.value(4).toDouble(), std::abs(unitGross)); // unsigned
        QCOMPARE(q.value(5).toDouble(), balance);
        QCOMPARE(q.value(6).toLongLong(), key);
        QCOMPARE(q.value(7).toLongLong(), qint64(42));
        QCOMPARE(q.value(8).toString(), kind);
        QCOMPARE(q.value(9).toString(), QStringLiteral("N"));
        QCOMPARE(q.value(10).toString(), kind + QStringLiteral("00042: Teszt"));
        QCOMPARE(q.value(11).toString(), QStringLiteral("Teszt"));
    }

    // An engine error in the middle of a posting leaves the document as it was.
    void failedPostingLeavesTheDocumentUntouched() {
        DocSpec d;
        d.fizetve = QStringLiteral("I");
        d.fiztip = 1;
        const qint64 key = addDoc(db(), d, {{QStringLiteral("ELO"), 1, 100, 0, QStringLiteral("E")}});
        const QVariantMap before = docRow(db(), key);
        db().execSql(QStringLiteral("CREATE TRIGGER no_cash BEFORE INSERT ON cassa BEGIN "
                                    "SELECT RAISE(ABORT, 'a pénztár megtelt'); END"));
        ScriptedDialogs dialogs;
        QVERIFY(!PostDocument(db(), dialogs, Settings{}, poster(), key, kToday).posted);
        QCOMPARE(dialogs.askedOf("error").size(), 1);
        QVERIFY(dialogs.askedOf("error").first().contains(QStringLiteral("a pénztár megtelt")));
        QCOMPARE(docRow(db(), key), before);
        QCOMPARE(db().queryText(QStringLiteral("SELECT torolve FROM cikkszam WHERE cikkszam='ELO'"), QString()),
                 QStringLiteral("N"));
        // Once the cause is gone the same document posts.
        db().execSql(QStringLiteral("DROP TRIGGER no_cash"));
        QVERIFY(PostDocument(db(), dialogs, Settings{}, poster(), key, kToday).posted);
    }

    // A failed Zentra feed is shown with its reason and keeps the posting.
    void zentraFailureKeepsThePosting() {
        const qint64 key = addDoc(db(), DocSpec{}, {{QStringLiteral("A"), 1, 100, 27}});
        Settings s;
        s.vanzentra = true;
        s.evautvonal = m_folder->dir.filePath(QStringLiteral("nincs"));
        ScriptedDialogs dialogs;
        const PostResult r = PostDocument(db(), dialogs, s, poster(), key, kToday);
        QVERIFY(r.posted);
        QCOMPARE(r.zentraKey, qint64(-1));
        QCOMPARE(dialogs.askedOf("error"),
                 QStringList{QStringLiteral("A Zentra program feltöltése nem sikerült:\nNem létező Zentra adatbázis")});
        QCOMPARE(docRow(db(), key).value("konyvelve").toString(), QStringLiteral("I"));
        // A proforma is not fed at all.
        DocSpec p;
        p.kind = QStringLiteral("P");
        const qint64 proforma = addDoc(db(), p, {{QStringLiteral("A"), 1, 100, 27}});
        ScriptedDialogs quiet;
        QVERIFY(PostDocument(db(), quiet, s, poster(), proforma, kToday).posted);
        QCOMPARE(quiet.asked, QStringList());
    }

    // Cancelling: the checks, the storno mark and the W document.
    void cancel_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("posted");
        QTest::addColumn<QString>("storno");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("message");  // empty: cancelled
        QTest::addColumn<bool>("withCopy");
        QTest::newRow("invoice") << "S" << "I" << "N" << true << "" << true;
        QTest::newRow("proforma: mark only") << "P" << "I" << "N" << true << "" << false;
        QTest::newRow("advance invoice") << "E" << "I" << "N" << true << "" << true;
        QTest::newRow("declined") << "S" << "I" << "N" << false << "" << false;
        QTest::newRow("not posted") << "S" << "N" << "N" << true << "A bizonylat még nem lett könyvelve!" << false;
        QTest::newRow("cancelled already") << "S" << "I" << "I" << true << "A bizonylat már sztornózva lett!" << false;
    }
    void cancel() {
        QFETCH(QString, kind);
        QFETCH(QString, posted);
        QFETCH(QString, storno);
        QFETCH(bool, confirm);
        QFETCH(QString, message);
        QFETCH(bool, withCopy);
        DocSpec d;
        d.kind = kind;
        d.konyvelve = posted;
        d.storno = storno;
        const qint64 key = addDoc(db(), d, {{QStringLiteral("A"), 2, 1270, 27}});
        const qint64 documents = db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), 0);
        ScriptedDialogs dialogs;
        dialogs.answers = {confirm};
        dialogs.transactionWatch = &db();
        const auto result = CancelDocument(db(), dialogs, Settings{}, poster(), key, kToday);
        QCOMPARE(dialogs.askedOf("question"), QStringList{"Megerősítés | Valóban töröljem a sort?"});
        QCOMPARE(dialogs.shownInTransaction, QStringList());
        if (!confirm || !message.isEmpty()) {
            QVERIFY(!result);
            QCOMPARE(dialogs.askedOf("error"), message.isEmpty() ? QStringList() : QStringList{message});
            QCOMPARE(docRow(db(), key).value("storno").toString(), storno);
            QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), 0), documents);
            return;
        }
        QVERIFY(result);
        QCOMPARE(docRow(db(), key).value("storno").toString(), QStringLiteral("I"));
        QCOMPARE(docRow(db(), key).value("konyvelve").toString(), QStringLiteral("I"));
        QCOMPARE(*result > 0, withCopy);
        if (!withCopy) {
            QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), 0), documents);
            return;
        }
        const QVariantMap w = docRow(db(), *result);
        QCOMPARE(w.value("prntip").toString(), QStringLiteral("W"));
        QCOMPARE(w.value("konyvelve").toString(), QStringLiteral("N"));
        QCOMPARE(w.value("eredeti").toLongLong(), key);
        QCOMPARE(w.value("netto").toDouble(), -docRow(db(), key).value("netto").toDouble());
        // The cancelled document (an advance invoice too) is owed no more.
        ScriptedDialogs pay;
        QVERIFY(!PayDocument(db(), pay, key, kToday, QString()));
        QCOMPARE(pay.askedOf("error"), QStringList{kStornoNotPayable});
        QCOMPARE(CustomerDebt(db(), 1), 0.0);
        // A second cancel is refused.
        ScriptedDialogs again;
        again.transactionWatch = &db();
        QVERIFY(!CancelDocument(db(), again, Settings{}, poster(), key, kToday));
        QCOMPARE(again.askedOf("error"), QStringList{"A bizonylat már sztornózva lett!"});
        QCOMPARE(again.shownInTransaction, QStringList());
    }

    // An invoice is reversed once: by a cancelling document or by a credit
    // note. A posted credit note keeps its invoice from being cancelled
    // until the credit note is cancelled itself; a credit note of an
    // invoice cancelled meanwhile cannot be posted.
    void invoiceWithACreditNote() {
        DocSpec d;
        d.konyvelve = QStringLiteral("I");
        const qint64 invoice = addDoc(db(), d, {{QStringLiteral("A"), 1, 1270, 27}});
        ScriptedDialogs dialogs;
        dialogs.transactionWatch = &db();
        ScriptedCreditUi creditUi;
        const auto start = StartCreditNote(db(), dialogs, creditUi, Settings{}, poster(),
                                           CreditNoteContext::Documents, invoice, kToday);
        QVERIFY(start && start->copy > 0);
        const qint64 credit = start->copy;
        QVERIFY(PostDocument(db(), dialogs, Settings{}, poster(), credit, kToday).posted);
        const qint64 documents = db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), 0);

        QVERIFY(!CancelDocument(db(), dialogs, Settings{}, poster(), invoice, kToday));
        QCOMPARE(dialogs.askedOf("error"), QStringList{kHasCreditNoteMessage});
        QCOMPARE(dialogs.shownInTransaction, QStringList());
        QCOMPARE(docRow(db(), invoice).value("storno").toString(), QStringLiteral("N"));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), 0), documents);

        // Once the credit note is cancelled, the invoice can be.
        QVERIFY(CancelDocument(db(), dialogs, Settings{}, poster(), credit, kToday));
        QVERIFY(CancelDocument(db(), dialogs, Settings{}, poster(), invoice, kToday));
        QCOMPARE(docRow(db(), invoice).value("storno").toString(), QStringLiteral("I"));

        // A credit note made before the invoice was cancelled stays unposted.
        DocSpec other;
        other.konyvelve = QStringLiteral("I");
        const qint64 second = addDoc(db(), other, {{QStringLiteral("A"), 1, 500, 27}});
        const auto late = StartCreditNote(db(), dialogs, creditUi, Settings{}, poster(),
                                          CreditNoteContext::Documents, second, kToday);
        QVERIFY(late && late->copy > 0);
        QVERIFY(CancelDocument(db(), dialogs, Settings{}, poster(), second, kToday));
        ScriptedDialogs posting;
        posting.transactionWatch = &db();
        QVERIFY(!PostDocument(db(), posting, Settings{}, poster(), late->copy, kToday).posted);
        QCOMPARE(posting.askedOf("error"), QStringList{kSourceCancelledMessage});
        QCOMPARE(posting.shownInTransaction, QStringList());
        QCOMPARE(docRow(db(), late->copy).value("konyvelve").toString(), QStringLiteral("N"));
    }

    // A document paid before it is posted: the posting books only what the
    // payments have not taken in yet, and keeps a partly paid amount.
    void paidBeforePosting_data() {
        QTest::addColumn<QString>("payment");   // "single" or "combined"
        QTest::addColumn<double>("amount");     // of the combined payment
        QTest::addColumn<bool>("paidAtIssue");  // marked paid at issue before posting
        QTest::addColumn<QString>("fizetve");
        QTest::addColumn<double>("paid");       // penzfizetve after posting
        QTest::addColumn<int>("entries");       // cash entries in all
        QTest::addColumn<double>("cash");       // the desk's balance
        QTest::newRow("paid in full, then posted") << "single" << 0.0 << false << "I" << 10000.0 << 1 << 10000.0;
        QTest::newRow("partly paid, then posted") << "combined" << 4000.0 << false << "N" << 4000.0 << 1 << 4000.0;
        QTest::newRow("partly paid, the rest at issue")
            << "combined" << 4000.0 << true << "I" << 10000.0 << 2 << 10000.0;
        QTest::newRow("paid in full by the combined payment")
            << "combined" << 10000.0 << false << "I" << 10000.0 << 1 << 10000.0;
    }
    void paidBeforePosting() {
        QFETCH(QString, payment);
        QFETCH(double, amount);
        QFETCH(bool, paidAtIssue);
        QFETCH(QString, fizetve);
        QFETCH(double, paid);
        QFETCH(int, entries);
        QFETCH(double, cash);
        const qint64 key = addDoc(db(), DocSpec{}, {{QStringLiteral("A"), 1, 10000, 27}});
        ScriptedDialogs dialogs;
        if (payment == QLatin1String("single"))
            QVERIFY(PayDocument(db(), dialogs, key, QDate(2026, 2, 1), QStringLiteral("PB-1")));
        else
            QVERIFY(PayCustomer(db(), dialogs, 1, amount, qint64(0), kToday).done);
        if (paidAtIssue)
            db().execSql(QStringLiteral("UPDATE szla SET fizetve='I', fiztip=1 WHERE szla=?"), {key});
        QVERIFY(PostDocument(db(), dialogs, Settings{}, poster(), key, kToday).posted);
        QCOMPARE(dialogs.askedOf("error"), QStringList());
        const QVariantMap h = docRow(db(), key);
        QCOMPARE(h.value("fizetve").toString(), fizetve);
        QCOMPARE(h.value("penzfizetve").toDouble(), paid);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM cassa"), -1), qint64(entries));
        QCOMPARE(db().queryFloat(QStringLiteral("SELECT penzvan FROM cassa WHERE cassa=(SELECT MAX(cassa) FROM cassa)"),
                                 -1),
                 cash);
        // The payment's own date stays.
        if (payment == QLatin1String("single"))
            QCOMPARE(h.value("dat_fizetve").toString(), QStringLiteral("2026-02-01"));
    }

    // The credit note from the three tabs.
    void creditNote_data() {
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("currentKind");
        QTest::addColumn<bool>("fromInvoice");    // the answer to the question
        QTest::addColumn<qint64>("chosen");       // the chooser's answer, -1 cancelled
        QTest::addColumn<bool>("reverseChosen");  // false: the choice cancelled
        QTest::addColumn<QString>("expect");      // "copy", "new", "none", "copy kept"
        QTest::addColumn<QStringList>("ui");
        QTest::newRow("documents: from the invoice") << int(CreditNoteContext::Documents) << "S" << true
                                                     << qint64(-1) << true << "copy" << QStringList{"reverse"};
        QTest::newRow("documents: another customer") << int(CreditNoteContext::Documents) << "S" << false
                                                     << qint64(1) << true << "new"
                                                     << QStringList{"customer", "reverse"};
        QTest::newRow("documents: not an invoice") << int(CreditNoteContext::Documents) << "P" << true
                                                   << qint64(1) << true << "new"
                                                   << QStringList{"customer", "reverse"};
        QTest::newRow("customers tab") << int(CreditNoteContext::Customers) << "" << true << qint64(-1) << true
                                       << "new" << QStringList{"reverse"};
        QTest::newRow("products tab, chooser cancelled") << int(CreditNoteContext::Products) << "" << true
                                                         << qint64(-1) << true << "none"
                                                         << QStringList{"customer"};
        QTest::newRow("reverse-charge choice cancelled") << int(CreditNoteContext::Documents) << "S" << true
                                                         << qint64(-1) << false << "copy kept"
                                                         << QStringList{"reverse"};
    }
    void creditNote() {
        QFETCH(int, context);
        QFETCH(QString, currentKind);
        QFETCH(bool, fromInvoice);
        QFETCH(qint64, chosen);
        QFETCH(bool, reverseChosen);
        QFETCH(QString, expect);
        QFETCH(QStringList, ui);
        qint64 current = 1; // the customer on the customers tab
        if (!currentKind.isEmpty()) {
            DocSpec d;
            d.kind = currentKind;
            d.konyvelve = QStringLiteral("I");
            current = addDoc(db(), d, {{QStringLiteral("A"), 2, 1270, 27}});
        }
        const qint64 documents = db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), 0);
        ScriptedDialogs dialogs;
        dialogs.answers = {fromInvoice};
        ScriptedCreditUi creditUi;
        if (chosen > 0)
            creditUi.customer = chosen;
        if (!reverseChosen)
            creditUi.reverse = std::nullopt;
        Settings s;
        s.vanfa = true;
        const auto start = StartCreditNote(db(), dialogs, creditUi, s, poster(), CreditNoteContext(context),
                                           current, kToday);
        QCOMPARE(creditUi.asked, ui);
        QCOMPARE(dialogs.askedOf("question").size(), currentKind == QLatin1String("S") ? 1 : 0);
        const qint64 made = db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), 0) - documents;
        if (expect == QLatin1String("none")) {
            QVERIFY(!start);
            QCOMPARE(made, qint64(0));
        } else if (expect == QLatin1String("copy kept")) {
            QVERIFY(!start);
            QCOMPARE(made, qint64(1));
        } else {
            QVERIFY(start);
            QCOMPARE(start->customer, qint64(1));
            QCOMPARE(start->copy > 0, expect == QLatin1String("copy"));
            QCOMPARE(made, qint64(expect == QLatin1String("copy") ? 1 : 0));
            if (start->copy > 0) {
                const QVariantMap j = docRow(db(), start->copy);
                QCOMPARE(j.value("prntip").toString(), QStringLiteral("J"));
                QCOMPARE(j.value("brutto").toDouble(), -2540.0);
            }
        }
    }

    // A cancelled invoice gets no credit note.
    void noCreditNoteOfACancelledInvoice() {
        DocSpec d;
        d.konyvelve = QStringLiteral("I");
        d.storno = QStringLiteral("I");
        const qint64 key = addDoc(db(), d, {{QStringLiteral("A"), 1, 100, 27}});
        ScriptedDialogs dialogs;
        ScriptedCreditUi creditUi;
        QVERIFY(!StartCreditNote(db(), dialogs, creditUi, Settings{}, poster(), CreditNoteContext::Documents, key,
                                 kToday));
        QCOMPARE(dialogs.askedOf("error"), QStringList{"A bizonylat már sztornózva lett!"});
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), 0), qint64(1));
    }

    // Every unposted document in key order, each printed once posted; one
    // that cannot be posted is skipped after its message.
    void postAllUnposted() {
        const qint64 a = addDoc(db(), DocSpec{}, {{QStringLiteral("A"), 1, 100, 27}});
        DocSpec posted;
        posted.konyvelve = QStringLiteral("I");
        addDoc(db(), posted, {{QStringLiteral("A"), 1, 100, 27}});
        const qint64 empty = addDoc(db(), DocSpec{}, {});
        const qint64 c = addDoc(db(), DocSpec{}, {{QStringLiteral("A"), 1, 100, 27}});
        ScriptedDialogs dialogs;
        QList<qint64> printed;
        QCOMPARE(PostAllUnposted(db(), dialogs, Settings{}, poster(), [&](qint64 k) { printed << k; }, kToday), 2);
        QCOMPARE(printed, (QList<qint64>{a, c}));
        QCOMPARE(dialogs.askedOf("error"), QStringList{"A bizonylatnak nincsenek tételei."});
        QCOMPARE(docRow(db(), empty).value("konyvelve").toString(), QStringLiteral("N"));
    }
};

QTEST_GUILESS_MAIN(PostingTest)
#include "posting_test.moc"
