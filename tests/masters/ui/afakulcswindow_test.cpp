// "Áfa kulcsok kezelése" offscreen: the rates offered and the rates in use,
// a refused new rate, a change that recomputes and refreshes the lists.
#include "ScriptedDialogs.h"
#include "TestFolders.h"

#include "masters/ui/Tfrm_Afakulcs.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QtTest>

using namespace orvix;
using namespace orvix::test;

class AfakulcsWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void changeFromTheWindow() {
        TempDataFolder f;
        for (const auto& [code, rate, gross, deleted] :
             {std::tuple{"A", 25.0, 1250.0, "N"}, {"B", 25.0, 125.0, "N"}, {"C", 5.0, 105.0, "I"}})
            f.db.execSql(QStringLiteral("INSERT INTO cikkszam (cikkszam, afakulcs, netto, afa, brutto, torolve) "
                                        "VALUES (?, ?, 0, 0, ?, ?)"),
                         {code, rate, gross, deleted});
        ScriptedDialogs dialogs;
        int refreshed = 0;
        ui::Tfrm_Afakulcs window(f.db, dialogs, [&] { ++refreshed; });
        QCOMPARE(window.currentRate()->count(), 2); // 5 (deleted products count here) and 25
        QCOMPARE(window.ratesInUse()->rowCount(), 1);
        QCOMPARE(window.ratesInUse()->item(0, 1)->text(), QStringLiteral("2"));

        window.currentRate()->setCurrentIndex(window.currentRate()->findText(QStringLiteral("25")));
        window.newRate()->setText(QStringLiteral("ab"));
        window.apply();
        QCOMPARE(dialogs.askedOf(QStringLiteral("error")).size(), 1);
        QCOMPARE(refreshed, 0);
        QCOMPARE(f.db.queryInt(QStringLiteral("SELECT COUNT(*) FROM cikkszam WHERE afakulcs=25"), 0), 2);

        window.newRate()->setText(QStringLiteral("27"));
        window.keepGross()->setChecked(true);
        window.apply();
        QCOMPARE(refreshed, 1);
        QCOMPARE(QString::number(f.db.queryFloat(QStringLiteral("SELECT netto FROM cikkszam WHERE cikkszam='A'"), 0), 'f', 5),
                 QStringLiteral("984.25197"));
        QCOMPARE(window.ratesInUse()->item(0, 0)->text(), QStringLiteral("27"));
        QVERIFY(window.currentRate()->findText(QStringLiteral("27")) >= 0);
    }
};

QTEST_MAIN(AfakulcsWindowTest)
#include "afakulcswindow_test.moc"
