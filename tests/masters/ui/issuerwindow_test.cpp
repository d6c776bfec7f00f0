// The issuer window offscreen: the administrator right, the masked tax
// number and bank account stored as digits, a refused check keeping the
// window open, "Mégsem" leaving the row as it was, and older values that do
// not fit a mask shown whole.
#include "ScriptedDialogs.h"
#include "TestFolders.h"
#include "core/AppContext.h"
#include "core/ui/MessageBoxes.h"
#include "masters/ui/Tfrm_Tulajdonos.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace orvix;
using orvix::test::ScriptedDialogs;
using orvix::test::TempDataFolder;

class IssuerWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataFolder> m_folder;
    Database& db() { return m_folder->db; }

    QString stored(const char* field) {
        return db().queryText(QStringLiteral("SELECT %1 FROM tulajdonos").arg(QLatin1String(field)), {});
    }

    void showAndWait(QWidget& w) {
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }

private Q_SLOTS:
    void init() {
        m_folder = std::make_unique<TempDataFolder>();
        db().execSql(QStringLiteral("UPDATE tulajdonos SET tulajdonos='Régi Bt.'"));
        app().user.rendszergazda = true;
    }
    void cleanup() {
        m_folder.reset();
        app().user.rendszergazda = true;
    }

    void onlyForAdministrators() {
        QStringList shown;
        ui::ScopedMessageInterceptor intercept([&](const ui::MessageRequest& r) {
            shown << r.text;
            return Dialogs::Answer::Yes;
        });
        app().user.rendszergazda = false;
        openIssuerWindow(nullptr, db());
        QCOMPARE(shown, QStringList{QStringLiteral("Nincs jogosultság a művelethez.")});
        QVERIFY(!QApplication::activeModalWidget());
    }

    void maskedFieldsStoreDigits() {
        ScriptedDialogs d;
        Tfrm_Tulajdonos w(db(), nullptr, &d);
        showAndWait(w);
        QCOMPARE(w.field(QStringLiteral("tulajdonos"))->text(), QStringLiteral("Régi Bt."));
        QVERIFY(w.field(QStringLiteral("tulajdonos"))->hasFocus());
        QLineEdit* tax = w.field(QStringLiteral("adoszam"));
        QLineEdit* account = w.field(QStringLiteral("bankszamlaszam"));
        QVERIFY(!tax->inputMask().isEmpty());
        tax->setFocus();
        tax->home(false);
        QTest::keyClicks(tax, QStringLiteral("10773381-2-44"));
        QCOMPARE(tax->text(), QStringLiteral("10773381-2-44"));
        account->setFocus();
        account->home(false);
        QTest::keyClicks(account, QStringLiteral("1177301611111018"));
        w.field(QStringLiteral("irsz"))->setText(QStringLiteral("1138"));
        w.field(QStringLiteral("kozadoszam"))->setText(QStringLiteral("HU10773381"));
        w.okButton()->click();
        QVERIFY2(d.asked.isEmpty(), qPrintable(d.asked.join('\n')));
        QVERIFY(!w.isVisible());
        QCOMPARE(stored("adoszam"), QStringLiteral("10773381244"));
        QCOMPARE(stored("bankszamlaszam"), QStringLiteral("1177301611111018"));
        QCOMPARE(stored("irsz"), QStringLiteral("1138"));

        // Opened again, the stored digits come back behind the mask.
        Tfrm_Tulajdonos again(db(), nullptr, &d);
        QCOMPARE(again.field(QStringLiteral("adoszam"))->text(), QStringLiteral("10773381-2-44"));
        QCOMPARE(again.field(QStringLiteral("bankszamlaszam"))->text(), QStringLiteral("11773016-11111018-"));
    }

    void badTaxNumberKeepsWindowOpen() {
        ScriptedDialogs d;
        d.answers = {false}; // "Mégis menti?" no
        Tfrm_Tulajdonos w(db(), nullptr, &d);
        showAndWait(w);
        w.field(QStringLiteral("tulajdonos"))->setText(QStringLiteral("Új Név Kft."));
        QLineEdit* tax = w.field(QStringLiteral("adoszam"));
        tax->setFocus();
        tax->home(false);
        QTest::keyClicks(tax, QStringLiteral("10773382244"));
        w.okButton()->click();
        QVERIFY(w.isVisible());
        QCOMPARE(d.asked, QStringList{QStringLiteral("question: Kérdés | Az adószám ellenőrző számjegye (a 8. "
                                                     "számjegy) hibás.\nMégis menti?")});
        QCOMPARE(stored("tulajdonos"), QStringLiteral("Régi Bt."));
        // "Mégsem" after typing a new name leaves the stored name.
        w.findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click();
        QVERIFY(!w.isVisible());
        QCOMPARE(stored("tulajdonos"), QStringLiteral("Régi Bt."));
    }

    void olderValueOutsideTheMaskIsKept() {
        db().execSql(QStringLiteral("UPDATE tulajdonos SET bankszamlaszam='HU42117730161111101800000000'"));
        ScriptedDialogs d;
        Tfrm_Tulajdonos w(db(), nullptr, &d);
        showAndWait(w);
        QLineEdit* account = w.field(QStringLiteral("bankszamlaszam"));
        QVERIFY(account->inputMask().isEmpty());
        QCOMPARE(account->text(), QStringLiteral("HU42117730161111101800000000"));
        w.field(QStringLiteral("telefon"))->setText(QStringLiteral("06 1 234 5678"));
        w.okButton()->click();
        // An IBAN kept in the account field passes its own check, unasked.
        QCOMPARE(d.asked, QStringList());
        QVERIFY(!w.isVisible());
        QCOMPARE(stored("bankszamlaszam"), QStringLiteral("HU42117730161111101800000000"));
        QCOMPARE(stored("telefon"), QStringLiteral("06 1 234 5678"));
    }
};

QTEST_MAIN(IssuerWindowTest)
#include "issuerwindow_test.moc"
