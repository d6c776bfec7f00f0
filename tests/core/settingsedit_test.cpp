// The checks of the settings record and its save: each refused value leaves
// the record as it was, even when it comes with good ones, and the accepted
// values read back as saved.
#include "core/Settings.h"
#include "core/SettingsEdit.h"

#include "TestFolders.h"

#include <QtTest>

using namespace orvix;

class SettingsEditTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void refused_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("negative copy count") << "alappld" << "-1" << "0 és 99 között";
        QTest::newRow("copy count not a number") << "alappld" << "két" << "egész szám";
        QTest::newRow("rate above 100") << "afa0" << "100.5" << "0 és 100 között";
        QTest::newRow("negative rate") << "alapafakulcs" << "-5" << "0 és 100 között";
        QTest::newRow("rate not a number") << "afa2" << "öt" << "szám kell";
        QTest::newRow("flag other than I/N") << "vangari" << "igen" << "I vagy N";
        QTest::newRow("lower-case flag") << "vanzentra" << "i" << "I vagy N";
        QTest::newRow("missing folder") << "evautvonal" << "/nincs/ilyen/mappa" << "Nem létező mappa";
        QTest::newRow("missing pdf folder") << "printerutv" << "/nincs/pdf" << "Nem létező mappa";
        QTest::newRow("text too long") << "szlabetu" << "ABC" << "legfeljebb 2";
        QTest::newRow("first number zero") << "indulszla" << "0" << "között";
        QTest::newRow("unknown key") << "nincsilyen" << "1" << "Ismeretlen beállítás";
        QTest::newRow("the key field") << "beallit" << "2" << "Ismeretlen beállítás";
        QTest::newRow("rate not a number at all") << "afa0" << "nan" << "szám kell";
        QTest::newRow("a third invoice layout") << "szlaforma" << "7" << "0 és 1 között";
        QTest::newRow("exemption mark other than AM") << "amtm" << "XY" << "üres vagy AM";
        QTest::newRow("payment method that does not exist") << "alapfiztip" << "999" << "Nem létező fizetési mód";
    }

    // A folder whose settings row is missing refuses the save instead of
    // reporting a change that went nowhere.
    void noRow() {
        test::TempDataFolder t;
        t.db.execSql(QStringLiteral("DELETE FROM beallit"));
        const auto error = saveSettings(t.db, {{QStringLiteral("vangari"), QStringLiteral("I")}});
        QVERIFY(error);
        QVERIFY2(error->contains(QStringLiteral("nincs beállítás rekord")), qPrintable(*error));
    }

    void refused() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, message);
        test::TempDataFolder t;
        const SettingValues before = settingValues(t.db);
        // A good change alongside the bad one is not saved either.
        const auto error = saveSettings(t.db, {{QStringLiteral("vangari"), QStringLiteral("I")}, {key, value}});
        QVERIFY(error);
        QVERIFY2(error->contains(message), qPrintable(*error));
        QCOMPARE(settingValues(t.db), before);
    }

    void saved() {
        test::TempDataFolder t;
        QVERIFY(!saveSettings(t.db, {{QStringLiteral("vangari"), QStringLiteral("I")},
                                     {QStringLiteral("VANZENTRA"), QStringLiteral("I")},
                                     {QStringLiteral("afa1"), QStringLiteral("12,5")},
                                     {QStringLiteral("alappld"), QStringLiteral("0")},
                                     {QStringLiteral("afa0"), QStringLiteral("100")},
                                     {QStringLiteral("printerutv"), t.dir.path()},
                                     {QStringLiteral("alapvaros"), QStringLiteral("Győr")}}));
        const Settings s = loadSettings(t.db);
        QVERIFY(s.vangari);
        QVERIFY(s.vanzentra);
        QCOMPARE(s.afa1, 12.5);
        QCOMPARE(s.afa0, 100.0);
        QCOMPARE(s.alappld, 0);
        QCOMPARE(s.printerutv, t.dir.path());
        QCOMPARE(s.alapvaros, QStringLiteral("Győr"));
        const SettingValues values = settingValues(t.db);
        QVERIFY(values.contains(qMakePair(QStringLiteral("afa1"), QStringLiteral("12.5"))));
        // Emptying a folder setting is allowed.
        QVERIFY(!saveSettings(t.db, {{QStringLiteral("printerutv"), QString()}}));
        QVERIFY(loadSettings(t.db).printerutv.isEmpty());
    }
};

QTEST_GUILESS_MAIN(SettingsEditTest)
#include "settingsedit_test.moc"
