// The customer windows offscreen: the customer window with the new-customer
// defaults, the postcode fill and "OK"; the chooser with its search, keys,
// sorting, choice and soft delete; the delivery-address window and dialog.
#include "ScriptedDialogs.h"
#include "TestFolders.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "masters/ui/Tfrm_CodeTable.h"
#include "masters/ui/Tfrm_SzallitasiCim.h"
#include "masters/ui/Tfrm_SzallitasiCimek.h"
#include "masters/ui/Tfrm_Ugyfel.h"
#include "masters/ui/Tfrm_UgyfelValaszt.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

using namespace orvix;
using orvix::test::ScriptedDialogs;
using orvix::test::TempDataFolder;

namespace {

qint64 addCustomer(Database& db, const QString& name, const QString& fields = {},
                   const QVariantList& values = {}) {
    QStringList marks;
    for (int i = 0; i < values.size(); ++i)
        marks << QStringLiteral(", ?");
    db.execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev, torolve%1) VALUES (?, 'N'%2)")
                   .arg(fields.isEmpty() ? QString() : QStringLiteral(", ") + fields, marks.join(QString())),
               QVariantList{name} + values);
    return db.queryInt(QStringLiteral("SELECT MAX(ugyfel) FROM ugyfel"), 0);
}

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

// Makes the row whose `field` holds `value` current in a code-table window.
void selectRow(Tfrm_CodeTable* w, const QString& field, const QString& value) {
    for (int row = 0; row < w->rowCount(); ++row) {
        w->setCurrentRow(row);
        if (w->currentValues().value(field).toString().trimmed() == value)
            return;
    }
    QFAIL(qPrintable(QStringLiteral("no row with %1 = %2").arg(field, value)));
}

// Types text as key presses; letters beyond ASCII (ő, ű …) are sent with
// their text, as a keyboard layout would.
void typeText(QWidget* widget, const QString& text) {
    for (const QChar ch : text) {
        if (ch.unicode() < 128) {
            QTest::keyClick(widget, char(ch.unicode()));
        } else {
            QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
    }
}

// Types text into a field that has the focus and leaves it with Tab.
void typeAndLeave(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    typeText(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
}

} // namespace

class CustomerWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataFolder> m_folder;
    Database& db() { return m_folder->db; }

    void showAndWait(QWidget& w) {
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }

private Q_SLOTS:
    void init() {
        m_folder = std::make_unique<TempDataFolder>();
        app().settings = Settings();
        app().settings.alapvaros = QStringLiteral("Győr");
        app().settings.alapfiztip = 2;
        app().config.newCustomerName = QString();
        app().config.newCustomerAddress = QString();
    }
    void cleanup() { m_folder.reset(); }

    // Each text field stops at its catalogue width; the bank account leaves
    // room for the separators of its shown form, so a foreign IBAN typed in
    // groups is saved, in its compact form.
    void fieldWidthsAndForeignIban() {
        ScriptedDialogs d;
        Tfrm_Ugyfel w(db(), std::nullopt, nullptr, &d);
        showAndWait(w);
        const std::pair<const char*, int> widths[] = {{"ugyfel_nev", 50}, {"kapcsolat", 30}, {"emil", 75},
                                                      {"kozadoszam", 30}, {"szla_kerulet", 10},
                                                      {"cim_ajto", 15},   {"szla_varos", 25}};
        for (const auto& [field, width] : widths)
            QCOMPARE(w.edit(QLatin1String(field))->maxLength(), width);
        QCOMPARE(qobject_cast<QComboBox*>(w.field(QStringLiteral("szla_kozterulet")))->lineEdit()->maxLength(), 15);

        typeText(w.field(QStringLiteral("ugyfel_nev")), QStringLiteral("Müller GmbH"));
        typeAndLeave(w.edit(QStringLiteral("bankszamla")), QStringLiteral("DE89 3704 0044 0532 0130 00"));
        w.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
        QVERIFY2(d.asked.isEmpty(), qPrintable(d.asked.join('\n')));
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(loadCustomer(db(), w.savedKey())->bankszamla, QStringLiteral("DE89370400440532013000"));
    }

    void newCustomerDefaultsAndPostcodes() {
        addCustomer(db(), QStringLiteral("Hét Kft."), QStringLiteral("ugyfelkod"), {7});
        addCustomer(db(), QStringLiteral("Tizenkettő Kft."), QStringLiteral("ugyfelkod"), {12});
        ScriptedDialogs d;
        Tfrm_Ugyfel w(db(), std::nullopt, nullptr, &d);
        showAndWait(w);
        QCOMPARE(w.windowTitle(), QStringLiteral("Ügyfél adatok szerkesztése"));
        QCOMPARE(QApplication::focusWidget(), w.field(QStringLiteral("ugyfel_nev")));
        QCOMPARE(w.edit(QStringLiteral("ugyfelkod"))->text(), QStringLiteral("13"));
        QCOMPARE(w.edit(QStringLiteral("cim_varos"))->text(), QStringLiteral("Győr"));
        QCOMPARE(w.edit(QStringLiteral("fiztip"))->text(), QStringLiteral("Átutalás"));
        QCOMPARE(w.edit(QStringLiteral("vat"))->text(), QStringLiteral("HUF"));
        QVERIFY(w.findChild<QCheckBox*>(QStringLiteral("afas"))->isChecked());
        QVERIFY(!w.findChild<QCheckBox*>(QStringLiteral("edi"))->isChecked());
        QVERIFY(w.findChild<QRadioButton*>(QStringLiteral("nyelv0"))->isChecked());
        QVERIFY(!w.field(QStringLiteral("engedelyszam"))->isVisible());

        typeText(w.field(QStringLiteral("ugyfel_nev")), QStringLiteral("Árvíztűrő Kft."));

        // Billing postcode 1138 with an empty town: the town and district 13.
        typeAndLeave(w.edit(QStringLiteral("szla_irsz")), QStringLiteral("1138"));
        QCOMPARE(w.edit(QStringLiteral("szla_varos"))->text(), QStringLiteral("Budapest"));
        QCOMPARE(w.edit(QStringLiteral("szla_kerulet"))->text(), QStringLiteral("13"));
        // The postal town holds the default town: it is replaced, no district.
        typeAndLeave(w.edit(QStringLiteral("cim_irsz")), QStringLiteral("2000"));
        QCOMPARE(w.edit(QStringLiteral("cim_varos"))->text(), QStringLiteral("Szentendre"));
        QCOMPARE(w.edit(QStringLiteral("cim_kerulet"))->text(), QString());
        // A town typed by the user stays when the postcode changes.
        typeAndLeave(w.edit(QStringLiteral("szla_varos")), QStringLiteral("Vác"));
        typeAndLeave(w.edit(QStringLiteral("szla_irsz")), QStringLiteral("2000"));
        QCOMPARE(w.edit(QStringLiteral("szla_varos"))->text(), QStringLiteral("Vác"));

        // The copy button brings the whole billing address into the postal one.
        typeAndLeave(w.edit(QStringLiteral("szla_cim")), QStringLiteral("Fő"));
        qobject_cast<QComboBox*>(w.field(QStringLiteral("szla_kozterulet")))
            ->setCurrentText(QStringLiteral("utca"));
        typeAndLeave(w.edit(QStringLiteral("szla_hazszam")), QStringLiteral("12"));
        w.findChild<QPushButton*>(QStringLiteral("btnCimMasol"))->click();
        QCOMPARE(w.edit(QStringLiteral("cim_irsz"))->text(), QStringLiteral("2000"));
        QCOMPARE(w.edit(QStringLiteral("cim_varos"))->text(), QStringLiteral("Vác"));
        QCOMPARE(w.edit(QStringLiteral("cim_kerulet"))->text(), QStringLiteral("13"));
        QCOMPARE(qobject_cast<QComboBox*>(w.field(QStringLiteral("cim_kozterulet")))->currentText(),
                 QStringLiteral("utca"));
        QCOMPARE(w.edit(QStringLiteral("cim_hazszam"))->text(), QStringLiteral("12"));
        QCOMPARE(QApplication::focusWidget(), w.field(QStringLiteral("cim_irsz")));

        // The contact button copies the name.
        w.findChild<QPushButton*>(QStringLiteral("btnNevMasol"))->click();
        QCOMPARE(w.edit(QStringLiteral("kapcsolat"))->text(), QStringLiteral("Árvíztűrő Kft."));

        w.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
        QCOMPARE(d.asked, QStringList());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        const std::optional<Customer> saved = loadCustomer(db(), w.savedKey());
        QVERIFY(saved);
        QCOMPARE(saved->ugyfel_nev, QStringLiteral("Árvíztűrő Kft."));
        QCOMPARE(saved->ugyfelkod, qint64(13));
        QCOMPARE(saved->fiztip, qint64(2));
        QCOMPARE(saved->szla.irsz, QStringLiteral("2000"));
        QCOMPARE(saved->szla.varos, QStringLiteral("Vác"));
        QCOMPARE(saved->szla.kerulet, QStringLiteral("13"));
        QCOMPARE(saved->cim, saved->szla);
    }

    // A refused "OK" (here: "Mégis menti?" answered no) keeps the window open
    // with the entered data; "Mégsem" leaves the folder unchanged.
    void refusedAndCancelled() {
        const qint64 id = addCustomer(db(), QStringLiteral("Régi Kft."), QStringLiteral("adoszam"),
                                      {QStringLiteral("12345676242")});
        ScriptedDialogs d;
        d.answers = {false};
        Tfrm_Ugyfel w(db(), id, nullptr, &d);
        showAndWait(w);
        QCOMPARE(w.edit(QStringLiteral("adoszam"))->text(), QStringLiteral("12345676-2-42"));
        typeAndLeave(w.edit(QStringLiteral("adoszam")), QStringLiteral("12345678-2-42"));
        w.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
        QCOMPARE(d.asked, QStringList{QStringLiteral("question: Kérdés | Az adószám ellenőrző számjegye (a 8. "
                                                     "számjegy) hibás.\nMégis menti?")});
        QVERIFY(w.isVisible());
        QCOMPARE(QApplication::focusWidget(), w.field(QStringLiteral("adoszam")));
        QCOMPARE(w.edit(QStringLiteral("adoszam"))->text(), QStringLiteral("12345678-2-42"));

        typeAndLeave(w.edit(QStringLiteral("ugyfel_nev")), QStringLiteral("Más név"));
        w.findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click();
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QCOMPARE(loadCustomer(db(), id)->ugyfel_nev, QStringLiteral("Régi Kft."));
        QCOMPARE(loadCustomer(db(), id)->adoszam, QStringLiteral("12345676242"));
    }

    // The choose buttons open the payment-method and currency windows on the
    // current value; a choice is stored, closing keeps the old value.
    void paymentMethodAndCurrency() {
        const qint64 id = addCustomer(db(), QStringLiteral("Deviza Kft."), QStringLiteral("fiztip, vat"),
                                      {2, QStringLiteral("HUF")});
        ScriptedDialogs d;
        Tfrm_Ugyfel w(db(), id, nullptr, &d);
        showAndWait(w);
        QCOMPARE(w.edit(QStringLiteral("fiztip"))->text(), QStringLiteral("Átutalás"));

        whenShown<Tfrm_CodeTable>([](Tfrm_CodeTable* t) {
            QCOMPARE(t->currentValues().value(QStringLiteral("fiztip")).toInt(), 2);
            selectRow(t, QStringLiteral("fiztip_nev"), QStringLiteral("Készpénz"));
            t->action(QStringLiteral("aElfogad"))->trigger();
        });
        w.findChild<QPushButton*>(QStringLiteral("btnFiztip"))->click();
        QCOMPARE(w.edit(QStringLiteral("fiztip"))->text(), QStringLiteral("Készpénz"));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblFiztipInfo"))->text(),
                 QStringLiteral("azonnali fizetés"));
        QCOMPARE(w.focusWidget(), w.findChild<QPushButton*>(QStringLiteral("btnVat")));

        whenShown<Tfrm_CodeTable>([](Tfrm_CodeTable* t) {
            selectRow(t, QStringLiteral("vat"), QStringLiteral("EUR"));
            t->action(QStringLiteral("aElfogad"))->trigger();
        });
        w.findChild<QPushButton*>(QStringLiteral("btnVat"))->click();
        QCOMPARE(w.edit(QStringLiteral("vat"))->text(), QStringLiteral("EUR"));
        QCOMPARE(w.focusWidget(), w.findChild<QCheckBox*>(QStringLiteral("afas")));

        // Closed without a choice: the currency stays.
        whenShown<Tfrm_CodeTable>([](Tfrm_CodeTable* t) { t->reject(); });
        w.findChild<QPushButton*>(QStringLiteral("btnVat"))->click();
        QCOMPARE(w.edit(QStringLiteral("vat"))->text(), QStringLiteral("EUR"));

        w.ok();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(loadCustomer(db(), id)->fiztip, qint64(1));
        QCOMPARE(loadCustomer(db(), id)->vat, QStringLiteral("EUR"));
    }

    void chooser() {
        const qint64 csiga =
            addCustomer(db(), QStringLiteral("Csiga Kft."), QStringLiteral("mobil, kedvezmeny"),
                        {QStringLiteral("+36 30 061 2345"), 12.5});
        const qint64 arviz =
            addCustomer(db(), QStringLiteral("Árvíztűrő Bt."), QStringLiteral("ugyfelkod"), {9});
        const qint64 cukor =
            addCustomer(db(), QStringLiteral("Cukor Zrt."), QStringLiteral("ugyfelkod"), {3});
        const qint64 deleted = addCustomer(db(), QStringLiteral("Törölt 06 Kft."));
        db().execSql(QStringLiteral("UPDATE ugyfel SET torolve='I' WHERE ugyfel=?"), {deleted});

        ScriptedDialogs d;
        Tfrm_UgyfelValaszt w(db(), cukor, nullptr, &d);
        w.resize(700, 400);
        showAndWait(w);
        QCOMPARE(w.windowTitle(), QStringLiteral("Ügyfél választása"));
        QCOMPARE(w.shownKeys(), (QList<qint64>{arviz, cukor, csiga}));
        QCOMPARE(w.currentKey(), cukor);
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblPozicio"))->text(), QStringLiteral("3: 2"));
        QCOMPARE(w.grid()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("név"));
        QVERIFY(w.grid()->isColumnHidden(Tfrm_UgyfelValaszt::ColumnCount));

        // A click on the customer-code title sorts by it and focuses the search box.
        QHeaderView* header = w.grid()->horizontalHeader();
        const int x = header->sectionViewportPosition(Tfrm_UgyfelValaszt::ColUgyfelkod) + 5;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
        QCOMPARE(w.sortColumn(), int(Tfrm_UgyfelValaszt::ColUgyfelkod));
        QCOMPARE(w.shownKeys(), (QList<qint64>{csiga, cukor, arviz}));
        QCOMPARE(w.currentKey(), cukor);
        QCOMPARE(QApplication::focusWidget(), w.searchBox());

        // A letter typed on the grid starts the search anew in lower case.
        w.grid()->setFocus();
        QTest::keyClick(w.grid(), Qt::Key_A, Qt::ShiftModifier);
        QCOMPARE(w.searchBox()->text(), QStringLiteral("a"));
        QCOMPARE(QApplication::focusWidget(), w.searchBox());
        QCOMPARE(w.shownKeys(), (QList<qint64>{csiga, arviz})); // "Árvíz" found by its "a"

        // The mobile-number digits find the customer; the deleted one stays hidden.
        w.searchBox()->clear();
        typeText(w.searchBox(), QStringLiteral("06"));
        QCOMPARE(w.shownKeys(), QList<qint64>{csiga});
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblPozicio"))->text(), QStringLiteral("1: 1"));
        QTest::keyClick(w.searchBox(), Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), w.grid());

        // Enter accepts with the name and the discount.
        QTest::keyClick(w.grid(), Qt::Key_Return);
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(w.choice().ugyfel, csiga);
        QCOMPARE(w.choice().ugyfel_nev, QStringLiteral("Csiga Kft."));
        QCOMPARE(w.choice().kedvezmeny, 12.5);
    }

    void chooserDelete() {
        const qint64 a = addCustomer(db(), QStringLiteral("Alfa Kft."));
        const qint64 b = addCustomer(db(), QStringLiteral("Béta Kft."));
        db().execSql(
            QStringLiteral("INSERT INTO szla (ugyfel, ugyfel_nev, prntip, szlaszam) VALUES (?, ?, 'S', 1)"),
            {a, QStringLiteral("Alfa Kft.")});
        ScriptedDialogs d;
        d.answers = {false, true};
        Tfrm_UgyfelValaszt w(db(), a, nullptr, &d);
        showAndWait(w);
        QTest::keyClick(w.grid(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(w.shownKeys(), (QList<qint64>{a, b}));
        QTest::keyClick(w.grid(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(d.asked,
                 (QStringList{QStringLiteral("question: Megerősítés | Valóban töröljem az ügyfelet?"),
                              QStringLiteral("question: Megerősítés | Valóban töröljem az ügyfelet?")}));
        QCOMPARE(w.shownKeys(), QList<qint64>{b});
        QCOMPARE(w.currentKey(), b);
        // The row stays, marked; the document keeps the name.
        QCOMPARE(db().queryText(QStringLiteral("SELECT torolve FROM ugyfel WHERE ugyfel=?"), {}, {a}),
                 QStringLiteral("I"));
        QCOMPARE(db().queryText(QStringLiteral("SELECT ugyfel_nev FROM szla"), {}),
                 QStringLiteral("Alfa Kft."));
    }

    void deliveryAddresses_data() {
        QTest::addColumn<bool>("chooseMode");
        QTest::newRow("maintenance") << false;
        QTest::newRow("choose") << true;
    }
    void deliveryAddresses() {
        QFETCH(bool, chooseMode);
        const qint64 owner =
            addCustomer(db(), QStringLiteral("Gép Kft."), QStringLiteral("cim_irsz, cim_varos, cim_cim"),
                        {QStringLiteral("9021"), QStringLiteral("Győr"), QStringLiteral("Baross út 3.")});
        ScriptedDialogs d;
        Tfrm_SzallitasiCimek w(db(), owner, chooseMode, -1, nullptr, &d);
        w.resize(600, 300);
        showAndWait(w);
        QCOMPARE(w.windowTitle(), QStringLiteral("További szállítási címek"));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblUgyfel"))->text(), QStringLiteral("Gép Kft."));
        QCOMPARE(w.action(QStringLiteral("aElfogad"))->isVisible(), chooseMode);
        QCOMPARE(w.model()->rowCount(), 0);

        // "Központ hozzá" (Ctrl+Insert) adds the postal address at once.
        QTest::keyClick(w.grid(), Qt::Key_Insert, Qt::ControlModifier);
        QCOMPARE(w.model()->rowCount(), 1);
        QCOMPARE(w.model()->item(0, 0)->text(), QStringLiteral("Gép Kft."));
        QCOMPARE(w.model()->item(0, 3)->text(), QStringLiteral("Baross út 3."));
        QCOMPARE(w.positionText(), QStringLiteral("1: 1"));

        QTest::keyClick(w.grid(), Qt::Key_Return, Qt::ControlModifier);
        if (chooseMode) {
            QCOMPARE(w.result(), int(QDialog::Accepted));
            QCOMPARE(w.chosen(), w.currentKey());
            QCOMPARE(deliveryAddressName(db(), w.chosen()), QStringLiteral("Gép Kft."));
        } else {
            QVERIFY(w.isVisible());
            QCOMPARE(w.chosen(), qint64(-1));
        }
    }

    void deliveryAddressDialog() {
        const qint64 owner = addCustomer(db(), QStringLiteral("Gép Kft."));
        ScriptedDialogs d;
        Tfrm_SzallitasiCim w(db(), newDeliveryAddress(db(), owner), nullptr, &d);
        showAndWait(w);
        QCOMPARE(w.windowTitle(), QStringLiteral("Szállítási cím"));
        QCOMPARE(w.edit(QStringLiteral("nev"))->text(), QStringLiteral("Gép Kft."));
        w.edit(QStringLiteral("nev"))->clear();
        w.ok();
        QCOMPARE(d.asked, QStringList{QStringLiteral("error: Adja meg a címzéshez a nevet!")});
        QCOMPARE(QApplication::focusWidget(), w.edit(QStringLiteral("nev")));

        typeAndLeave(w.edit(QStringLiteral("nev")), QStringLiteral("Raktár"));
        typeAndLeave(w.edit(QStringLiteral("irsz")), QStringLiteral("1138"));
        QCOMPARE(w.edit(QStringLiteral("varos"))->text(), QStringLiteral("Budapest"));
        w.ok();
        QCOMPARE(d.asked.last(), QStringLiteral("error: Adja meg a címzéshez a címet!"));
        QCOMPARE(QApplication::focusWidget(), w.edit(QStringLiteral("cim")));
        typeText(w.edit(QStringLiteral("cim")), QStringLiteral("Váci út 1."));
        // Enter in the last field confirms.
        QTest::keyClick(w.edit(QStringLiteral("cim")), Qt::Key_Return);
        QCOMPARE(w.result(), int(QDialog::Accepted));
        const std::vector<DeliveryAddress> rows = listDeliveryAddresses(db(), owner);
        QCOMPARE(int(rows.size()), 1);
        QCOMPARE(rows.front().varos, QStringLiteral("Budapest"));
        QCOMPARE(rows.front().cim, QStringLiteral("Váci út 1."));
    }
};

QTEST_MAIN(CustomerWindowsTest)
#include "customerwindows_test.moc"
