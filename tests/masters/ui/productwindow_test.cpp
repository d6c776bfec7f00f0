// The product window offscreen: net- and gross-based price entry, the code in
// upper case, the duplicate code refusal (also of a deleted product), the
// same-name question, the code-table lists and editing an existing product.
#include "ScriptedDialogs.h"
#include "TestFolders.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "masters/ui/Tfrm_Cikktorzs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

using namespace orvix;
using orvix::test::ScriptedDialogs;
using orvix::test::TempDataFolder;

namespace {

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

void typeAndLeave(QWidget* field, const QString& text) {
    field->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->selectAll();
    else if (auto* box = qobject_cast<QComboBox*>(field))
        box->lineEdit()->selectAll();
    typeText(QApplication::focusWidget(), text);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
}

void addProduct(Database& db, const QString& code, const QString& name, const QString& torolve) {
    db.execSql(
        QStringLiteral("INSERT INTO cikkszam (cikkszam, cikkszam_nev, torolve, eloleg, netto, afa, brutto, "
                       "afakulcs, mert) VALUES (?, ?, ?, 'N', 100, 27, 127, 27, 'db')"),
        {code, name, torolve});
}

} // namespace

class ProductWindowTest : public QObject {
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
        app().settings.alapafakulcs = 27;
        app().settings.alapmert = QStringLiteral("db");
        app().settings.alapnetto = true;
    }
    void cleanup() { m_folder.reset(); }

    void priceEntry_data() {
        QTest::addColumn<bool>("netBased");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("shown"); // nettó, áfa, bruttó
        QTest::addColumn<double>("netto");
        QTest::newRow("net-based 1000 at 27") << true << "27"
                                              << "1000" << QStringList{"1000", "270", "1270"} << 1000.0;
        QTest::newRow("gross-based 1250 at 25") << false << "25"
                                                << "1250" << QStringList{"1000", "250", "1250"} << 1000.0;
        QTest::newRow("gross-based 1000 at 27, unrounded")
            << false << "27"
            << "1000" << QStringList{"787,4016", "212,5984", "1000"} << 1000.0 / 1.27;
        QTest::newRow("net-based 99,5 at 5") << true << "5"
                                             << "99,5" << QStringList{"99,5", "4,975", "104,475"} << 99.5;
    }
    void priceEntry() {
        QFETCH(bool, netBased);
        QFETCH(QString, rate);
        QFETCH(QString, typed);
        QFETCH(QStringList, shown);
        QFETCH(double, netto);
        app().settings.alapnetto = netBased;
        ScriptedDialogs d;
        Tfrm_Cikktorzs w(db(), std::optional<QString>(), nullptr, &d);
        showAndWait(w);
        QCOMPARE(w.windowTitle(), QStringLiteral("Cikktörzs"));
        QCOMPARE(QApplication::focusWidget(), w.field(QStringLiteral("cikkszam")));
        QCOMPARE(w.combo(QStringLiteral("mert"))->currentText(), QStringLiteral("db"));
        QCOMPARE(w.combo(QStringLiteral("afakulcs"))->currentText(), QStringLiteral("27"));

        // The entered price is editable, the other two are not and are skipped.
        QLineEdit* entered = w.edit(netBased ? QStringLiteral("netto") : QStringLiteral("brutto"));
        for (const QString& name :
             {QStringLiteral("netto"), QStringLiteral("afa"), QStringLiteral("brutto")}) {
            const bool editable = w.edit(name) == entered;
            QCOMPARE(w.edit(name)->isReadOnly(), !editable);
            QCOMPARE(w.edit(name)->focusPolicy() == Qt::NoFocus, !editable);
        }

        typeText(w.edit(QStringLiteral("cikkszam")), QStringLiteral("ab-1"));
        QCOMPARE(w.edit(QStringLiteral("cikkszam"))->text(), QStringLiteral("AB-1"));
        typeAndLeave(w.field(QStringLiteral("cikkszam_nev")), QStringLiteral("Fúrógép"));
        typeAndLeave(w.field(QStringLiteral("afakulcs")), rate);
        typeAndLeave(entered, typed);
        QCOMPARE((QStringList{w.edit(QStringLiteral("netto"))->text(), w.edit(QStringLiteral("afa"))->text(),
                              w.edit(QStringLiteral("brutto"))->text()}),
                 shown);
        QCOMPARE(w.prices().netto, netto);

        w.ok();
        QCOMPARE(d.asked, QStringList());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(w.savedCode(), QStringLiteral("AB-1"));
        // Stored unrounded, as computed.
        QCOMPARE(db().queryFloat(QStringLiteral("SELECT netto FROM cikkszam WHERE cikkszam='AB-1'"), -1),
                 netto);
        QCOMPARE(db().queryFloat(QStringLiteral("SELECT afakulcs FROM cikkszam WHERE cikkszam='AB-1'"), -1),
                 rate.toDouble());
    }

    void duplicateCode_data() {
        QTest::addColumn<QString>("torolve");
        QTest::newRow("product in use") << "N";
        QTest::newRow("deleted product") << "I";
    }
    void duplicateCode() {
        QFETCH(QString, torolve);
        addProduct(db(), QStringLiteral("FG1"), QStringLiteral("Régi fúrógép"), torolve);
        ScriptedDialogs d;
        Tfrm_Cikktorzs w(db(), std::optional<QString>(), nullptr, &d);
        showAndWait(w);
        typeText(w.edit(QStringLiteral("cikkszam")), QStringLiteral("fg1"));
        typeAndLeave(w.field(QStringLiteral("cikkszam_nev")), QStringLiteral("Új fúrógép"));
        w.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
        QCOMPARE(d.asked,
                 QStringList{QStringLiteral("error: Ez a cikkszám már használatban van: 'Régi fúrógép'")});
        QVERIFY(w.isVisible());
        QCOMPARE(QApplication::focusWidget(), w.field(QStringLiteral("cikkszam")));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM cikkszam"), -1), qint64(1));
    }

    void sameName() {
        addProduct(db(), QStringLiteral("FG1"), QStringLiteral("Fúrógép"), QStringLiteral("N"));
        ScriptedDialogs d;
        d.answers = {false, true};
        Tfrm_Cikktorzs w(db(), std::optional<QString>(), nullptr, &d);
        showAndWait(w);
        typeText(w.edit(QStringLiteral("cikkszam")), QStringLiteral("FG2"));
        typeAndLeave(w.field(QStringLiteral("cikkszam_nev")), QStringLiteral("FÚRÓGÉP"));
        w.ok();
        QCOMPARE(d.asked,
                 QStringList{QStringLiteral("question: Kérdés | Ilyen nevű cikk már van a rendszerben:\n"
                                            "FG1 : Fúrógép\nFolytatod?")});
        QVERIFY(w.isVisible());
        QCOMPARE(QApplication::focusWidget(), w.field(QStringLiteral("cikkszam_nev")));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM cikkszam"), -1), qint64(1));
        w.ok();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM cikkszam"), -1), qint64(2));
    }

    // A unit that is not in its list is refused when the list is left.
    void invalidUnit() {
        ScriptedDialogs d;
        Tfrm_Cikktorzs w(db(), std::optional<QString>(), nullptr, &d);
        showAndWait(w);
        typeAndLeave(w.field(QStringLiteral("mert")), QStringLiteral("hordó"));
        QTRY_COMPARE(d.asked, QStringList{QStringLiteral("error: Érvénytelen adat megadás")});
        QCOMPARE(QApplication::focusWidget(), w.field(QStringLiteral("mert")));
        typeAndLeave(w.field(QStringLiteral("mert")), QStringLiteral("kg"));
        QTest::qWait(20);
        QCOMPARE(d.asked.size(), 1);
    }

    // An existing product keeps its code; an exempt one is saved at rate 0
    // with the entered price.
    void editExisting() {
        addProduct(db(), QStringLiteral("FG1"), QStringLiteral("Fúrógép"), QStringLiteral("N"));
        ScriptedDialogs d;
        Tfrm_Cikktorzs w(db(), std::optional<QString>(QStringLiteral("FG1")), nullptr, &d);
        showAndWait(w);
        QVERIFY(!w.isNew());
        QVERIFY(w.edit(QStringLiteral("cikkszam"))->isReadOnly());
        QCOMPARE(QApplication::focusWidget(), w.field(QStringLiteral("cikkszam_nev")));
        QCOMPARE(w.edit(QStringLiteral("brutto"))->text(), QStringLiteral("127"));
        typeAndLeave(w.edit(QStringLiteral("netto")), QStringLiteral("500"));
        w.findChild<QCheckBox*>(QStringLiteral("tm"))->setChecked(true);
        w.ok();
        QCOMPARE(d.asked, QStringList());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(db().queryFloat(QStringLiteral("SELECT afakulcs FROM cikkszam"), -1), 0.0);
        QCOMPARE(db().queryFloat(QStringLiteral("SELECT afa FROM cikkszam"), -1), 0.0);
        QCOMPARE(db().queryFloat(QStringLiteral("SELECT brutto FROM cikkszam"), -1), 500.0);
        QCOMPARE(db().queryText(QStringLiteral("SELECT tm FROM cikkszam"), {}), QStringLiteral("I"));
    }
};

QTEST_MAIN(ProductWindowTest)
#include "productwindow_test.moc"
