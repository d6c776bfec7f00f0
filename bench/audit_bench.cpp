// The tax authority's audit file on a large data folder: how long writing the
// file takes, next to the engine reading the same rows bare (the header and
// line queries stepped through with SQLite's C API, every column fetched).
//
//   audit_bench [DIR] [--year YYYY] [--repeats N] [--cpu]
//
// --cpu measures the process's processor time instead of the clock: on a
// machine that other work keeps busy it shows what the export would take on
// an idle one.
//
// DIR defaults to /tmp/orvix-audit-bench. A folder without documents is first
// filled with the demo-data generator's own code with 30 000 documents (as
// "Orvix_Szamla_Cli demo-data DIR --customers 20000 --products 5000
// --documents 30000"), issued within the last year: one year's worth of the
// 300 000-document folder.
// Without --year the selection is every day the folder holds documents on;
// with it, that calendar year. Target: under 2 s and at most 3 times the bare
// read; the exit code is 1 when a limit is missed.
#include "common/Database.h"
#include "common/Hungarian.h"
#include "data/Schema.h"
#include "exports/AuditXml.h"
#include "invoicing/DemoDocuments.h"
#include "masters/DemoMasters.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <ctime>
#include <sqlite3.h>

using namespace orvix;

namespace {

QTextStream out(stdout);

constexpr double kTargetMs = 2000;
bool useCpuTime = false;

double processCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// A stopwatch on the clock or, with --cpu, on the processor time.
class Stopwatch {
public:
    Stopwatch() {
        m_clock.start();
        m_cpu = processCpuMs();
    }
    double ms() const { return useCpuTime ? processCpuMs() - m_cpu : double(m_clock.nsecsElapsed()) / 1e6; }

private:
    QElapsedTimer m_clock;
    double m_cpu = 0;
};
constexpr double kMaxRatio = 3;

// Steps through every row of a statement, fetching every column as the
// program's reading does (texts as text, numbers as numbers).
qint64 drain(sqlite3* db, const QString& sql) {
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK) {
        out << "SQLite: " << sqlite3_errmsg(db) << "\n" << Qt::flush;
        return -1;
    }
    qint64 rows = 0;
    const int columns = sqlite3_column_count(stmt);
    volatile qint64 touched = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            if (sqlite3_column_type(stmt, c) == SQLITE_TEXT)
                touched = touched + sqlite3_column_bytes(stmt, c) + (sqlite3_column_text(stmt, c) != nullptr);
            else
                touched = touched + qint64(sqlite3_column_double(stmt, c));
        }
        ++rows;
    }
    sqlite3_finalize(stmt);
    return rows;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QStringList args = application.arguments().mid(1);
    int year = 0;
    int repeats = 3;
    QString folder = QStringLiteral("/tmp/orvix-audit-bench");
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--year") && i + 1 < args.size())
            year = args[++i].toInt();
        else if (args[i] == QLatin1String("--cpu"))
            useCpuTime = true;
        else if (args[i] == QLatin1String("--repeats") && i + 1 < args.size())
            repeats = std::max(1, args[++i].toInt());
        else
            folder = args[i];
    }

    Database db(QStringLiteral("bench"));
    if (!Database::isDataFolder(folder)) {
        out << "Mintaadatok készítése: " << folder << " …\n" << Qt::flush;
        data::createDataFolder(db, folder);
        DemoOptions masters;
        masters.customers = 20000;
        masters.products = 5000;
        fillDemoMasters(db, masters);
        DemoDocumentOptions docs;
        docs.documents = 30000;
        docs.first = docs.last.addYears(-1).addDays(1);
        fillDemoDocuments(db, docs);
        db.close();
    }
    db.open(folder);

    AuditSelection selection;
    if (year > 0) {
        selection = AuditSelection::period(QDate(year, 1, 1), QDate(year, 12, 31));
    } else {
        const QDate first = QDate::fromString(
            db.queryText(QStringLiteral("SELECT MIN(dat_kiadva) FROM szla"), QString()).left(10), Qt::ISODate);
        const QDate last = QDate::fromString(
            db.queryText(QStringLiteral("SELECT MAX(dat_kiadva) FROM szla"), QString()).left(10), Qt::ISODate);
        selection = AuditSelection::period(first, last);
    }
    const int documents = auditDocumentCount(db, selection);
    const qint64 lines = db.queryInt(
        QStringLiteral("SELECT COUNT(*) FROM szla_sor INNER JOIN szla ON szla.szla = szla_sor.szla WHERE %1")
            .arg(selection.condition()),
        0);
    out << "Kiválasztás: " << selection.caption() << ", " << documents << " bizonylat, " << lines << " tételsor\n"
        << Qt::flush;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("audit.xml"));
    double program = 1e18;
    AuditExportResult result;
    for (int i = 0; i < repeats; ++i) {
        const Stopwatch t;
        result = writeAuditXml(db, selection, path, QDate::currentDate());
        program = std::min(program, t.ms());
    }

    // The bare read: the same header rows and line rows, on a connection of
    // the engine's own C API with the program's collation.
    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(Database::databaseFile(folder).toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr) !=
            SQLITE_OK ||
        registerHungarianFunctions(raw) != SQLITE_OK) {
        out << "A nyers olvasás nem indul.\n";
        return 1;
    }
    const QString lineQuery =
        QStringLiteral("SELECT szla_sor.szla, szla_sor.eloleg, szla_sor.sor, szla_sor.cikkszam_nev, szla_sor.vtsz, "
                       "szla_sor.db, szla_sor.mert, szla_sor.egysar, szla_sor.afakulcs, szla_sor.kozv_szolgaltatas, "
                       "szla_sor.kulonb_szer_szab, szla_sor.netto FROM szla_sor INNER JOIN szla ON szla.szla = "
                       "szla_sor.szla WHERE %1 ORDER BY szla_sor.szla, szla_sor.sor")
            .arg(selection.condition());
    double bare = 1e18;
    qint64 bareRows = 0;
    for (int i = 0; i < repeats; ++i) {
        const Stopwatch t;
        bareRows = drain(raw, auditHeaderQuery(selection)) + drain(raw, lineQuery);
        bare = std::min(bare, t.ms());
    }
    sqlite3_close(raw);

    // The same rows read through the program's own connection (Qt's driver),
    // for comparison.
    double qt = 1e18;
    for (int i = 0; i < repeats; ++i) {
        const Stopwatch t;
        for (const QString& sql : {auditHeaderQuery(selection), lineQuery}) {
            QSqlQuery q = db.select(sql);
            const int columns = q.record().count();
            while (q.next())
                for (int c = 0; c < columns; ++c)
                    (void)q.value(c);
        }
        qt = std::min(qt, t.ms());
    }
    out << QStringLiteral("ugyanezek a sorok a program kapcsolatán (Qt): %1 ms\n").arg(qt, 0, 'f', 0);

    const double ratio = bare > 0 ? program / bare : 0;
    const bool ok = program <= kTargetMs && ratio <= kMaxRatio;
    out << QStringLiteral("XML fájl: %1 bizonylat, %2 MB, %3 kimaradt\n")
               .arg(result.written)
               .arg(double(QFileInfo(path).size()) / 1e6, 0, 'f', 1)
               .arg(result.leftOut.size());
    out << (useCpuTime ? "processzoridő\n" : "");
    out << QStringLiteral("program %1 ms, nyers olvasás %2 ms (%3 sor), arány %4; cél %5 ms és legfeljebb %6×: %7\n")
               .arg(program, 0, 'f', 0)
               .arg(bare, 0, 'f', 0)
               .arg(bareRows)
               .arg(ratio, 0, 'f', 2)
               .arg(kTargetMs, 0, 'f', 0)
               .arg(kMaxRatio, 0, 'f', 0)
               .arg(ok ? QStringLiteral("teljesül") : QStringLiteral("NEM teljesül"));
    return ok ? 0 : 1;
}
