// The code-table windows offscreen: maintain and choose mode, the rights
// rules of the members, the search box and typing on the grid, sorting by a
// column title, the edit window with its checks, the cash desk button of the
// payment methods, and the tariff window's two pages.
#include "ScriptedDialogs.h"
#include "TestFolders.h"
#include "core/AppContext.h"
#include "core/ui/MessageBoxes.h"
#include "masters/ui/Tfrm_CodeTable.h"
#include "masters/ui/Tfrm_CodeTableEdit.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <functional>

using namespace orvix;
using orvix::test::ScriptedDialogs;
using orvix::test::TempDataFolder;

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

QString cell(const Tfrm_CodeTable& w, int row, int column) {
    return w.model()->index(row, column).data().toString();
}

QStringList column(const Tfrm_CodeTable& w, int c) {
    QStringList out;
    for (int row = 0; row < w.rowCount(); ++row)
        out << cell(w, row, c);
    return out;
}

QLineEdit* lineEdit(Tfrm_CodeTableEdit* e, const char* field) {
    return qobject_cast<QLineEdit*>(e->fieldWidget(QLatin1String(field)));
}

// An accented letter typed on a widget (keyClicks takes ASCII only).
void typeLetter(QWidget* widget, Qt::Key key, const QString& text) {
    QTest::sendKeyEvent(QTest::Click, widget, key, text, Qt::NoModifier);
}

// A key pressed on the grid of the window, made active again first (after an
// edit window or a message it may not be active yet offscreen).
void keyOn(Tfrm_CodeTable& w, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(w.grid(), key, modifiers);
}

void clickTitle(QTableView* grid, int column) {
    QHeaderView* header = grid->horizontalHeader();
    const int x = header->sectionViewportPosition(column) + 5;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

} // namespace

class CodeTableWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataFolder> m_folder;
    Database& db() { return m_folder->db; }

    void showAndWait(QWidget& w) {
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }

    void setUser(bool admin, bool write) {
        app().user.rendszergazda = admin;
        app().user.iras = write;
    }

private Q_SLOTS:
    void init() {
        m_folder = std::make_unique<TempDataFolder>();
        setUser(true, true);
        for (const auto& [code, name] : {std::pair{"K2", "kellék"},
                                         {"A1", "Alkatrész"},
                                         {"K1", "Könyv"},
                                         {"SZ", "Szolgáltatás"},
                                         {"É", "Élelmiszer"}})
            db().execSql(QStringLiteral("INSERT INTO kategoria (kategoria, kategoria_nev) VALUES (?, ?)"),
                         {QString::fromUtf8(code), QString::fromUtf8(name)});
    }
    void cleanup() {
        m_folder.reset();
        setUser(true, true);
    }

    void maintainPaymentMethods() {
        ScriptedDialogs d;
        Tfrm_CodeTable w(db(), CodeTableId::PaymentMethods, CodeTableMode::Maintain, {}, nullptr, &d);
        w.resize(600, 300);
        showAndWait(w);
        QCOMPARE(w.windowTitle(), QStringLiteral("Fizetési módok"));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblPanel"))->text(),
                 QStringLiteral("Fizetési módok  "));
        QCOMPARE(column(w, 0), (QStringList{"Átutalás", "Bankkártya", "Készpénz"}));
        QCOMPARE(w.model()->index(2, 1).data(Qt::CheckStateRole).toInt(),
                 int(Qt::Checked)); // Készpénz paid at once
        QCOMPARE(w.model()->index(0, 1).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QCOMPARE(cell(w, 0, 2), QStringLiteral("8"));
        QCOMPARE(w.model()->index(0, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 185));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblPozicio"))->text(), QStringLiteral("3: 1"));
        QTRY_COMPARE(w.grid()->columnWidth(0), w.grid()->width() - 271);
        QVERIFY(!w.action(QStringLiteral("aElfogad"))->isVisible());
        QCOMPARE(w.action(QStringLiteral("aTorol"))->text(), QStringLiteral("Sor törlése"));

        // "Új sor" opens the edit window on the defaults; saved unchanged but for the name.
        QString title;
        bool paid = true;
        bool rounding = true;
        QString term;
        QString desk;
        whenShown<Tfrm_CodeTableEdit>([&](Tfrm_CodeTableEdit* e) {
            title = e->windowTitle();
            paid = qobject_cast<QCheckBox*>(e->fieldWidget(QStringLiteral("fizetve")))->isChecked();
            rounding = qobject_cast<QCheckBox*>(e->fieldWidget(QStringLiteral("kellkerek")))->isChecked();
            term = lineEdit(e, "fizhat")->text();
            desk = lineEdit(e, "cassak")->text();
            lineEdit(e, "fiztip_nev")->setText(QStringLiteral("Utánvét"));
            e->okButton()->click();
        });
        keyOn(w, Qt::Key_Insert);
        QCOMPARE(title, QStringLiteral("Fizetési mód szerkesztése"));
        QVERIFY(!paid);
        QVERIFY(!rounding);
        QCOMPARE(term, QStringLiteral("0"));
        QCOMPARE(desk, QStringLiteral("Alap kassza"));
        QCOMPARE(w.currentValues().value(QStringLiteral("fiztip_nev")).toString(), QStringLiteral("Utánvét"));
        QCOMPARE(w.positionText(), QStringLiteral("4: 4"));
        QSqlQuery q = db().select(QStringLiteral("SELECT fizhat, fizetve, kellkerek, cassak FROM fiztip "
                                                 "WHERE fiztip_nev='Utánvét'"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 0);
        QCOMPARE(q.value(1).toString(), QStringLiteral("N"));
        QCOMPARE(q.value(2).toString(), QStringLiteral("N"));
        QCOMPARE(q.value(3).toInt(), 0);

        // "Szerkeszt" (F2): immediate payment stores no term; the desk button chooses a desk.
        db().execSql(
            QStringLiteral("INSERT INTO cassak (cassak, cassak_nev, vat) VALUES (3, 'Bolti kassza', 'HUF')"));
        w.setCurrentRow(0); // Átutalás
        bool focusOnOk = false;
        whenShown<Tfrm_CodeTableEdit>([&](Tfrm_CodeTableEdit* e) {
            qobject_cast<QCheckBox*>(e->fieldWidget(QStringLiteral("fizetve")))->setChecked(true);
            lineEdit(e, "fizhat")->setText(QStringLiteral("30"));
            whenShown<Tfrm_CodeTable>([](Tfrm_CodeTable* chooser) {
                QVERIFY(chooser->action(QStringLiteral("aElfogad"))->isVisible());
                chooser->setCurrentRow(1); // Alap kassza, Bolti kassza
                QTest::keyClick(chooser->grid(), Qt::Key_Return);
            });
            e->cashDeskButton()->click();
            desk = lineEdit(e, "cassak")->text();
            focusOnOk = e->focusWidget() == e->okButton();
            e->okButton()->click();
        });
        keyOn(w, Qt::Key_F2);
        QCOMPARE(desk, QStringLiteral("Bolti kassza"));
        QVERIFY(focusOnOk);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT fizhat FROM fiztip WHERE fiztip=2"), -1), 0);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT cassak FROM fiztip WHERE fiztip=2"), -1), 3);

        // "Mégsem" stores nothing.
        whenShown<Tfrm_CodeTableEdit>([&](Tfrm_CodeTableEdit* e) {
            lineEdit(e, "fiztip_nev")->setText(QStringLiteral("Más"));
            e->reject();
        });
        keyOn(w, Qt::Key_F2);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM fiztip WHERE fiztip_nev='Más'"), -1), 0);

        // Ctrl+Del asks and deletes.
        w.setCurrentRow(3); // Utánvét
        d.answers = {true};
        keyOn(w, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(d.asked.last(), QStringLiteral("question: Megerősítés | Valóban töröljem a sort?"));
        QCOMPARE(w.rowCount(), 3);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM fiztip"), 0), 3);

        // Enter does not accept in maintain mode; Esc closes.
        keyOn(w, Qt::Key_Return);
        QVERIFY(w.isVisible());
        keyOn(w, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        QVERIFY(!w.acceptedRow());
    }

    void chooseMode() {
        ScriptedDialogs d;
        {
            Tfrm_CodeTable w(db(), CodeTableId::PaymentMethods, CodeTableMode::Choose, 3, nullptr, &d);
            showAndWait(w);
            QVERIFY(w.action(QStringLiteral("aElfogad"))->isVisible());
            QCOMPARE(w.currentValues().value(QStringLiteral("fiztip")).toInt(), 3);
            QCOMPARE(w.positionText(), QStringLiteral("3: 2"));
            w.setCurrentRow(0);
            keyOn(w, Qt::Key_Return);
            QVERIFY(!w.isVisible());
            QCOMPARE(w.result(), int(QDialog::Accepted));
            QCOMPARE(w.acceptedKey()->toInt(), 2);
            const PaymentMethodChoice choice = paymentMethodChoice(*w.acceptedRow());
            QCOMPARE(choice.fizetve, QStringLiteral("N"));
            QCOMPARE(choice.fizhat, 8);
        }
        {
            // Esc leaves the caller without a choice.
            Tfrm_CodeTable w(db(), CodeTableId::Categories, CodeTableMode::Choose, QStringLiteral("k"),
                             nullptr, &d);
            showAndWait(w);
            QCOMPARE(w.currentValues().value(QStringLiteral("kategoria")).toString(), QStringLiteral("K1"));
            keyOn(w, Qt::Key_Escape);
            QVERIFY(!w.acceptedRow());
        }
        // The entry point: a double click accepts in choose mode.
        whenShown<Tfrm_CodeTable>([](Tfrm_CodeTable* w) {
            const QModelIndex index = w->model()->index(1, 0);
            w->grid()->setCurrentIndex(index);
            Q_EMIT w->grid()->doubleClicked(index);
            if (w->isVisible())
                w->reject(); // a failed double click must not leave the chooser open
        });
        QCOMPARE(openCodeTable(nullptr, db(), CodeTableId::Currencies, CodeTableMode::Choose,
                               QStringLiteral("HUF")),
                 std::optional<QVariant>(QStringLiteral("HUF"))); // EUR, HUF, USD
        whenShown<Tfrm_CodeTable>([](Tfrm_CodeTable* w) { w->action(QStringLiteral("aBezar"))->trigger(); });
        QVERIFY(!chooseCashMovementType(nullptr, db(), QStringLiteral("K")));
        whenShown<Tfrm_CodeTable>([](Tfrm_CodeTable* w) { QTest::keyClick(w->grid(), Qt::Key_Return); });
        const std::optional<CashMovementTypeChoice> type =
            chooseCashMovementType(nullptr, db(), QStringLiteral("K"));
        QVERIFY(type);
        QCOMPARE(type->code, QStringLiteral("K"));
        QCOMPARE(type->szorzo, -1);
    }

    void rightsOfTheMembers() {
        QStringList shown;
        ui::ScopedMessageInterceptor intercept([&](const ui::MessageRequest& r) {
            shown << r.text;
            return Dialogs::Answer::Yes;
        });
        setUser(true, false); // an administrator without the master-data right

        // Categories, units and origins are refused from the main menu.
        for (CodeTableId id : {CodeTableId::Categories, CodeTableId::Units, CodeTableId::Origins})
            QVERIFY(!openCodeTable(nullptr, db(), id, CodeTableMode::Maintain));
        QCOMPARE(shown, QStringList(3, QStringLiteral("Nincs jogosultság a művelethez.")));
        QVERIFY(!QApplication::activeModalWidget());

        // Payment methods open, but new, edit and delete are refused.
        shown.clear();
        {
            Tfrm_CodeTable w(db(), CodeTableId::PaymentMethods, CodeTableMode::Maintain);
            showAndWait(w);
            QVERIFY(w.action(QStringLiteral("aUjsor"))->isVisible());
            // Any edit window that opened anyway is recorded and closed.
            bool editOpened = false;
            QTimer guard;
            guard.setInterval(10);
            connect(&guard, &QTimer::timeout, [&] {
                if (auto* e = qobject_cast<Tfrm_CodeTableEdit*>(QApplication::activeModalWidget())) {
                    editOpened = true;
                    e->reject();
                }
            });
            guard.start();
            keyOn(w, Qt::Key_Insert);
            keyOn(w, Qt::Key_F2);
            keyOn(w, Qt::Key_Delete, Qt::ControlModifier);
            QTest::qWait(50);
            QVERIFY(!editOpened);
            QCOMPARE(shown, QStringList(3, QStringLiteral("Nincs jogosultság a művelethez.")));
            QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM fiztip"), 0), 3);
        }

        // A chooser of origins does not let such a user delete either.
        shown.clear();
        db().execSql(
            QStringLiteral("INSERT INTO szarmazas (szarmazas, szarmazas_nev) VALUES ('HU', 'Magyar')"));
        {
            Tfrm_CodeTable w(db(), CodeTableId::Origins, CodeTableMode::Choose);
            showAndWait(w);
            keyOn(w, Qt::Key_Delete, Qt::ControlModifier);
            QCOMPARE(shown, QStringList{QStringLiteral("Nincs jogosultság a művelethez.")});
            QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szarmazas"), 0), 1);
        }

        // Cash desks: changes need the administrator right; the actions are hidden from a
        // user with neither right and in the view-only chooser.
        shown.clear();
        setUser(false, true);
        {
            Tfrm_CodeTable w(db(), CodeTableId::CashDesks, CodeTableMode::Maintain);
            showAndWait(w);
            QCOMPARE(w.action(QStringLiteral("aTorol"))->text(), QStringLiteral("Töröl"));
            QVERIFY(w.action(QStringLiteral("aUjsor"))->isVisible());
            keyOn(w, Qt::Key_Insert);
            QCOMPARE(shown, QStringList{QStringLiteral("Nincs jogosultság a művelethez.")});
        }
        setUser(false, false);
        {
            Tfrm_CodeTable w(db(), CodeTableId::CashDesks, CodeTableMode::Maintain);
            showAndWait(w);
            QVERIFY(!w.action(QStringLiteral("aUjsor"))->isVisible());
            QVERIFY(!w.action(QStringLiteral("aSzerkeszt"))->isVisible());
            QVERIFY(!w.action(QStringLiteral("aTorol"))->isVisible());
        }
        setUser(true, true);
        {
            Tfrm_CodeTable w(db(), CodeTableId::CashDesks, CodeTableMode::ChooseOnly);
            showAndWait(w);
            QVERIFY(!w.action(QStringLiteral("aUjsor"))->isVisible());
            QVERIFY(w.action(QStringLiteral("aElfogad"))->isVisible());
        }
        // Document types: only edit, close and accept.
        {
            Tfrm_CodeTable w(db(), CodeTableId::DocumentTypes, CodeTableMode::Maintain);
            showAndWait(w);
            QVERIFY(!w.action(QStringLiteral("aUjsor"))->isVisible());
            QVERIFY(!w.action(QStringLiteral("aTorol"))->isVisible());
            QVERIFY(w.action(QStringLiteral("aSzerkeszt"))->isVisible());
            QVERIFY(!w.searchBox());
        }
    }

    void searchAndSort() {
        ScriptedDialogs d;
        Tfrm_CodeTable w(db(), CodeTableId::Categories, CodeTableMode::Maintain, {}, nullptr, &d);
        showAndWait(w);
        QCOMPARE(column(w, 0), (QStringList{"A1", "É", "K1", "K2", "SZ"}));
        QCOMPARE(w.sortField(), QStringLiteral("kategoria"));

        // A click on the name title sorts by name, highlights it and moves to the search box.
        w.setCurrentRow(2); // K1 Könyv
        clickTitle(w.grid(), 1);
        QCOMPARE(w.sortField(), QStringLiteral("kategoria_nev"));
        QCOMPARE(column(w, 1), (QStringList{"Alkatrész", "Élelmiszer", "kellék", "Könyv", "Szolgáltatás"}));
        QCOMPARE(w.currentValues().value(QStringLiteral("kategoria")).toString(), QStringLiteral("K1"));
        QCOMPARE(w.model()->index(0, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 185));
        QVERIFY(!w.model()->index(0, 0).data(Qt::BackgroundRole).isValid());
        QTRY_VERIFY(w.searchBox()->hasFocus());

        // Typing "k" on the grid starts a search for "k" on the sort field.
        w.grid()->setFocus();
        w.setCurrentRow(0);
        QTest::keyClicks(w.grid(), QStringLiteral("K"));
        QVERIFY(w.searchBox()->hasFocus());
        QCOMPARE(w.searchBox()->text(), QStringLiteral("k"));
        QCOMPARE(w.searchBox()->cursorPosition(), 1);
        QVERIFY(!w.searchBox()->hasSelectedText());
        QCOMPARE(w.currentValues().value(QStringLiteral("kategoria_nev")).toString(),
                 QStringLiteral("kellék"));
        typeLetter(w.searchBox(), Qt::Key_Odiaeresis, QStringLiteral("ö"));
        QCOMPARE(w.currentValues().value(QStringLiteral("kategoria_nev")).toString(),
                 QStringLiteral("Könyv"));
        QCOMPARE(w.positionText(), QStringLiteral("5: 4"));
        // An accented letter typed on the grid starts a search too; Enter goes back to the grid.
        QTest::keyClick(w.searchBox(), Qt::Key_Return);
        QVERIFY(w.grid()->hasFocus());
        typeLetter(w.grid(), Qt::Key_Eacute, QStringLiteral("é"));
        QCOMPARE(w.currentValues().value(QStringLiteral("kategoria")).toString(), QStringLiteral("É"));
        // Ctrl+F selects the whole text of the box.
        QTest::keyClick(w.searchBox(), Qt::Key_Down);
        keyOn(w, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(w.searchBox()->hasFocus());
        QTRY_COMPARE(w.searchBox()->selectedText(), QStringLiteral("é"));
    }

    void editWindowChecks() {
        ScriptedDialogs d;
        Tfrm_CodeTable w(db(), CodeTableId::Currencies, CodeTableMode::Maintain, {}, nullptr, &d);
        showAndWait(w);
        QStringList errors;
        bool stayedOpen = false;
        QString typedCode;
        whenShown<Tfrm_CodeTableEdit>([&](Tfrm_CodeTableEdit* e) {
            QCOMPARE(e->windowTitle(), QStringLiteral("Devizanem"));
            QTest::keyClicks(lineEdit(e, "vat"), QStringLiteral("chf"));
            typedCode = lineEdit(e, "vat")->text();
            lineEdit(e, "bankszamla")->setText(QStringLiteral("10032000-06056354"));
            d.answers = {false}; // "Mégis menti?" no
            e->okButton()->click();
            stayedOpen = e->isVisible();
            errors = d.askedOf(QStringLiteral("question"));
            lineEdit(e, "bankszamla")->setText(QStringLiteral("10032000-06056353"));
            e->okButton()->click();
        });
        keyOn(w, Qt::Key_Insert);
        QCOMPARE(typedCode, QStringLiteral("CHF"));
        QVERIFY(stayedOpen);
        QCOMPARE(errors, QStringList{QStringLiteral(
                             "Kérdés | A bankszámlaszám ellenőrző számjegye hibás.\nMégis menti?")});
        QCOMPARE(db().queryText(QStringLiteral("SELECT bankszamla FROM vat WHERE vat='CHF'"), {}),
                 QStringLiteral("10032000-06056353"));
        QCOMPARE(w.currentValues().value(QStringLiteral("vat")).toString(), QStringLiteral("CHF"));

        // A duplicate key keeps the window open with what was typed.
        d.asked.clear();
        QString kept;
        whenShown<Tfrm_CodeTableEdit>([&](Tfrm_CodeTableEdit* e) {
            lineEdit(e, "vat")->setText(QStringLiteral("EUR"));
            e->okButton()->click();
            kept = lineEdit(e, "vat")->text();
            e->reject();
        });
        keyOn(w, Qt::Key_Insert);
        QCOMPARE(kept, QStringLiteral("EUR"));
        QCOMPARE(d.asked,
                 QStringList{QStringLiteral(
                     "error: Hiányos, vagy hibás adatmegadás\nDevizanem „EUR” már szerepel a táblában.")});
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM vat"), 0), 4);
    }

    void cashMovementTypes() {
        ScriptedDialogs d;
        Tfrm_CodeTable w(db(), CodeTableId::CashMovementTypes, CodeTableMode::Maintain, {}, nullptr, &d);
        showAndWait(w);
        QCOMPARE(w.windowTitle(), QStringLiteral("Kassza típusok"));
        QCOMPARE(column(w, 0), (QStringList{"B", "C", "K", "P", "V"}));
        QCOMPARE(cell(w, 2, 2), QStringLiteral("Kiadás"));
        whenShown<Tfrm_CodeTableEdit>([&](Tfrm_CodeTableEdit* e) {
            QCOMPARE(e->windowTitle(), QStringLiteral("Kassza típus szerkesztés"));
            QTest::keyClicks(lineEdit(e, "cassatip"), QStringLiteral("s"));
            lineEdit(e, "cassatip_nev")->setText(QStringLiteral("Selejtezés"));
            qobject_cast<QComboBox*>(e->fieldWidget(QStringLiteral("szorzo")))->setCurrentIndex(1);
            e->okButton()->click();
        });
        keyOn(w, Qt::Key_Insert);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT szorzo FROM cassatip WHERE cassatip='S'"), 0), -1);
        QCOMPARE(w.currentValues().value(QStringLiteral("cassatip")).toString(), QStringLiteral("S"));
        // "B" cannot be deleted: the automatic entries need it.
        w.setCurrentRow(0);
        keyOn(w, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(d.asked.last(), QStringLiteral("error: ") + kProtectedCashTypeMessage);
        QCOMPARE(w.rowCount(), 6);
    }

    void tariffPages() {
        db().execSql(
            QStringLiteral("INSERT INTO vtsz (vtsz, vtsz_nev) VALUES ('84713000', 'Hordozható gépek')"));
        db().execSql(QStringLiteral("INSERT INTO vtsz (vtsz, vtsz_nev) VALUES ('94036010', 'Bútor')"));
        db().execSql(QStringLiteral("INSERT INTO szj (szj, szj_nev) VALUES ('72.22.1', 'Szoftver')"));
        db().execSql(
            QStringLiteral("INSERT INTO szj (szj, szj_nev) VALUES ('74.20.31.0A', 'Mérnöki tervezés')"));
        ScriptedDialogs d;
        {
            // Eleven characters whose first eight are a tariff number: the tariff page on it.
            Tfrm_CodeTable w(db(), CodeTableId::TariffNumbers, CodeTableMode::Choose,
                             QStringLiteral("94036010abc"), nullptr, &d);
            showAndWait(w);
            QCOMPARE(w.windowTitle(), QStringLiteral("VTSZ / SZJ"));
            QCOMPARE(w.currentPage(), 0);
            QCOMPARE(w.currentValues().value(QStringLiteral("vtsz")).toString(), QStringLiteral("94036010"));
        }
        {
            // Otherwise the whole value as a service number: the "SZJ" page opens on it.
            Tfrm_CodeTable w(db(), CodeTableId::TariffNumbers, CodeTableMode::Choose,
                             QStringLiteral("74.20.31.0a"), nullptr, &d);
            showAndWait(w);
            auto* tabs = w.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
            QCOMPARE(tabs->currentIndex(), 1);
            QCOMPARE(tabs->tabText(1), QStringLiteral("SZJ"));
            QCOMPARE(w.currentValues().value(QStringLiteral("szj")).toString(),
                     QStringLiteral("74.20.31.0A"));
            // Search, sort and the actions work on the page shown.
            QTest::keyClicks(w.grid(), QStringLiteral("7"));
            QTest::keyClicks(w.searchBox(), QStringLiteral("2"));
            QCOMPARE(w.currentValues().value(QStringLiteral("szj")).toString(), QStringLiteral("72.22.1"));
            whenShown<Tfrm_CodeTableEdit>([](Tfrm_CodeTableEdit* e) {
                QCOMPARE(e->windowTitle(), QStringLiteral("SZJ szerkesztés"));
                e->reject();
            });
            keyOn(w, Qt::Key_F2);
            keyOn(w, Qt::Key_Return);
            QCOMPARE(w.acceptedKey()->toString(), QStringLiteral("72.22.1"));
        }
        whenShown<Tfrm_CodeTable>([](Tfrm_CodeTable* w) {
            w->setCurrentPage(0);
            w->setCurrentRow(0);
            QTest::keyClick(w->grid(), Qt::Key_Return);
        });
        QCOMPARE(openCodeTable(nullptr, db(), CodeTableId::TariffNumbers, CodeTableMode::Choose,
                               QStringLiteral("72.22.1")),
                 std::optional<QVariant>(QStringLiteral("84713000")));
    }
};

QTEST_MAIN(CodeTableWindowTest)
#include "codetablewindow_test.moc"
