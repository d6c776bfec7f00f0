#include "exports/AuditCommands.h"

#include "common/Database.h"
#include "core/TextUtil.h"
#include "exports/AuditXml.h"

#include <QDir>
#include <QRegularExpression>

namespace orvix {

using namespace cli;

namespace {

const QString kAuditXml = QStringLiteral("audit-xml");
const QString kFrom = QStringLiteral("--from");
const QString kTo = QStringLiteral("--to");
const QString kNumbers = QStringLiteral("--numbers");
const QString kOut = QStringLiteral("--out");

QString help() {
    return QStringLiteral(
        "Használat: Orvix_Szamla_Cli audit-xml DIR --from DATE --to DATE --out FILE\n"
        "           Orvix_Szamla_Cli audit-xml DIR --numbers N1-N2 --out FILE\n"
        "\n"
        "A NAV ellenőrzési adatszolgáltatás XML fájlja (2013-as számla séma) a DIR\n"
        "adatmappa bizonylatairól: a DATE és DATE között kiállítottakról, vagy az N1 és\n"
        "N2 közötti sorszámúakról (betűjel nélkül; mindkét vég benne van). Proforma\n"
        "számla nem kerül bele. A dátum 2026-12-10 és 2026.12.10 alakban is megadható.\n"
        "\n"
        "Kilépési kód: 0 minden bizonylat a fájlban van; 1 a fájl nem készült el, vagy\n"
        "bizonylat maradt ki belőle, mert a séma nem tudja leírni (a kimaradtak listája\n"
        "a hibakimeneten, a fájlban a többi van); 2 hibás parancssor.");
}

std::optional<QDate> dateOption(const Arguments& args, const QString& name, QString& error) {
    const QString text = args.value(name);
    if (text.trimmed().isEmpty()) {
        error = QStringLiteral("hiányzik a %1 DATE.").arg(name);
        return std::nullopt;
    }
    const QDate date = parseDate(text.trimmed());
    if (!date.isValid()) {
        error = QStringLiteral("a %1 értéke nem dátum: \"%2\" (2026-12-10 vagy 2026.12.10).").arg(name, text);
        return std::nullopt;
    }
    return date;
}

int runAuditXml(const Arguments& args) {
    QString folder;
    if (const auto error = folderArgument(args, kAuditXml, folder))
        return badArguments(kAuditXml, *error);
    const QString out = args.value(kOut);
    if (out.trimmed().isEmpty())
        return badArguments(kAuditXml, QStringLiteral("hiányzik a --out FILE: az XML fájl neve."));
    const bool byDate = args.has(kFrom) || args.has(kTo);
    if (byDate == args.has(kNumbers))
        return badArguments(kAuditXml,
                            QStringLiteral("vagy --from DATE --to DATE, vagy --numbers N1-N2 adható meg (egyik)."));
    AuditSelection selection;
    if (byDate) {
        QString error;
        const auto from = dateOption(args, kFrom, error);
        if (!from)
            return badArguments(kAuditXml, error);
        const auto to = dateOption(args, kTo, error);
        if (!to)
            return badArguments(kAuditXml, error);
        if (*to < *from)
            return badArguments(kAuditXml, QStringLiteral("a --to dátuma korábbi a --from dátumánál."));
        selection = AuditSelection::period(*from, *to);
    } else {
        static const QRegularExpression range(QStringLiteral("^\\s*(\\d{1,12})\\s*-\\s*(\\d{1,12})\\s*$"));
        const QRegularExpressionMatch m = range.match(args.value(kNumbers));
        if (!m.hasMatch())
            return badArguments(kAuditXml, QStringLiteral("a --numbers értéke két sorszám kötőjellel, például "
                                                          "10-20, nem \"%1\".")
                                               .arg(args.value(kNumbers)));
        const qint64 first = m.captured(1).toLongLong();
        const qint64 last = m.captured(2).toLongLong();
        if (last < first)
            return badArguments(kAuditXml, QStringLiteral("a --numbers második sorszáma kisebb az elsőnél."));
        selection = AuditSelection::numbers(first, last);
    }

    Database db(QStringLiteral("cli"));
    try {
        db.open(folder);
        const AuditExportResult result = writeAuditXml(db, selection, out, QDate::currentDate());
        print(QStringLiteral("%1: %2 bizonylat").arg(QDir::toNativeSeparators(out)).arg(result.written));
        if (!result.leftOut.isEmpty()) {
            printError(auditLeftOutMessage(result));
            return Failed;
        }
        return Success;
    } catch (const AuditError& e) {
        printError(e.text());
        return Failed;
    } catch (const DbError& e) {
        printError(e.text());
        return Failed;
    }
}

} // namespace

const CommandTable& auditCommands() {
    static const CommandTable table{{kAuditXml, QStringLiteral("DIR (--from DATE --to DATE | --numbers N1-N2) --out FILE"),
                                     QStringLiteral("NAV ellenőrzési adatszolgáltatás XML fájlja"), help(),
                                     {{kFrom, kTo, kNumbers, kOut}, {}, {}}, runAuditXml}};
    return table;
}

} // namespace orvix
