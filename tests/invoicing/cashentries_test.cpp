// Cash-book entries: balance and voucher number of a desk, the combined
// payment, the voucher guard, and several processes booking on one desk at
// once. The test program runs itself as the writing processes.
#include "PostingFixture.h"
#include "ScriptedDialogs.h"
#include "TestFolders.h"

#include "common/Database.h"
#include "invoicing/CashEntries.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QThread>
#include <QtTest>

using namespace orvix;
using namespace orvix::test;

namespace {

const QDate kToday(2026, 3, 14);
const char* const kChildVariable = "ORVIX_CASH_CHILD";

CashEntry entry(qint64 desk, double signedAmount) {
    CashEntry e;
    e.desk = desk;
    e.date = kToday;
    e.type = signedAmount >= 0 ? QStringLiteral("C") : QStringLiteral("P");
    e.amount = signedAmount;
    e.effect = signedAmount;
    e.partner = QStringLiteral("kézi");
    e.comment = QStringLiteral("kézi");
    return e;
}

// The writing process: ORVIX_CASH_CHILD="folder|desk|count|seed|start",
// start being the moment (ms since the epoch) all writers begin together.
int runChild() {
    const QStringList args = QString::fromUtf8(qgetenv(kChildVariable)).split(QLatin1Char('|'));
    Database db(QStringLiteral("child"));
    db.open(args.value(0));
    const qint64 start = args.value(4).toLongLong();
    while (QDateTime::currentMSecsSinceEpoch() < start)
        QThread::usleep(200);
    const qint64 desk = args.value(1).toLongLong();
    const int count = args.value(2).toInt();
    const int seed = args.value(3).toInt();
    for (int i = 0; i < count; ++i) {
        // Incomes and expenses of different sizes, so that a lost update
        // shows in the chain.
        const double amount = ((i + seed) % 3 == 0 ? -1 : 1) * (100 + seed * 10 + i);
        WriteCashEntry(db, entry(desk, amount));
    }
    return 0;
}

// Every entry's balance is the previous entry's of its desk plus its
// signed effect, and the voucher numbers of a desk run 1..n.
void checkChains(Database& db) {
    QSqlQuery q = db.select(QStringLiteral("SELECT cassak, cassa, bizszam, cassatip, osszeg, penzvan FROM cassa "
                                           "ORDER BY cassak, cassa"));
    qint64 desk = -1;
    double balance = 0;
    QSet<qint64> vouchers;
    const auto closeDesk = [&] {
        for (qint64 v = 1; v <= vouchers.size(); ++v)
            QVERIFY2(vouchers.contains(v), qPrintable(QStringLiteral("desk %1 voucher %2").arg(desk).arg(v)));
    };
    while (q.next()) {
        if (q.value(0).toLongLong() != desk) {
            closeDesk();
            desk = q.value(0).toLongLong();
            balance = 0;
            vouchers.clear();
        }
        const qint64 voucher = q.value(2).toLongLong();
        QVERIFY2(!vouchers.contains(voucher), qPrintable(QStringLiteral("voucher %1 twice").arg(voucher)));
        vouchers.insert(voucher);
        balance += q.value(4).toDouble();
        QVERIFY2(qAbs(q.value(5).toDouble() - balance) < 1e-6,
                 qPrintable(QStringLiteral("entry %1: %2 instead of %3")
                                .arg(q.value(1).toLongLong())
                                .arg(q.value(5).toDouble())
                                .arg(balance)));
    }
    closeDesk();
}

} // namespace

class CashEntriesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataFolder> m_folder;
    Database& db() { return m_folder->db; }

private Q_SLOTS:
    void init() { m_folder = std::make_unique<TempDataFolder>(); }
    void cleanup() { m_folder.reset(); }

    // A desk without entries starts from 0 and voucher 1; each desk counts
    // on its own.
    void balanceAndVoucherPerDesk() {
        const WrittenCashEntry first = WriteCashEntry(db(), entry(0, 5000));
        QCOMPARE(first.voucher, qint64(1));
        QCOMPARE(first.balance, 5000.0);
        const WrittenCashEntry expense = WriteCashEntry(db(), entry(0, -1200));
        QCOMPARE(expense.voucher, qint64(2));
        QCOMPARE(expense.balance, 3800.0);
        const WrittenCashEntry other = WriteCashEntry(db(), entry(1, 70));
        QCOMPARE(other.voucher, qint64(1));
        QCOMPARE(other.balance, 70.0);
        QCOMPARE(DeskBalance(db(), 0), 3800.0);
        QCOMPARE(db().queryFloat(QStringLiteral("SELECT osszeg FROM cassa WHERE cassa=?"), 0, {expense.key}),
                 -1200.0);
        // The balance follows the latest entry, not the latest date.
        CashEntry older = entry(0, 100);
        older.date = QDate(2020, 1, 1);
        QCOMPARE(WriteCashEntry(db(), older).balance, 3900.0);
    }

    // A combined payment: income on the chosen desk, -1 document, the
    // customer's name as partner and comment.
    void combinedPayment() {
        insertRow(db(), QStringLiteral("ugyfel"), {{"ugyfel", 7}, {"ugyfel_nev", QStringLiteral("Őz Bt.")}});
        WriteCashEntry(db(), entry(3, 1000));
        const WrittenCashEntry w = BookCombinedPayment(db(), 3, 7, 2500, kToday);
        QSqlQuery q = db().select(QStringLiteral("SELECT cassatip, osszeg, penzvan, mozgas, mozgaz, prntip, torol, "
                                                 "megjegyzes, ugyfel_nev, bizszam FROM cassa WHERE cassa=?"),
                                  {w.key});
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("B"));
        QCOMPARE(q.value(1).toDouble(), 2500.0);
        QCOMPARE(q.value(2).toDouble(), 3500.0);
        QCOMPARE(q.value(3).toLongLong(), qint64(-1));
        QCOMPARE(q.value(4).toLongLong(), qint64(-1));
        QVERIFY(q.value(5).isNull());
        QCOMPARE(q.value(6).toString(), QStringLiteral("N"));
        QCOMPARE(q.value(7).toString(), QStringLiteral("Őz Bt."));
        QCOMPARE(q.value(8).toString(), QStringLiteral("Őz Bt."));
        QCOMPARE(q.value(9).toLongLong(), qint64(2));
    }

    // Booking a document with an amount (a payment): the amount given, not
    // the gross; nothing for 0 or an unknown document.
    void bookDocumentWithAmount() {
        DocSpec d;
        d.number = 7;
        const qint64 key = addDoc(db(), d, {{QStringLiteral("A"), 1, 1000, 27}});
        const auto w = BookDocument(db(), key, false, 400, kToday);
        QVERIFY(w);
        QCOMPARE(w->balance, 400.0);
        QVERIFY(!BookDocument(db(), key, false, 0, kToday));
        QVERIFY(!BookDocument(db(), 999, true, 0, kToday));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM cassa"), -1), qint64(1));
    }

    // Inside a caller's transaction the entry is part of it: a rollback
    // takes it away with the rest.
    void entryInsideCallersTransaction() {
        {
            Database::Transaction tr(db());
            WriteCashEntry(db(), entry(0, 500));
            QCOMPARE(DeskBalance(db(), 0), 500.0);
        }
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM cassa"), -1), qint64(0));
        Database::Transaction tr(db());
        WriteCashEntry(db(), entry(0, 500));
        tr.commit();
        QCOMPARE(WriteCashEntry(db(), entry(0, 1)).voucher, qint64(2));
    }

    // The voucher guard refuses a voucher number given twice on one desk,
    // whoever writes it.
    void voucherNumberIsUniquePerDesk() {
        WriteCashEntry(db(), entry(0, 10));
        bool refused = false;
        try {
            insertRow(db(), QStringLiteral("cassa"), {{"cassak", 0}, {"bizszam", 1}, {"osszeg", 5.0}});
        } catch (const DbError& e) {
            refused = e.text().contains(QStringLiteral("bizszam"));
        }
        QVERIFY(refused);
        insertRow(db(), QStringLiteral("cassa"), {{"cassak", 1}, {"bizszam", 1}, {"osszeg", 5.0}});
    }

    // Several processes booking on the same desks at once: distinct voucher
    // numbers and an unbroken balance chain.
    void concurrentProcesses() {
        const int processes = 6;
        const int perProcess = 100;
        const qint64 start = QDateTime::currentMSecsSinceEpoch() + 1500;
        std::vector<std::unique_ptr<QProcess>> children;
        for (int i = 0; i < processes; ++i) {
            auto p = std::make_unique<QProcess>();
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QString::fromLatin1(kChildVariable),
                       QStringLiteral("%1|%2|%3|%4|%5")
                           .arg(m_folder->folder)
                           .arg(i % 2)
                           .arg(perProcess)
                           .arg(i + 1)
                           .arg(start));
            p->setProcessEnvironment(env);
            p->setProcessChannelMode(QProcess::ForwardedChannels);
            p->start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(p->waitForStarted());
            children.push_back(std::move(p));
        }
        for (auto& p : children) {
            QVERIFY(p->waitForFinished(240000));
            QCOMPARE(p->exitStatus(), QProcess::NormalExit);
            QCOMPARE(p->exitCode(), 0);
        }
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM cassa"), 0), qint64(processes * perProcess));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT MAX(bizszam) FROM cassa WHERE cassak=0"), 0),
                 qint64(processes / 2 * perProcess));
        checkChains(db());
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet(kChildVariable)) {
        QCoreApplication app(argc, argv);
        try {
            return runChild();
        } catch (const DbError& e) {
            fprintf(stderr, "%s\n", qPrintable(e.text()));
            return 1;
        }
    }
    QCoreApplication app(argc, argv);
    CashEntriesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "cashentries_test.moc"
