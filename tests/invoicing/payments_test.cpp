// Payments: the single payment of a document in full and the combined
// payment of a customer over the unpaid invoices, with their cash entries.
#include "PostingFixture.h"
#include "ScriptedDialogs.h"
#include "TestFolders.h"

#include "common/Database.h"
#include "invoicing/Payments.h"

#include <QtTest>

using namespace orvix;
using namespace orvix::test;

namespace {

const QDate kToday(2026, 3, 14);

qint64 invoice(Database& db, double gross, const QString& kind = QStringLiteral("S"), qint64 customer = 1) {
    DocSpec d;
    d.kind = kind;
    d.ugyfel = customer;
    return addDoc(db, d, {{QStringLiteral("A"), 1, gross, 27}});
}

double paidAmount(Database& db, qint64 key) {
    return db.queryFloat(QStringLiteral("SELECT penzfizetve FROM szla WHERE szla=?"), -1, {key});
}

QString paidFlag(Database& db, qint64 key) {
    return db.queryValue(QStringLiteral("SELECT fizetve FROM szla WHERE szla=?"), {key}).toString();
}

qint64 cashCount(Database& db) { return db.queryInt(QStringLiteral("SELECT COUNT(*) FROM cassa"), -1); }

} // namespace

class PaymentsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TempDataFolder> m_folder;
    Database& db() { return m_folder->db; }

private Q_SLOTS:
    void init() { m_folder = std::make_unique<TempDataFolder>(); }
    void cleanup() { m_folder.reset(); }

    // Paid in full: the outstanding amount into the cash book, the header
    // paid on the chosen day with the voucher reference.
    void singlePayment() {
        const qint64 key = invoice(db(), 12700);
        db().execSql(QStringLiteral("UPDATE szla SET penzfizetve=2700 WHERE szla=?"), {key});
        ScriptedDialogs dialogs;
        QVERIFY(PayDocument(db(), dialogs, key, QDate(2026, 2, 1), QStringLiteral("PB-17")));
        QVERIFY(dialogs.asked.isEmpty());
        QCOMPARE(paidFlag(db(), key), QStringLiteral("I"));
        QCOMPARE(paidAmount(db(), key), 12700.0);
        QCOMPARE(db().queryValue(QStringLiteral("SELECT bizonylat FROM szla WHERE szla=?"), {key}).toString(),
                 QStringLiteral("PB-17"));
        QCOMPARE(db().queryValue(QStringLiteral("SELECT dat_fizetve FROM szla WHERE szla=?"), {key})
                     .toString()
                     .left(10),
                 QStringLiteral("2026-02-01"));
        QCOMPARE(db().queryFloat(QStringLiteral("SELECT osszeg FROM cassa"), -1), 10000.0);
        QCOMPARE(cashCount(db()), qint64(1));
    }

    // Refusals change nothing.
    void singleRefused_data() {
        QTest::addColumn<QString>("storno");
        QTest::addColumn<QString>("paid");
        QTest::addColumn<QString>("voucher");
        QTest::addColumn<QString>("message");
        QTest::newRow("storno") << "I" << "N" << "" << kStornoNotPayable;
        QTest::newRow("already paid") << "N" << "I" << "" << "A bizonylat már ki van fizetve.";
        QTest::newRow("voucher too long") << "N" << "N" << QString(26, QLatin1Char('x'))
                                          << "A bizonylat hivatkozása legfeljebb 25 karakter lehet.";
    }
    void singleRefused() {
        QFETCH(QString, storno);
        QFETCH(QString, paid);
        QFETCH(QString, voucher);
        QFETCH(QString, message);
        const qint64 key = invoice(db(), 1000);
        db().execSql(QStringLiteral("UPDATE szla SET storno=?, fizetve=? WHERE szla=?"), {storno, paid, key});
        ScriptedDialogs dialogs;
        dialogs.transactionWatch = &db();
        QVERIFY(!PayDocument(db(), dialogs, key, kToday, voucher));
        QCOMPARE(dialogs.askedOf(QStringLiteral("error")), QStringList{message});
        // Shown once the write lock is given back.
        QCOMPARE(dialogs.shownInTransaction, QStringList());
        QCOMPARE(paidFlag(db(), key), paid);
        QCOMPARE(paidAmount(db(), key), 0.0);
        QCOMPARE(cashCount(db()), qint64(0));
    }

    // A paid document without payment date gets today; one with a date keeps it.
    void missingPaymentDate() {
        const qint64 key = invoice(db(), 1000);
        const qint64 dated = invoice(db(), 1000);
        db().execSql(QStringLiteral("UPDATE szla SET fizetve='I', dat_fizetve=NULL WHERE szla=?"), {key});
        db().execSql(QStringLiteral("UPDATE szla SET fizetve='I', dat_fizetve='2025-01-02' WHERE szla=?"), {dated});
        FillMissingPaymentDate(db(), key, kToday);
        FillMissingPaymentDate(db(), dated, kToday);
        QCOMPARE(ReadPayment(db(), key)->paidOn, kToday);
        QCOMPARE(ReadPayment(db(), dated)->paidOn, QDate(2025, 1, 2));
    }

    // The combined walk: oldest first, the last one partly, one cash entry.
    void combinedWalk_data() {
        QTest::addColumn<double>("amount");
        QTest::addColumn<int>("paidInFull");
        QTest::addColumn<double>("secondPaid");
        QTest::newRow("first in full, second partly") << 15000.0 << 1 << 5000.0;
        QTest::newRow("first partly") << 4000.0 << 0 << 0.0;
        QTest::newRow("exactly the first") << 10000.0 << 1 << 0.0;
        QTest::newRow("both") << 18000.0 << 2 << 8000.0;
    }
    void combinedWalk() {
        QFETCH(double, amount);
        QFETCH(int, paidInFull);
        QFETCH(double, secondPaid);
        const qint64 first = invoice(db(), 10000);
        const qint64 second = invoice(db(), 8000);
        ScriptedDialogs dialogs;
        const CombinedPaymentResult r = PayCustomer(db(), dialogs, 1, amount, qint64(2), kToday);
        QVERIFY(r.done);
        QCOMPARE(r.paidInFull, paidInFull);
        QCOMPARE(paidAmount(db(), first), std::min(amount, 10000.0));
        QCOMPARE(paidFlag(db(), first), amount >= 10000 ? QStringLiteral("I") : QStringLiteral("N"));
        QCOMPARE(paidAmount(db(), second), secondPaid);
        QCOMPARE(paidFlag(db(), second), paidInFull == 2 ? QStringLiteral("I") : QStringLiteral("N"));
        QCOMPARE(cashCount(db()), qint64(1));
        QCOMPARE(db().queryFloat(QStringLiteral("SELECT osszeg FROM cassa"), -1), amount);
    }

    // Credit notes, advances and unposted documents count in the debt;
    // cancelling and proforma documents and storno ones do not; only
    // invoices are settled.
    void debtAndKinds() {
        invoice(db(), 1000);
        invoice(db(), -300, QStringLiteral("J"));
        invoice(db(), 500, QStringLiteral("P"));
        invoice(db(), -1000, QStringLiteral("W"));
        const qint64 storno = invoice(db(), 700);
        db().execSql(QStringLiteral("UPDATE szla SET storno='I' WHERE szla=?"), {storno});
        invoice(db(), 900, QStringLiteral("S"), 2);
        QCOMPARE(CustomerDebt(db(), 1), 700.0);
        QCOMPARE(CustomerDebt(db(), 99), 0.0);
        ScriptedDialogs dialogs;
        dialogs.transactionWatch = &db();
        QVERIFY(!PayCustomer(db(), dialogs, 1, 701, qint64(1), kToday).done);
        QCOMPARE(dialogs.askedOf(QStringLiteral("error")),
                 QStringList{QStringLiteral("Túl nagy szám, legfeljebb 700,0 lehet.")});
        QCOMPARE(dialogs.shownInTransaction, QStringList());
        QCOMPARE(cashCount(db()), qint64(0));
        const CombinedPaymentResult r = PayCustomer(db(), dialogs, 1, 700, qint64(1), kToday);
        QVERIFY(r.done);
        QCOMPARE(r.partlyPaid, std::optional<qint64>(1));
    }

    // A cancelled invoice is not settled, even when it is the oldest: the
    // money goes to the live one.
    void cancelledInvoicesAreSkipped() {
        const qint64 cancelled = invoice(db(), 10000);
        const qint64 live = invoice(db(), 8000);
        db().execSql(QStringLiteral("UPDATE szla SET storno='I', konyvelve='I' WHERE szla=?"), {cancelled});
        QCOMPARE(CustomerDebt(db(), 1), 8000.0);
        ScriptedDialogs dialogs;
        const CombinedPaymentResult r = PayCustomer(db(), dialogs, 1, 8000, qint64(0), kToday);
        QVERIFY(r.done);
        QCOMPARE(r.paidInFull, 1);
        QCOMPARE(paidFlag(db(), live), QStringLiteral("I"));
        QCOMPARE(paidAmount(db(), live), 8000.0);
        QCOMPARE(paidFlag(db(), cancelled), QStringLiteral("N"));
        QCOMPARE(paidAmount(db(), cancelled), 0.0);
        QCOMPARE(CustomerDebt(db(), 1), 0.0);
    }

    // A customer without debt: nothing above 0 can be paid, and 0 itself
    // is no payment.
    void customerWithoutDebt() {
        invoice(db(), 500, QStringLiteral("S"), 2);
        QCOMPARE(CustomerDebt(db(), 1), 0.0);
        QCOMPARE(CombinedAmountProblem(1, 0), std::optional<QString>(QStringLiteral("Túl nagy szám, legfeljebb 0,0 lehet.")));
        QCOMPARE(CombinedAmountProblem(0, 0), std::optional<QString>());
        ScriptedDialogs dialogs;
        QVERIFY(!PayCustomer(db(), dialogs, 1, 1, qint64(0), kToday).done);
        QVERIFY(!PayCustomer(db(), dialogs, 1, 0, qint64(0), kToday).done);
        QCOMPARE(dialogs.askedOf(QStringLiteral("error")),
                 (QStringList{QStringLiteral("Túl nagy szám, legfeljebb 0,0 lehet."), kAmountNotPositive}));
        QCOMPARE(cashCount(db()), qint64(0));
    }

    // Without a desk nothing is booked, the invoices are settled all the same.
    void noDesk() {
        const qint64 key = invoice(db(), 1000);
        ScriptedDialogs dialogs;
        const CombinedPaymentResult r = PayCustomer(db(), dialogs, 1, 1000, std::nullopt, kToday);
        QVERIFY(r.done);
        QCOMPARE(r.cashEntry, qint64(0));
        QCOMPARE(cashCount(db()), qint64(0));
        QCOMPARE(paidFlag(db(), key), QStringLiteral("I"));
    }

    // Amounts not exact in binary: 0.1 + 0.2 paid against 0.3 settles it,
    // and three thirds of 100.01 leave nothing outstanding.
    void toleranceOfBinaryAmounts() {
        const qint64 a = invoice(db(), 0.3);
        db().execSql(QStringLiteral("UPDATE szla SET brutto=0.3 WHERE szla=?"), {a});
        ScriptedDialogs dialogs;
        QVERIFY(PayCustomer(db(), dialogs, 1, 0.1 + 0.2, std::nullopt, kToday).done);
        QCOMPARE(paidFlag(db(), a), QStringLiteral("I"));

        const qint64 b = invoice(db(), 100.01);
        db().execSql(QStringLiteral("UPDATE szla SET brutto=100.01 WHERE szla=?"), {b});
        for (int i = 0; i < 2; ++i)
            QVERIFY(PayCustomer(db(), dialogs, 1, 33.336666666, std::nullopt, kToday).done);
        QCOMPARE(paidFlag(db(), b), QStringLiteral("N"));
        QVERIFY(PayCustomer(db(), dialogs, 1, 100.01 - 2 * 33.336666666, std::nullopt, kToday).done);
        QCOMPARE(paidFlag(db(), b), QStringLiteral("I"));
        QVERIFY(std::fabs(CustomerDebt(db(), 1)) < kPaymentTolerance);
        QVERIFY(dialogs.askedOf(QStringLiteral("error")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(PaymentsTest)
#include "payments_test.moc"
