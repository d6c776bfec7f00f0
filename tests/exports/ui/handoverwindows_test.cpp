// The hand-over windows offscreen: the register's actions reach them, the
// folder comes from and goes back to the configuration, "Adatok legyűjtése"
// writes the tables and tells what it did, a failure is told and changes
// nothing, and the KSzlaKet window recomputes the band sums on opening.
#include "../AccountingFixture.h"

#include "core/AppContext.h"
#include "data/Schema.h"
#include "exports/ui/Tfrm_KSzlaKet.h"
#include "invoicing/ui/ExportHooks.h"
#include "invoicing/ui/Tfrm_Main.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace orvix;
using namespace orvix::test;

class HandOverWindowsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;

private Q_SLOTS:
    void registerActionsReachTheWindows() {
        const QString program = m_tmp.filePath(QStringLiteral("program"));
        QDir().mkpath(program);
        qputenv("XDG_DATA_HOME", m_tmp.filePath(QStringLiteral("xdg")).toUtf8());
        app() = AppContext{};
        {
            Database db(QStringLiteral("fixture"));
            data::createDataFolder(db, m_tmp.filePath(QStringLiteral("xdg/Orvix_Szamla/Data")));
        }
        QStringList opened;
        ui::accountingExportHooks().forintSoft = [&](QWidget*, Database&, Dialogs&) { opened << QStringLiteral("forint"); };
        ui::accountingExportHooks().kSzlaKet = [&](QWidget*, Database&, Dialogs&) { opened << QStringLiteral("kszlaket"); };
        ScriptedDialogs dialogs;
        dialogs.answers = {0};
        Tfrm_Main window(dialogs, program);
        QVERIFY(!window.startupEnded());
        for (int list : {Tfrm_Main::Products, Tfrm_Main::Customers, Tfrm_Main::Documents}) {
            window.switchToList(list);
            for (const char* name : {"aForint", "aKSzlaKet", "aAfakulcs"})
                QVERIFY2(window.action(QLatin1String(name))->isEnabled(), name);
        }
        window.action(QStringLiteral("aForint"))->trigger();
        window.action(QStringLiteral("aKSzlaKet"))->trigger();
        QCOMPARE(opened, (QStringList{"forint", "kszlaket"}));
        ui::accountingExportHooks() = {};
    }

    void forintWindowRunsAndKeepsTheFolder() {
        AccountingFixture f;
        makeForintTables(f.out());
        f.document(f.customer(QStringLiteral("Vevő"), 1), 1, 100, 27, 127);
        app().config.forintUtvonal = f.out();
        ui::Tfrm_Forint window(f.db(), f.dialogs);
        QCOMPARE(window.folderField()->text(), f.out());
        window.runButton()->click();
        QCOMPARE(f.dialogs.askedOf(QStringLiteral("info")), QStringList{QStringLiteral("Átadva: 1 vevő, 1 bizonylat.")});
        QCOMPARE(readWithShapelib(f.path(kFelkisz)).size(), 1);

        // Another folder without the tables: told, nothing marked.
        const qint64 doc = f.document(f.customer(QStringLiteral("Másik"), 2), 2, 100, 27, 127);
        QTemporaryDir other;
        window.folderField()->setText(other.path());
        window.runButton()->click();
        QCOMPARE(f.dialogs.askedOf(QStringLiteral("error")).size(), 1);
        QVERIFY(!f.handedOver(doc));
        window.reject();
        QCOMPARE(app().config.forintUtvonal, other.path());
    }

    void kszlaketWindowRecomputesOnOpening() {
        AccountingFixture f;
        makeTable(f.path(kKSzlaKet), kKSzlaKetFields);
        const qint64 doc = f.document(f.customer(QStringLiteral("Vevő"), 1), 1, 0, 0, 0);
        f.line(doc, 1, 2, 50, 9);
        app().config.forintUtvonal = f.out();
        ui::Tfrm_KSzlaKet window(f.db(), f.dialogs);
        QCOMPARE(f.db().queryFloat(QStringLiteral("SELECT netto1 FROM szla WHERE szla=?"), 0, {doc}), 100.0);
        window.runButton()->click();
        QCOMPARE(f.dialogs.askedOf(QStringLiteral("info")), QStringList{QStringLiteral("Átadva: 1 bizonylat.")});
        QVERIFY(f.handedOver(doc));
    }
};

QTEST_MAIN(HandOverWindowsTest)
#include "handoverwindows_test.moc"
