// The invoice register on a large data folder: how long the main window's
// document list takes to show its first screen, to jump to a document by its
// key, to follow a search keystroke and to re-sort, next to the same queries
// run bare on the engine. Each action has a time limit and a limit on its
// ratio to the bare queries; the table says which ones hold.
//
//   register_bench [DIR] [--cpu]
//
// --cpu measures the process's processor time instead of the clock: on a
// machine that other work keeps busy it shows what the actions would take on
// an idle one.
//
// DIR defaults to /tmp/orvix-register-bench. A folder without documents is
// first filled with the demo-data generator's own code (the same as
// "Orvix_Szamla_Cli demo-data DIR --customers 20000 --products 5000
// --documents 300000"), which takes several minutes once.
#include "common/Database.h"
#include "core/Settings.h"
#include "data/Indexes.h"
#include "data/Schema.h"
#include "invoicing/DemoDocuments.h"
#include "invoicing/Register.h"
#include "masters/DemoMasters.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextStream>
#include <algorithm>
#include <ctime>
#include <functional>
#include <vector>

using namespace orvix;

namespace {

QTextStream out(stdout);

constexpr int kScreenRows = 25; // rows of the grid at the default window size
constexpr int kRepeats = 7;

bool useCpuTime = false;

double processCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// A stopwatch on the clock or, with --cpu, on the processor time.
class Stopwatch {
public:
    Stopwatch() { restart(); }
    void restart() {
        m_clock.start();
        m_cpu = processCpuMs();
    }
    double ms() const { return useCpuTime ? processCpuMs() - m_cpu : double(m_clock.nsecsElapsed()) / 1e6; }

private:
    QElapsedTimer m_clock;
    double m_cpu = 0;
};

// Median of several runs of f (each run prepared by setup, which is not timed).
double median(const std::function<void()>& f, const std::function<void()>& setup = {}) {
    std::vector<double> runs;
    for (int i = 0; i < kRepeats; ++i) {
        if (setup)
            setup();
        Stopwatch t;
        f();
        runs.push_back(t.ms());
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

// What the grid asks for one screen: every cell's text and colours.
void readScreen(PagedTableModel& m, int around) {
    const int first = std::max(0, around - kScreenRows / 2);
    const int last = std::min(m.rowCount(), first + kScreenRows);
    for (int r = first; r < last; ++r)
        for (int c = 0; c < m.columnCount(); ++c) {
            const QModelIndex i = m.index(r, c);
            (void)m.data(i, Qt::DisplayRole);
            (void)m.data(i, Qt::BackgroundRole);
            (void)m.data(i, Qt::ForegroundRole);
        }
}

// Reads every row of a bare query (the engine's cost for the same result).
int drain(Database& db, const QString& sql, const QVariantList& params = {}) {
    QSqlQuery q = db.select(sql, params);
    const int columns = q.record().count();
    int rows = 0;
    while (q.next()) {
        for (int c = 0; c < columns; ++c)
            (void)q.value(c);
        ++rows;
    }
    return rows;
}

// What a user waits for: a keystroke's answer within a screen refresh (16
// ms) and no more than three times what the engine itself needs; a re-sort
// on a column no one sorts by every day within half a second.
constexpr double kFrameMs = 16;
constexpr double kMaxRatio = 3;
constexpr double kRareSortMs = 500;

struct Figure {
    QString what;
    double program = 0;
    double bare = 0;
    double target = 0;   // ms, 0: none
    double maxRatio = 0; // program / bare, 0: none
};

// Prints the table; returns the number of figures beyond a limit.
int printTable(const std::vector<Figure>& figures) {
    out << QStringLiteral("\n%1 %2 %3 %4 %5 %6\n")
               .arg(QStringLiteral("művelet"), -46)
               .arg(QStringLiteral("program ms"), 11)
               .arg(QStringLiteral("nyers ms"), 9)
               .arg(QStringLiteral("arány"), 7)
               .arg(QStringLiteral("cél ms"), 8)
               .arg(QStringLiteral("cél arány"), 10);
    int slow = 0;
    for (const Figure& f : figures) {
        const double r = f.bare > 0 ? f.program / f.bare : 0;
        const QString ratio = f.bare > 0 ? QString::number(r, 'f', 1) : QStringLiteral("-");
        const QString target = f.target > 0 ? QString::number(f.target, 'f', 0) : QStringLiteral("-");
        const QString maxRatio = f.maxRatio > 0 ? QString::number(f.maxRatio, 'f', 0) : QStringLiteral("-");
        QString verdict;
        if (f.target > 0 || f.maxRatio > 0) {
            const bool fast = (f.target <= 0 || f.program <= f.target) &&
                              (f.maxRatio <= 0 || f.bare <= 0 || r <= f.maxRatio);
            verdict = fast ? QStringLiteral("  rendben") : QStringLiteral("  LASSÚ");
            slow += fast ? 0 : 1;
        }
        out << QStringLiteral("%1 %2 %3 %4 %5 %6%7\n")
                   .arg(f.what, -46)
                   .arg(f.program, 11, 'f', 2)
                   .arg(f.bare, 9, 'f', 2)
                   .arg(ratio, 7)
                   .arg(target, 8)
                   .arg(maxRatio, 10)
                   .arg(verdict);
    }
    out.flush();
    return slow;
}

void ensureFolder(Database& db, const QString& folder) {
    if (!Database::isDataFolder(folder)) {
        out << "Adatmappa készítése: " << folder << " (néhány perc)\n";
        out.flush();
        data::createDataFolder(db, folder);
        DemoOptions masters;
        masters.customers = 20000;
        masters.products = 5000;
        fillDemoMasters(db, masters);
        DemoDocumentOptions docs;
        docs.documents = 300000;
        docs.progress = [](int made) { QTextStream(stderr) << "\r" << made << " bizonylat" << Qt::flush; };
        fillDemoDocuments(db, docs);
        QTextStream(stderr) << '\n';
        return;
    }
    db.open(folder);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QStringList args = QCoreApplication::arguments();
    useCpuTime = args.removeAll(QStringLiteral("--cpu")) > 0;
    // Anything else that looks like an option is a mistake, not a folder to fill.
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args.at(i).startsWith(QLatin1Char('-'))) {
            out << "Használat: register_bench [MAPPA] [--cpu]\n";
            out.flush();
            return args.at(i) == QLatin1String("--help") || args.at(i) == QLatin1String("-h") ? 0 : 2;
        }
    }
    const QString folder =
        args.size() > 1 ? args.at(1) : QDir::tempPath() + QStringLiteral("/orvix-register-bench");

    Database db(QStringLiteral("bench"));
    try {
        ensureFolder(db, folder);
        const Settings settings = loadSettings(db);
        const int documents = int(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), 0));
        out << "Adatmappa: " << folder << ", " << documents << " bizonylat, "
            << db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla_sor"), 0) << " sor, "
            << db.queryInt(QStringLiteral("SELECT COUNT(*) FROM ugyfel"), 0) << " ügyfél\n";

        Stopwatch t;
        data::ensureIndexes(db);
        out << "ensureIndexes: " << QString::number(t.ms(), 'f', 0) << " ms"
            << (useCpuTime ? " (processzoridő)" : "") << "\n";
        out.flush();

        std::vector<Figure> figures;
        const QString selectCols = QStringLiteral("SELECT szla.*, fiztip.fiztip_nev AS xfiztip_nev, "
                                                  "szla.brutto-szla.penzfizetve AS hatralek FROM szla "
                                                  "LEFT OUTER JOIN fiztip ON (szla.fiztip=fiztip.fiztip) ");
        const qint64 oldest = db.queryInt(QStringLiteral("SELECT MIN(szla) FROM szla"), 0);
        const qint64 middle = db.queryInt(
            QStringLiteral("SELECT szla FROM szla ORDER BY szla LIMIT 1 OFFSET %1").arg(documents / 2), 0);

        // 1. Opening the register: count, first window, first screen; once on
        // a fresh connection (empty page cache of the engine), then repeated.
        {
            Database fresh(QStringLiteral("bench-fresh"));
            fresh.open(folder);
            Stopwatch first;
            auto m = makeListModel(fresh, DocumentsList, settings);
            m->reload();
            readScreen(*m, 0);
            const double program = first.ms();
            m.reset();
            fresh.close();
            Database bare(QStringLiteral("bench-bare"));
            bare.open(folder);
            first.restart();
            bare.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), 0);
            drain(bare, selectCols + QStringLiteral("ORDER BY szla.szla DESC LIMIT %1").arg(kScreenRows));
            figures.push_back(
                {QStringLiteral("megnyitás friss kapcsolaton"), program, first.ms(), kFrameMs, kMaxRatio});
        }
        {
            Figure f{QStringLiteral("megnyitás (első képernyő)"), 0, 0, kFrameMs, kMaxRatio};
            f.program = median([&] {
                auto m = makeListModel(db, DocumentsList, settings);
                m->reload();
                readScreen(*m, 0);
            });
            f.bare = median([&] {
                db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), 0);
                drain(db, selectCols + QStringLiteral("ORDER BY szla.szla DESC LIMIT %1").arg(kScreenRows));
            });
            figures.push_back(f);
        }

        // 2. RefreshRegister on the oldest document: reopen and find it.
        {
            auto m = makeListModel(db, DocumentsList, settings);
            m->reload();
            readScreen(*m, 0);
            Figure f{QStringLiteral("ugrás a legrégebbi bizonylatra"), 0, 0, kFrameMs, kMaxRatio};
            int row = -1;
            f.program = median([&] {
                m->reload();
                row = m->rowOfKey(oldest);
                readScreen(*m, row);
            });
            if (row != documents - 1)
                out << "HIBA: a legrégebbi bizonylat sora " << row << "\n";
            f.bare = median([&] {
                db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), 0);
                db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE szla > ?"), 0, {oldest});
                drain(db,
                      selectCols +
                          QStringLiteral("WHERE szla.szla >= ? ORDER BY szla.szla LIMIT %1").arg(kScreenRows),
                      {oldest});
            });
            figures.push_back(f);

            Figure g{QStringLiteral("ugrás egy középső bizonylatra"), 0, 0, kFrameMs, kMaxRatio};
            g.program = median([&] {
                m->reload();
                row = m->rowOfKey(middle);
                readScreen(*m, row);
            });
            g.bare = median([&] {
                db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), 0);
                db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE szla > ?"), 0, {middle});
                drain(db,
                      selectCols + QStringLiteral("WHERE szla.szla <= ? ORDER BY szla.szla DESC LIMIT %1")
                                       .arg(kScreenRows),
                      {middle});
            });
            figures.push_back(g);

            // For comparison: a list that reads every row up to the target.
            Stopwatch full;
            QSqlQuery q = db.select(selectCols + QStringLiteral("ORDER BY szla.szla DESC"));
            const int columns = q.record().count();
            while (q.next()) {
                for (int c = 0; c < columns; ++c)
                    (void)q.value(c);
                if (q.value(0).toLongLong() == oldest)
                    break;
            }
            figures.push_back(
                {QStringLiteral("(összehasonlítás: minden sor beolvasása odáig)"), full.ms(), 0, 0});
        }

        // 3. Search keystrokes.
        {
            auto m = makeListModel(db, DocumentsList, settings);
            m->reload();
            readScreen(*m, 0);
            // Number search on the key (the register's initial search field).
            const QString key = QString::number(middle);
            Figure f{QStringLiteral("keresés gépi kódra (billentyűnként)"), 0, 0, kFrameMs, kMaxRatio};
            int step = 0;
            f.program = median([&] {
                const QString text = key.left(1 + step++ % key.size());
                const auto row = searchList(m->query(), DocumentsList, QStringLiteral("szla"), text);
                readScreen(*m, row.value_or(0));
            });
            f.bare = median([&] {
                db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE szla > ?"), 0, {middle});
                drain(db,
                      selectCols + QStringLiteral("WHERE szla.szla <= ? ORDER BY szla.szla DESC LIMIT %1")
                                       .arg(kScreenRows),
                      {middle});
            });
            figures.push_back(f);

            // Text search on the customer name, after sorting by it.
            m->setOrder(QStringLiteral("ugyfel_nev"), false);
            const QString name = db.queryText(QStringLiteral("SELECT ugyfel_nev FROM szla WHERE szla = ?"),
                                              QString(), {middle});
            Figure g{QStringLiteral("keresés ügyfélnévre (billentyűnként)"), 0, 0, kFrameMs, kMaxRatio};
            step = 0;
            int misses = 0;
            g.program = median([&] {
                const QString text = name.left(1 + step++ % std::min<qsizetype>(name.size(), 8)).toLower();
                const auto row = searchList(m->query(), DocumentsList, QStringLiteral("ugyfel_nev"), text);
                if (!row || *row < 0)
                    ++misses;
                readScreen(*m, row.value_or(0));
            });
            if (misses)
                out << "HIBA: a névkeresés " << misses << " esetben nem talált\n";
            const QString prefix = name.left(4);
            g.bare = median([&] {
                const QVariant found =
                    db.queryValue(QStringLiteral("SELECT ugyfel_nev FROM szla WHERE ugyfel_nev >= ? ORDER BY "
                                                 "ugyfel_nev, szla LIMIT 1"),
                                  {prefix});
                db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE ugyfel_nev > ?"), 0, {found});
                drain(db,
                      selectCols +
                          QStringLiteral(
                              "WHERE szla.ugyfel_nev >= ? ORDER BY szla.ugyfel_nev, szla.szla LIMIT %1")
                              .arg(kScreenRows),
                      {found});
            });
            figures.push_back(g);

            // The customers list: "kov" on 20 000 customers.
            auto c = makeListModel(db, CustomersList, settings);
            c->reload();
            Figure h{QStringLiteral("vevők: keresés \"kov\" (billentyűnként)"), 0, 0, kFrameMs, kMaxRatio};
            step = 0;
            h.program = median([&] {
                const QString text = QStringLiteral("kov").left(1 + step++ % 3);
                const auto row = searchList(c->query(), CustomersList, QStringLiteral("ugyfel_nev"), text);
                readScreen(*c, row.value_or(0));
            });
            h.bare = median([&] {
                const QVariant found = db.queryValue(QStringLiteral(
                    "SELECT ugyfel_nev FROM ugyfel WHERE torolve='N' AND ugyfel_nev >= 'kov' ORDER BY "
                    "ugyfel_nev, ugyfel LIMIT 1"));
                db.queryInt(
                    QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE torolve='N' AND ugyfel_nev > ?"), 0,
                    {found});
                drain(db,
                      QStringLiteral(
                          "SELECT * FROM ugyfel WHERE torolve='N' AND ugyfel_nev >= ? ORDER BY ugyfel_nev, "
                          "ugyfel LIMIT %1")
                          .arg(kScreenRows),
                      {found});
            });
            figures.push_back(h);
        }

        // 4. Re-sorting with the cursor kept on the same document, by every
        // column of the register: the everyday ones within a screen refresh,
        // the others within half a second. Each run starts from another order
        // (not timed).
        const RegisterListDef& documentsDef = registerList(DocumentsList);
        const QStringList everyday = {QStringLiteral("ugyfel_nev"), QStringLiteral("dat_kiadva"),
                                      QStringLiteral("brutto"), QStringLiteral("szlaszam")};
        QStringList sortOrder = everyday;
        for (const ListColumn& c : documentsDef.columns)
            if (!sortOrder.contains(c.field))
                sortOrder << c.field;
        for (const QString& field : sortOrder) {
            const SortChoice choice = sortForColumn(DocumentsList, field);
            if (!choice.ok) {
                out << "HIBA: a(z) " << field << " oszlop nem rendezhető\n";
                continue;
            }
            QString caption = field;
            for (const ListColumn& c : documentsDef.columns)
                if (c.field == field)
                    caption = c.caption;
            auto m = makeListModel(db, DocumentsList, settings);
            m->reload();
            readScreen(*m, 0);
            const bool daily = everyday.contains(field);
            Figure f{QStringLiteral("átrendezés: %1, kurzor a bizonylaton").arg(caption), 0, 0,
                     daily ? kFrameMs : kRareSortMs, daily ? kMaxRatio : 0};
            const SortChoice other =
                sortForColumn(DocumentsList, choice.field.isEmpty() ? QStringLiteral("ugyfel_nev") : QStringLiteral("szla"));
            int row = -1;
            f.program = median(
                [&] {
                    m->setOrder(choice.field, choice.descending);
                    row = m->rowOfKey(middle);
                    readScreen(*m, row);
                },
                [&] {
                    m->setOrder(other.field, other.descending);
                    readScreen(*m, m->rowOfKey(middle));
                });
            if (row < 0 || m->keyAt(row).toLongLong() != middle)
                out << "HIBA: átrendezés után a kurzor nem a bizonylaton áll (" << field << ")\n";
            const QString computed = documentsDef.source.computedExpression(choice.field);
            const QString col = choice.field.isEmpty() ? QStringLiteral("szla.szla")
                                : computed.isEmpty()   ? QStringLiteral("szla.") + choice.field
                                                       : QLatin1Char('(') + computed + QLatin1Char(')');
            const QString dir = choice.descending ? QStringLiteral(" DESC") : QString();
            f.bare = median([&] {
                const QVariant v =
                    db.queryValue(QStringLiteral("SELECT %1 FROM szla WHERE szla = ?").arg(col), {middle});
                db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE %1 > ?").arg(col), 0, {v});
                drain(db,
                      selectCols + QStringLiteral("WHERE %1 %2 ? ORDER BY %1%3, szla.szla%3 LIMIT %4")
                                       .arg(col, choice.descending ? QStringLiteral("<=") : QStringLiteral(">="),
                                            dir)
                                       .arg(kScreenRows),
                      {v});
            });
            figures.push_back(f);
        }

        // 5. Scrolling: dragging the scroll bar to the middle of a sorted list.
        {
            auto m = makeListModel(db, DocumentsList, settings);
            m->setOrder(QStringLiteral("ugyfel_nev"), false);
            readScreen(*m, 0);
            Figure f{QStringLiteral("görgetés a lista közepére (ügyfél szerint)"), 0, 0, kFrameMs, kMaxRatio};
            int at = documents / 3;
            f.program = median([&] {
                at += 7919;
                readScreen(*m, at % documents);
            });
            f.bare = median([&] {
                drain(db, QStringLiteral(
                              "SELECT ugyfel_nev, szla FROM szla WHERE ugyfel_nev IS NOT NULL ORDER BY "
                              "ugyfel_nev, szla LIMIT 1 OFFSET %1")
                              .arg(documents / 2));
            });
            figures.push_back(f);
        }

        if (useCpuTime)
            out << "\nAz idők processzoridők (--cpu).";
        const int slow = printTable(figures);
        if (slow > 0)
            out << slow << " művelet lassabb a célnál\n";
    } catch (const DbError& e) {
        QTextStream(stderr) << "Hiba: " << e.text() << '\n';
        return 1;
    } catch (const DemoDataError& e) {
        QTextStream(stderr) << "Hiba: " << e.text() << '\n';
        return 1;
    }
    return 0;
}
