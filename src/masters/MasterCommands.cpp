#include "masters/MasterCommands.h"

#include "common/Database.h"

#include <QDir>
#include <QLocale>
#include <QSqlQuery>
#include <QTextStream>
#include <vector>

namespace orvix {

namespace {

enum ExitCode { Success = 0, Failed = 1, BadArguments = 2 };

enum class Kind { Text, Integer, Number };

struct Column {
    const char* field;
    const char* caption;
    Kind kind;
};

// The columns of the main window's product and customer lists.
const std::vector<Column> kProductColumns = {
    {"cikkszam", "cikkszám", Kind::Text},   {"cikkszam_nev", "megnevezés", Kind::Text},
    {"kategoria", "kategória", Kind::Text}, {"mert", "m.e.", Kind::Text},
    {"netto", "nettó", Kind::Number},       {"afa", "áfa", Kind::Number},
    {"brutto", "bruttó", Kind::Number}};

const std::vector<Column> kCustomerColumns = {{"ugyfel_nev", "vevő", Kind::Text},
                                              {"ugyfelkod", "ügyfélkód", Kind::Integer},
                                              {"kapcsolat", "kapcsolattartó", Kind::Text},
                                              {"telefon", "telefon", Kind::Text},
                                              {"mobil", "mobil", Kind::Text},
                                              {"emil", "e-mail", Kind::Text},
                                              {"kedvezmeny", "kedv%", Kind::Number},
                                              {"szla_irsz", "szla.irsz", Kind::Text},
                                              {"szla_varos", "szla.város", Kind::Text},
                                              {"szla_cim", "szla.cím", Kind::Text}};

// One value as written: numbers with a decimal point in their shortest exact
// form, texts quoted when they hold the separator, a quote or a line break.
QString cell(const QVariant& v, Kind kind) {
    if (v.isNull())
        return {};
    switch (kind) {
    case Kind::Integer: {
        bool ok = false;
        const qint64 i = v.toLongLong(&ok);
        return ok ? QString::number(i) : v.toString().trimmed();
    }
    case Kind::Number: {
        bool ok = false;
        const double d = v.toDouble(&ok);
        return ok ? QString::number(d, 'f', QLocale::FloatingPointShortest) : v.toString().trimmed();
    }
    case Kind::Text:
        break;
    }
    QString s = v.toString().trimmed();
    if (s.contains(QLatin1Char(';')) || s.contains(QLatin1Char('"')) || s.contains(QLatin1Char('\n')) ||
        s.contains(QLatin1Char('\r'))) {
        s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        s = QLatin1Char('"') + s + QLatin1Char('"');
    }
    return s;
}

void writeList(Database& db, QTextStream& out, const std::vector<Column>& columns,
               const QString& fromWhereOrder) {
    QStringList fields;
    QStringList captions;
    for (const Column& c : columns) {
        fields << QLatin1String(c.field);
        captions << QString::fromUtf8(c.caption);
    }
    out << captions.join(QLatin1Char(';')) << '\n';
    QSqlQuery q =
        db.select(QStringLiteral("SELECT %1 %2").arg(fields.join(QStringLiteral(", ")), fromWhereOrder));
    while (q.next()) {
        QStringList cells;
        for (int i = 0; i < int(columns.size()); ++i)
            cells << cell(q.value(i), columns[size_t(i)].kind);
        out << cells.join(QLatin1Char(';')) << '\n';
    }
    out.flush();
}

QString help(const QString& command) {
    if (command == QLatin1String("customers"))
        return QStringLiteral(
            "Használat: Orvix_Szamla_Cli customers DIR\n"
            "\n"
            "Kiírja a DIR adatmappa ügyfeleit (a töröltek nélkül) név szerinti sorrendben,\n"
            "pontosvesszővel elválasztva, az első sorban az oszlopok nevével:\n"
            "vevő;ügyfélkód;kapcsolattartó;telefon;mobil;e-mail;kedv%;szla.irsz;szla.város;szla.cím\n"
            "\n"
            "A számok tizedespontot kapnak, kerekítés nélkül. A pontosvesszőt, idézőjelet\n"
            "vagy sortörést tartalmazó érték idézőjelek közé kerül (benne az idézőjel kettőzve).\n"
            "\n"
            "Kilépési kódok: 0 siker, 1 nincs adatmappa vagy nem olvasható, 2 hibás parancssor.");
    return QStringLiteral(
        "Használat: Orvix_Szamla_Cli products DIR\n"
        "\n"
        "Kiírja a DIR adatmappa termékeit (a töröltek és az előleg tételek nélkül)\n"
        "cikkszám szerinti sorrendben, pontosvesszővel elválasztva, az első sorban az\n"
        "oszlopok nevével:\n"
        "cikkszám;megnevezés;kategória;m.e.;nettó;áfa;bruttó\n"
        "\n"
        "Az árak tizedespontot kapnak, kerekítés nélkül (ahogy tárolva vannak). A\n"
        "pontosvesszőt, idézőjelet vagy sortörést tartalmazó érték idézőjelek közé kerül\n"
        "(benne az idézőjel kettőzve).\n"
        "\n"
        "Kilépési kódok: 0 siker, 1 nincs adatmappa vagy nem olvasható, 2 hibás parancssor.");
}

int runListCommand(const QString& command, const QStringList& args, void (*write)(Database&, QTextStream&)) {
    QTextStream err(stderr);
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        QTextStream(stdout) << help(command) << '\n';
        return Success;
    }
    QStringList positional;
    for (const QString& arg : args) {
        if (arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-")) {
            err << "Hiba: ismeretlen kapcsoló: " << arg << '\n'
                << "Segítség: Orvix_Szamla_Cli " << command << " --help\n";
            return BadArguments;
        }
        positional << arg;
    }
    if (positional.size() != 1 || positional.first().trimmed().isEmpty()) {
        if (positional.size() > 1)
            err << "Hiba: fölösleges argumentum: " << positional.at(1) << '\n';
        else
            err << "Hiba: a(z) " << command << " parancs egy mappát vár (DIR).\n";
        err << "Segítség: Orvix_Szamla_Cli " << command << " --help\n";
        return BadArguments;
    }
    const QString folder = positional.first();
    if (!Database::isDataFolder(folder)) {
        err << "Hiba: nincs adatmappa: " << QDir::toNativeSeparators(folder) << '\n';
        return Failed;
    }
    Database db(QStringLiteral("cli-") + command);
    try {
        db.open(folder);
        QTextStream out(stdout);
        write(db, out);
    } catch (const DbError& e) {
        err << "Hiba: " << e.text() << '\n';
        return Failed;
    }
    return Success;
}

} // namespace

void writeCustomerList(Database& db, QTextStream& out) {
    writeList(db, out, kCustomerColumns,
              QStringLiteral("FROM ugyfel WHERE torolve='N' ORDER BY ugyfel_nev, ugyfel;"));
}

void writeProductList(Database& db, QTextStream& out) {
    writeList(db, out, kProductColumns,
              QStringLiteral("FROM cikkszam WHERE torolve='N' AND eloleg='N' ORDER BY cikkszam;"));
}

int runCustomersCommand(const QStringList& args) {
    return runListCommand(QStringLiteral("customers"), args, writeCustomerList);
}

int runProductsCommand(const QStringList& args) {
    return runListCommand(QStringLiteral("products"), args, writeProductList);
}

} // namespace orvix
