#include "maintenance/UpdCommands.h"

#include "maintenance/ParadoxImport.h"
#include "maintenance/Reindex.h"
#include "maintenance/Upgrade.h"

namespace orvix::maintenance {

namespace {

// Steps and warnings go to the output as they happen, errors of single
// tables to the error output.
class StreamReporter : public Reporter {
public:
    StreamReporter(QTextStream& out, QTextStream& err) : m_out(out), m_err(err) {}
    void warning(const QString& text) override { m_out << QStringLiteral("Figyelmeztetés: ") << text << Qt::endl; }
    void error(const QString& text) override { m_err << QStringLiteral("Hiba: ") << text << Qt::endl; }
    void step(const QString& text) override {
        if (!text.isEmpty())
            m_out << text << Qt::endl;
    }

private:
    QTextStream& m_out;
    QTextStream& m_err;
};

int reindexOutcome(const ReindexResult& r, QTextStream& out, QTextStream& err) {
    if (!r.failedTables.isEmpty())
        err << QStringLiteral("Nem újraépített táblák: ") << r.failedTables.join(QStringLiteral(", ")) << Qt::endl;
    if (r.integrity != QLatin1String("ok"))
        err << QStringLiteral("Az ellenőrzés hibát talált:\n") << r.integrity << Qt::endl;
    if (!r.clean())
        return 3;
    out << QStringLiteral("Kész.") << Qt::endl;
    return 0;
}

} // namespace

QString usage() {
    return QStringLiteral(
        "Használat:\n"
        "  Orvix_Szamla_Upd                         a karbantartó ablak\n"
        "  Orvix_Szamla_Upd upgrade DIR             verzióváltás (mentés az Archiv/ almappába, az\n"
        "                                           adatszerkezet frissítése, újraindexelés)\n"
        "  Orvix_Szamla_Upd reindex DIR             karbantartás: újraindexelés és javítás\n"
        "  Orvix_Szamla_Upd import-paradox OLD NEW  régi (Paradox) adatbázis átvétele új adatmappába\n"
        "Kilépési kódok: 0 siker, 1 nem sikerült (semmi nem változott), 2 hibás parancssor,\n"
        "3 elkészült, de egyes táblák hibásak maradtak (a többi elkészült).\n");
}

int runCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        (args.isEmpty() ? err : out) << usage();
        return args.isEmpty() ? 2 : 0;
    }
    const QString command = args.first();
    const int expected = command == QLatin1String("import-paradox") ? 3 : 2;
    const bool known = command == QLatin1String("upgrade") || command == QLatin1String("reindex") ||
                       command == QLatin1String("import-paradox");
    if (!known) {
        err << QStringLiteral("Ismeretlen parancs: %1\n").arg(command) << usage();
        return 2;
    }
    if (args.size() != expected || args.at(1).isEmpty() || (expected == 3 && args.at(2).isEmpty())) {
        err << QStringLiteral("Hibás paraméterek: %1\n").arg(args.join(QLatin1Char(' '))) << usage();
        return 2;
    }
    StreamReporter reporter(out, err);
    try {
        if (command == QLatin1String("upgrade")) {
            const UpgradeResult r = upgradeFolder(args.at(1), reporter);
            return reindexOutcome(r.reindex, out, err);
        }
        if (command == QLatin1String("reindex"))
            return reindexOutcome(reindexFolder(args.at(1), reporter), out, err);
        const ParadoxImportResult r = importParadox(args.at(1), args.at(2), reporter);
        for (const QString& f : r.unknownFields)
            out << QStringLiteral("Ismeretlen mező, nem vettem át: ") << f << Qt::endl;
        if (r.integrity != QLatin1String("ok")) {
            err << QStringLiteral("Az ellenőrzés hibát talált:\n") << r.integrity << Qt::endl;
            return 3;
        }
        out << QStringLiteral("Kész.") << Qt::endl;
        return 0;
    } catch (const MaintenanceError& e) {
        err << QStringLiteral("Hiba: ") << e.message() << Qt::endl;
        return 1;
    }
}

} // namespace orvix::maintenance
