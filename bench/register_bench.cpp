// The invoice register on a large data folder: how long the main window's
// document list takes to show its first screen, to jump to a document by its
// key, to follow a search keystroke and to re-sort, next to the same queries
// run bare on the engine.
//
//   register_bench [DIR]
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
#include <functional>
#include <vector>

using namespace orvix;

namespace {

QTextStream out(stdout);

constexpr int kScreenRows = 25; // rows of the grid at the default window size
constexpr int kRepeats = 7;

double msSince(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

// Median of several runs of f (each run prepared by setup, which is not timed).
double median(const std::function<void()>& f, const std::function<void()>& setup = {}) {
    std::vector<double> runs;
    for (int i = 0; i < kRepeats; ++i) {
        if (setup)
            setup();
        QElapsedTimer t;
        t.start();
        f();
        runs.push_back(msSince(t));
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

struct Figure {
    QString what;
    double program = 0;
    double bare = 0;
    double target = 0;
};

void printTable(const std::vector<Figure>& figures) {
    out << QStringLiteral("\n%1 %2 %3 %4 %5\n")
               .arg(QStringLiteral("művelet"), -46)
               .arg(QStringLiteral("program ms"), 11)
               .arg(QStringLiteral("nyers ms"), 9)
               .arg(QStringLiteral("arány"), 7)
               .arg(QStringLiteral("cél ms"), 8);
    for (const Figure& f : figures) {
        const QString ratio = f.bare > 0 ? QString::number(f.program / f.bare, 'f', 1) : QStringLiteral("-");
        const QString target = f.target > 0 ? QString::number(f.target, 'f', 0) : QStringLiteral("-");
        const QString verdict =
            f.target <= 0 ? QString()
                          : (f.program <= f.target ? QStringLiteral("  rendben") : QStringLiteral("  LASSÚ"));
        out << QStringLiteral("%1 %2 %3 %4 %5%6\n")
                   .arg(f.what, -46)
                   .arg(f.program, 11, 'f', 2)
                   .arg(f.bare, 9, 'f', 2)
                   .arg(ratio, 7)
                   .arg(target, 8)
                   .arg(verdict);
    }
    out.flush();
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
    const QStringList args = QCoreApplication::arguments();
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

        QElapsedTimer t;
        t.start();
        data::ensureIndexes(db);
        out << "ensureIndexes: " << QString::number(msSince(t), 'f', 0) << " ms\n";
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
            QElapsedTimer first;
            first.start();
            auto m = makeListModel(fresh, DocumentsList, settings);
            m->reload();
            readScreen(*m, 0);
            const double program = msSince(first);
            m.reset();
            fresh.close();
            Database bare(QStringLiteral("bench-bare"));
            bare.open(folder);
            first.restart();
            bare.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), 0);
            drain(bare, selectCols + QStringLiteral("ORDER BY szla.szla DESC LIMIT %1").arg(kScreenRows));
            figures.push_back({QStringLiteral("megnyitás friss kapcsolaton"), program, msSince(first), 150});
        }
        {
            Figure f{QStringLiteral("megnyitás (első képernyő)"), 0, 0, 150};
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
            Figure f{QStringLiteral("ugrás a legrégebbi bizonylatra"), 0, 0, 150};
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

            Figure g{QStringLiteral("ugrás egy középső bizonylatra"), 0, 0, 150};
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
            QElapsedTimer full;
            full.start();
            QSqlQuery q = db.select(selectCols + QStringLiteral("ORDER BY szla.szla DESC"));
            const int columns = q.record().count();
            while (q.next()) {
                for (int c = 0; c < columns; ++c)
                    (void)q.value(c);
                if (q.value(0).toLongLong() == oldest)
                    break;
            }
            figures.push_back(
                {QStringLiteral("(összehasonlítás: minden sor beolvasása odáig)"), msSince(full), 0, 0});
        }

        // 3. Search keystrokes.
        {
            auto m = makeListModel(db, DocumentsList, settings);
            m->reload();
            readScreen(*m, 0);
            // Number search on the key (the register's initial search field).
            const QString key = QString::number(middle);
            Figure f{QStringLiteral("keresés gépi kódra (billentyűnként)"), 0, 0, 50};
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
            Figure g{QStringLiteral("keresés ügyfélnévre (billentyűnként)"), 0, 0, 50};
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
            Figure h{QStringLiteral("vevők: keresés \"kov\" (billentyűnként)"), 0, 0, 50};
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

        // 4. Re-sorting with the cursor kept on the same document.
        for (const auto& [field, caption] : std::vector<std::pair<QString, QString>>{
                 {QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél")},
                 {QStringLiteral("dat_kiadva"), QStringLiteral("kiadva")},
                 {QStringLiteral("brutto"), QStringLiteral("bruttó")},
                 {QStringLiteral("szlaszam"), QStringLiteral("számlaszám")}}) {
            auto m = makeListModel(db, DocumentsList, settings);
            m->reload();
            readScreen(*m, 0);
            Figure f{QStringLiteral("átrendezés: %1, kurzor a bizonylaton").arg(caption), 0, 0, 500};
            bool flip = false;
            f.program = median([&] {
                const SortChoice s = sortForColumn(DocumentsList, flip ? QStringLiteral("szla") : field);
                flip = !flip;
                m->setOrder(s.field, s.descending);
                const int row = m->rowOfKey(middle);
                readScreen(*m, row);
            });
            const QString col = QStringLiteral("szla.") + field;
            f.bare = median([&] {
                const QVariant v =
                    db.queryValue(QStringLiteral("SELECT %1 FROM szla WHERE szla = ?").arg(col), {middle});
                db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE %1 > ?").arg(col), 0, {v});
                drain(db,
                      selectCols + QStringLiteral("WHERE %1 >= ? ORDER BY %1, szla.szla LIMIT %2")
                                       .arg(col)
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
            Figure f{QStringLiteral("görgetés a lista közepére (ügyfél szerint)"), 0, 0, 0};
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

        printTable(figures);
    } catch (const DbError& e) {
        QTextStream(stderr) << "Hiba: " << e.text() << '\n';
        return 1;
    } catch (const DemoDataError& e) {
        QTextStream(stderr) << "Hiba: " << e.text() << '\n';
        return 1;
    }
    return 0;
}
