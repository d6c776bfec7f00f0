#include "masters/VatCommands.h"

#include "common/Database.h"
#include "masters/VatChange.h"

namespace orvix {

using namespace cli;

namespace {

const QString kChangeVat = QStringLiteral("change-vat");
const QString kFrom = QStringLiteral("--from");
const QString kTo = QStringLiteral("--to");
const QString kKeep = QStringLiteral("--keep");

QString help() {
    return QStringLiteral(
        "Használat: Orvix_Szamla_Cli change-vat DIR --from KULCS --to KULCS --keep net|gross\n"
        "\n"
        "A DIR adatmappa minden --from áfa kulcsú cikkét (a töröltekét is) a --to kulcsra\n"
        "állítja, és újraszámolja az árait: --keep net esetén a nettó ár marad (a bruttó\n"
        "változik), --keep gross esetén a bruttó ár marad (a nettó változik). A már --to\n"
        "kulcsú cikkek árai is újraszámolódnak. Kerekítés nincs. A kulcs százalékban\n"
        "adható meg: 27, 5,5 vagy 5.5.\n"
        "\n"
        "Kilépési kód: 0 kész; 1 nincs --from kulcsú cikk, semmi sem változott;\n"
        "2 hibás parancssor.");
}

int runChangeVat(const Arguments& args) {
    QString folder;
    if (const auto error = folderArgument(args, kChangeVat, folder))
        return badArguments(kChangeVat, *error);
    std::optional<double> rates[2];
    const QString* names[2] = {&kFrom, &kTo};
    for (int i = 0; i < 2; ++i) {
        const QString text = args.value(*names[i]);
        if (text.trimmed().isEmpty())
            return badArguments(kChangeVat, QStringLiteral("hiányzik a %1 KULCS.").arg(*names[i]));
        rates[i] = parseVatRate(text);
        if (!rates[i])
            return badArguments(kChangeVat, QStringLiteral("a %1 értéke nem áfa kulcs: \"%2\" (0 és 100 közötti szám).")
                                                .arg(*names[i], text));
    }
    const QString keepText = args.value(kKeep).trimmed();
    if (keepText != QLatin1String("net") && keepText != QLatin1String("gross"))
        return badArguments(kChangeVat, QStringLiteral("a --keep értéke net vagy gross, nem \"%1\".").arg(keepText));
    const VatKeep keep = keepText == QLatin1String("net") ? VatKeep::Net : VatKeep::Gross;
    Database db(QStringLiteral("cli"));
    try {
        db.open(folder);
        const int changed = changeVatRate(db, *rates[0], *rates[1], keep);
        print(QStringLiteral("%1 % -> %2 %: %3 cikk újraszámolva")
                  .arg(vatRateText(*rates[0]), vatRateText(*rates[1]))
                  .arg(changed));
        return Success;
    } catch (const VatChangeError& e) {
        printError(e.text());
        return Failed;
    } catch (const DbError& e) {
        printError(e.text());
        return Failed;
    }
}

} // namespace

const CommandTable& vatCommands() {
    static const CommandTable table{{kChangeVat, QStringLiteral("DIR --from KULCS --to KULCS --keep net|gross"),
                                     QStringLiteral("áfa kulcs változtatás a cikktörzsben"), help(),
                                     {{kFrom, kTo, kKeep}, {}, {}}, runChangeVat}};
    return table;
}

} // namespace orvix
