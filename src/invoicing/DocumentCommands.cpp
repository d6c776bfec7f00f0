#include "invoicing/DocumentCommands.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/BatchDialogs.h"
#include "core/Dialogs.h"
#include "core/Settings.h"
#include "core/TextUtil.h"
#include "data/Indexes.h"
#include "invoicing/DemoDataCommand.h"
#include "invoicing/Documents.h"
#include "invoicing/ImportCommand.h"
#include "invoicing/LineEntry.h"

#include <QDir>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextStream>

#include <cmath>
#include <optional>

namespace orvix {

namespace {

using namespace cli;

QString newDocumentHelp() {
    return QStringLiteral(
        "Használat: Orvix_Szamla_Cli new-document DIR --kind S|J|P --customer ID\n"
        "           [--reverse-charge] [--exchange-rate R] [--user NAME]\n"
        "           --line CODE:QTY[:NETPRICE] [--line …]\n"
        "\n"
        "Új bizonylatot készít a DIR adatmappában a megadott tételekkel, egyetlen\n"
        "lépésben: vagy a teljes bizonylat kerül be, vagy semmi. Kiírja a bizonylat\n"
        "gépi kódját és sorszámát (például: 12 SA0000123-S/2026).\n"
        "\n"
        "Kapcsolók:\n"
        "  --kind K            a bizonylat fajtája: S számla, J helyesbítő számla, P proforma\n"
        "  --customer ID       az ügyfél gépi kódja\n"
        "  --reverse-charge    fordított adózású bizonylat (minden tétel 0 %-os);\n"
        "                      csak ha a beállításokban engedélyezett\n"
        "  --exchange-rate R   az árfolyam (legalább 1); devizás ügyfélnél kötelező,\n"
        "                      forintos ügyfélnél nem számít\n"
        "  --user NAME         a bizonylatot kiállító felhasználó (alapértelmezés: rendszergazda)\n"
        "  --line CODE:QTY[:NETPRICE]\n"
        "                      egy tétel: cikkszám, mennyiség és nettó egységár; egységár\n"
        "                      nélkül a termék nettó ára az ügyfél kedvezményével csökkentve.\n"
        "                      Az áfakulcs a termék áfakulcsa. Tizedesjel: pont vagy vessző.\n"
        "\n"
        "Kilépési kódok: 0 siker, 1 a bizonylat nem készült el, 2 hibás parancssor.");
}

QString counterDocumentHelp() {
    return QStringLiteral(
        "Használat: Orvix_Szamla_Cli counter-document DIR KEY --kind W|J [--user NAME]\n"
        "\n"
        "A DIR adatmappa KEY gépi kódú bizonylatáról ellenbizonylatot készít: a fej és\n"
        "minden tétel másolatát ellentétes előjelű mennyiségekkel és összegekkel, az\n"
        "eredeti bizonylatra hivatkozva. Kiírja az új bizonylat gépi kódját és sorszámát.\n"
        "\n"
        "Kapcsolók:\n"
        "  --kind K      W számlát érvénytelenítő okirat, J helyesbítő számla (csak számlából)\n"
        "  --user NAME   a bizonylatot kiállító felhasználó (alapértelmezés: rendszergazda)\n"
        "\n"
        "Proformáról nem készül ellenbizonylat.\n"
        "Kilépési kódok: 0 siker, 1 a bizonylat nem készült el, 2 hibás parancssor.");
}

// A number as a script writes it: decimal point or comma, nothing else.
std::optional<double> strictNumber(const QString& text) {
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

// The command line asks nothing: any question of the logic is a refusal.
BatchDialogs noDialogs() {
    return BatchDialogs([](const QString& question) {
        throw DocumentError(QStringLiteral("A parancssor nem tud kérdésre válaszolni: %1").arg(question));
    });
}

// Opens the data folder and makes sure its numbers are guarded.
void openFolder(Database& db, const QString& folder) {
    db.open(folder);
    for (const QString& warning : data::ensureIndexes(db).warnings)
        printWarning(warning);
}

CurrentUser commandUser(const Arguments& parsed) {
    CurrentUser user;
    if (parsed.has(QStringLiteral("--user")))
        user.name = parsed.value(QStringLiteral("--user")).trimmed();
    return user;
}

// "key printed-number" of a stored document.
QString documentLine(Database& db, qint64 key) {
    QSqlQuery q = db.select(
        QStringLiteral("SELECT szlaszam, prntip, szlabetu, dat_kiadva FROM szla WHERE szla=?;"), {key});
    if (!q.next())
        return QString::number(key);
    const QString kind = q.value(1).toString();
    return QStringLiteral("%1 %2").arg(key).arg(
        DocNumberText(q.value(0).toLongLong(), kind.isEmpty() ? QChar() : kind.at(0), q.value(2).toString(),
                      QDate::fromString(q.value(3).toString().left(10), Qt::ISODate)));
}

struct LineArgument {
    QString code;
    double quantity = 0;
    std::optional<double> netPrice;
};

std::optional<QString> parseLine(const QString& text, LineArgument& line) {
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() < 2 || parts.size() > 3 || parts.at(0).trimmed().isEmpty())
        return QStringLiteral("hibás tétel: \"%1\" (CIKKSZÁM:MENNYISÉG[:NETTÓÁR] a helyes alak).").arg(text);
    line.code = parts.at(0).trimmed();
    const std::optional<double> quantity = strictNumber(parts.at(1));
    if (!quantity)
        return QStringLiteral("a mennyiség nem szám: \"%1\" (tétel: %2).").arg(parts.at(1), text);
    if (*quantity == 0)
        return QStringLiteral("a mennyiség nem lehet nulla (tétel: %1).").arg(text);
    line.quantity = *quantity;
    if (parts.size() == 3) {
        const std::optional<double> price = strictNumber(parts.at(2));
        if (!price)
            return QStringLiteral("az egységár nem szám: \"%1\" (tétel: %2).").arg(parts.at(2), text);
        line.netPrice = *price;
    }
    return std::nullopt;
}

// The product of a code as typed, or as product codes are stored (upper
// case, without accents).
std::optional<QVariantMap> findProduct(Database& db, const QString& code) {
    for (const QString& candidate : {code, foldCode(code)}) {
        QSqlQuery q = db.select(QStringLiteral("SELECT * FROM cikkszam WHERE cikkszam=?;"), {candidate});
        if (q.next()) {
            QVariantMap product;
            const QSqlRecord rec = q.record();
            for (int i = 0; i < rec.count(); ++i)
                product.insert(rec.fieldName(i).toLower(), q.value(i));
            return product;
        }
    }
    return std::nullopt;
}

QString trimmedText(const QVariantMap& row, const char* name) {
    const QVariant v = row.value(QLatin1String(name));
    return v.isNull() ? QString() : v.toString().trimmed();
}

const QString kNewDocument = QStringLiteral("new-document");
const QString kCounterDocument = QStringLiteral("counter-document");
const QString kindOption = QStringLiteral("--kind");
const QString customerOption = QStringLiteral("--customer");
const QString rateOption = QStringLiteral("--exchange-rate");
const QString userOption = QStringLiteral("--user");
const QString lineOption = QStringLiteral("--line");
const QString reverseOption = QStringLiteral("--reverse-charge");

int runNewDocument(const Arguments& parsed) {
    const QString& command = kNewDocument;
    if (const auto error = positionalArguments(
            parsed, 1, QStringLiteral("a(z) %1 parancs egy adatmappát vár (DIR).").arg(command)))
        return badArguments(command, *error);
    const QString folder = parsed.positional.first();
    if (folder.trimmed().isEmpty())
        return badArguments(command,
                            QStringLiteral("a(z) %1 parancs egy adatmappát vár (DIR).").arg(command));

    const QString kindText = parsed.value(kindOption).trimmed().toUpper();
    if (!parsed.has(kindOption))
        return badArguments(command, QStringLiteral("hiányzik a bizonylat fajtája (--kind S, J vagy P)."));
    if (kindText != QLatin1String("S") && kindText != QLatin1String("J") && kindText != QLatin1String("P"))
        return badArguments(command, QStringLiteral("érvénytelen bizonylatfajta: \"%1\" (S, J vagy P lehet).")
                                         .arg(parsed.value(kindOption)));
    const QChar kind = kindText.at(0);

    if (!parsed.has(customerOption))
        return badArguments(command, QStringLiteral("hiányzik az ügyfél (--customer ID)."));
    const std::optional<qint64> customer = positiveKey(parsed.value(customerOption));
    if (!customer)
        return badArguments(command, QStringLiteral("az ügyfél gépi kódja pozitív egész szám, nem \"%1\".")
                                         .arg(parsed.value(customerOption)));

    std::optional<double> rate;
    if (parsed.has(rateOption)) {
        rate = strictNumber(parsed.value(rateOption));
        if (!rate || *rate < 1)
            return badArguments(
                command,
                QStringLiteral("az árfolyam legalább 1 lehet, nem \"%1\".").arg(parsed.value(rateOption)));
    }
    if (parsed.has(userOption) && parsed.value(userOption).trimmed().isEmpty())
        return badArguments(command, QStringLiteral("a felhasználó neve üres."));

    std::vector<LineArgument> lineArgs;
    for (const QString& text : parsed.values(lineOption)) {
        LineArgument line;
        if (const auto error = parseLine(text, line))
            return badArguments(command, *error);
        lineArgs.push_back(line);
    }
    if (lineArgs.empty())
        return badArguments(command, QStringLiteral("legalább egy tétel kell (--line CIKKSZÁM:MENNYISÉG)."));
    const bool reverse = parsed.has(reverseOption);

    Database db(QStringLiteral("cli-new-document"));
    try {
        openFolder(db, folder);
        const Settings settings = loadSettings(db);
        if (reverse && !settings.vanfa) {
            printError(
                QStringLiteral("A fordított adózás a beállításokban nincs engedélyezve, ezért fordított "
                               "adózású bizonylat nem készíthető."));
            return Failed;
        }

        QVariantMap client;
        {
            QSqlQuery q = db.select(QStringLiteral("SELECT * FROM ugyfel WHERE ugyfel=?;"), {*customer});
            if (!q.next()) {
                printError(QStringLiteral("Nem létező ügyfél: %1").arg(*customer));
                return Failed;
            }
            const QSqlRecord rec = q.record();
            for (int i = 0; i < rec.count(); ++i)
                client.insert(rec.fieldName(i).toLower(), q.value(i));
        }
        if (isYes(trimmedText(client, "torolve"))) {
            printError(QStringLiteral("A(z) %1 ügyfél törölve van.").arg(*customer));
            return Failed;
        }
        QString currency = trimmedText(client, "vat");
        if (currency.isEmpty())
            currency = kHomeCurrency;
        if (currency != kHomeCurrency) {
            if (!rate) {
                printError(QStringLiteral("A(z) %1 ügyfél pénzneme %2: az árfolyamot meg kell adni "
                                          "(--exchange-rate R). Bizonylat nem készült.")
                               .arg(*customer)
                               .arg(currency));
                return Failed;
            }
            if (*rate == 1) {
                printError(QStringLiteral("Érvénytelen árfolyam, vagy hibás devizanem"));
                return Failed;
            }
        }
        const double discount = varFloat(client.value(QStringLiteral("kedvezmeny")), 0);

        // The lines as an import brings them: the product's code as stored
        // and the net unit price (the list price less the customer's discount
        // when none is given).
        struct Line {
            QString code;
            double price = 0;
            double quantity = 0;
        };
        std::vector<Line> lines;
        for (const LineArgument& arg : lineArgs) {
            const std::optional<QVariantMap> product = findProduct(db, arg.code);
            if (!product) {
                printError(unknownProductMessage(arg.code));
                return Failed;
            }
            if (isYes(trimmedText(*product, "torolve"))) {
                printError(QStringLiteral("Törölt cikkszám: %1").arg(arg.code));
                return Failed;
            }
            double net = 0;
            if (arg.netPrice) {
                net = *arg.netPrice;
            } else {
                const double listNet = varFloat(product->value(QStringLiteral("netto")), 0);
                net = listNet - listNet * discount / 100.0;
            }
            lines.push_back({product->value(QStringLiteral("cikkszam")).toString(), net, arg.quantity});
        }

        NewDocument doc;
        doc.kind = kind;
        doc.customer = *customer;
        doc.reverseCharge = reverse;
        if (currency != kHomeCurrency)
            doc.exchangeRate = rate;
        BatchDialogs dialogs = noDialogs();
        // The header and every line, or nothing.
        Database::Transaction tr(db);
        const qint64 key = CreateDocument(db, dialogs, settings, commandUser(parsed), doc);
        const LineDocument target = LineDocument::load(db, key);
        int number = 0;
        for (const Line& line : lines)
            if (!ImportLine(db, dialogs, target, ++number, line.code, line.price, line.quantity))
                return Failed;
        RecomputeTotals(db, key);
        tr.commit();
        print(documentLine(db, key));
        return Success;
    } catch (const DocumentError& e) {
        printError(e.text());
    } catch (const DbError& e) {
        printError(e.text());
    }
    return Failed;
}

int runCounterDocument(const Arguments& parsed) {
    const QString& command = kCounterDocument;
    if (const auto error = positionalArguments(
            parsed, 2,
            QStringLiteral("a(z) %1 parancs egy adatmappát és egy bizonylat gépi kódját várja (DIR KEY).")
                .arg(command)))
        return badArguments(command, *error);
    const QString folder = parsed.positional.at(0);
    const std::optional<qint64> source = positiveKey(parsed.positional.at(1));
    if (!source)
        return badArguments(command, QStringLiteral("a bizonylat gépi kódja pozitív egész szám, nem \"%1\".")
                                         .arg(parsed.positional.at(1)));
    if (!parsed.has(kindOption))
        return badArguments(command, QStringLiteral("hiányzik az ellenbizonylat fajtája (--kind W vagy J)."));
    const QString kindText = parsed.value(kindOption).trimmed().toUpper();
    if (kindText != QLatin1String("W") && kindText != QLatin1String("J"))
        return badArguments(command,
                            QStringLiteral("érvénytelen ellenbizonylat-fajta: \"%1\" (W vagy J lehet).")
                                .arg(parsed.value(kindOption)));
    const QChar kind = kindText.at(0);
    if (parsed.has(userOption) && parsed.value(userOption).trimmed().isEmpty())
        return badArguments(command, QStringLiteral("a felhasználó neve üres."));

    Database db(QStringLiteral("cli-counter-document"));
    try {
        openFolder(db, folder);
        const Settings settings = loadSettings(db);
        const QVariant sourceKind =
            db.queryValue(QStringLiteral("SELECT prntip FROM szla WHERE szla=?;"), {*source});
        if (!sourceKind.isValid()) {
            printError(QStringLiteral("Nem létező bizonylat: %1").arg(*source));
            return Failed;
        }
        const QString letter = sourceKind.toString().trimmed();
        if (letter == QString(kKindProforma)) {
            printError(QStringLiteral("Proformáról nem készül ellenbizonylat."));
            return Failed;
        }
        if (kind == kKindCreditNote && letter != QString(kKindInvoice)) {
            printError(
                QStringLiteral("Helyesbítő számla csak számláról (S) készülhet, a(z) %1 bizonylat fajtája "
                               "\"%2\".")
                    .arg(*source)
                    .arg(letter));
            return Failed;
        }
        const qint64 key = CopyAsCounterDocument(db, settings, commandUser(parsed), *source, kind);
        print(documentLine(db, key));
        return Success;
    } catch (const DocumentError& e) {
        printError(e.text());
    } catch (const DbError& e) {
        printError(e.text());
    }
    return Failed;
}

} // namespace

const cli::CommandTable& documentCommands() {
    static const CommandTable table{
        demoDataCommand(),
        {kNewDocument,
         QStringLiteral("DIR"),
         QStringLiteral("új bizonylat tételekkel"),
         newDocumentHelp(),
         {{kindOption, customerOption, rateOption, userOption, lineOption}, {lineOption}, {reverseOption}},
         runNewDocument},
        {kCounterDocument,
         QStringLiteral("DIR KEY"),
         QStringLiteral("ellenbizonylat (W érvénytelenítő, J helyesbítő)"),
         counterDocumentHelp(),
         {{kindOption, userOption}, {}, {}},
         runCounterDocument},
        importLinesCommand(),
    };
    return table;
}

} // namespace orvix
