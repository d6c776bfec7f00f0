// Bringing over a Paradox data folder: tables written here with pxlib (in
// code pages 852 and 1250) come over with every row and accent, unknown
// tables are listed and left alone, the result has the layout of a new folder
// and the invoicing program opens it; a damaged table stops the transfer and
// leaves no database behind.
#include "OldLayouts.h"
#include "ScriptedDialogs.h"
#include "TestFolders.h"
#include "common/Codepage.h"
#include "core/Startup.h"
#include "maintenance/ParadoxImport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

extern "C" {
#include <paradox.h>
}

using namespace orvix;
using namespace orvix::maintenance;

namespace {

struct Recorder : Reporter {
    QStringList steps, errors;
    void step(const QString& t) override { steps << t; }
    void error(const QString& t) override { errors << t; }
};

QString u(const char* s) {
    return QString::fromUtf8(s);
}

struct PxField {
    const char* name;
    char type;
    int length;
};

// Writes one Paradox table; each row holds a value per field (null: an
// invalid QVariant).
void writeTable(const QString& path, const std::vector<PxField>& fields, const std::vector<QVariantList>& rows,
                Codepage cp) {
    PX_boot();
    pxdoc_t* doc = PX_new();
    auto* defs = static_cast<pxfield_t*>(doc->malloc(doc, sizeof(pxfield_t) * fields.size(), "fields"));
    for (size_t i = 0; i < fields.size(); ++i) {
        defs[i].px_fname = PX_strdup(doc, fields[i].name);
        defs[i].px_ftype = fields[i].type;
        defs[i].px_flen = fields[i].length;
        defs[i].px_fdc = 0;
    }
    QVERIFY(PX_create_file(doc, defs, int(fields.size()), QFile::encodeName(path).constData(), pxfFileTypNonIndexDB) == 0);
    PX_set_value(doc, "codepage", cp == Codepage::Cp1250 ? 1250 : 852);
    std::vector<char> record(size_t(PX_get_recordsize(doc)));
    for (const QVariantList& row : rows) {
        std::fill(record.begin(), record.end(), 0);
        int offset = 0;
        for (size_t i = 0; i < fields.size(); ++i) {
            char* at = record.data() + offset;
            const QVariant& v = row.at(int(i));
            offset += fields[i].length;
            if (!v.isValid())
                continue;
            switch (fields[i].type) {
            case pxfAlpha: {
                QByteArray bytes = encodeCodepage(v.toString(), cp);
                PX_put_data_alpha(doc, at, fields[i].length, bytes.data());
                break;
            }
            case pxfShort:
                PX_put_data_short(doc, at, 2, short(v.toInt()));
                break;
            case pxfLong:
            case pxfAutoInc:
                PX_put_data_long(doc, at, 4, v.toInt());
                break;
            case pxfNumber:
                PX_put_data_double(doc, at, 8, v.toDouble());
                break;
            case pxfDate: {
                const QDate d = v.toDate();
                PX_put_data_long(doc, at, 4, int(PX_GregorianToSdn(d.year(), d.month(), d.day()) - 1721425));
                break;
            }
            }
        }
        QVERIFY(PX_put_record(doc, record.data()) >= 0);
    }
    PX_close(doc);
    PX_delete(doc);
}

QString customerName(int i) {
    return i % 2 ? u("Árvíztűrő Tükörfúrógép Kft %1").arg(i) : u("Őz Ödön Üvegező %1").arg(i);
}

void writeOldFolder(const QString& folder, int documents) {
    QDir().mkpath(folder);
    std::vector<QVariantList> rows;
    for (int i = 1; i <= 50; ++i)
        rows.push_back({i, customerName(i), i % 3 ? QVariant(QStringLiteral("v%1@pelda.hu").arg(i)) : QVariant(),
                        u("Győr, Fő út %1").arg(i), QStringLiteral("N")});
    writeTable(folder + "/ugyfel.DB",
               {{"ugyfel", pxfAutoInc, 4}, {"ugyfel_nev", pxfAlpha, 50}, {"emil", pxfAlpha, 30},
                {"cim_cim", pxfAlpha, 50}, {"torolve", pxfAlpha, 1}},
               rows, Codepage::Cp852);
    rows.clear();
    for (int i = 1; i <= 20; ++i)
        rows.push_back({QStringLiteral("T%1").arg(i), u("Tűzőgép ŰŐ %1").arg(i), u("db"), 1500.5 * i, 27});
    writeTable(folder + "/CIKKSZAM.DB",
               {{"cikkszam", pxfAlpha, 15}, {"cikkszam_nev", pxfAlpha, 50}, {"mert", pxfAlpha, 5},
                {"netto", pxfNumber, 8}, {"afakulcs", pxfShort, 2}},
               rows, Codepage::Cp1250);
    rows.clear();
    std::vector<QVariantList> lines;
    for (int d = 1; d <= documents; ++d) {
        rows.push_back({d, QStringLiteral("S"), d, QDate(2025, 1 + d % 12, 1 + d % 28), 1 + d % 50,
                        customerName(1 + d % 50), 3000.0 * d, 810.0 * d, 3810.0 * d,
                        d % 2 ? QStringLiteral("I") : QStringLiteral("N")});
        for (int s = 1; s <= 2; ++s)
            lines.push_back({d, s, QStringLiteral("T%1").arg(1 + d % 20), u("Tűzőgép ŰŐ %1").arg(1 + d % 20), u("db"),
                             double(s), 27, 1500.0 * s, 0.0, 0.0, 0.0, 0.0, 1500.0 * s, 405.0 * s});
    }
    writeTable(folder + "/szla.DB",
               {{"szla", pxfAutoInc, 4}, {"prntip", pxfAlpha, 1}, {"szlaszam", pxfLong, 4},
                {"dat_kiadva", pxfDate, 4}, {"ugyfel", pxfLong, 4}, {"ugyfel_nev", pxfAlpha, 50},
                {"netto", pxfNumber, 8}, {"afa", pxfNumber, 8}, {"brutto", pxfNumber, 8}, {"fizetve", pxfAlpha, 1}},
               rows, Codepage::Cp852);
    writeTable(folder + "/szla_sor.DB",
               {{"szla", pxfLong, 4}, {"sor", pxfLong, 4}, {"cikkszam", pxfAlpha, 15}, {"cikkszam_nev", pxfAlpha, 50},
                {"mert", pxfAlpha, 5}, {"db", pxfNumber, 8}, {"afakulcs", pxfShort, 2}, {"netto", pxfNumber, 8},
                {"netto0", pxfNumber, 8}, {"afa0", pxfNumber, 8}, {"netto12", pxfNumber, 8}, {"afa12", pxfNumber, 8},
                {"netto25", pxfNumber, 8}, {"afa25", pxfNumber, 8}},
               lines, Codepage::Cp852);
    writeTable(folder + "/prntip.DB", {{"prntip", pxfAlpha, 1}, {"prntip_nev", pxfAlpha, 20}, {"tipus", pxfShort, 2}},
               {{QStringLiteral("S"), u("Számla"), 0},
                {QStringLiteral("P"), u("Proforma számla"), 0},
                {QStringLiteral("J"), u("Jóváíró számla"), 0},
                {QStringLiteral("E"), u("Előlegszámla"), 0}},
               Codepage::Cp852);
    writeTable(folder + "/fiztip.DB",
               {{"fiztip", pxfAutoInc, 4}, {"fiztip_nev", pxfAlpha, 15}, {"fizetve", pxfAlpha, 1}, {"fizhat", pxfShort, 2}},
               {{1, u("Készpénz"), QStringLiteral("I"), 0}, {2, u("Átutalás"), QStringLiteral("N"), 8}},
               Codepage::Cp852);
    writeTable(folder + "/beallit.DB",
               {{"beallit", pxfAutoInc, 4}, {"alapafakulcs", pxfShort, 2}, {"egyeni", pxfAlpha, 1},
                {"alapmert", pxfAlpha, 7}},
               {{1, 27, QStringLiteral("N"), u("db")}}, Codepage::Cp852);
    writeTable(folder + "/tulajdonos.DB",
               {{"tulajdonos", pxfAlpha, 50}, {"irsz", pxfAlpha, 5}, {"varos", pxfAlpha, 25}, {"vallig", pxfAlpha, 30},
                {"regi_mezo", pxfAlpha, 10}},
               {{u("Kőbányai Kárpitos Bt"), QStringLiteral("1101"), u("Budapest"), u("Kis Éva"), QStringLiteral("x")}},
               Codepage::Cp1250);
    writeTable(folder + "/LELTAR.DB", {{"tetel", pxfAlpha, 10}}, {{QStringLiteral("a")}}, Codepage::Cp852);
}

} // namespace

class ParadoxTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void folderComesOver() {
        QTemporaryDir dir;
        const QString old = dir.filePath(QStringLiteral("Regi"));
        const QString target = dir.filePath(QStringLiteral("Uj"));
        writeOldFolder(old, 1000);
        Recorder r;
        const ParadoxImportResult result = importParadox(old, target, r);
        QCOMPARE(result.integrity, QStringLiteral("ok"));
        QCOMPARE(result.unknownTables, QStringList{QStringLiteral("LELTAR.DB")});
        QCOMPARE(result.unknownFields, QStringList{QStringLiteral("tulajdonos.regi_mezo")});
        QVERIFY(result.tables.contains(QStringLiteral("szla: 1000 sor")));

        Database db(QStringLiteral("px"));
        db.open(target);
        QCOMPARE(db.queryInt("SELECT COUNT(*) FROM szla", 0), 1000);
        QCOMPARE(db.queryInt("SELECT COUNT(*) FROM szla_sor", 0), 2000);
        QCOMPARE(db.queryInt("SELECT COUNT(*) FROM ugyfel", 0), 50);
        QCOMPARE(db.queryInt("SELECT COUNT(*) FROM cikkszam", 0), 20);
        for (int i : {1, 2, 37, 50})
            QCOMPARE(db.queryText("SELECT ugyfel_nev FROM ugyfel WHERE ugyfel=?", {}, {i}), customerName(i));
        // A cp1250 table and a cp852 table give the same letters.
        QCOMPARE(db.queryText("SELECT cikkszam_nev FROM cikkszam WHERE cikkszam='T7'", {}), u("Tűzőgép ŰŐ 7"));
        QCOMPARE(db.queryText("SELECT cikkszam_nev FROM szla_sor WHERE szla=6 AND sor=1", {}), u("Tűzőgép ŰŐ 7"));
        QCOMPARE(db.queryText("SELECT tulajdonos FROM tulajdonos", {}), u("Kőbányai Kárpitos Bt"));
        QCOMPARE(db.queryText("SELECT dat_kiadva FROM szla WHERE szla=10", {}), QStringLiteral("2025-11-11"));
        QCOMPARE(db.queryFloat("SELECT brutto FROM szla WHERE szla=999", 0), 3810.0 * 999);
        QCOMPARE(db.queryInt("SELECT COUNT(*) FROM ugyfel WHERE emil IS NULL", 0), 16);
        // The version change ran: issuer on the documents, later fields, new rows.
        QCOMPARE(db.queryInt("SELECT COUNT(*) FROM szla WHERE tulajdonos=?", 0, {u("Kőbányai Kárpitos Bt")}), 1000);
        QCOMPARE(db.queryInt("SELECT COUNT(*) FROM szla WHERE fizetve='I' AND penzfizetve=brutto", 0), 500);
        QCOMPARE(db.queryInt("SELECT COUNT(*) FROM prntip WHERE prntip IN ('W','M')", 0), 2);
        QCOMPARE(db.fieldInfo("szla_sor", "afakulcs").type, QStringLiteral("FLOAT"));
        QCOMPARE(db.queryFloat("SELECT afakulcs FROM szla_sor WHERE szla=1 AND sor=1", 0), 27.0);
        test::TempDataFolder fresh(QStringLiteral("fresh"));
        QCOMPARE(test::describeLayout(db), test::describeLayout(fresh.db));
        db.close();

        // The invoicing program opens it as it opens its own folders.
        test::ScriptedDialogs dialogs;
        Database app(QStringLiteral("app"));
        QVERIFY(openDataFolder(app, target, dialogs));
        QVERIFY2(dialogs.asked.isEmpty(), qPrintable(dialogs.asked.join('\n')));
        QCOMPARE(mainCaption(app), u("Orvix Számla: [Kőbányai Kárpitos Bt]"));
        app.close();
        QProcess cli;
        cli.start(qEnvironmentVariable("ORVIX_CLI"), {QStringLiteral("check"), target});
        QVERIFY(cli.waitForFinished(120000));
        QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
    }

    // A damaged table stops the transfer naming it; the new folder gets no
    // database, and a new folder that already has one is refused.
    void damagedTableStops() {
        QTemporaryDir dir;
        const QString old = dir.filePath(QStringLiteral("Regi"));
        const QString target = dir.filePath(QStringLiteral("Uj"));
        writeOldFolder(old, 30);
        {
            QFile f(old + "/szla_sor.DB");
            QVERIFY(f.open(QIODevice::ReadWrite));
            const qint64 size = f.size();
            QVERIFY(f.resize(size - 700));
            f.seek(2048);
            f.write(QByteArray(300, '\xff'));
        }
        Recorder r;
        try {
            importParadox(old, target, r);
            QFAIL("a damaged table should stop the transfer");
        } catch (const MaintenanceError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("szla_sor.DB")), qPrintable(e.message()));
        }
        QVERIFY(!Database::isDataFolder(target));
        QCOMPARE(QDir(target).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList());

        test::TempDataFolder existing(QStringLiteral("existing"));
        existing.db.close();
        QVERIFY_THROWS_EXCEPTION(MaintenanceError, importParadox(old, existing.folder, r));
        QVERIFY_THROWS_EXCEPTION(MaintenanceError, importParadox(dir.filePath("nincs"), target, r));
    }
};

QTEST_GUILESS_MAIN(ParadoxTest)
#include "paradox_test.moc"
