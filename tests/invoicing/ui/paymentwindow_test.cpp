// The window "Kifizetés": paying an unpaid document through it, Enter and
// the remembered place, "Mégsem", the read-only view of a paid one and the
// refusal of a storno document; the combined payment through the register
// and its real windows (customer chooser, amount input, desk chooser).
#include "../PostingFixture.h"
#include "ScriptedDialogs.h"
#include "TestFolders.h"

#include "core/AppContext.h"
#include "core/ui/MessageBoxes.h"
#include "core/ui/QtDialogs.h"
#include "core/ui/Tfrm_Inp.h"
#include "data/Schema.h"
#include "invoicing/PagedTableModel.h"
#include "invoicing/Payments.h"
#include "invoicing/ui/Tfrm_Kifizetes.h"
#include "invoicing/ui/Tfrm_Main.h"
#include "masters/ui/Tfrm_CodeTable.h"
#include "masters/ui/Tfrm_UgyfelValaszt.h"

#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace orvix;
using namespace orvix::test;
using namespace orvix::ui;

namespace {

// Runs `step` on the modal window of type W once it is shown.
template <class W> void whenShown(const std::function<void(W*)>& step) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        if (auto* w = qobject_cast<W*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            step(w);
        }
    });
    timer->start();
}

// Scripted answers, but the amount is asked in the program's own input
// window.
class AmountWindowDialogs : public ScriptedDialogs {
public:
    std::optional<double> inputQuantity(const QString& caption, const QString& prompt, double initial,
                                        bool wholeOnly, double limit) override {
        ScriptedDialogs::inputQuantity(caption, prompt, initial, wholeOnly, limit);
        return QtDialogs().inputQuantity(caption, prompt, initial, wholeOnly, limit);
    }
};

} // namespace

class PaymentWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TempDataFolder> m_folder;
    Database& db() { return m_folder->db; }
    qint64 invoice() { return addDoc(db(), DocSpec{}, {{QStringLiteral("A"), 1, 5000, 27}}); }

    // The register on a data folder of its own: customer 1 owes 10 000
    // (older) and 8 000, customer 2 owes nothing.
    QTemporaryDir m_tmp;
    int m_run = 0;
    Database* m_db = nullptr;
    qint64 m_older = 0;
    qint64 m_newer = 0;
    std::unique_ptr<Tfrm_Main> openRegister(ScriptedDialogs& dialogs) {
        const QString base = m_tmp.filePath(QString::number(++m_run));
        const QString program = base + QStringLiteral("/program");
        QDir().mkpath(program);
        qputenv("XDG_DATA_HOME", (base + QStringLiteral("/xdg")).toUtf8());
        app() = AppContext{};
        {
            Database fixture(QStringLiteral("fixture"));
            data::createDataFolder(fixture, base + QStringLiteral("/xdg/Orvix_Szamla/Data"));
            for (const auto& [key, name] : {std::pair{1, "Teszt"}, std::pair{2, "Másik"}})
                insertRow(fixture, QStringLiteral("ugyfel"),
                          {{"ugyfel", key}, {"ugyfel_nev", QString::fromUtf8(name)}, {"torolve", QStringLiteral("N")}});
            addProduct(fixture, QStringLiteral("A"));
            DocSpec posted;
            posted.konyvelve = QStringLiteral("I");
            m_older = addDoc(fixture, posted, {{QStringLiteral("A"), 1, 10000, 27}});
            m_newer = addDoc(fixture, posted, {{QStringLiteral("A"), 1, 8000, 27}});
        }
        dialogs.answers = {0};
        auto w = std::make_unique<Tfrm_Main>(dialogs, program);
        if (w->startupEnded())
            return nullptr;
        m_db = w->database();
        w->show();
        w->switchToList(Tfrm_Main::Documents);
        return w;
    }

private Q_SLOTS:
    void init() { m_folder = std::make_unique<TempDataFolder>(); }
    void cleanup() { m_folder.reset(); }

    // Enter in the date moves on to the voucher; Enter there pays.
    void enterMovesOn() {
        const qint64 key = invoice();
        ScriptedDialogs dialogs;
        bool movedOn = false;
        whenShown<Tfrm_Kifizetes>([&](Tfrm_Kifizetes* w) {
            QVERIFY(QTest::qWaitForWindowActive(w));
            QWidget* field = QApplication::focusWidget();
            QVERIFY(field == w->datum() || w->datum()->isAncestorOf(field));
            QTest::keyClick(field, Qt::Key_Return);
            movedOn = w->isVisible() && QApplication::focusWidget() == w->bizonylat() &&
                      !ReadPayment(db(), key)->paid;
            QTest::keyClicks(w->bizonylat(), QStringLiteral("V-9"));
            QTest::keyClick(w->bizonylat(), Qt::Key_Return);
        });
        QVERIFY(payDocument(nullptr, db(), dialogs, key));
        QVERIFY(movedOn);
        QCOMPARE(ReadPayment(db(), key)->voucher.trimmed(), QStringLiteral("V-9"));
    }

    // The window opens where it was left.
    void remembersItsPlace() {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        const QPoint place(area.left() + 70, area.top() + 80);
        const PaymentView view = *ReadPayment(db(), invoice());
        ScriptedDialogs dialogs;
        {
            Tfrm_Kifizetes w(db(), dialogs, view);
            w.show();
            w.move(place);
            w.reject();
        }
        Tfrm_Kifizetes again(db(), dialogs, view);
        QCOMPARE(again.pos(), place);
    }

    // "Mégsem" on an unpaid document leaves it unpaid.
    void cancelLeavesItUnpaid() {
        const qint64 key = invoice();
        db().execSql(QStringLiteral("UPDATE szla SET penzfizetve=1000 WHERE szla=?"), {key});
        ScriptedDialogs dialogs;
        whenShown<Tfrm_Kifizetes>([](Tfrm_Kifizetes* w) {
            w->bizonylat()->setText(QStringLiteral("X-1"));
            w->findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click();
        });
        QVERIFY(!payDocument(nullptr, db(), dialogs, key));
        const auto v = ReadPayment(db(), key);
        QVERIFY(!v->paid);
        QCOMPARE(v->paidAmount, 1000.0);
        QVERIFY(v->voucher.trimmed().isEmpty());
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM cassa"), -1), qint64(0));
    }

    // "Részben, vagy összevont kifizetés" through its windows: the chooser on
    // the current document's customer, the debt offered and the limit kept,
    // the desk, then "Kifizetés kész." with the register on the same
    // document. Without a desk the invoices are settled all the same.
    void combinedPayment_data() {
        QTest::addColumn<bool>("deskChosen");
        QTest::newRow("desk chosen") << true;
        QTest::newRow("desk choice cancelled") << false;
    }
    void combinedPayment() {
        QFETCH(bool, deskChosen);
        AmountWindowDialogs dialogs;
        auto w = openRegister(dialogs);
        QVERIFY(w);
        w->RefreshRegister(m_older);
        QStringList refusals;
        ScopedMessageInterceptor boxes([&](const MessageRequest& r) {
            refusals << r.text;
            return Dialogs::Answer::Yes;
        });
        qint64 preset = -1;
        QString offered, free;
        bool keptOpen = false;
        whenShown<Tfrm_UgyfelValaszt>([&](Tfrm_UgyfelValaszt* chooser) {
            preset = chooser->currentKey();
            whenShown<Tfrm_Inp>([&](Tfrm_Inp* input) {
                offered = input->edit()->text();
                free = input->limitLabel()->text();
                input->edit()->setText(QStringLiteral("18001"));
                keptOpen = !input->tryAccept() && input->isVisible();
                whenShown<Tfrm_CodeTable>([deskChosen](Tfrm_CodeTable* desks) {
                    if (deskChosen)
                        desks->action(QStringLiteral("aElfogad"))->trigger();
                    else
                        desks->reject();
                });
                input->edit()->setText(QStringLiteral("15000"));
                input->tryAccept();
            });
            chooser->action(QStringLiteral("aElfogad"))->trigger();
        });
        w->action(QStringLiteral("aKifizet2"))->trigger();

        QCOMPARE(preset, qint64(1));
        QCOMPARE(offered, QStringLiteral("18 000"));
        QCOMPARE(free, QStringLiteral("Szabad: 18 000"));
        QVERIFY(keptOpen);
        QCOMPARE(refusals, QStringList{"Túl nagy szám, legfeljebb 18 000,0 lehet."});
        QCOMPARE(dialogs.askedOf(QStringLiteral("info")), QStringList{kPaymentDone});
        QCOMPARE(docRow(*m_db, m_older).value("fizetve").toString(), QStringLiteral("I"));
        QCOMPARE(docRow(*m_db, m_newer).value("penzfizetve").toDouble(), 5000.0);
        QCOMPARE(m_db->queryInt(QStringLiteral("SELECT COUNT(*) FROM cassa"), -1), qint64(deskChosen ? 1 : 0));
        if (deskChosen)
            QCOMPARE(m_db->queryFloat(QStringLiteral("SELECT osszeg FROM cassa WHERE mozgas=-1"), -1), 15000.0);
        // The register shows the change, on the document it was on.
        QCOMPARE(w->currentKey(Tfrm_Main::Documents).toLongLong(), m_older);
        QCOMPARE(w->model(Tfrm_Main::Documents)->value(w->currentRow(Tfrm_Main::Documents), QStringLiteral("fizetve"))
                     .toString(),
                 QStringLiteral("I"));
    }

    // A customer without debt: 0 is offered, any positive amount refused,
    // and 0 itself pays nothing (no desk is asked).
    void customerWithoutDebt() {
        AmountWindowDialogs dialogs;
        auto w = openRegister(dialogs);
        QVERIFY(w);
        QStringList refusals;
        ScopedMessageInterceptor boxes([&](const MessageRequest& r) {
            refusals << r.text;
            return Dialogs::Answer::Yes;
        });
        QString offered;
        bool deskAsked = false;
        whenShown<Tfrm_UgyfelValaszt>([&](Tfrm_UgyfelValaszt* chooser) {
            QVERIFY(chooser->setCurrentKey(2));
            whenShown<Tfrm_Inp>([&](Tfrm_Inp* input) {
                offered = input->edit()->text();
                input->edit()->setText(QStringLiteral("100"));
                QVERIFY(!input->tryAccept());
                input->edit()->setText(QStringLiteral("0"));
                input->tryAccept();
            });
            chooser->action(QStringLiteral("aElfogad"))->trigger();
        });
        QTimer deskWatch;
        QObject::connect(&deskWatch, &QTimer::timeout, [&] {
            if (auto* desks = qobject_cast<Tfrm_CodeTable*>(QApplication::activeModalWidget())) {
                deskAsked = true;
                desks->reject();
            }
        });
        deskWatch.start(10);
        w->action(QStringLiteral("aKifizet2"))->trigger();
        deskWatch.stop();
        QCOMPARE(offered, QStringLiteral("0"));
        QCOMPARE(refusals, QStringList{"Túl nagy szám, legfeljebb 0,0 lehet."});
        QCOMPARE(dialogs.askedOf(QStringLiteral("error")), QStringList{kAmountNotPositive});
        QVERIFY(dialogs.askedOf(QStringLiteral("info")).isEmpty());
        QVERIFY(!deskAsked);
        QCOMPARE(m_db->queryInt(QStringLiteral("SELECT COUNT(*) FROM cassa"), -1), qint64(0));
    }

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
