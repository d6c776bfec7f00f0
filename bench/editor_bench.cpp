// The invoice editor on a large data folder: opening a document (the
// statements the editor runs to load its header and lines) and adding a
// line (the line entry's insert with the header totals, in one
// transaction), each timed over many documents, next to the same statements
// run bare.
//
//   editor_bench DIR [ROUNDS]
//
// DIR is a data folder made by the demo-data generator (for example
// Orvix_Szamla_Cli demo-data DIR --documents 300000). The benchmark adds
// lines to its documents: run it on a copy.
#include "common/Database.h"
#include "core/AppContext.h"
#include "core/Dialogs.h"
#include "core/Settings.h"
#include "invoicing/Editor.h"
#include "invoicing/LineEntry.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <vector>

using namespace orvix;

namespace {

// Answers what the new-line entry asks: quantity 2, the product's name.
class BenchDialogs : public Dialogs {
public:
    void error(const QString& text) override { QTextStream(stderr) << "Hiba: " << text << '\n'; }
    void warning(const QString&) override {}
    void info(const QString&) override {}
    bool question(const QString&, const QString&) override { return true; }
    Answer question3(const QString&, const QString&) override { return Answer::Yes; }
    std::optional<QString> inputText(const QString&, const QString&, const QString& initial, const QString&,
                                     Echo) override {
        return initial;
    }
    std::optional<double> inputNumber(const QString&, const QString&, double initial) override {
        return initial;
    }
    std::optional<double> inputQuantity(const QString&, const QString&, double initial, bool,
                                        double) override {
        return initial;
    }
    std::optional<NumberAndText> inputNumberText(const QString&, const QString&, const QString&,
                                                 const NumberAndText& initial, const QString&) override {
        NumberAndText r = initial;
        r.number = 2;
        return r;
    }
    std::optional<Period> inputPeriod(const QString&, const Period& initial) override { return initial; }
    std::optional<MonthPeriod> inputMonthPeriod(const QString&, const MonthPeriod& initial) override {
        return initial;
    }
    int chooseDatabase(const QString&, const QStringList&, const QStringList&) override { return -1; }
};

// The product chooser answers with the given product.
class BenchLineUi : public LineEntryUi {
public:
    BenchLineUi(Database& db, QString code) : m_db(db), m_code(std::move(code)) {}
    std::optional<ProductChoiceResult> chooseProduct(const ChoiceRequest&) override {
        return LookupProduct(m_db, m_code);
    }
    std::optional<double> editPrice(const QString&, double net, double) override { return net; }

private:
    Database& m_db;
    QString m_code;
};

struct Figures {
    double median = 0;
    double worst = 0;
    double first = 0;
};

Figures measure(int rounds, const std::function<void(int)>& run) {
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        run(i);
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    Figures f;
    f.first = ms.front();
    std::sort(ms.begin(), ms.end());
    f.median = ms[ms.size() / 2];
    f.worst = ms.back();
    return f;
}

void report(const QString& what, const Figures& f, const Figures* bare = nullptr) {
    QTextStream out(stdout);
    out << what.leftJustified(46)
        << QStringLiteral("median %1 ms, worst %2 ms, first %3 ms")
               .arg(f.median, 0, 'f', 2)
               .arg(f.worst, 0, 'f', 2)
               .arg(f.first, 0, 'f', 2);
    if (bare && bare->median > 0)
        out << QStringLiteral("  (bare %1 ms, ratio %2)")
                   .arg(bare->median, 0, 'f', 2)
                   .arg(f.median / bare->median, 0, 'f', 1);
    out << '\n';
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() < 2) {
        QTextStream(stderr) << "Használat: editor_bench DIR [ROUNDS]\n";
        return 2;
    }
    const int rounds = args.size() > 2 ? std::max(3, args.at(2).toInt()) : 200;
    try {
        Database db;
        QElapsedTimer openTimer;
        openTimer.start();
        db.open(args.at(1));
        const Settings settings = loadSettings(db);
        const qint64 documents = db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), 0);
        const qint64 lines = db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla_sor"), 0);
        const qint64 maxKey = db.queryInt(QStringLiteral("SELECT MAX(szla) FROM szla"), 0);
        QTextStream(stdout) << QStringLiteral("%1 bizonylat, %2 tétel; megnyitás %3 ms\n")
                                   .arg(documents)
                                   .arg(lines)
                                   .arg(openTimer.elapsed());
        // Documents spread over the whole folder.
        const auto keyOf = [&](int i) { return std::max<qint64>(1, maxKey - (qint64(i) * 1499) % maxKey); };

        BenchDialogs dialogs;
        CurrentUser user;
        InvoiceEditor editor(db, dialogs, settings, user);
        const Figures open = measure(rounds, [&](int i) { editor.open(keyOf(i)); });
        const Figures openBare = measure(rounds, [&](int i) {
            const qint64 key = keyOf(i);
            QSqlQuery h = db.select(QStringLiteral("SELECT * FROM szla WHERE szla=?;"), {key});
            while (h.next()) {
            }
            QSqlQuery l =
                db.select(QStringLiteral("SELECT * FROM szla_sor WHERE szla=? ORDER BY szla, sor;"), {key});
            while (l.next()) {
            }
        });
        report(QStringLiteral("Bizonylat megnyitása (fej, név, tételek)"), open, &openBare);

        const QString product = db.queryText(
            QStringLiteral("SELECT MIN(cikkszam) FROM cikkszam WHERE torolve='N' AND eloleg='N'"), {});
        BenchLineUi ui(db, product);
        // Unposted documents take new lines.
        std::vector<qint64> unposted;
        {
            QSqlQuery q =
                db.select(QStringLiteral("SELECT szla FROM szla WHERE konyvelve='N' ORDER BY szla DESC"));
            while (q.next() && int(unposted.size()) < rounds)
                unposted.push_back(q.value(0).toLongLong());
        }
        if (unposted.empty()) {
            unposted.push_back(CreateEditorDocument(
                db, dialogs, settings, user, kKindInvoice,
                db.queryInt(QStringLiteral("SELECT MIN(ugyfel) FROM ugyfel"), 1), false));
        }
        const Figures add = measure(rounds, [&](int i) {
            const LineDocument doc = LineDocument::load(db, unposted[size_t(i) % unposted.size()]);
            EnterNewLine(db, dialogs, ui, settings, doc, QString());
        });
        const Figures addBare = measure(rounds, [&](int i) {
            const qint64 key = unposted[size_t(i) % unposted.size()];
            Database::Transaction tr(db);
            const qint64 sor =
                db.queryInt(QStringLiteral("SELECT MAX(sor) FROM szla_sor WHERE szla=?;"), 0, {key}) + 1;
            db.execSql(
                QStringLiteral("INSERT INTO szla_sor (szla, sor, cikkszam, db, egysar, netto, afa, brutto) "
                               "VALUES (?, ?, ?, 1, 100, 100, 27, 127);"),
                {key, sor, product});
            db.execSql(
                QStringLiteral("UPDATE szla SET netto=(SELECT SUM(netto*db) FROM szla_sor WHERE szla=?) "
                               "WHERE szla=?;"),
                {key, key});
            tr.commit();
        });
        report(QStringLiteral("Új tétel (beszúrás + fejösszesítő)"), add, &addBare);

        const Figures create = measure(std::min(rounds, 50), [&](int) {
            CreateEditorDocument(db, dialogs, settings, user, kKindInvoice,
                                 db.queryInt(QStringLiteral("SELECT MIN(ugyfel) FROM ugyfel"), 1), false);
        });
        report(QStringLiteral("Új bizonylat fejének létrehozása"), create);
    } catch (const DbError& e) {
        QTextStream(stderr) << "Hiba: " << e.text() << '\n';
        return 1;
    } catch (const DocumentError& e) {
        QTextStream(stderr) << "Hiba: " << e.text() << '\n';
        return 1;
    }
    return 0;
}
