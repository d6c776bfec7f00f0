#include "masters/MasterCommands.h"

#include "common/Database.h"
#include "core/CommandLine.h"

#include <QDir>
#include <QLocale>
#include <QSqlQuery>
#include <QTextStream>
#include <vector>

namespace orvix {

namespace {

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

const QString kCustomersHelp =
    QStringLiteral("Használat: Orvix_Szamla_Cli customers DIR\n"
                   "\n"
                   "Kiírja a DIR adatmappa ügyfeleit (a töröltek nélkül) név szerinti sorrendben,\n"
                   "pontosvesszővel elválasztva, az első sorban az oszlopok nevével:\n"
                   "vevő;ügyfélkód;kapcsolattartó;telefon;mobil;e-mail;kedv%;szla.irsz;szla.város;szla.cím\n"
                   "\n"
                   "A számok tizedespontot kapnak, kerekítés nélkül. A pontosvesszőt, idézőjelet\n"
                   "vagy sortörést tartalmazó érték idézőjelek közé kerül (benne az idézőjel kettőzve).\n"
                   "\n"
                   "Kilépési kódok: 0 siker, 1 nincs adatmappa vagy nem olvasható, 2 hibás parancssor.");

const QString kProductsHelp =
    QStringLiteral("Használat: Orvix_Szamla_Cli products DIR\n"
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

int runListCommand(const QString& command, const cli::Arguments& args,
                   void (*write)(Database&, QTextStream&)) {
    QString folder;
    if (const auto error = cli::folderArgument(args, command, folder))
        return cli::badArguments(command, *error);
    if (!Database::isDataFolder(folder)) {
        cli::printError(QStringLiteral("nincs adatmappa: %1").arg(QDir::toNativeSeparators(folder)));
        return cli::Failed;
    }
    Database db(QStringLiteral("cli-") + command);
    try {
        db.open(folder);
        QTextStream out(stdout);
        write(db, out);
    } catch (const DbError& e) {
        cli::printError(e.text());
        return cli::Failed;
    }
    return cli::Success;
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

const cli::CommandTable& masterCommands() {
    static const cli::CommandTable table{
        {QStringLiteral("customers"),
         QStringLiteral("DIR"),
         QStringLiteral("a vevők listája pontosvesszővel tagolva"),
         kCustomersHelp,
         {},
         [](const cli::Arguments& args) {
             return runListCommand(QStringLiteral("customers"), args, writeCustomerList);
         }},
        {QStringLiteral("products"),
         QStringLiteral("DIR"),
         QStringLiteral("a termékek listája pontosvesszővel tagolva"),
         kProductsHelp,
         {},
         [](const cli::Arguments& args) {
             return runListCommand(QStringLiteral("products"), args, writeProductList);
         }},
    };
    return table;
}

} // namespace orvix
