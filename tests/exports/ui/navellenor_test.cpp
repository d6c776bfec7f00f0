// "Nav ellenőrzés" offscreen: the register's NAV actions reach it, its four
// grids show the selection, "Excelbe..." writes the shown grid, "XML export"
// writes a valid file and gives the grids back, the selection can be changed.
#include "../AuditFixture.h"
#include "../XmlCheck.h"

#include "core/AppContext.h"
#include "core/DelimitedExport.h"
#include "core/ListLook.h"
#include "core/ui/Tfrm_Export.h"
#include "data/Schema.h"
#include "exports/ui/QueryGridModel.h"
#include "exports/ui/Tfrm_NavEllenor_BDE.h"
#include "invoicing/ui/ExportHooks.h"
#include "invoicing/ui/Tfrm_Main.h"

#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvix;
using namespace orvix::test;
using orvix::ui::Tfrm_NavEllenor_BDE;

namespace {
const QDate kDay(2026, 3, 2);
}

class NavEllenorTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;

private Q_SLOTS:
    void cleanupTestCase() { xmlCleanupParser(); }

    void registerActionsReachTheExport() {
        const QString program = m_tmp.filePath(QStringLiteral("program"));
        QDir().mkpath(program);
        qputenv("XDG_DATA_HOME", m_tmp.filePath(QStringLiteral("xdg")).toUtf8());
        app() = AppContext{};
        {
            Database db(QStringLiteral("fixture"));
            data::createDataFolder(db, m_tmp.filePath(QStringLiteral("xdg/Orvix_Szamla/Data")));
        }
        QStringList opened;
        ui::auditExportHooks().byPeriod = [&](QWidget*, Database&, Dialogs&) { opened << QStringLiteral("period"); };
        ui::auditExportHooks().byNumbers = [&](QWidget*, Database&, Dialogs&) { opened << QStringLiteral("numbers"); };
        ScriptedDialogs dialogs;
        dialogs.answers = {0};
        Tfrm_Main window(dialogs, program);
        QVERIFY(!window.startupEnded());
        for (int list : {Tfrm_Main::Products, Tfrm_Main::Customers, Tfrm_Main::Documents}) {
            window.switchToList(list);
            QVERIFY(window.action(QStringLiteral("aNav1"))->isEnabled());
            QVERIFY(window.action(QStringLiteral("aNav2"))->isEnabled());
        }
        window.action(QStringLiteral("aNav1"))->trigger();
        window.action(QStringLiteral("aNav2"))->trigger();
        QCOMPARE(opened, (QStringList{"period", "numbers"}));
        ui::auditExportHooks() = {};
    }

    // The grid reads windows of rows on demand: every row, wherever it
    // lies, shows the query's own values.
    void gridReadsRowsOnDemand() {
        AuditFixture f;
        const QString select = QStringLiteral("SELECT rowid AS r, irsz, varos FROM irsz ORDER BY rowid");
        QVariantList expected;
        {
            QSqlQuery q = f.db().select(select);
            while (q.next())
                expected << q.value(0);
        }
        QVERIFY(expected.size() > 3 * ui::QueryGridModel::kWindow);
        ui::QueryGridModel model(f.db());
        model.setQuery(select);
        QCOMPARE(model.rowCount(), int(expected.size()));
        QCOMPARE(model.fieldNames(), (QStringList{"r", "irsz", "varos"}));
        const int last = int(expected.size()) - 1;
        for (int row : {0, ui::QueryGridModel::kWindow - 1, ui::QueryGridModel::kWindow, last, 1, last - 250, 0})
            QCOMPARE(model.index(row, 0).data(), expected.at(row));
        QVERIFY(!model.index(last + 1, 0).data().isValid());
        model.setQuery(QString());
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.columnCount(), 0);
    }

    void windowShowsAndExports() {
        AuditFixture f;
        const qint64 c = f.customer(QStringLiteral("Vevő & Társa Kft."));
        f.document(c, {{QStringLiteral("Áru"), 3, 1000, 27}, {QStringLiteral("Könyv"), 1, 200, 5}}, kDay);
        f.document(c, {{QStringLiteral("Szolgáltatás"), 1, 500, 27}}, kDay);
        const qint64 empty = f.document(c, {}, kDay);
        f.document(c, {{QStringLiteral("Ajánlat"), 1, 100, 27}}, kDay, kKindProforma);
        f.document(c, {{QStringLiteral("Később"), 1, 100, 27}}, kDay.addDays(1));

        Tfrm_NavEllenor_BDE w(f.db(), f.dialogs, AuditSelection::period(kDay, kDay));
        w.setToday(kDay);
        QStringList files;
        QString next;
        w.setSaveFileChooser([&](const QString& caption, const QString& name, const QString& filter) {
            files << caption + QLatin1Char('|') + name + QLatin1Char('|') + filter;
            return next;
        });
        QCOMPARE(w.headPanel()->text(), QStringLiteral("2026.03.02 - 2026.03.02"));
        QCOMPARE(w.tabs()->count(), 4);
        QCOMPARE(w.tabs()->tabText(0), QStringLiteral("Fej adatok"));
        QCOMPARE(w.tabs()->tabText(3), QStringLiteral("Mind összegzés"));
        QCOMPARE(w.model(Tfrm_NavEllenor_BDE::Headers)->rowCount(), 3);
        QCOMPARE(w.model(Tfrm_NavEllenor_BDE::Lines)->rowCount(), 3);
        QCOMPARE(w.model(Tfrm_NavEllenor_BDE::Rates)->rowCount(), 3);
        QCOMPARE(w.model(Tfrm_NavEllenor_BDE::Totals)->rowCount(), 2);
        QCOMPARE(w.model(Tfrm_NavEllenor_BDE::Headers)->fieldNames().value(0), QStringLiteral("szla"));
        QVERIFY(w.model(Tfrm_NavEllenor_BDE::Headers)->fieldNames().contains(QStringLiteral("szlasorszam")));
        // Dates show in the program's form; the export still gets the stored values.
        const int issued = int(w.model(Tfrm_NavEllenor_BDE::Headers)->fieldNames().indexOf(QStringLiteral("dat_kiadva")));
        QVERIFY(issued > 0);
        QCOMPARE(w.model(Tfrm_NavEllenor_BDE::Headers)->index(0, issued).data().toString(), QStringLiteral("2026.03.02"));
        QCOMPARE(w.model(Tfrm_NavEllenor_BDE::Headers)->index(0, 0).data(Qt::BackgroundRole).value<QColor>(),
                 kSortColumnColor);
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblPozicio"))->text(), QStringLiteral("3: 1"));

        // "Excelbe..." hands the shown tab's query to the export window; a
        // cancelled file choice there writes nothing.
        const QString csv = m_tmp.filePath(QStringLiteral("lines.csv"));
        QStringList proposed;
        w.setQueryExporter([&](const QString& select, const QString& fileName) {
            proposed << fileName;
            ui::Tfrm_Export window([&] { return queryRows(f.db(), select); }, next, &f.dialogs, &w);
            if (!next.isEmpty())
                window.startExport();
        });
        w.tabs()->setCurrentIndex(Tfrm_NavEllenor_BDE::Lines);
        next = QString();
        w.findChild<QAction*>(QStringLiteral("aExcelbe"))->trigger();
        QVERIFY(!QFile::exists(csv));
        next = csv;
        w.findChild<QAction*>(QStringLiteral("aExcelbe"))->trigger();
        QCOMPARE(proposed, (QStringList{QStringLiteral("nav_tetelek.csv"), QStringLiteral("nav_tetelek.csv")}));
        QFile text(csv);
        QVERIFY(text.open(QIODevice::ReadOnly));
        const QList<QByteArray> rows = text.readAll().split('\n');
        QVERIFY(rows.value(0).startsWith("szla;szlaszam;elolegstr;eloleg;sor;termeknev"));
        QCOMPARE(rows.size(), 5); // title, three lines, the end of the last
        QVERIFY(rows.value(1).contains(";Áru;"));

        // "XML export": a valid file, the left-out document named after it,
        // the grids given back on the first tab.
        const QString xml = m_tmp.filePath(QStringLiteral("nav.xml"));
        next = xml;
        w.findChild<QAction*>(QStringLiteral("aXmlExport"))->trigger();
        QCOMPARE(files.last(), QStringLiteral("XML export|nav.xml|XML file-ok (*.xml)"));
        QCOMPARE(schemaErrors(xml), QStringList());
        AuditFile x(xml);
        QCOMPARE(x.value(QStringLiteral("/n:szamlak/n:export_szla_db")), QStringLiteral("2"));
        QCOMPARE(x.value(QStringLiteral("/n:szamlak/n:export_datuma")), QStringLiteral("2026-03-02"));
        const QStringList warnings = f.dialogs.askedOf(QStringLiteral("warning"));
        QCOMPARE(warnings.size(), 1);
        QVERIFY(warnings.first().contains(QStringLiteral("1 bizonylat kimaradt:\n%1").arg(f.number(empty))));
        QCOMPARE(w.tabs()->currentIndex(), int(Tfrm_NavEllenor_BDE::Headers));
        QVERIFY(w.tabs()->isEnabled());
        QVERIFY(w.grid(Tfrm_NavEllenor_BDE::Headers)->isEnabled());
        QVERIFY(w.findChild<QProgressBar*>()->isHidden());
        QCOMPARE(w.model(Tfrm_NavEllenor_BDE::Lines)->rowCount(), 3);

        // Another period, then a number range; cancelled windows change nothing.
        f.dialogs.answers = {QVariant()};
        w.findChild<QAction*>(QStringLiteral("aIdoszak"))->trigger();
        QCOMPARE(w.headPanel()->text(), QStringLiteral("2026.03.02 - 2026.03.02"));
        f.dialogs.answers = {QVariantList{kDay.addDays(1), kDay.addDays(1)}};
        w.findChild<QAction*>(QStringLiteral("aIdoszak"))->trigger();
        QCOMPARE(w.headPanel()->text(), QStringLiteral("2026.03.03 - 2026.03.03"));
        QCOMPARE(w.model(Tfrm_NavEllenor_BDE::Headers)->rowCount(), 1);
        const qint64 first = f.db().queryInt(QStringLiteral("SELECT MIN(szlaszam) FROM szla WHERE prntip='S'"), 0);
        f.dialogs.answers = {double(first), double(first + 1)};
        w.findChild<QAction*>(QStringLiteral("aSzamlaszam"))->trigger();
        QCOMPARE(w.headPanel()->text(), QStringLiteral("%1 - %2").arg(first).arg(first + 1));
        QCOMPARE(w.model(Tfrm_NavEllenor_BDE::Headers)->rowCount(), 2);
        QVERIFY(f.dialogs.asked.contains(
            QStringLiteral("inputNumber: Utolsó számla | Add meg az utolsó számla számát betűjel nélkül!")));
    }
};

QTEST_MAIN(NavEllenorTest)
#include "navellenor_test.moc"
