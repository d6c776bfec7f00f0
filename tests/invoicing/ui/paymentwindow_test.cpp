// The window "Kifizetés": paying an unpaid document through it, the
// read-only view of a paid one and the refusal of a storno document.
#include "../PostingFixture.h"
#include "ScriptedDialogs.h"
#include "TestFolders.h"

#include "invoicing/Payments.h"
#include "invoicing/ui/Tfrm_Kifizetes.h"

#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace orvix;
using namespace orvix::test;
using namespace orvix::ui;

class PaymentWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TempDataFolder> m_folder;
    Database& db() { return m_folder->db; }
    qint64 invoice() { return addDoc(db(), DocSpec{}, {{QStringLiteral("A"), 1, 5000, 27}}); }

private Q_SLOTS:
    void init() { m_folder = std::make_unique<TempDataFolder>(); }
    void cleanup() { m_folder.reset(); }

    void payThroughWindow() {
        const qint64 key = invoice();
        ScriptedDialogs dialogs;
        QTimer::singleShot(0, qApp, [] {
            auto* w = qobject_cast<Tfrm_Kifizetes*>(QApplication::activeModalWidget());
            QVERIFY(w);
            QCOMPARE(w->windowTitle(), QStringLiteral("Kifizetés"));
            QVERIFY(w->okButton()->isVisibleTo(w));
            w->datum()->setDate(QDate(2026, 1, 5));
            w->bizonylat()->setText(QStringLiteral("B-1"));
            w->okButton()->click();
        });
        QVERIFY(payDocument(nullptr, db(), dialogs, key));
        const auto v = ReadPayment(db(), key);
        QVERIFY(v->paid);
        QCOMPARE(v->paidOn, QDate(2026, 1, 5));
        QCOMPARE(v->paidAmount, 5000.0);
        QCOMPARE(v->voucher.trimmed(), QStringLiteral("B-1"));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM cassa"), -1), qint64(1));
    }

    // A paid document without date gets today at once and is only shown.
    void paidIsReadOnly() {
        const qint64 key = invoice();
        db().execSql(QStringLiteral("UPDATE szla SET fizetve='I', penzfizetve=brutto WHERE szla=?"), {key});
        ScriptedDialogs dialogs;
        QTimer::singleShot(0, qApp, [] {
            auto* w = qobject_cast<Tfrm_Kifizetes*>(QApplication::activeModalWidget());
            QVERIFY(w);
            QVERIFY(!w->okButton()->isVisibleTo(w));
            QVERIFY(!w->datum()->isEnabled());
            QVERIFY(w->bizonylat()->isReadOnly());
            w->reject();
        });
        QVERIFY(!payDocument(nullptr, db(), dialogs, key));
        QCOMPARE(ReadPayment(db(), key)->paidOn, QDate::currentDate());
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM cassa"), -1), qint64(0));
    }

    void stornoRefused() {
        const qint64 key = invoice();
        db().execSql(QStringLiteral("UPDATE szla SET storno='I' WHERE szla=?"), {key});
        ScriptedDialogs dialogs;
        QVERIFY(!payDocument(nullptr, db(), dialogs, key));
        QCOMPARE(dialogs.askedOf(QStringLiteral("error")), QStringList{kStornoNotPayable});
    }
};

QTEST_MAIN(PaymentWindowTest)
#include "paymentwindow_test.moc"
