#include "core/CommandLine.h"

#include "common/Database.h"
#include "data/Schema.h"

#include <QTextStream>

namespace orvix {

namespace {

QTextStream& out() {
    static QTextStream s(stdout);
    return s;
}

QTextStream& err() {
    static QTextStream s(stderr);
    return s;
}

int usage() {
    out() << "Használat: Orvix_Szamla_Cli PARANCS [KAPCSOLÓK]\n"
             "Parancsok:\n"
             "  init DIR        új, üres adatmappa létrehozása\n"
             "  --help          ez a leírás\n";
    out().flush();
    return 0;
}

int cmdInit(const QStringList& args) {
    if (args.contains(QStringLiteral("--help"))) {
        out() << "Használat: Orvix_Szamla_Cli init DIR\nÚj adatmappát hoz létre a megadott mappában.\n";
        return 0;
    }
    if (args.size() != 1) {
        err() << "Hiba: az init parancs egy mappát vár.\n";
        return 2;
    }
    Database db(QStringLiteral("cli"));
    try {
        data::createDataFolder(db, args.at(0));
    } catch (const DbError& e) {
        err() << "Hiba: " << e.text() << "\n";
        return 1;
    }
    out() << "Adatmappa létrehozva: " << args.at(0) << "\n";
    return 0;
}

} // namespace

int runCommandLine(const QStringList& args) {
    if (args.size() < 2 || args.at(1) == QLatin1String("--help") || args.at(1) == QLatin1String("-h"))
        return usage();
    const QString command = args.at(1);
    const QStringList rest = args.mid(2);
    if (command == QLatin1String("init"))
        return cmdInit(rest);
    err() << "Hiba: ismeretlen parancs: " << command << "\n";
    err().flush();
    return 2;
}

} // namespace orvix
