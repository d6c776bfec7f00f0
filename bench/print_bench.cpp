// The invoice print of a 100-line invoice to PDF: reading the document,
// laying it out and writing the PDF file, next to the bare reading of the
// same rows and the layout alone.
//
//   print_bench [ROUNDS] [LINES]
//
// Makes its own data folder in a temporary directory.
#include "common/Database.h"
#include "core/Settings.h"
#include "data/Schema.h"
#include "printing/InvoicePrint.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <vector>

using namespace orvix;

namespace {

struct Timing {
    double median = 0;
    double worst = 0;
};

Timing timeIt(int rounds, const std::function<void()>& work) {
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int rounds = args.size() > 1 ? std::max(1, args.at(1).toInt()) : 20;
    const int lines = args.size() > 2 ? std::max(1, args.at(2).toInt()) : 100;

    QTemporaryDir dir;
    Database db;
    data::createDataFolder(db, dir.filePath(QStringLiteral("Data")));
    db.execSql(QStringLiteral("UPDATE tulajdonos SET tulajdonos='Árvíztűrő Kft.', irsz='1111', varos='Budapest'"));
    db.execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev, szla_irsz, szla_varos, fiztip) "
                              "VALUES ('Mérő Vevő', '6720', 'Szeged', 1)"));
    db.execSql(QStringLiteral("INSERT INTO szla (prntip, szlaszam, dat_kiadva, ugyfel, ugyfel_nev, fiztip, vat, "
                              "tulajdonos, konyvelve, szlabetu) VALUES ('S', 1, '2026-03-02', 1, 'Mérő Vevő', 1, "
                              "'HUF', 'Árvíztűrő Kft.', 'I', 'SA')"));
    const qint64 doc = db.queryInt(QStringLiteral("SELECT MAX(szla) FROM szla"), 0);
    {
        Database::Transaction tr(db);
        for (int i = 1; i <= lines; ++i) {
            const double rate = i % 3 == 0 ? 5 : i % 3 == 1 ? 18 : 27;
            const double net = 100 + i * 7.35;
            db.execSql(QStringLiteral("INSERT INTO szla_sor (szla, sor, cikkszam, cikkszam_nev, mert, db, afakulcs, "
                                      "netto, afa, brutto, megjegyzes, vtsz) VALUES (?, ?, ?, ?, 'db', ?, ?, ?, ?, ?, "
                                      "?, '8471')"),
                       {doc, i, QStringLiteral("T%1").arg(i), QStringLiteral("Árvíztűrő tükörfúrógép %1. típus").arg(i),
                        i % 5 + 1, rate, net, net * rate / 100, net * (1 + rate / 100),
                        i % 4 == 0 ? QStringLiteral("sorozatszám: %1").arg(i * 1000) : QString()});
        }
        tr.commit();
    }

    PrintSetup setup;
    setup.settings = loadSettings(db);
    setup.workFolder = dir.path();
    setup.installedPrinters = QStringList{};
    const PrintRequest request = documentPrintRequest(db, doc, false);
    const QString pdf = dir.filePath(QStringLiteral("szamla.pdf"));

    // Warm-up: fonts loaded, statements prepared.
    report::writePdf({layOutInvoice(db, setup, request, InvoiceLayout::Design1)}, pdf);

    const Timing bare = timeIt(rounds, [&] {
        QSqlQuery q = db.select(QStringLiteral("SELECT * FROM szla_sor WHERE szla=? ORDER BY sor"), {doc});
        while (q.next()) {
        }
    });
    const Timing layout = timeIt(rounds, [&] { layOutInvoice(db, setup, request, InvoiceLayout::Design1); });
    int pages = 0;
    const Timing whole = timeIt(rounds, [&] {
        const report::Document d = layOutInvoice(db, setup, request, InvoiceLayout::Design1);
        pages = d.pageCount();
        report::writePdf({d}, pdf);
    });

    QTextStream out(stdout);
    out << "Számla " << lines << " tétellel, " << pages << " oldal, " << rounds << " kör (medián / legrosszabb ms)\n";
    out << "  sorok olvasása (nyers):  " << bare.median << " / " << bare.worst << '\n';
    out << "  elrendezés:              " << layout.median << " / " << layout.worst << '\n';
    out << "  elrendezés + PDF írás:   " << whole.median << " / " << whole.worst << '\n';
    out << (whole.median < 300 ? "OK: 300 ms alatt\n" : "LASSÚ: 300 ms fölött\n");
    return whole.median < 300 ? 0 : 1;
}
